// ColorToIndex: the palette index that stands for a colour, by palette ident.
#include "palettes.h"
#include "pgmessages.h"
#include "pixelgraphic.h"
#include "pixelgraphicstate.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>


namespace {

constexpr int kCellRed = 32, kCellGreen = 64, kCellBlue = 32;
constexpr int kCacheRadius = 4;

int cellOf(TColor c)
{
    return (RedOf(c) / 8) * 2048 + (GreenOf(c) / 4) * 32 + BlueOf(c) / 8;
}

// Levels of a channel in the 125-colour cube; 224 counts as 225 there.
int special125Level(int part)
{
    if (part == 224)
        part = 225;
    return (part + 31) / 64;
}

} // namespace

int TPixelGraphic::Intensity(TColor Color, bool Weighted)
{
    const int r = RedOf(Color), g = GreenOf(Color), b = BlueOf(Color);
    if (Weighted)
        return (299 * r + 587 * g + 114 * b) * 3 / 1000;
    return r + g + b;
}

std::uint32_t TPixelGraphic::ColorToIndex(TColor Color)
{
    Color &= 0xFFFFFF;
    if (!lastInvalid_ && Color == lastColor_)
        return lastIndex_;
    const std::uint32_t index = computeColorToIndex(Color);
    lastColor_ = Color;
    lastIndex_ = index;
    lastInvalid_ = false;
    return index;
}

std::uint32_t TPixelGraphic::computeColorToIndex(TColor Color)
{
    const int i = Intensity(Color, weightedGray_);
    const int r = RedOf(Color), g = GreenOf(Color), b = BlueOf(Color);
    switch (paletteIdent_) {
    case pNone:
        throw EPGNoPalette(PGLangStr(PgMsg::NoPalette));
    case pTrueColor:
        return Color;
    case pBlackWhite:
        return std::uint32_t((i + 1) / 384);
    case pSysGray4:
        return i < 193 ? 0 : i < 481 ? 1 : i < 671 ? 2 : 3;
    case pSys16:
        return std::uint32_t(NearestSys16(Color));
    case pGray4:
        return std::uint32_t((i + 127) / 255);
    case pGray16:
        return std::uint32_t((i + 25) / 51);
    case pGray236:
        return std::uint32_t(Gray236Index(i));
    case pGray256:
        return std::uint32_t((i + 1) / 3);
    case pSpecial125:
        return std::uint32_t(special125Level(r) * 25 + special125Level(g) * 5 + special125Level(b));
    case pSpecial216:
        return std::uint32_t((r + 24) / 51 * 36 + (g + 24) / 51 * 6 + (b + 24) / 51);
    case pSpecial252:
        return std::uint32_t(NearestSpecial252(Color));
    case pUnknown:
        return useColorCache_ ? cachedNearestEntry(Color) : nearestEntry(Color);
    case pOptimized252Sys16:
    case pSource:
        break;
    }
    return 0;
}

std::uint32_t TPixelGraphic::nearestEntry(TColor Color) const
{
    std::uint32_t best = 0;
    int bestDistance = INT32_MAX;
    for (std::size_t e = 0; e < palette_.size(); ++e) {
        const int d = ColorDistance(Color, palette_[e]);
        if (d < bestDistance) {
            bestDistance = d;
            best = std::uint32_t(e);
        }
    }
    return best;
}

std::uint32_t TPixelGraphic::cachedNearestEntry(TColor Color)
{
    if (!colorCache_) {
        colorCache_ = std::make_unique<ColorCache>();
        ColorCache& cache = *colorCache_;
        for (int d = 0; d <= kCacheRadius; ++d) {
            for (std::size_t e = 0; e < palette_.size(); ++e) {
                const int r0 = RedOf(palette_[e]) / 8, g0 = GreenOf(palette_[e]) / 4, b0 = BlueOf(palette_[e]) / 8;
                for (int dr = -d; dr <= d; ++dr) {
                    const int r = r0 + dr;
                    if (r < 0 || r >= kCellRed)
                        continue;
                    for (int dg = -d; dg <= d; ++dg) {
                        const int g = g0 + dg;
                        if (g < 0 || g >= kCellGreen)
                            continue;
                        for (int db = -d; db <= d; ++db) {
                            const int b = b0 + db;
                            if (b < 0 || b >= kCellBlue)
                                continue;
                            if (std::max({std::abs(dr), std::abs(dg), std::abs(db)}) != d)
                                continue; // only the cube's surface
                            const int cell = r * 2048 + g * 32 + b;
                            if (!cache.filled[cell]) {
                                cache.map[cell] = std::uint8_t(e);
                                cache.filled[cell] = true;
                            }
                        }
                    }
                }
            }
        }
    }
    ColorCache& cache = *colorCache_;
    const int cell = cellOf(Color);
    if (!cache.filled[cell]) {
        cache.map[cell] = std::uint8_t(nearestEntry(Color));
        cache.filled[cell] = true;
    }
    return cache.map[cell];
}

void TPixelGraphic::FreeColorCaches()
{
    colorCache_.reset();
}
