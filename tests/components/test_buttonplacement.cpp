#include "components/buttonplacement.h"
#include "testnames.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    const char* name;
    QSize glyph;
    QSize caption;
    TButtonLayout layout;
    int margin;
    int spacing;
    QPoint glyphAt;
    QPoint captionAt;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

// A 100 x 40 client at (3, 5); glyph 16 x 16 and caption 30 x 12 unless a case says otherwise.
TEST_P(Placement, PutsGlyphAndCaptionWhereTheLayoutSays)
{
    const PlacementCase& c = GetParam();
    const GlyphCaptionPlacement at = placeGlyphAndCaption(QRect(3, 5, 100, 40), c.glyph, c.caption, c.layout, c.margin,
                                                          c.spacing);
    EXPECT_EQ(at.glyph.topLeft(), c.glyphAt + QPoint(3, 5));
    EXPECT_EQ(at.caption.topLeft(), c.captionAt + QPoint(3, 5));
    EXPECT_EQ(at.glyph.size(), c.glyph.isEmpty() ? QSize(0, 0) : c.glyph);
    EXPECT_EQ(at.caption.size(), c.caption.isEmpty() ? QSize(0, 0) : c.caption);
}

const QSize glyph16(16, 16);
const QSize text30(30, 12);
const QSize none;

INSTANTIATE_TEST_SUITE_P(
    Buttons, Placement,
    ::testing::Values(
        // Centred together: (100 - 16 - 4 - 30) / 2 = 25 before the glyph.
        PlacementCase{"left centred", glyph16, text30, blGlyphLeft, -1, 4, {25, 12}, {45, 14}},
        PlacementCase{"right centred", glyph16, text30, blGlyphRight, -1, 4, {59, 12}, {25, 14}},
        // Vertically: (40 - 16 - 4 - 12) / 2 = 4.
        PlacementCase{"top centred", glyph16, text30, blGlyphTop, -1, 4, {42, 4}, {35, 24}},
        PlacementCase{"bottom centred", glyph16, text30, blGlyphBottom, -1, 4, {42, 20}, {35, 4}},
        PlacementCase{"left margin 4", glyph16, text30, blGlyphLeft, 4, 4, {4, 12}, {24, 14}},
        PlacementCase{"right margin 4", glyph16, text30, blGlyphRight, 4, 4, {80, 12}, {46, 14}},
        PlacementCase{"top margin 4", glyph16, text30, blGlyphTop, 4, 4, {42, 4}, {35, 24}},
        PlacementCase{"bottom margin 4", glyph16, text30, blGlyphBottom, 4, 4, {42, 20}, {35, 4}},
        PlacementCase{"left spacing 10", glyph16, text30, blGlyphLeft, -1, 10, {22, 12}, {48, 14}},
        PlacementCase{"left spacing 0", glyph16, text30, blGlyphLeft, -1, 0, {27, 12}, {43, 14}},
        // Spacing -1: three equal gaps of (100 - 16 - 30) / 3 = 18, or the caption centred in
        // what the margin and glyph leave: (100 - 4 - 16 - 30) / 2 = 25.
        PlacementCase{"left both free", glyph16, text30, blGlyphLeft, -1, -1, {18, 12}, {52, 14}},
        PlacementCase{"left margin 4 spacing free", glyph16, text30, blGlyphLeft, 4, -1, {4, 12}, {45, 14}},
        PlacementCase{"right margin 4 spacing free", glyph16, text30, blGlyphRight, 4, -1, {80, 12}, {25, 14}},
        // One of the two missing: no spacing.
        PlacementCase{"glyph only", glyph16, none, blGlyphLeft, -1, 4, {42, 12}, {58, 20}},
        PlacementCase{"caption only", none, text30, blGlyphLeft, -1, 4, {35, 20}, {35, 14}},
        PlacementCase{"caption only margin 4", none, text30, blGlyphLeft, 4, 4, {4, 20}, {4, 14}},
        // Too big for the client: centring goes negative rather than clipping the caption.
        PlacementCase{"wider than the client", glyph16, QSize(120, 12), blGlyphLeft, -1, 4, {-20, 12}, {0, 14}}),
    NameOfCase());

} // namespace
