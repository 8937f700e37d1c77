#include "thumbmemorycache.h"

#include "imaging/pixelgraphic.h"

#include <algorithm>

struct TThumbMemoryCache::Slot {
    QString path;
    FileStamp stamp;
    bool used = false;
    std::unique_ptr<TPixelGraphic> image = std::make_unique<TPixelGraphic>();
    QImage picture;
};

TThumbMemoryCache::TThumbMemoryCache(int SlotCount)
    : slotCount_(std::max(0, SlotCount)), slots_(std::size_t(slotCount_)), maxCount_(SlotCount)
{
}

TThumbMemoryCache::~TThumbMemoryCache() = default;

int TThumbMemoryCache::Find(const QString& Path, const FileStamp& Stamp) const
{
    if (!enabled())
        return -1;
    const auto found = byPath_.constFind(Path);
    if (found == byPath_.cend())
        return -1;
    const Slot& slot = slots_[std::size_t(*found)];
    return slot.used && slot.stamp == Stamp ? *found : -1;
}

bool TThumbMemoryCache::Get(int Slot, TPixelGraphic& Target) const
{
    if (!enabled() || Slot < 0 || Slot >= SlotCount() || !slots_[std::size_t(Slot)].used)
        return false;
    try {
        Target.Assign(slots_[std::size_t(Slot)].image.get());
        return true;
    } catch (...) {
        return false;
    }
}

QImage TThumbMemoryCache::Picture(int Slot) const
{
    if (!enabled() || Slot < 0 || Slot >= SlotCount() || !slots_[std::size_t(Slot)].used)
        return {};
    return slots_[std::size_t(Slot)].picture;
}

void TThumbMemoryCache::Add(TPixelGraphic& Image, const QString& Path, const FileStamp& Stamp, const QImage& Picture)
{
    if (!enabled())
        return;
    if (nextSlot_ > maxCount_ - 1 || nextSlot_ >= SlotCount())
        nextSlot_ = 0;
    Slot& slot = slots_[std::size_t(nextSlot_)];
    if (slot.used && byPath_.value(slot.path, -1) == nextSlot_)
        byPath_.remove(slot.path);
    slot.used = false;
    slot.picture = Picture;
    try {
        slot.image->Assign(&Image);
        slot.path = Path;
        slot.stamp = Stamp;
        slot.used = true;
        byPath_.insert(Path, nextSlot_);
    } catch (...) {
    }
    ++nextSlot_;
}

QString TThumbMemoryCache::SlotPath(int Slot) const
{
    if (Slot < 0 || Slot >= SlotCount() || !slots_[std::size_t(Slot)].used)
        return {};
    return slots_[std::size_t(Slot)].path;
}
