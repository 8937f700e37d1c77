#pragma once
// The thumbnail grid as the grid benchmarks use it.

#include <QString>
#include <QStringList>

#include <memory>

class TLmThumbGrid;

// A 1024 x 768 grid of large icons taking every readable format, shown and settled (its first
// showing and the font's first use are not part of a fill).
std::unique_ptr<TLmThumbGrid> MakeBenchGrid(const QString& CacheFolder, int MemorySlots, int DiskSlots);

// Count photo-like 4000 x 3000 JPEGs in Folder ("photo00.jpg" on), made once and kept.
QStringList WriteBenchPhotos(const QString& Folder, int Count);
