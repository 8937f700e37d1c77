#pragma once

#include "prompts.h"

class QWidget;

namespace platform {

// The prompt service of the running programs: Qt message boxes and choosers. A box without
// a caption of its own carries the application's title.
class QtPromptService : public PromptService {
public:
    explicit QtPromptService(QString applicationTitle) : applicationTitle_(std::move(applicationTitle)) {}

    int ask(const Prompt& prompt) override;
    std::optional<QString> inputText(const QString& caption, const QString& label, const QString& initial) override;
    std::optional<QString> chooseOpenFile(const FileChoice& choice) override;
    std::optional<QStringList> chooseOpenFiles(const FileChoice& choice) override;
    std::optional<QString> chooseSaveFile(const FileChoice& choice) override;
    std::optional<unsigned> chooseColor(unsigned initial) override;

private:
    static QWidget* parentWindow();

    QString applicationTitle_;
};

} // namespace platform
