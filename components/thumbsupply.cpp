#include "thumbsupply.h"

#include "imaging/pixelgraphic.h"
#include "platform/filemask.h"
#include "platform/paths.h"

#include <QSet>

struct ThumbSupply::Entry {
    Picture picture = Picture::Pending;
    QImage image;
    std::optional<FileStamp> stamp;
    int job = 0;               // the job making it
    QString standIn;           // the stand-in picture it waits for
    Picture standInKind = Picture::Placeholder;
};

struct ThumbSupply::Job {
    JobKind kind;
    QString path;              // the source (or the stand-in picture's file)
    int priority;
};

struct ThumbSupply::StandIn {
    bool done = false;
    QImage image;              // null when it could not be made
};

namespace {

// Entries kept beyond the ones wanted, so that scrolling back finds them.
constexpr int kKeptEntries = 512;

} // namespace

ThumbSupply::ThumbSupply(int MemorySlots, QObject* parent)
    : QObject(parent), memory_(MemorySlots), pool_(std::make_unique<ThumbPool>())
{
    connect(pool_.get(), &ThumbPool::Finished, this, &ThumbSupply::finished);
}

ThumbSupply::~ThumbSupply()
{
    pool_.reset(); // the workers stop before the caches go
}

void ThumbSupply::SetBox(int ThumbWidth, int ThumbHeight, bool HalfSize)
{
    if (ThumbWidth == thumbWidth_ && ThumbHeight == thumbHeight_ && HalfSize == halfSize_)
        return;
    thumbWidth_ = ThumbWidth;
    thumbHeight_ = ThumbHeight;
    halfSize_ = HalfSize;
    standIns_.clear();
    Reset();
}

void ThumbSupply::SetMaxJpegScale(int Scale)
{
    maxJpegScale_ = Scale;
    Reset();
}

void ThumbSupply::SetSupportedFormats(const QString& Patterns)
{
    supported_ = Patterns.isEmpty() ? nullptr : std::make_unique<platform::FileMask>(Patterns);
    Reset();
}

void ThumbSupply::SetLoadErrorThumb(const QString& Path)
{
    loadErrorThumb_ = Path;
    Reset();
}

void ThumbSupply::SetNonSupportedFormatThumb(const QString& Path)
{
    nonSupportedThumb_ = Path;
    Reset();
}

void ThumbSupply::Reset()
{
    pool_->CancelAll();
    jobs_.clear();
    entries_.clear();
    standIns_.removeIf([](const auto& standIn) { return !standIn.value().done; });
}

void ThumbSupply::Want(const QStringList& Visible, const QStringList& Ahead)
{
    QSet<QString> wanted;
    for (const QString& path : Visible) {
        wanted.insert(path);
        ensure(path, 0);
    }
    for (const QString& path : Ahead) {
        wanted.insert(path);
        ensure(path, 1);
    }
    const std::vector<int> dropped = pool_->Drop([&](int id) {
        const auto job = jobs_.constFind(id);
        return job != jobs_.cend() && job->kind != JobKind::StandIn && !wanted.contains(job->path);
    });
    for (int id : dropped)
        entries_.remove(jobs_.take(id).path); // looked up afresh when it shows again
    trim(wanted);
}

ThumbSupply::View ThumbSupply::Show(const QString& Path) const
{
    const auto found = entries_.constFind(Path);
    if (found == entries_.cend())
        return {};
    return {found->picture, found->image};
}

void ThumbSupply::ensure(const QString& Path, int Priority)
{
    const auto found = entries_.find(Path);
    if (found == entries_.end()) {
        resolve(Path, entries_[Path], Priority);
        return;
    }
    if (found->job != 0)
        pool_->Promote(found->job, Priority);
}

void ThumbSupply::resolve(const QString& Path, Entry& e, int Priority)
{
    const bool remote = mounts_.table().reach(Path).remote;
    if (!remote) {
        e.stamp = StampOf(Path);
        if (!e.stamp) // gone, a folder, or not to be read
            return failed(e);
        if (const auto failure = failures_.constFind(Path); failure != failures_.cend() && *failure == *e.stamp)
            return failed(e);
    }
    if (supported_ && !supported_->matches(platform::extractFileName(Path))) {
        if (nonSupportedThumb_.isEmpty())
            return failed(e);
        return useStandIn(e, nonSupportedThumb_, Picture::NonSupported);
    }
    if (remote) // no cache knows it without a stamp
        return queue(JobKind::Source, Path, Path, Priority);
    if (fromMemory(Path, e))
        return;
    if (disk_.Find(Path) >= 0)
        return queue(JobKind::CacheFile, Path, disk_.FileName(Path, e.stamp), Priority);
    queue(JobKind::Source, Path, Path, Priority);
}

bool ThumbSupply::fromMemory(const QString& Path, Entry& e)
{
    const int slot = memory_.Find(Path, *e.stamp);
    if (slot < 0)
        return false;
    // One made for this box is drawn as it is; another is fitted and resampled like a
    // loaded picture.
    const ThumbRequest box = request({});
    const QImage picture = memory_.Picture(slot);
    const std::optional<QRect> fitted = FitThumbnailRect(picture.width(), picture.height(), box.boxWidth, box.boxHeight);
    if (fitted && fitted->size() * box.factor == picture.size()) {
        e.image = picture;
    } else {
        TPixelGraphic cached;
        if (!memory_.Get(slot, cached))
            return false;
        try {
            const auto thumbnail = FitThumbnail(cached, box.boxWidth, box.boxHeight, box.factor);
            if (!thumbnail)
                return false;
            e.image = thumbnail->ToQImage();
        } catch (...) {
            return false;
        }
    }
    e.picture = Picture::Thumbnail;
    return true;
}

void ThumbSupply::failed(Entry& e)
{
    if (loadErrorThumb_.isEmpty()) {
        e.picture = Picture::Placeholder;
        e.image = {};
        return;
    }
    useStandIn(e, loadErrorThumb_, Picture::LoadError);
}

void ThumbSupply::useStandIn(Entry& e, const QString& Path, Picture Kind)
{
    const auto found = standIns_.constFind(Path);
    if (found != standIns_.cend() && found->done) {
        e.picture = found->image.isNull() ? Picture::Placeholder : Kind;
        e.image = found->image;
        return;
    }
    e.picture = Picture::Pending;
    e.standIn = Path;
    e.standInKind = Kind;
    if (found == standIns_.cend()) {
        standIns_.insert(Path, {});
        queue(JobKind::StandIn, Path, Path, 0);
    }
}

void ThumbSupply::queue(JobKind Kind, const QString& Path, const QString& File, int Priority)
{
    const int id = nextJob_++;
    jobs_.insert(id, {Kind, Path, Priority});
    if (Kind != JobKind::StandIn)
        entries_[Path].job = id;
    pool_->Submit(id, request(File), Priority);
}

ThumbRequest ThumbSupply::request(const QString& File) const
{
    ThumbRequest r;
    r.path = File;
    r.boxWidth = halfSize_ ? thumbWidth_ / 2 : thumbWidth_;
    r.boxHeight = halfSize_ ? thumbHeight_ / 2 : thumbHeight_;
    r.factor = halfSize_ ? 2 : 1;
    r.scaleBoxWidth = thumbWidth_;
    r.scaleBoxHeight = thumbHeight_;
    r.maxJpegScale = maxJpegScale_;
    return r;
}

void ThumbSupply::finished(int Id, const ThumbResult& Result)
{
    const auto found = jobs_.constFind(Id);
    if (found == jobs_.cend())
        return; // from before a reset, or dropped
    const Job job = jobs_.take(Id);
    if (job.kind == JobKind::StandIn)
        return acceptStandIn(job.path, Result.thumbnail ? Result.picture : QImage());
    const auto entry = entries_.find(job.path);
    if (entry == entries_.end() || entry->job != Id)
        return;
    Entry& e = *entry;
    e.job = 0;
    if (Result.thumbnail) {
        e.picture = Picture::Thumbnail;
        e.image = Result.picture;
        if (job.kind == JobKind::CacheFile) {
            disk_.Used(job.path);
        } else if (e.stamp) {
            memory_.Add(*Result.thumbnail, job.path, *e.stamp, Result.picture);
            disk_.Add(*Result.thumbnail, job.path);
        }
    } else if (job.kind == JobKind::CacheFile) {
        disk_.Forget(job.path);
        return queue(JobKind::Source, job.path, job.path, job.priority);
    } else {
        if (e.stamp)
            failures_.insert(job.path, *e.stamp);
        failed(e);
    }
    emit Updated(job.path);
}

void ThumbSupply::acceptStandIn(const QString& Path, const QImage& Image)
{
    standIns_[Path] = {true, Image};
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        Entry& e = it.value();
        if (e.picture != Picture::Pending || e.standIn != Path)
            continue;
        e.standIn.clear();
        e.picture = Image.isNull() ? Picture::Placeholder : e.standInKind;
        e.image = Image;
        emit Updated(it.key());
    }
}

void ThumbSupply::trim(const QSet<QString>& Wanted)
{
    if (entries_.size() <= std::max<qsizetype>(kKeptEntries, 4 * Wanted.size()))
        return;
    entries_.removeIf([&](const auto& entry) {
        const Entry& e = entry.value();
        return e.job == 0 && e.standIn.isEmpty() && !Wanted.contains(entry.key());
    });
}
