#include "platform/specialfolders.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A home folder of the test's own, with the desktop's user-folder file in it.
class SpecialFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_DATA_HOME")};
        qputenv("HOME", home_.path().chopped(1).toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.file(".config").toUtf8());
        qunsetenv("XDG_DATA_HOME");
    }
    void TearDown() override
    {
        qputenv("HOME", saved_[0]);
        qputenv("XDG_CONFIG_HOME", saved_[1]);
        if (!saved_[2].isEmpty())
            qputenv("XDG_DATA_HOME", saved_[2]);
    }
    TempFolder home_;
    std::array<QByteArray, 3> saved_;
};

TEST_F(SpecialFolders, DesktopFallsBackToHomeAndTemplatesToNothing)
{
    const QString home = home_.path().chopped(1);
    EXPECT_EQ(specialFolderPath(SpecialFolder::Home), home);
    EXPECT_EQ(specialFolderPath(SpecialFolder::Desktop), home);
    EXPECT_EQ(specialFolderPath(SpecialFolder::Templates), QString());
    EXPECT_EQ(specialFolderPath(SpecialFolder::AppData), home + "/.local/share");
}

TEST_F(SpecialFolders, UserFoldersFileNamesDesktopAndTemplates)
{
    home_.mkdir("Schreibtisch");
    home_.mkdir("Vorlagen");
    home_.write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                          "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    const QString home = home_.path().chopped(1);
    EXPECT_EQ(specialFolderPath(SpecialFolder::Desktop), home + "/Schreibtisch");
    EXPECT_EQ(specialFolderPath(SpecialFolder::Templates), home + "/Vorlagen");

    // A folder set to the home folder itself means the user has none.
    home_.write(".config/user-dirs.dirs", "XDG_TEMPLATES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(specialFolderPath(SpecialFolder::Templates), QString());
}

} // namespace
