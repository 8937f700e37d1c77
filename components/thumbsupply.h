#pragma once

#include "filestamp.h"
#include "thumbdiskcache.h"
#include "thumbmemorycache.h"
#include "thumbpool.h"

#include "platform/mounttable.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace platform {
class FileMask;
}

// Where the grid's pictures come from, without widgets. A picture is looked up in order in
// the memory cache, the disk cache and the file itself; the last two are read by the worker
// pool, and what they give arrives later (Updated). Cells on screen are served first, the
// ones just below next; a waiting job for anything else is dropped. A file that could not be
// made into a thumbnail is not tried again while its stamp stays the same. The caches are
// kept here, on the thread of the supply: workers never touch them. A file on a remote file
// system has no stamp here (taking one could wait on its server): it is always made afresh.
class ThumbSupply : public QObject {
    Q_OBJECT
public:
    enum class Picture {
        Pending,      // being made, or not asked for yet
        Thumbnail,    // the file's own
        NonSupported, // the picture for files outside the supported formats
        LoadError,    // the picture for files that could not be made
        Placeholder,  // nothing to show: the caption and an empty frame
    };
    struct View {
        Picture picture = Picture::Pending;
        QImage image; // for the thumbnail and the two stand-in pictures
    };

    explicit ThumbSupply(int MemorySlots, QObject* parent = nullptr);
    ~ThumbSupply() override;

    TThumbMemoryCache& MemoryCache() { return memory_; }
    TThumbDiskCache& DiskCache() { return disk_; }
    const TThumbDiskCache& DiskCache() const { return disk_; }
    ThumbPool& Pool() { return *pool_; }

    // The thumbnail box; HalfSize: the box is half the size and the thumbnail twice the
    // fitted size. A change starts afresh.
    void SetBox(int ThumbWidth, int ThumbHeight, bool HalfSize);
    // The largest JPEG reduction (1 decodes at full size).
    void SetMaxJpegScale(int Scale);
    // File patterns whose files get thumbnails ("" for all), and the two stand-in pictures.
    void SetSupportedFormats(const QString& Patterns);
    void SetLoadErrorThumb(const QString& Path);
    void SetNonSupportedFormatThumb(const QString& Path);

    // A new fill: forgets what is shown, drops waiting jobs and stops running ones.
    void Reset();
    // The paths on screen, then those just below.
    void Want(const QStringList& Visible, const QStringList& Ahead);
    View Show(const QString& Path) const;

signals:
    void Updated(const QString& Path);

private:
    enum class JobKind { Source, CacheFile, StandIn };
    struct Entry;
    struct Job;
    struct StandIn;

    void ensure(const QString& Path, int Priority);
    void resolve(const QString& Path, Entry& e, int Priority);
    bool fromMemory(const QString& Path, Entry& e);
    void failed(Entry& e);
    void useStandIn(Entry& e, const QString& Path, Picture Kind);
    void queue(JobKind Kind, const QString& Path, const QString& File, int Priority);
    void finished(int Id, const ThumbResult& Result);
    void acceptStandIn(const QString& Path, const QImage& Image);
    void trim(const QSet<QString>& Wanted);
    ThumbRequest request(const QString& File) const;

    platform::ProcMountWatcher mounts_;
    TThumbMemoryCache memory_;
    TThumbDiskCache disk_;
    std::unique_ptr<ThumbPool> pool_;
    QHash<QString, Entry> entries_;
    QHash<int, Job> jobs_;
    QHash<QString, StandIn> standIns_;
    QHash<QString, FileStamp> failures_;
    std::unique_ptr<platform::FileMask> supported_;
    QString loadErrorThumb_;
    QString nonSupportedThumb_;
    int thumbWidth_ = 90;
    int thumbHeight_ = 75;
    bool halfSize_ = false;
    int maxJpegScale_ = 8;
    int nextJob_ = 1;
};
