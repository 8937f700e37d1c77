#include "imaging/palettes.h"
#include "imaging/pixelgraphic.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<TPixelGraphic> paletteImage(TPaletteIdent ident)
{
    auto g = std::make_unique<TPixelGraphic>();
    g->Allocate(1, 1, bcn8Bit);
    g->SetPaletteIdent(ident);
    return g;
}

// The true nearest entry, lowest index on ties.
int bruteNearest(const std::vector<TColor>& palette, TColor c)
{
    int best = 0;
    for (int i = 1; i < int(palette.size()); ++i)
        if (ColorDistance(c, palette[i]) < ColorDistance(c, palette[best]))
            best = i;
    return best;
}

TColor gray(int v)
{
    return RGBColor(v, v, v);
}

TEST(ColorToIndex, Intensity)
{
    EXPECT_EQ(TPixelGraphic::Intensity(RGBColor(255, 255, 255), true), 765);
    EXPECT_EQ(TPixelGraphic::Intensity(RGBColor(255, 255, 255), false), 765);
    EXPECT_EQ(TPixelGraphic::Intensity(RGBColor(10, 20, 30), false), 60);
    // (299 * 10 + 587 * 20 + 114 * 30) * 3 div 1000 = 18150 * 3 div 1000 = 54
    EXPECT_EQ(TPixelGraphic::Intensity(RGBColor(10, 20, 30), true), 54);
    EXPECT_EQ(TPixelGraphic::Intensity(RGBColor(0, 0, 255), true), 87);
}

TEST(ColorToIndex, GrayAndBlackWhiteRulesByIntensity)
{
    struct Case { TPaletteIdent ident; int intensity; std::uint32_t index; };
    const Case cases[] = {
        {pBlackWhite, 381, 0}, {pBlackWhite, 384, 1}, {pBlackWhite, 765, 1},
        {pSysGray4, 192, 0}, {pSysGray4, 195, 1}, {pSysGray4, 480, 1}, {pSysGray4, 483, 2},
        {pSysGray4, 669, 2}, {pSysGray4, 672, 3},
        {pGray4, 381, 1}, {pGray4, 384, 2}, {pGray4, 636, 2}, {pGray4, 639, 3},
        {pGray16, 24, 0}, {pGray16, 27, 1}, {pGray16, 765, 15},
        {pGray256, 0, 0}, {pGray256, 3, 1}, {pGray256, 765, 255},
    };
    for (const Case& c : cases) {
        auto gOwner = paletteImage(c.ident);
        TPixelGraphic& g = *gOwner;
        g.SetWeightedGray(false);
        ASSERT_EQ(c.intensity % 3, 0);
        EXPECT_EQ(g.ColorToIndex(gray(c.intensity / 3)), c.index) << int(c.ident) << " at " << c.intensity;
    }
    // From intensity 383 on, black and white gives white: 127 + 128 + 128.
    auto bwOwner = paletteImage(pBlackWhite);
        TPixelGraphic& bw = *bwOwner;
    bw.SetWeightedGray(false);
    EXPECT_EQ(bw.ColorToIndex(RGBColor(127, 128, 128)), 1u);
    EXPECT_EQ(bw.ColorToIndex(RGBColor(127, 127, 128)), 0u);
    // Unweighted green counts as much as blue; weighted it does not.
    EXPECT_EQ(bw.ColorToIndex(RGBColor(0, 255, 255)), 1u);
    bw.SetWeightedGray(true);
    EXPECT_EQ(bw.ColorToIndex(RGBColor(0, 0, 255)), 0u);
    EXPECT_EQ(bw.ColorToIndex(RGBColor(0, 255, 0)), 1u);
}

TEST(ColorToIndex, ColourCubes)
{
    auto c125Owner = paletteImage(pSpecial125);
        TPixelGraphic& c125 = *c125Owner;
    EXPECT_EQ(c125.ColorToIndex(RGBColor(224, 0, 0)), 4u * 25);
    EXPECT_EQ(c125.ColorToIndex(RGBColor(223, 0, 0)), 3u * 25);
    EXPECT_EQ(c125.ColorToIndex(RGBColor(0, 32, 33)), 0u * 25 + 0 * 5 + 1);
    EXPECT_EQ(c125.ColorToIndex(RGBColor(96, 160, 255)), 1u * 25 + 2 * 5 + 4);
    auto c216Owner = paletteImage(pSpecial216);
        TPixelGraphic& c216 = *c216Owner;
    EXPECT_EQ(c216.ColorToIndex(RGBColor(26, 27, 255)), 0u * 36 + 1 * 6 + 5);
    EXPECT_EQ(c216.ColorToIndex(RGBColor(128, 77, 229)), 2u * 36 + 1 * 6 + 4);
}

TEST(ColorToIndex, SystemAndSpecialPalettesFindTheNearestEntry)
{
    for (TPaletteIdent ident : {pSys16, pSpecial252}) {
        auto gOwner = paletteImage(ident);
        TPixelGraphic& g = *gOwner;
        const auto palette = g.Palette();
        int checked = 0;
        for (int r = 0; r < 256; r += 5)
            for (int gr = 0; gr < 256; gr += 3)
                for (int b = 0; b < 256; b += 7) {
                    const TColor c = RGBColor(r, gr, b);
                    ASSERT_EQ(g.ColorToIndex(c), std::uint32_t(bruteNearest(palette, c)))
                        << int(ident) << " " << r << "," << gr << "," << b;
                    ++checked;
                }
        EXPECT_GT(checked, 100000);
        // Ties go to the lower index: (64, 0, 0) is as near to black as to (128, 0, 0).
        if (ident == pSys16) {
            EXPECT_EQ(g.ColorToIndex(RGBColor(64, 0, 0)), 0u);
        }
    }
}

TEST(ColorToIndex, Gray236TableRisesToTheNearestGray)
{
    auto gOwner = paletteImage(pGray236);
        TPixelGraphic& g = *gOwner;
    g.SetWeightedGray(false);
    std::uint32_t previous = 0;
    for (int v = 0; v < 256; ++v) {
        const std::uint32_t index = g.ColorToIndex(gray(v));
        EXPECT_GE(index, previous);
        previous = index;
        for (int i = 0; i < 236; ++i)
            ASSERT_LE(std::abs(Gray236Level(int(index)) - v), std::abs(Gray236Level(i) - v)) << v;
    }
    EXPECT_EQ(g.ColorToIndex(gray(0)), 0u);
    EXPECT_EQ(g.ColorToIndex(gray(255)), 235u);
    EXPECT_EQ(Gray236Index(1), 0); // a third of a level: nearest is 0
    EXPECT_EQ(Gray236Index(2), 1); // two thirds: level 1
}

TEST(ColorToIndex, UnknownPaletteWithAndWithoutTheCellCache)
{
    TPixelGraphic g;
    g.Allocate(1, 1, bcn8Bit);
    g.SetPaletteCount(3);
    g.SetPaletteEntry(0, RGBColor(0, 0, 0));
    g.SetPaletteEntry(1, RGBColor(200, 0, 0));
    g.SetPaletteEntry(2, RGBColor(100, 0, 0));
    g.SetUseColorCache(false);
    EXPECT_EQ(g.ColorToIndex(RGBColor(150, 0, 0)), 1u); // tie between 1 and 2: the lower index
    EXPECT_EQ(g.ColorToIndex(RGBColor(149, 0, 0)), 2u);
    EXPECT_EQ(g.ColorToIndex(RGBColor(49, 0, 0)), 0u);
    // The cell cache answers by cells: each entry claims the cells within four cells of its
    // own, nearer radii first and lower indices first. Red 39 lies in cell 4, four cells from
    // both black (cell 0) and red 64 (cell 8): black claims it first, though red 64 is nearer.
    TPixelGraphic cells;
    cells.Allocate(1, 1, bcn8Bit);
    cells.SetPaletteCount(2);
    cells.SetPaletteEntry(0, RGBColor(0, 0, 0));
    cells.SetPaletteEntry(1, RGBColor(64, 0, 0));
    EXPECT_EQ(cells.ColorToIndex(RGBColor(39, 0, 0)), 0u);
    cells.SetUseColorCache(false);
    EXPECT_EQ(cells.ColorToIndex(RGBColor(39, 0, 0)), 1u);
    // Far from every entry: answered by the search and remembered for the cell.
    TPixelGraphic far;
    far.Allocate(1, 1, bcn8Bit);
    far.SetPaletteCount(2);
    far.SetPaletteEntry(0, RGBColor(0, 0, 0));
    far.SetPaletteEntry(1, RGBColor(255, 255, 255));
    EXPECT_EQ(far.ColorToIndex(RGBColor(100, 100, 100)), 0u);
    EXPECT_EQ(far.ColorToIndex(RGBColor(200, 200, 200)), 1u);
}

TEST(ColorToIndex, EveryIdentChangeForgetsTheRememberedAnswer)
{
    auto gOwner = paletteImage(pGray256);
        TPixelGraphic& g = *gOwner;
    EXPECT_EQ(g.ColorToIndex(gray(200)), 200u);
    g.SetPaletteIdent(pBlackWhite);
    EXPECT_EQ(g.ColorToIndex(gray(200)), 1u);
    // Recognition that names the palette anew also forgets.
    g.SetPaletteCount(2);
    g.SetPaletteEntry(0, gray(0));
    g.SetPaletteEntry(1, gray(255));
    EXPECT_EQ(g.PaletteIdent(), pUnknown);
    g.SetPaletteEntry(1, RGBColor(0, 0, 255));
    EXPECT_EQ(g.ColorToIndex(gray(200)), 1u);
    g.SetPaletteEntry(1, gray(255));
    g.RecognisePaletteIdent();
    EXPECT_EQ(g.PaletteIdent(), pBlackWhite);
    EXPECT_EQ(g.ColorToIndex(gray(200)), 1u);
    EXPECT_EQ(g.ColorToIndex(gray(10)), 0u);
}

TEST(ColorToIndex, NoPaletteRaisesEveryTime)
{
    auto gOwner = paletteImage(pNone);
        TPixelGraphic& g = *gOwner;
    for (int i = 0; i < 2; ++i) {
        try {
            g.ColorToIndex(gray(5));
            FAIL() << "no exception";
        } catch (const EPGNoPalette& e) {
            EXPECT_EQ(e.Message(), "No palette");
        }
    }
}

TEST(ColorToIndex, ChoicesThatAreNoPalettesGiveZero)
{
    auto gOwner = paletteImage(pSpecial252);
        TPixelGraphic& g = *gOwner;
    EXPECT_EQ(g.ColorToIndex(RGBColor(255, 255, 255)), 15u);
}

} // namespace
