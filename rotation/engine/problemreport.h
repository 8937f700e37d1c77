#pragma once

#include <QString>

class RunLog;
namespace platform { class PromptService; }

// Where a failure goes: a warning box while the user works at the window, an error line of the
// run log in an unattended run, where nobody could answer a box.
class ProblemReport {
public:
    ProblemReport(RunLog& log, platform::PromptService& prompts, bool unattended)
        : log_(log), prompts_(prompts), unattended_(unattended) {}

    void report(const QString& boxText, const QString& lineText);
    void report(const QString& text) { report(text, text); }
    // Always an error line, so that the log explains what went wrong; a box as well while the
    // user works at the window.
    void reportWithLogLine(const QString& text);
    // A failure the log cannot carry (saving the log itself): a box while the user works at the
    // window; unattended, one line on standard error, which the scheduler mails to its owner.
    void reportOutsideLog(const QString& text, const QString& reason) const;
    // Unattended, a failure the log may never reach its reader with: one line on standard
    // error as well.
    void alsoOutsideLog(const QString& text) const;
    bool unattended() const { return unattended_; }

private:
    RunLog& log_;
    platform::PromptService& prompts_;
    bool unattended_;
};
