#include "apptestutil.h"
#include "app/windows/editsite.h"
#include "app/windows/entryedit.h"
#include "app/windows/headerfootercomposer.h"
#include "app/windows/headerfooterlisteditor.h"
#include "app/windows/thumbop.h"

#include "app/gallery/imageadding.h"
#include "app/windows/addimage.h"
#include "app/windows/buildprogress.h"
#include "app/windows/copyfrom.h"
#include "app/windows/style.h"
#include "imaging/pglibrary.h"
#include "components/bitbtn.h"
#include "components/filelistbox.h"

#include "platform/inifile.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class EditorRotation : public ::testing::Test, public PictorumFixture {
protected:
    TdlgEditSite& editor() { return *context->dlgEditSite; }
    void site(bool rotations, const QByteArray& sections)
    {
        prog.write("options.ini", rotations ? "[Options]\r\nUseRotations=True\r\n" : "[Options]\r\n");
        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nRotationCount=3\r\n" + sections);
    }
};

TEST_F(EditorRotation, LoadingWithStatusAndFolderMakesItTheRotationBeingEdited)
{
    site(true, "[Rotation_2]\r\nStatus=2\r\nStyle_File=%/Styles/S.htm\r\nThumb_Height=60\r\n");
    start();
    clickRow(0);
    editor().LoadRotation("Site_1", 2, true, true);
    EXPECT_EQ(editor().currentRotation, 2);
    EXPECT_EQ(editor().grpRotations->title(), "Rotation 2");
    EXPECT_EQ(editor().lblstatus->text(), "This Rotation has been built");
    EXPECT_EQ(editor().edtrotationdirectory->text(), prog.file("Site_1/Rotation_2"));
    EXPECT_EQ(editor().cmbstyle->currentText(), prog.file("Styles/S.htm"));
    EXPECT_EQ(context->dlgThumbOptions->SpnThumbH->value(), 60);

    editor().LoadRotation("Site_1", 3, true, false);
    EXPECT_EQ(editor().currentRotation, 3);
    EXPECT_EQ(editor().lblstatus->text(), "This Rotation has NOT been built");
    EXPECT_EQ(editor().edtrotationdirectory->text(), prog.file("Site_1/Rotation_2")); // folder not asked for
}

TEST_F(EditorRotation, ASingleVersionSiteIsTheCurrentSite)
{
    site(false, "[Rotation_1]\r\nStatus=x\r\n");
    start();
    clickRow(0);
    editor().rotationStatus = 2;
    editor().LoadRotation("Site_1", 1, true, true);
    EXPECT_EQ(editor().grpRotations->title(), "Current Site");
    EXPECT_EQ(editor().rotationStatus, 2); // a status that is no number is kept
    EXPECT_EQ(editor().lblstatus->text(), "This Site has been built");
    EXPECT_EQ(editor().edtrotationdirectory->text(), prog.file("Site_1/"));
}

TEST_F(EditorRotation, SavingWritesTheRecordAndOnlyWhenAskedTheStatusAndFolder)
{
    site(true, "");
    start();
    clickRow(0);
    editor().rotationStatus = 2;
    editor().edtrotationdirectory->setText(prog.file("Site_1/Rotation_1"));
    editor().cmbstyle->setEditText(prog.file("Styles/Index.htm"));
    context->dlgThumbOptions->SpnThumbW->setValue(210);
    ASSERT_TRUE(editor().SaveRotation(1, true));
    ASSERT_TRUE(editor().SaveRotation(2, false));
    const platform::IniFile file(prog.file("Site_1.ini"));
    EXPECT_EQ(file.readString("Rotation_1", "Status", ""), "2");
    EXPECT_EQ(file.readString("Rotation_1", "Rotation_Path", ""), "%/Site_1/Rotation_1");
    EXPECT_EQ(file.readString("Rotation_1", "Style_File", ""), "%/Styles/Index.htm");
    EXPECT_EQ(file.readString("Rotation_2", "Thumb_Width", ""), "210");
    EXPECT_EQ(file.readString("Rotation_2", "Status", "none"), "none");
    EXPECT_EQ(file.readString("General", "Name", ""), "Alpha");
}

TEST_F(EditorRotation, AFailedSaveSaysSo)
{
    start();
    state().ProgramFolder = prog.write("blocker", "x") + "/";
    state().CurrentSite.SiteKey = "Site_1";
    EXPECT_FALSE(editor().SaveRotation(1, true));
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"Error encountered saving your settings!  You may be out of disk space!"});
}

TEST_F(EditorRotation, ClosingWithAnUnwritableSiteFileSaysSoOnce)
{
    site(true, "");
    prog.mkdir("Site_1/Rotation_1");
    start();
    clickRow(0);
    // Rotation and site go to one file, which cannot be written once the editor is open.
    fake.dialogs.script([&](QDialog&) {
        QFile::remove(prog.file("Site_1.ini"));
        prog.mkdir("Site_1.ini");
        return platform::mrCancel;
    });
    form().btnedtsiteClick();
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"Error encountered saving your settings!  You may be out of disk space!"});
}

TEST_F(EditorRotation, OtherLayoutSettingsShowsThePageOptions)
{
    start();
    editor().btnThumbnailOptionsClick();
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TdlgThumbOptions"});
}

TEST_F(EditorRotation, RotationListOfTheEditor)
{
    site(true, "");
    prog.mkdir("Site_1/rotation_2");
    start();
    clickRow(0);
    QListWidget list;
    editor().loadrotationlist(state().CurrentSite, &list);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(1)->text(), "Rotation 2 : 0 Images : NOT BUILT");
}

// ---- the editor as the main window opens it ----

using platform::mrNo;
using platform::mrYes;
using platform::PromptIcon;

QStringList rows(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.item(i)->text());
    return texts;
}

class SiteEditor : public ::testing::Test, public PictorumFixture {
protected:
    // Site_1 "Alpha" in the folder Site_1 of the program folder.
    void site(bool rotations, const QByteArray& general, const QByteArray& sections = {})
    {
        prog.write("options.ini", rotations ? "[Options]\r\nUseRotations=True\r\n" : "[Options]\r\n");
        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\n" + general + sections);
        prog.mkdir("Site_1");
        start();
        clickRow(0);
        editor().runBuild = [this](const EditorBuildRequest& request) {
            builds.push_back(request);
            return buildSucceeds;
        };
    }
    // Opens the editor from the main window, runs work inside it and closes it.
    void inEditor(const std::function<void(TdlgEditSite&)>& work)
    {
        fake.dialogs.script([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Edit Site");
            work(static_cast<TdlgEditSite&>(d));
            return platform::mrCancel;
        });
        form().btnedtsiteClick();
    }
    TdlgEditSite& editor() { return *context->dlgEditSite; }
    RotationSettings& settings() { return state().rotationSettings; }
    QString key(const char* section, const char* name)
    {
        return platform::IniFile(prog.file("Site_1.ini")).readString(section, name, "<none>");
    }
    void click(int row) { editor().lbxrotations->setCurrentRow(row, QItemSelectionModel::ClearAndSelect); }
    QString goodTemplate(const QByteArray& extra = {})
    {
        return prog.write("Styles/good.htm", "<html><body>***CONTENT***" + extra + "</body></html>");
    }

    std::vector<EditorBuildRequest> builds;
    bool buildSucceeds = true;
};

TEST_F(SiteEditor, ASiteWithoutRotationsGetsItsFirstOne)
{
    struct Case {
        bool rotations;
        const char* folder;
        const char* row;
        const char* title;
        const char* label;
        bool rotationButtons;
    } cases[] = {
        {true, "Site_1/Rotation_1", "Rotation 1 : 0 Images : NOT BUILT", "Rotation 1",
         "This Rotation contains the following images:", true},
        {false, "Site_1/", "Current Site  : 0 Images : NOT BUILT", "Current Site",
         "This Site contains the following images:", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        context.reset();
        site(c.rotations, "RotationCount=0\r\n");
        inEditor([&](TdlgEditSite& e) {
            EXPECT_EQ(e.edtsite->text(), "Alpha");
            EXPECT_EQ(rows(*e.lbxrotations), QStringList{c.row});
            EXPECT_EQ(e.grpRotations->title(), c.title);
            EXPECT_EQ(e.Label9->text(), c.label);
            EXPECT_EQ(e.lblstatus->text(), c.rotations ? "This Rotation has NOT been built" : "This Site has NOT been built");
            EXPECT_EQ(e.edtrotationdirectory->text(), prog.file(c.folder));
            EXPECT_EQ(e.btnNewRotation->isVisibleTo(&e), c.rotationButtons);
            EXPECT_EQ(e.btndeleterotation->isVisibleTo(&e), c.rotationButtons);
            EXPECT_EQ(e.btndeleterotation->isEnabled(), c.rotationButtons);
            EXPECT_EQ(key("Rotation_1", "Status"), "0");
        });
        EXPECT_TRUE(QFileInfo(prog.file(c.folder)).isDir());
        EXPECT_EQ(key("General", "RotationCount"), "1");
        EXPECT_EQ(key("Rotation_1", "Rotation_Path"), QString("%/") + c.folder);
        EXPECT_EQ(key("Rotation_1", "Status"), "1"); // a listed folder is no longer "new"
        EXPECT_EQ(state().rotationChoices, QStringList{c.rotations ? "Rotation 1" : "Current Site"});
        EXPECT_EQ(fake.prompts.calls().size(), 0);
    }
}

TEST_F(SiteEditor, ASingleVersionSiteListsOneRowWhateverItsCount)
{
    site(false, "RotationCount=5\r\n");
    for (const char* name : {"b.JPG", "a.gif", "c.jpeg", "d.png", "e.jpe"})
        prog.write(QString("Site_1/") + name, "x");
    inEditor([&](TdlgEditSite& e) {
        EXPECT_EQ(rows(*e.lbxrotations), QStringList{"Current Site  : 4 Images : NOT BUILT"});
        EXPECT_EQ(e.FileBox->FileNames(), (QStringList{"a.gif", "b.JPG", "c.jpeg", "e.jpe"}));
        EXPECT_EQ(e.lblfilecount->text(), "4 Images");
        EXPECT_FALSE(e.btnNewRotation->isVisibleTo(&e));
        EXPECT_FALSE(e.btndeleterotation->isVisibleTo(&e));
        EXPECT_EQ(e.currentRotation, 1);
    });
    EXPECT_EQ(key("General", "RotationCount"), "5");
}

TEST_F(SiteEditor, ARowWhoseFolderIsMissingIsNeverSavedIntoNorBuilt)
{
    site(true, "RotationCount=3\r\n",
         "[Rotation_1]\r\nThumb_Width=300\r\n[Rotation_2]\r\nThumb_Width=150\r\n"
         "[Rotation_3]\r\nRotation_Path=%/gone\r\nThumb_Width=990\r\n");
    prog.write("Site_1/Rotation_1/a.jpg", "x");
    prog.write("Site_1/rotation_2/b.jpg", "x");
    const QByteArray third = "[Rotation_3]\r\nRotation_Path=%/gone\r\nThumb_Width=990\r\n";
    inEditor([&](TdlgEditSite& e) {
        EXPECT_EQ(rows(*e.lbxrotations), (QStringList{"Rotation 1 : 1 Images : NOT BUILT", "Rotation 2 : 1 Images : NOT BUILT",
                                                       "Rotation 3 : ERROR! Not found!"}));
        click(1);
        EXPECT_EQ(e.edtrotationdirectory->text(), prog.file("Site_1/rotation_2"));
        EXPECT_EQ(settings().SpnThumbW.value(), 150);
        EXPECT_FALSE(e.btndeleterotation->isEnabled()); // only the last row can go
        click(2);
        EXPECT_EQ(e.lblstatus->text(), "Error!  The directory, " + prog.file("gone") + ", could not be located!");
        EXPECT_EQ(e.currentRotation, -1);
        EXPECT_EQ(e.edtrotationdirectory->text(), "");
        EXPECT_EQ(e.FileBox->count(), 0);
        EXPECT_EQ(settings().SpnThumbW.value(), 150); // still shown, but belongs to no row
        for (QPushButton* b : {e.btnbuild, e.btnAddFiles, e.btnpreview, e.btnApplytoAll})
            EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
        EXPECT_TRUE(e.btndeleterotation->isEnabled());
        settings().SpnThumbW.setValue(777);
        e.btnbuildClick(e.btnbuild);
        e.btnApplytoAllClick();
    });
    EXPECT_TRUE(builds.empty());
    EXPECT_EQ(fake.prompts.calls().size(), 0);
    EXPECT_EQ(key("Rotation_1", "Thumb_Width"), "300");
    EXPECT_EQ(key("Rotation_2", "Thumb_Width"), "150");
    EXPECT_TRUE(prog.read("Site_1.ini").endsWith(third)); // the missing rotation's section as it was

    // Delete names the last rotation and its own folder; a missing folder is not deleted.
    fake.prompts.answer(mrYes);
    inEditor([&](TdlgEditSite& e) {
        click(2);
        e.btndeleterotationClick();
        EXPECT_EQ(rows(*e.lbxrotations), (QStringList{"Rotation 1 : 1 Images : NOT BUILT", "Rotation 2 : 1 Images : NOT BUILT"}));
        EXPECT_EQ(e.currentRotation, 1);
    });
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Are you sure you want to remove Rotation 3 and delete all files in "
                                                      "the directory, " + prog.file("gone") + "?"});
    EXPECT_EQ(key("General", "RotationCount"), "2");
    EXPECT_FALSE(prog.read("Site_1.ini").contains("[Rotation_3]"));
    EXPECT_TRUE(prog.exists("Site_1/rotation_2/b.jpg"));
}

TEST_F(SiteEditor, ANewRotationStartsNotBuiltInTurnfoldsFolderWhenThereIsOne)
{
    site(true, "RotationCount=1\r\n", "[Rotation_1]\r\nStatus=2\r\nThumb_Width=300\r\n");
    prog.write("Site_1/Rotation_1/Index.html", "x");
    prog.mkdir("Site_1/rotation_2");
    inEditor([&](TdlgEditSite& e) {
        EXPECT_EQ(e.lblstatus->text(), "This Rotation has been built");
        EXPECT_TRUE(e.btnpreview->isEnabled());
        QTest::mouseClick(e.btnNewRotation, Qt::LeftButton);
        EXPECT_EQ(rows(*e.lbxrotations), (QStringList{"Rotation 1 : 0 Images : Built", "Rotation 2 : 0 Images : NOT BUILT"}));
        EXPECT_EQ(e.lbxrotations->currentRow(), 1);
        EXPECT_EQ(e.currentRotation, 2);
        EXPECT_EQ(e.grpRotations->title(), "Rotation 2");
        EXPECT_EQ(e.lblstatus->text(), "This Rotation has NOT been built");
        EXPECT_FALSE(e.btnpreview->isEnabled());
        EXPECT_EQ(key("Rotation_2", "Status"), "0");
        EXPECT_EQ(key("Rotation_2", "Thumb_Width"), "300"); // the settings shown carry over
    });
    EXPECT_EQ(key("Rotation_2", "Rotation_Path"), "%/Site_1/rotation_2");
    EXPECT_EQ(key("Rotation_1", "Status"), "2");
    EXPECT_EQ(key("General", "RotationCount"), "2");
    EXPECT_FALSE(QDir(prog.path() + "Site_1").entryList(QDir::Dirs | QDir::NoDotAndDotDot).contains("Rotation_2"));
}

TEST_F(SiteEditor, ANewRotationWhoseFolderCannotBeMadeStops)
{
    site(true, "RotationCount=1\r\n");
    prog.mkdir("Site_1/Rotation_1");
    prog.write("Site_1/Rotation_2", "a file where the folder should be");
    inEditor([&](TdlgEditSite& e) { e.btnNewRotationClick(); });
    EXPECT_EQ(fake.prompts.promptTexts(),
              (QStringList{"An error was encountered whilst trying to create the directory, " + prog.file("Site_1/Rotation_2"),
                           "Error encountered creating a new rotation directory!"}));
    EXPECT_EQ(fake.prompts.lastPrompt().icon, PromptIcon::Information);
    EXPECT_EQ(key("General", "RotationCount"), "1");
    EXPECT_EQ(key("Rotation_2", "Status"), "<none>");
}

TEST_F(SiteEditor, DeletingTheLastRotationTakesItsFolderAndSection)
{
    site(true, "RotationCount=2\r\n", "[Rotation_2]\r\nStatus=2\r\n");
    prog.mkdir("Site_1/Rotation_1");
    prog.write("Site_1/Rotation_2/a.jpg", "x");
    fake.prompts.answer(mrNo);
    fake.prompts.answer(mrYes);
    inEditor([&](TdlgEditSite& e) {
        click(1);
        e.btndeleterotationClick(); // No
        EXPECT_EQ(e.lbxrotations->count(), 2);
        EXPECT_TRUE(prog.exists("Site_1/Rotation_2/a.jpg"));
        e.btndeleterotationClick(); // Yes
        EXPECT_EQ(rows(*e.lbxrotations), QStringList{"Rotation 1 : 0 Images : NOT BUILT"});
        EXPECT_EQ(e.lbxrotations->currentRow(), 0);
    });
    const QString question = "Are you sure you want to remove Rotation 2 and delete all files in the directory, "
                             + prog.file("Site_1/Rotation_2") + "?";
    EXPECT_EQ(fake.prompts.promptTexts(), (QStringList{question, question}));
    EXPECT_FALSE(prog.exists("Site_1/Rotation_2"));
    EXPECT_FALSE(prog.read("Site_1.ini").contains("[Rotation_2]"));
    EXPECT_EQ(key("General", "RotationCount"), "1");
    EXPECT_EQ(state().CurrentSite.RotationCount, 1);
}

TEST_F(SiteEditor, ApplyToAllWritesTheSettingsButNoStatusOrFolder)
{
    site(true, "RotationCount=3\r\n",
         "[Rotation_1]\r\nStatus=2\r\nRotation_Path=%/Site_1/r1\r\n"
         "[Rotation_2]\r\nStatus=1\r\nRotation_Path=%/Site_1/r2\r\nThumb_Width=120\r\n");
    prog.mkdir("Site_1/r1");
    inEditor([&](TdlgEditSite& e) {
        settings().SpnThumbW.setValue(250);
        QTest::mouseClick(e.btnApplytoAll, Qt::LeftButton);
    });
    for (const char* section : {"Rotation_1", "Rotation_2", "Rotation_3"})
        EXPECT_EQ(key(section, "Thumb_Width"), "250") << section;
    EXPECT_EQ(key("Rotation_2", "Status"), "1");
    EXPECT_EQ(key("Rotation_2", "Rotation_Path"), "%/Site_1/r2");
    EXPECT_EQ(key("Rotation_3", "Status"), "<none>");
    EXPECT_EQ(key("Rotation_3", "Rotation_Path"), "<none>");
}

TEST_F(SiteEditor, BuildChecksInOrder)
{
    site(true, "RotationCount=1\r\n");
    prog.write("Site_1/Rotation_1/a.jpg", "x");
    const QString good = goodTemplate();
    const QString list = prog.write("list.txt", "<b>x</b>\r\n");
    const QString noContent = prog.write("Styles/bare.htm", "<html>***content***</html>");
    using namespace rotationentries;
    struct Case {
        const char* name;
        std::function<void(RotationSettings&)> change;
        PromptIcon icon;
        QString text;
    } cases[] = {
        {"no template", [](RotationSettings& s) { s.cmbstyle.clear(); }, PromptIcon::Information,
         "You have not specified a HTML template file for your thumbnail page or the file cannot be located!"},
        {"template is a folder", [&](RotationSettings& s) { s.cmbstyle = prog.file("Styles"); }, PromptIcon::Information,
         "You have not specified a HTML template file for your thumbnail page or the file cannot be located!"},
        {"no image template", [](RotationSettings& s) { s.rdbHTMLImageWindow = true; }, PromptIcon::Information,
         "You have not specified a HTML template file for your image display page or the file cannot be located!"},
        {"no description file",
         [&](RotationSettings& s) {
             s.Filename_Display = FilenameDisplay::DescriptionFile;
             s.edtdescripfile = prog.file("none.csv");
         },
         PromptIcon::Warning,
         "You have elected to show descriptions for your thumbnails, however you have not specified a description "
         "file or the file cannot be located!"},
        {"header without HTML", [](RotationSettings& s) { s.cmbHeader.setIndex(HeaderHTML); }, PromptIcon::Information,
         "You have elected to insert a header, but have not provided any HTML!"},
        {"header list missing",
         [](RotationSettings& s) { s.cmbHeader.setIndex(HeaderFile); s.edtheaderfile = "/none/list.txt"; },
         PromptIcon::Warning,
         "You have elected to insert custom headers, but you have not specified a file to use or the file cannot be "
         "located!"},
        {"footer without HTML", [](RotationSettings& s) { s.edtfooterhtml.clear(); }, PromptIcon::Information,
         "You have elected to insert a footer, but have not provided any HTML!"},
        {"footer list missing", [](RotationSettings& s) { s.cmbFooter.setIndex(HeaderFile); }, PromptIcon::Warning,
         "You have elected to insert custom footers, but you have not specified a file to use or the file cannot be "
         "located!"},
        {"template fails", [&](RotationSettings& s) { s.cmbstyle = noContent; }, PromptIcon::Warning,
         "The HTML Template file, " + noContent
             + ", has failed the compliancy test.  Please use 'Test Compliance' to review and correct the problems!"},
        {"image template fails",
         [&](RotationSettings& s) {
             s.rdbHTMLImageWindow = true;
             s.cmbimagestyle = noContent;
         },
         PromptIcon::Warning,
         "The HTML Template file for your image pages, " + noContent
             + ", has failed the compliancy test.  Please use 'Test Compliance' to review and correct the problems."},
    };
    inEditor([&](TdlgEditSite& e) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            RotationSettings& s = settings();
            s.cmbstyle = good;
            s.rdbHTMLImageWindow = false;
            s.cmbimagestyle.clear();
            s.Filename_Display = FilenameDisplay::HideExt;
            s.cmbHeader.setIndex(HeaderFile);
            s.edtheaderfile = list;
            s.cmbFooter.setIndex(HeaderHTML);
            s.edtfooterhtml = "<i>f</i>";
            c.change(s);
            fake.prompts.clear();
            e.btnbuildClick(e.btnbuild);
            EXPECT_EQ(fake.prompts.promptTexts(), QStringList{c.text});
            EXPECT_EQ(fake.prompts.lastPrompt().icon, c.icon);
            EXPECT_TRUE(builds.empty());
        }
    });
}

TEST_F(SiteEditor, AnEmptyRotationAsksForAPageCount)
{
    site(true, "RotationCount=1\r\n");
    prog.mkdir("Site_1/Rotation_1");
    const QString question = "The current Site or Rotation does not contain any images!  Do you want to create a site "
                             "without thumbnails?";
    inEditor([&](TdlgEditSite& e) {
        settings().cmbstyle = goodTemplate();
        fake.prompts.answer(mrNo);
        e.btnbuildClick(e.btnbuild);
        EXPECT_EQ(fake.prompts.promptTexts(), QStringList{question});
        EXPECT_EQ(fake.prompts.calls().size(), 1); // no page count asked

        fake.prompts.clear();
        fake.prompts.answer(mrYes);
        fake.prompts.answerText(std::nullopt);
        e.btnbuildClick(e.btnbuild);
        ASSERT_EQ(fake.prompts.calls().size(), 2);
        EXPECT_EQ(fake.prompts.calls()[1].caption, "Number of Pages");
        EXPECT_EQ(fake.prompts.calls()[1].detail, "How many pages should be inserted into your site?");

        for (const char* typed : {"0", "-3", "x", "", "2147483648"}) {
            fake.prompts.clear();
            fake.prompts.answer(mrYes);
            fake.prompts.answerText(QString(typed));
            e.btnbuildClick(e.btnbuild);
            EXPECT_EQ(fake.prompts.promptTexts(), (QStringList{question, "You failed to enter a valid number"})) << typed;
            EXPECT_EQ(fake.prompts.lastPrompt().icon, PromptIcon::Warning);
        }
        EXPECT_TRUE(builds.empty());

        fake.prompts.answer(mrYes);
        fake.prompts.answerText(QString(" 12"));
        e.btnbuildClick(e.btnbuild);
    });
    ASSERT_EQ(builds.size(), 1u);
    EXPECT_TRUE(builds[0].noThumbnails);
    EXPECT_EQ(builds[0].pageCount, 12);
    EXPECT_TRUE(builds[0].images.isEmpty());
}

// The template is typed as a relative path, with Pictorum started elsewhere: it is the
// program folder's, for the check, the build and the site file.
TEST_F(SiteEditor, BuildFillsTheRequiredFilesListsAndHandsOverTheRotation)
{
    site(true, "RotationCount=1\r\n");
    for (const char* name : {"b.jpg", "a.gif", "x_thb.jpg"})
        prog.write(QString("Site_1/Rotation_1/") + name, "x");
    const QString next = prog.write("nav/Next.gif", "x");
    const QString previous = prog.write("nav/prev.gif", "x");
    goodTemplate("<body background=\"bg.jpg\"><img src=\"img/Back.gif\"><img src=\"http://x/y.gif\">");
    prog.write("Styles/bg.jpg", "x");
    prog.write("Styles/img/back.gif", "x");
    const QString image = prog.write("Styles/image.htm", "***CONTENT***<img src=\"pic.gif\">");
    TempFolder work;
    const StartedElsewhere elsewhere(work.path(), QDir::homePath());
    inEditor([&](TdlgEditSite& e) {
        RotationSettings& s = settings();
        e.cmbstyle->setEditText("Styles/good.htm");
        s.rdbHTMLImageWindow = true;
        s.cmbimagestyle = image;
        s.Chkusecustombuttons = true;
        s.edtnextfile = next;
        s.edtpreviousfile = previous;
        s.edtindexfile.clear();
        QTest::mouseClick(e.btnbuild, Qt::LeftButton);
        EXPECT_EQ(e.lblstatus->text(), "This Rotation has been built");
        EXPECT_TRUE(e.btnpreview->isEnabled());
        EXPECT_EQ(e.lbxrotations->currentRow(), 0);
    });
    EXPECT_EQ(fake.prompts.calls().size(), 0);
    EXPECT_EQ(state().RequiredFileNames, (QStringList{"NEXT.GIF", "PREV.GIF", "BG.JPG", "BACK.GIF", "PIC.GIF"}));
    EXPECT_EQ(state().RequiredFilePaths, (QStringList{next, previous, prog.file("Styles/bg.jpg"),
                                                      prog.file("Styles/img/back.gif"), prog.file("Styles/pic.gif")}));
    ASSERT_EQ(builds.size(), 1u);
    EXPECT_EQ(builds[0].rotation, 1);
    EXPECT_EQ(builds[0].rotationFolder, prog.file("Site_1/Rotation_1/"));
    EXPECT_EQ(builds[0].images, (QStringList{"a.gif", "b.jpg", "x_thb.jpg"}));
    EXPECT_FALSE(builds[0].buildAll);
    EXPECT_FALSE(builds[0].noThumbnails);
    EXPECT_EQ(key("Rotation_1", "Status"), "2");
    EXPECT_EQ(key("Rotation_1", "Style_File"), "%/Styles/good.htm");
}

TEST_F(SiteEditor, BuildAllLeavesOutRowsWhoseFolderIsMissing)
{
    site(true, "RotationCount=3\r\n");
    prog.write("Site_1/Rotation_1/a.jpg", "x");
    prog.write("Site_1/Rotation_3/c.jpg", "x");
    inEditor([&](TdlgEditSite& e) {
        settings().cmbstyle = goodTemplate();
        QTest::mouseClick(e.btnBuildAll, Qt::LeftButton);
        EXPECT_FALSE(e.buildAll);
        EXPECT_EQ(rows(*e.lbxrotations), (QStringList{"Rotation 1 : 1 Images : NOT BUILT", "Rotation 2 : ERROR! Not found!",
                                                       "Rotation 3 : 1 Images : NOT BUILT"}));
    });
    ASSERT_EQ(builds.size(), 2u);
    EXPECT_EQ(builds[0].rotation, 1);
    EXPECT_EQ(builds[1].rotation, 3);
    EXPECT_EQ(builds[1].images, QStringList{"c.jpg"});
    EXPECT_TRUE(builds[0].buildAll && builds[1].buildAll);
    EXPECT_EQ(key("Rotation_1", "Status"), "2");
    EXPECT_EQ(key("Rotation_3", "Status"), "2");
    EXPECT_EQ(key("Rotation_2", "Status"), "<none>");
}

TEST_F(SiteEditor, DeleteKeyOnTheImagesAsksFirst)
{
    site(true, "RotationCount=1\r\n");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        prog.write(QString("Site_1/Rotation_1/") + name, "x");
    inEditor([&](TdlgEditSite& e) {
        TFileListBox& box = *e.FileBox;
        const auto select = [&](std::initializer_list<int> chosen) {
            box.clearSelection();
            for (int row : chosen)
                box.item(row)->setSelected(true);
        };
        struct Step {
            std::initializer_list<int> rows;
            int answer;
            QString question;
            QStringList left;
        } steps[] = {
            {{0}, mrNo, "Are you sure you want to delete the file, " + prog.file("Site_1/Rotation_1/a.jpg") + "?",
             {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}},
            {{0}, mrYes, "Are you sure you want to delete the file, " + prog.file("Site_1/Rotation_1/a.jpg") + "?",
             {"b.jpg", "c.jpg", "d.jpg"}},
            {{0, 2}, mrNo, "Are you sure you want to delete these 2 files?", {"b.jpg", "c.jpg", "d.jpg"}},
            {{0, 2}, mrYes, "Are you sure you want to delete these 2 files?", {"c.jpg"}},
        };
        for (const Step& step : steps) {
            select(step.rows);
            fake.prompts.clear();
            fake.prompts.answer(step.answer);
            QTest::keyClick(&box, Qt::Key_Delete);
            EXPECT_EQ(fake.prompts.promptTexts(), QStringList{step.question});
            EXPECT_EQ(box.FileNames(), step.left);
        }
        EXPECT_EQ(e.lblfilecount->text(), "1 Images");
        fake.prompts.clear();
        box.clearSelection();
        QTest::keyClick(&box, Qt::Key_Delete);
        select({0});
        QTest::keyClick(&box, Qt::Key_Backspace);
        EXPECT_EQ(fake.prompts.calls().size(), 0);
    });
}

TEST_F(SiteEditor, HeaderAndFooterButtonsGoThroughThePageOptionsHooks)
{
    site(true, "RotationCount=1\r\n");
    prog.mkdir("Site_1/Rotation_1");
    QStringList calls;
    PageOptionsHooks& hooks = context->dlgThumbOptions->hooks;
    hooks.composeHeaderFooter = [&](bool isHeader, const QString& html) -> std::optional<QString> {
        calls << QString("compose %1 %2").arg(isHeader ? "header" : "footer", html);
        if (html == "cancel")
            return std::nullopt;
        return html + "!";
    };
    hooks.editHeaderFooterList = [&](bool isHeader, const QString& file) -> std::optional<QString> {
        calls << QString("list %1 %2").arg(isHeader ? "header" : "footer", file);
        return QString("/lists/new.txt");
    };
    inEditor([&](TdlgEditSite& e) {
        EXPECT_FALSE(e.btneditheader->isEnabled());
        e.cmbHeader->setCurrentIndex(1);
        EXPECT_TRUE(e.btneditheader->isEnabled());
        e.edtheaderhtml->setText("<b>h</b>");
        QTest::mouseClick(e.btneditheader, Qt::LeftButton);
        e.cmbFooter->setCurrentIndex(2);
        QTest::mouseClick(e.btneditfooter, Qt::LeftButton);
        e.cmbHeader->setCurrentIndex(1);
        e.edtheaderhtml->setText("cancel");
        QTest::mouseClick(e.btneditheader, Qt::LeftButton);
        e.cmbFooter->setCurrentIndex(0);
        EXPECT_FALSE(e.btneditfooter->isEnabled());
    });
    EXPECT_EQ(calls, (QStringList{"compose header <b>h</b>", "list footer ", "compose header cancel"}));
    EXPECT_EQ(settings().edtheaderhtml, "cancel");
    EXPECT_EQ(settings().edtfooterfile, "/lists/new.txt");
    EXPECT_EQ(key("Rotation_1", "Header_HTML"), "cancel");
    EXPECT_EQ(key("Rotation_1", "Footer_File"), ""); // the footer choice went back to none
}

TEST_F(SiteEditor, HeaderAndFooterButtonsShowTheRealDialogs)
{
    site(true, "RotationCount=1\r\n");
    prog.mkdir("Site_1/Rotation_1");
    inEditor([&](TdlgEditSite& e) {
        e.cmbHeader->setCurrentIndex(1);
        e.edtheaderhtml->setText("<b>h</b>");
        for (bool ok : {true, false}) {
            fake.dialogs.script([ok](QDialog& d) {
                auto& composer = dynamic_cast<TdlgNewHeaderFooter&>(d);
                EXPECT_EQ(composer.windowTitle(), "Edit Header");
                composer.rdbtextlink->setChecked(true);
                composer.edttext->setText(composer.edtRawHTML->text());
                composer.edttextlink->setText("http://h.example/");
                if (ok)
                    composer.BitBtn1Click();
                return ok ? platform::mrNone : platform::mrCancel;
            });
            QTest::mouseClick(e.btneditheader, Qt::LeftButton);
        }
        e.cmbFooter->setCurrentIndex(2);
        fake.dialogs.script([&](QDialog& d) {
            auto& list = dynamic_cast<TdlgHeaderFooter&>(d);
            EXPECT_EQ(list.windowTitle(), "Edit Footer List");
            list.lbxheaders->addItem("<i>f</i>");
            list.BitBtn3Click();
            return platform::mrNone;
        });
        QTest::mouseClick(e.btneditfooter, Qt::LeftButton);
    });
    EXPECT_EQ(settings().edtheaderhtml, "<A HREF=\"http://h.example/\"><b>h</b></A>");
    EXPECT_EQ(settings().edtfooterfile, prog.file("Site_1_Footers.txt"));
    EXPECT_EQ(prog.read("Site_1_Footers.txt"), "<i>f</i>\r\n");
}

TEST_F(SiteEditor, TemplateBrowseTestViewAndPreview)
{
    site(true, "RotationCount=1\r\n", "[Rotation_1]\r\nStatus=2\r\n");
    prog.write("Site_1/Rotation_1/index.HTML", "x"); // BaseHTMLName "Index.html", found ignoring case
    const QString sample = prog.write("Styles/Sample_No_Index.htm", "***CONTENT***");
    const QString good = goodTemplate();
    fake.prompts.answerFile(good);  // Browse.., then the check dialog's OK
    fake.prompts.answerFile(sample); // Browse.., then Cancel
    fake.dialogs.script([&](QDialog& d) {
        auto& e = static_cast<TdlgEditSite&>(d);
        EXPECT_EQ(e.cmbstyle->count(), 1);
        EXPECT_EQ(e.cmbstyle->itemText(0), sample);
        EXPECT_EQ(e.cmbstyle->currentText(), "");
        EXPECT_FALSE(e.btnteststyle->isEnabled());
        EXPECT_FALSE(e.btnviewhtml->isEnabled());
        QTest::mouseClick(e.btnnewstyle, Qt::LeftButton);
        EXPECT_EQ(e.cmbstyle->currentText(), good);
        EXPECT_TRUE(e.btnteststyle->isEnabled());
        QTest::mouseClick(e.btnnewstyle, Qt::LeftButton);
        EXPECT_EQ(e.cmbstyle->currentText(), good);
        e.cmbstyleExit();
        EXPECT_EQ(e.cmbstyle->count(), 2);
        QTest::mouseClick(e.btnteststyle, Qt::LeftButton);
        EXPECT_FALSE(e.btnteststyle->isEnabled());
        QTest::mouseClick(e.btnviewhtml, Qt::LeftButton);
        QTest::mouseClick(e.btnpreview, Qt::LeftButton);
        QTest::mouseClick(e.BitBtn1, Qt::LeftButton);
        return platform::mrCancel;
    });
    fake.dialogs.script([](QDialog&) { return platform::mrOk; });
    fake.dialogs.script([](QDialog&) { return platform::mrCancel; });
    fake.dialogs.script([](QDialog&) { return platform::mrOk; });
    form().btnedtsiteClick();
    EXPECT_EQ(fake.dialogs.shown, (QStringList{"TdlgEditSite", "TdlgStyle", "TdlgStyle", "TdlgStyle"}));
    EXPECT_EQ(fake.prompts.calls()[0].detail, "HTML files (*.htm *.html)");
    EXPECT_EQ(fake.shell.opened, (QStringList{good, prog.file("Site_1/Rotation_1/index.HTML")}));
    EXPECT_EQ(fake.shell.helpContexts, QList<int>{27});
    EXPECT_EQ(key("Rotation_1", "Style_File"), "%/Styles/good.htm");
}

TEST_F(SiteEditor, SelectImagesShowsTheRotationsAndRefreshesTheList)
{
    site(true, "RotationCount=2\r\n");
    prog.mkdir("Site_1/Rotation_1");
    prog.mkdir("Site_1/Rotation_2");
    inEditor([&](TdlgEditSite& e) {
        click(1);
        fake.dialogs.script([&](QDialog& d) {
            auto& add = static_cast<TdlgAddImages&>(d);
            EXPECT_EQ(add.cmbrotation->count(), 2);
            EXPECT_EQ(add.cmbrotation->itemText(1), "Rotation 2");
            EXPECT_EQ(add.cmbrotation->currentIndex(), 1);
            prog.write("Site_1/Rotation_2/new.jpg", "x");
            return platform::mrCancel;
        });
        QTest::mouseClick(e.btnAddFiles, Qt::LeftButton);
        EXPECT_EQ(e.FileBox->FileNames(), QStringList{"new.jpg"});
        EXPECT_EQ(e.lblfilecount->text(), "1 Images");
    });
}

TEST_F(SiteEditor, RowsDeleteAndNewRotationUseTheRecordsCount)
{
    site(true, ""); // no RotationCount: the record holds 20
    prog.mkdir("Site_1/Rotation_1");
    fake.prompts.answer(mrNo);
    inEditor([&](TdlgEditSite& e) {
        EXPECT_EQ(state().CurrentSite.RotationCount, 20);
        EXPECT_EQ(e.lbxrotations->count(), 20);
        click(19);
        EXPECT_TRUE(e.btndeleterotation->isEnabled());
        e.btndeleterotationClick();
        QTest::mouseClick(e.btnNewRotation, Qt::LeftButton);
        EXPECT_EQ(e.lbxrotations->count(), 21);
        EXPECT_EQ(e.grpRotations->title(), "Rotation 21");
    });
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"Are you sure you want to remove Rotation 20 and delete all files in "
                                                      "the directory, " + prog.file("Site_1/Rotation_20") + "?"});
    EXPECT_TRUE(prog.exists("Site_1/Rotation_21"));
    EXPECT_EQ(key("General", "RotationCount"), "21");
    EXPECT_EQ(key("Rotation_21", "Rotation_Path"), "%/Site_1/Rotation_21");
}

TEST_F(SiteEditor, DeleteRotationSparesTheWorkingFolderAndTheFoldersHoldingIt)
{
    TempFolder work;
    const QString kept = work.write("outer/here/keep.txt", "x");
    site(true, "RotationCount=3\r\n",
         "[Rotation_3]\r\nRotation_Path=" + work.file("outer/here").toUtf8() + "\r\n[Rotation_2]\r\nRotation_Path="
             + work.file("outer/").toUtf8() + "\r\n");
    prog.mkdir("Site_1/Rotation_1");
    const StartedElsewhere elsewhere(work.file("outer/here"), QDir::homePath());
    for (int answer : {int(mrYes), int(platform::mrOk), int(mrYes)})
        fake.prompts.answer(answer);
    inEditor([&](TdlgEditSite& e) {
        for (int row : {2, 1}) {
            click(row);
            e.btndeleterotationClick();
        }
    });
    EXPECT_EQ(fake.prompts.promptTexts().filter("Cannot remove directory").size(), 2);
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_EQ(key("General", "RotationCount"), "1");
}

TEST_F(SiteEditor, ARotationWithoutOptionalKeysTakesNothingFromTheOneBefore)
{
    InitPGraphic();
    const QString templ = goodTemplate("***HEADER***|***FOOTER***");
    prog.write("h1.txt", "ROTATION-ONE-HEADER\r\n");
    site(true, "RotationCount=2\r\n",
         "[Rotation_1]\r\nStatus=2\r\nStyle_File=%/Styles/good.htm\r\nHeader_File=%/h1.txt\r\nFooter_HTML=ONE-FOOTER\r\n"
         "DisplayAsImage=False\r\nImage_Style_File=%/Styles/good.htm\r\nImage_Header_HTML=ONE-IMAGE-HEADER\r\n"
         "Image_Footer_Same_As_Index=True\r\n[Rotation_2]\r\nRotation_Path=%/Site_1/Rotation_2/\r\n");
    prog.mkdir("Site_1/Rotation_1");
    prog.mkdir("Site_1/Rotation_2");
    editor().runBuild = [this](const EditorBuildRequest& request) {
        TdlgBuildProgress dialog(*context, request, &editor());
        return fake.dialogs.showModal(dialog) == platform::mrOk;
    };
    fake.prompts.answer(mrYes);             // a site without thumbnails
    fake.prompts.answerText(QString("1"));  // of one page
    fake.prompts.answer(mrNo);              // no preview
    inEditor([&](TdlgEditSite& e) {
        ASSERT_EQ(settings().edtheaderfile, prog.file("h1.txt"));
        click(1);
        EXPECT_EQ(e.cmbHeader->currentIndex(), rotationentries::HeaderNone);
        EXPECT_EQ(settings().edtheaderfile, QString());
        EXPECT_EQ(settings().edtfooterhtml, QString());
        EXPECT_EQ(settings().edtimageheaderhtml, QString());
        EXPECT_EQ(settings().cmbimageFooter.index(), rotationentries::ImageNone);
        fake.dialogs.script([](QDialog& d) {
            QTest::mouseClick(static_cast<TdlgBuildProgress&>(d).btnok, Qt::LeftButton);
            return platform::mrNone;
        });
        QTest::mouseClick(e.btnbuild, Qt::LeftButton);
    });
    DonePGraphic();
    EXPECT_EQ(fake.prompts.unanswered(), 0) << fake.prompts.promptTexts().join("\n").toStdString();
    const QByteArray page = prog.read("Site_1/Rotation_2/Index.html");
    EXPECT_FALSE(page.isEmpty());
    EXPECT_FALSE(page.contains("ONE")) << page.toStdString();
    for (const char* name : {"Header_File", "Header_HTML", "Footer_File", "Footer_HTML", "Image_Header_File",
                             "Image_Header_HTML", "Image_Footer_File", "Image_Footer_HTML"})
        EXPECT_EQ(key("Rotation_2", name), "") << name;
    EXPECT_EQ(key("Rotation_2", "Image_Footer_Same_As_Index"), "False");
    EXPECT_EQ(key("Rotation_1", "Header_File"), "%/h1.txt");
}

TEST_F(SiteEditor, AHostileSiteKeyReachesNoFileOutsideTheProgramFolder)
{
    // "../<name>-outside": the settings file it would name lies beside the program folder.
    const QString outsideName = QFileInfo(prog.path().chopped(1)).fileName() + "-outside";
    const QString outside = QFileInfo(prog.path().chopped(1)).path() + "/" + outsideName + ".ini";
    const QString elsewhere = prog.path().chopped(1) + "-elsewhere/";
    const QByteArray outsideText = "[General]\r\nName=Outside\r\nPath=" + elsewhere.toUtf8() + "\r\nRotationCount=2\r\n"
                                   "[Rotation_1]\r\nThumb_Width=999\r\n[Rotation_2]\r\nRotation_Path=" + elsewhere.toUtf8() + "\r\n";
    writeAll(outside, outsideText);
    QDir().mkpath(elsewhere);
    prog.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    prog.write("sites.ini", "[Sites]\r\n../" + outsideName.toUtf8() + "=Evil\r\nSite_1=Alpha\r\n");
    prog.mkdir("Site_1/Rotation_1");
    prog.mkdir("Site_1/Rotation_2");
    const QString source = prog.write("in/a.gif", "GIF89a");
    start();
    clickRow(0);
    // As Site Options leaves the record when its save was refused.
    state().CurrentSite.Path = prog.file("Site_1/");
    state().CurrentSite.RotationCount = 2;
    settings().SpnThumbW.setValue(120);
    const int thumbWidth = settings().SpnThumbW.value();
    fake.dialogs.script([&](QDialog& d) {
        auto& e = static_cast<TdlgEditSite&>(d);
        QTest::mouseClick(e.btnApplytoAll, Qt::LeftButton);
        fake.dialogs.script([&](QDialog& c) {
            auto& copy = static_cast<TdlgCopySettings&>(c);
            copy.cmbsites->setCurrentIndex(0);
            copy.cmbsitesChange();
            QTest::mouseClick(copy.BitBtn1, Qt::LeftButton);
            return platform::mrNone;
        });
        e.btnCopyFromClick();
        EXPECT_EQ(settings().SpnThumbW.value(), thumbWidth);
        click(1);
        fake.dialogs.script([&](QDialog& a) {
            auto& add = static_cast<TdlgAddImages&>(a);
            add.cmbrotation->setCurrentIndex(1);
            emit add.cmbrotation->activated(1);
            EXPECT_EQ(add.edtrotationdirectory->text(), prog.file("Site_1/Rotation_2"));
            addimages({source}, add.edtrotationdirectory->text(), 80, fake.prompts);
            return platform::mrCancel;
        });
        QTest::mouseClick(e.btnAddFiles, Qt::LeftButton);
        return platform::mrCancel;
    });
    form().btnedtsiteClick();
    EXPECT_EQ(fake.dialogs.shown, (QStringList{"TdlgEditSite", "TdlgCopySettings", "TdlgAddImages"}));
    EXPECT_EQ(readAll(outside), outsideText);
    QFile::remove(outside);
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QDir(elsewhere).removeRecursively();
    EXPECT_TRUE(prog.exists("Site_1/Rotation_2/a.gif"));
    EXPECT_FALSE(prog.exists(outsideName + ".ini"));
    EXPECT_EQ(QDir(prog.path()).entryList({"*.ini"}, QDir::Files, QDir::Name), (QStringList{"options.ini", "sites.ini"}));
}

TEST_F(SiteEditor, UnreadableCountsAndFoldersGiveErrorRowsOnly)
{
    site(true, "RotationCount=x\r\n", "[Rotation_1]\r\nRotation_Path=%/afile\r\n");
    prog.write("afile", "not a folder");
    const QByteArray before = prog.read("Site_1.ini");
    inEditor([&](TdlgEditSite& e) {
        EXPECT_EQ(e.lbxrotations->count(), 20);
        for (const QString& row : rows(*e.lbxrotations))
            EXPECT_TRUE(row.endsWith(" : ERROR! Not found!")) << row.toStdString();
        EXPECT_EQ(e.lblstatus->text(), "Error!  The directory, " + prog.file("afile") + ", could not be located!");
        EXPECT_FALSE(e.btnbuild->isEnabled());
    });
    EXPECT_EQ(QDir(prog.file("Site_1")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_FALSE(prog.read("Site_1.ini").contains("Thumb_Width"));
    EXPECT_TRUE(prog.read("Site_1.ini").contains("[Rotation_1]\r\nRotation_Path=%/afile\r\n"));
    EXPECT_EQ(fake.prompts.calls().size(), 0);
    Q_UNUSED(before);
}

} // namespace
