#include "fakes.h"
#include "filedialogdriver.h"
#include "tempfolder.h"
#include "app/windows/appcontext.h"
#include "app/windows/entryedit.h"
#include "app/windows/snippeteditor.h"

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
    int caret() const { return editor.Editor->textCursor().position(); }
    QString text() const { return editor.Editor->toPlainText(); }
    void choose(int item) { editor.puInsert->actions().at(item)->trigger(); }
};

TEST_F(SnippetEditor, SnippetsGoInAtTheCaret)
{
    EXPECT_EQ(editor.puInsert->actions().size(), 19);
    EXPECT_EQ(editor.puInsert->actions().at(0)->text(), "&&nbsp;");
    choose(0);
    EXPECT_EQ(text(), "&nbsp;");
    EXPECT_EQ(caret(), 6);
    editor.setLines({"ab", "cd"});
    QTextCursor cursor = editor.Editor->textCursor();
    cursor.setPosition(4); // between "c" and "d"
    editor.Editor->setTextCursor(cursor);
    choose(5);
    EXPECT_EQ(editor.lines(), QStringList({"ab", "c<B>d"}));
    EXPECT_EQ(caret(), 7);

    // The menu comes up where the mouse button is let go on the insert button.
    QTest::mouseClick(editor.btninsert, Qt::LeftButton, {}, QPoint(3, 4));
    EXPECT_TRUE(editor.puInsert->isVisible());
    EXPECT_EQ(editor.puInsert->pos().y(), editor.btninsert->mapToGlobal(QPoint(3, 4)).y());
    editor.puInsert->hide();
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
    editor.Editor->selectAll();
    EXPECT_EQ(state(), QList<bool>({true, true, true, false, true}));
    editor.CutButton->click();
    EXPECT_EQ(state(), QList<bool>({true, false, false, true, false}));

    auto* unknown = new QMimeData;
    unknown->setData("application/x-unknown", "zz");
    QGuiApplication::clipboard()->setMimeData(unknown);
    EXPECT_FALSE(editor.PasteButton->isEnabled());
    QGuiApplication::clipboard()->setText("x");
    EXPECT_TRUE(editor.PasteButton->isEnabled());
    editor.btnwrap->click();
    EXPECT_EQ(editor.Editor->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(SnippetEditor, TypingAndPastingStopAtTheLimitButTheCallersTextStaysWhole)
{
    const QString long5000(5000, QChar('x'));
    editor.setLines({long5000});
    editor.Editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor.Editor, "y");
    QTest::keyClick(editor.Editor, Qt::Key_Return);
    QGuiApplication::clipboard()->setText("pasted");
    editor.PasteButton->click();
    EXPECT_EQ(text(), long5000);

    editor.setLines({QString(990, QChar('a')), ""}); // 991 characters with the line break
    editor.Editor->moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText("line1\nline2");
    editor.PasteButton->click();
    EXPECT_EQ(editor.lines(), QStringList({QString(990, QChar('a')), "line1", "lin"}));
}

// A snippet from the menu goes in as a paste would: what fits below the limit, nothing into
// a read-only text.
TEST_F(SnippetEditor, SnippetsKeepTheLimitAndTheReadOnlyState)
{
    editor.setLines({QString(996, QChar('a'))});
    editor.Editor->moveCursor(QTextCursor::End);
    choose(7); // "<BR>" fills the text to 1000
    choose(5);
    EXPECT_EQ(text(), QString(996, QChar('a')) + "<BR>");
    editor.Editor->selectAll();
    choose(9); // replacing the selection makes room
    EXPECT_EQ(text(), "<FONT FACE=\"Arial,Helvetica\">");

    editor.Editor->setReadOnly(true);
    editor.Editor->moveCursor(QTextCursor::End);
    choose(0);
    EXPECT_EQ(text(), "<FONT FACE=\"Arial,Helvetica\">");
}

TEST_F(SnippetEditor, PreviewWritesTheBodyAndOpensIt)
{
    editor.setLines({"<b>a</b>", QString::fromUtf8("\u00e9t\u00e9")});
    prog.write("~prev.htm", "an older preview that was longer");
    editor.btnPreview->click();
    EXPECT_EQ(prog.read("~prev.htm"), "<BODY>\r\n<b>a</b>\r\n\xc3\xa9t\xc3\xa9\r\n</BODY>\r\n");
    EXPECT_EQ(fake.shell.opened, QStringList{prog.file("~prev.htm")});

    TempFolder other;
    other.mkdir("~prev.htm"); // a folder in the way
    context.state.ProgramFolder = other.path();
    editor.btnPreview->click();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error encountered previewing this HTML!"});
    EXPECT_EQ(fake.shell.opened.size(), 1);
}

TEST_F(SnippetEditor, OpenAndPrint)
{
    const QString file = prog.write("snip.TXT", "<p>\r\nsecond\nthird\r\n");
    fake.dialogs.script([&](QDialog& d) {
        auto& open = dynamic_cast<TOpenTextDialog&>(d);
        EXPECT_EQ(open.nameFilters(), QStringList({"Rich Text Files (*.RTF)", "Text Files (*.TXT)"}));
        open.chkReadOnly->setChecked(true);
        open.selectNameFilter("Text Files (*.TXT)");
        typeFileName(open, file);
        acceptFileDialog(open);
        return platform::mrNone;
    });
    editor.setLines({"old"});
    editor.Editor->moveCursor(QTextCursor::End);
    editor.OpenButton->click();
    EXPECT_EQ(editor.lines(), QStringList({"<p>", "second", "third"}));
    EXPECT_EQ(caret(), 0);
    EXPECT_TRUE(editor.Editor->isReadOnly());

    const QString pdf = prog.file("out.pdf");
    fake.dialogs.script([&](QDialog& d) {
        QPrinter* printer = dynamic_cast<QPrintDialog&>(d).printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return QDialog::Accepted;
    });
    editor.PrintButton->click();
    QByteArray title("/Title (\xfe\xff"); // the document name, in UTF-16
    for (QChar c : QStringLiteral("Pictorum Pro"))
        title += QByteArray(1, char(c.unicode() >> 8)) + QByteArray(1, char(c.unicode() & 0xff));
    EXPECT_TRUE(readAll(pdf).contains(title));
}

} // namespace
