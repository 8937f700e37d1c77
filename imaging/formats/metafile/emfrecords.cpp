// Enhanced metafile records: 32-bit fields, offsets from the record's start.
#include "gdiplayer.h"
#include "metafilerecords.h"
#include "recordreader.h"

#include <cmath>
#include <cstdlib>

namespace metafile {

namespace {

enum EmfType : std::uint32_t {
    emfPolyBezier = 2,
    emfPolygon = 3,
    emfPolyline = 4,
    emfPolyBezierTo = 5,
    emfPolylineTo = 6,
    emfPolyPolyline = 7,
    emfPolyPolygon = 8,
    emfSetWindowExtEx = 9,
    emfSetWindowOrgEx = 10,
    emfSetViewportExtEx = 11,
    emfSetViewportOrgEx = 12,
    emfSetBrushOrgEx = 13,
    emfSetPixelV = 15,
    emfSetMapMode = 17,
    emfSetBkMode = 18,
    emfSetPolyFillMode = 19,
    emfSetRop2 = 20,
    emfSetStretchBltMode = 21,
    emfSetTextAlign = 22,
    emfSetTextColor = 24,
    emfSetBkColor = 25,
    emfOffsetClipRgn = 26,
    emfMoveToEx = 27,
    emfSetMetaRgn = 28,
    emfExcludeClipRect = 29,
    emfIntersectClipRect = 30,
    emfScaleViewportExtEx = 31,
    emfScaleWindowExtEx = 32,
    emfSaveDC = 33,
    emfRestoreDC = 34,
    emfSetWorldTransform = 35,
    emfModifyWorldTransform = 36,
    emfSelectObject = 37,
    emfCreatePen = 38,
    emfCreateBrushIndirect = 39,
    emfDeleteObject = 40,
    emfAngleArc = 41,
    emfEllipse = 42,
    emfRectangle = 43,
    emfRoundRect = 44,
    emfArc = 45,
    emfChord = 46,
    emfPie = 47,
    emfSelectPalette = 48,
    emfCreatePalette = 49,
    emfSetPaletteEntries = 50,
    emfResizePalette = 51,
    emfRealizePalette = 52,
    emfExtFloodFill = 53,
    emfLineTo = 54,
    emfArcTo = 55,
    emfPolyDraw = 56,
    emfSetArcDirection = 57,
    emfSetMiterLimit = 58,
    emfBeginPath = 59,
    emfEndPath = 60,
    emfCloseFigure = 61,
    emfFillPath = 62,
    emfStrokeAndFillPath = 63,
    emfStrokePath = 64,
    emfFlattenPath = 65,
    emfWidenPath = 66,
    emfSelectClipPath = 67,
    emfAbortPath = 68,
    emfFillRgn = 71,
    emfFrameRgn = 72,
    emfInvertRgn = 73,
    emfPaintRgn = 74,
    emfExtSelectClipRgn = 75,
    emfBitBlt = 76,
    emfStretchBlt = 77,
    emfMaskBlt = 78,
    emfPlgBlt = 79,
    emfSetDIBitsToDevice = 80,
    emfStretchDIBits = 81,
    emfExtCreateFontIndirectW = 82,
    emfExtTextOutA = 83,
    emfExtTextOutW = 84,
    emfPolyBezier16 = 85,
    emfPolygon16 = 86,
    emfPolyline16 = 87,
    emfPolyBezierTo16 = 88,
    emfPolylineTo16 = 89,
    emfPolyPolyline16 = 90,
    emfPolyPolygon16 = 91,
    emfPolyDraw16 = 92,
    emfCreateMonoBrush = 93,
    emfCreateDibPatternBrushPt = 94,
    emfExtCreatePen = 95,
    emfPolyTextOutA = 96,
    emfPolyTextOutW = 97,
    emfSmallTextOut = 108,
    emfAlphaBlend = 114,
    emfSetLayout = 115,
    emfTransparentBlt = 116,
    emfGradientFill = 118,
    emfSetTextJustification = 120,
};

constexpr std::uint32_t kTextNoRect = 0x100;
constexpr std::uint32_t kTextSmallChars = 0x200;
constexpr std::uint32_t kTextPairedDx = 0x2000;
constexpr std::size_t kEmrTextSize = 40; // with its rectangle
constexpr std::size_t kRegionHeadSize = 32;
constexpr std::size_t kGradientVertexSize = 16;
constexpr std::uint32_t kGeometricPen = 0x00010000;

QPointF pointAt(const RecordReader& r, std::uint64_t At)
{
    return QPointF(r.I32(At), r.I32(At + 4));
}

QRectF rectAt(const RecordReader& r, std::uint64_t At)
{
    return QRectF(pointAt(r, At), pointAt(r, At + 8));
}

// Count points of 8 bytes (Short: 4 bytes) from At.
std::vector<QPointF> pointsAt(const RecordReader& r, std::uint64_t At, std::uint64_t Count, bool Short)
{
    r.Span(At, Count, Short ? 4 : 8);
    std::vector<QPointF> points;
    points.reserve(std::size_t(Count));
    for (std::uint64_t i = 0; i < Count; ++i)
        points.push_back(Short ? QPointF(r.I16(At + 4 * i), r.I16(At + 4 * i + 2)) : pointAt(r, At + 8 * i));
    return points;
}

QTransform transformAt(const RecordReader& r, std::uint64_t At)
{
    return QTransform(r.F32(At), r.F32(At + 4), r.F32(At + 8), r.F32(At + 12), r.F32(At + 16), r.F32(At + 20));
}

// The bitmap of a record: the offset and size of its header and colour table at InfoAt, those
// of its pixels at BitsAt; none when the record carries none.
std::optional<DibParts> dibOf(const RecordReader& r, std::uint32_t Usage, std::uint64_t InfoAt, std::uint64_t BitsAt)
{
    const std::uint32_t offInfo = r.U32(InfoAt), infoSize = r.U32(InfoAt + 4);
    const std::uint32_t offBits = r.U32(BitsAt), bitsSize = r.U32(BitsAt + 4);
    if (infoSize == 0)
        return std::nullopt;
    return DibParts{std::span(r.Span(offInfo, infoSize, 1), infoSize), std::span(r.Span(offBits, bitsSize, 1), bitsSize),
                    Usage};
}

// Usage, then the offsets and sizes, from At.
std::optional<DibParts> dibAt(const RecordReader& r, std::uint64_t At)
{
    return dibOf(r, r.U32(At), At + 4, At + 12);
}

// The offsets and sizes, then the usage, from At, as StretchDIBits and SetDIBitsToDevice keep them.
std::optional<DibParts> dibWithUsageLast(const RecordReader& r, std::uint64_t At)
{
    return dibOf(r, r.U32(At + 16), At, At + 8);
}

std::optional<QImage> decodedAt(GdiPlayer& Player, const RecordReader& r, std::uint64_t At)
{
    const std::optional<DibParts> dib = dibAt(r, At);
    return dib ? Player.DecodeBitmap(*dib) : std::nullopt;
}

// The rectangles of region data (a 32-byte head, then left, top, right, bottom each) of Size
// bytes at At.
std::vector<QRectF> regionAt(const RecordReader& r, std::uint64_t At, std::uint32_t Size)
{
    std::vector<QRectF> rects;
    if (Size == 0)
        return rects;
    const RecordReader data(r.Span(At, Size, 1), Size);
    const std::uint32_t count = data.U32(8);
    data.Span(kRegionHeadSize, count, 16);
    for (std::uint32_t i = 0; i < count; ++i)
        rects.push_back(rectAt(data, kRegionHeadSize + 16 * std::uint64_t(i)));
    return rects;
}

// What a bitmap transfer record keeps first: destination, raster operation, source corner.
struct Transfer {
    QRectF dest;
    std::uint32_t rop;
    QPointF source;
};

Transfer transferAt(const RecordReader& r)
{
    return {QRectF(pointAt(r, 24), QSizeF(r.I32(32), r.I32(36))), r.U32(40), pointAt(r, 44)};
}

// Source rectangles of the transfers that stretch: their size after the bitmap's fields.
QRectF stretchedSource(const RecordReader& r, const Transfer& t)
{
    return QRectF(t.source, QSizeF(r.I32(100), r.I32(104)));
}

void polyPoly(GdiPlayer& Player, const RecordReader& r, bool Fill, bool Short)
{
    const std::uint32_t polys = r.U32(24);
    const std::uint32_t total = r.U32(28);
    r.Span(32, polys, 4);
    std::vector<std::uint32_t> counts;
    counts.reserve(polys);
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < polys; ++i) {
        counts.push_back(r.U32(32 + 4 * std::uint64_t(i)));
        sum += counts.back();
    }
    if (sum > total)
        throw BadRecord{};
    const std::vector<QPointF> points = pointsAt(r, 32 + 4 * std::uint64_t(polys), total, Short);
    if (Fill)
        Player.PolyPolygon(points, counts);
    else
        Player.PolyPolyline(points, counts);
}

// The characters (or, with the glyph-index option, glyph numbers) of a string: 16-bit when
// Wide, else 8-bit.
void readString(GdiText& Text, const RecordReader& r, std::uint64_t At, std::uint32_t Count, bool Wide)
{
    const std::uint8_t* chars = r.Span(At, Count, Wide ? 2 : 1);
    const auto unit = [&](std::uint32_t i) { return Wide ? std::uint32_t(GetU16(chars + 2 * i)) : chars[i]; };
    if (Text.options & etoGlyphIndex) {
        for (std::uint32_t i = 0; i < Count; ++i)
            Text.glyphs.push_back(unit(i));
    } else if (Wide) {
        for (std::uint32_t i = 0; i < Count && unit(i) != 0; ++i)
            Text.text.append(QChar(char16_t(unit(i))));
    } else {
        Text.text = DecodeAnsiText(chars, Count);
    }
}

// One string of a text record at At: reference, count, string offset, options, rectangle
// (unless the options leave it out), advances offset; the offsets count from the record's
// start. The number of bytes it took.
std::uint64_t emrText(GdiPlayer& Player, const RecordReader& r, std::uint64_t At, bool Wide)
{
    GdiText text;
    text.reference = pointAt(r, At);
    const std::uint32_t count = r.U32(At + 8);
    const std::uint32_t offString = r.U32(At + 12);
    text.options = r.U32(At + 16);
    std::uint64_t at = At + 20;
    if (!(text.options & kTextNoRect)) {
        text.rect = rectAt(r, at);
        at += 16;
    }
    const std::uint32_t offDx = r.U32(at);
    readString(text, r, offString, count, Wide);
    const std::uint64_t step = (text.options & kTextPairedDx) ? 8 : 4;
    if (offDx != 0 && count > 0 && r.Holds(offDx, count, step))
        for (std::uint32_t i = 0; i < count; ++i)
            text.advances.push_back(r.I32(offDx + step * i));
    Player.TextOut(text);
    return at + 4 - At;
}

void polyTextOut(GdiPlayer& Player, const RecordReader& r, bool Wide)
{
    const std::uint32_t strings = r.U32(36);
    std::uint64_t at = 40;
    for (std::uint32_t i = 0; i < strings && at < r.Size(); ++i)
        at += emrText(Player, r, at, Wide);
}

void smallTextOut(GdiPlayer& Player, const RecordReader& r)
{
    GdiText text;
    text.reference = QPointF(r.I32(8), r.I32(12));
    const std::uint32_t count = r.U32(16);
    text.options = r.U32(20);
    std::uint64_t at = 36;
    if (!(text.options & kTextNoRect)) {
        text.rect = rectAt(r, at);
        at += 16;
    }
    readString(text, r, at, count, !(text.options & kTextSmallChars));
    Player.TextOut(text);
}

void polyDraw(GdiPlayer& Player, const RecordReader& r, bool Short)
{
    const std::uint32_t count = r.U32(24);
    const std::vector<QPointF> points = pointsAt(r, 28, count, Short);
    const std::uint64_t typesAt = 28 + std::uint64_t(count) * (Short ? 4 : 8);
    Player.PolyDraw(points, std::span(r.Span(typesAt, count, 1), count));
}

void gradientFill(GdiPlayer& Player, const RecordReader& r)
{
    enum : std::uint32_t { horizontal = 0, vertical = 1, triangles = 2 };
    const std::uint32_t vertexCount = r.U32(24), shapes = r.U32(28), mode = r.U32(32);
    if (mode > triangles)
        throw BadRecord{};
    r.Span(36, vertexCount, kGradientVertexSize);
    const auto vertex = [&](std::uint64_t index) {
        if (index >= vertexCount)
            throw BadRecord{};
        const std::uint64_t at = 36 + kGradientVertexSize * index;
        // 16 bits a channel, of which the display takes the high byte; alpha is not used.
        return GradientVertex{pointAt(r, at), RGBColor(r.U16(at + 8) >> 8, r.U16(at + 10) >> 8, r.U16(at + 12) >> 8)};
    };
    const std::uint64_t indexAt = 36 + kGradientVertexSize * std::uint64_t(vertexCount);
    const std::uint64_t indexSize = mode == triangles ? 12 : 8;
    r.Span(indexAt, shapes, indexSize);
    std::vector<GradientTriangle> cells;
    for (std::uint32_t i = 0; i < shapes; ++i) {
        const std::uint64_t at = indexAt + indexSize * i;
        if (mode == triangles) {
            cells.push_back({vertex(r.U32(at)), vertex(r.U32(at + 4)), vertex(r.U32(at + 8))});
            continue;
        }
        // A rectangle from two corners: its colour changes from left to right or top to bottom.
        const GradientVertex a = vertex(r.U32(at)), b = vertex(r.U32(at + 4));
        const GradientVertex topRight{QPointF(b.point.x(), a.point.y()), mode == horizontal ? b.color : a.color};
        const GradientVertex bottomLeft{QPointF(a.point.x(), b.point.y()), mode == horizontal ? a.color : b.color};
        cells.push_back({a, topRight, b});
        cells.push_back({a, b, bottomLeft});
    }
    Player.GradientFill(cells);
}

void maskBlt(GdiPlayer& Player, const RecordReader& r)
{
    const Transfer t = transferAt(r);
    const std::optional<QImage> bitmap = decodedAt(Player, r, 80);
    const std::optional<QImage> mask = decodedAt(Player, r, 108);
    // No stretching: the source is as large as the destination.
    Player.MaskBlt(bitmap, QRectF(t.source, t.dest.size()), t.dest, t.rop, mask, pointAt(r, 100));
}

void plgBlt(GdiPlayer& Player, const RecordReader& r)
{
    const std::optional<QImage> bitmap = decodedAt(Player, r, 92);
    if (!bitmap)
        return;
    const std::optional<QImage> mask = decodedAt(Player, r, 120);
    const QRectF source(pointAt(r, 48), QSizeF(r.I32(56), r.I32(60)));
    Player.PlgBlt(*bitmap, source, {pointAt(r, 24), pointAt(r, 32), pointAt(r, 40)}, mask, pointAt(r, 112));
}

void setDIBitsToDevice(GdiPlayer& Player, const RecordReader& r)
{
    const std::optional<DibParts> dib = dibWithUsageLast(r, 48);
    if (!dib)
        return;
    const QRectF source(pointAt(r, 32), QSizeF(r.I32(40), r.I32(44)));
    Player.SetDIBitsToDevice(*dib, source, r.U32(68), r.U32(72), pointAt(r, 24));
}

GdiPen extendedPen(const RecordReader& r)
{
    GdiPen pen;
    pen.style = r.U32(28);
    pen.width = (pen.style & kGeometricPen) ? double(r.U32(32)) : 0;
    pen.color = r.U32(40);
    if (r.U32(36) == bsNull)
        pen.style = psNull;
    if ((pen.style & psStyleMask) == psUserStyle) {
        const std::uint32_t entries = std::min<std::uint32_t>(r.U32(48), GdiPlayer::MaxDashes);
        for (std::uint32_t i = 0; i < entries; ++i)
            pen.dashes.push_back(r.U32(52 + 4 * std::uint64_t(i)));
    }
    return pen;
}

GdiFont fontAt(const RecordReader& r)
{
    GdiFont font;
    font.height = r.I32(12);
    font.escapement = r.I32(20);
    font.weight = r.I32(28);
    font.italic = r.U8(32) != 0;
    font.underline = r.U8(33) != 0;
    font.strikeOut = r.U8(34) != 0;
    const std::size_t faceChars = r.Size() > 40 ? std::min<std::size_t>(32, (r.Size() - 40) / 2) : 0;
    for (std::size_t i = 0; i < faceChars; ++i) {
        const std::uint16_t c = r.U16(40 + 2 * std::uint64_t(i));
        if (c == 0)
            break;
        font.face.append(QChar(char16_t(c)));
    }
    return font;
}

void setMiterLimit(GdiPlayer& Player, const RecordReader& r)
{
    // Written as a float by some and as a whole number by others.
    const float limit = r.F32(8);
    Player.SetMiterLimit(std::isfinite(limit) && limit >= 1 ? double(limit) : double(r.U32(8)));
}

} // namespace

void PlayEnhancedRecord(GdiPlayer& Player, std::uint32_t Type, const RecordReader& r)
{
    switch (Type) {
    case emfPolyBezier:
    case emfPolyBezier16:
        Player.PolyBezier(pointsAt(r, 28, r.U32(24), Type == emfPolyBezier16));
        break;
    case emfPolygon:
    case emfPolygon16:
        Player.Polygon(pointsAt(r, 28, r.U32(24), Type == emfPolygon16));
        break;
    case emfPolyline:
    case emfPolyline16:
        Player.Polyline(pointsAt(r, 28, r.U32(24), Type == emfPolyline16));
        break;
    case emfPolyBezierTo:
    case emfPolyBezierTo16:
        Player.PolyBezierTo(pointsAt(r, 28, r.U32(24), Type == emfPolyBezierTo16));
        break;
    case emfPolylineTo:
    case emfPolylineTo16:
        Player.PolylineTo(pointsAt(r, 28, r.U32(24), Type == emfPolylineTo16));
        break;
    case emfPolyPolyline:
    case emfPolyPolyline16:
        polyPoly(Player, r, false, Type == emfPolyPolyline16);
        break;
    case emfPolyPolygon:
    case emfPolyPolygon16:
        polyPoly(Player, r, true, Type == emfPolyPolygon16);
        break;
    case emfSetWindowExtEx:
        Player.SetWindowExt(pointAt(r, 8));
        break;
    case emfSetWindowOrgEx:
        Player.SetWindowOrg(pointAt(r, 8));
        break;
    case emfSetViewportExtEx:
        Player.SetViewportExt(pointAt(r, 8));
        break;
    case emfSetViewportOrgEx:
        Player.SetViewportOrg(pointAt(r, 8));
        break;
    case emfScaleViewportExtEx:
        Player.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        break;
    case emfScaleWindowExtEx:
        Player.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        break;
    case emfSetMapMode:
        Player.SetMapMode(r.U32(8));
        break;
    case emfSetBkMode:
        Player.SetBkMode(r.U32(8));
        break;
    case emfSetPolyFillMode:
        Player.SetPolyFillMode(r.U32(8));
        break;
    case emfSetTextAlign:
        Player.SetTextAlign(r.U32(8));
        break;
    case emfSetTextColor:
        Player.SetTextColor(r.U32(8));
        break;
    case emfSetBkColor:
        Player.SetBkColor(r.U32(8));
        break;
    case emfSetArcDirection:
        Player.SetArcDirection(r.U32(8));
        break;
    case emfSetRop2:
        Player.SetROP2(r.U32(8));
        break;
    case emfSetStretchBltMode:
        Player.SetStretchBltMode(r.U32(8));
        break;
    case emfSetBrushOrgEx:
        Player.SetBrushOrg(pointAt(r, 8));
        break;
    case emfSetMiterLimit:
        setMiterLimit(Player, r);
        break;
    case emfSetTextJustification:
        Player.SetTextJustification(r.I32(8), r.I32(12));
        break;
    case emfSetLayout:
        Player.SetLayout(r.U32(8));
        break;
    case emfMoveToEx:
        Player.MoveTo(pointAt(r, 8));
        break;
    case emfLineTo:
        Player.LineTo(pointAt(r, 8));
        break;
    case emfExcludeClipRect:
        Player.ExcludeClipRect(rectAt(r, 8));
        break;
    case emfIntersectClipRect:
        Player.IntersectClipRect(rectAt(r, 8));
        break;
    case emfExtSelectClipRgn:
        Player.SelectClipRects(regionAt(r, 16, r.U32(8)), r.U32(12));
        break;
    case emfOffsetClipRgn:
        Player.OffsetClipRegion(pointAt(r, 8));
        break;
    case emfSetMetaRgn:
        Player.SetMetaRegion();
        break;
    case emfSaveDC:
        Player.SaveDC();
        break;
    case emfRestoreDC:
        Player.RestoreDC(r.I32(8));
        break;
    case emfSetWorldTransform:
        Player.SetWorldTransform(transformAt(r, 8));
        break;
    case emfModifyWorldTransform:
        Player.ModifyWorldTransform(transformAt(r, 8), r.U32(32));
        break;
    case emfSelectObject:
        Player.SelectObject(r.U32(8));
        break;
    case emfDeleteObject:
        Player.DeleteObject(r.U32(8));
        break;
    case emfCreatePen:
        Player.CreateObjectAt(r.U32(8), GdiPen{r.U32(12), double(std::abs(std::int64_t(r.I32(16)))), r.U32(24), {}});
        break;
    case emfExtCreatePen:
        Player.CreateObjectAt(r.U32(8), extendedPen(r));
        break;
    case emfCreateBrushIndirect:
        Player.CreateObjectAt(r.U32(8), GdiBrush{r.U32(12), r.U32(16), r.U32(20), {}});
        break;
    case emfCreateMonoBrush:
    case emfCreateDibPatternBrushPt: {
        const std::optional<DibParts> dib = dibAt(r, 12);
        if (!dib)
            throw BadRecord{};
        Player.CreateObjectAt(r.U32(8), Type == emfCreateMonoBrush ? Player.MonochromeBrush(*dib) : Player.PatternBrush(*dib));
        break;
    }
    case emfExtCreateFontIndirectW:
        Player.CreateObjectAt(r.U32(8), fontAt(r));
        break;
    case emfCreatePalette: // a version, then the count and the entries
        Player.CreateObjectAt(r.U32(8), GdiPalette{PaletteEntriesAt(r, 16, r.U16(14))});
        break;
    case emfSelectPalette:
        Player.SelectPalette(r.U32(8));
        break;
    case emfSetPaletteEntries:
        Player.SetPaletteEntries(r.U32(8), r.U32(12), PaletteEntriesAt(r, 20, r.U32(16)));
        break;
    case emfResizePalette:
        Player.ResizePalette(r.U32(8), r.U32(12));
        break;
    case emfRealizePalette:
        break; // the palette's colours are taken as they are set
    case emfRectangle:
        Player.Rectangle(rectAt(r, 8));
        break;
    case emfEllipse:
        Player.Ellipse(rectAt(r, 8));
        break;
    case emfRoundRect:
        Player.RoundRect(rectAt(r, 8), QSizeF(r.I32(24), r.I32(28)));
        break;
    case emfArc:
    case emfArcTo:
    case emfChord:
    case emfPie: {
        const GdiPlayer::ArcKind kind = Type == emfArc ? GdiPlayer::ArcKind::Arc
            : Type == emfArcTo                         ? GdiPlayer::ArcKind::ArcTo
            : Type == emfChord                         ? GdiPlayer::ArcKind::Chord
                                                       : GdiPlayer::ArcKind::Pie;
        Player.Arc(kind, rectAt(r, 8), pointAt(r, 24), pointAt(r, 32));
        break;
    }
    case emfAngleArc:
        Player.AngleArc(pointAt(r, 8), r.U32(16), r.F32(20), r.F32(24));
        break;
    case emfPolyDraw:
    case emfPolyDraw16:
        polyDraw(Player, r, Type == emfPolyDraw16);
        break;
    case emfSetPixelV:
        Player.SetPixel(pointAt(r, 8), r.U32(16));
        break;
    case emfExtFloodFill:
        Player.FloodFill(pointAt(r, 8), r.U32(16), r.U32(20) == 1);
        break;
    case emfGradientFill:
        gradientFill(Player, r);
        break;
    case emfFillRgn:
        Player.FillRegion(regionAt(r, 32, r.U32(24)), r.U32(28));
        break;
    case emfFrameRgn:
        Player.FrameRegion(regionAt(r, 40, r.U32(24)), r.U32(28), QSizeF(r.I32(32), r.I32(36)));
        break;
    case emfInvertRgn:
        Player.InvertRegion(regionAt(r, 28, r.U32(24)));
        break;
    case emfPaintRgn:
        Player.PaintRegion(regionAt(r, 28, r.U32(24)));
        break;
    case emfBeginPath:
        Player.BeginPath();
        break;
    case emfEndPath:
        Player.EndPath();
        break;
    case emfCloseFigure:
        Player.CloseFigure();
        break;
    case emfFillPath:
        Player.FillPath();
        break;
    case emfStrokeAndFillPath:
        Player.StrokeAndFillPath();
        break;
    case emfStrokePath:
        Player.StrokePath();
        break;
    case emfSelectClipPath:
        Player.SelectClipPath(r.U32(8));
        break;
    case emfAbortPath:
        Player.AbortPath();
        break;
    case emfFlattenPath:
        Player.FlattenPath();
        break;
    case emfWidenPath:
        Player.WidenPath();
        break;
    case emfBitBlt:
    case emfStretchBlt: {
        const Transfer t = transferAt(r);
        const std::optional<DibParts> dib = dibAt(r, 80);
        if (!dib) {
            Player.PatBlt(t.dest, t.rop);
            break;
        }
        const QRectF source = Type == emfStretchBlt ? stretchedSource(r, t) : QRectF(t.source, t.dest.size());
        Player.BlitBitmap(*dib, source, false, t.dest, t.rop);
        break;
    }
    case emfStretchDIBits: {
        const QRectF source(pointAt(r, 32), QSizeF(r.I32(40), r.I32(44)));
        const QRectF dest(pointAt(r, 24), QSizeF(r.I32(72), r.I32(76)));
        if (const std::optional<DibParts> dib = dibWithUsageLast(r, 48))
            Player.BlitBitmap(*dib, source, true, dest, r.U32(68));
        else
            Player.PatBlt(dest, r.U32(68));
        break;
    }
    case emfSetDIBitsToDevice:
        setDIBitsToDevice(Player, r);
        break;
    case emfMaskBlt:
        maskBlt(Player, r);
        break;
    case emfPlgBlt:
        plgBlt(Player, r);
        break;
    case emfAlphaBlend:
    case emfTransparentBlt: {
        const Transfer t = transferAt(r);
        const std::optional<DibParts> dib = dibAt(r, 80);
        const std::optional<QImage> bitmap = dib ? Player.DecodeBitmap(*dib) : std::nullopt;
        if (!bitmap)
            break;
        if (Type == emfAlphaBlend) // the blend function in place of the raster operation
            Player.AlphaBlend(*bitmap, AlphaOf(*dib), stretchedSource(r, t), t.dest, t.rop);
        else // the transparent colour in its place
            Player.TransparentBlt(*bitmap, stretchedSource(r, t), t.dest, t.rop);
        break;
    }
    case emfExtTextOutA:
    case emfExtTextOutW:
        emrText(Player, r, 36, Type == emfExtTextOutW);
        break;
    case emfPolyTextOutA:
    case emfPolyTextOutW:
        polyTextOut(Player, r, Type == emfPolyTextOutW);
        break;
    case emfSmallTextOut:
        smallTextOut(Player, r);
        break;
    default:
        break; // not played: FORMAT.md says why
    }
}

} // namespace metafile
