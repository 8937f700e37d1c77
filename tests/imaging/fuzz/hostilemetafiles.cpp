#include "hostilemetafiles.h"

#include "fixtures.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr std::int64_t kNullPen = 0x80000008;
constexpr TColor kRed = RGBColor(255, 0, 0), kBlue = RGBColor(0, 0, 255);

// Count points scattered over the square from Margin to Side - Margin, as 16-bit x, y pairs:
// a polygon through them crosses itself about Count squared times. The same every run.
QByteArray scribblePoints(int Count, int Side, int Margin)
{
    QByteArray points;
    std::uint32_t state = 12345;
    const auto next = [&] {
        state = state * 1103515245u + 12345u;
        return Margin + int((state >> 8) % std::uint32_t(Side - 2 * Margin));
    };
    for (int i = 0; i < Count; ++i)
        points += WmfWords({next(), next()});
    return points;
}

// A frame of Width x Height pixels on a 96-per-inch device.
EmfFrame pixelsFrame(int Width, int Height, std::uint16_t Handles = 2)
{
    EmfFrame frame;
    frame.frame[2] = std::int32_t(std::lround(Width * 2540.0 / 96));
    frame.frame[3] = std::int32_t(std::lround(Height * 2540.0 / 96));
    frame.handles = Handles;
    return frame;
}

// A solid red brush in slot 1 and a blue pen of Width pixels in slot 2.
EmfRecords& emfBrushAndPen(EmfRecords& r, int Width)
{
    return r.Add(39, {1, 0, kRed, 0}).Add(37, {1}).Add(38, {2, 0, Width, 0, kBlue}).Add(37, {2});
}

// Polygon16 through scattered points under the xor mix, filled and outlined.
QByteArray xorScribbleEmf(int Points, int Side)
{
    EmfRecords r;
    emfBrushAndPen(r, 3).Add(20, {7});
    r.Add(86, EmfBody{0, 0, Side, Side, Points}.Raw(scribblePoints(Points, Side, 10)));
    return r.Metafile(pixelsFrame(Side, Side, 3));
}

QByteArray xorScribbleWmf(int Points, int Side)
{
    WmfRecords r;
    r.Add(0x02FC, {0, 0xFF, 0, 0}).Add(0x012D, {0});          // red brush
    r.Add(0x02FA, {0, 3, 0, 0, 0xFF}).Add(0x012D, {1});       // blue pen, 3 wide
    r.Add(0x0104, {7});                                       // xor
    r.Add(0x0324, WmfWords({Points}) + scribblePoints(Points, Side, 10));
    return PlaceableHeader(0, 0, Side, Side, 96) + r.Metafile(2);
}

// Twelve rectangles framed in blue, each flood filled to its border.
QByteArray floodFills(int Width, int Height)
{
    EmfRecords r;
    r.Add(39, {1, 1, 0, 0}).Add(37, {1}).Add(38, {2, 0, 1, 0, kBlue}).Add(37, {2});
    const int cellWidth = Width / 4, cellHeight = Height / 3;
    for (int i = 0; i < 12; ++i) {
        const int x = i % 4 * cellWidth, y = i / 4 * cellHeight;
        r.Add(43, {x + 1, y + 1, x + cellWidth - 1, y + cellHeight - 1});
    }
    for (int i = 0; i < 12; ++i) {
        const int x = i % 4 * cellWidth, y = i / 4 * cellHeight;
        r.Add(39, {3, 0, RGBColor(20 * i, 255 - 20 * i, 128), 0}).Add(37, {3});
        r.Add(53, {x + cellWidth / 2, y + cellHeight / 2, kBlue, 0});
    }
    return r.Metafile(pixelsFrame(Width, Height, 4));
}

// A small framed square filled in the top-left corner of a large page.
QByteArray smallFloodFill(int Width, int Height)
{
    EmfRecords r;
    r.Add(39, {1, 1, 0, 0}).Add(37, {1}).Add(38, {2, 0, 1, 0, kBlue}).Add(37, {2});
    r.Add(43, {10, 10, 60, 60}).Add(39, {3, 0, kRed, 0}).Add(37, {3}).Add(53, {30, 30, kBlue, 0});
    return r.Metafile(pixelsFrame(Width, Height, 4));
}

// A horizontal gradient over the whole picture.
QByteArray fullGradient(int Side)
{
    EmfRecords r;
    r.Add(118, EmfBody{0, 0, Side, Side, 2, 1, 0, 0, 0, 0xFF00, 0, Side, Side, 0, 0xFF00}({0, 1}));
    return r.Metafile(pixelsFrame(Side, Side));
}

// A 2 x 2 bitmap stretched over the whole picture with a pattern and source operation.
QByteArray fullThreeOperandBlt(int Side)
{
    const auto quad = RecordBitmap(2, {{kRed, kBlue}, {kBlue, kRed}});
    EmfRecords r;
    r.Add(39, {1, 2, 0xFF00, 4}).Add(37, {1}); // a hatched brush
    r.Add(81, EmfBody{0, 0, Side, Side, 0, 0, 0, 0, 2, 2}.Dib(quad, 0, true)({0x00B8074A, Side, Side}));
    return r.Metafile(pixelsFrame(Side, Side));
}

// Strings in a font 4096 pixels high, overprinted, about Bytes of them.
QByteArray bigText(int Side, int Bytes)
{
    EmfRecords r;
    QByteArray face(64, '\0');
    const QString family = QStringLiteral("DejaVu Sans");
    for (int i = 0; i < family.size(); ++i)
        face[2 * i] = char(family[i].unicode());
    r.Add(82, EmfBody{1, -4096, 0, 0, 0, 700}.Raw(QByteArray(8, '\0') + face)).Add(37, {1});
    QByteArray text;
    for (int i = 0; i < 16; ++i)
        text += WmfWords({'W' + i % 3});
    constexpr int recordSize = 8 + 76 + 32;
    for (int i = 0; i * recordSize < Bytes; ++i)
        r.Add(84, EmfBody{0, 0, 0, 0, 1, 0, 0, (i * 97) % Side - Side / 4, (i * 53) % Side, 16, 76, 0, 0, 0, 0, 0, 0}
                      .Raw(text));
    return r.Metafile(pixelsFrame(Side, Side, 2));
}

// Full-frame pattern inversions (PatBlt), about Bytes long.
QByteArray fullPatBlts(int Side, int Bytes)
{
    WmfRecords r;
    r.Add(0x02FC, {0, 0xFF, 0, 0}).Add(0x012D, {0});
    for (int i = 0; i * 18 < Bytes; ++i)
        r.Add(0x061D, {0x0049, 0x005A, Side, Side, 0, 0}); // PATINVERT
    return PlaceableHeader(0, 0, Side, Side, 96) + r.Metafile(1);
}

// Scribbles of many points selected as clip paths, each followed by a rectangle, about Bytes long.
QByteArray clipPaths(int Side, int Bytes)
{
    EmfRecords r;
    r.Add(39, {1, 0, kRed, 0}).Add(37, {1}).Add(37, {kNullPen});
    constexpr int points = 400;
    for (int i = 0; i * (points * 4 + 80) < Bytes; ++i) {
        r.Add(59, {}).Add(86, EmfBody{0, 0, Side, Side, points}.Raw(scribblePoints(points, Side, i % 50)));
        r.Add(60, {}).Add(67, {5}).Add(43, {0, 0, Side, Side});
    }
    return r.Metafile(pixelsFrame(Side, Side));
}

// Clip paths of 300 small triangles each (PolyPolygon16), set and joined by turns, each
// followed by a rectangle, about Bytes long.
QByteArray clipFigures(int Side, int Bytes)
{
    EmfRecords r;
    r.Add(39, {1, 0, kRed, 0}).Add(37, {1}).Add(37, {kNullPen});
    constexpr int figures = 300;
    QByteArray counts;
    for (int i = 0; i < figures; ++i)
        counts += EmfBody{3};
    const QByteArray spots = scribblePoints(figures, Side - 40, 0);
    for (int i = 0; i * (figures * 16 + 90) < Bytes; ++i) {
        QByteArray corners;
        for (int f = 0; f < figures; ++f) {
            const int x = std::uint8_t(spots[4 * f]) | std::uint8_t(spots[4 * f + 1]) << 8;
            const int y = std::uint8_t(spots[4 * f + 2]) | std::uint8_t(spots[4 * f + 3]) << 8;
            corners += WmfWords({x + i % 40, y, x + 30, y + 5, x + 10, y + 35});
        }
        r.Add(59, {}).Add(91, EmfBody{0, 0, Side, Side, figures, 3 * figures}.Raw(counts + corners));
        r.Add(60, {}).Add(67, {i % 2 ? 2 : 5}).Add(43, {0, 0, Side, Side});
    }
    return r.Metafile(pixelsFrame(Side, Side));
}

// 82 bytes: a placeable box of 32767 units at 167 per inch (18836 pixels square, just under
// the image memory limit) and a rectangle.
QByteArray bigBox()
{
    WmfRecords r;
    r.Add(0x02FC, {0, 0xFF, 0, 0}).Add(0x012D, {0});
    r.Add(0x041B, {30000, 30000, 100, 100});
    return PlaceableHeader(0, 0, 32767, 32767, 167) + r.Metafile(1);
}

} // namespace

std::vector<HostileMetafile> HostileMetafiles()
{
    return {
        {"xor_polygon_200.emf", xorScribbleEmf(200, 2000)},
        {"xor_polygon_400.emf", xorScribbleEmf(400, 2000)},
        {"xor_polygon_4000.emf", xorScribbleEmf(4000, 2000)},
        {"xor_polygon_300.wmf", xorScribbleWmf(300, 2000)},
        {"flood_fills_2000.emf", floodFills(2000, 2000)},
        {"flood_fill_6000.emf", smallFloodFill(6000, 6000)},
        {"flood_fill_page.emf", smallFloodFill(14031, 9921)},
        {"gradient_6000.emf", fullGradient(6000)},
        {"rop3_blt_6000.emf", fullThreeOperandBlt(6000)},
        {"big_text_24k.emf", bigText(2000, 24 << 10)},
        {"big_text_120k.emf", bigText(2000, 120 << 10)},
        {"patblt_4000.wmf", fullPatBlts(4000, 90 << 10)},
        {"clip_paths.emf", clipPaths(2000, 320 << 10)},
        {"clip_figures.emf", clipFigures(2000, 320 << 10)},
        {"big_box.wmf", bigBox()},
    };
}
