#include "platform/folderwatch.h"
#include "tempfolder.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <sys/inotify.h>

using namespace platform;

namespace {

// The kernel's own view of the hub's watches: one line "inotify wd:N ... mask:M" each.
QList<quint32> kernelMasks(const FolderWatchHub& hub)
{
    QFile info(QStringLiteral("/proc/self/fdinfo/%1").arg(hub.descriptor()));
    EXPECT_TRUE(info.open(QIODevice::ReadOnly));
    QList<quint32> masks;
    for (const QByteArray& line : info.readAll().split('\n')) {
        if (!line.startsWith("inotify wd:"))
            continue;
        const qsizetype at = line.indexOf(" mask:");
        masks << line.mid(at + 6, line.indexOf(' ', at + 1) - at - 6).toUInt(nullptr, 16);
    }
    return masks;
}

TEST(FolderWatch, OneFolderTwiceIsOneWatchWithTheUnionOfFilters)
{
    TempFolder dir;
    dir.mkdir("real");
    ASSERT_TRUE(QFile::link(dir.file("real"), dir.file("alias")));
    FolderWatchHub hub;
    int files = 0, folders = 0;
    const quint64 a = hub.subscribe(dir.file("real"), FileNameChanges, [&] { ++files; });
    const quint64 b = hub.subscribe(dir.file("alias"), FolderNameChanges | AttributeChanges, [&] { ++folders; });
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_EQ(hub.watchCount(), 1);
    ASSERT_EQ(kernelMasks(hub).size(), 1);
    EXPECT_TRUE(kernelMasks(hub)[0] & IN_ATTRIB);
    EXPECT_TRUE(kernelMasks(hub)[0] & IN_CREATE);

    // A file wakes the file subscriber only, a folder only the other.
    dir.write("real/f.txt", "x");
    QTRY_COMPARE(files, 1);
    dir.mkdir("real/sub");
    QTRY_COMPARE(folders, 1);
    EXPECT_EQ(files, 1);

    // The watch narrows with the first one gone and goes with the last.
    hub.unsubscribe(b);
    ASSERT_EQ(kernelMasks(hub).size(), 1);
    EXPECT_FALSE(kernelMasks(hub)[0] & IN_ATTRIB);
    hub.unsubscribe(a);
    EXPECT_EQ(hub.watchCount(), 0);
    EXPECT_TRUE(kernelMasks(hub).isEmpty());
}

TEST(FolderWatch, FoldersThatCannotBeWatchedSayWhy)
{
    TempFolder dir;
    dir.write("file", "x");
    FolderWatchHub hub;
    const struct {
        QString path;
        int error;
    } cases[] = {{dir.file("missing"), ENOENT}, {dir.file("file"), ENOTDIR}, {dir.file("file/below"), ENOTDIR}};
    for (const auto& c : cases) {
        int error = 0;
        EXPECT_EQ(hub.subscribe(c.path, FileNameChanges, [] {}, &error), 0u) << qPrintable(c.path);
        EXPECT_EQ(error, c.error) << qPrintable(c.path);
    }
    EXPECT_EQ(hub.watchCount(), 0);
}

TEST(FolderWatch, DeeperChangesAndAFilterChangeAreSeenRight)
{
    TempFolder dir;
    dir.mkdir("sub");
    FolderWatchHub hub;
    int calls = 0;
    const quint64 id = hub.subscribe(dir.path(), FolderNameChanges, [&] { ++calls; });
    dir.write("sub/deep.txt", "x");
    dir.mkdir("sub/deeper");
    dir.write("top.txt", "x");
    QTest::qWait(100);
    EXPECT_EQ(calls, 0);

    ASSERT_TRUE(hub.setFilter(id, FileNameChanges));
    QFile::remove(dir.file("top.txt"));
    QTRY_COMPARE(calls, 1);

    // A folder gone: the kernel drops the watch and the hub forgets it.
    QDir(dir.file("sub")).removeRecursively();
    const quint64 inner = hub.subscribe(dir.file("gone"), FileNameChanges, [] {});
    EXPECT_EQ(inner, 0u);
    dir.mkdir("gone");
    const quint64 gone = hub.subscribe(dir.file("gone"), FileNameChanges, [] {});
    ASSERT_NE(gone, 0u);
    EXPECT_EQ(hub.watchCount(), 2);
    QDir(dir.file("gone")).removeRecursively();
    QTRY_COMPARE(hub.watchCount(), 1);
    hub.unsubscribe(gone);
    hub.unsubscribe(id);
    EXPECT_EQ(hub.watchCount(), 0);
}

} // namespace

namespace {

// What becomes of a watch when the folder at its path goes: deleted and made again, another
// folder renamed over it, it renamed away. Each change happens before the hub reads its events.
TEST(FolderWatch, AWatchFollowsThePathToTheFolderThereNow)
{
    TempFolder dir;
    FolderWatchHub hub;
    const struct {
        const char* what;
        std::function<void(const TempFolder&)> change;
        bool watching;
    } cases[] = {
        {"deleted and made again",
         [](const TempFolder& d) {
             QDir(d.file("w")).removeRecursively();
             d.mkdir("w");
         },
         true},
        {"renamed over",
         [](const TempFolder& d) {
             d.mkdir("other/inside");
             ASSERT_EQ(::rename(platform::encodeFileName(d.file("other")).constData(), platform::encodeFileName(d.file("w")).constData()), 0);
         },
         true},
        {"deleted", [](const TempFolder& d) { QDir(d.file("w")).removeRecursively(); }, false},
        {"renamed away",
         [](const TempFolder& d) { ASSERT_TRUE(QDir(d.path()).rename("w", "moved")); },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dir.file("w")).removeRecursively();
        QDir(dir.file("moved")).removeRecursively();
        dir.mkdir("w");
        int calls = 0;
        const quint64 id = hub.subscribe(dir.file("w"), FolderNameChanges, [&] { ++calls; });
        ASSERT_NE(id, 0u);
        c.change(dir);
        QTRY_COMPARE(calls, 1);
        EXPECT_EQ(hub.isWatching(id), c.watching);
        if (c.watching) {
            dir.mkdir("w/new");
            QTRY_COMPARE(calls, 2);
            EXPECT_EQ(kernelMasks(hub).size(), 1);
        } else {
            // Nothing is left in the kernel, not even on the renamed folder.
            QTRY_VERIFY(kernelMasks(hub).isEmpty());
            dir.mkdir("moved/new");
            QTest::qWait(100);
            EXPECT_EQ(calls, 1);
        }
        hub.unsubscribe(id);
        EXPECT_FALSE(hub.isWatching(id));
        EXPECT_EQ(hub.watchCount(), 0);
    }
}

} // namespace
