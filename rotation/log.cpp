#include "log.h"

#include "problemreport.h"
#include "rotopt.h"
#include "runlog.h"

#include "platform/prompts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
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

    btnEmail = new QPushButton(QStringLiteral("E-mail Log"), this);
    btnEmail->setToolTip(QStringLiteral("E-mail log to the e-mail recipient specified options"));
    btnSaveLog = new QPushButton(QStringLiteral("Save Log"), this);
    btnSaveLog->setToolTip(QStringLiteral("Save log to the filename specified in options"));
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnEmail);
    buttons->addWidget(btnSaveLog);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);

    connect(btnEmail, &QPushButton::clicked, this, &TdlgLog::btnEmailClick);
    connect(btnSaveLog, &QPushButton::clicked, this, &TdlgLog::btnSaveLogClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TdlgLog::BitBtn1Click);
    connect(&log_, &RunLog::lineAdded, memwarning, &QPlainTextEdit::appendPlainText);
    connect(&log_, &RunLog::cleared, memwarning, &QPlainTextEdit::clear);
    for (const QString& line : log_.lines())
        memwarning->appendPlainText(line);
}

bool TdlgLog::btnSaveLogClick()
{
    const QString fileName = options_.edtfilename->text();
    const platform::FileOutcome saved = log_.save(fileName);
    if (saved)
        return true;
    const QString text = QStringLiteral("Error saving your log to ") + fileName;
    if (!report_.unattended()) {
        services_.prompts.warning(text);
        return false;
    }
    // Nobody sees a box in a scheduled run; the scheduler's mail of the output is the last resort.
    const QByteArray line = printableLogText(text + QStringLiteral(": ") + saved.reason).toLocal8Bit();
    std::fprintf(stderr, "Turnfold: %s\n", line.constData());
    std::fflush(stderr);
    return false;
}

bool TdlgLog::btnEmailClick()
{
    try {
        return options_.sendmail();
    } catch (...) {
        return false;  // a failed mail never stops the run
    }
}

void TdlgLog::BitBtn1Click()
{
    close();
}
