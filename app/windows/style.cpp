#include "style.h"

#include "buttonimages.h"
#include "app/pages/templatecheck.h"
#include "components/bitbtn.h"

#include "platform/modalresult.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int helpContext = 56;

QString resultText(bool found)
{
    return found ? QStringLiteral("- Found") : QStringLiteral("- NOT FOUND!");
}

QPlainTextEdit* readOnlyMemo(QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setReadOnly(true);
    return memo;
}

void showFromFirstLine(QPlainTextEdit* memo)
{
    memo->moveCursor(QTextCursor::Start);
    memo->ensureCursorVisible();
}

QStringList memoLines(const QPlainTextEdit* memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

} // namespace

TdlgStyle::TdlgStyle(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("HTML Compliance"));

    edthtmlfile = new QLineEdit(this);
    edthtmlfile->setReadOnly(true);

    auto* tokens = new QGridLayout;
    QLabel** names[] = {&lblcontent, &lblIndex, &lblHeader, &lblFooter};
    QLabel** results[] = {&lblcontentres, &lblIndexres, &lblHeaderres, &lblFooterres};
    for (int row = 0; row < 4; ++row) {
        *names[row] = new QLabel(this);
        *results[row] = new QLabel(this);
        tokens->addWidget(*names[row], row, 0);
        tokens->addWidget(*results[row], row, 1);
    }
    lblinform = new QLabel(this);
    tokens->addWidget(lblinform, 0, 2);
    tokens->setColumnStretch(2, 1);

    auto* filesGroup = new QGroupBox(QStringLiteral("Required Files"), this);
    memFiles = readOnlyMemo(filesGroup);
    auto* filesLayout = new QVBoxLayout(filesGroup);
    auto* filesLabel = new QLabel(
        QStringLiteral("The HTML file uses the following files.  These will be copied to your site."), filesGroup);
    filesLabel->setWordWrap(true);
    filesLayout->addWidget(filesLabel);
    filesLayout->addWidget(memFiles);

    auto* warningsGroup = new QGroupBox(QStringLiteral("Warnings"), this);
    memWarnings = readOnlyMemo(warningsGroup);
    auto* warningsLayout = new QVBoxLayout(warningsGroup);
    warningsLayout->addWidget(memWarnings);

    rchhtml = readOnlyMemo(this);
    rchhtml->setLineWrapMode(QPlainTextEdit::NoWrap);
    rchhtml->hide();

    BitBtn1 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn1", bkOK);
    BitBtn1->SetModalResult(platform::mrNone);  // closed by its handler, which may ask first
    BitBtn2 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn2", bkCancel);
    BitBtn3 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn3", bkHelp);
    BitBtn3->SetHelp(context_.services, helpContext);

    auto* file = new QFormLayout;
    file->addRow(QStringLiteral("HTML File:"), edthtmlfile);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(file);
    outer->addLayout(tokens);
    outer->addWidget(filesGroup, 1);
    outer->addWidget(warningsGroup, 1);
    outer->addLayout(rightAlignedRow({BitBtn1, BitBtn2, BitBtn3}));
    resize(560, 480);

    connect(BitBtn1, &TILBitBtn::OnClick, this, &TdlgStyle::BitBtn1Click);
}

void TdlgStyle::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TdlgStyle::FormShow()
{
    lblcontent->setText(ContentToken);
    lblIndex->setText(IndexToken);
    lblHeader->setText(HeaderToken);
    lblFooter->setText(FooterToken);
    showFromFirstLine(memFiles);
    showFromFirstLine(memWarnings);
}

bool TdlgStyle::TestCompliancy(const QString& FileName, bool IsThumbnailPage)
{
    lblinform->setText(IsThumbnailPage ? QStringLiteral("(This text indicates where the Thumbnail grid should be inserted)")
                                       : QStringLiteral("(This text indicates where the image should be inserted)"));
    edthtmlfile->setText(FileName);
    memWarnings->clear();

    const std::optional<QString> text = loadTemplateText(FileName);
    if (!text) {
        addWarning(loadFailedWarning(FileName));
        return false;
    }
    rchhtml->setPlainText(*text);
    const TemplateTokens t = findTemplateTokens(*text);
    lblcontentres->setText(resultText(t.content));
    lblIndexres->setText(resultText(t.index));
    lblFooterres->setText(resultText(t.footer));
    lblHeaderres->setText(resultText(t.header));
    if (!t.content)
        addWarning(contentMissingWarning());
    GenerateRequiredFilesList(*text);
    (IsThumbnailPage ? context_.state.ThumbTemplateTokens : context_.state.ImageTemplateTokens) = t;
    return t.content;
}

bool TdlgStyle::GenerateRequiredFilesList(const QString& Text)
{
    memFiles->clear();
    const RequiredFilesScan scan = scanRequiredFiles(Text, platform::extractFilePath(edthtmlfile->text()));
    for (const QString& file : scan.files)
        AddRequiredFile(file);
    for (const QString& line : scan.warnings)
        addWarning(line);
    return scan.ok;
}

void TdlgStyle::AddRequiredFile(const QString& Name)
{
    if (!Name.isEmpty())
        memFiles->appendPlainText(Name);
}

void TdlgStyle::addWarning(const QString& line)
{
    memWarnings->appendPlainText(line);
}

QStringList TdlgStyle::requiredFiles() const
{
    return memoLines(memFiles);
}

QStringList TdlgStyle::warnings() const
{
    return memoLines(memWarnings);
}

void TdlgStyle::BitBtn1Click()
{
    if (!warnings().isEmpty()
        && context_.services.prompts.confirm(QStringLiteral("Some warning were raised while testing this HTML file for "
                                                            "compliancy.  Are you sure you want to use it?"))
               != platform::mrYes)
        return;
    setModalResult(platform::mrOk);
}

int showTemplateCompliance(AppContext& context, const QString& fileName, bool isThumbnailPage, QWidget* parent)
{
    TdlgStyle dialog(context, parent);
    dialog.TestCompliancy(fileName, isThumbnailPage);
    return context.services.dialogs.showModal(dialog);
}
