#include "tempfolder.h"
#include "testnames.h"
#include "app/site/sitestore.h"

#include "platform/prompts.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

struct LoadCase {
    const char* name;
    QByteArray general;        // body of [General]
    const char* Name;
    const char* Path;          // relative to the program folder when it starts with "@"
    const char* LivePath;
    bool AutoRotate;
    int CurrentRotationPosition;
    int RotationCount;
    const char* BaseHTMLName;
    bool loaded;
};

class SiteStoreLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(SiteStoreLoad, DefaultsAndFallbacks)
{
    const LoadCase& c = GetParam();
    TempFolder prog;
    prog.write("Site_1.ini", "[General]\r\n" + c.general);
    SiteStore store(prog.path());
    tsiterecord site;
    site.Name = "previous";
    EXPECT_EQ(store.loadsite("Site_1", site), c.loaded);
    EXPECT_EQ(site.SiteKey, "Site_1");
    EXPECT_EQ(site.Name, c.Name);
    QString path = c.Path;
    if (path.startsWith('@'))
        path = prog.path() + path.mid(1);
    EXPECT_EQ(site.Path, path);
    EXPECT_EQ(site.LivePath, c.LivePath);
    EXPECT_EQ(site.AutoRotate, c.AutoRotate);
    EXPECT_EQ(site.CurrentRotationPosition, c.CurrentRotationPosition);
    EXPECT_EQ(site.RotationCount, c.RotationCount);
    EXPECT_EQ(site.BaseHTMLName, c.BaseHTMLName);
}

INSTANTIATE_TEST_SUITE_P(Table, SiteStoreLoad, ::testing::Values(
    LoadCase{"empty", "", "Name Error", "", "", false, 1, 20, "Index.html", false},
    LoadCase{"full", "Name=Shop\r\nPath=/srv/shop/\r\nLivePath=/var/www/\r\nAutoRotate=True\r\n"
                     "CurrentRotationPosition=3\r\nBaseHTMLName=Default.htm\r\nRotationCount=4\r\n",
             "Shop", "/srv/shop/", "/var/www/", true, 3, 4, "Default.htm", true},
    LoadCase{"marker path gets separator", "Path=%/Site_3\r\n", "Name Error", "@Site_3/", "", false, 1, 20, "Index.html", true},
    LoadCase{"backslash marker", "Path=%\\Sites\\A\\\r\n", "Name Error", "@Sites\\A\\", "", false, 1, 20, "Index.html", true},
    LoadCase{"auto rotate without live path", "Path=/a/\r\nAutoRotate=true\r\n", "Name Error", "/a/", "", false, 1, 20, "Index.html", true},
    LoadCase{"auto rotate any case", "Path=/a/\r\nLivePath=/l/\r\nAutoRotate=tRuE\r\n", "Name Error", "/a/", "/l/", true, 1, 20, "Index.html", true},
    LoadCase{"auto rotate other text", "Path=/a/\r\nLivePath=/l/\r\nAutoRotate=yes\r\n", "Name Error", "/a/", "/l/", false, 1, 20, "Index.html", true},
    LoadCase{"bad numbers", "Path=/a/\r\nCurrentRotationPosition=x\r\nRotationCount=many\r\n", "Name Error", "/a/", "", false, 1, 20, "Index.html", true},
    LoadCase{"empty numbers", "Path=/a/\r\nCurrentRotationPosition=\r\nRotationCount=\r\n", "Name Error", "/a/", "", false, 1, 20, "Index.html", true},
    LoadCase{"empty name kept", "Name=\r\nPath=/a/\r\n", "", "/a/", "", false, 1, 20, "Index.html", true},
    LoadCase{"blank path", "Path=   \r\n", "Name Error", "", "", false, 1, 20, "Index.html", false},
    // A relative folder is the program folder's, never the working folder's; the live folder
    // is kept as stored (the rotation tool resolves it).
    LoadCase{"relative path", "Path=sites/alpha\r\nLivePath=www\r\n", "Name Error", "@sites/alpha/", "www", false, 1, 20,
             "Index.html", true},
    LoadCase{"dot path", "Path=.\r\n", "Name Error", "@", "", false, 1, 20, "Index.html", true}),
    NameOfCase());

TEST(SiteStore, SaveWritesGeneralInItsOrderAndTheDisplayName)
{
    TempFolder prog;
    SiteStore store(prog.path());
    tsiterecord site{"Site_2", "My Site", prog.path() + "Sites/A/", "/var/www/", true, 4, 6, "Index.htm"};
    ASSERT_TRUE(store.savecurrentsite(site, true));
    EXPECT_EQ(prog.read("Site_2.ini"),
              QByteArray("[General]\r\nName=My Site\r\nPath=%/Sites/A/\r\nLivePath=/var/www/\r\nAutoRotate=True\r\n"
                         "CurrentRotationPosition=4\r\nBaseHTMLName=Index.htm\r\nRotationCount=6\r\n"));
    EXPECT_EQ(prog.read("sites.ini"), QByteArray("[Sites]\r\nSite_2=My Site\r\n"));

    tsiterecord back;
    ASSERT_TRUE(store.loadsite("Site_2", back));
    EXPECT_EQ(back.Path, site.Path);
    EXPECT_EQ(back.Name, site.Name);
    EXPECT_EQ(back.CurrentRotationPosition, 4);
}

TEST(SiteStore, SaveLeavesTheRotationPositionToTheRotationTool)
{
    TempFolder prog;
    prog.write("Site_1.ini", "[General]\r\nName=A\r\nPath=/a/\r\nCurrentRotationPosition=7\r\n[Rotation_1]\r\nx=1\r\n");
    SiteStore store(prog.path());
    tsiterecord site;
    ASSERT_TRUE(store.loadsite("Site_1", site));
    site.CurrentRotationPosition = 2; // stale copy: the rotation tool moved on meanwhile
    site.Name = "B";
    ASSERT_TRUE(store.savecurrentsite(site, false));
    EXPECT_EQ(prog.read("Site_1.ini"),
              QByteArray("[General]\r\nName=B\r\nPath=/a/\r\nCurrentRotationPosition=7\r\nLivePath=\r\n"
                         "AutoRotate=False\r\nBaseHTMLName=Index.html\r\nRotationCount=20\r\n[Rotation_1]\r\nx=1\r\n"));
}

TEST(SiteStore, PathOutsideProgramFolderIsStoredTrimmedAsTyped)
{
    TempFolder prog;
    SiteStore store(prog.path());
    tsiterecord site{"Site_1", "A", "  /srv/x  ", "", false, 1, 0, "Index.html"};
    ASSERT_TRUE(store.savecurrentsite(site, true));
    EXPECT_TRUE(prog.read("Site_1.ini").contains("\r\nPath=/srv/x\r\n"));
}

TEST(SiteStore, GenerateNewSiteName)
{
    TempFolder prog;
    SiteStore store(prog.path());
    EXPECT_EQ(store.generatenewsitename({}), QString("Site_1"));
    EXPECT_EQ(store.generatenewsitename({"Site_1", "Site_3"}), QString("Site_4"));   // 3 is listed
    prog.write("Site_3.ini", "");
    EXPECT_EQ(store.generatenewsitename({"Site_1"}), QString("Site_2"));
    prog.write("Site_2.ini", "");
    EXPECT_EQ(store.generatenewsitename({"Site_1"}), QString("Site_4"));             // 2 and 3 have files
    prog.mkdir("Site_4");
    EXPECT_EQ(store.generatenewsitename({"Site_1"}), QString("Site_5"));             // 4 has a folder
}

TEST(SiteStore, GenerateNewSiteNameGivesNothingWhenAllAreTaken)
{
    TempFolder prog;
    SiteStore store(prog.path());
    QStringList listed;
    for (int i = 1; i < LastSiteNumber; ++i)
        listed.append(QStringLiteral("Site_%1").arg(i));
    EXPECT_EQ(store.generatenewsitename(listed), QString("Site_90000"));
    prog.write("Site_90000.ini", "[General]\r\nName=Keep me\r\n");
    EXPECT_FALSE(store.generatenewsitename(listed).has_value());
}

TEST(SiteStore, AddSiteWritesBothFilesAndDisplayNamesFollowTheList)
{
    TempFolder prog;
    prog.write("sites.ini", "[Sites]\r\nSite_1=First\r\nSite_2=\r\n");
    SiteStore store(prog.path());
    ASSERT_TRUE(store.addsite("Site_3"));
    EXPECT_EQ(prog.read("Site_3.ini"), QByteArray("[General]\r\nName=New Site\r\n"));
    EXPECT_EQ(store.siteKeys(), (QStringList{"Site_1", "Site_2", "Site_3"}));
    EXPECT_EQ(store.displayNames({"Site_1", "Site_2", "Site_3", "Site_9"}),
              (QStringList{"First", "", "New Site", "Error: Site_9"}));
}

TEST(SiteStore, NewSiteIsListedWithItsStartingRecordOrLeavesNothing)
{
    TempFolder prog;
    SiteStore store(prog.path());
    const auto created = store.newSite({"Site_1"});
    ASSERT_TRUE(created);
    EXPECT_TRUE(created->stored);
    const tsiterecord& site = created->site;
    EXPECT_EQ(site.SiteKey, "Site_2");
    EXPECT_EQ(site.Name, "New Site");
    EXPECT_EQ(site.Path, prog.path() + "Site_2/");
    EXPECT_EQ(site.BaseHTMLName, "Index.html");
    EXPECT_EQ(prog.read("sites.ini"), QByteArray("[Sites]\r\nSite_2=New Site\r\n"));

    // The list cannot be written: the record still comes, the new settings file goes again,
    // and removing the unlisted key is no failure.
    TempFolder blocked;
    blocked.mkdir("sites.ini/");
    const auto unstored = SiteStore(blocked.path()).newSite({});
    ASSERT_TRUE(unstored);
    EXPECT_FALSE(unstored->stored);
    EXPECT_FALSE(unstored->stored.reason.isEmpty());
    EXPECT_EQ(unstored->site.SiteKey, "Site_1");
    EXPECT_FALSE(blocked.exists("Site_1.ini"));
    EXPECT_TRUE(SiteStore(blocked.path()).removeSiteKey("Site_1"));
}

TEST(SiteStore, AddSiteFailsWhenTheProgramFolderIsNotWritable)
{
    TempFolder dir;
    dir.write("notafolder", "x");
    SiteStore store(dir.file("notafolder/"));
    EXPECT_FALSE(store.addsite("Site_1").ok);
}

// Keys that would name a file outside the program folder, or one of the programs' own files in
// any case ("sites" gives sites.ini), are sites without a file: nothing is read, written or deleted.
TEST(SiteStore, KeysThatWouldNameOtherFilesAreMissingSites)
{
    TempFolder dir;
    const QByteArray outside = "[General]\r\nName=Outside\r\nPath=/srv/outside/\r\n";
    dir.write("x.ini", outside);
    const QByteArray own = "[Sites]\r\nSite_1=Kept\r\n";
    dir.write("prog/sites.ini", own);
    dir.write("prog/options.ini", "[Options]\r\n");
    SiteStore store(dir.file("prog/"));
    for (const char* key : {"../x", "..", "a/b", "a\\b", "Site\t1", "sites", "Options"}) {
        EXPECT_EQ(store.siteFile(key), QString()) << key;
        tsiterecord site;
        EXPECT_FALSE(store.loadsite(key, site)) << key;
        EXPECT_EQ(site.Name, "Name Error") << key;
        platform::ScriptedPromptService prompts;
        EXPECT_TRUE(store.removeSite(site, false, prompts).ok) << key;
        site.Name = "Renamed";
        site.Path = "/srv/new/";
        EXPECT_FALSE(store.savecurrentsite(site, true).ok) << key;
        EXPECT_FALSE(store.addsite(key).ok) << key;
    }
    EXPECT_EQ(dir.read("x.ini"), outside);
    EXPECT_EQ(QDir(dir.file("prog")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"options.ini", "sites.ini"}));
    EXPECT_EQ(dir.read("prog/sites.ini"), own);
    EXPECT_EQ(dir.read("prog/options.ini"), "[Options]\r\n");
}

} // namespace
