#pragma once
// giflib as the independent reference of the GIF tests and the benchmark: it decodes our files
// and makes files for us to decode. Frames are plain index rows, top row first.

#include "imaging/pgtypes.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

struct ReferenceFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;          // as the file says; pixels are in row order either way
    std::vector<TColor> localMap;     // empty: none
    std::vector<std::uint8_t> pixels; // width * height indices, top row first
};

struct ReferenceGif {
    int width = 0, height = 0;
    std::vector<TColor> globalMap; // empty: none
    std::vector<ReferenceFrame> frames;
};

// giflib's reading of a whole file; none when giflib refuses it.
std::optional<ReferenceGif> GiflibDecode(const QByteArray& File);
// giflib's writing (maps must hold 2, 4, ..., 256 entries); an interlaced frame is handed to
// giflib in pass order.
QByteArray GiflibEncode(const ReferenceGif& Gif);
