#include "apptestutil.h"
#include "app/windows/options.h"
#include "components/bitbtn.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class OptionsDialog : public ::testing::Test, public PictorumFixture {};

TEST_F(OptionsDialog, ShowsTheOptions)
{
    struct Case { int stored; bool checked; int spin; } cases[] = {
        {15, true, 15}, {999, false, 15}, {100, true, 99}, {5, true, 10}, {101, false, 15},
    };
    start();
    for (const Case& c : cases) {
        state().options.MaxFilenameLength = qint16(c.stored);
        TdlgOptions dialog(*context, &form());
        dialog.show();
        EXPECT_EQ(dialog.chkMaxFilenameLength->isChecked(), c.checked) << c.stored;
        EXPECT_EQ(dialog.spnMaxFilenameLength->value(), c.spin) << c.stored;
        EXPECT_EQ(dialog.spnMaxFilenameLength->isEnabled(), c.checked) << c.stored;
    }
}

TEST_F(OptionsDialog, OkStoresInMemoryAndUpdatesRotateNow)
{
    start();
    ASSERT_FALSE(form().btnRotateNow->isEnabled());
    fake.dialogs.script([&](QDialog& d) {
        auto& dialog = static_cast<TdlgOptions&>(d);
        EXPECT_TRUE(dialog.rgpsinglesite->isChecked());
        dialog.rgpmultiplerotations->setChecked(true);
        dialog.spnDefaultJPEGCompression->setValue(55);
        dialog.chkMaxFilenameLength->setChecked(false);
        dialog.Chksavetothumbdir->setChecked(false);
        dialog.chkforcelowercase->setChecked(true);
        QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
        return platform::mrNone;
    });
    form().btnOptionsClick(); // the main window shows the options it was given
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TdlgOptions"});
    const ProgramOptions& o = state().options;
    EXPECT_TRUE(o.UseRotations);
    EXPECT_EQ(o.DefaultJPEGCompression, 55);
    EXPECT_EQ(o.MaxFilenameLength, 999);
    EXPECT_FALSE(o.UseThumbsDirectory);
    EXPECT_TRUE(o.ForceLowercase);
    EXPECT_TRUE(form().btnRotateNow->isEnabled());
    EXPECT_FALSE(prog.exists("options.ini")); // written only at close
}

TEST_F(OptionsDialog, CancelChangesNothingAndHelpOpensItsPage)
{
    start();
    TdlgOptions dialog(*context, &form());
    fake.dialogs.script([&](QDialog&) {
        dialog.spnDefaultJPEGCompression->setValue(12);
        QTest::mouseClick(dialog.btnHelp, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
        return platform::mrNone;
    });
    EXPECT_EQ(fake.dialogs.showModal(dialog), platform::mrCancel);
    EXPECT_EQ(state().options.DefaultJPEGCompression, 80);
    EXPECT_EQ(fake.shell.helpContexts, QList<int>{25});
}

} // namespace
