#include "platform/filecontent.h"
#include "platform/fileidentity.h"
#include "platform/folderlisting.h"
#include "platform/pathresolver.h"
#include "platform/safewrite.h"
#include "fifo.h"
#include "tempfolder.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

TEST(FolderListing, SortsCaseInsensitivelyWithByteTieBreakAndSkipsHidden)
{
    TempFolder dir;
    for (const char* n : {"b.jpg", "A.gif", "a.gif", "C.png", ".hidden", "Zed.txt"})
        dir.write(n, "x");
    dir.mkdir("sub");
    dir.mkdir(".git");
    const FolderListing files = listFolder(dir.path(), ListWhat::Files);
    ASSERT_TRUE(files.outcome.ok);
    EXPECT_EQ(files.names, (QStringList{"A.gif", "a.gif", "b.jpg", "C.png", "Zed.txt"}));
    EXPECT_EQ(listFolder(dir.path(), ListWhat::Folders).names, QStringList{"sub"});
    EXPECT_EQ(listFolder(dir.path(), ListWhat::Files, "*.gif;*.png").names, (QStringList{"A.gif", "a.gif", "C.png"}));
}

TEST(FolderListing, MissingOrUnreadableFolderGivesEmptyListAndReason)
{
    TempFolder dir;
    const FolderListing missing = listFolder(dir.file("nope"), ListWhat::Files);
    EXPECT_FALSE(missing.outcome.ok);
    EXPECT_TRUE(missing.names.isEmpty());
    EXPECT_TRUE(missing.outcome.reason.contains("nope"));
    dir.write("file", "x");
    EXPECT_FALSE(listFolder(dir.file("file"), ListWhat::Files).outcome.ok);
}

TEST(FolderListing, EntriesThatCannotBeExaminedAreLeftOutNotFatal)
{
    TempFolder dir;
    dir.write("index.html", "x");
    dir.write("pic.jpg", "x");
    dir.mkdir("thumbs");
    const auto link = [&](const QString& target, const QString& name) {
        ASSERT_EQ(::symlink(platform::encodeFileName(target).constData(), platform::encodeFileName(dir.file(name)).constData()), 0);
    };
    link(dir.file("gone.jpg"), "dangling.jpg");
    link(dir.file("loop2"), "loop1");
    link(dir.file("loop1"), "loop2");
    link(dir.file("pic.jpg"), "alias.jpg");
    for (const ListWhat what : {ListWhat::Files, ListWhat::Both, ListWhat::Folders}) {
        const FolderListing listing = listFolder(dir.path(), what);
        EXPECT_TRUE(listing.outcome.ok) << listing.outcome.reason.toStdString();
        const QStringList expected = what == ListWhat::Files ? QStringList{"alias.jpg", "index.html", "pic.jpg"}
                                     : what == ListWhat::Both  ? QStringList{"alias.jpg", "index.html", "pic.jpg", "thumbs"}
                                                               : QStringList{"thumbs"};
        EXPECT_EQ(listing.names, expected);
    }
    // The case-insensitive resolver lists the same folder.
    EXPECT_EQ(resolvePathIgnoringCase(dir.file("INDEX.HTML")), dir.file("index.html"));
}

TEST(FileIdentity, FolderContainmentThroughLinksAndLevelsNotMadeYet)
{
    TempFolder dir;
    dir.mkdir("rot/thumbs");
    ASSERT_TRUE(QFile::link(dir.file("rot"), dir.file("r")));
    const struct {
        const char* path;
        const char* folder;
        bool within;
    } cases[] = {
        {"r", "rot", true}, {"r/thumbs/new/deeper", "rot", true}, {"missing/../rot/x", "r/", true},
        {"rot", "rot/thumbs", false}, {"rotten", "rot", false}, {"r/thumbs/../..", "rot", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isWithinFolder(dir.file(c.path), dir.file(c.folder)), c.within) << c.path << " in " << c.folder;
}

TEST(FileIdentity, SameFileByIdentityNotText)
{
    TempFolder dir;
    dir.write("a/x.txt", "1");
    dir.write("a/y.txt", "1");
    EXPECT_TRUE(isSameFile(dir.file("a/x.txt"), dir.file("a/../a/x.txt")));
    EXPECT_TRUE(isSameFile(dir.file("a/x.txt"), dir.file("a//x.txt")));
    ASSERT_EQ(::symlink(platform::encodeFileName(dir.file("a")).constData(), platform::encodeFileName(dir.file("link")).constData()), 0);
    EXPECT_TRUE(isSameFile(dir.file("a/x.txt"), dir.file("link/x.txt")));
    EXPECT_FALSE(isSameFile(dir.file("a/x.txt"), dir.file("a/y.txt")));
    EXPECT_FALSE(isSameFile(dir.file("a/missing"), dir.file("a/missing")));
    EXPECT_TRUE(fileExists(dir.file("a/x.txt")));
    EXPECT_FALSE(fileExists(dir.file("a")));
    EXPECT_TRUE(folderExists(dir.file("a")));
    EXPECT_TRUE(folderExists(dir.file("a/")));
}

TEST(PathResolver, FindsExactThenIgnoringCasePerComponent)
{
    TempFolder dir;
    dir.write("Site/Rotation_1/Logo.GIF", "x");
    dir.mkdir("Site/rotation_2");
    dir.mkdir("Site/Twice");
    dir.mkdir("Site/twice");
    dir.mkdir("Site/.hidden");
    struct Case { const char* query; const char* expected; } cases[] = {
        {"Site/Rotation_1/Logo.GIF", "Site/Rotation_1/Logo.GIF"},
        {"site/rotation_1/logo.gif", "Site/Rotation_1/Logo.GIF"},
        {"SITE/ROTATION_2/", "Site/rotation_2/"},
        {"Site/Rotation_2", "Site/rotation_2"},
        {"site/twice", "Site/twice"},          // the exact name before a match ignoring case
        {"site/TWICE", "Site/Twice"},          // else the first in listing order
        {"site/.hidden/", "Site/.hidden/"},    // hidden entries by their exact name only
        {"site/rotation_1/../Twice", "Site/Rotation_1/../Twice"},
    };
    // The lookup that lists each folder once gives what the plain one gives, asked twice.
    platform::PathLookup lookup;
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            const auto found = findPathIgnoringCase(dir.file(c.query));
            ASSERT_TRUE(found.has_value()) << c.query;
            EXPECT_EQ(*found, dir.file(c.expected)) << c.query;
            EXPECT_EQ(lookup.find(dir.file(c.query)), found) << c.query;
        }
    }
    for (const char* missing : {"site/rotation_3/", "site/.HIDDEN", "nowhere/rotation_2"}) {
        EXPECT_FALSE(findPathIgnoringCase(dir.file(missing)).has_value()) << missing;
        EXPECT_FALSE(lookup.find(dir.file(missing)).has_value()) << missing;
    }
    EXPECT_FALSE(findPathIgnoringCase(QString()).has_value());
    EXPECT_FALSE(lookup.find(QString()).has_value());
    EXPECT_EQ(resolvePathIgnoringCase(dir.file("nothing")), dir.file("nothing"));
}

TEST(PathResolver, ALookupOverManyPathsAnswersAsSingleLookUpsDo)
{
    TempFolder dir;
    dir.write("Site/Rotation_1/index.html", "x");
    dir.write("Site/Rotation_1/A.gif", "x");
    dir.write("Site/Rotation_1/a.gif", "x");
    dir.write("Site/.Hidden/x", "x");
    dir.mkdir("Site/rotation_2");
    const char* queries[] = {
        "Site/Rotation_1/index.html", "site/rotation_1/INDEX.HTML", "Site/Rotation_1/a.gif", "Site/Rotation_1/A.gif",
        "SITE/ROTATION_1/A.GIF", "Site/rotation_2/", "Site/Rotation_2", "Site/Rotation_3/", "Site/.Hidden/x",
        "Site/.hidden/x", "Site/Rotation_1/index.html/", "Site/./Rotation_1/../rotation_2",
    };
    PathLookup lookup;
    for (int round = 0; round < 2; ++round) {  // the second round answers from what the first saw
        for (const char* q : queries) {
            EXPECT_EQ(lookup.find(dir.file(q)), findPathIgnoringCase(dir.file(q))) << q << " round " << round;
        }
    }
    EXPECT_EQ(lookup.find(dir.file("site/rotation_1/a.GIF")), dir.file("Site/Rotation_1/A.gif"));  // first in listing order
    EXPECT_TRUE(lookup.isFolder(*lookup.find(dir.file("SITE/ROTATION_2/"))));
    EXPECT_FALSE(lookup.isFolder(dir.file("Site/Rotation_3/")));
    EXPECT_FALSE(lookup.isFolder(dir.file("Site/Rotation_1/index.html")));
}

TEST(PlainFile, EveryReaderTakesPlainFilesOnlyAndNeverWaitsOnAPipe)
{
    TempFolder dir;
    const QString plain = dir.write("a.bmp", "BM12");
    ASSERT_EQ(::symlink(platform::encodeFileName(plain).constData(), platform::encodeFileName(dir.file("link.bmp")).constData()), 0);
    const QString pipe = MakeFifo(dir.file("pipe.bmp"));
    ASSERT_FALSE(pipe.isEmpty());
    dir.mkdir("folder.bmp");
    const struct { QString path; bool opens; int err; } cases[] = {
        {plain, true, 0},
        {dir.file("link.bmp"), true, 0},
        {pipe, false, EINVAL}, // no writer: a plain open would wait for ever
        {dir.file("folder.bmp"), false, EISDIR},
        {"/dev/zero", false, EINVAL},
        {dir.file("missing.bmp"), false, ENOENT},
        {QString(), false, ENOENT},
    };
    // Each way the programs read a file: the bytes, or why not.
    struct Read {
        std::optional<QByteArray> bytes;
        QString why;
    };
    const auto errnoText = [] { return QString::fromLocal8Bit(std::strerror(errno)); };
    const struct { const char* name; QString whyPrefix; std::function<Read(const QString&)> read; } readers[] = {
        {"openPlainFile", "", [&](const QString& path) -> Read {
             QFile file;
             if (!openPlainFile(file, path))
                 return {std::nullopt, errnoText()};
             EXPECT_TRUE(file.fileName().isEmpty());
             return {file.readAll(), {}};
         }},
        {"readFileContent", "", [&](const QString& path) -> Read {
             std::optional<QByteArray> bytes = readFileContent(path);
             return {bytes, bytes ? QString() : errnoText()};
         }},
        {"copyFileAtomically", "Cannot read %1: ", [&dir](const QString& path) -> Read {
             const FileOutcome copied = copyFileAtomically(path, dir.file("copy.bmp"));
             if (!copied) {
                 EXPECT_FALSE(QFile::exists(dir.file("copy.bmp")));
                 return {std::nullopt, copied.reason};
             }
             Read read{dir.read("copy.bmp"), {}};
             QFile::remove(dir.file("copy.bmp"));
             return read;
         }},
    };
    for (const auto& reader : readers)
        for (const auto& c : cases) {
            Read got;
            EXPECT_TRUE(ReturnsWithoutWaitingOn(pipe, [&] { got = reader.read(c.path); })) << reader.name << " " << c.path.toStdString();
            EXPECT_EQ(got.bytes.has_value(), c.opens) << reader.name << " " << c.path.toStdString();
            if (c.opens)
                EXPECT_EQ(*got.bytes, "BM12") << reader.name;
            else
                EXPECT_EQ(got.why, (reader.whyPrefix.isEmpty() ? QString() : reader.whyPrefix.arg(c.path))
                                       + QString::fromLocal8Bit(std::strerror(c.err)))
                    << reader.name;
        }
}

} // namespace
