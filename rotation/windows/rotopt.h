#pragma once

#include "rotation/engine/logmail.h"
#include "rotation/engine/rotationoptions.h"

#include "platform/modaldialog.h"
#include "platform/services.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class TLmILBitBtn;
class QTabWidget;
class ProblemReport;
class RunLog;

// The e-mail fields are wide enough to show an address as long as this one.
inline constexpr QLatin1StringView FortyCharacterAddress{"administrator.of.this.site@example.co.uk"};

// Turnfold's options. Every change of a control counts at once and is announced as the new
// options; there is no Cancel.
class TdlgRotOpt : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgRotOpt(RunLog& log, ProblemReport& report, const platform::Services& services, QWidget* parent = nullptr);

    RotationOptions options() const;
    void setOptions(const RotationOptions& options);

    bool sendmail();
    LogMailer& mailer() { return mailer_; }

    void chkloggingClick();
    void chkEmailLogClick();
    void BitBtn3Click();
    void btnsendtestmessageClick();
    bool FormCloseQuery();

    void done(int result) override;

    QTabWidget* PageControl1;
    // General
    QCheckBox* chklogging;
    QLabel* Label11;
    QLineEdit* edtfilename;
    TLmILBitBtn* BitBtn3;
    QCheckBox* chkonlylogerrors;
    QCheckBox* chkEmailLog;
    QCheckBox* chkOnlyEmailErrors;
    QCheckBox* chkcreatebackup;
    // E-mail Settings
    QLineEdit* edthost;
    QLineEdit* edtport;
    QLineEdit* edtuserid;
    QLineEdit* edtemailto;
    QLineEdit* edtemailfrom;
    TLmILBitBtn* btnsendtestmessage;
    QLabel* lblTestmessage;
    QLineEdit* edtTestmessage;
    TLmILBitBtn* BitBtn1;           // help kind
    TLmILBitBtn* BitBtn2;           // close kind

signals:
    void optionsChanged(const RotationOptions& options);

private:
    QWidget* makeGeneralPage();
    QWidget* makeMailPage();
    bool mailFieldsMissing() const;

    RunLog& log_;
    const platform::Services& services_;
    LogMailer mailer_;
};
