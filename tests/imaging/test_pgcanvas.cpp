#include "imaging/pgcanvas.h"
#include "imaging/pixelgraphic.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(PGCanvas, FillsReachThePixelsBeforeAnyRead)
{
    TPixelGraphic g;
    g.Allocate(4, 3, bcn24Bit);
    int changes = 0;
    g.SetOnChange([&](PGObject*) { ++changes; });
    g.Canvas().SetBrush(QColor(10, 20, 30));
    g.Canvas().FillRect(QRect(1, 1, 2, 1));
    EXPECT_GE(changes, 1);
    EXPECT_EQ(g.GetPixelColor(1, 1), RGBColor(10, 20, 30));
    EXPECT_EQ(g.GetPixelColor(2, 1), RGBColor(10, 20, 30));
    EXPECT_EQ(g.GetPixelColor(3, 1), 0u);
    EXPECT_EQ(g.GetPixelColor(1, 0), 0u);
    // Bytes straight after drawing: the session ended with the read.
    g.Canvas().Painter().fillRect(QRect(0, 2, 1, 1), QColor(1, 2, 3));
    const std::uint8_t* bottom = g.Bits(); // image row 2 is storage row 0
    EXPECT_EQ(bottom[0], 3);
    EXPECT_EQ(bottom[2], 1);
    EXPECT_FALSE(g.Canvas().HandleAllocated());
}

TEST(PGCanvas, PaletteImagesTakeBackOnlyChangedPixels)
{
    TPixelGraphic g;
    g.Allocate(4, 2, bcn4Bit);
    g.SetPaletteIdent(pSys16);
    g.SetPixel(0, 0, 12);
    g.SetPixel(3, 1, 9);
    // An index past a short palette shows as entry 0 in the drawing and is kept as it is.
    g.SetPaletteCount(10);
    g.SetPixel(1, 0, 14);
    g.Canvas().SetBrush(QColor(250, 5, 5)); // nearest system colour: red, index 9
    g.Canvas().FillRect(QRect(2, 0, 2, 1));
    EXPECT_EQ(g.GetPixel(0, 0), 12u); // past the 10-entry palette now, and untouched
    EXPECT_EQ(g.GetPixel(1, 0), 14u);
    EXPECT_EQ(g.GetPixel(2, 0), 9u);
    EXPECT_EQ(g.GetPixel(3, 0), 9u);
    EXPECT_EQ(g.GetPixel(3, 1), 9u);
    EXPECT_EQ(g.GetPixel(0, 1), 0u);
}

TEST(PGCanvas, TextOnPaletteImagesUsesOnlyPureColours)
{
    // No pixel of rendered text is compared: only that antialiasing left no blended colours.
    TPixelGraphic g;
    g.Allocate(60, 30, bcn8Bit);
    g.SetPaletteIdent(pSpecial252);
    g.SetBackground(RGBColor(255, 255, 255));
    g.Clear();
    TPGCanvas& c = g.Canvas();
    QFont font("Liberation Sans");
    font.setPixelSize(20);
    c.SetFont(font);
    c.SetBrush(Qt::NoBrush);
    c.SetPen(QColor(255, 0, 0));
    c.TextOut(2, 2, "88");
    EXPECT_GT(c.TextWidth("88"), 0);
    EXPECT_GT(c.TextHeight("88"), 0);
    std::set<std::uint32_t> indices;
    for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x)
            indices.insert(g.GetPixel(x, y));
    EXPECT_EQ(indices, (std::set<std::uint32_t>{9, 15}));
}

TEST(PGCanvas, DrawingContinuesAfterAReadAndToolsOutliveSessions)
{
    TPixelGraphic g;
    g.Allocate(3, 1, bcn24Bit);
    TPGCanvas& c = g.Canvas();
    c.SetPen(QPen(QColor(0, 0, 255)));
    c.MoveTo(0, 0);
    c.LineTo(0, 0);
    EXPECT_EQ(g.GetPixel(0, 0), RGBColor(0, 0, 255));
    g.SetPixel(1, 0, RGBColor(7, 7, 7)); // written directly between two drawings
    c.SetBrush(QColor(0, 255, 0));
    c.FillRect(QRect(2, 0, 1, 1));
    EXPECT_EQ(g.GetPixel(1, 0), RGBColor(7, 7, 7));
    EXPECT_EQ(g.GetPixel(2, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(c.PenPos(), QPoint(0, 0));
}

TEST(PGCanvas, ChangingHookRunsBeforeEachOperation)
{
    TPixelGraphic g;
    g.Allocate(2, 2, bcn24Bit);
    int calls = 0;
    g.Canvas().OnChanging = [&] { ++calls; };
    g.Canvas().FillRect(QRect(0, 0, 1, 1));
    g.Canvas().Rectangle(QRect(0, 0, 2, 2));
    EXPECT_EQ(calls, 2);
}

TEST(PGCanvas, ReallocationAndPaletteChangesEndTheSession)
{
    TPixelGraphic g;
    g.Allocate(2, 1, bcn8Bit);
    g.SetPaletteIdent(pGray256);
    g.Canvas().SetBrush(QColor(100, 100, 100));
    g.Canvas().FillRect(QRect(0, 0, 1, 1));
    g.SetPaletteEntry(0, RGBColor(1, 1, 1)); // the drawing is taken back with the old palette
    EXPECT_EQ(g.GetPixel(0, 0), 100u);
    g.Canvas().FillRect(QRect(1, 0, 1, 1));
    g.Allocate(2, 1, bcn24Bit); // same size, wider pixels: the drawing lands before the change
    EXPECT_EQ(g.GetPixel(1, 0), 0u);
    g.Canvas().FillRect(QRect(1, 0, 1, 1));
    g.Allocate(5, 5, bcn24Bit);
    EXPECT_EQ(g.GetPixel(1, 0), 0u);
    // Drawing on an empty image goes nowhere.
    TPixelGraphic empty;
    empty.Canvas().FillRect(QRect(0, 0, 5, 5));
    EXPECT_TRUE(empty.Empty());
}

TEST(PGCanvas, DrawStretchesColourOnColour)
{
    TPixelGraphic g;
    g.Allocate(2, 1, bcn24Bit);
    g.SetPixel(0, 0, RGBColor(255, 0, 0));
    g.SetPixel(1, 0, RGBColor(0, 0, 255));
    QImage target(4, 2, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter p(&target);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    g.Draw(p, QRect(0, 0, 4, 2));
    EXPECT_TRUE(p.testRenderHint(QPainter::SmoothPixmapTransform)); // the painter's state is kept
    p.end();
    EXPECT_EQ(target.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(3, 1), qRgb(0, 0, 255));
}

TEST(PGCanvas, DrawingAnEmptyImageDoesNothing)
{
    TPixelGraphic g;
    g.Allocate(0, 5, bcn24Bit);
    QImage target(2, 2, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Xor);
    g.DrawOn(p, QRect(0, 0, 2, 2), false, QPainter::CompositionMode_Source);
    EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_Xor);
    p.end();
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
}

TEST(PGCanvas, ShortPaletteRepeatsEntryZeroInTheDrawnPicture)
{
    TPixelGraphic g;
    g.Allocate(2, 1, bcn4Bit);
    g.SetPaletteCount(2);
    g.SetPaletteEntry(0, RGBColor(0, 128, 0));
    g.SetPaletteEntry(1, RGBColor(255, 255, 0));
    g.SetPixel(0, 0, 1);
    g.SetPixel(1, 0, 7);
    const QImage picture = g.ToQImage();
    EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 0));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(0, 128, 0));
}

TEST(PGCanvas, DrawingAnImageOntoItsOwnCanvas)
{
    TPixelGraphic g;
    g.Allocate(2, 2, bcn24Bit);
    g.SetPixel(0, 0, RGBColor(9, 9, 9));
    QPainter& p = g.Canvas().Painter();
    g.Draw(p, QRect(1, 1, 1, 1));
    EXPECT_EQ(g.GetPixel(1, 1), RGBColor(9, 9, 9));
}

} // namespace
