#include "tests/rotation/rotationfixture.h"
#include "rotation/engine/siterecord.h"

#include "platform/inifile.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(SiteStore, SiteListInFileOrderWithDisplayNames)
{
    ProgramFolderFixture f;
    SiteStore store(f.prog.path());
    EXPECT_TRUE(store.siteKeys().isEmpty());  // no sites.ini
    f.siteList({"Site_3=Third", "site_1=First", "Site_2=", "Site_9=\"Quoted Name\""});
    const QStringList keys = store.siteKeys();
    EXPECT_EQ(keys, (QStringList{"Site_3", "site_1", "Site_2", "Site_9"}));
    EXPECT_EQ(store.displayNames(keys + QStringList{"Site_7"}),
              (QStringList{"Third", "First", "", "Quoted Name", "Error: Site_7"}));
    f.prog.write("sites.ini", "[Other]\r\nSite_1=x\r\n");
    EXPECT_TRUE(store.siteKeys().isEmpty());
}

TEST(SiteStore, LoadsiteDefaultsAndFallbacks)
{
    ProgramFolderFixture f;
    const QString prog = f.prog.path();
    SiteStore store(prog);
    const struct {
        const char* what;
        QStringList general;
        bool ok;
        tsiterecord expected;
    } cases[] = {
        {"missing file", {}, false, {"Site_1", "Name Error", "", "", false, 1, 20, "Index.html"}},
        {"full", {"Name=One", "Path=/srv/one/", "LivePath=/var/www/one", "AutoRotate=True",
                  "CurrentRotationPosition=3", "BaseHTMLName=start.htm", "RotationCount=4"},
         true, {"Site_1", "One", "/srv/one/", "/var/www/one", true, 3, 4, "start.htm"}},
        {"program folder marker", {"Path=%/sites/one/"}, true, {"Site_1", "Name Error", prog + "sites/one/", "", false, 1, 20, "Index.html"}},
        {"old marker", {"Path=%\\sites\\one\\"}, true, {"Site_1", "Name Error", prog + "sites\\one\\", "", false, 1, 20, "Index.html"}},
        {"two characters always go", {"Path=%xsites"}, true, {"Site_1", "Name Error", prog + "sites", "", false, 1, 20, "Index.html"}},
        {"no separator added", {"Path=/srv/one"}, true, {"Site_1", "Name Error", "/srv/one", "", false, 1, 20, "Index.html"}},
        {"auto rotate without live path", {"Path=/a/", "AutoRotate=true"}, true, {"Site_1", "Name Error", "/a/", "", false, 1, 20, "Index.html"}},
        {"auto rotate any case", {"Path=/a/", "LivePath=/l", "AutoRotate=tRuE"}, true, {"Site_1", "Name Error", "/a/", "/l", true, 1, 20, "Index.html"}},
        {"auto rotate other text", {"Path=/a/", "LivePath=/l", "AutoRotate=Yes"}, true, {"Site_1", "Name Error", "/a/", "/l", false, 1, 20, "Index.html"}},
        {"numbers that are none", {"Path=/a/", "CurrentRotationPosition=x", "RotationCount=many"}, true, {"Site_1", "Name Error", "/a/", "", false, 1, 20, "Index.html"}},
        {"empty numbers", {"Path=/a/", "CurrentRotationPosition=", "RotationCount="}, true, {"Site_1", "Name Error", "/a/", "", false, 1, 20, "Index.html"}},
        {"numbers out of range", {"Path=/a/", "CurrentRotationPosition=99999999999", "RotationCount=-99999999999"}, true, {"Site_1", "Name Error", "/a/", "", false, 1, 20, "Index.html"}},
        {"negative numbers", {"Path=/a/", "CurrentRotationPosition=-2", "RotationCount=0"}, true, {"Site_1", "Name Error", "/a/", "", false, -2, 0, "Index.html"}},
        {"blank path", {"Path=   "}, false, {"Site_1", "Name Error", "", "", false, 1, 20, "Index.html"}},
        // Whatever folder the tool was started from: relative folders are the program folder's.
        {"relative folders", {"Path=sites/one", "LivePath=www/one/", "AutoRotate=True"}, true,
         {"Site_1", "Name Error", prog + "sites/one", prog + "www/one/", true, 1, 20, "Index.html"}},
        {"home folder", {"Path=.", "LivePath=~/www", "AutoRotate=True"}, true,
         {"Site_1", "Name Error", prog, QDir::homePath() + "/www", true, 1, 20, "Index.html"}},
    };
    for (const auto& c : cases) {
        if (c.general.isEmpty())
            QFile::remove(f.prog.file("Site_1.ini"));
        else
            f.site("Site_1", c.general);
        // Start from another site's values: nothing of it may survive.
        tsiterecord site{"Site_0", "Old", "/old/", "/oldlive", true, 7, 9, "old.html"};
        EXPECT_EQ(store.loadsite("Site_1", site), c.ok) << c.what;
        EXPECT_EQ(site.SiteKey, c.expected.SiteKey) << c.what;
        EXPECT_EQ(site.Name, c.expected.Name) << c.what;
        EXPECT_EQ(site.Path, c.expected.Path) << c.what;
        EXPECT_EQ(site.LivePath, c.expected.LivePath) << c.what;
        EXPECT_EQ(site.AutoRotate, c.expected.AutoRotate) << c.what;
        EXPECT_EQ(site.CurrentRotationPosition, c.expected.CurrentRotationPosition) << c.what;
        EXPECT_EQ(site.RotationCount, c.expected.RotationCount) << c.what;
        EXPECT_EQ(site.BaseHTMLName, c.expected.BaseHTMLName) << c.what;
    }
}

TEST(SiteStore, RotationFolderDefaultsAndStoredPaths)
{
    ProgramFolderFixture f;
    const QString prog = f.prog.path();
    SiteStore store(prog);
    f.prog.mkdir("sites/one/Rotation_2");  // as Pictorum names it
    f.prog.mkdir("elsewhere/r3");
    f.site("Site_1", {"Path=%/sites/one"},
           "[Rotation_3]\r\nRotation_Path=%/elsewhere/r3\r\n[Rotation_4]\r\nRotation_Path=\r\n"
           "[rotation_5]\r\nRotation_Path=/abs/five/\r\n[Rotation_6]\r\nRotation_Path=elsewhere/r3\r\n");
    tsiterecord site;
    ASSERT_TRUE(store.loadsite("Site_1", site));
    EXPECT_EQ(site.Path, prog + "sites/one");  // stored without a separator
    EXPECT_EQ(store.rotationFolder(site, 1), prog + "sites/one/rotation_1/");  // missing: as named
    EXPECT_EQ(store.rotationFolder(site, 2), prog + "sites/one/Rotation_2/");  // found under its case
    EXPECT_EQ(store.rotationFolder(site, 3), prog + "elsewhere/r3/");
    EXPECT_EQ(store.rotationFolder(site, 4), QString());  // present but empty
    EXPECT_EQ(store.rotationFolder(site, 5), QString("/abs/five/"));
    EXPECT_EQ(store.rotationFolder(site, 6), prog + "elsewhere/r3/");

    tsiterecord noPath = site;
    noPath.Path.clear();
    EXPECT_EQ(store.rotationFolder(noPath, 1), QString());  // never a folder of the working folder
    EXPECT_EQ(store.rotationFolder(noPath, 3), prog + "elsewhere/r3/");
}

TEST(SiteStore, RotationCandidatesAreSectionsAndExistingDefaultFolders)
{
    ProgramFolderFixture f;
    SiteStore store(f.prog.path());
    for (const char* folder : {"sites/one/Rotation_2", "sites/one/rotation_7", "sites/one/ROTATION_12",
                               "sites/one/rotation_03", "sites/one/rotation_x", "sites/one/Rotation_0"})
        f.prog.mkdir(folder);
    f.prog.write("sites/one/rotation_5", "a file, not a folder");
    f.site("Site_1", {"Path=%/sites/one/", "RotationCount=2147483647"},
           "[Rotation_9]\r\nStatus=2\r\n[Rotation_2]\r\nStatus=2\r\n[Rotation_-1]\r\n[Rotation_4000000000]\r\n");
    tsiterecord site;
    ASSERT_TRUE(store.loadsite("Site_1", site));
    EXPECT_EQ(store.rotationCandidates(site), (QList<int>{2, 7, 9, 12}));
    site.RotationCount = 8;
    EXPECT_EQ(store.rotationCandidates(site), (QList<int>{2, 7}));
    site.RotationCount = 0;  // one position is still tried
    EXPECT_EQ(store.rotationCandidates(site), (QList<int>{}));
    f.prog.mkdir("sites/one/rotation_1");
    EXPECT_EQ(store.rotationCandidates(site), (QList<int>{1}));
}

TEST(SiteStore, SavingThePositionWritesOnlyThatKey)
{
    ProgramFolderFixture f;
    SiteStore store(f.prog.path());
    f.site("Site_1", {"Name=One", "CurrentRotationPosition=2", "RotationCount=3"},
           "[Rotation_1]\r\nRotation_Path=%/r1/\r\n");
    store.savecurrentsiterotation("Site_1", 4);
    EXPECT_EQ(f.prog.read("Site_1.ini"), QByteArray("[General]\r\nName=One\r\nCurrentRotationPosition=4\r\n"
                                                    "RotationCount=3\r\n[Rotation_1]\r\nRotation_Path=%/r1/\r\n"));
    f.site("Site_2", {"Name=Two"});
    store.savecurrentsiterotation("Site_2", 2);
    EXPECT_EQ(f.prog.read("Site_2.ini"), QByteArray("[General]\r\nName=Two\r\nCurrentRotationPosition=2\r\n"));
    // A failure is silent: the folder of the file is a file.
    SiteStore broken(f.prog.file("Site_1.ini") + "/");
    broken.savecurrentsiterotation("Site_1", 5);
    EXPECT_EQ(f.prog.read("Site_1.ini").count("CurrentRotationPosition=4"), 1);
}

} // namespace
