#include "fakes.h"
#include "tempfolder.h"
#include "app/windows/appcontext.h"
#include "app/windows/entryedit.h"
#include "app/windows/snippeteditor.h"
#include "components/bitbtn.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class SnippetEditor : public ::testing::Test {
protected:
    TempFolder prog;
    FakeServices fake;
    AppContext context{fake.services, prog.path(), {}};
    TfrmRichEdit editor{context};

    SnippetEditor()
    {
        context.state.ProgramFolder = prog.path();
        QGuiApplication::clipboard()->clear();
        editor.show();
    }

    void caretAt(int position)
    {
        QTextCursor cursor = editor.Editor->textCursor();
        cursor.setPosition(position);
        editor.Editor->setTextCursor(cursor);
    }
    int caret() const { return editor.Editor->textCursor().position(); }
    QString text() const { return editor.Editor->toPlainText(); }
    void choose(int item) { editor.puInsert->actions().at(item)->trigger(); }
};

TEST_F(SnippetEditor, StartsWrappedWithTheSnippetMenuAndItsMargins)
{
    EXPECT_EQ(editor.windowTitle(), "Create HTML");
    EXPECT_TRUE(editor.btnwrap->isChecked());
    EXPECT_EQ(editor.Editor->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    editor.btnwrap->click();
    EXPECT_EQ(editor.Editor->lineWrapMode(), QPlainTextEdit::NoWrap);
    const QRect inner = editor.Editor->contentsRect();
    const QRect text = editor.Editor->viewport()->geometry();
    EXPECT_EQ(text.left() - inner.left(), 6);
    EXPECT_EQ(inner.top(), text.top());
    EXPECT_EQ(editor.Editor->typingLimit(), 1000);
    EXPECT_FALSE(editor.memsave->isVisible());

    QStringList items;
    for (const QAction* action : editor.puInsert->actions())
        items.append(action->text());
    EXPECT_EQ(items,
              (QStringList{"&&nbsp;", "<!-- COMMENT --> ", "<A HREF=\"http://www.example.com/\">Pictorum Pro</A>",
                           "<A HREF=\"mailto:info@example.com\">Pictorum Pro</A>", "<A NAME=\"PAGE TOP\"></A>", "<B>",
                           "</B>", "<BR>", "<FONT COLOR=\"#FF0000\">", "<FONT FACE=\"Arial,Helvetica\">",
                           "<FONT SIZE=+1>", "</FONT>", "<HR WIDTH=\"100%\">", "<I>", "</I>",
                           "<IMG SRC=\"image.gif\" border=\"0\" width=\"468\" height=\"60\">", "<P>",
                           "<SCRIPT LANGUAGE=\"Javascript\">", "</SCRIPT>"}));

    // The menu comes up where the mouse button is let go on the insert button.
    QTest::mouseClick(editor.btninsert, Qt::LeftButton, {}, QPoint(3, 4));
    EXPECT_TRUE(editor.puInsert->isVisible());
    EXPECT_EQ(editor.puInsert->pos().y(), editor.btninsert->mapToGlobal(QPoint(3, 4)).y()); // x kept on the screen
    editor.puInsert->hide();
}

TEST_F(SnippetEditor, SnippetsGoInAtTheCaret)
{
    choose(0);
    EXPECT_EQ(text(), "&nbsp;");
    EXPECT_EQ(caret(), 6);
    editor.setLines({"ab", "cd"});
    caretAt(4); // between "c" and "d"
    choose(5);
    EXPECT_EQ(text(), "ab\nc<B>d");
    EXPECT_EQ(caret(), 7);
    EXPECT_EQ(editor.lines(), QStringList({"ab", "c<B>d"}));
}

TEST_F(SnippetEditor, ButtonsFollowTheTextTheSelectionAndTheClipboard)
{
    const auto state = [&] {
        return QList<bool>{editor.UndoButton->isEnabled(), editor.CutButton->isEnabled(),
                           editor.CopyButton->isEnabled(), editor.PasteButton->isEnabled(),
                           editor.btnPreview->isEnabled()};
    };
    EXPECT_EQ(state(), QList<bool>({false, false, false, false, false}));
    QTest::keyClicks(editor.Editor, "abc");
    EXPECT_EQ(state(), QList<bool>({true, false, false, false, true}));
    editor.Editor->selectAll();
    EXPECT_EQ(state(), QList<bool>({true, true, true, false, true}));
    editor.CopyButton->click();
    EXPECT_TRUE(editor.PasteButton->isEnabled()); // the clipboard now holds text
    editor.CutButton->click();
    EXPECT_EQ(text(), "");
    EXPECT_EQ(state(), QList<bool>({true, false, false, true, false}));
    editor.PasteButton->click();
    EXPECT_EQ(text(), "abc");
    editor.UndoButton->click();
    EXPECT_EQ(text(), "");

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(editor.PasteButton->isEnabled());
    auto* image = new QMimeData;
    image->setData("application/x-unknown", "zz");
    QGuiApplication::clipboard()->setMimeData(image);
    EXPECT_FALSE(editor.PasteButton->isEnabled()); // nothing the edit can take
    QGuiApplication::clipboard()->setText("x");
    EXPECT_TRUE(editor.PasteButton->isEnabled());
}

TEST_F(SnippetEditor, TypingAndPastingStopAtTheLimitButTheCallersTextStaysWhole)
{
    const QString long5000(5000, QChar('x'));
    editor.setLines({long5000});
    editor.Editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor.Editor, "y");
    QTest::keyClick(editor.Editor, Qt::Key_Return);
    QGuiApplication::clipboard()->setText("pasted");
    editor.Editor->paste();
    EXPECT_EQ(text(), long5000);
    QTest::keyClick(editor.Editor, Qt::Key_Backspace);
    EXPECT_EQ(text().size(), 4999);

    editor.setLines({QString(990, QChar('a')), ""}); // 991 characters with the line break
    editor.Editor->moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText("line1\nline2\nline3");
    editor.Editor->paste();
    EXPECT_EQ(editor.lines(), QStringList({QString(990, QChar('a')), "line1", "lin"}));
    QTest::keyClicks(editor.Editor, "z");
    EXPECT_EQ(text().size(), 1000);

    // Snippets are not typed: they go in whatever the length.
    choose(7);
    EXPECT_TRUE(text().endsWith("<BR>"));
}

TEST_F(SnippetEditor, PreviewWritesTheBodyAndOpensIt)
{
    editor.setLines({"<b>a</b>", QString::fromUtf8("\u00e9t\u00e9")});
    prog.write("~prev.htm", "an older preview that was longer");
    editor.btnPreview->click();
    EXPECT_EQ(prog.read("~prev.htm"), "<BODY>\r\n<b>a</b>\r\n\xc3\xa9t\xc3\xa9\r\n</BODY>\r\n");
    EXPECT_EQ(fake.shell.opened, QStringList{prog.file("~prev.htm")});
    EXPECT_EQ(fake.prompts.calls().size(), 0);

    TempFolder other;
    other.mkdir("~prev.htm"); // a folder in the way
    context.state.ProgramFolder = other.path();
    editor.btnPreview->click();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error encountered previewing this HTML!"});
    EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::Warning);
    EXPECT_EQ(fake.shell.opened.size(), 1);
}

TEST_F(SnippetEditor, OpenReplacesTheTextAndMayMakeItReadOnly)
{
    const QString file = prog.write("snip.TXT", "<p>\r\nsecond\nthird\r\n");
    editor.setLines({"old"});
    for (bool readOnly : {false, true}) {
        fake.dialogs.script([&](QDialog& d) {
            auto& open = dynamic_cast<TOpenTextDialog&>(d);
            EXPECT_EQ(open.nameFilters(), QStringList({"Rich Text Files (*.RTF)", "Text Files (*.TXT)"}));
            EXPECT_EQ(open.chkReadOnly->text(), "Open as read-only");
            open.chkReadOnly->setChecked(readOnly);
            open.selectNameFilter("Text Files (*.TXT)");
            if (QWidget* focus = open.focusWidget())
                focus->clearFocus(); // a focused name box would not take the file
            open.selectFile(file);
            return QDialog::Accepted;
        });
        editor.OpenButton->click();
        EXPECT_EQ(editor.lines(), QStringList({"<p>", "second", "third"}));
        EXPECT_EQ(caret(), 0);
        EXPECT_EQ(editor.Editor->isReadOnly(), readOnly);
    }
    // Cancel keeps what there was.
    editor.Editor->setReadOnly(false);
    editor.setLines({"kept"});
    fake.dialogs.script([](QDialog&) { return QDialog::Rejected; });
    editor.OpenButton->click();
    EXPECT_EQ(editor.lines(), QStringList{"kept"});
}

TEST_F(SnippetEditor, PrintsUnderTheProgramsName)
{
    const QString pdf = prog.file("out.pdf");
    editor.setLines({"printed line"});
    fake.dialogs.script([&](QDialog& d) {
        QPrinter* printer = dynamic_cast<QPrintDialog&>(d).printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return QDialog::Accepted;
    });
    editor.PrintButton->click();
    const QByteArray bytes = readAll(pdf);
    ASSERT_FALSE(bytes.isEmpty());
    QByteArray title("/Title (\xfe\xff"); // the document name, in UTF-16
    for (QChar c : QStringLiteral("Pictorum Pro"))
        title += QByteArray(1, char(c.unicode() >> 8)) + QByteArray(1, char(c.unicode() & 0xff));
    EXPECT_TRUE(bytes.contains(title));

    fake.dialogs.script([](QDialog&) { return QDialog::Rejected; });
    prog.write("out.pdf", "");
    editor.PrintButton->click();
    EXPECT_EQ(readAll(pdf), "");
}

} // namespace
