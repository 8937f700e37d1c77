#include "apptestutil.h"
#include "app/windows/buttonimages.h"
#include "app/windows/copyfrom.h"
#include "app/windows/editsite.h"
#include "app/windows/options.h"
#include "app/windows/siteop.h"
#include "app/windows/style.h"
#include "app/windows/thumbop.h"
#include "components/aboutbox.h"
#include "components/bitbtn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using platform::mrCancel;
using platform::mrNone;
using platform::mrNo;
using platform::mrOk;
using platform::mrYes;

namespace {

class MainForm : public ::testing::Test, public PictorumFixture {
protected:
    void writeThreeSites(bool rotations)
    {
        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_4=\r\nSite_2=Gamma\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nLivePath=/var/www/alpha/\r\n"
                                 "AutoRotate=True\r\nCurrentRotationPosition=3\r\nRotationCount=5\r\n");
        prog.write("Site_2.ini", "[General]\r\nName=Gamma\r\nPath=/srv/gamma\r\nAutoRotate=True\r\n");
        prog.mkdir("Site_1");
        prog.write("options.ini", rotations ? "[Options]\r\nUseRotations=True\r\n" : "[Options]\r\nUseRotations=False\r\n");
    }
};

TEST_F(MainForm, StartsWithoutSitesFile)
{
    start();
    TfrmMain& f = form();
    EXPECT_EQ(f.windowTitle(), "Pictorum Pro");
    EXPECT_EQ(f.lbxsites->count(), 0);
    EXPECT_FALSE(f.btndeletesite->isEnabled());
    EXPECT_FALSE(f.btnsiteoptions->isEnabled());
    EXPECT_FALSE(f.btnedtsite->isEnabled());
    EXPECT_TRUE(f.btnnewsite->isEnabled());
    EXPECT_FALSE(f.btnRotateNow->isEnabled());
    EXPECT_EQ(statusTexts(), QStringList(6, QString()));
    EXPECT_EQ(state().ProgramFolder, prog.path());
    EXPECT_EQ(f.minimumSize(), f.maximumSize()); // fixed size
    EXPECT_TRUE(fake.prompts.calls().isEmpty());
}

TEST_F(MainForm, ListsThreeSitesByDisplayNameInFileOrder)
{
    writeThreeSites(true);
    start();
    TfrmMain& f = form();
    EXPECT_EQ(f.siteKeys(), (QStringList{"Site_1", "Site_4", "Site_2"}));
    EXPECT_EQ(f.lbxsitename, (QStringList{"Alpha", "", "Gamma"}));
    EXPECT_TRUE(f.btnRotateNow->isEnabled());
}

TEST_F(MainForm, StatusWithRotationsOn)
{
    writeThreeSites(true);
    start();
    clickRow(0);
    EXPECT_EQ(statusTexts(), (QStringList{"Alpha", prog.path() + "Site_1/", "5", "Yes", "/var/www/alpha/", "3"}));
    EXPECT_TRUE(form().btnedtsite->isEnabled());
    clickRow(2); // AutoRotate stored true but no live folder
    EXPECT_EQ(statusTexts(), (QStringList{"Gamma", "/srv/gamma/", "20", "No", "", ""}));
    form().lbxsites->clearSelection();
    EXPECT_EQ(statusTexts(), QStringList(6, QString()));
    EXPECT_FALSE(form().btnedtsite->isEnabled());
}

TEST_F(MainForm, StatusWithRotationsOffShowsNotApplicable)
{
    writeThreeSites(false);
    start();
    clickRow(0);
    EXPECT_EQ(statusTexts(), (QStringList{"Alpha", prog.path() + "Site_1/", "N/A", "No", "", ""}));
    EXPECT_FALSE(form().btnRotateNow->isEnabled());
}

TEST_F(MainForm, SampleButtonsFillThePageOptions)
{
    prog.write("Samples/Previous.gif", "GIF89a");
    prog.write("Samples/Next.gif", "GIF89a");
    start();
    TdlgThumbOptions& t = *context->dlgThumbOptions;
    EXPECT_EQ(t.edtpreviousfile->text(), prog.file("Samples/Previous.gif"));
    EXPECT_EQ(t.edtnextfile->text(), prog.file("Samples/Next.gif"));
    EXPECT_TRUE(t.Chkusecustombuttons->isChecked());
}

TEST_F(MainForm, OneSampleButtonLeavesCustomButtonsOff)
{
    prog.write("Samples/Next.gif", "GIF89a");
    start();
    EXPECT_TRUE(context->dlgThumbOptions->edtpreviousfile->text().isEmpty());
    EXPECT_FALSE(context->dlgThumbOptions->Chkusecustombuttons->isChecked());
}

TEST_F(MainForm, RecentTemplateListsLoadIntoTheirCombos)
{
    prog.write("recent_styles.txt", "/t/a.htm\r\n/t/b.htm\r\n");
    prog.write("recent_image_styles.txt", "/t/img.htm\n");
    start();
    QComboBox* index = context->dlgEditSite->cmbstyle;
    ASSERT_EQ(index->count(), 2);
    EXPECT_EQ(index->itemText(1), "/t/b.htm");
    ASSERT_EQ(context->dlgThumbOptions->cmbimagestyle->count(), 1);
    EXPECT_EQ(context->dlgThumbOptions->cmbimagestyle->itemText(0), "/t/img.htm");
}

TEST_F(MainForm, LoadedRecentListsLeaveTheTemplatesInUseAlone)
{
    prog.write("recent_styles.txt", "/t/a.htm\r\n");
    prog.write("recent_image_styles.txt", "/t/img.htm\r\n");
    start();
    EXPECT_EQ(context->dlgEditSite->cmbstyle->currentText(), "");
    EXPECT_EQ(context->dlgThumbOptions->cmbimagestyle->currentText(), "");
    EXPECT_EQ(state().rotationSettings.cmbstyle, "");
    EXPECT_FALSE(context->dlgEditSite->btnteststyle->isEnabled());
}

TEST_F(MainForm, NewSiteThenCancelLeavesNothingBehind)
{
    prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
    prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=/srv/a/\r\n");
    start();
    const QByteArray sitesBefore = prog.read("sites.ini");
    fake.dialogs.script([](QDialog& d) {
        auto& dlg = static_cast<TdlgSIteOptions&>(d);
        EXPECT_EQ(dlg.edtname->text(), "New Site");
        QTest::mouseClick(dlg.BitBtn2, Qt::LeftButton);
        return mrNone;
    });
    form().btnnewsiteClick();
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TdlgSIteOptions"});
    EXPECT_FALSE(prog.exists("Site_2.ini"));
    EXPECT_FALSE(prog.exists("Site_2"));
    EXPECT_EQ(prog.read("sites.ini"), QByteArray("[Sites]\r\nSite_1=Alpha\r\n"));
    EXPECT_EQ(sitesBefore, prog.read("sites.ini"));
    EXPECT_EQ(form().siteKeys(), QStringList{"Site_1"});
    EXPECT_EQ(form().selectedRow(), -1);
    EXPECT_EQ(statusTexts(), QStringList(6, QString()));
}

TEST_F(MainForm, NewSiteThenOkKeepsIt)
{
    start();
    fake.prompts.answer(mrYes); // create the folder
    fake.dialogs.script([](QDialog& d) {
        auto& dlg = static_cast<TdlgSIteOptions&>(d);
        dlg.edtname->setText("Holiday");
        QTest::mouseClick(dlg.BitBtn1, Qt::LeftButton);
        return mrNone;
    });
    form().btnnewsiteClick();
    EXPECT_EQ(form().siteKeys(), QStringList{"Site_1"});
    EXPECT_EQ(form().lbxsitename, QStringList{"Holiday"});
    EXPECT_TRUE(prog.exists("Site_1"));
    EXPECT_EQ(prog.read("Site_1.ini"),
              QByteArray("[General]\r\nName=Holiday\r\nPath=%/Site_1/\r\nLivePath=\r\nAutoRotate=False\r\n"
                         "CurrentRotationPosition=1\r\nBaseHTMLName=Index.html\r\nRotationCount=0\r\n"));
    EXPECT_EQ(prog.read("sites.ini"), QByteArray("[Sites]\r\nSite_1=Holiday\r\n"));
    EXPECT_EQ(statusTexts()[0], "Holiday");
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"The directory, " + prog.file("Site_1/") + ", does not exist.  Would you like to create it?"});
}

TEST_F(MainForm, NewSiteWhenEveryKeyIsTakenWarnsAndOverwritesNothing)
{
    QByteArray sites = "[Sites]\r\n";
    for (int i = 1; i <= 90000; ++i)
        sites += "Site_" + QByteArray::number(i) + "=S\r\n";
    prog.write("sites.ini", sites);
    start();
    form().btnnewsiteClick();
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"Error encountered creating new site!  Ensure you have write access and sufficient disk space "
                          "for your data directory, " + prog.path() + "!"});
    EXPECT_TRUE(fake.dialogs.shown.isEmpty());
    EXPECT_EQ(prog.read("sites.ini"), sites);
}

TEST_F(MainForm, NewSiteThatCannotBeWrittenStillOpensItsOptions)
{
    prog.mkdir("sites.ini"); // the site list cannot be written
    start();
    const QString creating = "Error encountered creating new site!  Ensure you have write access and sufficient disk "
                             "space for your data directory, " + prog.path() + "!";
    const QString saving = "Error encountered saving your settings!  You may be out of disk space!";
    const struct {
        const char* what;
        int button;            // 1 OK, 2 Cancel
        QStringList prompts;
        QStringList keysAfter;
    } cases[] = {
        {"cancel", 2, {creating}, {}},
        {"ok", 1, {creating, saving}, {"Site_1"}},
    };
    for (const auto& c : cases) {
        fake.prompts.clear();
        fake.dialogs.script([&](QDialog& d) {
            auto& dlg = static_cast<TdlgSIteOptions&>(d);
            EXPECT_EQ(dlg.edtname->text(), "New Site") << c.what;
            EXPECT_EQ(form().siteKeys(), QStringList{"Site_1"}) << c.what;
            QTest::mouseClick(c.button == 1 ? dlg.BitBtn1 : dlg.BitBtn2, Qt::LeftButton);
            return mrNone;
        });
        fake.prompts.answer(mrOk);  // the warning
        fake.prompts.answer(mrYes); // create the site's folder
        form().btnnewsiteClick();
        EXPECT_EQ(fake.prompts.promptTexts().filter("Error"), c.prompts) << c.what;
        EXPECT_EQ(form().siteKeys(), c.keysAfter) << c.what;
    }
    EXPECT_EQ(fake.dialogs.shown, (QStringList{"TdlgSIteOptions", "TdlgSIteOptions"}));
}

TEST_F(MainForm, FailedSaveOfTheSiteOptionsIsShownOnce)
{
    writeThreeSites(true);
    start();
    clickRow(0);
    // The site's file turns into something that cannot be written once loaded.
    QFile::remove(prog.file("Site_1.ini"));
    prog.mkdir("Site_1.ini");
    fake.dialogs.script([](QDialog& d) {
        QTest::mouseClick(static_cast<TdlgSIteOptions&>(d).BitBtn1, Qt::LeftButton);
        return mrNone;
    });
    form().btnsiteoptionsClick();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error encountered saving your settings!  You may be out of disk space!"});

    // Cancelled, the dialog saved nothing: the main window's own save reports.
    fake.prompts.clear();
    form().btnsiteoptionsClick();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error encountered saving your settings!  You may be out of disk space!"});
}

TEST_F(MainForm, DeleteSiteAnsweredNoKeepsEverything)
{
    writeThreeSites(true);
    prog.write("Site_1/rotation_1/a.jpg", "x");
    start();
    clickRow(0);
    fake.prompts.answer(mrNo);
    form().btndeletesiteClick();
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"Are you sure you want to delete the current site, Alpha?  \r\n\r\nNote: This will also delete the "
                          "directory, " + prog.path() + "Site_1/ and all files that it contains!"});
    EXPECT_TRUE(prog.exists("Site_1/rotation_1/a.jpg"));
    EXPECT_TRUE(prog.exists("Site_1.ini"));
    EXPECT_EQ(form().siteKeys().size(), 3);
    EXPECT_EQ(statusTexts()[0], "Alpha"); // the click handler ran again
}

TEST_F(MainForm, DeleteSiteAnsweredYesRemovesKeyFileAndFolder)
{
    writeThreeSites(true);
    prog.write("Site_1/rotation_1/a.jpg", "x");
    start();
    clickRow(0);
    fake.prompts.answer(mrYes);
    form().btndeletesiteClick();
    EXPECT_FALSE(prog.exists("Site_1"));
    EXPECT_FALSE(prog.exists("Site_1.ini"));
    EXPECT_EQ(form().siteKeys(), (QStringList{"Site_4", "Site_2"}));
    EXPECT_EQ(form().lbxsitename, (QStringList{"", "Gamma"}));
    EXPECT_EQ(prog.read("sites.ini"), QByteArray("[Sites]\r\nSite_4=\r\nSite_2=Gamma\r\n"));
    EXPECT_EQ(statusTexts(), QStringList(6, QString()));
}

TEST_F(MainForm, DeleteSiteWhoseFolderIsTheProgramFolderKeepsTheFolder)
{
    prog.write("sites.ini", "[Sites]\r\nSite_1=Here\r\n");
    prog.write("Site_1.ini", "[General]\r\nName=Here\r\nPath=%/\r\n");
    start();
    clickRow(0);
    fake.prompts.answer(mrYes);
    form().btndeletesiteClick();
    EXPECT_TRUE(prog.exists("sites.ini"));
    EXPECT_EQ(fake.prompts.promptTexts().last(),
              "Cannot remove directory, it may be not be empty or it may be marked read-only.");
    EXPECT_TRUE(form().siteKeys().isEmpty());
}

TEST_F(MainForm, SiteOptionsWithoutSelectionWarns)
{
    start();
    form().btnsiteoptionsClick();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"You have not selected a site!"});
    EXPECT_TRUE(fake.dialogs.shown.isEmpty());
}

TEST_F(MainForm, SiteOptionsSaveKeepsThePositionTheRotationToolStored)
{
    writeThreeSites(true);
    start();
    clickRow(0);
    prog.write("Site_1.ini", QString(prog.read("Site_1.ini")).replace("CurrentRotationPosition=3", "CurrentRotationPosition=4").toUtf8());
    fake.dialogs.script([](QDialog& d) {
        auto& dlg = static_cast<TdlgSIteOptions&>(d);
        dlg.edtname->setText("Alpha 2");
        QTest::mouseClick(dlg.BitBtn1, Qt::LeftButton);
        return mrNone;
    });
    form().btnsiteoptionsClick();
    EXPECT_TRUE(prog.read("Site_1.ini").contains("CurrentRotationPosition=4\r\n"));
    EXPECT_TRUE(prog.read("Site_1.ini").contains("Name=Alpha 2\r\n"));
    EXPECT_EQ(form().lbxsitename[0], "Alpha 2");
}

TEST_F(MainForm, DoubleClickOnSiteWithoutFolderOpensSiteOptions)
{
    prog.write("sites.ini", "[Sites]\r\nSite_1=NoFolder\r\n");
    prog.write("Site_1.ini", "[General]\r\nName=NoFolder\r\n");
    start();
    clickRow(0);
    form().lbxsitesDblClick();
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TdlgSIteOptions"});
}

TEST_F(MainForm, DoubleClickOnSiteWithFolderOpensTheEditor)
{
    writeThreeSites(true);
    start();
    clickRow(0);
    form().lbxsitesDblClick();
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TdlgEditSite"});
}

TEST_F(MainForm, RotateNowStartsTheRotationToolOrSaysWhyNot)
{
    writeThreeSites(true);
    start();
    form().btnRotateNowClick();
    EXPECT_EQ(fake.shell.started, QStringList{prog.path() + "Turnfold"});
    EXPECT_TRUE(fake.prompts.calls().isEmpty());
    fake.shell.startSucceeds = false;
    form().btnRotateNowClick();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Could not load " + prog.path() + "Turnfold!"});
    EXPECT_EQ(fake.prompts.lastPrompt().caption, ""); // a plain message box with the program's title
}

TEST_F(MainForm, HelpAndAbout)
{
    start();
    form().BitBtn1Click();
    EXPECT_EQ(fake.shell.helpContexts, QList<int>{0});
    fake.dialogs.script([](QDialog& d) {
        auto& about = static_cast<TAboutBox&>(d);
        EXPECT_EQ(about.windowTitle(), "About Pictorum Pro");
        EXPECT_EQ(about.ProductName->text(), "Pictorum Pro");
        EXPECT_EQ(about.LBLVERSION->text(), "Version 1.1");
        QTest::mouseClick(about.OKbtn, Qt::LeftButton);
        return mrNone;
    });
    form().btnaboutClick();
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TAboutBox"});
}

TEST_F(MainForm, CloseSavesOptionsAndNonEmptyRecentLists)
{
    prog.write("options.ini", "[Options]\r\nLogging=True\r\nUseRotations=True\r\n");
    prog.write("recent_styles.txt", "/old/list.htm\r\n");
    start();
    context->dlgThumbOptions->cmbimagestyle->addItems({"/t/one.htm", "/t/two.htm"});
    context->dlgEditSite->cmbstyle->clear();
    form().close();
    EXPECT_EQ(prog.read("options.ini"),
              QByteArray("[Options]\r\nLogging=True\r\nUseRotations=True\r\nDefaultJPEGCompression=80\r\n"
                         "UseThumbsDirectory=True\r\nForceLowercase=False\r\nMaxFilenameLength=15\r\n"));
    EXPECT_EQ(prog.read("recent_image_styles.txt"), QByteArray("/t/one.htm\r\n/t/two.htm\r\n"));
    EXPECT_EQ(prog.read("recent_styles.txt"), QByteArray("/old/list.htm\r\n")); // empty combo: file left alone
    EXPECT_TRUE(fake.prompts.calls().isEmpty());
}

TEST_F(MainForm, CloseThatCannotSaveSaysSoOnce)
{
    start();
    prog.mkdir("options.ini/"); // a folder where the file should be
    context->dlgEditSite->cmbstyle->addItem("/t/a.htm");
    prog.mkdir("recent_styles.txt/");
    form().close();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Error encountered saving your settings!  You may be out of disk space!"});
    EXPECT_FALSE(form().isVisible());
}

TEST_F(MainForm, ButtonsOfTheWindowsWithTheirPictures)
{
    start();
    TfrmMain& f = form();
    TdlgOptions options(*context, &f);
    TdlgSIteOptions site(*context, &f);
    TdlgStyle style(*context, &f);
    TdlgCopySettings copy(*context, &f);
    TdlgThumbOptions& thumbs = *context->dlgThumbOptions;
    const struct {
        TLmILBitBtn* button;
        const char* caption;
        int image;
        TILBitBtnKind kind;
        int modalResult;
    } buttons[] = {
        {f.btnnewsite, "New Site..", 10, bkCustom, mrNone},
        {f.btndeletesite, "Delete Site..", 11, bkCustom, mrNone},
        {f.btnsiteoptions, "Site Options..", 12, bkCustom, mrNone},
        {f.btnedtsite, "Edit/Build Site..", 13, bkCustom, mrNone},
        {f.btnRotateNow, "Rotate Now!", 14, bkCustom, mrNone},
        {f.btnOptions, "Options..", 21, bkCustom, mrNone},
        {f.btnabout, "About..", 17, bkCustom, mrNone},
        {f.BitBtn1, "Help", 2, bkCustom, mrNone},
        {f.BitBtn2, "&Close", 5, bkCustom, mrNone},
        {options.btnOK, "OK", 0, bkOK, mrOk},
        {options.btnCancel, "Cancel", 1, bkCancel, platform::mrCancel},
        {options.btnHelp, "Help", 2, bkHelp, mrNone},
        // OK buttons whose handlers check the entries close the dialog themselves.
        {site.BitBtn1, "OK", 0, bkCustom, mrNone},
        {site.BitBtn2, "Cancel", 1, bkCancel, platform::mrCancel},
        {site.BitBtn3, "Help", 2, bkHelp, mrNone},
        {site.BitBtn4, "Browse..", 34, bkCustom, mrNone},
        {site.btnBrowseSite, "Browse..", 34, bkCustom, mrNone},
        {style.BitBtn1, "OK", 0, bkCustom, mrNone},
        {style.BitBtn2, "Cancel", 1, bkCancel, platform::mrCancel},
        {style.BitBtn3, "Help", 2, bkHelp, mrNone},
        {copy.BitBtn1, "OK", 0, bkCustom, mrNone},
        {copy.BitBtn2, "Cancel", 1, bkCancel, platform::mrCancel},
        {thumbs.BitBtn1, "OK", 0, bkCustom, mrNone},
        {thumbs.BitBtn2, "Cancel", 1, bkCancel, platform::mrCancel},
        {thumbs.BitBtn3, "Help", 2, bkCustom, mrNone},  // the help of the page shown
        {thumbs.btnimagestyle, "Browse..", 34, bkCustom, mrNone},
        {thumbs.btndescripfile, "Browse", 34, bkCustom, mrNone},
        {thumbs.btnSelectedImageButton, "Browse", 34, bkCustom, mrNone},
        {thumbs.btnotherImageButton, "Browse", 34, bkCustom, mrNone},
        {thumbs.btnpreviousfile, "Browse", 34, bkCustom, mrNone},
        {thumbs.btnnextfile, "Browse", 34, bkCustom, mrNone},
        {thumbs.btnindexfile, "Browse", 34, bkCustom, mrNone},
    };
    EXPECT_GE(imgLmILButtons().Count(), 35);
    for (const auto& b : buttons) {
        const std::string name = b.button->objectName().toStdString();
        EXPECT_EQ(b.button->text(), QString(b.caption)) << name;
        EXPECT_EQ(b.button->ImageIndex(), b.image) << name;
        EXPECT_EQ(b.button->Kind(), b.kind) << name;
        EXPECT_EQ(b.button->ModalResult(), b.modalResult) << name;
        EXPECT_EQ(b.button->Glyph().size(), QSize(32, 16)) << name;
        EXPECT_EQ(b.button->Glyph().copy(0, 0, 16, 16),
                  imgLmILButtons().Picture(b.image).convertToFormat(QImage::Format_ARGB32))
            << name;
    }
}

TEST_F(MainForm, EveryWindowShowsItsHintsForFiveSeconds)
{
    start();
    TdlgSIteOptions later(*context, &form()); // made after the start, as the dialogs are
    QWidget* own = new QWidget(&later);
    own->setToolTipDuration(900);
    const auto askHint = [](QWidget* w) {
        QHelpEvent hint(QEvent::ToolTip, QPoint(1, 1), w->mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(w, &hint);
        return w->toolTipDuration();
    };
    EXPECT_EQ(askHint(form().btnnewsite), 5000);
    EXPECT_EQ(askHint(context->dlgEditSite->btnApplytoAll), 5000);
    EXPECT_EQ(askHint(later.edtname), 5000);
    EXPECT_EQ(askHint(own), 900); // a time of its own stays
}

TEST_F(MainForm, EscapeInADialogIsItsCancelButton)
{
    start();
    TdlgSIteOptions dialog(*context, &form());
    fake.dialogs.script([&](QDialog&) {
        dialog.edtname->setText("Changed");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        return mrNone;
    });
    EXPECT_EQ(fake.dialogs.showModal(dialog), mrCancel);
    EXPECT_EQ(state().CurrentSite.Name, QString());
}

} // namespace
