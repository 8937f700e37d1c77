#pragma once

#include <QRect>
#include <QSize>

// Where a bitmap button's glyph sits against its caption.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct GlyphCaptionPlacement {
    QRect glyph;    // empty when there is no glyph
    QRect caption;  // empty when there is no caption
};

// Places a glyph and a caption of the given sizes in the client rectangle. The glyph keeps
// margin pixels from the edge it faces and spacing pixels from the caption; margin -1 centres
// the two together, spacing -1 centres the caption in the room the glyph leaves (with both -1
// the three gaps are equal). Across the layout's direction both are centred. A missing glyph
// or caption takes no spacing.
GlyphCaptionPlacement placeGlyphAndCaption(const QRect& client, QSize glyph, QSize caption, TButtonLayout layout,
                                           int margin, int spacing);
