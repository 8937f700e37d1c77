// Golden vectors of the error diffusion, worked out by hand from its rules: errors kept as 16
// times their value, taken back rounded half away from zero and through the limit table, and
// spread 7 ahead, 1 ahead below, 5 below and 3 behind below, serpentine.
#include "imaging/pixelgraphic.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint32_t> row(TPixelGraphic& g, int y)
{
    std::vector<std::uint32_t> values;
    for (int x = 0; x < g.Width(); ++x)
        values.push_back(g.GetPixel(x, y));
    return values;
}

// Feeds the same colour to every pixel in the order a row-by-row writer uses.
void ditherAll(TPixelGraphic& g, TColor c)
{
    g.InitDither();
    for (int y = 0; y < g.Height(); ++y) {
        g.NextDitherRow();
        for (int i = 0; i < g.Width(); ++i) {
            const int x = (y & 1) ? g.Width() - 1 - i : i;
            g.DitherPixel(x, y, RedOf(c), GreenOf(c), BlueOf(c));
        }
    }
    g.FreeDither();
}

TEST(Dither, GrayPaletteSpreadsTheGreenErrorOnly)
{
    // Black and white, limit 255. Gray 100 has weighted intensity 300, so v starts at 100.
    // Row 0: v 100 -> black (error 100); 100 + 700/16 = 144 -> white (-111); 100 - 777/16
    // = 51 -> black (51); 100 + 357/16 = 122 -> black (122).
    // Row 1, right to left: 100 + 661/16 = 141 -> white (-114); 100 - 288/16 = 82 -> black;
    // 100 + 272/16 = 117 -> black; 100 + 986/16 = 162 -> white.
    TPixelGraphic g;
    g.Allocate(4, 2, bcn1Bit);
    g.SetPaletteIdent(pBlackWhite);
    ditherAll(g, RGBColor(100, 100, 100));
    EXPECT_EQ(row(g, 0), (std::vector<std::uint32_t>{0, 1, 0, 0}));
    EXPECT_EQ(row(g, 1), (std::vector<std::uint32_t>{1, 0, 0, 1}));
    EXPECT_TRUE(g.PaletteAllGray());
}

TEST(Dither, ColourPaletteSpreadsEachChannel)
{
    // System colours, limit 128. (100, 50, 200) is nearest to (128, 0, 128), entry 5; its error
    // (-28, 50, 72) times 7 reaches the next pixel: -196/16 -> -12, 350/16 -> 22, 504/16 -> 32,
    // so it is taken as (88, 72, 232), nearest to (0, 0, 255), entry 12.
    TPixelGraphic g;
    g.Allocate(2, 1, bcn4Bit);
    g.SetPaletteIdent(pSys16);
    ditherAll(g, RGBColor(100, 50, 200));
    EXPECT_EQ(row(g, 0), (std::vector<std::uint32_t>{5, 12}));
    EXPECT_FALSE(g.PaletteAllGray());
}

TEST(Dither, LimitTableBendsLargeErrors)
{
    // 256 grays, limit 2: errors 0 and 1 pass, 1..3 become e div 2 + 0, larger ones 2. Gray
    // levels map exactly, so no error ever arises and every pixel keeps its level.
    TPixelGraphic g;
    g.Allocate(3, 2, bcn8Bit);
    g.SetPaletteIdent(pGray256);
    ditherAll(g, RGBColor(77, 77, 77));
    EXPECT_EQ(row(g, 0), (std::vector<std::uint32_t>{77, 77, 77}));
    EXPECT_EQ(row(g, 1), (std::vector<std::uint32_t>{77, 77, 77}));

    // Four grays (limit 128): intensity 300 -> v 100 -> gray 85 (error 15); the next pixel
    // takes 100 + 105/16 = 106, i.e. 100 + 7 -> 107 -> still 85 (index 1).
    TPixelGraphic g4;
    g4.Allocate(2, 1, bcn4Bit);
    g4.SetPaletteIdent(pGray4);
    ditherAll(g4, RGBColor(100, 100, 100));
    EXPECT_EQ(row(g4, 0), (std::vector<std::uint32_t>{1, 1}));
}

TEST(Dither, ErrorsAreRoundedHalfAwayFromZeroThenBentAndCapped)
{
    // Palette black, red (not gray, pUnknown: limit 32). Limit table: e below 16 passes; 16 to
    // 48 becomes e div 2 + 8; above 48 it is 32. The first pixel's red error d reaches the
    // second as 7d / 16; red 128 and above is nearer to red (index 1), 127 and below to black.
    const struct { int first, second; std::uint32_t index; const char* why; } cases[] = {
        {64, 103, 0, "448/16 = 28, bent to 22: 125"},
        {64, 106, 1, "106 + 22 = 128"},
        {127, 95, 0, "889/16 = 55.6 -> 56, capped at 32: 127"},
        {127, 96, 1, "96 + 32 = 128"},
        {200, 148, 1, "-385/16 = -24.06 -> -24, bent to -20: 128"},
        {200, 147, 0, "147 - 20 = 127"},
        {8, 124, 1, "56/16 = 3.5 -> 4: 128"},
        {247, 131, 0, "-56/16 = -3.5 -> -4: 127"},
    };
    for (const auto& c : cases) {
        TPixelGraphic g;
        g.Allocate(2, 1, bcn8Bit);
        g.SetPaletteCount(2);
        g.SetPaletteEntry(0, RGBColor(0, 0, 0));
        g.SetPaletteEntry(1, RGBColor(255, 0, 0));
        g.InitDither();
        g.NextDitherRow();
        g.DitherPixel(0, 0, c.first, 0, 0);
        g.DitherPixel(1, 0, c.second, 0, 0);
        EXPECT_EQ(g.GetPixel(1, 0), c.index) << c.why;
        EXPECT_FALSE(g.PaletteAllGray());
    }
}

TEST(Dither, WithoutBuffersOrOutsideTheRowPixelsAreSetPlainly)
{
    TPixelGraphic g;
    g.Allocate(2, 1, bcn4Bit);
    g.SetPaletteIdent(pSys16);
    g.DitherPixel(0, 0, 255, 0, 0); // no InitDither
    EXPECT_EQ(g.GetPixel(0, 0), 9u);
    g.InitDither();
    g.DitherPixel(-1, 0, 255, 0, 0);
    g.DitherPixel(2, 0, 255, 0, 0);
    g.DitherPixel(1, 0, 300, -5, 0); // parts clamped to 0..255
    EXPECT_EQ(g.GetPixel(1, 0), 9u);
}

} // namespace
