#include "log.h"

#include "buttonimages.h"
#include "rotopt.h"
#include "components/bitbtn.h"
#include "rotation/engine/problemreport.h"
#include "rotation/engine/rotationrun.h"
#include "rotation/engine/runlog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TdlgLog::TdlgLog(RunLog& log, TdlgRotOpt& options, const ProblemReport& report, QString programFolder, QWidget* parent)
    : ModalDialog(parent)
    , log_(log)
    , options_(options)
    , report_(report)
    , programFolder_(std::move(programFolder))
{
    setObjectName(QStringLiteral("dlgLog"));
    setWindowTitle(QStringLiteral("Rotation Process Log"));
    resize(520, 380);

    Label1 = new QLabel(this);
    Label1->setWordWrap(true);
    auto* group = new QGroupBox(QStringLiteral("Log"), this);
    memwarning = new QPlainTextEdit(group);
    memwarning->setReadOnly(true);
    memwarning->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    (new QVBoxLayout(group))->addWidget(memwarning);

    const TImageList& images = imgLmILButtons();
    btnEmail = TLmILBitBtn::Make(this, images, "btnEmail", "E-mail Log",
                                 "E-mail log to the e-mail recipient specified options", 25);
    btnSaveLog = TLmILBitBtn::Make(this, images, "btnSaveLog", "Save Log",
                                   "Save log to the filename specified in options", 23);
    BitBtn1 = TLmILBitBtn::Make(this, images, "BitBtn1", bkClose);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnEmail);
    buttons->addWidget(btnSaveLog);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);

    connect(btnEmail, &TILBitBtn::OnClick, this, &TdlgLog::btnEmailClick);
    connect(btnSaveLog, &TILBitBtn::OnClick, this, &TdlgLog::btnSaveLogClick);
    connect(&log_, &RunLog::lineAdded, memwarning, &QPlainTextEdit::appendPlainText);
    connect(&log_, &RunLog::cleared, memwarning, &QPlainTextEdit::clear);
    for (const QString& line : log_.lines())
        memwarning->appendPlainText(line);
}

void TdlgLog::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    // The log is read from its first line.
    memwarning->moveCursor(QTextCursor::Start);
    memwarning->ensureCursorVisible();
}

bool TdlgLog::btnSaveLogClick()
{
    return saveRunLog(log_, options_.edtfilename->text(), programFolder_, report_);
}

bool TdlgLog::btnEmailClick()
{
    try {
        return options_.sendmail();
    } catch (...) {
        return false;  // a failed mail never stops the run
    }
}
