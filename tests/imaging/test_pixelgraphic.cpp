#include "imagingtest.h"
#include "imaging/palettes.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include "platform/prompts.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

std::vector<std::uint8_t> storageRow(TPixelGraphic& g, int storageRow)
{
    const std::uint8_t* p = g.Bits() + storageRow * g.RowBytes();
    return std::vector<std::uint8_t>(p, p + g.RowBytes());
}

TEST(PixelGraphic, Defaults)
{
    TPixelGraphic g;
    EXPECT_TRUE(g.Empty());
    EXPECT_EQ(g.Width(), 0);
    EXPECT_EQ(g.Height(), 0);
    EXPECT_EQ(g.BitCountNum(), 3);
    EXPECT_EQ(g.BitCount(), 24);
    EXPECT_EQ(g.PaletteIdent(), pTrueColor);
    EXPECT_EQ(g.PaletteCount(), 0);
    EXPECT_TRUE(g.Dither());
    EXPECT_TRUE(g.UseColorCache());
    EXPECT_FALSE(g.FastJPEGDecode());
    EXPECT_TRUE(g.WeightedGray());
    EXPECT_EQ(g.StretchMode(), smPrecise);
    EXPECT_FALSE(g.Transparent());
    EXPECT_EQ(g.WarningAction(), 2);
    EXPECT_FALSE(g.RangeCheck());
    EXPECT_EQ(g.ColorResConversion(), 2);
    EXPECT_EQ(g.Gamma(), 2.2L);
    EXPECT_EQ(g.Background(), 0u);
    EXPECT_EQ(g.Bits(), nullptr);
    EXPECT_EQ(g.ScanLine(0), nullptr);
    EXPECT_EQ(PixelGraphicJPEGQuality, 80);
    EXPECT_FALSE(PixelGraphicJPEGProgressive);
}

TEST(PixelGraphic, RowBytesArePaddedToFourBytes)
{
    const struct { int width, num; std::int64_t rowBytes; } cases[] = {
        {1, 0, 4}, {32, 0, 4}, {33, 0, 8}, {7, 1, 4}, {8, 1, 4}, {9, 1, 8}, {3, 2, 4},
        {4, 2, 4}, {5, 2, 8}, {1, 3, 4}, {4, 3, 12}, {5, 3, 16},
    };
    for (const auto& c : cases) {
        TPixelGraphic g;
        g.Allocate(c.width, 3, TBitCountNum(c.num));
        EXPECT_EQ(g.RowBytes(), c.rowBytes) << c.width << " x " << c.num;
        EXPECT_EQ(g.ImageSize(), 3 * c.rowBytes);
        EXPECT_FALSE(g.Empty());
    }
}

TEST(PixelGraphic, BitCountNumbers)
{
    TPixelGraphic g;
    const int counts[] = {1, 4, 8, 24};
    const int colors[] = {2, 16, 256, 0};
    for (int num = 0; num < 4; ++num) {
        EXPECT_EQ(TPixelGraphic::BitCountToNum(counts[num]), num);
        g.Allocate(1, 1, TBitCountNum(num));
        EXPECT_EQ(g.BitCount(), counts[num]);
        EXPECT_EQ(g.NumColors(), colors[num]);
    }
    for (int bad : {0, 2, 16, 32})
        EXPECT_PG_THROW(TPixelGraphic::BitCountToNum(bad), EPGInvalidBitCountNum, "Invalid value for BitCountNum");
    EXPECT_PG_THROW(g.Allocate(1, 1, TBitCountNum(4)), EPGInvalidBitCountNum, "Invalid value for BitCountNum");
}

TEST(PixelGraphic, DimensionCheckRefusesWhatAllocateWouldWithoutMakingAnything)
{
    const struct { std::int64_t width, height; TBitCountNum num; const char* failure; } cases[] = {
        {0, 0, bcn24Bit, nullptr},
        {-1, 5, bcn24Bit, "Negative width"},
        {5, -1, bcn1Bit, "Negative height"},
        {32768, 32768, bcn8Bit, nullptr},                    // exactly 1 GiB
        {32768, 32769, bcn8Bit, "CreateDIBSection failed"},  // one row past it
        {std::int64_t(INT32_MAX) + 1, 1, bcn1Bit, "CreateDIBSection failed"},
        {1, std::int64_t(1) << 40, bcn1Bit, "CreateDIBSection failed"},
        {INT32_MAX, INT32_MAX, bcn24Bit, "CreateDIBSection failed"},
        {1, 1, TBitCountNum(4), "Invalid value for BitCountNum"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " / " << int(c.num));
        if (c.failure)
            EXPECT_PG_THROW(CheckImageDimensions(c.width, c.height, c.num), EPixelGraphic, c.failure);
        else
            EXPECT_NO_THROW(CheckImageDimensions(c.width, c.height, c.num));
    }
    EXPECT_EQ(ImageByteSize(INT32_MAX, INT32_MAX, bcn24Bit), INT64_MAX);
    EXPECT_EQ(ImageByteSize(3, 2, bcn24Bit), 24);
}

TEST(PixelGraphic, SizesAreCheckedIn64BitsAndCappedAtOneGiB)
{
    TPixelGraphic g;
    EXPECT_PG_THROW(g.Allocate(-1, 5, bcn24Bit), EPGInvalidSize, "Negative width");
    EXPECT_PG_THROW(g.Allocate(5, -1, bcn24Bit), EPGInvalidSize, "Negative height");
    EXPECT_TRUE(g.Empty());

    // 100000 x 100000 x 3 bytes overflows 32 bits; refused with the allocation error.
    EXPECT_PG_THROW(g.Allocate(100000, 100000, bcn24Bit), EPixelGraphic, "CreateDIBSection failed");
    EXPECT_EQ(g.RowBytes(), 300000);
    EXPECT_EQ(g.ImageSize(), std::int64_t(30000000000));
    EXPECT_EQ(g.Width(), 100000);
    EXPECT_TRUE(g.Empty());
    EXPECT_EQ(g.GetPixel(5, 5), 0u); // no storage: reads give the background

    // One row past 1 GiB.
    EXPECT_PG_THROW(g.Allocate(32768, 32769, bcn8Bit), EPixelGraphic, "CreateDIBSection failed");
    EXPECT_EQ(g.ImageSize(), TPixelGraphic::MaxImageSize + 32768);
    // A failed allocation is retried, not taken for the same geometry.
    EXPECT_PG_THROW(g.Allocate(32768, 32769, bcn8Bit), EPixelGraphic, "CreateDIBSection failed");

    // The largest sides at 24 bits pass even 63 bits: refused, the size read as the largest.
    EXPECT_PG_THROW(g.Allocate(INT32_MAX, INT32_MAX, bcn24Bit), EPixelGraphic, "CreateDIBSection failed");
    EXPECT_EQ(g.RowBytes(), std::int64_t(6442450944));
    EXPECT_EQ(g.ImageSize(), INT64_MAX);
    EXPECT_EQ(g.DataSize(), INT64_MAX);
    EXPECT_TRUE(g.Empty());
}

TEST(PixelGraphic, ZeroWidthOrHeightIsAnEmptyImage)
{
    TPixelGraphic g;
    int changes = 0;
    g.SetOnChange([&](PGObject* sender) {
        EXPECT_EQ(sender, &g);
        ++changes;
    });
    g.Allocate(0, 10, bcn8Bit);
    EXPECT_TRUE(g.Empty());
    EXPECT_EQ(g.ImageSize(), 0);
    EXPECT_EQ(changes, 1);
    g.Allocate(10, 0, bcn8Bit);
    EXPECT_TRUE(g.Empty());
    EXPECT_EQ(changes, 2);
}

TEST(PixelGraphic, OneBitLayoutIsBottomUpMostSignificantBitFirst)
{
    TPixelGraphic g;
    g.Allocate(10, 2, bcn1Bit);
    g.SetPixel(0, 0, 1);
    g.SetPixel(9, 0, 1);
    g.SetPixel(1, 1, 1);
    g.SetPixel(2, 1, 1);
    g.SetPixel(2, 1, 2); // any value but 1 clears
    EXPECT_EQ(storageRow(g, 1), (std::vector<std::uint8_t>{0x80, 0x40, 0, 0}));
    EXPECT_EQ(storageRow(g, 0), (std::vector<std::uint8_t>{0x40, 0x00, 0, 0}));
    EXPECT_EQ(g.ScanLine(0), g.Bits() + 4);
    EXPECT_EQ(g.GetPixel(9, 0), 1u);
    EXPECT_EQ(g.GetPixel(2, 1), 0u);
}

TEST(PixelGraphic, FourAndEightBitLayouts)
{
    TPixelGraphic g4;
    g4.Allocate(3, 1, bcn4Bit);
    g4.SetPixel(0, 0, 0x1A); // stored mod 16
    g4.SetPixel(1, 0, 3);
    g4.SetPixel(2, 0, 0xF);
    EXPECT_EQ(storageRow(g4, 0), (std::vector<std::uint8_t>{0xA3, 0xF0, 0, 0}));
    EXPECT_EQ(g4.GetPixel(0, 0), 0xAu);

    TPixelGraphic g8;
    g8.Allocate(2, 2, bcn8Bit);
    g8.SetPixel(1, 0, 200);
    g8.SetPixel(0, 1, 7);
    EXPECT_EQ(storageRow(g8, 1), (std::vector<std::uint8_t>{0, 200, 0, 0}));
    EXPECT_EQ(storageRow(g8, 0), (std::vector<std::uint8_t>{7, 0, 0, 0}));
}

TEST(PixelGraphic, TwentyFourBitPixelsAreBlueGreenRed)
{
    TPixelGraphic g;
    g.Allocate(2, 1, bcn24Bit);
    g.SetPixel(1, 0, RGBColor(1, 2, 3));
    EXPECT_EQ(storageRow(g, 0), (std::vector<std::uint8_t>{0, 0, 0, 3, 2, 1, 0, 0}));
    EXPECT_EQ(g.GetPixel(1, 0), 0x030201u);
    EXPECT_EQ(g.GetPixelColor(1, 0), RGBColor(1, 2, 3));
    g.SetPixelColor(0, 0, RGBColor(9, 8, 7));
    EXPECT_EQ(storageRow(g, 0)[0], 7);
    EXPECT_EQ(g.ColorToIndex(RGBColor(9, 8, 7)), RGBColor(9, 8, 7));
}

TEST(PixelGraphic, OutsideTheImage)
{
    TPixelGraphic g;
    g.Allocate(2, 2, bcn24Bit);
    g.SetBackground(RGBColor(5, 6, 7));
    EXPECT_EQ(g.GetPixel(-1, 0), RGBColor(5, 6, 7));
    EXPECT_EQ(g.GetPixel(2, 0), RGBColor(5, 6, 7));
    g.SetPixel(0, 2, 1); // ignored
    g.SetRangeCheck(true);
    EXPECT_PG_THROW(g.GetPixel(0, 2), EPGXYIndexOutOfRange, "X, Y index out of range");
    EXPECT_PG_THROW(g.SetPixel(-1, 0, 0), EPGXYIndexOutOfRange, "X, Y index out of range");
    EXPECT_PG_THROW(g.SetPixelColor(2, 2, 0), EPGXYIndexOutOfRange, "X, Y index out of range");
}

TEST(PixelGraphic, IndicesPastThePaletteReadAsEntryZero)
{
    TPixelGraphic g;
    g.Allocate(3, 1, bcn4Bit);
    g.SetPaletteCount(2);
    g.SetPaletteEntry(0, RGBColor(10, 20, 30));
    g.SetPaletteEntry(1, RGBColor(40, 50, 60));
    g.SetPixel(0, 0, 1);
    g.SetPixel(1, 0, 9);
    EXPECT_EQ(g.GetPixelColor(0, 0), RGBColor(40, 50, 60));
    EXPECT_EQ(g.GetPixelColor(1, 0), RGBColor(10, 20, 30));
    EXPECT_EQ(g.GetPixel(1, 0), 9u); // the index itself is kept
    EXPECT_PG_THROW(g.GetPaletteEntry(9), EPGInvalidPaletteIndex, "Invalid palette index");
    EXPECT_PG_THROW(g.GetPaletteEntry(-1), EPGInvalidPaletteIndex, "Invalid palette index");

    TPixelGraphic none;
    none.Allocate(1, 1, bcn8Bit);
    none.SetPixel(0, 0, 3);
    EXPECT_EQ(none.GetPixelColor(0, 0), 0u); // no palette at all: black
}

TEST(PixelGraphic, BackgroundIsAColourStoredAsAnIndexOnPaletteImages)
{
    TPixelGraphic g;
    g.Allocate(2, 1, bcn8Bit);
    g.SetPaletteIdent(pGray256);
    g.SetBackground(RGBColor(30, 30, 30));
    EXPECT_EQ(g.GetPixel(5, 5), 30u);
    EXPECT_EQ(g.Background(), RGBColor(30, 30, 30));
    g.Clear();
    EXPECT_EQ(storageRow(g, 0), (std::vector<std::uint8_t>{30, 30, 30, 30}));

    TPixelGraphic p;
    p.Allocate(1, 1, bcn8Bit);
    p.SetPaletteIdent(pNone);
    EXPECT_PG_THROW(p.SetBackground(RGBColor(1, 1, 1)), EPGNoPalette, "No palette");
}

TEST(PixelGraphic, ClearFillsWithTheBackground)
{
    TPixelGraphic g4;
    g4.Allocate(3, 2, bcn4Bit);
    g4.SetPaletteIdent(pGray16);
    g4.SetBackground(RGBColor(255, 255, 255));
    g4.Clear();
    EXPECT_EQ(storageRow(g4, 0), (std::vector<std::uint8_t>{0xFF, 0xF0, 0, 0}));

    TPixelGraphic g24;
    g24.Allocate(1, 2, bcn24Bit);
    g24.SetBackground(RGBColor(1, 2, 3));
    g24.Clear();
    EXPECT_EQ(storageRow(g24, 1), (std::vector<std::uint8_t>{3, 2, 1, 0}));
    g24.SetBackground(0);
    g24.Clear();
    EXPECT_EQ(storageRow(g24, 1), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST(PixelGraphic, SameGeometryKeepsPixelsOnlyThroughTheSetters)
{
    TPixelGraphic g;
    g.Allocate(2, 2, bcn24Bit);
    g.SetPixel(0, 0, 0xABCDEF);
    g.SetWidth(2);
    g.SetHeight(2);
    g.SetBitCountNum(bcn24Bit);
    EXPECT_EQ(g.GetPixel(0, 0), 0xABCDEFu);
    g.Allocate(2, 2, bcn24Bit); // the same three values clear
    EXPECT_EQ(g.GetPixel(0, 0), 0u);
    g.SetPixel(0, 0, 0xABCDEF);
    g.SetWidth(3); // a new geometry starts from zeroed pixels
    EXPECT_EQ(g.Width(), 3);
    EXPECT_EQ(g.GetPixel(0, 0), 0u);
}

TEST(PixelGraphic, FixedPalettesOfTheIdents)
{
    TPixelGraphic g;
    g.Allocate(1, 1, bcn8Bit);
    auto palette = [&](TPaletteIdent ident) {
        g.SetPaletteIdent(pUnknown);
        g.SetPaletteIdent(ident);
        EXPECT_EQ(g.PaletteIdent(), ident);
        return g.Palette();
    };
    EXPECT_EQ(palette(pBlackWhite), (std::vector<TColor>{0, 0xFFFFFF}));
    EXPECT_EQ(palette(pSysGray4), (std::vector<TColor>{0, 0x808080, 0xC0C0C0, 0xFFFFFF}));
    EXPECT_EQ(palette(pGray4), (std::vector<TColor>{0, 0x555555, 0xAAAAAA, 0xFFFFFF}));
    const auto sys16 = palette(pSys16);
    ASSERT_EQ(sys16.size(), 16u);
    EXPECT_EQ(sys16[1], RGBColor(128, 0, 0));
    EXPECT_EQ(sys16[4], RGBColor(0, 0, 128));
    EXPECT_EQ(sys16[7], RGBColor(192, 192, 192));
    EXPECT_EQ(sys16[8], RGBColor(128, 128, 128));
    EXPECT_EQ(sys16[11], RGBColor(255, 255, 0));
    EXPECT_EQ(sys16[14], RGBColor(0, 255, 255));
    const auto gray16 = palette(pGray16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(gray16[i], RGBColor(i * 17, i * 17, i * 17));
    const auto gray236 = palette(pGray236);
    ASSERT_EQ(gray236.size(), 236u);
    EXPECT_EQ(RedOf(gray236[1]), 1);
    EXPECT_EQ(RedOf(gray236[117]), 127); // 126.96
    EXPECT_EQ(RedOf(gray236[118]), 128); // 128.04
    EXPECT_EQ(gray236[235], 0xFFFFFFu);
    const auto gray256 = palette(pGray256);
    ASSERT_EQ(gray256.size(), 256u);
    EXPECT_EQ(gray256[77], RGBColor(77, 77, 77));
    const auto cube125 = palette(pSpecial125);
    ASSERT_EQ(cube125.size(), 125u);
    EXPECT_EQ(cube125[1 * 25 + 2 * 5 + 3], RGBColor(64, 128, 192));
    EXPECT_EQ(cube125[124], 0xFFFFFFu);
    const auto cube216 = palette(pSpecial216);
    ASSERT_EQ(cube216.size(), 216u);
    EXPECT_EQ(cube216[1 * 36 + 2 * 6 + 3], RGBColor(51, 102, 153));
    EXPECT_EQ(cube216[4 * 36 + 5 * 6 + 0], RGBColor(204, 255, 0));
    const auto special = palette(pSpecial252);
    ASSERT_EQ(special.size(), 252u);
    EXPECT_EQ(special[15], 0xFFFFFFu);
    EXPECT_EQ(special[16], RGBColor(0, 0, 0x40));
    EXPECT_EQ(special[125], RGBColor(0x20, 0x20, 0x20));
    EXPECT_EQ(special[251], RGBColor(0xE0, 0x60, 0xC0));
    // The two choices that are no palettes of their own build and store nothing.
    g.SetPaletteIdent(pOptimized252Sys16);
    EXPECT_EQ(g.PaletteIdent(), pSpecial252);
    g.SetPaletteIdent(pSource);
    EXPECT_EQ(g.PaletteCount(), 252);
    EXPECT_EQ(palette(pNone), std::vector<TColor>());
}

TEST(PixelGraphic, PaletteCountAndEntries)
{
    TPixelGraphic g;
    g.Allocate(2, 1, bcn8Bit);
    EXPECT_PG_THROW(g.SetPaletteEntry(0, 1), EPGNoPalette, "No palette"); // pTrueColor from the start
    g.SetPaletteCount(3);
    EXPECT_EQ(g.PaletteIdent(), pUnknown);
    EXPECT_EQ(g.Palette(), (std::vector<TColor>{0, 0, 0}));
    EXPECT_PG_THROW(g.SetPaletteEntry(3, 1), EPGInvalidPaletteIndex, "Invalid palette index");
    g.SetPaletteCount(0);
    EXPECT_EQ(g.PaletteIdent(), pNone);
    EXPECT_PG_THROW(g.SetPaletteEntry(0, 1), EPGNoPalette, "No palette");
    g.SetPaletteCount(1000); // an 8-bit index reaches 256 entries at most
    EXPECT_EQ(g.PaletteCount(), 256);

    g.SetPaletteIdent(pGray256);
    g.SetPaletteEntry(5, RGBColor(1, 2, 3));
    EXPECT_EQ(g.PaletteIdent(), pUnknown);
    EXPECT_EQ(g.GetPaletteEntry(5), RGBColor(1, 2, 3));

    TPixelGraphic t;
    t.Allocate(2, 2, bcn24Bit);
    EXPECT_EQ(t.GetPaletteEntry(12345), 12345u);
}

TEST(PixelGraphic, PaletteFollowsTheBitCount)
{
    TPixelGraphic g;
    g.SetPaletteIdent(pGray16); // no storage yet: kept
    EXPECT_EQ(g.PaletteCount(), 16);
    g.Allocate(2, 2, bcn4Bit);
    EXPECT_EQ(g.PaletteIdent(), pGray16);
    g.SetPixel(1, 1, 15);
    EXPECT_EQ(g.GetPixelColor(1, 1), 0xFFFFFFu);
    g.Allocate(2, 2, bcn1Bit); // cut to two entries
    EXPECT_EQ(g.PaletteCount(), 2);
    EXPECT_EQ(g.PaletteIdent(), pUnknown);
    g.Allocate(2, 2, bcn24Bit);
    EXPECT_EQ(g.PaletteCount(), 0);
    EXPECT_EQ(g.PaletteIdent(), pTrueColor);
}

TEST(PixelGraphic, RecognisesThePaletteByItsEntries)
{
    TPixelGraphic g;
    g.Allocate(1, 1, bcn8Bit);
    for (TPaletteIdent ident : {pBlackWhite, pSysGray4, pSys16, pGray4, pGray16, pGray236, pGray256, pSpecial125,
                                pSpecial216, pSpecial252}) {
        const auto entries = *FixedPalette(ident);
        g.SetPaletteCount(int(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i)
            g.SetPaletteEntry(int(i), entries[i]);
        ASSERT_EQ(g.PaletteIdent(), pUnknown);
        g.RecognisePaletteIdent();
        EXPECT_EQ(g.PaletteIdent(), ident);
        const bool gray = ident == pBlackWhite || ident == pSysGray4 || ident == pGray4 || ident == pGray16
                          || ident == pGray236 || ident == pGray256;
        EXPECT_EQ(g.PaletteAllGray(), gray) << int(ident);
    }
    g.SetPaletteEntry(3, RGBColor(1, 1, 2));
    g.RecognisePaletteIdent();
    EXPECT_EQ(g.PaletteIdent(), pUnknown);
    g.SetPaletteCount(0);
    g.RecognisePaletteIdent();
    EXPECT_EQ(g.PaletteIdent(), pNone);
    g.Allocate(1, 1, bcn24Bit);
    g.RecognisePaletteIdent();
    EXPECT_EQ(g.PaletteIdent(), pTrueColor);
    EXPECT_FALSE(g.PaletteAllGray());
}

TEST(PixelGraphic, AssignCopiesPixelsPaletteAndSettings)
{
    TPixelGraphic source;
    source.Allocate(3, 2, bcn4Bit);
    source.SetPaletteCount(16);
    for (int i = 0; i < 16; ++i)
        source.SetPaletteEntry(i, RGBColor(i * 17, i * 17, i * 17)); // pGray16 by content
    source.SetPixel(2, 1, 9);
    source.SetBackground(RGBColor(255, 255, 255));
    source.SetDither(false);
    source.SetStretchMode(smFast);
    source.SetWarningAction(waRaise);
    source.SetColorResConversion(crcConvert);
    source.SetGamma(1.0L);
    source.SetTransparent(true);
    source.SetRangeCheck(true);

    TPixelGraphic target;
    int changes = 0;
    target.SetOnChange([&](PGObject*) { ++changes; });
    target.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.BitCountNum(), 1);
    EXPECT_EQ(target.GetPixel(2, 1), 9u);
    EXPECT_EQ(target.Palette(), source.Palette());
    EXPECT_EQ(target.PaletteIdent(), pGray16);
    EXPECT_EQ(target.Background(), 0xFFFFFFu);
    EXPECT_FALSE(target.Dither());
    EXPECT_EQ(target.StretchMode(), smFast);
    EXPECT_EQ(target.WarningAction(), 3);
    EXPECT_EQ(target.ColorResConversion(), 0);
    EXPECT_EQ(target.Gamma(), 1.0L);
    EXPECT_TRUE(target.Transparent());
    EXPECT_TRUE(target.RangeCheck());

    target.Assign(nullptr);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(target.BitCountNum(), 3);

    TPixelGraphic copy;
    copy.Allocate(1, 1, bcn8Bit);
    copy.CopyPalette(source);
    EXPECT_EQ(copy.PaletteIdent(), pGray16);
    EXPECT_EQ(copy.PaletteCount(), 16);
}

TEST(PixelGraphic, ChangedIsHeldBackInsideUpdates)
{
    TPixelGraphic g;
    int changes = 0;
    g.SetOnChange([&](PGObject*) { ++changes; });
    g.BeginUpdate();
    g.BeginUpdate();
    g.Allocate(2, 2, bcn24Bit);
    g.Clear();
    EXPECT_EQ(changes, 0);
    g.EndUpdate();
    EXPECT_EQ(changes, 0);
    g.EndUpdate();
    EXPECT_EQ(changes, 1);
    g.SetUseColorCache(false);
    EXPECT_EQ(changes, 2);
}

TEST(PixelGraphic, ProgressEventsReportTheirSender)
{
    TPixelGraphic g;
    EXPECT_FALSE(g.Progress(1, 2)); // unassigned
    std::vector<std::string> log;
    PGObject other;
    g.SetOnProgressBegin([&](PGObject* s) { log.push_back(s == &g ? "begin image" : "begin other"); });
    g.SetOnProgress([&](PGObject* s, int done, int total, bool& abort) {
        log.push_back((s == &g ? "image " : "other ") + std::to_string(done) + "/" + std::to_string(total));
        abort = done == 2;
    });
    g.SetOnProgressEnd([&](PGObject* s) { log.push_back(s == &g ? "end image" : "end other"); });
    g.ProgressBegin();
    EXPECT_FALSE(g.Progress(1, 3));
    EXPECT_TRUE(g.Progress(2, 3, &other));
    g.ProgressEnd(&other);
    EXPECT_EQ(log, (std::vector<std::string>{"begin image", "image 1/3", "other 2/3", "end other"}));
}

class PixelGraphicWarnings : public ::testing::Test {
protected:
    platform::ScriptedPromptService prompts;
    TPixelGraphic g;
    void SetUp() override { g.SetPromptService(&prompts); }
};

TEST_F(PixelGraphicWarnings, ByWarningAction)
{
    g.SetWarningAction(waIgnore);
    EXPECT_EQ(g.RespondToWarning("JPG Warning", "odd marker"), TWarningResponse::Continue);
    EXPECT_TRUE(prompts.calls().isEmpty());

    g.SetWarningAction(waShow);
    EXPECT_EQ(g.RespondToWarning("JPG Warning", "odd marker"), TWarningResponse::Continue);
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.lastPrompt().caption, "JPG Warning");
    EXPECT_EQ(prompts.lastPrompt().text, "odd marker");
    EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Warning);
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::Ok);

    g.SetWarningAction(waAskAbort);
    prompts.answer(platform::mrOk);
    EXPECT_EQ(g.RespondToWarning("JPG Warning", "a"), TWarningResponse::Continue);
    prompts.answer(platform::mrCancel);
    EXPECT_EQ(g.RespondToWarning("JPG Warning", "b"), TWarningResponse::Abort);
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::OkCancel);
    EXPECT_EQ(prompts.calls().size(), 3);

    g.SetWarningAction(waRaise);
    EXPECT_EQ(g.RespondToWarning("JPG Warning", "c"), TWarningResponse::Raise);
    EXPECT_EQ(prompts.calls().size(), 3);
}

TEST_F(PixelGraphicWarnings, NothingIsAskedOffTheUserInterfaceThread)
{
    TWarningResponse shown = TWarningResponse::Raise, asked = TWarningResponse::Raise;
    std::optional<int> answer = 1;
    std::thread worker([&] {
        g.SetWarningAction(waShow);
        shown = g.RespondToWarning("JPG Warning", "x");
        g.SetWarningAction(waAskAbort);
        asked = g.RespondToWarning("JPG Warning", "x");
        answer = g.AskUser(platform::Prompt{});
    });
    worker.join();
    EXPECT_EQ(shown, TWarningResponse::Continue);
    EXPECT_EQ(asked, TWarningResponse::Continue);
    EXPECT_FALSE(answer.has_value());
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST_F(PixelGraphicWarnings, TheLibraryServiceServesImagesWithoutTheirOwn)
{
    TPixelGraphic plain;
    plain.SetWarningAction(waAskAbort);
    EXPECT_EQ(plain.RespondToWarning("c", "t"), TWarningResponse::Continue); // no service at all
    PixelGraphicPrompts = &prompts;
    prompts.answer(platform::mrCancel);
    EXPECT_EQ(plain.RespondToWarning("c", "t"), TWarningResponse::Abort);
    PixelGraphicPrompts = nullptr;
    EXPECT_EQ(prompts.calls().size(), 1);
}

TEST(PixelGraphic, DataSizeCountsHeaderPaletteAndPixels)
{
    TPixelGraphic g;
    g.Allocate(5, 3, bcn8Bit);
    g.SetPaletteIdent(pGray16);
    EXPECT_EQ(g.DataSize(), 3 * 8 + 4 * 16 + 58);
}

} // namespace
