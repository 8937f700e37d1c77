#include "tempfolder.h"
#include "app/settings/rotationlist.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class RotationList : public ::testing::Test {
protected:
    TempFolder prog;

    void site(const QByteArray& general, const QByteArray& rest = {})
    {
        prog.write("Site_1.ini", "[General]\r\nPath=%/Site_1/\r\n" + general + rest);
    }
    QStringList rows(bool useRotations) { return rotationListRows(prog.path(), "Site_1", useRotations); }
};

TEST_F(RotationList, RowsCountImagesAndTellBuiltFromNotBuilt)
{
    site("RotationCount=3\r\n", "[Rotation_2]\r\nRotation_Path=%/elsewhere\r\n");
    // the default folder is "rotation_1"; a folder spelt "Rotation_1" is found as well
    for (const char* name : {"a.jpg", "b.GIF", "c.jpeg", "d.png", "e.jpe", "Index.html"})
        prog.write(QString("Site_1/Rotation_1/") + name, "x");
    prog.mkdir("elsewhere");
    EXPECT_EQ(rows(true), QStringList({"Rotation 1 : 4 Images : Built", "Rotation 2 : 0 Images : NOT BUILT",
                                       "Rotation 3 : ERROR! Not found!"}));
}

TEST_F(RotationList, BuiltFollowsTheSitesFirstPageName)
{
    site("RotationCount=1\r\nBaseHTMLName=Default.htm\r\n");
    prog.write("Site_1/rotation_1/Index.html", "x");
    EXPECT_EQ(rows(true), QStringList{"Rotation 1 : 0 Images : NOT BUILT"});
    prog.write("Site_1/rotation_1/default.HTM", "x");
    EXPECT_EQ(rows(true), QStringList{"Rotation 1 : 0 Images : Built"});
}

TEST_F(RotationList, ASingleVersionSiteListsItsOwnFolderOnce)
{
    site("RotationCount=5\r\n");
    prog.write("Site_1/x.gif", "x");
    EXPECT_EQ(rows(false), QStringList{"Current Site  : 1 Images : NOT BUILT"});
}

TEST_F(RotationList, StoredCountsAreReadAsTheSiteRecordReadsThem)
{
    struct Case { const char* general; int rows; } cases[] = {
        {"", 20}, {"RotationCount=x\r\n", 20}, {"RotationCount=0\r\n", 0}, {"RotationCount=-4\r\n", 0},
        {"RotationCount=2\r\n", 2}, {"RotationCount=1000000000000\r\n", 20},
        {"RotationCount=200000\r\n", LargestRotationCount},
    };
    for (const Case& c : cases) {
        site(c.general);
        EXPECT_EQ(rows(true).size(), c.rows) << c.general;
    }
    EXPECT_EQ(rotationListRows(prog.path(), "Site_9", true).size(), 20); // no file at all
}

TEST_F(RotationList, EntriesNameTheirFolderAndWhatTheAddImagesDialogOffers)
{
    site("RotationCount=3\r\n", "[Rotation_2]\r\nRotation_Path=%/afile\r\n");
    prog.write("afile", "a file, not a folder");
    prog.mkdir("Site_1/rotation_1");
    const QList<RotationListEntry> entries = rotationList(prog.path(), "Site_1", true, [](const QString&) { return 7; });
    ASSERT_EQ(entries.size(), 3);
    struct Expected { const char* row; const char* choice; QString folder; bool found; } expected[] = {
        {"Rotation 1 : 7 Images : NOT BUILT", "Rotation 1", prog.file("Site_1/rotation_1"), true},
        {"Rotation 2 : ERROR! Not found!", "Rotation 2", prog.file("afile"), false},
        {"Rotation 3 : ERROR! Not found!", "Rotation 3", prog.file("Site_1/Rotation_3"), false},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].n, i + 1);
        EXPECT_EQ(entries[i].row, expected[i].row);
        EXPECT_EQ(entries[i].choice, expected[i].choice);
        EXPECT_EQ(entries[i].folder, expected[i].folder);
        EXPECT_EQ(entries[i].found, expected[i].found);
    }
    const QList<RotationListEntry> single = rotationList(prog.path(), "Site_1", false);
    ASSERT_EQ(single.size(), 1);
    EXPECT_EQ(single[0].choice, "Current Site");
    EXPECT_EQ(single[0].folder, prog.file("Site_1/"));
}

} // namespace
