#include "imaging/palettes.h"
#include "imaging/pixelgraphic.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::vector<TColor> withSystemColors(std::vector<TColor> colors, int count)
{
    for (int i = 0; i < 16 && int(colors.size()) < count; ++i)
        colors.push_back(Sys16Palette()[std::size_t(i)]);
    return colors;
}

void fill(TPixelGraphic& g, int width, int height, TColor (*color)(int x, int y))
{
    g.Allocate(width, height, bcn24Bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            g.SetPixel(x, y, color(x, y));
}

TEST(ReduceColors, SingleColourGivesOneBoxMean)
{
    // (100, 50, 200) lies in cell (12, 12, 25), whose centre is (100, 50, 204).
    TPixelGraphic source, target;
    fill(source, 5, 3, [](int, int) { return RGBColor(100, 50, 200); });
    target.Allocate(5, 3, bcn8Bit);
    target.ReduceColorsFrom(source, 16, false);
    EXPECT_EQ(target.Palette(), (std::vector<TColor>{RGBColor(100, 50, 204)}));
    EXPECT_EQ(target.PaletteIdent(), pUnknown);
    target.ReduceColorsFrom(source, 252, true);
    EXPECT_EQ(target.Palette(), withSystemColors({RGBColor(100, 50, 204)}, 252));
    EXPECT_EQ(target.PaletteCount(), 17);
}

TEST(ReduceColors, BlackAndWhiteDrawingInTwoColours)
{
    // The whole cube splits once, along green (12 * 63 beats 16 * 31): the box means are the
    // centres of the black and the white cell.
    TPixelGraphic source, target;
    fill(source, 4, 4, [](int x, int y) { return (x + y) % 3 ? RGBColor(0, 0, 0) : RGBColor(255, 255, 255); });
    target.Allocate(4, 4, bcn1Bit);
    target.ReduceColorsFrom(source, 2, false);
    EXPECT_EQ(target.Palette(), (std::vector<TColor>{RGBColor(4, 2, 4), RGBColor(252, 254, 252)}));
}

TEST(ReduceColors, BoxMeanWeighsCellsByTheirCounts)
{
    // Three pixels of red 0 and one of red 8 (cells 0 and 1, centres 4 and 12) in one box:
    // (3 * 4 + 12 + 2) div 4 = 6. Asked for one colour, the box is never split.
    TPixelGraphic source, target;
    fill(source, 4, 1, [](int x, int) { return x == 3 ? RGBColor(8, 0, 0) : RGBColor(0, 0, 0); });
    target.Allocate(4, 1, bcn8Bit);
    target.ReduceColorsFrom(source, 1, false);
    EXPECT_EQ(target.Palette(), (std::vector<TColor>{RGBColor(6, 2, 4)}));
}

TEST(ReduceColors, FewerColoursThanAskedEndsWithoutLooping)
{
    TPixelGraphic source, target;
    fill(source, 3, 1, [](int x, int) { return RGBColor(x * 100, 0, 0); });
    target.Allocate(3, 1, bcn8Bit);
    target.ReduceColorsFrom(source, 252, false);
    // Red cells 0, 12 and 25: the first cut (at 12) keeps 0..12 and makes 25 a box of its own,
    // the second cut (at 6) separates 0 and 12; then no box can be split any more.
    EXPECT_EQ(target.Palette(), (std::vector<TColor>{RGBColor(4, 2, 4), RGBColor(204, 2, 4), RGBColor(100, 2, 4)}));
}

TEST(ReduceColors, PhotographFillsItsBoxesThenTheSystemColours)
{
    TPixelGraphic source, target;
    fill(source, 97, 61, [](int x, int y) { return RGBColor(x * 255 / 96, y * 255 / 60, (x * y) % 256); });
    target.Allocate(97, 61, bcn8Bit);
    int rows = 0;
    target.SetOnProgress([&](PGObject*, int done, int total, bool&) {
        EXPECT_EQ(done, rows++);
        EXPECT_EQ(total, 60);
    });
    target.ReduceColorsFrom(source, 252, true);
    EXPECT_EQ(rows, 61);
    ASSERT_EQ(target.PaletteCount(), 252);
    const auto& palette = target.Palette();
    EXPECT_EQ(std::vector<TColor>(palette.end() - 16, palette.end()),
              std::vector<TColor>(Sys16Palette().begin(), Sys16Palette().end()));
    // The pixels follow with the resampling, into the reduced palette.
    target.SetOnProgress(nullptr);
    target.StretchFrom(source);
    for (int y = 0; y < target.Height(); ++y)
        for (int x = 0; x < target.Width(); ++x)
            ASSERT_LT(target.GetPixel(x, y), 252u);
}

TEST(ReduceColors, AFullPaletteTakesNoSystemColoursOverItsLastEntry)
{
    // 300 asked with the system colours: 284 boxes are capped at 256, which leave no room.
    TPixelGraphic source, full, target;
    fill(source, 97, 61, [](int x, int y) { return RGBColor(x * 255 / 96, y * 255 / 60, (x * y) % 256); });
    full.Allocate(1, 1, bcn8Bit);
    full.ReduceColorsFrom(source, 256, false);
    ASSERT_EQ(full.PaletteCount(), 256);
    target.Allocate(1, 1, bcn8Bit);
    target.ReduceColorsFrom(source, 300, true);
    EXPECT_EQ(target.Palette(), full.Palette());
}

TEST(ReduceColors, AbortedScanGoesOnWithWhatWasCounted)
{
    TPixelGraphic source, target;
    fill(source, 2, 3, [](int, int y) { return y == 0 ? RGBColor(0, 0, 0) : RGBColor(255, 255, 255); });
    target.Allocate(2, 3, bcn8Bit);
    target.SetOnProgress([](PGObject*, int, int, bool& abort) { abort = true; });
    target.ReduceColorsFrom(source, 16, false);
    EXPECT_EQ(target.Palette(), (std::vector<TColor>{RGBColor(4, 2, 4)}));
}

TEST(ReduceColors, EmptySourceOrNoRoomGivesTheSystemColours)
{
    TPixelGraphic empty, target;
    target.Allocate(1, 1, bcn8Bit);
    target.ReduceColorsFrom(empty, 252, true);
    EXPECT_EQ(target.PaletteIdent(), pSys16);
    EXPECT_EQ(target.PaletteCount(), 16);
    target.SetPaletteIdent(pGray256);
    target.ReduceColorsFrom(empty, 4, false);
    EXPECT_EQ(target.Palette(), std::vector<TColor>(Sys16Palette().begin(), Sys16Palette().begin() + 4));
    TPixelGraphic source;
    fill(source, 2, 2, [](int, int) { return RGBColor(1, 2, 3); });
    target.ReduceColorsFrom(source, 16, true); // 16 - 16 = 0 colours of its own
    EXPECT_EQ(target.PaletteCount(), 16);
    EXPECT_EQ(target.PaletteIdent(), pSys16);
}

// ---- Palette sources: the octree ----

void paletteSource(TPixelGraphic& g, const std::vector<TColor>& palette, const std::vector<int>& pixels)
{
    g.Allocate(int(pixels.size()), 1, bcn8Bit);
    g.SetPaletteCount(int(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i)
        g.SetPaletteEntry(int(i), palette[i]);
    for (std::size_t x = 0; x < pixels.size(); ++x)
        g.SetPixel(int(x), 0, std::uint32_t(pixels[x]));
}

TEST(ReduceColors, OctreeMergesTheDeepestListedNode)
{
    // (0,0,0), (0,0,2), (0,0,3) share their path down to level 6, which is listed when the
    // third passes through it into an existing child. The fourth colour makes four leaves for
    // three wanted: the level-6 node becomes a leaf with the mean of its three colours, weighed
    // by use: blue (2 * 1 + 3 * 4) div 6 = 2.
    TPixelGraphic source, target;
    paletteSource(source, {RGBColor(0, 0, 0), RGBColor(0, 0, 2), RGBColor(0, 0, 3), RGBColor(255, 255, 255)},
                  {0, 1, 2, 2, 2, 2, 3});
    target.Allocate(7, 1, bcn8Bit);
    target.ReduceColorsFrom(source, 3, false);
    EXPECT_EQ(target.Palette(), (std::vector<TColor>{RGBColor(0, 0, 2), RGBColor(255, 255, 255)}));
}

TEST(ReduceColors, OctreeKeepsExactColoursWhenThereIsRoom)
{
    TPixelGraphic source, target;
    paletteSource(source, {RGBColor(200, 0, 0), RGBColor(0, 0, 0), RGBColor(9, 9, 9), RGBColor(1, 2, 3)},
                  {0, 1, 2, 3, 1, 40}); // 40 is past the palette: counts as entry 0
    target.Allocate(6, 1, bcn8Bit);
    target.ReduceColorsFrom(source, 20, true);
    // Leaves depth first, children 0..7: (0,0,0), (1,2,3), (9,9,9), (200,0,0); then system colours.
    EXPECT_EQ(target.Palette(), withSystemColors({RGBColor(0, 0, 0), RGBColor(1, 2, 3), RGBColor(9, 9, 9),
                                                  RGBColor(200, 0, 0)},
                                                 20));
}

TEST(ReduceColors, OctreeWithoutListedNodesMergesTheDeepestBranch)
{
    // Two colours that split at the root: no node is ever listed; one colour wanted merges the
    // root (the only branch), giving the use-weighted mean.
    TPixelGraphic source, target;
    paletteSource(source, {RGBColor(0, 0, 0), RGBColor(255, 255, 255)}, {0, 1, 1, 1});
    target.Allocate(4, 1, bcn8Bit);
    target.ReduceColorsFrom(source, 1, false);
    EXPECT_EQ(target.Palette(), (std::vector<TColor>{RGBColor(191, 191, 191)}));
}

TEST(ReduceColors, ManyPaletteColoursStayWithinTheCount)
{
    TPixelGraphic source, target;
    std::vector<TColor> palette;
    std::vector<int> pixels;
    for (int i = 0; i < 256; ++i) {
        palette.push_back(RGBColor((i * 37) % 256, (i * 91) % 256, (i * 13) % 256));
        pixels.push_back(i);
    }
    paletteSource(source, palette, pixels);
    target.Allocate(256, 1, bcn4Bit);
    target.ReduceColorsFrom(source, 16, false);
    EXPECT_GE(target.PaletteCount(), 1);
    EXPECT_LE(target.PaletteCount(), 16);
    // Reducing a palette image in place reads its colours before replacing them.
    source.ReduceColorsFrom(source, 256, false);
    EXPECT_EQ(std::set<TColor>(source.Palette().begin(), source.Palette().end()),
              std::set<TColor>(palette.begin(), palette.end()));
}

} // namespace
