#include "apptestutil.h"
#include "app/windows/siteop.h"
#include "components/bitbtn.h"
#include "components/folderdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using platform::mrNo;
using platform::mrOk;
using platform::mrYes;

namespace {

class SiteOptions : public ::testing::Test, public PictorumFixture {
protected:
    void SetUp() override
    {
        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nCurrentRotationPosition=2\r\n");
        prog.mkdir("Site_1");
    }
    void startWith(bool rotations)
    {
        prog.write("options.ini", rotations ? "[Options]\r\nUseRotations=True\r\n" : "");
        start();
        clickRow(0);
    }
    // Shows the dialog, lets fill work its controls, presses OK; gives the dialog's result.
    int pressOk(const std::function<void(TdlgSIteOptions&)>& fill)
    {
        TdlgSIteOptions dialog(*context, &form());
        fake.dialogs.script([&](QDialog&) {
            fill(dialog);
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            return platform::mrNone;
        });
        return fake.dialogs.showModal(dialog);
    }
};

TEST_F(SiteOptions, ShowsTheRecord)
{
    startWith(true);
    TdlgSIteOptions dialog(*context, &form());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Site Options");
    EXPECT_EQ(dialog.edtname->text(), "Alpha");
    EXPECT_EQ(dialog.edtpath->text(), prog.path() + "Site_1/");
    EXPECT_EQ(dialog.edtBaseHTMLName->currentText(), "Index.html");
    EXPECT_EQ(dialog.spnrotpos->value(), 2);
    EXPECT_FALSE(dialog.edtlivepath->isEnabled());
    EXPECT_FALSE(dialog.spnrotpos->isEnabled());
}

TEST_F(SiteOptions, ChecksInOrderKeepTheDialogOpen)
{
    startWith(true);
    struct Case {
        const char* name;
        std::function<void(TdlgSIteOptions&)> fill;
        const char* message;
    } cases[] = {
        {"no name", [](TdlgSIteOptions& d) { d.edtname->clear(); d.edtpath->clear(); }, "You have not entered a site name!"},
        {"no folder", [](TdlgSIteOptions& d) { d.edtpath->clear(); }, "You have not entered a directory for this site!"},
        {"blank folder", [](TdlgSIteOptions& d) { d.edtpath->setText("   "); }, "You have not entered a directory for this site!"},
        {"rotation without live folder", [](TdlgSIteOptions& d) { d.chkTurnfold->click(); },
         "You have elected to automatically rotate this site, but have not entered a destination directory!"},
    };
    for (const Case& c : cases) {
        fake.prompts.clear();
        EXPECT_EQ(pressOk(c.fill), platform::mrNone) << c.name; // still open after OK
        EXPECT_EQ(fake.prompts.promptTexts(), QStringList{c.message}) << c.name;
        EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::Information) << c.name;
    }
    EXPECT_EQ(prog.read("sites.ini"), QByteArray("[Sites]\r\nSite_1=Alpha\r\n"));
}

TEST_F(SiteOptions, MissingFolderAnsweredNoSavesNothing)
{
    startWith(false);
    const QByteArray before = prog.read("Site_1.ini");
    fake.prompts.answer(mrNo);
    EXPECT_EQ(pressOk([&](TdlgSIteOptions& d) { d.edtpath->setText(prog.file("Elsewhere")); }), platform::mrNone); // still open after OK
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"The directory, " + prog.file("Elsewhere") + ", does not exist.  Would you like to create it?"});
    EXPECT_FALSE(prog.exists("Elsewhere"));
    EXPECT_EQ(prog.read("Site_1.ini"), before);
}

TEST_F(SiteOptions, FolderThatCannotBeMadeShowsBothMessages)
{
    startWith(false);
    prog.write("plain", "x");
    fake.prompts.answer(mrYes);
    EXPECT_EQ(pressOk([&](TdlgSIteOptions& d) { d.edtpath->setText(prog.file("plain/sub")); }), platform::mrNone); // still open after OK
    EXPECT_EQ(fake.prompts.promptTexts(),
              (QStringList{"The directory, " + prog.file("plain/sub") + ", does not exist.  Would you like to create it?",
                           "An error was encountered whilst trying to create the directory, " + prog.file("plain/sub"),
                           "An error was encountered creating the directory ," + prog.file("plain/sub") + "!"}));
}

TEST_F(SiteOptions, FirstPageNameIsCompleted)
{
    struct Case { const char* typed; const char* stored; } cases[] = {
        {"", "Index.html"}, {"home", "home.html"}, {"Index.htm", "Index.htm"}, {"start.php", "start.php"},
    };
    startWith(false);
    for (const Case& c : cases) {
        EXPECT_EQ(pressOk([&](TdlgSIteOptions& d) { d.edtBaseHTMLName->setCurrentText(c.typed); }), mrOk) << c.typed;
        EXPECT_EQ(state().CurrentSite.BaseHTMLName, c.stored) << c.typed;
        EXPECT_TRUE(prog.read("Site_1.ini").contains(QByteArray("BaseHTMLName=") + c.stored + "\r\n")) << c.typed;
    }
}

TEST_F(SiteOptions, RotationBoxIsRefusedWhileRotationsAreOff)
{
    prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nLivePath=/var/www/\r\nAutoRotate=True\r\n");
    startWith(false);
    ASSERT_TRUE(state().CurrentSite.AutoRotate);
    EXPECT_EQ(pressOk([](TdlgSIteOptions& d) { EXPECT_FALSE(d.chkTurnfold->isChecked()); }), mrOk);
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"You have disabled support for multiple rotations under options"});
    EXPECT_TRUE(prog.read("Site_1.ini").contains("AutoRotate=False\r\n"));
}

TEST_F(SiteOptions, OkStoresTheRecordAsTyped)
{
    startWith(true);
    prog.mkdir("live");
    EXPECT_EQ(pressOk([&](TdlgSIteOptions& d) {
                  d.edtname->setText("Shop");
                  d.edtpath->setText(prog.file("Site_1")); // no trailing separator: kept as typed
                  d.chkTurnfold->click();
                  EXPECT_TRUE(d.edtlivepath->isEnabled());
                  d.edtlivepath->setText(prog.file("live"));
                  d.spnrotpos->setValue(7);
              }),
              mrOk);
    const tsiterecord& site = state().CurrentSite;
    EXPECT_EQ(site.Name, "Shop");
    EXPECT_EQ(site.Path, prog.file("Site_1"));
    EXPECT_TRUE(site.AutoRotate);
    EXPECT_EQ(site.CurrentRotationPosition, 7);
    EXPECT_EQ(prog.read("Site_1.ini"),
              QByteArray("[General]\r\nName=Shop\r\nPath=%/Site_1\r\nCurrentRotationPosition=7\r\nLivePath=")
                  + prog.file("live").toUtf8() + "\r\nAutoRotate=True\r\nBaseHTMLName=Index.html\r\nRotationCount=20\r\n");
    EXPECT_EQ(form().lbxsitename, QStringList{"Shop"});
}

TEST_F(SiteOptions, TypedFoldersAreTheProgramFoldersAndDeletingSparesTheWorkingFolder)
{
    TempFolder work, home, other;
    const QString kept = work.write("keep.txt", "started here");
    const StartedElsewhere elsewhere(work.path(), home.path());
    const QString refused = "Cannot remove directory, it may be not be empty or it may be marked read-only.";
    const struct {
        QString typed;
        QString stored;  // Path= in the site's file
        QString folder;  // the folder asked about, made and deleted
        bool made;
    } cases[] = {
        {".", "%/", prog.path(), false},
        {"photos", "%/photos", prog.file("photos"), true},
        {"~", home.path(), home.path(), false},
        {"~/photos", home.file("photos"), home.file("photos"), true},
        {"%/x", "%/x", prog.file("x"), true},
        {other.file("abs"), other.file("abs"), other.file("abs"), true},
        {work.path(), work.path(), work.path(), false},
    };
    startWith(false);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\n");
        form().FormShow();
        clickRow(0);
        fake.prompts.clear();
        if (c.made)
            fake.prompts.answer(mrYes);
        EXPECT_EQ(pressOk([&](TdlgSIteOptions& d) { d.edtpath->setText(c.typed); }), mrOk);
        const QStringList asked = c.made ? QStringList{"The directory, " + c.folder + ", does not exist.  Would you like "
                                                       "to create it?"}
                                         : QStringList{};
        EXPECT_EQ(fake.prompts.promptTexts(), asked);
        EXPECT_TRUE(QFileInfo(c.folder).isDir());
        EXPECT_TRUE(prog.read("Site_1.ini").contains(("\r\nPath=" + c.stored + "\r\n").toUtf8())) << prog.read("Site_1.ini").toStdString();

        form().lbxsitesClick(); // read back as the site list reads it
        const QString loaded = c.folder.endsWith('/') ? c.folder : c.folder + "/";
        EXPECT_EQ(state().CurrentSite.Path, loaded);
        fake.prompts.clear();
        fake.prompts.answer(mrYes);
        form().btndeletesiteClick();
        EXPECT_EQ(fake.prompts.promptTexts().mid(1), c.made ? QStringList{} : QStringList{refused});
        EXPECT_EQ(QFileInfo(c.folder).exists(), !c.made);
        EXPECT_EQ(readAll(kept), QByteArray("started here"));
    }
}

TEST_F(SiteOptions, BrowseAndHelp)
{
    startWith(true);
    TdlgSIteOptions dialog(*context, &form());
    dialog.show();
    EXPECT_EQ(dialog.dlgFolder->Title(), "Browse for Folder");
    EXPECT_EQ(dialog.dlgFolder->Left, 368);
    EXPECT_EQ(dialog.dlgFolder->Top, 32);
    const QString picked = QDir::cleanPath(prog.mkdir("picked"));
    fake.dialogs.script([&](QDialog& d) {
        auto& browser = static_cast<TFolderDialogWindow&>(d);
        EXPECT_EQ(browser.windowTitle(), "Browse for Folder");
        EXPECT_TRUE(browser.selectPath(picked));
        QTest::mouseClick(browser.btnOK, Qt::LeftButton);
        return platform::mrNone;
    });
    dialog.BitBtn4Click();
    EXPECT_EQ(dialog.edtpath->text(), picked);
    dialog.edtlivepath->setText("/srv/live");
    dialog.btnBrowseSiteClick(); // cancelled: the text stays
    EXPECT_EQ(dialog.edtlivepath->text(), "/srv/live");
    EXPECT_EQ(fake.dialogs.shown, (QStringList{"TFolderDialogWindow", "TFolderDialogWindow"}));
    QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);
    EXPECT_EQ(fake.shell.helpContexts, QList<int>{26});
}

} // namespace
