#include "filesizelimit.h"
#include "tests/rotation/engine/enginerig.h"
#include "rotation/engine/problemreport.h"
#include "rotation/engine/rotationengine.h"
#include "rotation/engine/runlog.h"

#include "platform/paths.h"
#include "platform/prompts.h"

#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <set>
#include <unistd.h>

namespace {

QStringList targetsOf(const SiteRotation& r, const QString& base)
{
    QStringList names;
    for (const FileCopy& c : r.copies)
        names << c.target.mid(base.size());
    return names;
}

TEST(RotationEngine, SearchOrderAndStoredPositions)
{
    const struct {
        const char* what;
        QString count;
        int position;
        std::set<int> valid;
        std::set<int> invalid;
        int copied;  // 0: none
        int stored;
    } cases[] = {
        {"position 0 starts at 1", "3", 0, {1, 2, 3}, {}, 1, 2},
        {"negative position starts at 1", "3", -4, {1, 2, 3}, {}, 1, 2},
        {"position above the count starts at 1", "3", 4, {1, 2, 3}, {}, 1, 2},
        {"invalid rotation is skipped", "3", 2, {1, 3}, {2}, 3, 4},
        {"last rotation stores count + 1", "3", 3, {1, 2, 3}, {}, 3, 4},
        {"search wraps around", "3", 3, {2}, {1, 3}, 2, 3},
        {"missing folders are skipped", "5", 4, {2}, {}, 2, 3},
        {"all invalid keeps the position", "3", 2, {}, {1, 2, 3}, 0, 2},
        {"count 0 tries position 1", "0", 1, {1, 2}, {}, 1, 2},
        {"count 0 tries only position 1", "0", 1, {2}, {}, 0, 1},
        {"count that is no number is 20", "many", 20, {17}, {}, 17, 18},
        {"huge count", "2147483647", 5, {2}, {}, 2, 3},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.f.site("Site_1", {"Name=One", "Path=%/sites/Site_1/", "LivePath=" + rig.f.prog.file("live/Site_1"),
                              "AutoRotate=True", QStringLiteral("CurrentRotationPosition=%1").arg(c.position),
                              "RotationCount=" + c.count});
        for (int n : c.valid)
            rig.valid("Site_1", n);
        for (int n : c.invalid)
            rig.invalid("Site_1", n);
        QElapsedTimer clock;
        clock.start();
        const SiteRotation r = rig.engine.rotateSite(rig.load("Site_1"));
        EXPECT_LT(clock.elapsed(), 2000) << c.what;
        EXPECT_EQ(r.found, c.copied != 0) << c.what;
        EXPECT_EQ(r.rotation, c.copied) << c.what;
        EXPECT_EQ(rig.stored("Site_1"), c.stored) << c.what;
        if (c.copied) {
            EXPECT_TRUE(r.succeeded()) << c.what;
            EXPECT_EQ(readAll(rig.live("Site_1", "index.html")),
                      QStringLiteral("sites/Site_1/Rotation_%1/index.html").arg(c.copied).toUtf8()) << c.what;
            EXPECT_EQ(rig.log.lines(), QStringList{QStringLiteral("* T - One sucessfully updated to rotation %1").arg(c.copied)}) << c.what;
        } else {
            EXPECT_FALSE(rig.f.prog.exists("live/Site_1")) << c.what;
            EXPECT_EQ(rig.log.lines(), QStringList{"! T - A valid rotation could not be found for the site, One"}) << c.what;
        }
    }
}

TEST(RotationEngine, WhatMakesARotationValid)
{
    const struct {
        const char* what;
        QString base;
        QStringList files;   // "dir/" makes a folder
        bool valid;
    } cases[] = {
        {"only the base page", "index.html", {"index.html"}, true},
        {"no base page", "index.html", {"a.jpg", "b.htm"}, false},
        {"empty folder", "index.html", {}, false},
        {"only a hidden base page", ".index.html", {".index.html"}, false},
        {"base page in another case", "Index.html", {"index.html"}, true},
        {"base page is a folder", "index.html", {"index.html/", "a.jpg"}, false},
        {"no thumbs folder", "index.html", {"index.html", "a.jpg"}, true},
        {"empty base name", "", {"index.html"}, false},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.f.autoSite("Site_1", 1, 1, c.base);
        rig.f.prog.mkdir("sites/Site_1/rotation_1");
        for (const QString& name : c.files)
            name.endsWith('/') ? (void)rig.f.prog.mkdir("sites/Site_1/rotation_1/" + name)
                               : (void)rig.f.prog.write("sites/Site_1/rotation_1/" + name, "x");
        EXPECT_EQ(rig.engine.RotationExists(rig.load("Site_1"), 1), c.valid) << c.what;
    }
    Rig rig;
    rig.f.autoSite("Site_1", 1, 1);
    EXPECT_FALSE(rig.engine.RotationExists(rig.load("Site_1"), 1)) << "missing folder";
    EXPECT_TRUE(rig.log.lines().isEmpty());
}

TEST(RotationEngine, RotationFoldersFromPathWithoutSeparatorAndStoredPaths)
{
    Rig rig;
    // Pictorum names the folders "Rotation_n"; the site's Path was stored without a separator.
    rig.f.site("Site_1", {"Name=One", "Path=%/sites/one", "LivePath=%/live/one", "AutoRotate=True",
                          "CurrentRotationPosition=1", "RotationCount=2"},
               "[Rotation_2]\r\nRotation_Path=%/elsewhere/second\r\n");
    rig.f.files("sites/one/Rotation_1", {"index.html"});
    rig.f.files("elsewhere/second", {"index.html", "b.jpg"});
    EXPECT_EQ(rig.engine.rotateSite(rig.load("Site_1")).rotation, 1);
    EXPECT_EQ(rig.f.prog.read("live/one/index.html"), QByteArray("sites/one/Rotation_1/index.html"));
    EXPECT_EQ(rig.engine.rotateSite(rig.load("Site_1")).rotation, 2);
    EXPECT_EQ(rig.f.prog.read("live/one/index.html"), QByteArray("elsewhere/second/index.html"));
    EXPECT_EQ(rig.stored("Site_1"), 3);
}

TEST(RotationEngine, ThumbnailsFirstThenOtherFilesThenPages)
{
    Rig rig;
    rig.f.autoSite("Site_1", 1, 1);
    rig.f.files("sites/Site_1/rotation_1", {"b.htm", "A.jpg", "index.html", "c.HTML", "d.Html", "e.shtml", "z.txt",
                                            "README", ".hidden.htm"});
    rig.f.files("sites/Site_1/rotation_1/Thumbs", {"b_thb.jpg", "a_thb.jpg"});
    rig.f.files("sites/Site_1/rotation_1/other", {"never.jpg"});
    const SiteRotation r = rig.engine.rotateSite(rig.load("Site_1"));
    ASSERT_TRUE(r.succeeded());
    EXPECT_EQ(targetsOf(r, rig.live("Site_1", "")),
              (QStringList{"Thumbs/a_thb.jpg", "Thumbs/b_thb.jpg", "A.jpg", "e.shtml", "README", "z.txt", "b.htm",
                           "c.HTML", "d.Html", "index.html"}));
    for (const FileCopy& c : r.copies)
        EXPECT_EQ(c.result, FileCopy::Copied) << c.target.toStdString();
    // Sub-folders other than the thumbnails stay behind; live files the rotation lacks stay.
    EXPECT_EQ(rig.f.tree("live/Site_1"), (QStringList{"A.jpg", "README", "Thumbs/a_thb.jpg", "Thumbs/b_thb.jpg",
                                                      "b.htm", "c.HTML", "d.Html", "e.shtml", "index.html", "z.txt"}));
    EXPECT_EQ(rig.f.prog.read("live/Site_1/Thumbs/a_thb.jpg"), QByteArray("sites/Site_1/rotation_1/Thumbs/a_thb.jpg"));
}

TEST(RotationEngine, NewLiveFilesAreReadableLikeAnyNewFile)
{
    Rig rig;
    rig.f.autoSite("Site_1", 1, 1);
    rig.valid("Site_1", 1);
    const mode_t old = ::umask(022);
    ASSERT_TRUE(rig.engine.rotateSite(rig.load("Site_1")).succeeded());
    ::umask(old);
    EXPECT_EQ(QFile(rig.live("Site_1", "index.html")).permissions() & (QFile::ReadOther | QFile::ReadGroup),
              QFile::ReadOther | QFile::ReadGroup);
}

TEST(RotationEngine, BackupNames)
{
    const struct {
        const char* name;
        const char* backup;
    } cases[] = {
        {"index.html", "index.~htm"}, {"photo.jpg", "photo.~jp"}, {"a.c", "a.~"}, {"README", "README."},
        {"archive.tar.gz", "archive.tar.~g"}, {"name.", "name.~"}, {"Page.HTM", "Page.~HT"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RotationEngine::backupName(c.name), QString(c.backup)) << c.name;
    EXPECT_EQ(RotationEngine::ExtensionWithoutDot("index.html"), QString("html"));
    EXPECT_EQ(RotationEngine::ExtensionWithoutDot("README"), QString());
}

TEST(RotationEngine, BackupsKeepTheFirstReplacedFile)
{
    Rig rig;
    rig.f.autoSite("Site_1", 3, 1);
    for (int n = 1; n <= 3; ++n)
        rig.valid("Site_1", n);
    rig.engine.setCreateBackups(true);
    for (int run = 1; run <= 3; ++run)
        ASSERT_TRUE(rig.engine.rotateSite(rig.load("Site_1")).succeeded()) << run;
    EXPECT_EQ(rig.f.tree("live/Site_1"), (QStringList{"a.jpg", "a.~jp", "index.html", "index.~htm"}));
    EXPECT_EQ(rig.f.prog.read("live/Site_1/index.html"), QByteArray("sites/Site_1/Rotation_3/index.html"));
    EXPECT_EQ(rig.f.prog.read("live/Site_1/index.~htm"), QByteArray("sites/Site_1/Rotation_1/index.html"));
    EXPECT_EQ(rig.f.prog.read("live/Site_1/a.~jp"), QByteArray("sites/Site_1/Rotation_1/a.jpg"));

    const SiteRotation again = rig.engine.rotateSite(rig.load("Site_1"));  // wraps to rotation 1
    ASSERT_EQ(again.copies.size(), 2);
    EXPECT_EQ(again.copies[0].backup, FileCopy::EarlierBackupKept);
    EXPECT_EQ(rig.f.prog.read("live/Site_1/index.~htm"), QByteArray("sites/Site_1/Rotation_1/index.html"));
}

TEST(RotationEngine, LiveFileThatIsALinkIsReplacedNotWrittenThrough)
{
    // A live page linked to another rotation's page: copying through the link would overwrite
    // that rotation.
    for (const bool backups : {false, true}) {
        Rig rig;
        rig.f.autoSite("Site_1", 2, 2);
        rig.valid("Site_1", 1);
        rig.valid("Site_1", 2);
        rig.f.prog.mkdir("live/Site_1");
        ASSERT_TRUE(QFile::link(rig.f.prog.file("sites/Site_1/Rotation_1/index.html"), rig.live("Site_1", "index.html")));
        rig.engine.setCreateBackups(backups);
        ASSERT_TRUE(rig.engine.rotateSite(rig.load("Site_1")).succeeded()) << backups;
        EXPECT_EQ(rig.f.prog.read("sites/Site_1/Rotation_1/index.html"), QByteArray("sites/Site_1/Rotation_1/index.html"))
            << backups;
        EXPECT_FALSE(QFileInfo(rig.live("Site_1", "index.html")).isSymLink()) << backups;
        EXPECT_EQ(rig.f.prog.read("live/Site_1/index.html"), QByteArray("sites/Site_1/Rotation_2/index.html")) << backups;
        EXPECT_EQ(rig.f.prog.exists("live/Site_1/index.~htm"), backups);
        if (backups) {
            EXPECT_EQ(rig.f.prog.read("live/Site_1/index.~htm"), QByteArray("sites/Site_1/Rotation_1/index.html"));
        }
    }
}

TEST(RotationEngine, WithoutBackupsTheLiveFileIsReplacedAlone)
{
    Rig rig;
    rig.f.autoSite("Site_1", 2, 1);
    rig.valid("Site_1", 1);
    rig.valid("Site_1", 2);
    rig.engine.rotateSite(rig.load("Site_1"));
    const SiteRotation r = rig.engine.rotateSite(rig.load("Site_1"));
    EXPECT_EQ(r.copies[0].backup, FileCopy::NoBackup);
    EXPECT_EQ(rig.f.tree("live/Site_1"), (QStringList{"a.jpg", "index.html"}));
    EXPECT_EQ(rig.f.prog.read("live/Site_1/a.jpg"), QByteArray("sites/Site_1/Rotation_2/a.jpg"));
}

TEST(RotationEngine, UnlistableFolderIsReportedAndNothingStaleIsCopied)
{
    Rig rig;
    rig.f.autoSite("Site_1", 1, 1);
    rig.valid("Site_1", 1);
    rig.f.files("sites/Site_1/Rotation_1/thumbs", {"a_thb.jpg"});
    const QString thumbs = rig.f.prog.file("sites/Site_1/Rotation_1/thumbs/");
    rig.listing = [&](const QString& folder) {
        if (folder == thumbs)
            return platform::FolderListing{platform::FileOutcome::failure("Permission denied"), {}};
        return platform::listFolder(folder, platform::ListWhat::Files);
    };
    const SiteRotation r = rig.engine.rotateSite(rig.load("Site_1"));
    EXPECT_TRUE(r.found);
    EXPECT_FALSE(r.complete);
    // The rotation folder's own names were never offered as thumbnails.
    EXPECT_EQ(rig.f.tree("live/Site_1"), (QStringList{"a.jpg", "index.html"}));
    EXPECT_EQ(rig.log.lines(), QStringList{"! T - Error encountered changing to the directory, " + thumbs + "!"});
    EXPECT_EQ(rig.stored("Site_1"), 2);  // the position still moves on
}

TEST(RotationEngine, UnlistableRotationFolderIsInvalid)
{
    Rig rig;
    rig.f.autoSite("Site_1", 2, 1);
    rig.valid("Site_1", 1);
    rig.valid("Site_1", 2);
    const QString first = rig.f.prog.file("sites/Site_1/Rotation_1/");
    rig.listing = [&](const QString& folder) {
        if (folder == first)
            return platform::FolderListing{platform::FileOutcome::failure("Permission denied"), {}};
        return platform::listFolder(folder, platform::ListWhat::Files);
    };
    EXPECT_EQ(rig.engine.rotateSite(rig.load("Site_1")).rotation, 2);
    EXPECT_EQ(rig.log.lines().first(), "! T - Error encountered changing to the directory, " + first + "!");
}

TEST(RotationEngine, FolderListerNeverKeepsAnEarlierFoldersNames)
{
    platform::ScriptedPromptService prompts;
    RunLog log{[] { return QString("T"); }};
    ProblemReport interactive(log, prompts, false);
    FolderLister lister(interactive);
    TempFolder dir;
    dir.write("b.JPG", "x");
    dir.write("a.htm", "x");
    dir.write(".hidden", "x");
    dir.mkdir("sub");
    ASSERT_TRUE(lister.setFolder(dir.path()));
    EXPECT_EQ(lister.files(), (QStringList{"a.htm", "b.JPG"}));
    EXPECT_FALSE(lister.setFolder(dir.file("b.JPG")));
    EXPECT_TRUE(lister.files().isEmpty());
    EXPECT_EQ(lister.folder(), dir.file("b.JPG"));
    EXPECT_EQ(prompts.promptTexts(), QStringList{"Error encountered changing to the directory, " + dir.file("b.JPG") + "!"});
    EXPECT_EQ(prompts.lastPrompt().caption, QString("Warning"));
    EXPECT_EQ(log.lines(), QStringList{"! T - Error encountered changing to the directory, " + dir.file("b.JPG") + "!"});
}

TEST(RotationEngine, LiveFolderThatCannotBeMade)
{
    Rig rig;
    rig.f.prog.write("blocker", "a file where a folder should be");
    const QString livePath = rig.f.prog.file("blocker/live");
    rig.f.site("Site_1", {"Name=One", "Path=%/sites/Site_1/", "LivePath=" + livePath, "AutoRotate=True",
                          "RotationCount=1"});
    rig.valid("Site_1", 1);
    const SiteRotation r = rig.engine.rotateSite(rig.load("Site_1"));
    EXPECT_FALSE(r.succeeded());
    const QString source = rig.f.prog.file("sites/Site_1/Rotation_1/");
    EXPECT_EQ(rig.log.lines(), (QStringList{
                                   "! T - An error was encountered whilst trying to create the directory, " + livePath + "/",
                                   "! T - Could not copy the file, " + source + "a.jpg, for site, One!",
                                   "! T - An error was encountered whilst trying to create the directory, " + livePath + "/",
                                   "! T - Could not copy the file, " + source + "index.html, for site, One!",
                               }));
    EXPECT_EQ(rig.f.prog.read("blocker"), QByteArray("a file where a folder should be"));
    EXPECT_EQ(rig.stored("Site_1"), 2);
}

TEST(RotationEngine, CopyThatFailsMidwayLeavesTheOldLiveFile)
{
    Rig rig;
    rig.f.autoSite("Site_1", 1, 1);
    rig.f.files("sites/Site_1/Rotation_1", {"index.html"});
    rig.f.prog.write("sites/Site_1/Rotation_1/big.jpg", QByteArray(256 * 1024, 'n'));
    rig.f.prog.write("live/Site_1/big.jpg", "old picture");
    rig.f.prog.write("live/Site_1/index.html", "old page");

    // Writes past 64 KiB fail (EFBIG), as on a full disk; root is subject to this limit too.
    SiteRotation r;
    {
        FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.ok());
        r = rig.engine.rotateSite(rig.load("Site_1"));
    }

    EXPECT_TRUE(r.found);
    EXPECT_FALSE(r.complete);
    ASSERT_EQ(r.copies.size(), 2);
    EXPECT_EQ(r.copies[0].result, FileCopy::Failed);
    EXPECT_FALSE(r.copies[0].reason.isEmpty());
    EXPECT_EQ(rig.f.prog.read("live/Site_1/big.jpg"), QByteArray("old picture"));
    EXPECT_EQ(rig.f.prog.read("live/Site_1/index.html"), QByteArray("sites/Site_1/Rotation_1/index.html"));
    EXPECT_EQ(rig.f.tree("live/Site_1"), (QStringList{"big.jpg", "index.html"}));  // no temporary left
    EXPECT_EQ(rig.log.lines(), QStringList{"! T - Could not copy the file, " + rig.f.prog.file("sites/Site_1/Rotation_1/")
                                           + "big.jpg, for site, Site_1!"});
}

TEST(RotationEngine, CreatingFolders)
{
    Rig rig;
    EXPECT_FALSE(rig.engine.createnewdirectory("/ab"));
    EXPECT_TRUE(rig.engine.createnewdirectory(rig.f.prog.file("x/y/z")));
    EXPECT_TRUE(rig.f.prog.exists("x/y/z"));
    EXPECT_TRUE(rig.engine.createnewdirectory(rig.f.prog.file("x/y/z/")));  // exists already
    EXPECT_EQ(rig.log.lines(), QStringList{});
    rig.f.prog.write("x/file", "f");
    EXPECT_FALSE(rig.engine.createnewdirectory(rig.f.prog.file("x/file/deeper")));
    EXPECT_EQ(rig.log.lines(), QStringList{"! T - An error was encountered whilst trying to create the directory, "
                                           + rig.f.prog.file("x/file/deeper/")});
}

TEST(RotationEngine, RotateAllCountsOnlySitesThatWereUpdated)
{
    Rig rig;
    rig.f.autoSite("Site_1", 1, 1);
    rig.valid("Site_1", 1);
    rig.f.site("Site_2", {"Name=Two", "Path=%/sites/Site_2/", "AutoRotate=True"});  // no live folder
    rig.f.autoSite("Site_3", 2, 1);
    rig.invalid("Site_3", 1);
    rig.f.siteList({"Site_1=One", "Site_2=Two", "Site_3=Three", "Site_4=Four", "Site_5=Five"});
    FakeHooks hooks;
    hooks.throwAt = 4;
    rig.log.Addwarning("left over from before", true);
    EXPECT_EQ(rig.run.rotateAll(rig.run.storedSites(), Rig::everyLine(), hooks), 1);
    EXPECT_EQ(hooks.rows, (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(rig.run.tally().due, 3);  // the row that failed counts as due
    EXPECT_EQ(rig.run.tally().failed, 2);
    EXPECT_EQ(hooks.statuses, (QStringList{"Commencing Rotation of Sites..", "Processing Site, Site_1",
                                           "Processing Site, Two", "Processing Site, Site_3",
                                           "Processing Site, Name Error"}));
    EXPECT_EQ(rig.log.lines(), (QStringList{
                                   "* T - Site_1 sucessfully updated to rotation 1",
                                   "! T - Skipping site, Two, which does not have autorotation enabled!",
                                   "! T - A valid rotation could not be found for the site, Site_3",
                                   "! T - Skipping site, Name Error, which does not have autorotation enabled!",
                                   "! T - Error analysing the status of Site 4",
                               }));
    EXPECT_TRUE(rig.log.ErrorsLogged());
}

TEST(RotationEngine, RotateAllWithoutSitesAndWithoutErrors)
{
    Rig rig;
    FakeHooks none;
    EXPECT_EQ(rig.run.rotateAll(rig.run.storedSites(), Rig::everyLine(), none), 0);
    EXPECT_EQ(rig.log.lines(), QStringList{"! T - There are no sites to rotate!"});

    rig.f.autoSite("Site_1", 1, 1);
    rig.valid("Site_1", 1);
    rig.f.siteList({"Site_1=One"});
    FakeHooks one;
    EXPECT_EQ(rig.run.rotateAll(rig.run.storedSites(), Rig::everyLine(), one), 1);
    EXPECT_FALSE(rig.log.ErrorsLogged());  // cleared at the start of the run
}

} // namespace
