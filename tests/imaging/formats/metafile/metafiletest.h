#pragma once
// Helpers of the metafile tests: brushes, frames and sample checks of made metafiles.

#include "fixtures.h"
#include "imaging/pixelgraphic.h"
#include "tests/imaging/imagingtest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

constexpr std::int64_t kNullPen = 0x80000008;

// A solid brush in the lowest free slot, selected and its slot freed again; the null pen.
inline WmfRecords& wmfFill(WmfRecords& r, TColor Color)
{
    r.Add(0x02FC, {0, int(Color & 0xFFFF), int(Color >> 16), 0}).Add(0x012D, {0}).Add(0x01F0, {0});
    return r.Add(0x02FA, {5, 0, 0, 0, 0}).Add(0x012D, {0}).Add(0x01F0, {0});
}

inline WmfRecords& wmfRect(WmfRecords& r, int Left, int Top, int Right, int Bottom)
{
    return r.Add(0x041B, {Bottom, Right, Top, Left});
}

// A placeable Windows metafile of 100 x 100 pixels (box 100 x 100 at 96 per inch).
inline QByteArray placeable100(const WmfRecords& r, int Objects = 2)
{
    return PlaceableHeader(0, 0, 100, 100, 96) + r.Metafile(Objects);
}

// A solid brush in Slot, selected, and the null pen.
inline EmfRecords& emfFill(EmfRecords& r, TColor Color, std::uint32_t Slot = 1)
{
    return r.Add(39, {Slot, 0, Color, 0}).Add(37, {Slot}).Add(37, {kNullPen});
}

// A 96 x 96 enhanced metafile frame, one device pixel per output pixel.
inline EmfFrame square96(std::uint16_t Handles = 2)
{
    EmfFrame frame;
    frame.frame[3] = 2540;
    frame.handles = Handles;
    return frame;
}

struct Sample {
    int x, y;
    TColor color;
};

inline void expectSamples(TPixelGraphic& Image, const std::vector<Sample>& Samples, const char* Name)
{
    for (const Sample& s : Samples)
        EXPECT_EQ(Image.GetPixelColor(s.x, s.y), s.color) << Name << " at " << s.x << ", " << s.y;
}

struct DamagedEmfRecord {
    const char* name;
    std::uint32_t type;
    QByteArray body;
};
struct DamagedWmfRecord {
    const char* name;
    std::function<void(WmfRecords&)> damage;
};

// Each damaged record comes before a red rectangle in (20, 20, 80, 80) that must still show.
inline void expectDamagedRecordsSkipped(const std::vector<DamagedEmfRecord>& Enhanced,
                                        const std::vector<DamagedWmfRecord>& Windows)
{
    constexpr TColor red = RGBColor(255, 0, 0), white = RGBColor(255, 255, 255);
    for (const DamagedEmfRecord& c : Enhanced) {
        EmfRecords records;
        emfFill(records, red);
        records.Add(c.type, c.body).Add(43, {20, 20, 80, 80});
        TPixelGraphic image;
        LoadBytes(image, records.Metafile(square96()));
        expectSamples(image, {{50, 50, red}, {10, 10, white}}, c.name);
    }
    for (const DamagedWmfRecord& c : Windows) {
        WmfRecords records;
        wmfFill(records, red);
        c.damage(records);
        wmfRect(records, 20, 20, 80, 80);
        TPixelGraphic image;
        LoadBytes(image, placeable100(records, 4));
        expectSamples(image, {{50, 50, red}, {10, 10, white}}, c.name);
    }
}
