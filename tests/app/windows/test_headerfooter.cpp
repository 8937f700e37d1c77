#include "fakes.h"
#include "tempfolder.h"
#include "app/windows/appcontext.h"
#include "app/windows/entryedit.h"
#include "app/windows/headerfootercomposer.h"
#include "app/windows/headerfooterlisteditor.h"
#include "app/windows/snippeteditor.h"
#include "components/bitbtn.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

namespace {

// The dialogs over a temporary program folder, with "Site_7" the current site.
class HeaderFooter : public ::testing::Test {
protected:
    TempFolder prog;
    FakeServices fake;
    AppContext context{fake.services, prog.path(), {}};
    TdlgNewHeaderFooter composer{context};

    HeaderFooter()
    {
        context.state.ProgramFolder = prog.path();
        context.state.CurrentSite.SiteKey = "Site_7";
    }

    // The next composer shown gets this HTML, then OK or Cancel.
    void composeNext(const QString& html, bool ok = true)
    {
        fake.dialogs.script([this, html, ok](QDialog&) {
            composer.rdbRawHTML->setChecked(true);
            composer.edtRawHTML->setText(html);
            if (ok)
                composer.BitBtn1Click();
            return ok ? platform::mrNone : platform::mrCancel;
        });
    }
    // A list editor on a file, shown (so loaded) as the helper shows it.
    std::unique_ptr<TdlgHeaderFooter> listEditor(const QString& file, bool header = true)
    {
        auto d = std::make_unique<TdlgHeaderFooter>(context, composer);
        d->chkisheader->setChecked(header);
        d->edtheaderfile->setText(file);
        d->FormShow();
        return d;
    }
    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

// ---- the composer ----

TEST_F(HeaderFooter, ComposerTextsEnableRuleAndRefusals)
{
    TdlgNewHeaderFooter& c = composer;
    c.chkisheader->setChecked(true);
    c.FormShow();
    EXPECT_EQ(c.windowTitle(), "Edit Header");
    EXPECT_EQ(c.lblmessage->text(), "The Header is a small piece of HTML that is placed at the top of each created page.  "
                                    "It may be text, a banner or a link to another site.  The Header will replace the "
                                    "text, ***HEADER***, in your HTML page.");
    const QList<QWidget*> image{c.lblimageurl, c.edtimageurl, c.lblimagelink, c.edtimagelink,
                                c.lblalttext,  c.edtalttext,  c.lblborderwidth, c.spnborderwidth};
    const QList<QWidget*> text{c.lbltext, c.edttext, c.lbltextlink, c.edttextlink};
    for (QRadioButton* radio : {c.rdbimagelink, c.rdbtextlink, c.rdbRawHTML}) {
        click(radio);
        EXPECT_EQ(c.edtRawHTML->isEnabled(), radio == c.rdbRawHTML);
        for (QWidget* w : image)
            EXPECT_EQ(w->isEnabled(), radio == c.rdbimagelink);
        for (QWidget* w : text)
            EXPECT_EQ(w->isEnabled(), radio == c.rdbtextlink);
        EXPECT_TRUE(c.btnEditHTML->isEnabled());
    }

    // Only the chosen kind's box counts.
    c.edtimageurl->setText("unused.gif");
    c.edttext->setText("unused");
    c.BitBtn1Click();
    c.edtRawHTML->setText("<p>");
    c.edtimageurl->clear();
    c.rdbimagelink->setChecked(true);
    c.BitBtn1Click();
    c.edtimageurl->setText("unused.gif");
    c.edttext->clear();
    c.rdbtextlink->setChecked(true);
    c.BitBtn1Click();
    EXPECT_EQ(fake.prompts.promptTexts(),
              (QStringList{"You have not entered the HTML you would like to be inserted!",
                           "You have not entered the location of the image you would like to be inserted!",
                           "You have not entered the text that you would like to be inserted!"}));
    EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::Information);
    EXPECT_EQ(c.result(), platform::mrNone);
    EXPECT_EQ(c.edtRawHTML->text(), "<p>");
}

TEST_F(HeaderFooter, ComposerMakesTheEntryOfEachKind)
{
    struct Case {
        QRadioButton* TdlgNewHeaderFooter::*kind;
        QString first, link, alt;
        int border;
        QString entry;
    } cases[] = {
        {&TdlgNewHeaderFooter::rdbRawHTML, "  <b>as typed</b> ", "", "", 0, "  <b>as typed</b> "},
        {&TdlgNewHeaderFooter::rdbtextlink, " Visit ", "  http://a.example/  ", "", 0, "<A HREF=\"http://a.example/\"> Visit </A>"},
        {&TdlgNewHeaderFooter::rdbtextlink, "Visit", "", "", 0, "Visit"},
        {&TdlgNewHeaderFooter::rdbtextlink, "Visit", " http:// ", "", 0, "Visit"},
        {&TdlgNewHeaderFooter::rdbimagelink, " b.gif ", "http://b.example", " Our banner ", 2,
         "<A HREF=\"http://b.example\"><img SRC=\"b.gif\" ALT=\"Our banner\" BORDER=2></A>"},
        {&TdlgNewHeaderFooter::rdbimagelink, "b.gif", "http://", "", 0, "<img SRC=\"b.gif\" BORDER=0>"},
        {&TdlgNewHeaderFooter::rdbimagelink, "b.gif", "", "x", 12, "<img SRC=\"b.gif\" ALT=\"x\" BORDER=9>"},
    };
    for (const Case& k : cases) {
        TdlgNewHeaderFooter c(context);
        (c.*k.kind)->setChecked(true);
        EXPECT_EQ(c.edttextlink->text(), "http://");
        c.edtRawHTML->setText(k.first);
        c.edttext->setText(k.first);
        c.edttextlink->setText(k.link);
        c.edtimageurl->setText(k.first);
        c.edtimagelink->setText(k.link);
        c.edtalttext->setText(k.alt);
        c.spnborderwidth->setValue(k.border);
        c.BitBtn1Click();
        EXPECT_EQ(c.result(), platform::mrOk);
        EXPECT_EQ(c.edtRawHTML->text(), k.entry);
    }
}

TEST_F(HeaderFooter, EditSplitsAtTheBarsAndJoinsTheLinesBack)
{
    struct Case {
        QString html;
        QStringList lines;   // as the snippet editor opens
        QStringList edited;  // what it holds at OK (empty: unchanged)
        bool ok;
        QString after;
    } cases[] = {
        {"a|b", {"a", "b"}, {}, true, "a|b"},
        {"a|b", {"a", "b"}, {}, false, "a|b|"},
        {"", {""}, {}, true, ""},
        {"", {""}, {}, false, "|"},
        {"a||b|", {"a", "", "b"}, {"<B>", "two"}, true, "<B>|two"},
    };
    for (const Case& k : cases) {
        composer.edtRawHTML->setText(k.html);
        fake.dialogs.script([&](QDialog& d) {
            auto& editor = dynamic_cast<TfrmRichEdit&>(d);
            EXPECT_EQ(editor.lines(), k.lines) << k.html.toStdString();
            if (!k.edited.isEmpty())
                editor.setLines(k.edited);
            return k.ok ? platform::mrOk : platform::mrCancel;
        });
        click(composer.btnEditHTML);
        EXPECT_EQ(composer.edtRawHTML->text(), k.after);
    }
    EXPECT_EQ(fake.dialogs.shown, QStringList(5, "TfrmRichEdit"));
}

TEST_F(HeaderFooter, EntryBoxesKeepBreaksOutAndLimitOnlyTyping)
{
    EntryLineEdit& raw = *composer.edtRawHTML;
    composer.show();
    raw.setText(QString(40000, QChar('x'))); // set by the program: kept whole
    EXPECT_EQ(raw.text().size(), 40000);
    raw.setFocus();
    raw.end(false);
    QTest::keyClicks(&raw, "y");
    QTest::keyClick(&raw, Qt::Key_Backspace);
    EXPECT_EQ(raw.text(), QString(39999, QChar('x')));

    raw.clear();
    QGuiApplication::clipboard()->setText("<p>one\r\ntwo\nthree\rfour</p>");
    QTest::keyClick(&raw, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(raw.text(), "<p>one|two|three|four</p>");
    raw.setText(QString(995, QChar('a')));
    QGuiApplication::clipboard()->setText("0123456789");
    QTest::keyClick(&raw, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(&raw, "z");
    EXPECT_EQ(raw.text(), QString(995, QChar('a')) + "01234");
    // The context menu's paste is found to be taken over.
    const std::unique_ptr<QMenu> menu(raw.createStandardContextMenu());
    const QList<QAction*> actions = menu->actions();
    EXPECT_EQ(std::count_if(actions.begin(), actions.end(), isPasteAction), 1);
}

// ---- the list editor ----

TEST_F(HeaderFooter, ListEditorTextsAndDefaultListNames)
{
    struct Case {
        bool header;
        QStringList taken;
        QString name;
    } cases[] = {
        {true, {}, "Site_7_Headers.txt"},
        {true, {"Site_7_Headers.txt", "Site_7_Headers2.txt"}, "Site_7_Headers3.txt"},
        {false, {"Site_7_Headers.txt", "Site_7_Footers.txt"}, "Site_7_Footers2.txt"},
    };
    for (const Case& k : cases) {
        TempFolder folder;
        context.state.ProgramFolder = folder.path();
        for (const QString& file : k.taken)
            folder.write(file, "taken\r\n");
        const auto d = listEditor(QString(), k.header);
        EXPECT_EQ(d->edtheaderfile->text(), folder.file(k.name));
        EXPECT_EQ(d->lbxheaders->count(), 0);
        const QString what = k.header ? "Header" : "Footer";
        EXPECT_EQ(d->windowTitle(), "Edit " + what + " List");
        EXPECT_EQ(d->GroupBox1->title(), what + " List");
        EXPECT_EQ(d->GroupBox2->title(), what + " List File");
    }
    EXPECT_EQ(listEditor("", false)->lblmessage->text(),
              "This dialog allows you to place a different Footer on each created page.  The Footer is a small piece "
              "of HTML that is placed at the bottom of each page.  It may be text, a banner or a link to another "
              "site.  Each time a new page is created, the Footer HTML is taken from the next list item.  When there "
              "are no more items, it reverts to the first item.");
}

TEST_F(HeaderFooter, AddModifyRemoveClearAndTheEnableRules)
{
    const auto d = listEditor(prog.file("f.txt"), false);
    const auto enabled = [&] {
        return QList<bool>{d->btnremove->isEnabled(), d->btnmodify->isEnabled(), d->bkmkup->isEnabled(),
                           d->bkmkdown->isEnabled(), d->btnclearall->isEnabled()};
    };
    const QList<bool> none{false, false, false, false, false}, listed{false, false, false, false, true};
    EXPECT_EQ(enabled(), none);
    composeNext("A");
    click(d->btnadd);
    EXPECT_FALSE(composer.chkisheader->isChecked());
    EXPECT_EQ(enabled(), listed);
    composeNext("B");
    click(d->btnadd);
    d->lbxheaders->setCurrentRow(1);
    EXPECT_EQ(enabled(), QList<bool>(5, true));
    composeNext("C"); // the last selected: appended
    click(d->btnadd);
    d->lbxheaders->setCurrentRow(0);
    composeNext("D"); // the first of three selected: ahead of it
    click(d->btnadd);
    composeNext("never", false);
    click(d->btnadd);
    EXPECT_EQ(d->entries(), QStringList({"D", "A", "B", "C"}));

    d->lbxheaders->setCurrentRow(2);
    composer.rdbtextlink->setChecked(true);
    fake.dialogs.script([&](QDialog&) {
        EXPECT_TRUE(composer.rdbRawHTML->isChecked());
        EXPECT_EQ(composer.edtRawHTML->text(), "B");
        composer.edtRawHTML->setText("B2");
        composer.BitBtn1Click();
        return platform::mrNone;
    });
    click(d->btnmodify);
    click(d->btnremove); // the modified entry stays selected
    EXPECT_EQ(d->entries(), QStringList({"D", "A", "C"}));
    EXPECT_EQ(enabled(), listed);

    fake.prompts.answer(platform::mrNo);
    click(d->btnclearall);
    EXPECT_EQ(d->lbxheaders->count(), 3);
    fake.prompts.answer(platform::mrYes);
    click(d->btnclearall);
    EXPECT_EQ(enabled(), none);
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList(2, "Are you sure you want to clear all your entries?"));
    EXPECT_EQ(fake.prompts.lastPrompt().buttons, platform::PromptButtons::YesNo);
}

TEST_F(HeaderFooter, MovesWrapRoundAndKeepTheEntrySelected)
{
    const auto d = listEditor(prog.file("h.txt"));
    d->lbxheaders->addItems({"1", "2", "3"});
    struct Step {
        int row;
        bool up;
        QStringList after;
        int selected;
    } steps[] = {
        {0, true, {"2", "3", "1"}, 2},
        {2, false, {"1", "2", "3"}, 0},
        {1, true, {"2", "1", "3"}, 0},
    };
    for (const Step& s : steps) {
        d->lbxheaders->setCurrentRow(s.row);
        click(s.up ? d->bkmkup : d->bkmkdown);
        EXPECT_EQ(d->entries(), s.after);
        EXPECT_EQ(d->lbxheaders->currentRow(), s.selected);
        EXPECT_TRUE(d->lbxheaders->currentItem()->isSelected());
    }
}

TEST_F(HeaderFooter, OkSavesTheWholeListAndShowReadsItBack)
{
    const QString file = prog.file("heads.txt");
    const QString umlauts = QString::fromUtf8("Gr\u00fc\u00dfe");
    const QString long5000(5000, QChar('w'));
    const auto d = listEditor(file);
    click(d->BitBtn3); // no entries
    composeNext("<b>x</b>|y");
    click(d->btnadd);
    composeNext(umlauts);
    click(d->btnadd);
    d->lbxheaders->addItem(long5000);
    d->lbxheaders->setCurrentRow(2);
    fake.dialogs.script([&](QDialog&) {
        composer.BitBtn1Click(); // Modify with the text as it came
        return platform::mrNone;
    });
    click(d->btnmodify);
    d->edtheaderfile->clear();
    click(d->BitBtn3); // no file
    d->edtheaderfile->setText(file);
    click(d->BitBtn3);
    EXPECT_EQ(d->result(), platform::mrOk);
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList(2, "You have not created Header List!"));
    EXPECT_EQ(readAll(file), "<b>x</b>|y\r\n" + umlauts.toUtf8() + "\r\n" + long5000.toUtf8() + "\r\n");
    EXPECT_EQ(listEditor(file)->entries(), QStringList({"<b>x</b>|y", umlauts, long5000}));
}

TEST_F(HeaderFooter, ListFilesReadAsTheBuildReadsThem)
{
    struct Case {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"\xef\xbb\xbf<p>\r\n", {"<p>"}},
        {"caf\xe9\r\n\xc3\xa9t\xc3\xa9", {QString::fromUtf8("caf\u00e9"), QString::fromUtf8("\u00e9t\u00e9")}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(listEditor(prog.write("list.txt", k.bytes))->entries(), k.entries);
    EXPECT_EQ(fake.prompts.calls().size(), 0);
}

// A list from an older system is Latin-1: entries left alone go back byte for byte (Modify
// with the text as it came, a move), an edited or added entry goes in Latin-1, with a
// character reference for each character Latin-1 lacks. A UTF-8 list takes edits in UTF-8.
TEST_F(HeaderFooter, ListsKeepTheirBytesAndTheirEncoding)
{
    const QByteArray latin1 = "<b>Caf\xe9</b>|cr\xe8me\r\n\xc3\xa9t\xc3\xa9\nold\r\nlast";
    const QString file = prog.write("latin1.txt", latin1);
    const auto keep = [&] {
        fake.dialogs.script([&](QDialog&) {
            composer.BitBtn1Click();
            return platform::mrNone;
        });
    };
    {
        const auto d = listEditor(file);
        EXPECT_EQ(d->entries(), QStringList({QString::fromUtf8("<b>Caf\u00e9</b>|cr\u00e8me"),
                                             QString::fromUtf8("\u00e9t\u00e9"), "old", "last"}));
        d->lbxheaders->setCurrentRow(0);
        keep();
        click(d->btnmodify);
        click(d->BitBtn3);
        EXPECT_EQ(d->result(), platform::mrOk);
        EXPECT_EQ(readAll(file), "<b>Caf\xe9</b>|cr\xe8me\r\n\xc3\xa9t\xc3\xa9\r\nold\r\nlast\r\n");
    }
    const auto d = listEditor(file);
    d->lbxheaders->setCurrentRow(2);
    composeNext(QString::fromUtf8("cr\u00e8me \u00e0 5 \u20ac \U0001D11E"));
    click(d->btnmodify);
    d->lbxheaders->setCurrentRow(0);
    click(d->bkmkup); // the first entry goes last, its bytes with it
    d->lbxheaders->setCurrentRow(3);
    composeNext(QString::fromUtf8("new \u00e9"));
    click(d->btnadd);
    click(d->BitBtn3);
    EXPECT_EQ(readAll(file), "\xc3\xa9t\xc3\xa9\r\ncr\xe8me \xe0 5 &#8364; &#119070;\r\nlast\r\n"
                             "<b>Caf\xe9</b>|cr\xe8me\r\nnew \xe9\r\n");

    const QString utf8 = prog.write("utf8.txt", "caf\xc3\xa9\nsecond");
    const auto u = listEditor(utf8);
    u->lbxheaders->setCurrentRow(1);
    composeNext(QString::fromUtf8("cr\u00e8me \u20ac"));
    click(u->btnmodify);
    click(u->BitBtn3);
    EXPECT_EQ(readAll(utf8), "caf\xc3\xa9\r\ncr\xc3\xa8me \xe2\x82\xac\r\n");
    EXPECT_EQ(fake.prompts.calls().size(), 0);
}

TEST_F(HeaderFooter, BadListFilesWarnAndKeepTheList)
{
    const QString folder = prog.mkdir("folder.txt");
    EXPECT_EQ(listEditor(folder)->lbxheaders->count(), 0);
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"Error encountered loading your Header List list file, " + folder + "!"});
    EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::Warning);

    fake.prompts.clear();
    const auto d = listEditor(prog.file("missing.txt"), false); // missing: no message
    d->lbxheaders->addItems({"kept", "too"});
    fake.prompts.answerFile(folder);
    click(d->btnloadfromfile);
    EXPECT_EQ(d->entries(), QStringList({"kept", "too"}));
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error encountered loading your Footer List list file, " + folder + "!"});

    prog.write("plain", "x");
    for (const QString& bad : {prog.file("plain/list.txt"), prog.file("nofolder/list.txt")}) {
        fake.prompts.clear();
        fake.prompts.answerFile(bad);
        click(d->btnsavetofile);
        click(d->BitBtn3);
        EXPECT_EQ(fake.prompts.promptTexts(), QStringList(2, "Error encountered saving your Footer List file," + bad + "!"));
        EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::Information);
        EXPECT_EQ(d->result(), platform::mrNone);
    }
}

TEST_F(HeaderFooter, AFailedSaveLeavesTheOldFileAsItWas)
{
    const QString file = prog.write("foot.txt", "old\r\n");
    const auto d = listEditor(file);
    for (int i = 0; i < 100; ++i)
        d->lbxheaders->addItem(QString(1000, QChar('a' + i % 26)));

    // Writes past 64 KiB fail, as on a full disk.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    click(d->BitBtn3);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error encountered saving your Header List file," + file + "!"});
    EXPECT_EQ(d->result(), platform::mrNone);
    EXPECT_EQ(readAll(file), "old\r\n");
    EXPECT_EQ(QDir(prog.path()).entryList(QDir::Files), QStringList{"foot.txt"});
}

TEST_F(HeaderFooter, CancelInEitherFileDialogChangesNothing)
{
    const QString file = prog.write("heads.txt", "one\r\ntwo\r\n");
    const auto d = listEditor(file);
    composeNext("three");
    click(d->btnadd);
    fake.prompts.answerFile(std::nullopt);
    click(d->btnloadfromfile);
    fake.prompts.answerFile(std::nullopt);
    click(d->btnsavetofile);
    EXPECT_EQ(d->entries(), QStringList({"one", "two", "three"}));
    EXPECT_EQ(d->edtheaderfile->text(), file);
    EXPECT_EQ(readAll(file), "one\r\ntwo\r\n");
    ASSERT_EQ(fake.prompts.calls().size(), 2);
    EXPECT_EQ(fake.prompts.calls()[0].caption, "Please select a text file");
    EXPECT_EQ(fake.prompts.calls()[1].caption, "Please choose a file name");

    click(d->BitBtn2);
    click(composer.BitBtn3);
    EXPECT_EQ(fake.shell.helpContexts, QList<int>({28, 29}));
}

} // namespace
