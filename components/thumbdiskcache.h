#pragma once

#include "filestamp.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class TPixelGraphic;

// The name parts of a cached thumbnail, over the path's UTF-8 bytes taken as unsigned.
// h = first byte, then h * 31 + each further byte (32 bits, wrapping); the low 27 bits.
std::uint32_t HashCachePath(const QString& Path);
// The bytes, zero-padded in front to a multiple of 4, summed as little-endian 32-bit words
// (wrapping); the high half XOR the low half.
std::uint16_t PathChecksum(const QString& Path);
// The modification time as a day number (days since 1899-12-30 UTC, the time of day as the
// fraction) with 5 decimals, less its first two characters and its "." ("83150000" for
// 2020-01-01 12:00); "" without a time.
QString DiskCacheDateText(const std::optional<FileStamp>& Stamp);

// Thumbnails kept as files in a folder, with an index of their source paths in
// least-recently-used order (entry 0 the oldest) in the folder's "~cche.idx". Active while
// MaxCacheCount > 0 and a folder is set. Failures are misses: nothing here raises. Files are
// replaced whole but not forced to the disk: a cache file lost in a crash is only a miss.
class TThumbDiskCache {
public:
    static constexpr QLatin1StringView IndexFileName{"~cche.idx"};
    // More unsaved additions than this write the index.
    static constexpr int UnsavedAddsLimit = 30;
    static constexpr int CacheJpegQuality = 90;

    TThumbDiskCache() = default;
    ~TThumbDiskCache(); // saves the index
    TThumbDiskCache(const TThumbDiskCache&) = delete;
    TThumbDiskCache& operator=(const TThumbDiskCache&) = delete;

    int MaxCacheCount() const { return maxCount_; }
    void SetMaxCacheCount(int Value) { maxCount_ = Value; }
    // Extension with its dot (".jpg"): the format the thumbnails are saved in.
    const QString& SaveFormat() const { return saveFormat_; }
    void SetSaveFormat(const QString& Value) { saveFormat_ = Value; }
    // The folder with one trailing "/", or "". A folder that does not exist is made; when
    // that fails the folder becomes "". A different folder saves the old one's index and
    // reads its own (an empty index when it has none).
    const QString& Directory() const { return directory_; }
    void SetDirectory(const QString& Value);
    bool Active() const { return maxCount_ > 0 && !directory_.isEmpty(); }

    const QStringList& Index() const { return index_; }
    // The cache file of a source as it is now: "~x" + hash + date text + "F" + checksum +
    // the save format, in the folder.
    QString FileName(const QString& Path) const;
    QString FileName(const QString& Path, const std::optional<FileStamp>& Stamp) const;
    // Position of the path in the index (case-sensitive), -1 when absent or inactive.
    int Find(const QString& Path) const;
    // Loads the cache file of an index entry and makes the entry the most recent; a file that
    // cannot be loaded loses its entry. Used, Forget: the two outcomes for a load made elsewhere.
    bool Get(int Position, TPixelGraphic& Target);
    void Used(const QString& Path);
    void Forget(const QString& Path);
    // Saves the thumbnail as the path's cache file and makes it the newest entry, replacing
    // the path's older entries and files; evicts the oldest entries while over the limit.
    void Add(TPixelGraphic& Image, const QString& Path);
    // Drops entry 0 and every cache file of its path.
    void EvictOldest();
    void SaveIndex();
    void LoadIndex();

private:
    void removeEntriesOf(const QString& Path);
    void removeFilesOf(const QString& Path) const;

    QString directory_;
    QString saveFormat_ = QStringLiteral(".jpg");
    QStringList index_;
    int maxCount_ = 300;
    int unsavedAdds_ = 0;
};
