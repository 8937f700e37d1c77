#include "fakes.h"
#include "tempfolder.h"
#include "app/windows/appcontext.h"
#include "app/windows/entryedit.h"
#include "app/windows/headerfootercomposer.h"
#include "app/windows/headerfooterdialogs.h"
#include "app/windows/headerfooterlisteditor.h"
#include "app/windows/snippeteditor.h"
#include "components/bitbtn.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

// The three windows over a temporary program folder and the current site "Site_7".
class HeaderFooter : public ::testing::Test {
protected:
    TempFolder prog;
    FakeServices fake;
    AppContext context{fake.services, prog.path(), {}};

    HeaderFooter()
    {
        context.state.ProgramFolder = prog.path();
        context.state.CurrentSite.SiteKey = "Site_7";
    }

    // Scripts the next composer shown: the HTML typed, then OK (or Cancel).
    void composeNext(const QString& html, bool ok = true)
    {
        fake.dialogs.script([html, ok](QDialog& d) {
            auto& c = dynamic_cast<TdlgNewHeaderFooter&>(d);
            c.rdbRawHTML->setChecked(true);
            c.edtRawHTML->setText(html);
            if (!ok)
                return platform::mrCancel;
            c.BitBtn1Click();
            return platform::mrNone;
        });
    }

    static QStringList rows(const TdlgHeaderFooter& d) { return d.entries(); }

    // Clicks a button of the list editor as the user does.
    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

// ---- the composer ----

TEST_F(HeaderFooter, ComposerTextsAndWhichBoxesEachKindEnables)
{
    TdlgNewHeaderFooter c(context);
    for (bool header : {true, false}) {
        c.chkisheader->setChecked(header);
        c.FormShow();
        EXPECT_EQ(c.windowTitle(), header ? "Edit Header" : "Edit Footer");
        EXPECT_EQ(c.lblmessage->text(),
                  header ? "The Header is a small piece of HTML that is placed at the top of each created page.  It may "
                           "be text, a banner or a link to another site.  The Header will replace the text, ***HEADER***, "
                           "in your HTML page."
                         : "The Footer is a small piece of HTML that is placed at the bottom of each created page.  It "
                           "may be text, a banner or a link to another site.  The Footer will replace the text, "
                           "***FOOTER***, in your HTML page.");
    }
    EXPECT_TRUE(c.rdbRawHTML->isChecked());
    EXPECT_EQ(c.edtimagelink->text(), "http://");
    EXPECT_EQ(c.edttextlink->text(), "http://");
    EXPECT_EQ(c.spnborderwidth->value(), 0);
    EXPECT_EQ(c.spnborderwidth->maximum(), 9);

    const QList<QWidget*> raw{c.edtRawHTML};
    const QList<QWidget*> image{c.lblimageurl, c.edtimageurl, c.lblimagelink, c.edtimagelink,
                                c.lblalttext,  c.edtalttext,  c.lblborderwidth, c.spnborderwidth};
    const QList<QWidget*> text{c.lbltext, c.edttext, c.lbltextlink, c.edttextlink};
    for (QRadioButton* radio : {c.rdbimagelink, c.rdbtextlink, c.rdbRawHTML}) {
        QTest::mouseClick(radio, Qt::LeftButton);
        for (QWidget* w : raw)
            EXPECT_EQ(w->isEnabled(), radio == c.rdbRawHTML);
        for (QWidget* w : image)
            EXPECT_EQ(w->isEnabled(), radio == c.rdbimagelink) << w->metaObject()->className();
        for (QWidget* w : text)
            EXPECT_EQ(w->isEnabled(), radio == c.rdbtextlink);
        EXPECT_TRUE(c.btnEditHTML->isEnabled());
    }
}

TEST_F(HeaderFooter, ComposerMakesTheEntryOfEachKind)
{
    struct Case {
        const char* kind;
        QString first, link, alt;
        int border;
        QString entry;
    } cases[] = {
        {"html", "  <b>as typed</b> ", "", "", 0, "  <b>as typed</b> "},
        {"text", " Visit us ", "  http://a.example/  ", "", 0, "<A HREF=\"http://a.example/\"> Visit us </A>"},
        {"text", "Visit", "", "", 0, "Visit"},
        {"text", "Visit", "http://", "", 0, "Visit"},
        {"text", "Visit", " http:// ", "", 0, "Visit"},
        {"image", " banner.gif ", "http://b.example", " Our banner ", 2,
         "<A HREF=\"http://b.example\"><img SRC=\"banner.gif\" ALT=\"Our banner\" BORDER=2></A>"},
        {"image", "b.gif", "http://", "", 0, "<img SRC=\"b.gif\" BORDER=0>"},
        {"image", "b.gif", "", "x", 12, "<img SRC=\"b.gif\" ALT=\"x\" BORDER=9>"},
    };
    for (const Case& k : cases) {
        TdlgNewHeaderFooter c(context);
        const QString kind = k.kind;
        if (kind == "html") {
            c.edtRawHTML->setText(k.first);
        } else if (kind == "text") {
            c.rdbtextlink->setChecked(true);
            c.edttext->setText(k.first);
            c.edttextlink->setText(k.link);
        } else {
            c.rdbimagelink->setChecked(true);
            c.edtimageurl->setText(k.first);
            c.edtimagelink->setText(k.link);
            c.edtalttext->setText(k.alt);
            c.spnborderwidth->setValue(k.border);
        }
        c.BitBtn1Click();
        EXPECT_EQ(c.result(), platform::mrOk) << k.entry.toStdString();
        EXPECT_EQ(c.edtRawHTML->text(), k.entry);
    }
    EXPECT_EQ(fake.prompts.calls().size(), 0);
}

TEST_F(HeaderFooter, ComposerRefusesAnEmptyBoxOfTheChosenKind)
{
    TdlgNewHeaderFooter c(context);
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
    for (const auto& call : fake.prompts.calls())
        EXPECT_EQ(call.prompt.icon, platform::PromptIcon::Information);
    EXPECT_EQ(c.result(), platform::mrNone);
    EXPECT_EQ(c.edtRawHTML->text(), "<p>");
}

TEST_F(HeaderFooter, EditSplitsAtTheBarsAndJoinsTheLinesBack)
{
    struct Case {
        QString html;
        QStringList lines;       // as the snippet editor opens
        QStringList edited;      // what it holds at OK (empty: unchanged)
        bool ok;
        QString after;
    } cases[] = {
        {"a|b", {"a", "b"}, {}, true, "a|b"},
        {"a|b", {"a", "b"}, {}, false, "a|b|"},
        {"", {""}, {}, true, ""},
        {"", {""}, {}, false, "|"},
        {"a||b|", {"a", "", "b"}, {}, true, "a||b"},
        {"one", {"one"}, {"<B>", "two", "</B>"}, true, "<B>|two|</B>"},
    };
    for (const Case& k : cases) {
        TdlgNewHeaderFooter c(context);
        c.edtRawHTML->setText(k.html);
        fake.dialogs.script([&](QDialog& d) {
            auto& editor = dynamic_cast<TfrmRichEdit&>(d);
            EXPECT_EQ(editor.windowTitle(), "Create HTML");
            EXPECT_EQ(editor.lines(), k.lines) << k.html.toStdString();
            if (!k.edited.isEmpty())
                editor.setLines(k.edited);
            return k.ok ? platform::mrOk : platform::mrCancel;
        });
        QTest::mouseClick(c.btnEditHTML, Qt::LeftButton);
        EXPECT_EQ(c.edtRawHTML->text(), k.after) << k.html.toStdString() << (k.ok ? " OK" : " Cancel");
    }
    EXPECT_EQ(fake.dialogs.shown.size(), 6);
}

TEST_F(HeaderFooter, EntryBoxesKeepBreaksOutAndStopTypingAtTheLimit)
{
    TdlgNewHeaderFooter c(context);
    EntryLineEdit& raw = *c.edtRawHTML;
    c.show();

    // Text set by a caller is never cut; typing into a full box is swallowed, deleting is not.
    const QString long5000(5000, QChar('x'));
    raw.setText(long5000);
    raw.setFocus();
    raw.end(false);
    QTest::keyClicks(&raw, "y");
    EXPECT_EQ(raw.text(), long5000);
    QTest::keyClick(&raw, Qt::Key_Backspace);
    EXPECT_EQ(raw.text().size(), 4999);

    // Pasting: breaks become "|", and what does not fit is cut.
    raw.clear();
    QGuiApplication::clipboard()->setText("<p>one\r\ntwo\nthree\rfour</p>");
    QTest::keyClick(&raw, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(raw.text(), "<p>one|two|three|four</p>");
    raw.setText(QString(995, QChar('a')));
    raw.end(false);
    QGuiApplication::clipboard()->setText("0123456789");
    QTest::keyClick(&raw, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(raw.text(), QString(995, QChar('a')) + "01234");
    QTest::keyClicks(&raw, "z");
    EXPECT_EQ(raw.text().size(), 1000);

    // The link boxes have no limit but no breaks either.
    c.rdbtextlink->setChecked(true);
    c.edttext->setFocus();
    QGuiApplication::clipboard()->setText(QString(1500, QChar('t')) + "\n");
    QTest::keyClick(c.edttext, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(c.edttext->text(), QString(1500, QChar('t')) + "|");
}

// ---- the list editor ----

TEST_F(HeaderFooter, ListEditorTextsAndTheDefaultListNames)
{
    struct Case {
        bool header;
        QStringList existing;
        QString name;
    } cases[] = {
        {true, {}, "Site_7_Headers.txt"},
        {true, {"Site_7_Headers.txt"}, "Site_7_Headers2.txt"},
        {true, {"Site_7_Headers.txt", "Site_7_Headers2.txt", "Site_7_Headers3.txt"}, "Site_7_Headers4.txt"},
        {false, {"Site_7_Headers.txt"}, "Site_7_Footers.txt"},
    };
    for (const Case& k : cases) {
        TempFolder folder;
        context.state.ProgramFolder = folder.path();
        for (const QString& file : k.existing)
            folder.write(file, "taken\r\n");
        TdlgNewHeaderFooter composer(context);
        TdlgHeaderFooter d(context, composer);
        d.chkisheader->setChecked(k.header);
        fake.dialogs.script([&](QDialog&) {
            EXPECT_EQ(d.edtheaderfile->text(), folder.file(k.name));
            EXPECT_EQ(d.lbxheaders->count(), 0); // a new name: nothing to load
            return platform::mrCancel;
        });
        fake.dialogs.showModal(d);
    }

    TdlgNewHeaderFooter composer(context);
    for (bool header : {true, false}) {
        TdlgHeaderFooter d(context, composer);
        d.chkisheader->setChecked(header);
        d.FormShow();
        const QString what = header ? "Header" : "Footer";
        EXPECT_EQ(d.windowTitle(), "Edit " + what + " List");
        EXPECT_EQ(d.GroupBox1->title(), what + " List");
        EXPECT_EQ(d.GroupBox2->title(), what + " List File");
        EXPECT_EQ(d.lblmessage->text(),
                  header ? "This dialog allows you to place a different Header on each created page.  The Header is a "
                           "small piece of HTML that is placed at the top of each page.  It may be text, a banner or a "
                           "link to another site.  Each time a new page is created, the Header HTML is taken from the "
                           "next list item.  When there are no more items, it reverts to the first item."
                         : "This dialog allows you to place a different Footer on each created page.  The Footer is a "
                           "small piece of HTML that is placed at the bottom of each page.  It may be text, a banner or "
                           "a link to another site.  Each time a new page is created, the Footer HTML is taken from "
                           "the next list item.  When there are no more items, it reverts to the first item.");
    }
}

TEST_F(HeaderFooter, AddModifyRemoveAndTheEnableRules)
{
    TdlgNewHeaderFooter composer(context);
    TdlgHeaderFooter d(context, composer);
    d.chkisheader->setChecked(false);
    d.FormShow();

    const auto enabled = [&] {
        return QList<bool>{d.btnremove->isEnabled(), d.btnmodify->isEnabled(), d.bkmkup->isEnabled(),
                           d.bkmkdown->isEnabled(), d.btnclearall->isEnabled()};
    };
    EXPECT_EQ(enabled(), QList<bool>({false, false, false, false, false}));

    composeNext("A");
    click(d.btnadd);
    EXPECT_FALSE(composer.chkisheader->isChecked()); // told it is a footer
    EXPECT_EQ(enabled(), QList<bool>({false, false, false, false, true}));
    composeNext("B");
    click(d.btnadd);
    d.lbxheaders->setCurrentRow(1);
    EXPECT_EQ(enabled(), QList<bool>({true, true, true, true, true}));
    composeNext("C"); // the last selected: appended
    click(d.btnadd);
    EXPECT_EQ(rows(d), QStringList({"A", "B", "C"}));
    d.lbxheaders->setCurrentRow(0);
    composeNext("D"); // the first of three selected: inserted ahead of it
    click(d.btnadd);
    EXPECT_EQ(rows(d), QStringList({"D", "A", "B", "C"}));
    composeNext("never", false);
    click(d.btnadd);
    EXPECT_EQ(rows(d), QStringList({"D", "A", "B", "C"}));

    // Modify opens the selected entry as pure HTML, whatever kind the composer showed last.
    d.lbxheaders->setCurrentRow(2);
    composer.rdbtextlink->setChecked(true);
    fake.dialogs.script([&](QDialog&) {
        EXPECT_TRUE(composer.rdbRawHTML->isChecked());
        EXPECT_EQ(composer.edtRawHTML->text(), "B");
        composer.edtRawHTML->setText("B2");
        composer.BitBtn1Click();
        return platform::mrNone;
    });
    click(d.btnmodify);
    EXPECT_EQ(rows(d), QStringList({"D", "A", "B2", "C"}));

    click(d.btnremove);
    EXPECT_EQ(rows(d), QStringList({"D", "A", "C"}));
    EXPECT_EQ(enabled(), QList<bool>({false, false, false, false, true}));

    fake.prompts.answer(platform::mrNo);
    click(d.btnclearall);
    EXPECT_EQ(d.lbxheaders->count(), 3);
    fake.prompts.answer(platform::mrYes);
    click(d.btnclearall);
    EXPECT_EQ(d.lbxheaders->count(), 0);
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList(2, "Are you sure you want to clear all your entries?"));
    EXPECT_EQ(fake.prompts.lastPrompt().buttons, platform::PromptButtons::YesNo);
    EXPECT_EQ(enabled(), QList<bool>({false, false, false, false, false}));
}

TEST_F(HeaderFooter, MovesWrapRoundAndKeepTheEntrySelected)
{
    TdlgNewHeaderFooter composer(context);
    TdlgHeaderFooter d(context, composer);
    d.lbxheaders->addItems({"1", "2", "3"});
    struct Step {
        int row;
        bool up;
        QStringList after;
        int selected;
    } steps[] = {
        {0, true, {"2", "3", "1"}, 2},
        {2, false, {"1", "2", "3"}, 0},
        {1, true, {"2", "1", "3"}, 0},
        {0, false, {"1", "2", "3"}, 1},
    };
    for (const Step& s : steps) {
        d.lbxheaders->setCurrentRow(s.row);
        click(s.up ? d.bkmkup : d.bkmkdown);
        EXPECT_EQ(rows(d), s.after);
        EXPECT_EQ(d.lbxheaders->currentRow(), s.selected);
        EXPECT_TRUE(d.lbxheaders->currentItem()->isSelected());
    }
    // One entry goes nowhere.
    d.lbxheaders->clear();
    d.lbxheaders->addItem("only");
    d.lbxheaders->setCurrentRow(0);
    d.bkmkupClick(d.bkmkup);
    EXPECT_EQ(rows(d), QStringList{"only"});
}

TEST_F(HeaderFooter, OkSavesTheListWholeAndLoadingReadsItBack)
{
    const QString file = prog.file("heads.txt");
    TdlgNewHeaderFooter composer(context);
    const QString longEntry(5000, QChar('w'));
    {
        TdlgHeaderFooter d(context, composer);
        d.chkisheader->setChecked(true);
        d.edtheaderfile->setText(file);
        fake.dialogs.script([&](QDialog&) {
            click(d.BitBtn3); // nothing in it yet
            composeNext("<b>x</b>|y");
            click(d.btnadd);
            composeNext(QString::fromUtf8("Gr\u00fc\u00dfe"));
            click(d.btnadd);
            d.lbxheaders->addItem(longEntry);
            d.lbxheaders->setCurrentRow(2);
            fake.dialogs.script([&](QDialog&) {
                EXPECT_EQ(composer.edtRawHTML->text(), longEntry); // never cut to the typing limit
                composer.BitBtn1Click();
                return platform::mrNone;
            });
            click(d.btnmodify);
            d.edtheaderfile->clear();
            click(d.BitBtn3);
            d.edtheaderfile->setText(file);
            click(d.BitBtn3);
            return platform::mrNone;
        });
        EXPECT_EQ(fake.dialogs.showModal(d), platform::mrOk);
    }
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList(2, "You have not created Header List!"));
    EXPECT_EQ(readAll(file), "<b>x</b>|y\r\nGr\xc3\xbc\xc3\x9f" "e\r\n" + longEntry.toUtf8() + "\r\n");

    TdlgHeaderFooter again(context, composer);
    again.chkisheader->setChecked(true);
    again.edtheaderfile->setText(file);
    again.FormShow();
    EXPECT_EQ(rows(again), QStringList({"<b>x</b>|y", QString::fromUtf8("Gr\u00fc\u00dfe"), longEntry}));
}

TEST_F(HeaderFooter, ListFilesReadAsTheBuildReadsThem)
{
    struct Case {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\xef\xbb\xbf<p>\r\n", {"<p>"}},
        {"caf\xe9\r\n\xc3\xa9t\xc3\xa9\r\n", {QString::fromUtf8("caf\u00e9"), QString::fromUtf8("\u00e9t\u00e9")}},
        {"", {}},
    };
    TdlgNewHeaderFooter composer(context);
    for (const Case& k : cases) {
        const QString file = prog.write("list.txt", k.bytes);
        TdlgHeaderFooter d(context, composer);
        d.edtheaderfile->setText(file);
        d.FormShow();
        EXPECT_EQ(rows(d), k.entries) << k.bytes.toStdString();
    }
    EXPECT_EQ(fake.prompts.calls().size(), 0);
}

TEST_F(HeaderFooter, BadListFilesWarnAndKeepTheList)
{
    TdlgNewHeaderFooter composer(context);
    const QString folder = prog.mkdir("folder.txt");
    {
        TdlgHeaderFooter d(context, composer);
        d.chkisheader->setChecked(true);
        d.edtheaderfile->setText(folder);
        d.FormShow();
        EXPECT_EQ(d.lbxheaders->count(), 0);
        EXPECT_EQ(fake.prompts.promptTexts(),
                  QStringList{"Error encountered loading your Header List list file, " + folder + "!"});
        EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::Warning);
    }
    fake.prompts.clear();
    TdlgHeaderFooter d(context, composer);
    d.chkisheader->setChecked(false);
    d.edtheaderfile->setText(prog.file("missing.txt"));
    d.FormShow(); // missing: an empty list, no message
    EXPECT_EQ(fake.prompts.calls().size(), 0);
    d.lbxheaders->addItems({"kept", "too"});
    fake.prompts.answerFile(folder);
    click(d.btnloadfromfile);
    EXPECT_EQ(rows(d), QStringList({"kept", "too"}));
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"Error encountered loading your Footer List list file, " + folder + "!"});

    // Saving below a plain file or into a missing folder: the box, and the dialog stays open.
    prog.write("plain", "x");
    for (const QString& bad : {prog.file("plain/list.txt"), prog.file("nofolder/list.txt")}) {
        fake.prompts.clear();
        d.setResult(platform::mrNone);
        fake.prompts.answerFile(bad);
        click(d.btnsavetofile);
        EXPECT_EQ(d.edtheaderfile->text(), bad);
        click(d.BitBtn3);
        EXPECT_EQ(fake.prompts.promptTexts(),
                  QStringList(2, "Error encountered saving your Footer List file," + bad + "!"));
        EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::Information);
        EXPECT_EQ(d.result(), platform::mrNone);
    }
    EXPECT_FALSE(prog.exists("nofolder"));
}

TEST_F(HeaderFooter, AFailedSaveLeavesTheOldFileAsItWas)
{
    const QString file = prog.write("foot.txt", "old\r\n");
    TdlgNewHeaderFooter composer(context);
    TdlgHeaderFooter d(context, composer);
    d.edtheaderfile->setText(file);
    d.FormShow();
    for (int i = 0; i < 100; ++i)
        d.lbxheaders->addItem(QString(1000, QChar('a' + i % 26)));

    // Writes past 64 KiB fail, as on a full disk.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    click(d.BitBtn3);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error encountered saving your Footer List file," + file + "!"});
    EXPECT_EQ(d.result(), platform::mrNone);
    EXPECT_EQ(readAll(file), "old\r\n");
    EXPECT_EQ(QDir(prog.path()).entryList(QDir::Files), QStringList{"foot.txt"}); // no temporary left
}

TEST_F(HeaderFooter, CancelInEitherFileDialogChangesNothing)
{
    const QString file = prog.write("heads.txt", "one\r\ntwo\r\n");
    TdlgNewHeaderFooter composer(context);
    TdlgHeaderFooter d(context, composer);
    d.edtheaderfile->setText(file);
    d.FormShow();
    composeNext("three");
    click(d.btnadd);

    fake.prompts.answerFile(std::nullopt);
    click(d.btnloadfromfile);
    fake.prompts.answerFile(std::nullopt);
    click(d.btnsavetofile);
    EXPECT_EQ(rows(d), QStringList({"one", "two", "three"}));
    EXPECT_EQ(d.edtheaderfile->text(), file);
    EXPECT_EQ(readAll(file), "one\r\ntwo\r\n");
    ASSERT_EQ(fake.prompts.calls().size(), 2);
    EXPECT_EQ(fake.prompts.calls()[0].kind, platform::ScriptedPromptService::Call::OpenFile);
    EXPECT_EQ(fake.prompts.calls()[0].caption, "Please select a text file");
    EXPECT_EQ(fake.prompts.calls()[1].kind, platform::ScriptedPromptService::Call::SaveFile);
    EXPECT_EQ(fake.prompts.calls()[1].caption, "Please choose a file name");

    // A chosen name is saved at once; Cancel then leaves the file as saved.
    const QString other = prog.file("other.txt");
    fake.prompts.answerFile(other);
    click(d.btnsavetofile);
    EXPECT_EQ(readAll(other), "one\r\ntwo\r\nthree\r\n");
    d.show();
    click(d.BitBtn1);
    EXPECT_EQ(d.result(), platform::mrCancel);
    EXPECT_EQ(readAll(file), "one\r\ntwo\r\n");
}

TEST_F(HeaderFooter, HelpButtonsShowTheirPages)
{
    TdlgNewHeaderFooter composer(context);
    TdlgHeaderFooter list(context, composer);
    click(list.BitBtn2);
    click(composer.BitBtn3);
    EXPECT_EQ(fake.shell.helpContexts, QList<int>({28, 29}));
}

// ---- the one way in from the header and footer buttons ----

TEST_F(HeaderFooter, TheHelperShowsOneDialogAndGivesItsResult)
{
    fake.dialogs.script([](QDialog& d) {
        auto& c = dynamic_cast<TdlgNewHeaderFooter&>(d);
        EXPECT_EQ(c.windowTitle(), "Edit Footer");
        EXPECT_TRUE(c.rdbRawHTML->isChecked());
        EXPECT_EQ(c.edtRawHTML->text(), "<i>old</i>");
        c.edtRawHTML->setText("<i>new</i>");
        c.BitBtn1Click();
        return platform::mrNone;
    });
    EXPECT_EQ(runHeaderFooterDialog(context, false, true, "<i>old</i>"), std::optional<QString>("<i>new</i>"));
    fake.dialogs.script([](QDialog&) { return platform::mrCancel; });
    EXPECT_EQ(runHeaderFooterDialog(context, true, true, "<i>old</i>"), std::nullopt);

    const QString file = prog.file("chosen.txt");
    fake.dialogs.script([&](QDialog& d) {
        auto& l = dynamic_cast<TdlgHeaderFooter&>(d);
        EXPECT_EQ(l.windowTitle(), "Edit Header List");
        EXPECT_EQ(l.edtheaderfile->text(), prog.file("Site_7_Headers.txt"));
        composeNext("entry");
        click(l.btnadd);
        l.edtheaderfile->setText(file);
        click(l.BitBtn3);
        return platform::mrNone;
    });
    EXPECT_EQ(runHeaderFooterDialog(context, true, false, ""), std::optional<QString>(file));
    EXPECT_EQ(readAll(file), "entry\r\n");
    fake.dialogs.script([](QDialog&) { return platform::mrCancel; });
    EXPECT_EQ(runHeaderFooterDialog(context, true, false, file), std::nullopt);
    EXPECT_EQ(fake.dialogs.shown, QStringList({"TdlgNewHeaderFooter", "TdlgNewHeaderFooter", "TdlgHeaderFooter",
                                               "TdlgNewHeaderFooter", "TdlgHeaderFooter"}));
}

} // namespace
