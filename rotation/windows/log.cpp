#include "log.h"

#include "buttonimages.h"
#include "rotopt.h"
#include "components/bitbtn.h"
#include "rotation/engine/problemreport.h"
#include "rotation/engine/runlog.h"

#include "platform/prompts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <cstdio>

TdlgLog::TdlgLog(RunLog& log, TdlgRotOpt& options, const ProblemReport& report, const platform::Services& services,
                 QWidget* parent)
    : ModalDialog(parent)
    , log_(log)
    , options_(options)
    , report_(report)
    , services_(services)
{
    setObjectName(QStringLiteral("dlgLog"));
    setWindowTitle(QStringLiteral("Rotation Process Log"));
    resize(520, 380);

    Label1 = new QLabel(this);
    Label1->setWordWrap(true);
    auto* group = new QGroupBox(QStringLiteral("Log"), this);
    memwarning = new QPlainTextEdit(group);
    memwarning->setReadOnly(true);
    memwarning->setLineWrapMode(QPlainTextEdit::NoWrap);
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

void TdlgLog::btnSaveLogClick()
{
    const QString fileName = options_.edtfilename->text();
    const platform::FileOutcome saved = log_.save(fileName);
    if (saved)
        return;
    const QString text = QStringLiteral("Error saving your log to ") + fileName;
    if (!report_.unattended()) {
        services_.prompts.warning(text);
        return;
    }
    // Nobody sees a box in a scheduled run; the scheduler's mail of the output is the last resort.
    const QByteArray line = (text + QStringLiteral(": ") + saved.reason).toLocal8Bit();
    std::fprintf(stderr, "Turnfold: %s\n", line.constData());
    std::fflush(stderr);
}

void TdlgLog::btnEmailClick()
{
    try {
        options_.sendmail();
    } catch (...) {
        // A failed mail never stops the run.
    }
}
