#pragma once

#include "modalresult.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace platform {

enum class PromptIcon { None, Information, Warning, Error, Confirmation };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

// One message box or question: what the user sees and which buttons answer it.
struct Prompt {
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    QString caption; // empty: the application's title, or the icon's own caption
    QString text;
};

// A file open or save choice.
struct FileChoice {
    QString caption;
    QString folder;   // start folder or file
    QString filter;   // "Web pages (*.htm *.html);;All files (*)"
};

// Every message box, question and chooser goes through this service, so that tests can
// script the answers and check the exact texts in their order.
class PromptService {
public:
    virtual ~PromptService() = default;

    // Shows the box and gives the modal result of the button pressed.
    virtual int ask(const Prompt& prompt) = 0;
    virtual std::optional<QString> inputText(const QString& caption, const QString& label,
                                             const QString& initial) = 0;
    virtual std::optional<QString> chooseOpenFile(const FileChoice& choice) = 0;
    virtual std::optional<QStringList> chooseOpenFiles(const FileChoice& choice) = 0;
    virtual std::optional<QString> chooseSaveFile(const FileChoice& choice) = 0;
    // Colours as 0xRRGGBB.
    virtual std::optional<unsigned> chooseColor(unsigned initial) = 0;

    // The usual boxes. Warning, information, error and confirmation boxes carry their kind as
    // caption ("Warning", "Information", "Error", "Confirm"); a plain message carries the
    // application's title.
    void message(const QString& text);
    void warning(const QString& text);
    void information(const QString& text);
    void error(const QString& text);
    int confirm(const QString& text, PromptButtons buttons = PromptButtons::YesNo);
    int messageBox(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons);
};

// Caption of a box of the given kind when the prompt carries none.
QString defaultCaption(PromptIcon icon);

// Test double: records every call and answers from scripted queues. Unscripted questions
// get the cautious answer (Cancel or No; OK for a box with only OK) and are counted.
class ScriptedPromptService : public PromptService {
public:
    struct Call {
        enum Kind { Ask, Input, OpenFile, OpenFiles, SaveFile, Color } kind = Ask;
        Prompt prompt;        // for Ask
        QString caption;      // for the choosers and the input box
        QString detail;       // label or filter
    };

    int ask(const Prompt& prompt) override;
    std::optional<QString> inputText(const QString& caption, const QString& label, const QString& initial) override;
    std::optional<QString> chooseOpenFile(const FileChoice& choice) override;
    std::optional<QStringList> chooseOpenFiles(const FileChoice& choice) override;
    std::optional<QString> chooseSaveFile(const FileChoice& choice) override;
    std::optional<unsigned> chooseColor(unsigned initial) override;

    // Scripting, consumed in order.
    void answer(int result) { answers_.push_back(result); }
    void answerText(std::optional<QString> text) { texts_.push_back(std::move(text)); }
    void answerFile(std::optional<QString> file) { files_.push_back(std::move(file)); }
    void answerFiles(std::optional<QStringList> files) { fileLists_.push_back(std::move(files)); }
    void answerColor(std::optional<unsigned> rgb) { colors_.push_back(rgb); }

    const QList<Call>& calls() const { return calls_; }
    QStringList promptTexts() const;  // the texts of the Ask calls, in order
    const Prompt& lastPrompt() const;
    int unanswered() const { return unanswered_; }
    void clear();

private:
    template <typename T> T take(std::deque<T>& queue, T fallback);

    QList<Call> calls_;
    std::deque<int> answers_;
    std::deque<std::optional<QString>> texts_, files_;
    std::deque<std::optional<QStringList>> fileLists_;
    std::deque<std::optional<unsigned>> colors_;
    int unanswered_ = 0;
};

} // namespace platform
