#include "platform/copybatch.h"
#include "platform/writefaults.h"
#include "tempfolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform;

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The names that are not staged files, and how many staged files there are.
std::pair<QStringList, int> visible(const QString& folder)
{
    QStringList names;
    int staged = 0;
    for (const QString& name : entries(folder))
        name.startsWith(".~staged.") ? (void)++staged : names.append(name);
    return {names, staged};
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

TEST(CopyBatch, NothingShowsUnderADestinationUntilItIsPlacedInTheCallersOrder)
{
    TempFolder src, live;
    src.write("a.jpg", "new a");
    src.write("b.htm", "new b");
    live.write("a.jpg", "old a");
    CopyBatch batch;
    int a = -1, b = -1;
    ASSERT_TRUE(batch.stage(src.file("a.jpg"), live.file("a.jpg"), a).ok);
    ASSERT_TRUE(batch.stage(src.file("b.htm"), live.file("b.htm"), b).ok);
    EXPECT_EQ(batch.size(), 2);
    EXPECT_EQ(visible(live.path()), std::make_pair(QStringList{"a.jpg"}, 2));
    EXPECT_EQ(live.read("a.jpg"), QByteArray("old a"));
    ASSERT_TRUE(batch.sync().ok);

    ASSERT_TRUE(batch.place(b).ok);
    EXPECT_EQ(visible(live.path()), std::make_pair(QStringList{"a.jpg", "b.htm"}, 1));
    EXPECT_EQ(live.read("a.jpg"), QByteArray("old a"));
    ASSERT_TRUE(batch.place(a).ok);
    EXPECT_EQ(entries(live.path()), (QStringList{"a.jpg", "b.htm"}));
    EXPECT_EQ(live.read("a.jpg"), QByteArray("new a"));
    EXPECT_FALSE(batch.place(a).ok);  // placed once only
    EXPECT_TRUE(batch.syncFolders().ok);
}

TEST(CopyBatch, AFailedSyncDiscardsEveryStagedFile)
{
    TempFolder src, live;
    src.write("a.jpg", "new a");
    live.write("a.jpg", "old a");
    CopyBatch batch;
    int a = -1, b = -1;
    ASSERT_TRUE(batch.stage(src.file("a.jpg"), live.file("a.jpg"), a).ok);
    ASSERT_TRUE(batch.stage(src.file("a.jpg"), live.file("c.jpg"), b).ok);
    setWriteFaultHook([](WriteStep step) { return step == WriteStep::Sync ? EIO : 0; });
    const FileOutcome synced = batch.sync();
    setWriteFaultHook({});
    EXPECT_FALSE(synced.ok);
    EXPECT_EQ(synced.reason, "Cannot sync the copies in " + live.path() + ": Input/output error");
    EXPECT_EQ(entries(live.path()), QStringList{"a.jpg"});
    EXPECT_FALSE(batch.place(a).ok);
    EXPECT_EQ(live.read("a.jpg"), QByteArray("old a"));
}

TEST(CopyBatch, WhatIsNotPlacedGoesWithTheBatch)
{
    TempFolder src, live;
    src.write("a.jpg", "new a");
    {
        CopyBatch batch;
        int a = -1;
        ASSERT_TRUE(batch.stage(src.file("a.jpg"), live.file("a.jpg"), a).ok);
        int missing = 7;
        const FileOutcome failed = batch.stage(src.file("none.jpg"), live.file("none.jpg"), missing);
        EXPECT_EQ(missing, -1);
        EXPECT_TRUE(failed.reason.startsWith("Cannot read " + src.file("none.jpg") + ": ")) << failed.reason.toStdString();
        EXPECT_EQ(visible(live.path()).second, 1);
    }
    EXPECT_EQ(entries(live.path()), QStringList{});
}

TEST(CopyBatch, NewFilesAreNoWiderThanTheirSourceAndReplacedFilesKeepTheirBits)
{
    const struct {
        const char* what;
        mode_t source;
        mode_t umask;
        int existing;  // -1: no live file
        mode_t expected;
    } cases[] = {
        {"private source", 0600, 022, -1, 0600},
        {"public source", 0644, 022, -1, 0644},
        {"umask narrows", 0666, 077, -1, 0600},
        {"run bits are not copied", 0755, 022, -1, 0644},
        {"replaced file keeps its bits", 0600, 022, 0664, 0664},
    };
    for (const auto& c : cases) {
        TempFolder src, live;
        src.write("a.jpg", "new");
        ASSERT_EQ(::chmod(QFile::encodeName(src.file("a.jpg")).constData(), c.source), 0);
        if (c.existing >= 0) {
            live.write("a.jpg", "old");
            ASSERT_EQ(::chmod(QFile::encodeName(live.file("a.jpg")).constData(), mode_t(c.existing)), 0);
        }
        const mode_t saved = ::umask(c.umask);
        CopyBatch batch(NewFileMode::NoWiderThanSource);
        int a = -1;
        const bool ok = batch.stage(src.file("a.jpg"), live.file("a.jpg"), a).ok && batch.sync().ok && batch.place(a).ok;
        ::umask(saved);
        ASSERT_TRUE(ok) << c.what;
        EXPECT_EQ(modeOf(live.file("a.jpg")), c.expected) << c.what;
    }
}

} // namespace
