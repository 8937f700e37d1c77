// Enhanced metafile records: 32-bit fields, offsets from the record's start.
#include "gdiplayer.h"
#include "metafilerecords.h"
#include "recordreader.h"

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
    emfSetMapMode = 17,
    emfSetBkMode = 18,
    emfSetPolyFillMode = 19,
    emfSetTextAlign = 22,
    emfSetTextColor = 24,
    emfSetBkColor = 25,
    emfMoveToEx = 27,
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
    emfEllipse = 42,
    emfRectangle = 43,
    emfRoundRect = 44,
    emfArc = 45,
    emfChord = 46,
    emfPie = 47,
    emfCreatePalette = 49,
    emfLineTo = 54,
    emfArcTo = 55,
    emfSetArcDirection = 57,
    emfBeginPath = 59,
    emfEndPath = 60,
    emfCloseFigure = 61,
    emfFillPath = 62,
    emfStrokeAndFillPath = 63,
    emfStrokePath = 64,
    emfSelectClipPath = 67,
    emfAbortPath = 68,
    emfExtSelectClipRgn = 75,
    emfBitBlt = 76,
    emfStretchBlt = 77,
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
    emfCreateMonoBrush = 93,
    emfCreateDibPatternBrushPt = 94,
    emfExtCreatePen = 95,
};

constexpr std::uint32_t kTextNoRect = 0x100;
constexpr std::uint32_t kTextGlyphIndex = 0x10;
constexpr std::uint32_t kTextPairedDx = 0x2000;
constexpr std::uint32_t kGeometricPen = 0x00010000;
constexpr std::uint32_t kMaxDashEntries = 16;

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

// The bitmap of a record: its header and colour table, then its pixels, made one packed
// bitmap; empty when the colour table holds palette indices.
QByteArray packedBitmap(const RecordReader& r, std::uint32_t Usage, std::uint32_t OffBmi, std::uint32_t CbBmi,
                        std::uint32_t OffBits, std::uint32_t CbBits)
{
    if (Usage != 0 || CbBmi == 0)
        return {};
    const std::uint8_t* header = r.Span(OffBmi, CbBmi, 1);
    const std::uint8_t* bits = r.Span(OffBits, CbBits, 1);
    QByteArray packed(reinterpret_cast<const char*>(header), qsizetype(CbBmi));
    packed.append(reinterpret_cast<const char*>(bits), qsizetype(CbBits));
    return packed;
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

void extTextOut(GdiPlayer& Player, const RecordReader& r, bool Wide)
{
    const QPointF reference = pointAt(r, 36);
    const std::uint32_t count = r.U32(44);
    const std::uint32_t offString = r.U32(48);
    const std::uint32_t options = r.U32(52);
    std::optional<QRectF> rect;
    std::uint32_t offDx;
    if (options & kTextNoRect) {
        offDx = r.U32(56);
    } else {
        rect = rectAt(r, 56);
        offDx = r.U32(72);
    }
    QString text;
    if (!(options & kTextGlyphIndex)) { // glyph numbers of a font we do not have
        const std::uint8_t* chars = r.Span(offString, count, Wide ? 2 : 1);
        if (Wide) {
            text.resize(qsizetype(count));
            for (std::uint32_t i = 0; i < count; ++i)
                text[qsizetype(i)] = QChar(char16_t(chars[2 * i] | chars[2 * i + 1] << 8));
            text.truncate(text.indexOf(QChar(0)) >= 0 ? text.indexOf(QChar(0)) : text.size());
        } else {
            text = DecodeAnsiText(chars, count);
        }
    }
    const std::uint64_t step = (options & kTextPairedDx) ? 8 : 4;
    std::vector<double> advances;
    if (offDx != 0 && count > 0 && r.Holds(offDx, count, step))
        for (std::uint32_t i = 0; i < count; ++i)
            advances.push_back(r.I32(offDx + step * i));
    Player.TextOut(reference, text, advances, options, rect);
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
        const std::uint32_t entries = std::min(r.U32(48), kMaxDashEntries);
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

void selectClipRegion(GdiPlayer& Player, const RecordReader& r)
{
    const std::uint32_t size = r.U32(8);
    const std::uint32_t mode = r.U32(12);
    std::vector<QRectF> rects;
    if (size > 0) {
        r.Span(16, size, 1);
        const std::uint32_t count = r.U32(24);
        if (size < 32 || count > (size - 32) / 16) // the rectangles follow a 32-byte head
            throw BadRecord{};
        for (std::uint32_t i = 0; i < count; ++i)
            rects.push_back(rectAt(r, 48 + 16 * std::uint64_t(i)));
    }
    Player.SelectClipRects(rects, mode);
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
        selectClipRegion(Player, r);
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
    case emfCreateDibPatternBrushPt:
        Player.CreateObjectAt(r.U32(8),
                              Player.PatternBrush(packedBitmap(r, r.U32(12), r.U32(16), r.U32(20), r.U32(24), r.U32(28))));
        break;
    case emfExtCreateFontIndirectW:
        Player.CreateObjectAt(r.U32(8), fontAt(r));
        break;
    case emfCreatePalette:
        Player.CreateObjectAt(r.U32(8), GdiPlaceholder{});
        break;
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
    case emfBitBlt:
    case emfStretchBlt: {
        const QRectF dest(QPointF(r.I32(24), r.I32(28)), QSizeF(r.I32(32), r.I32(36)));
        const std::uint32_t rop = r.U32(40);
        if (r.U32(88) == 0) { // no source bitmap
            Player.PatBlt(dest, rop);
            break;
        }
        const QSizeF sourceSize = Type == emfStretchBlt ? QSizeF(r.I32(100), r.I32(104)) : dest.size();
        const QByteArray packed = packedBitmap(r, r.U32(80), r.U32(84), r.U32(88), r.U32(92), r.U32(96));
        Player.BlitBitmap(packed, QRectF(pointAt(r, 44), sourceSize), false, dest, rop);
        break;
    }
    case emfStretchDIBits: {
        const QRectF source(pointAt(r, 32), QSizeF(r.I32(40), r.I32(44)));
        const QRectF dest(pointAt(r, 24), QSizeF(r.I32(72), r.I32(76)));
        const QByteArray packed = packedBitmap(r, r.U32(64), r.U32(48), r.U32(52), r.U32(56), r.U32(60));
        Player.BlitBitmap(packed, source, true, dest, r.U32(68));
        break;
    }
    case emfExtTextOutA:
    case emfExtTextOutW:
        extTextOut(Player, r, Type == emfExtTextOutW);
        break;
    default:
        break; // not drawn; comments (also those carrying other drawing) are ignored
    }
}

} // namespace metafile
