#include "platform/safewrite.h"
#include "tempfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform;

namespace {

QStringList entries(const TempFolder& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(SafeWrite, ReplacesContentAndKeepsPermissions)
{
    TempFolder dir;
    const QString path = dir.write("page.htm", "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(path, QByteArray("new")).ok);
    EXPECT_EQ(dir.read("page.htm"), QByteArray("new"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir), QStringList{"page.htm"});
}

TEST(SafeWrite, FailingWriterKeepsOldFileAndLeavesNoTemporary)
{
    TempFolder dir;
    const QString path = dir.write("page.htm", "old");
    const FileOutcome outcome = writeFileAtomically(path, [](QIODevice& out, QString& why) {
        out.write("partial");
        why = "generator failed";
        return false;
    });
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.reason, "generator failed");
    EXPECT_EQ(dir.read("page.htm"), QByteArray("old"));
    EXPECT_EQ(entries(dir), QStringList{"page.htm"});
}

TEST(SafeWrite, DisposableFilesReplaceWholeOrFailLeavingNothing)
{
    TempFolder dir;
    const QString path = dir.write("cache.jpg", "old");
    ASSERT_TRUE(writeDisposableFile(path, "new").ok);
    EXPECT_EQ(dir.read("cache.jpg"), QByteArray("new"));
    const FileOutcome outcome = writeDisposableFile(dir.file("missing/cache.jpg"), "x");
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.reason.startsWith("Cannot write " + dir.file("missing/cache.jpg") + ": ")) << outcome.reason.toStdString();
    dir.mkdir("taken.jpg"); // a folder where the file should go
    EXPECT_FALSE(writeDisposableFile(dir.file("taken.jpg"), "x").ok);
    EXPECT_EQ(entries(dir), QStringList({"cache.jpg", "taken.jpg"}));
}

TEST(SafeWrite, CopyOverExistingAndFromMissingSource)
{
    TempFolder dir;
    dir.write("src.jpg", QByteArray(3 << 20, 'x'));
    dir.write("dst.jpg", "old");
    ASSERT_TRUE(copyFileAtomically(dir.file("src.jpg"), dir.file("dst.jpg")).ok);
    EXPECT_EQ(dir.read("dst.jpg").size(), 3 << 20);

    const FileOutcome missing = copyFileAtomically(dir.file("none.jpg"), dir.file("dst.jpg"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(dir.read("dst.jpg").size(), 3 << 20);
    EXPECT_FALSE(copyFileAtomically(dir.file("src.jpg"), dir.file("no/such/folder/x.jpg")).ok);
}

TEST(SafeWrite, CopyReplacesALinkInsteadOfWritingThroughIt)
{
    // A link planted where the copy goes must not send the copy to the file it names.
    for (const char* linkTarget : {"elsewhere.txt", "missing.txt"}) {
        TempFolder dir;
        dir.write("src.htm", "new page");
        dir.write("elsewhere.txt", "must stay");
        ASSERT_TRUE(QFile::link(dir.file(linkTarget), dir.file("dst.htm")));
        ASSERT_TRUE(copyFileAtomically(dir.file("src.htm"), dir.file("dst.htm")).ok) << linkTarget;
        EXPECT_FALSE(QFileInfo(dir.file("dst.htm")).isSymLink()) << linkTarget;
        EXPECT_EQ(dir.read("dst.htm"), QByteArray("new page")) << linkTarget;
        EXPECT_EQ(dir.read("elsewhere.txt"), QByteArray("must stay")) << linkTarget;
        EXPECT_FALSE(dir.exists("missing.txt")) << linkTarget;
        EXPECT_EQ(entries(dir), (QStringList{"dst.htm", "elsewhere.txt", "src.htm"})) << linkTarget;
    }
}

TEST(SafeWrite, CopyKeepsTheReplacedFilesPermissionsAndGivesNewFilesTheUsualOnes)
{
    TempFolder dir;
    dir.write("src.jpg", "picture");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.file("src.jpg")).constData(), 0600), 0);
    dir.write("old.jpg", "old");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.file("old.jpg")).constData(), 0640), 0);
    const mode_t saved = ::umask(022);
    const bool replaced = copyFileAtomically(dir.file("src.jpg"), dir.file("old.jpg")).ok;
    const bool created = copyFileAtomically(dir.file("src.jpg"), dir.file("new.jpg")).ok;
    ::umask(saved);
    ASSERT_TRUE(replaced && created);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.file("old.jpg")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ASSERT_EQ(::stat(QFile::encodeName(dir.file("new.jpg")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(dir.read("new.jpg"), QByteArray("picture"));
}

TEST(SafeWrite, RenameNoReplaceNeverOverwrites)
{
    TempFolder dir;
    dir.write("index.html", "new");
    dir.write("index.~htm", "first backup");
    const FileOutcome outcome = renameNoReplace(dir.file("index.html"), dir.file("index.~htm"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(dir.read("index.~htm"), QByteArray("first backup"));
    EXPECT_EQ(dir.read("index.html"), QByteArray("new"));
    EXPECT_TRUE(renameNoReplace(dir.file("index.html"), dir.file("other.~htm")).ok);
    EXPECT_FALSE(dir.exists("index.html"));
}

TEST(SafeWrite, LinkNoReplaceKeepsBothNamesAndNeverOverwrites)
{
    TempFolder dir;
    dir.write("index.html", "live");
    ASSERT_TRUE(linkNoReplace(dir.file("index.html"), dir.file("index.~htm")).ok);
    EXPECT_EQ(dir.read("index.~htm"), QByteArray("live"));
    EXPECT_EQ(dir.read("index.html"), QByteArray("live"));

    dir.write("photo.jpg", "second");
    const FileOutcome again = linkNoReplace(dir.file("photo.jpg"), dir.file("index.~htm"));
    EXPECT_FALSE(again.ok);
    EXPECT_FALSE(again.reason.isEmpty());
    EXPECT_EQ(dir.read("index.~htm"), QByteArray("live"));
}

TEST(SafeWrite, CopyNoReplaceNeverOverwritesAndLeavesNoTemporary)
{
    TempFolder dir;
    dir.write("a.jpg", QByteArray(2 << 20, 'a'));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.file("a.jpg")).constData(), 0644), 0);
    ASSERT_TRUE(copyFileNoReplace(dir.file("a.jpg"), dir.file("a.~jp")).ok);
    EXPECT_EQ(dir.read("a.~jp"), dir.read("a.jpg"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.file("a.~jp")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    dir.write("b.jpg", "other");
    EXPECT_FALSE(copyFileNoReplace(dir.file("b.jpg"), dir.file("a.~jp")).ok);
    EXPECT_EQ(dir.read("a.~jp"), dir.read("a.jpg"));
    EXPECT_FALSE(copyFileNoReplace(dir.file("none.jpg"), dir.file("n.~jp")).ok);
    EXPECT_EQ(entries(dir), (QStringList{"a.jpg", "a.~jp", "b.jpg"}));
}

TEST(SafeWrite, RemoveFileReportsMissing)
{
    TempFolder dir;
    dir.write("a", "x");
    EXPECT_TRUE(removeFile(dir.file("a")).ok);
    const FileOutcome again = removeFile(dir.file("a"));
    EXPECT_FALSE(again.ok);
    EXPECT_TRUE(again.reason.contains(dir.file("a")));
}

} // namespace
