#pragma once

#include "filestamp.h"

#include <QHash>
#include <QImage>
#include <QString>

#include <memory>
#include <vector>

class TPixelGraphic;

// Thumbnails kept in memory, overwritten in strict rotation (the oldest write goes first,
// whatever was used since). The slot count is fixed when the cache is made; MaxCacheCount
// (0 disables the cache) may lower the number of slots in use later. A slot keeps the
// source's path (case-sensitive) and stamp: a source changed since is a miss.
class TThumbMemoryCache {
public:
    explicit TThumbMemoryCache(int SlotCount);
    ~TThumbMemoryCache();
    TThumbMemoryCache(const TThumbMemoryCache&) = delete;
    TThumbMemoryCache& operator=(const TThumbMemoryCache&) = delete;

    int SlotCount() const { return slotCount_; }
    int MaxCacheCount() const { return maxCount_; }
    void SetMaxCacheCount(int Value) { maxCount_ = Value; }
    int NextSlot() const { return nextSlot_; }

    // The slot holding the path with this stamp, or -1.
    int Find(const QString& Path, const FileStamp& Stamp) const;
    // A copy of the slot's thumbnail; false when there is none or the copy failed.
    bool Get(int Slot, TPixelGraphic& Target) const;
    // The thumbnail ready to draw, as it was added (null when none was given).
    QImage Picture(int Slot) const;
    // Copies the thumbnail (and its picture) into the next slot; a failed copy leaves the slot
    // empty.
    void Add(TPixelGraphic& Image, const QString& Path, const FileStamp& Stamp, const QImage& Picture = {});
    // The path a slot holds ("" for an unused one).
    QString SlotPath(int Slot) const;

private:
    struct Slot;
    bool enabled() const { return maxCount_ > 0 && slotCount_ > 0; }

    int slotCount_;
    std::vector<Slot> slots_;
    QHash<QString, int> byPath_; // the slot each path was last written to
    int nextSlot_ = 0;
    int maxCount_ = 0;
};
