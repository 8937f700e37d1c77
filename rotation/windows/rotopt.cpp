#include "rotopt.h"

#include "buttonimages.h"
#include "components/bitbtn.h"
#include "rotation/engine/runlog.h"

#include "platform/hourglass.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int optionsHelpContext = 55;

QLabel* note(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setEnabled(false);  // greyed, like a hint
    return label;
}

} // namespace

TdlgRotOpt::TdlgRotOpt(RunLog& log, ProblemReport& report, const platform::Services& services, QWidget* parent)
    : ModalDialog(parent)
    , log_(log)
    , services_(services)
    , mailer_(log, report)
{
    setObjectName(QStringLiteral("dlgRotOpt"));
    setWindowTitle(QStringLiteral("Rotation Options"));

    PageControl1 = new QTabWidget(this);
    PageControl1->addTab(makeGeneralPage(), QStringLiteral("General"));
    PageControl1->addTab(makeMailPage(), QStringLiteral("E-mail Settings"));

    BitBtn1 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn1", bkHelp);
    BitBtn1->SetHelp(services_, optionsHelpContext);
    BitBtn2 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn2", bkClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(rightAlignedRow({BitBtn1, BitBtn2}));

    connect(chklogging, &QCheckBox::toggled, this, &TdlgRotOpt::chkloggingClick);
    connect(chkEmailLog, &QCheckBox::toggled, this, &TdlgRotOpt::chkEmailLogClick);
    connect(chkonlylogerrors, &QCheckBox::toggled, &log_, &RunLog::setLogOnlyErrors);
    connect(BitBtn3, &TILBitBtn::OnClick, this, &TdlgRotOpt::BitBtn3Click);
    connect(btnsendtestmessage, &TILBitBtn::OnClick, this, &TdlgRotOpt::btnsendtestmessageClick);
    const auto announce = [this] { emit optionsChanged(options()); };
    for (QLineEdit* edit : {edtemailfrom, edtemailto, edtuserid, edtport, edthost, edtfilename})
        connect(edit, &QLineEdit::textChanged, this, announce);
    for (QCheckBox* box : {chkonlylogerrors, chklogging, chkcreatebackup, chkEmailLog, chkOnlyEmailErrors})
        connect(box, &QCheckBox::toggled, this, announce);
    mailer_.setStatusDisplay([this](const QString& text) {
        edtTestmessage->setText(text);
        edtTestmessage->repaint();  // the session keeps the event loop waiting
    });
    setOptions(RotationOptions{});
}

QWidget* TdlgRotOpt::makeGeneralPage()
{
    auto* page = new QWidget;
    auto* logging = new QGroupBox(QStringLiteral("Logging"), page);
    chklogging = new QCheckBox(QStringLiteral("Create Log of Rotation"), logging);
    Label11 = new QLabel(QStringLiteral("Filename:"), logging);
    edtfilename = new QLineEdit(logging);
    BitBtn3 = TLmILBitBtn::Make(logging, imgLmILButtons(), "BitBtn3", "Browse..", QString(), 23);
    chkonlylogerrors = new QCheckBox(QStringLiteral("Only log if errors are encountered"), logging);
    chkEmailLog = new QCheckBox(QStringLiteral("Email Log to Administrator"), logging);
    chkOnlyEmailErrors = new QCheckBox(QStringLiteral("Only send e-mail if errors encountered"), logging);
    auto* grid = new QGridLayout(logging);
    grid->addWidget(chklogging, 0, 0, 1, 3);
    grid->addWidget(Label11, 1, 0);
    grid->addWidget(edtfilename, 1, 1);
    grid->addWidget(BitBtn3, 1, 2);
    grid->addWidget(chkonlylogerrors, 2, 0, 1, 3);
    grid->addWidget(chkEmailLog, 3, 0, 1, 3);
    grid->addWidget(chkOnlyEmailErrors, 4, 0, 1, 3);

    auto* other = new QGroupBox(QStringLiteral("Other"), page);
    chkcreatebackup = new QCheckBox(QStringLiteral("Create *.~* backups of overwritten files"), other);
    (new QVBoxLayout(other))->addWidget(chkcreatebackup);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(logging);
    layout->addWidget(other);
    layout->addStretch();
    return page;
}

QWidget* TdlgRotOpt::makeMailPage()
{
    auto* page = new QWidget;
    auto* group = new QGroupBox(QStringLiteral("E-mail Settings"), page);
    edthost = new QLineEdit(group);
    edtport = new QLineEdit(group);
    edtuserid = new QLineEdit(group);
    edtuserid->setToolTip(QStringLiteral("User Id:  This can generally be left blank"));
    edtemailto = new QLineEdit(group);
    edtemailfrom = new QLineEdit(group);
    auto* grid = new QGridLayout(group);
    const auto row = [&](int r, const QString& caption, QLineEdit* edit, const QString& hint) {
        grid->addWidget(new QLabel(caption, group), r, 0);
        grid->addWidget(edit, r, 1);
        grid->addWidget(note(hint, group), r, 2);
    };
    row(0, QStringLiteral("SMTP Host: "), edthost, QStringLiteral("e.g. mail.example.com"));
    row(1, QStringLiteral("Port: "), edtport, QStringLiteral("Generally 25"));
    row(2, QStringLiteral("User ID: "), edtuserid, QStringLiteral("(Optional)"));
    row(3, QStringLiteral("Send E-mail To: "), edtemailto, QStringLiteral("e.g. webmaster@example.com"));
    row(4, QStringLiteral("From Address: "), edtemailfrom, QStringLiteral("e.g. turnfold@example.com"));
    // Room for an address of 40 characters.
    const int addressWidth = edtemailto->fontMetrics().horizontalAdvance(FortyCharacterAddress) + 16;
    for (QLineEdit* edit : {edthost, edtemailto, edtemailfrom})
        edit->setMinimumWidth(addressWidth);

    btnsendtestmessage = TLmILBitBtn::Make(page, imgLmILButtons(), "btnsendtestmessage", "Send Test Message", QString(), 25);
    lblTestmessage = new QLabel(QStringLiteral("Send Status:"), page);
    edtTestmessage = new QLineEdit(page);
    edtTestmessage->setReadOnly(true);
    lblTestmessage->hide();
    edtTestmessage->hide();
    btnsendtestmessage->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* test = new QHBoxLayout;
    test->addWidget(btnsendtestmessage);
    test->addWidget(lblTestmessage);
    test->addWidget(edtTestmessage, 1);
    test->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addLayout(test);
    layout->addStretch();
    return page;
}

RotationOptions TdlgRotOpt::options() const
{
    RotationOptions o;
    o.MailFrom = edtemailfrom->text();
    o.MailTo = edtemailto->text();
    o.MailUserID = edtuserid->text();
    o.MailPort = edtport->text();
    o.MailHost = edthost->text();
    o.LogFileName = edtfilename->text();
    o.LogOnlyErrors = chkonlylogerrors->isChecked();
    o.Logging = chklogging->isChecked();
    o.CreateBackups = chkcreatebackup->isChecked();
    o.EmailLog = chkEmailLog->isChecked();
    o.EmailOnlyErrors = chkOnlyEmailErrors->isChecked();
    return o;
}

void TdlgRotOpt::setOptions(const RotationOptions& o)
{
    // Announced once, when all are set.
    QSignalBlocker quiet(this);
    edtemailfrom->setText(o.MailFrom);
    edtemailto->setText(o.MailTo);
    edtuserid->setText(o.MailUserID);
    edtport->setText(o.MailPort);
    edthost->setText(o.MailHost);
    edtfilename->setText(o.LogFileName);
    chkonlylogerrors->setChecked(o.LogOnlyErrors);
    chklogging->setChecked(o.Logging);
    chkcreatebackup->setChecked(o.CreateBackups);
    chkEmailLog->setChecked(o.EmailLog);
    chkOnlyEmailErrors->setChecked(o.EmailOnlyErrors);
    // The enabled states follow the loaded values even where a box kept its state.
    chkloggingClick();
    chkEmailLogClick();
    log_.setLogOnlyErrors(o.LogOnlyErrors);
    quiet.unblock();
    emit optionsChanged(options());
}

void TdlgRotOpt::chkloggingClick()
{
    const bool on = chklogging->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(edtfilename), static_cast<QWidget*>(Label11),
                       static_cast<QWidget*>(BitBtn3), static_cast<QWidget*>(chkonlylogerrors)})
        w->setEnabled(on);
}

void TdlgRotOpt::chkEmailLogClick()
{
    chkOnlyEmailErrors->setEnabled(chkEmailLog->isChecked());
}

void TdlgRotOpt::BitBtn3Click()
{
    const auto chosen = services_.prompts.chooseSaveFile(
        {QStringLiteral("Please choose a filename"), edtfilename->text(), QStringLiteral("Text Files (*.txt)")});
    if (chosen)
        edtfilename->setText(*chosen);
}

bool TdlgRotOpt::mailFieldsMissing() const
{
    return edthost->text().isEmpty() || edtport->text().isEmpty() || edtemailto->text().isEmpty()
           || edtemailfrom->text().isEmpty();
}

void TdlgRotOpt::btnsendtestmessageClick()
{
    if (mailFieldsMissing()) {
        services_.prompts.warning(
            QStringLiteral("You have not entered values for all required e-mail fields (only User ID is optional)"));
        return;
    }
    edtTestmessage->setText(QStringLiteral("Testing.."));
    lblTestmessage->show();
    edtTestmessage->show();
    log_.clear();
    log_.Addwarning(QStringLiteral("Test message to ") + edtemailto->text(), true);
    sendmail();
    lblTestmessage->hide();
    edtTestmessage->hide();
}

bool TdlgRotOpt::sendmail()
{
    platform::Hourglass busy;
    return mailer_.sendmail(options());
}

bool TdlgRotOpt::FormCloseQuery()
{
    bool canClose = true;
    if (chklogging->isChecked() && edtfilename->text().isEmpty()) {
        services_.prompts.warning(QStringLiteral("You have chosen to create a log file but have not entered a filename!"));
        canClose = false;
    }
    if (chkEmailLog->isChecked() && mailFieldsMissing()) {
        services_.prompts.warning(QStringLiteral("You have chosen to e-mail your log but have not entered values for "
                                                 "all required e-mail fields (only User ID is optional)"));
        canClose = false;
    }
    mailer_.abort();
    return canClose;
}

void TdlgRotOpt::done(int result)
{
    if (FormCloseQuery())
        ModalDialog::done(result);
}
