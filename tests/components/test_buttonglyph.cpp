#include "components/buttonglyph.h"
#include "components/imagelist.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A strip of frames, each filled with one colour.
QImage strip(const QList<QColor>& colours, int side = 8)
{
    QImage image(side * int(colours.size()), side, QImage::Format_ARGB32);
    for (int i = 0; i < colours.size(); ++i)
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                image.setPixelColor(i * side + x, y, colours[i]);
    return image;
}

QColor colourOf(const QImage& image)
{
    return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

QPalette palette()
{
    QPalette p;
    p.setColor(QPalette::Light, QColor(0xEE, 0xEE, 0x11));
    p.setColor(QPalette::Dark, QColor(0x22, 0x33, 0x44));
    return p;
}

TEST(ButtonGlyph, EachStateTakesItsFrameOrTheUpFrame)
{
    const QColor up(Qt::red), disabled(0x80, 0x80, 0x80), down(Qt::blue), exclusive(Qt::green);
    const struct {
        int frames;
        QColor forDown;
        QColor forExclusive;
    } cases[] = {
        {2, up, up},
        {3, down, up},
        {4, down, exclusive},
    };
    for (const auto& c : cases) {
        TButtonGlyph glyph;
        glyph.SetGlyph(strip(QList<QColor>{up, disabled, down, exclusive}.mid(0, c.frames)));
        ASSERT_EQ(glyph.NumGlyphs(), c.frames);
        EXPECT_EQ(glyph.FrameSize(), QSize(8, 8));
        EXPECT_EQ(colourOf(glyph.Picture(TButtonGlyph::Up, palette())), up) << c.frames;
        EXPECT_EQ(colourOf(glyph.Picture(TButtonGlyph::Down, palette())), c.forDown) << c.frames;
        EXPECT_EQ(colourOf(glyph.Picture(TButtonGlyph::Exclusive, palette())), c.forExclusive) << c.frames;
        // The own disabled frame: its mid grey becomes the palette's shadow colour.
        EXPECT_EQ(colourOf(glyph.Picture(TButtonGlyph::Disabled, palette())), palette().color(QPalette::Dark));
    }
}

TEST(ButtonGlyph, ShapeDecidesTheFrameCountAndTheCountIsClamped)
{
    const struct {
        QSize size;
        int frames;
    } cases[] = {{{16, 16}, 1}, {{32, 16}, 2}, {{64, 16}, 4}, {{80, 16}, 1}, {{24, 16}, 7}};
    for (const auto& c : cases) {
        TButtonGlyph glyph;
        glyph.SetNumGlyphs(7);  // clamped to 4, kept when the shape says nothing
        QImage image(c.size, QImage::Format_ARGB32);
        image.fill(Qt::black);
        glyph.SetGlyph(image);
        EXPECT_EQ(glyph.NumGlyphs(), c.frames == 7 ? 4 : c.frames) << c.size.width();
    }
    TButtonGlyph glyph;
    glyph.SetNumGlyphs(0);
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    EXPECT_TRUE(glyph.Picture(TButtonGlyph::Up, palette()).isNull());
}

TEST(ButtonGlyph, BottomLeftPixelIsTransparentInPicturesWithoutAlpha)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(QColor(Qt::magenta));
    image.setPixelColor(1, 1, Qt::black);
    TButtonGlyph glyph;
    glyph.SetGlyph(image);
    const QImage up = glyph.Picture(TButtonGlyph::Up, palette());
    EXPECT_EQ(qAlpha(up.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(up.pixel(3, 3)), 0);
    EXPECT_EQ(up.pixelColor(1, 1), QColor(Qt::black));

    QImage mono(4, 4, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    mono.setPixel(2, 2, 1);
    glyph.SetGlyph(mono);
    const QImage monoUp = glyph.Picture(TButtonGlyph::Up, palette());
    EXPECT_EQ(qAlpha(monoUp.pixel(2, 2)), 0) << "white is transparent in a monochrome picture";
    EXPECT_EQ(qAlpha(monoUp.pixel(0, 0)), 255);
}

TEST(ButtonGlyph, EmbossingKeepsOpaqueDarkPixelsInTwoTones)
{
    QImage picture(5, 5, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixelColor(1, 1, Qt::black);
    picture.setPixelColor(3, 1, QColor(230, 230, 230));      // light: dropped
    picture.setPixelColor(1, 3, QColor(0, 0, 0, 60));         // mostly transparent: dropped
    picture.setPixelColor(4, 4, QColor(20, 20, 120));         // dark, at the edge: its highlight falls off
    const QColor hi(Qt::white), lo(0x80, 0x80, 0x80);
    const QImage e = embossedPicture(picture, hi, lo);
    ASSERT_EQ(e.size(), picture.size());
    EXPECT_EQ(e.pixelColor(1, 1), lo);
    EXPECT_EQ(e.pixelColor(2, 2), hi);
    EXPECT_EQ(e.pixelColor(4, 4), lo);
    for (const QPoint at : {QPoint(3, 1), QPoint(4, 2), QPoint(1, 3), QPoint(2, 4), QPoint(0, 0)})
        EXPECT_EQ(qAlpha(e.pixel(at)), 0) << at.x() << "," << at.y();

    // A one-frame glyph makes its disabled picture the same way, in the palette's colours.
    TButtonGlyph glyph;
    glyph.SetGlyph(picture);
    ASSERT_EQ(glyph.NumGlyphs(), 1);
    const QImage disabled = glyph.Picture(TButtonGlyph::Disabled, palette());
    EXPECT_EQ(disabled.pixelColor(1, 1), palette().color(QPalette::Dark));
    EXPECT_EQ(disabled.pixelColor(2, 2), palette().color(QPalette::Light));
}

TEST(ImageList, CellsByIndexAndNothingOutside)
{
    const TImageList list(strip({Qt::red, Qt::green, Qt::blue}, 16), 16, 16);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(colourOf(list.Picture(2)), QColor(Qt::blue));
    EXPECT_EQ(list.Picture(2).size(), QSize(16, 16));
    EXPECT_TRUE(list.Picture(3).isNull());
    EXPECT_TRUE(list.Picture(-1).isNull());
    EXPECT_EQ(TImageList(strip({Qt::red}, 8), 16, 16).Count(), 0);  // lower than a cell
    EXPECT_EQ(TImageList::fromFile(QStringLiteral("/nonexistent/strip.png")).Count(), 0);
}

} // namespace
