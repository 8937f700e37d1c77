#pragma once

#include "platform/modaldialog.h"
#include "platform/services.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class ProblemReport;
class RunLog;
class TdlgRotOpt;

// Shows the run log, and saves or mails it.
class TdlgLog : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgLog(RunLog& log, TdlgRotOpt& options, const ProblemReport& report, const platform::Services& services,
            QWidget* parent = nullptr);

    // Each gives whether the log was saved or mailed.
    bool btnSaveLogClick();
    bool btnEmailClick();
    void BitBtn1Click();

    QLabel* Label1;
    QPlainTextEdit* memwarning;
    QPushButton* btnEmail;
    QPushButton* btnSaveLog;
    QPushButton* BitBtn1;

private:
    RunLog& log_;
    TdlgRotOpt& options_;
    const ProblemReport& report_;
    const platform::Services& services_;
};
