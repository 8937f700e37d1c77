#pragma once

#include "platform/modaldialog.h"
#include "platform/prompts.h"
#include "platform/services.h"
#include "platform/shell.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

// Records what would have been opened or started. Opens reply at once: shown, or the
// failure given in openFailure.
class RecordingShell : public platform::ShellService {
public:
    void openDocument(const QString& fileOrUrl, platform::OpenReply reply) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    QString helpFile(int context) const override;
    void showHelp(int context, platform::OpenReply reply) override;

    QStringList opened;
    QStringList started;       // program paths
    QList<int> helpContexts;
    bool startSucceeds = true;
    QString openFailure;       // empty: every open succeeds

private:
    void replyTo(const platform::OpenReply& reply) const;
};

// Shows each dialog (non-modally, so its show handlers run) and hands it to the next scripted
// handler, which works its controls. The result is the dialog's own when the handler closed
// it, else the handler's return value. An unscripted dialog is cancelled.
class ScriptedDialogRunner : public platform::DialogRunner {
public:
    using Handler = std::function<int(QDialog&)>;
    int showModal(QDialog& dialog) override;
    void script(Handler handler) { handlers_.push_back(std::move(handler)); }

    QStringList shown;  // class names, in order

private:
    std::deque<Handler> handlers_;
};

// Everything a window needs, with test doubles.
struct FakeServices {
    platform::ScriptedPromptService prompts;
    RecordingShell shell;
    ScriptedDialogRunner dialogs;
    platform::Services services{prompts, shell, dialogs};
};
