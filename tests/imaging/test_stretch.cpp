// Golden vectors of the resampling, worked out by hand from its integer formulas (every
// division truncates toward zero).
#include "imaging/pixelgraphic.h"

#include <gtest/gtest.h>

namespace {

// A one-row 24-bit image with the given colours.
void fillRow(TPixelGraphic& g, const std::vector<TColor>& colors)
{
    g.Allocate(int(colors.size()), 1, bcn24Bit);
    for (int x = 0; x < int(colors.size()); ++x)
        g.SetPixel(x, 0, colors[std::size_t(x)]);
}

std::vector<TColor> pixelRow(TPixelGraphic& g, int y = 0)
{
    std::vector<TColor> colors;
    for (int x = 0; x < g.Width(); ++x)
        colors.push_back(g.GetPixelColor(x, y));
    return colors;
}

std::vector<TColor> stretchRow(const std::vector<TColor>& source, int width, TStretchMode mode)
{
    TPixelGraphic s, t;
    fillRow(s, source);
    t.Allocate(width, 1, bcn24Bit);
    t.SetStretchMode(mode);
    t.StretchFrom(s);
    return pixelRow(t);
}

TColor red(int r)
{
    return RGBColor(r, 0, 0);
}

TEST(Stretch, AreaAverageDownscalingTruncates)
{
    // 4 -> 3, smPrecise (area, divisor 4): column 0 takes sources 0 and 1 with weights 3 and
    // 1, column 1 takes 1 and 2 with 2 and 2, column 2 takes 2 and 3 with 1 and 3.
    // (10*3 + 11) / 4 = 10, (11*2 + 12*2) / 4 = 11, (12 + 13*3) / 4 = 12.
    EXPECT_EQ(stretchRow({red(10), red(11), red(12), red(13)}, 3, smPrecise),
              (std::vector<TColor>{red(10), red(11), red(12)}));
    EXPECT_EQ(stretchRow({red(40), red(80), red(120), red(160)}, 3, smPrecise),
              (std::vector<TColor>{red(50), red(100), red(150)}));
}

TEST(Stretch, AreaSpansWeighTheirMiddleSamplesByTheDestinationExtent)
{
    // 5 -> 2, smPrecise (area, divisor 5). Column 0: s0 0 (w0 = 1 * 2 - 0 = 2), s1 = 5 div 2 = 2
    // (w1 = 5 - 2 * 2 = 1), source 1 in the middle weighs D = 2: (0 + 80 + 80) / 5 = 32.
    // Column 1: s0 = 5 div 2 = 2 (w0 = 3 * 2 - 5 = 1), s1 = 10 div 2 - 1 = 4 (w1 = 10 - 8 = 2),
    // source 3 weighs 2: (80 + 240 + 322) / 5 = 128 (128.4 truncated).
    EXPECT_EQ(stretchRow({red(0), red(40), red(80), red(120), red(161)}, 2, smPrecise),
              (std::vector<TColor>{red(32), red(128)}));
}

TEST(Stretch, TheSourceRectangleStartsAtItsOffset)
{
    // Sources 1..3 of five onto two columns, smPrecise (area, S 3, D 2, divisor 3): column 0
    // takes sources 1 (w 2) and 2 (w 1): 160 / 3 = 53; column 1 sources 2 (w 1) and 3 (w 2):
    // 320 / 3 = 106.
    TPixelGraphic s, t;
    fillRow(s, {red(0), red(40), red(80), red(120), red(160)});
    t.Allocate(2, 1, bcn24Bit);
    t.StretchRect(0, 0, 2, 1, 1, 0, 3, 1, s);
    EXPECT_EQ(pixelRow(t), (std::vector<TColor>{red(53), red(106)}));
}

TEST(Stretch, TwoTapInterpolationUpscaling)
{
    // 2 -> 5, smPrecise (interpolation, divisor 10). Weights by column: (s0 0, 10), (0: 9,
    // 1: 1), (0: 5, 1: 5), (0: 1, 1: 9), and column 4 clamped to source 1 alone.
    // Green 7: 0, 7/10 = 0, 35/10 = 3, 63/10 = 6, 7.
    const TColor a = RGBColor(0, 0, 0), b = RGBColor(100, 7, 0);
    EXPECT_EQ(stretchRow({a, b}, 5, smPrecise),
              (std::vector<TColor>{RGBColor(0, 0, 0), RGBColor(10, 0, 0), RGBColor(50, 3, 0), RGBColor(90, 6, 0),
                                   RGBColor(100, 7, 0)}));
}

TEST(Stretch, MediumUsesInterpolationDownAndAreaUp)
{
    // 5 -> 2, smMedium: interpolation, divisor 4: column 0 = sources 0, 1 weighted 1, 3;
    // column 1 = sources 3, 4 weighted 3, 1.
    EXPECT_EQ(stretchRow({red(0), red(40), red(80), red(120), red(160)}, 2, smMedium),
              (std::vector<TColor>{red(30), red(130)}));
    // 2 -> 5, smMedium: area, divisor 2: only column 2 straddles the two sources.
    EXPECT_EQ(stretchRow({red(0), red(100)}, 5, smMedium),
              (std::vector<TColor>{red(0), red(0), red(50), red(100), red(100)}));
}

TEST(Stretch, FastNeverMixesPixels)
{
    EXPECT_EQ(stretchRow({red(1), red(2), red(3), red(4)}, 3, smFast), (std::vector<TColor>{red(1), red(2), red(3)}));
    EXPECT_EQ(stretchRow({red(1), red(2), red(3)}, 7, smFast),
              (std::vector<TColor>{red(1), red(1), red(1), red(2), red(2), red(3), red(3)}));
}

TEST(Stretch, OnePixelWideSourceRepeatsItsColumn)
{
    for (TStretchMode mode : {smFast, smMedium, smPrecise})
        EXPECT_EQ(stretchRow({RGBColor(9, 99, 199)}, 4, mode), std::vector<TColor>(4, RGBColor(9, 99, 199)))
            << int(mode);
}

TEST(Stretch, RowsWeighLikeColumns)
{
    // 2 x 3 -> 1 x 2, smPrecise area on both axes. Columns: divisor 2, weights 1 and 1. Rows
    // 3 -> 2: divisor 3; row 0 takes rows 0 (2) and 1 (1); row 1 takes rows 1 (1) and 2 (2).
    // Source reds by row: (10, 20), (31, 0), (0, 90): row sums per column divisor: 15, 15, 45.
    // Row 0: (15*2 + 15*1) / 3 = 15; row 1: (15*1 + 45*2) / 3 = 35.
    TPixelGraphic s, t;
    s.Allocate(2, 3, bcn24Bit);
    const int reds[3][2] = {{10, 20}, {31, 0}, {0, 90}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            s.SetPixel(x, y, red(reds[y][x]));
    t.Allocate(1, 2, bcn24Bit);
    t.StretchFrom(s);
    EXPECT_EQ(t.GetPixel(0, 0), red(15));
    EXPECT_EQ(t.GetPixel(0, 1), red(35));
}

TEST(Stretch, PaletteSourcesAreReadByColourWithStrayIndicesAsEntryZero)
{
    TPixelGraphic s, t;
    s.Allocate(2, 1, bcn8Bit);
    s.SetPaletteCount(2);
    s.SetPaletteEntry(0, red(100));
    s.SetPaletteEntry(1, red(200));
    s.SetPixel(0, 0, 1);
    s.SetPixel(1, 0, 77); // past the palette
    t.Allocate(4, 1, bcn24Bit);
    t.SetStretchMode(smFast);
    t.StretchFrom(s);
    EXPECT_EQ(pixelRow(t), (std::vector<TColor>{red(200), red(200), red(100), red(100)}));
}

TEST(Stretch, EqualSizesCopy)
{
    TPixelGraphic s, t;
    fillRow(s, {red(1), red(2), red(3)});
    t.Allocate(3, 1, bcn24Bit);
    t.StretchFrom(s);
    EXPECT_EQ(pixelRow(t), pixelRow(s));
    // A part of the source into a part of the target; pixels outside either stay.
    t.Clear();
    t.CopyRect(1, 0, 5, 1, -1, 0, 5, 1, s);
    EXPECT_EQ(pixelRow(t), (std::vector<TColor>{red(0), red(0), red(1)}));
}

TEST(Stretch, DitheredIntoAPalette)
{
    // Same size: every pixel goes through the error diffusion, rows serpentine. See the
    // diffusion's golden vector: gray 100 into black and white.
    TPixelGraphic s, t;
    s.Allocate(4, 2, bcn24Bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            s.SetPixel(x, y, RGBColor(100, 100, 100));
    t.Allocate(4, 2, bcn1Bit);
    t.SetPaletteIdent(pBlackWhite);
    t.StretchFrom(s);
    EXPECT_EQ(pixelRow(t, 0), (std::vector<TColor>{0, 0xFFFFFF, 0, 0}));
    EXPECT_EQ(pixelRow(t, 1), (std::vector<TColor>{0xFFFFFF, 0, 0, 0xFFFFFF}));
    // Without dither each pixel is its nearest index.
    t.SetDither(false);
    t.StretchFrom(s);
    EXPECT_EQ(pixelRow(t, 0), std::vector<TColor>(4, 0));
}

TEST(Stretch, ProgressPerRowAndAbortLeavesTheRestUntouched)
{
    TPixelGraphic s, t;
    s.Allocate(2, 4, bcn24Bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            s.SetPixel(x, y, red(50));
    t.Allocate(3, 4, bcn24Bit);
    std::vector<std::string> log;
    t.SetOnProgressBegin([&](PGObject*) { log.push_back("begin"); });
    t.SetOnProgress([&](PGObject* sender, int done, int total, bool& abort) {
        EXPECT_EQ(sender, &t);
        log.push_back(std::to_string(done) + "/" + std::to_string(total));
        abort = done == 1;
    });
    t.SetOnProgressEnd([&](PGObject*) { log.push_back("end"); });
    int changes = 0;
    t.SetOnChange([&](PGObject*) { ++changes; });
    t.StretchFrom(s);
    EXPECT_EQ(log, (std::vector<std::string>{"begin", "0/3", "1/3", "end"}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(t.GetPixel(2, 1), red(50));
    EXPECT_EQ(t.GetPixel(0, 2), 0u);
    EXPECT_EQ(t.GetPixel(2, 3), 0u);
}

TEST(Stretch, EmptyImagesAndSelfStretchAreSafe)
{
    TPixelGraphic empty, t;
    t.Allocate(2, 2, bcn24Bit);
    t.StretchFrom(empty);
    empty.StretchFrom(t);
    EXPECT_TRUE(empty.Empty());
    int events = 0;
    t.SetOnChange([&](PGObject*) { ++events; });
    t.SetOnProgressBegin([&](PGObject*) { ++events; });
    t.SetOnProgressEnd([&](PGObject*) { ++events; });
    t.StretchRect(0, 0, 0, 2, 0, 0, 2, 2, t);   // no width: nothing
    t.StretchRect(0, 0, 2, 2, 0, 0, -3, 2, t);  // no source width: nothing
    t.StretchRect(0, 0, 0, 0, 0, 0, 0, 0, t);   // equal but empty extents: not even a copy
    t.StretchRect(0, 0, -1, 2, 0, 0, -1, 2, t);
    EXPECT_EQ(events, 0);

    TPixelGraphic g;
    fillRow(g, {red(10), red(20), red(30), red(40)});
    g.SetStretchMode(smFast);
    g.StretchRect(0, 0, 4, 1, 0, 0, 2, 1, g); // reads a copy, not pixels it already wrote
    EXPECT_EQ(pixelRow(g), (std::vector<TColor>{red(10), red(10), red(20), red(20)}));
}

TEST(Stretch, DestinationIsClippedToTheTarget)
{
    // 2 -> 4 smFast into a rectangle starting at -2: only destination columns 2 and 3 land.
    TPixelGraphic s, t;
    fillRow(s, {red(1), red(2)});
    t.Allocate(3, 1, bcn24Bit);
    t.SetStretchMode(smFast);
    t.StretchRect(-2, 0, 4, 1, 0, 0, 2, 1, s);
    EXPECT_EQ(pixelRow(t), (std::vector<TColor>{red(2), red(2), red(0)}));
}

} // namespace
