#include "palettes.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr TColor fromRGB(std::uint32_t rrggbb)
{
    return RGBColor(int(rrggbb >> 16), int(rrggbb >> 8), int(rrggbb));
}

template <std::size_t N> constexpr std::array<TColor, N> fromRGBList(const std::uint32_t (&list)[N])
{
    std::array<TColor, N> colors{};
    for (std::size_t i = 0; i < N; ++i)
        colors[i] = fromRGB(list[i]);
    return colors;
}

constexpr std::uint32_t kSys16RGB[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

constexpr std::uint32_t kSpecial252RGB[252] = {
0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 
0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF, 0x000040, 0x0000C0, 0x004000, 0x004040, 
0x004080, 0x0040C0, 0x0040FF, 0x008040, 0x0080C0, 0x0080FF, 0x00C000, 0x00C040, 0x00C080, 0x00C0C0, 
0x00C0FF, 0x00FF40, 0x00FF80, 0x00FFC0, 0x400000, 0x400040, 0x400080, 0x4000C0, 0x4000FF, 0x404000, 
0x404040, 0x404080, 0x4040C0, 0x4040FF, 0x408000, 0x408040, 0x408080, 0x4080C0, 0x4080FF, 0x40C000, 
0x40C040, 0x40C080, 0x40C0C0, 0x40C0FF, 0x40FF00, 0x40FF40, 0x40FF80, 0x40FFC0, 0x40FFFF, 0x800040, 
0x8000C0, 0x8000FF, 0x804000, 0x804040, 0x804080, 0x8040C0, 0x8040FF, 0x808040, 0x8080C0, 0x8080FF, 
0x80C000, 0x80C040, 0x80C080, 0x80C0C0, 0x80C0FF, 0x80FF00, 0x80FF40, 0x80FF80, 0x80FFC0, 0x80FFFF, 
0xC00000, 0xC00040, 0xC00080, 0xC000C0, 0xC000FF, 0xC04000, 0xC04040, 0xC04080, 0xC040C0, 0xC040FF, 
0xC08000, 0xC08040, 0xC08080, 0xC080C0, 0xC080FF, 0xC0C000, 0xC0C040, 0xC0C080, 0xC0C0FF, 0xC0FF00, 
0xC0FF40, 0xC0FF80, 0xC0FFC0, 0xC0FFFF, 0xFF0040, 0xFF0080, 0xFF00C0, 0xFF4000, 0xFF4040, 0xFF4080, 
0xFF40C0, 0xFF40FF, 0xFF8000, 0xFF8040, 0xFF8080, 0xFF80C0, 0xFF80FF, 0xFFC000, 0xFFC040, 0xFFC080, 
0xFFC0C0, 0xFFC0FF, 0xFFFF40, 0xFFFF80, 0xFFFFC0, 0x202020, 0x606060, 0xA0A0A0, 0xE0E0E0, 0xFFE0FF, 
0xE0E0FF, 0xE0FFFF, 0xE0FFE0, 0xFFFFE0, 0xFFE0E0, 0xFFC0E0, 0xE0C0FF, 0xC0E0FF, 0xC0FFE0, 0xE0FFC0, 
0xFFE0C0, 0xE0C0E0, 0xC0C0E0, 0xC0E0E0, 0xC0E0C0, 0xE0E0C0, 0xE0C0C0, 0xFFA0C0, 0xFFA0E0, 0xFFA0FF, 
0xE0A0FF, 0xC0A0FF, 0xA0A0FF, 0xA0C0FF, 0xA0E0FF, 0xA0FFFF, 0xA0FFE0, 0xA0FFC0, 0xA0FFA0, 0xC0FFA0, 
0xE0FFA0, 0xFFFFA0, 0xFFE0A0, 0xFFC0A0, 0xFFA0A0, 0xE0A0C0, 0xE0A0E0, 0xC0A0E0, 0xA0A0E0, 0xA0C0E0, 
0xA0E0E0, 0xA0E0C0, 0xA0E0A0, 0xC0E0A0, 0xE0E0A0, 0xE0C0A0, 0xE0A0A0, 0xFF80A0, 0xFF80E0, 0xE080FF, 
0xA080FF, 0x80A0FF, 0x80E0FF, 0x80FFE0, 0x80FFA0, 0xA0FF80, 0xE0FF80, 0xFFE080, 0xFFA080, 0xC0A0C0, 
0xA0A0C0, 0xA0C0C0, 0xA0C0A0, 0xC0C0A0, 0xC0A0A0, 0xE080A0, 0xE080C0, 0xE080E0, 0xC080E0, 0xA080E0, 
0x8080E0, 0x80A0E0, 0x80C0E0, 0x80E0E0, 0x80E0C0, 0x80E0A0, 0x80E080, 0xA0E080, 0xC0E080, 0xE0E080, 
0xE0C080, 0xE0A080, 0xE08080, 0xFF6080, 0xFF60A0, 0xFF60C0, 0xFF60E0, 0xFF60FF, 0xE060FF, 0xC060FF, 
0xA060FF, 0x8060FF, 0x6060FF, 0x6080FF, 0x60A0FF, 0x60C0FF, 0x60E0FF, 0x60FFFF, 0x60FFE0, 0x60FFC0, 
0x60FFA0, 0x60FF80, 0x60FF60, 0x80FF60, 0xA0FF60, 0xC0FF60, 0xE0FF60, 0xFFFF60, 0xFFE060, 0xFFC060, 
0xFFA060, 0xFF8060, 0xFF6060, 0xC080A0, 0xA080C0, 0x80A0C0, 0x80C0A0, 0xA0C080, 0xC0A080, 0xE06080, 
0xE060A0, 0xE060C0, 
};

constexpr auto kSys16 = fromRGBList(kSys16RGB);
constexpr auto kSpecial252 = fromRGBList(kSpecial252RGB);

std::vector<TColor> grays(int count, int (*level)(int))
{
    std::vector<TColor> colors(count);
    for (int i = 0; i < count; ++i)
        colors[i] = RGBColor(level(i), level(i), level(i));
    return colors;
}

// Levels 0..Steps of a colour cube, index r * Steps² + g * Steps + b.
std::vector<TColor> colorCube(int steps, int (*level)(int))
{
    std::vector<TColor> colors;
    colors.reserve(steps * steps * steps);
    for (int r = 0; r < steps; ++r)
        for (int g = 0; g < steps; ++g)
            for (int b = 0; b < steps; ++b)
                colors.push_back(RGBColor(level(r), level(g), level(b)));
    return colors;
}

// A cell of colour space: each channel runs over [low, high].
struct Cell {
    int low[3];
    int high[3];
};

int channel(TColor c, int k)
{
    return int((c >> (8 * k)) & 0xFF);
}

// Squared distance from an entry to the nearest and the farthest colour of a cell.
int nearestInCell(TColor e, const Cell& cell)
{
    int sum = 0;
    for (int k = 0; k < 3; ++k) {
        const int v = channel(e, k);
        const int d = v < cell.low[k] ? cell.low[k] - v : v > cell.high[k] ? v - cell.high[k] : 0;
        sum += d * d;
    }
    return sum;
}

int farthestInCell(TColor e, const Cell& cell)
{
    int sum = 0;
    for (int k = 0; k < 3; ++k) {
        const int v = channel(e, k);
        const int d = std::max(v - cell.low[k], cell.high[k] - v);
        sum += d * d;
    }
    return sum;
}

// Every entry that can be the nearest one for some colour of the cell, in index order: an
// entry is left out only when another one is nearer for every colour of the cell.
std::vector<std::uint8_t> candidatesFor(std::span<const TColor> palette, const Cell& cell)
{
    int bound = INT32_MAX;
    for (TColor e : palette)
        bound = std::min(bound, farthestInCell(e, cell));
    std::vector<std::uint8_t> list;
    for (std::size_t i = 0; i < palette.size(); ++i)
        if (nearestInCell(palette[i], cell) <= bound)
            list.push_back(std::uint8_t(i));
    return list;
}

// Cells of `Steps` per channel; cell k of a channel covers [k * Width - Offset, k * Width - Offset + Width - 1].
class CandidateTable {
public:
    CandidateTable(std::span<const TColor> palette, int steps, int width, int offset)
        : palette_(palette), steps_(steps), width_(width), offset_(offset)
    {
        cells_.resize(steps * steps * steps);
        for (int r = 0; r < steps; ++r)
            for (int g = 0; g < steps; ++g)
                for (int b = 0; b < steps; ++b) {
                    Cell cell{};
                    const int ks[3] = {r, g, b};
                    for (int k = 0; k < 3; ++k) {
                        cell.low[k] = std::clamp(ks[k] * width - offset, 0, 255);
                        cell.high[k] = std::clamp(ks[k] * width - offset + width - 1, 0, 255);
                    }
                    cells_[(r * steps + g) * steps + b] = candidatesFor(palette, cell);
                }
    }

    // The first candidate, replaced by each later one only when strictly nearer.
    int nearest(TColor color) const
    {
        auto cellOf = [&](int v) { return (v + offset_) / width_; };
        const auto& list = cells_[(cellOf(RedOf(color)) * steps_ + cellOf(GreenOf(color))) * steps_
                                  + cellOf(BlueOf(color))];
        int best = list.front();
        int bestDistance = ColorDistance(color, palette_[best]);
        for (std::size_t i = 1; i < list.size(); ++i) {
            const int d = ColorDistance(color, palette_[list[i]]);
            if (d < bestDistance) {
                best = list[i];
                bestDistance = d;
            }
        }
        return best;
    }

private:
    std::span<const TColor> palette_;
    int steps_, width_, offset_;
    std::vector<std::vector<std::uint8_t>> cells_;
};

} // namespace

std::span<const TColor, 16> Sys16Palette()
{
    return kSys16;
}

std::span<const TColor, 252> Special252Palette()
{
    return kSpecial252;
}

int Gray236Level(int i)
{
    return (i * 510 + 235) / 470; // never a tie: i * 255 / 235 is never a half
}

std::optional<std::vector<TColor>> FixedPalette(TPaletteIdent Ident)
{
    switch (Ident) {
    case pNone:
    case pTrueColor:
        return std::vector<TColor>();
    case pBlackWhite:
        return std::vector<TColor>{RGBColor(0, 0, 0), RGBColor(255, 255, 255)};
    case pSysGray4:
        return std::vector<TColor>{RGBColor(0, 0, 0), RGBColor(128, 128, 128), RGBColor(192, 192, 192),
                                   RGBColor(255, 255, 255)};
    case pSys16:
        return std::vector<TColor>(kSys16.begin(), kSys16.end());
    case pGray4:
        return grays(4, [](int i) { return i * 255 / 3; });
    case pGray16:
        return grays(16, [](int i) { return i * 255 / 15; });
    case pGray236:
        return grays(236, Gray236Level);
    case pGray256:
        return grays(256, [](int i) { return i; });
    case pSpecial125:
        return colorCube(5, [](int k) { return (k * 255 + 3) / 4; });
    case pSpecial216:
        return colorCube(6, [](int k) { return (k * 255 + 4) / 5; });
    case pSpecial252:
        return std::vector<TColor>(kSpecial252.begin(), kSpecial252.end());
    case pUnknown:
    case pOptimized252Sys16:
    case pSource:
        break;
    }
    return std::nullopt;
}

int ColorDistance(TColor a, TColor b)
{
    const int dr = RedOf(a) - RedOf(b);
    const int dg = GreenOf(a) - GreenOf(b);
    const int db = BlueOf(a) - BlueOf(b);
    return dr * dr + dg * dg + db * db;
}

int NearestSys16(TColor Color)
{
    // Cells of 64 levels per channel: (R div 64) * 16 + (G div 64) * 4 + B div 64.
    static const CandidateTable table(kSys16, 4, 64, 0);
    return table.nearest(Color);
}

int NearestSpecial252(TColor Color)
{
    // Cells ((R + 16) div 32) * 81 + ((G + 16) div 32) * 9 + (B + 16) div 32.
    static const CandidateTable table(kSpecial252, 9, 32, 16);
    return table.nearest(Color);
}

int Gray236Index(int Intensity)
{
    static const std::array<std::uint8_t, 766> table = [] {
        std::array<std::uint8_t, 766> t{};
        for (int intensity = 0; intensity < 766; ++intensity) {
            int best = 0;
            for (int i = 1; i < 236; ++i)
                if (std::abs(3 * Gray236Level(i) - intensity) < std::abs(3 * Gray236Level(best) - intensity))
                    best = i;
            t[intensity] = std::uint8_t(best);
        }
        return t;
    }();
    return table[std::clamp(Intensity, 0, 765)];
}
