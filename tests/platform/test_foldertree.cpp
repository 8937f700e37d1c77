#include "platform/fileidentity.h"
#include "platform/foldertree.h"
#include "tempfolder.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace platform;

namespace {

TEST(FolderTree, MissingLevelsOutermostFirst)
{
    TempFolder dir;
    dir.mkdir("A");
    EXPECT_EQ(missingFolderLevels(dir.file("A/B/C")), (QStringList{dir.file("A/B/"), dir.file("A/B/C/")}));
    EXPECT_EQ(missingFolderLevels(dir.file("A/B\\")), (QStringList{dir.file("A/B\\")}));
    EXPECT_TRUE(missingFolderLevels(dir.file("A")).isEmpty());
    EXPECT_TRUE(missingFolderLevels("/").isEmpty());
}

TEST(FolderTree, CreatesLevelsAndRollsBackOnFailure)
{
    TempFolder dir;
    ASSERT_TRUE(createFolderLevels(missingFolderLevels(dir.file("A/B"))).ok);
    EXPECT_TRUE(folderExists(dir.file("A/B")));

    // C can be made, then a plain file named D blocks D/E: C must go again.
    dir.write("A/C/D", "file, not a folder");
    QDir(dir.file("A/C")).removeRecursively();
    const QStringList levels{dir.file("A/X/"), dir.file("A/X/Y/"), dir.file("A/B/file/"), dir.file("A/B/file/Z/")};
    dir.write("A/B/file", "blocks");
    const FileOutcome outcome = createFolderLevels(levels);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.reason.contains("A/B/file/"));
    EXPECT_FALSE(folderExists(dir.file("A/X")));
    EXPECT_TRUE(folderExists(dir.file("A/B")));
}

TEST(FolderTree, RollbackKeepsFoldersThatGainedFiles)
{
    TempFolder dir;
    dir.write("block", "x");
    // The first level exists after creation and gets a file from elsewhere: it must stay.
    const QStringList levels{dir.file("made/"), dir.file("block/sub/")};
    ASSERT_TRUE(QDir().mkpath(dir.file("made")));
    dir.write("made/keep.txt", "x");
    EXPECT_FALSE(createFolderLevels(levels).ok);
    EXPECT_TRUE(dir.exists("made/keep.txt"));
}

TEST(FolderTree, RemovesTreeForGoodWithoutFollowingLinks)
{
    TempFolder dir;
    dir.write("outside/precious.txt", "keep");
    dir.write("site/a/b/c.txt", "x");
    dir.write("site/top.txt", "x");
    ASSERT_EQ(::symlink(platform::encodeFileName(dir.file("outside")).constData(),
                        platform::encodeFileName(dir.file("site/link")).constData()), 0);
    const QString prog = dir.mkdir("prog/");
    EXPECT_TRUE(removeFolderTree(dir.file("site"), prog).ok);
    EXPECT_FALSE(dir.exists("site"));
    EXPECT_TRUE(dir.exists("outside/precious.txt"));
}

TEST(FolderTree, RefusesProtectedFolders)
{
    TempFolder dir;
    const QString prog = dir.mkdir("apps/prog/");
    dir.write("apps/prog/sites.ini", "x");
    for (const QString& f : {QString("/"), QDir::homePath(), prog, dir.file("apps"), dir.file("apps/"),
                             dir.path(), dir.file("apps/prog/../prog")}) {
        EXPECT_TRUE(isProtectedFolder(f, prog)) << f.toStdString();
        EXPECT_FALSE(removeFolderTree(f, prog).ok) << f.toStdString();
    }
    EXPECT_TRUE(dir.exists("apps/prog/sites.ini"));
    EXPECT_FALSE(removeFolderTree("", prog).ok);
    EXPECT_FALSE(removeFolderTree(dir.file("missing"), prog).ok);
    dir.mkdir("apps/prog/Site_1");
    EXPECT_TRUE(removeFolderTree(dir.file("apps/prog/Site_1/"), prog).ok); // inside is fine
}

TEST(FolderTree, NeverDeletesTheWorkingFolderAFolderHoldingItOrARelativePath)
{
    TempFolder dir;
    const QString prog = dir.mkdir("prog/");
    dir.write("work/here/keep.txt", "x");
    dir.write("prog/photos/a.jpg", "x");
    const StartedElsewhere elsewhere(dir.file("work/here"), QDir::homePath());
    for (const QString& f : {dir.file("work/here"), dir.file("work/here/"), dir.file("work"), QString("."),
                             QString("photos"), QString(" ") + dir.file("work")}) {
        EXPECT_FALSE(removeFolderTree(f, prog).ok) << f.toStdString();
    }
    EXPECT_TRUE(isProtectedFolder("photos", prog));      // a relative path names no folder of its own
    EXPECT_FALSE(isProtectedFolder(dir.file("work/here"), prog)); // a live folder may be the working one
    EXPECT_TRUE(dir.exists("work/here/keep.txt"));
    EXPECT_TRUE(dir.exists("prog/photos/a.jpg"));
    EXPECT_TRUE(removeFolderTree(dir.file("prog/photos"), prog).ok);
}

} // namespace
