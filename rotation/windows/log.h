#pragma once

#include "platform/modaldialog.h"

class QLabel;
class QPlainTextEdit;
class TLmILBitBtn;
class ProblemReport;
class RunLog;
class TdlgRotOpt;

// Shows the run log, and saves or mails it.
class TdlgLog : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgLog(RunLog& log, TdlgRotOpt& options, const ProblemReport& report, QString programFolder,
            QWidget* parent = nullptr);

    // Each gives whether the log was saved or mailed.
    bool btnSaveLogClick();
    bool btnEmailClick();

    QLabel* Label1;
    QPlainTextEdit* memwarning;
    TLmILBitBtn* btnEmail;
    TLmILBitBtn* btnSaveLog;
    TLmILBitBtn* BitBtn1;           // close kind

protected:
    void showEvent(QShowEvent* event) override;

private:
    RunLog& log_;
    TdlgRotOpt& options_;
    const ProblemReport& report_;
    const QString programFolder_;
};
