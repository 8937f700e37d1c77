#include "apptestutil.h"
#include "app/windows/copyfrom.h"
#include "app/windows/editsite.h"
#include "app/windows/thumbop.h"
#include "components/bitbtn.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CopySettings : public ::testing::Test, public PictorumFixture {
protected:
    void writeSites()
    {
        prog.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\nSite_3=Gamma\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nRotationCount=1\r\n"
                                 "[Rotation_1]\r\nStatus=2\r\nRotation_Path=%/Site_1/r1\r\nThumb_Width=300\r\n");
        prog.write("Site_2.ini", "[General]\r\nName=Beta\r\nPath=%/Site_2/\r\nRotationCount=2\r\n"
                                 "[Rotation_2]\r\nStatus=1\r\nRotation_Path=/somewhere/else\r\nThumb_Width=150\r\n"
                                 "Heading_Colour=clRed\r\nPage_Number_Prefix=Seite\r\n");
        prog.write("Site_3.ini", "[General]\r\nName=Gamma\r\nPath=%/Site_3/\r\nRotationCount=0\r\n");
        prog.mkdir("Site_1/r1");
    }
    TdlgEditSite& editor() { return *context->dlgEditSite; }
};

TEST_F(CopySettings, TakesAnotherSitesRotationWithoutItsFolderAndStatus)
{
    writeSites();
    start();
    clickRow(0);
    editor().LoadRotation("Site_1", 1, true, true);
    ASSERT_EQ(state().rotationSettings.SpnThumbW.value(), 300);
    const QString folder = editor().edtrotationdirectory->text();
    const QString status = editor().lblstatus->text();
    EXPECT_EQ(folder, prog.file("Site_1/r1"));
    EXPECT_EQ(status, "This Rotation has been built");

    fake.dialogs.script([&](QDialog& d) {
        auto& copy = static_cast<TdlgCopySettings&>(d);
        EXPECT_EQ(copy.windowTitle(), "Copy Settings");
        QStringList sites;
        for (int i = 0; i < copy.cmbsites->count(); ++i)
            sites.append(copy.cmbsites->itemText(i));
        EXPECT_EQ(sites, QStringList({"Alpha", "Beta", "Gamma"}));
        EXPECT_EQ(copy.cmbsites->currentIndex(), 0); // the selected site
        EXPECT_EQ(copy.lbxrotation->count(), 1);
        EXPECT_EQ(copy.lbxrotation->currentRow(), 0);

        copy.cmbsites->setCurrentIndex(1);
        copy.cmbsitesChange();
        EXPECT_EQ(copy.lbxrotation->count(), 2);
        EXPECT_EQ(copy.lbxrotation->item(0)->text(), "Rotation 1 : ERROR! Not found!");
        EXPECT_EQ(copy.lbxrotation->currentRow(), 0);
        EXPECT_TRUE(copy.BitBtn1->isEnabled());
        copy.lbxrotation->setCurrentRow(1);
        QTest::mouseClick(copy.BitBtn1, Qt::LeftButton);
        return platform::mrNone;
    });
    editor().btnCopyFromClick();
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TdlgCopySettings"});

    const RotationSettings& s = state().rotationSettings;
    EXPECT_EQ(s.SpnThumbW.value(), 150);
    EXPECT_EQ(s.cmbHeadingColour.entry(), 8);
    EXPECT_EQ(s.edtpagenumberprefix, "Seite");
    EXPECT_EQ(context->dlgThumbOptions->SpnThumbW->value(), 150);
    EXPECT_EQ(editor().edtrotationdirectory->text(), folder);
    EXPECT_EQ(editor().lblstatus->text(), status);
    EXPECT_EQ(editor().currentRotation, 1);
    EXPECT_EQ(editor().rotationStatus, 2);
}

TEST_F(CopySettings, ASiteWithoutRotationsCannotBeChosenAndOkNeedsARotation)
{
    writeSites();
    start();
    clickRow(0);
    fake.dialogs.script([&](QDialog& d) {
        auto& copy = static_cast<TdlgCopySettings&>(d);
        copy.cmbsites->setCurrentIndex(2);
        copy.cmbsitesChange();
        EXPECT_EQ(copy.lbxrotation->count(), 0);
        EXPECT_FALSE(copy.BitBtn1->isEnabled());

        copy.cmbsites->setCurrentIndex(0);
        copy.cmbsitesChange();
        EXPECT_TRUE(copy.BitBtn1->isEnabled());
        copy.lbxrotation->clearSelection();
        copy.lbxrotation->setCurrentRow(-1);
        copy.BitBtn1Click();
        EXPECT_TRUE(copy.isVisible());
        EXPECT_EQ(fake.prompts.promptTexts(), QStringList{"You have not selected a rotation to copy settings from!"});
        EXPECT_EQ(fake.prompts.lastPrompt().icon, platform::PromptIcon::Information);
        QTest::mouseClick(copy.BitBtn2, Qt::LeftButton);
        return platform::mrNone;
    });
    state().rotationSettings.SpnThumbW.setValue(444);
    editor().btnCopyFromClick();
    EXPECT_EQ(state().rotationSettings.SpnThumbW.value(), 444); // cancelled: nothing taken
}

TEST_F(CopySettings, NoSitesNoRotations)
{
    start();
    fake.dialogs.script([](QDialog& d) {
        auto& copy = static_cast<TdlgCopySettings&>(d);
        EXPECT_EQ(copy.cmbsites->count(), 0);
        EXPECT_EQ(copy.lbxrotation->count(), 0);
        EXPECT_FALSE(copy.BitBtn1->isEnabled());
        return platform::mrOk; // even a forced OK takes nothing
    });
    const RotationSettings before = state().rotationSettings;
    editor().btnCopyFromClick();
    EXPECT_EQ(state().rotationSettings, before);
}

} // namespace
