#include "snippeteditor.h"

#include "buttonimages.h"
#include "entryedit.h"
#include "app/pages/headerfooterlist.h"
#include "app/site/fileroutines.h"
#include "components/bitbtn.h"

#include "platform/fileidentity.h"
#include "platform/programfiles.h"
#include "platform/prompts.h"
#include "platform/safewrite.h"
#include "platform/shell.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int editorLimit = 1000;
constexpr int sideMargin = 6;
}

const QStringList& htmlSnippets()
{
    static const QStringList snippets{
        QStringLiteral("&nbsp;"),
        QStringLiteral("<!-- COMMENT --> "),
        QStringLiteral("<A HREF=\"http://www.example.com/\">Pictorum Pro</A>"),
        QStringLiteral("<A HREF=\"mailto:info@example.com\">Pictorum Pro</A>"),
        QStringLiteral("<A NAME=\"PAGE TOP\"></A>"),
        QStringLiteral("<B>"),
        QStringLiteral("</B>"),
        QStringLiteral("<BR>"),
        QStringLiteral("<FONT COLOR=\"#FF0000\">"),
        QStringLiteral("<FONT FACE=\"Arial,Helvetica\">"),
        QStringLiteral("<FONT SIZE=+1>"),
        QStringLiteral("</FONT>"),
        QStringLiteral("<HR WIDTH=\"100%\">"),
        QStringLiteral("<I>"),
        QStringLiteral("</I>"),
        QStringLiteral("<IMG SRC=\"image.gif\" border=\"0\" width=\"468\" height=\"60\">"),
        QStringLiteral("<P>"),
        QStringLiteral("<SCRIPT LANGUAGE=\"Javascript\">"),
        QStringLiteral("</SCRIPT>"),
    };
    return snippets;
}

TOpenTextDialog::TOpenTextDialog(QWidget* parent)
    : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters({QStringLiteral("Rich Text Files (*.RTF)"), QStringLiteral("Text Files (*.TXT)")});
    chkReadOnly = new QCheckBox(QStringLiteral("Open as read-only"), this);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(chkReadOnly, grid->rowCount(), 0, 1, grid->columnCount());
    else if (layout())
        layout()->addWidget(chkReadOnly);
}

TfrmRichEdit::TfrmRichEdit(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Create HTML"));
    setSizeGripEnabled(true);
    resize(560, 360);

    ToolBar = new QToolBar(this);
    OpenButton = addTool(QStringLiteral("OpenButton"), QStringLiteral("document-open"), QStringLiteral("Open"));
    PrintButton = addTool(QStringLiteral("PrintButton"), QStringLiteral("document-print"), QStringLiteral("Print"));
    ToolBar->addSeparator();
    UndoButton = addTool(QStringLiteral("UndoButton"), QStringLiteral("edit-undo"), QStringLiteral("Undo"));
    CutButton = addTool(QStringLiteral("CutButton"), QStringLiteral("edit-cut"), QStringLiteral("Cut"));
    CopyButton = addTool(QStringLiteral("CopyButton"), QStringLiteral("edit-copy"), QStringLiteral("Copy"));
    PasteButton = addTool(QStringLiteral("PasteButton"), QStringLiteral("edit-paste"), QStringLiteral("Paste"));
    ToolBar->addSeparator();
    btnwrap = addTool(QStringLiteral("btnwrap"), QStringLiteral("format-justify-left"), QStringLiteral("Word Wrap"));
    btnwrap->setCheckable(true);
    btnwrap->setChecked(true);
    btninsert = addTool(QStringLiteral("btninsert"), QStringLiteral("insert-text"), QStringLiteral("Insert HTML"));
    btninsert->installEventFilter(this);
    btnPreview = addTool(QStringLiteral("btnPreview"), QStringLiteral("document-print-preview"), QStringLiteral("Preview"));

    puInsert = new QMenu(this);
    for (const QString& snippet : htmlSnippets()) {
        QAction* item = puInsert->addAction(QString(snippet).replace(QLatin1Char('&'), QLatin1StringView("&&")));
        connect(item, &QAction::triggered, this, [this, snippet] { insertSnippet(snippet); });
    }

    Editor = new LimitedPlainTextEdit(editorLimit, this);
    Editor->setObjectName(QStringLiteral("Editor"));
    Editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Editor->setSideMargins(sideMargin);
    Editor->setBackgroundRole(QPalette::Base); // the margins look like the edit
    Editor->setAutoFillBackground(true);
    memsave = new QPlainTextEdit(this);
    memsave->hide();

    BitBtn1 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn1", bkOK);
    BitBtn2 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn2", bkCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(ToolBar);
    layout->addWidget(Editor, 1);
    layout->addLayout(rightAlignedRow({BitBtn1, BitBtn2}));

    connect(OpenButton, &QToolButton::clicked, this, &TfrmRichEdit::FileOpen);
    connect(PrintButton, &QToolButton::clicked, this, &TfrmRichEdit::FilePrint);
    connect(UndoButton, &QToolButton::clicked, Editor, &QPlainTextEdit::undo);
    connect(CutButton, &QToolButton::clicked, Editor, &QPlainTextEdit::cut);
    connect(CopyButton, &QToolButton::clicked, Editor, &QPlainTextEdit::copy);
    connect(PasteButton, &QToolButton::clicked, Editor, &QPlainTextEdit::paste);
    connect(btnwrap, &QToolButton::toggled, this, &TfrmRichEdit::btnwrapClick);
    connect(btnPreview, &QToolButton::clicked, this, &TfrmRichEdit::btnPreviewClick);
    connect(Editor, &QPlainTextEdit::selectionChanged, this, &TfrmRichEdit::SelectionChange);
    connect(Editor, &QPlainTextEdit::textChanged, this, &TfrmRichEdit::RichEditChange);
    connect(Editor, &QPlainTextEdit::undoAvailable, this, &TfrmRichEdit::RichEditChange);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TfrmRichEdit::UpdatePasteButton);

    SelectionChange();
    RichEditChange();
    UpdatePasteButton();
}

QToolButton* TfrmRichEdit::addTool(const QString& name, const QString& themeIcon, const QString& hint)
{
    auto* button = new QToolButton(ToolBar);
    button->setObjectName(name);
    button->setIcon(QIcon::fromTheme(themeIcon));
    button->setText(hint);
    button->setToolTip(hint);
    button->setToolButtonStyle(button->icon().isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    ToolBar->addWidget(button);
    return button;
}

QStringList TfrmRichEdit::lines() const
{
    return Editor->toPlainText().split(QLatin1Char('\n'));
}

void TfrmRichEdit::setLines(const QStringList& lines)
{
    Editor->setPlainText(lines.join(QLatin1Char('\n')));
}

void TfrmRichEdit::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TfrmRichEdit::FormShow()
{
    const int caret = Editor->textCursor().position();
    SelectionChange();
    RichEditChange();
    UpdatePasteButton();
    Editor->setFocus();
    QTextCursor cursor = Editor->textCursor();
    cursor.setPosition(caret);
    Editor->setTextCursor(cursor);
}

bool TfrmRichEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == btninsert && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && btninsert->rect().contains(mouse->position().toPoint()))
            puInsert->popup(mouse->globalPosition().toPoint());
    }
    return ModalDialog::eventFilter(watched, event);
}

void TfrmRichEdit::SelectionChange()
{
    const bool selected = Editor->textCursor().hasSelection();
    CopyButton->setEnabled(selected);
    CutButton->setEnabled(selected);
}

void TfrmRichEdit::RichEditChange()
{
    UndoButton->setEnabled(Editor->document()->isUndoAvailable());
    btnPreview->setEnabled(!Editor->document()->isEmpty());
}

void TfrmRichEdit::UpdatePasteButton()
{
    PasteButton->setEnabled(Editor->canPaste());
}

void TfrmRichEdit::FileOpen()
{
    TOpenTextDialog dialog(this);
    if (context_.services.dialogs.showModal(dialog) != QDialog::Accepted)
        return;
    const QString file = dialog.selectedFiles().value(0);
    if (file.isEmpty())
        return;
    const std::optional<QStringList> fileLines = readHeaderFooterEntries(file); // a list file's reading: its lines
    if (!fileLines) {
        context_.services.prompts.error(QStringLiteral("Cannot open file \"%1\".").arg(file));
        return;
    }
    Editor->setReadOnly(false);
    setLines(*fileLines);
    Editor->moveCursor(QTextCursor::Start);
    Editor->setReadOnly(dialog.chkReadOnly->isChecked());
    UpdatePasteButton();
}

void TfrmRichEdit::FilePrint()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (context_.services.dialogs.showModal(dialog) != QDialog::Accepted)
        return;
    printer.setDocName(QStringLiteral("Pictorum Pro"));
    Editor->print(&printer);
}

void TfrmRichEdit::btnwrapClick()
{
    Editor->setLineWrapMode(btnwrap->isChecked() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TfrmRichEdit::insertSnippet(const QString& text)
{
    Editor->insertFitting(text); // the caret ends right after what went in
    Editor->setFocus();
}

void TfrmRichEdit::btnPreviewClick()
{
    platform::PromptService& prompts = context_.services.prompts;
    const QString file = context_.state.ProgramFolder + platform::programfile::snippetPreview;
    if (platform::fileExists(file) && !dodeletefile(file, true, prompts))
        return;
    memsave->setPlainText(QStringLiteral("<BODY>\n") + Editor->toPlainText() + QStringLiteral("\n</BODY>"));
    QByteArray bytes;
    for (const QString& line : memsave->toPlainText().split(QLatin1Char('\n')))
        bytes += line.toUtf8() + "\r\n";
    if (!platform::writeDisposableFile(file, bytes)) {
        prompts.warning(QStringLiteral("Error encountered previewing this HTML!"));
        return;
    }
    platform::openDocument(context_.services, file);
}
