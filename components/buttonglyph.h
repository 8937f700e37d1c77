#pragma once

#include <QColor>
#include <QImage>
#include <QPalette>

#include <array>

// The embossed form of a picture, as disabled controls show it: its opaque pixels that are not
// light, drawn in the highlight colour moved by (1, 1), then in the shadow colour in place, on
// a transparent background of the picture's size.
QImage embossedPicture(const QImage& picture, const QColor& highlight, const QColor& shadow);

// The glyph strip of a bitmap button and the picture of each state drawn from it. The strip
// holds NumGlyphs frames side by side, in the order up, disabled, down, exclusive.
class TButtonGlyph {
public:
    enum State { Up, Disabled, Down, Exclusive };

    const QImage& Glyph() const { return glyph_; }
    // Keeps a copy. A picture without transparency takes its bottom-left pixel (white for a
    // monochrome picture) as the transparent colour. A strip whose width is a whole multiple of
    // its height takes that many frames (1 when more than 4).
    void SetGlyph(const QImage& glyph);

    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count);  // clamped to 1..4

    QSize FrameSize() const;
    // The picture of a state, ready to draw; null when there is no glyph.
    QImage Picture(State state, const QPalette& palette) const;

private:
    QImage frame(int index) const;

    QImage glyph_;
    int numGlyphs_ = 1;
    // Prepared once per state, for the palette they were made with.
    mutable std::array<QImage, 4> prepared_;
    mutable qint64 preparedFor_ = -1;
};
