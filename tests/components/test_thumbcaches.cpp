#include "components/thumbdiskcache.h"
#include "components/thumbmemorycache.h"

#include "fixtures.h"
#include "imaging/pglibrary.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "tempfolder.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fcntl.h>

namespace {

class ThumbCaches : public ::testing::Test {
protected:
    void SetUp() override { InitPGraphic(); }
    void TearDown() override { DonePGraphic(); }
};

constexpr std::int64_t kNoon20200101 = 1577880000; // 2020-01-01 12:00 UTC

void setTime(const QString& path, std::int64_t seconds)
{
    const struct timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, platform::encodeFileName(path).constData(), times, 0), 0);
}

QStringList cacheFiles(const TempFolder& folder)
{
    return QDir(folder.path()).entryList({"~x*"}, QDir::Files, QDir::Name);
}

TEST_F(ThumbCaches, CacheFileNames)
{
    TThumbDiskCache cache;
    EXPECT_EQ(cache.FileName("/tmp/a.jpg", FileStamp{kNoon20200101, 0, 1}), "~x9602932583150000F58965.jpg");
    // Bytes count as unsigned; a time that cannot be read leaves the date out.
    EXPECT_EQ(cache.FileName("/tmp/é.jpg", std::nullopt), "~x123003808F46649.jpg");
    EXPECT_EQ(HashCachePath(""), 0u);
    EXPECT_EQ(PathChecksum(""), 0u);
    // The date text rounds to five decimals of a day: 0.43 s is below half a unit, 0.44 s above.
    EXPECT_EQ(DiskCacheDateText(FileStamp{kNoon20200101, 430000000, 0}), "83150000");
    EXPECT_EQ(DiskCacheDateText(FileStamp{kNoon20200101, 440000000, 0}), "83150001");
}

TEST_F(ThumbCaches, MemoryCacheRotatesAndKeepsStamps)
{
    TThumbMemoryCache cache(100);
    auto image = MakePatternImage(4, 3, bcn24Bit);
    const FileStamp stamp{10, 0, 5};
    for (int i = 0; i < 101; ++i)
        cache.Add(*image, QStringLiteral("/p/%1.jpg").arg(i), stamp);
    EXPECT_EQ(cache.SlotPath(0), "/p/100.jpg"); // the 101st takes slot 0
    EXPECT_EQ(cache.Find("/p/0.jpg", stamp), -1);
    EXPECT_EQ(cache.Find("/p/1.jpg", stamp), 1);
    EXPECT_EQ(cache.Find("/p/1.jpg", FileStamp{10, 0, 6}), -1); // the file changed
    EXPECT_EQ(cache.Find("/P/1.JPG", stamp), -1);               // another file on Linux
    TPixelGraphic copy;
    ASSERT_TRUE(cache.Get(1, copy));
    EXPECT_TRUE(SamePixels(copy, *image));

    // A lower count rotates through fewer slots (the next is 1 here); 0 turns the cache off.
    cache.SetMaxCacheCount(3);
    for (int i = 0; i < 3; ++i)
        cache.Add(*image, QStringLiteral("/q/%1.jpg").arg(i), stamp);
    EXPECT_EQ(cache.SlotPath(1), "/q/0.jpg");
    EXPECT_EQ(cache.SlotPath(2), "/q/1.jpg");
    EXPECT_EQ(cache.SlotPath(0), "/q/2.jpg");
    EXPECT_EQ(cache.SlotPath(3), "/p/3.jpg");
    cache.SetMaxCacheCount(0);
    EXPECT_EQ(cache.Find("/q/2.jpg", stamp), -1);
    EXPECT_FALSE(cache.Get(1, copy));
}

TEST_F(ThumbCaches, IndexIsWrittenAfterThe31stAddAndAtTheEnd)
{
    TempFolder folder;
    auto image = MakePatternImage(9, 7, bcn24Bit);
    QStringList sources;
    for (int i = 0; i < 31; ++i)
        sources << folder.write(QStringLiteral("src/%1.bmp").arg(i), "x");
    {
        TThumbDiskCache cache;
        cache.SetDirectory(folder.path());
        for (int i = 0; i < 30; ++i)
            cache.Add(*image, sources[i]);
        EXPECT_FALSE(folder.exists("~cche.idx"));
        cache.Add(*image, sources[30]);
        EXPECT_EQ(folder.read("~cche.idx"), (sources.join('\n') + '\n').toUtf8());
        EXPECT_EQ(cacheFiles(folder).size(), 31);
        // Saved as JPEG at quality 90: the first luminance table entry is (16 * 20 + 50) div 100.
        const QByteArray file = readAll(cache.FileName(sources[0]));
        const qsizetype dqt = file.indexOf(QByteArray::fromHex("FFDB004300"));
        ASSERT_GT(dqt, 0);
        EXPECT_EQ(int(file[dqt + 5]), 3);
        cache.Add(*image, sources[0]);
    }
    // At the end the index is saved again, with the re-added source last.
    const QStringList lines = QString::fromUtf8(folder.read("~cche.idx")).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 31);
    EXPECT_EQ(lines.last(), sources[0]);
}

TEST_F(ThumbCaches, TheOldestEntryIsEvictedWithItsFile)
{
    TempFolder folder;
    auto image = MakePatternImage(3, 3, bcn24Bit);
    TThumbDiskCache cache;
    cache.SetDirectory(folder.path());
    cache.SetMaxCacheCount(3);
    QStringList sources;
    for (int i = 0; i < 4; ++i)
        sources << folder.write(QStringLiteral("src/%1.bmp").arg(i), "x");
    for (int i = 0; i < 3; ++i)
        cache.Add(*image, sources[i]);
    // A hit makes the entry the most recent.
    TPixelGraphic hit;
    ASSERT_TRUE(cache.Get(cache.Find(sources[0]), hit));
    EXPECT_EQ(hit.Width(), 3);
    EXPECT_EQ(cache.Index(), QStringList({sources[1], sources[2], sources[0]}));
    const QString evicted = cache.FileName(sources[1]);
    cache.Add(*image, sources[3]);
    EXPECT_EQ(cache.Index(), QStringList({sources[2], sources[0], sources[3]}));
    EXPECT_FALSE(QFile::exists(evicted));
    EXPECT_EQ(cacheFiles(folder).size(), 3);

    // A lowered limit evicts until the index fits.
    cache.SetMaxCacheCount(1);
    const QString extra = folder.write("src/extra.bmp", "x");
    cache.Add(*image, extra);
    EXPECT_EQ(cache.Index(), QStringList({extra}));
    EXPECT_EQ(cacheFiles(folder), QStringList({QFileInfo(cache.FileName(extra)).fileName()}));
}

TEST_F(ThumbCaches, AnEditedSourceLeavesOneEntryAndNoOldFile)
{
    TempFolder folder;
    auto image = MakePatternImage(5, 5, bcn24Bit);
    const QString source = folder.write("photo.jpg", "x");
    const QString other = folder.write("other.jpg", "x");
    setTime(source, kNoon20200101);
    TThumbDiskCache cache;
    cache.SetDirectory(folder.path());
    cache.Add(*image, source);
    cache.Add(*image, other);
    const QString before = cache.FileName(source);
    setTime(source, kNoon20200101 + 3600);
    ASSERT_NE(cache.FileName(source), before);
    // The cache file of the old time is missed; the source is made again and added again.
    TPixelGraphic target;
    cache.Add(*image, source);
    EXPECT_EQ(cache.Index(), QStringList({other, source}));
    EXPECT_FALSE(QFile::exists(before));
    EXPECT_TRUE(QFile::exists(cache.FileName(source)));
    EXPECT_TRUE(QFile::exists(cache.FileName(other)));

    // A cache file that cannot be read loses its entry.
    writeAll(cache.FileName(other), "damaged");
    EXPECT_FALSE(cache.Get(cache.Find(other), target));
    EXPECT_EQ(cache.Index(), QStringList({source}));
    // A path that would break the index's lines is not cached.
    cache.Add(*image, folder.path() + "two\nlines.jpg");
    EXPECT_EQ(cache.Index(), QStringList({source}));
}

TEST_F(ThumbCaches, TheFolderSetter)
{
    TempFolder folder;
    const QString a = folder.path() + "a";
    const QString b = folder.path() + "made/on/demand";
    writeAll(folder.path() + "plain_file", "x");
    auto image = MakePatternImage(3, 3, bcn24Bit);
    const QString source = folder.write("s.bmp", "x");

    TThumbDiskCache cache;
    EXPECT_FALSE(cache.Active());
    cache.SetDirectory("  " + a + "  ");
    EXPECT_EQ(cache.Directory(), a + "/");
    EXPECT_TRUE(QFileInfo(a).isDir());
    cache.Add(*image, source);

    // The same folder again does not read the index again.
    writeAll(a + "/~cche.idx", "/elsewhere.jpg\n");
    cache.SetDirectory(a + "/");
    EXPECT_EQ(cache.Index(), QStringList({source}));

    // Another folder: the old index is saved, the new one made and empty.
    cache.SetDirectory(b);
    EXPECT_EQ(cache.Directory(), b + "/");
    EXPECT_EQ(readAll(a + "/~cche.idx"), (source + "\n").toUtf8());
    EXPECT_TRUE(cache.Index().isEmpty());

    // Back: its index is read (CR LF lines too).
    writeAll(a + "/~cche.idx", "/one.jpg\r\n/two.jpg\r\n");
    cache.SetDirectory(a);
    EXPECT_EQ(cache.Index(), QStringList({"/one.jpg", "/two.jpg"}));

    // A folder that cannot be made turns the cache off, quietly.
    cache.SetDirectory(folder.path() + "plain_file/sub");
    EXPECT_EQ(cache.Directory(), "");
    EXPECT_FALSE(cache.Active());
    cache.Add(*image, source);
    EXPECT_TRUE(cache.Index().isEmpty());

    // An empty index removes the index file when saved.
    cache.SetDirectory(b);
    writeAll(b + "/~cche.idx", "");
    cache.SaveIndex();
    EXPECT_FALSE(QFile::exists(b + "/~cche.idx"));
}

} // namespace
