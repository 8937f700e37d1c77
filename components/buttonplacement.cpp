#include "buttonplacement.h"

namespace {

// One axis: the offsets of the glyph and the caption from the client's start.
struct AlongAxis {
    int glyph;
    int caption;
};

AlongAxis placeAlong(int room, int glyph, int caption, bool glyphFirst, int margin, int spacing)
{
    if (glyph == 0 || caption == 0)
        spacing = 0;
    if (margin < 0 && spacing < 0) {
        spacing = (room - glyph - caption) / 3;
        margin = spacing;
    } else if (margin < 0) {
        margin = (room - glyph - spacing - caption) / 2;
    } else if (spacing < 0) {
        spacing = (room - margin - glyph - caption) / 2;
    }
    if (glyphFirst)
        return {margin, margin + glyph + spacing};
    const int glyphAt = room - margin - glyph;
    return {glyphAt, glyphAt - spacing - caption};
}

} // namespace

GlyphCaptionPlacement placeGlyphAndCaption(const QRect& client, QSize glyph, QSize caption, TButtonLayout layout,
                                           int margin, int spacing)
{
    if (glyph.isEmpty())
        glyph = QSize(0, 0);
    if (caption.isEmpty())
        caption = QSize(0, 0);
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    const bool glyphFirst = layout == blGlyphLeft || layout == blGlyphTop;
    const AlongAxis along = horizontal
                                ? placeAlong(client.width(), glyph.width(), caption.width(), glyphFirst, margin, spacing)
                                : placeAlong(client.height(), glyph.height(), caption.height(), glyphFirst, margin, spacing);
    auto across = [&](QSize size) {
        return horizontal ? (client.height() - size.height()) / 2 : (client.width() - size.width()) / 2;
    };
    GlyphCaptionPlacement placement;
    const QPoint origin = client.topLeft();
    if (horizontal) {
        placement.glyph = QRect(origin + QPoint(along.glyph, across(glyph)), glyph);
        placement.caption = QRect(origin + QPoint(along.caption, across(caption)), caption);
    } else {
        placement.glyph = QRect(origin + QPoint(across(glyph), along.glyph), glyph);
        placement.caption = QRect(origin + QPoint(across(caption), along.caption), caption);
    }
    return placement;
}
