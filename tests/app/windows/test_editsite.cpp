#include "apptestutil.h"
#include "app/windows/editsite.h"
#include "app/windows/thumbop.h"

#include "platform/inifile.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

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
    QListWidget list;
    editor().loadrotationlist("Site_1", &list);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(1)->text(), "Rotation 2 : 0 Images : NOT BUILT");
}

} // namespace
