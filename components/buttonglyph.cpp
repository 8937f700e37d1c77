#include "buttonglyph.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr QRgb embossWhite = 0xFFFFFFFF;
constexpr QRgb embossGrey = 0xFF808080;

// Opaque and darker than light grey: what an embossed picture keeps.
bool embossed(QRgb pixel)
{
    return qAlpha(pixel) >= 128 && qGray(pixel) < 192;
}

QImage tinted(const QImage& mask, const QColor& colour)
{
    QImage image(mask.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (embossed(mask.pixel(x, y)))
                image.setPixelColor(x, y, colour);
    return image;
}

} // namespace

QImage embossedPicture(const QImage& picture, const QColor& highlight, const QColor& shadow)
{
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    QImage result(source.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawImage(1, 1, tinted(source, highlight));
    painter.drawImage(0, 0, tinted(source, shadow));
    painter.end();
    return result.convertToFormat(QImage::Format_ARGB32);
}

void TButtonGlyph::SetGlyph(const QImage& glyph)
{
    preparedFor_ = -1;
    if (glyph.isNull()) {
        glyph_ = QImage();
        return;
    }
    glyph_ = glyph.convertToFormat(QImage::Format_ARGB32);
    if (!glyph.hasAlphaChannel()) {
        const QRgb key = glyph.depth() == 1 ? 0xFFFFFFFF : glyph_.pixel(0, glyph_.height() - 1);
        for (int y = 0; y < glyph_.height(); ++y)
            for (int x = 0; x < glyph_.width(); ++x)
                if (glyph_.pixel(x, y) == key)
                    glyph_.setPixel(x, y, 0);
    }
    if (glyph_.width() % glyph_.height() == 0) {
        const int frames = glyph_.width() / glyph_.height();
        numGlyphs_ = frames > 4 ? 1 : frames;
    }
}

void TButtonGlyph::SetNumGlyphs(int count)
{
    count = std::clamp(count, 1, 4);
    if (count != numGlyphs_)
        preparedFor_ = -1;
    numGlyphs_ = count;
}

QSize TButtonGlyph::FrameSize() const
{
    if (glyph_.isNull())
        return {};
    return {glyph_.width() / numGlyphs_, glyph_.height()};
}

QImage TButtonGlyph::frame(int index) const
{
    const QSize size = FrameSize();
    return glyph_.copy(size.width() * index, 0, size.width(), size.height());
}

QImage TButtonGlyph::Picture(State state, const QPalette& palette) const
{
    if (glyph_.isNull() || FrameSize().isEmpty())
        return {};
    if (preparedFor_ != palette.cacheKey()) {
        prepared_ = {};
        preparedFor_ = palette.cacheKey();
    }
    QImage& picture = prepared_[state];
    if (!picture.isNull())
        return picture;
    const QColor highlight = palette.color(QPalette::Light);
    const QColor shadow = palette.color(QPalette::Dark);
    if (state == Disabled && numGlyphs_ > 1) {
        // The strip's own disabled frame, its white and grey taken as the palette's.
        picture = frame(Disabled);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb pixel = picture.pixel(x, y);
                if (pixel == embossWhite)
                    picture.setPixelColor(x, y, highlight);
                else if (pixel == embossGrey)
                    picture.setPixelColor(x, y, shadow);
            }
    } else if (state == Disabled) {
        picture = embossedPicture(frame(Up), highlight, shadow);
    } else {
        picture = frame(numGlyphs_ > state ? state : Up);
    }
    return picture;
}
