// Windows metafile records: parameters are 16-bit words, coordinates most often y before x.
#include "gdiplayer.h"
#include "metafilerecords.h"
#include "rasterops.h"
#include "recordreader.h"

#include <array>
#include <cstdlib>

namespace metafile {

namespace {

enum WmfFunction : std::uint16_t {
    wmfSaveDC = 0x001E,
    wmfRealizePalette = 0x0035,
    wmfSetPalEntries = 0x0037,
    wmfCreatePalette = 0x00F7,
    wmfSetBkMode = 0x0102,
    wmfSetMapMode = 0x0103,
    wmfSetRop2 = 0x0104,
    wmfSetPolyFillMode = 0x0106,
    wmfSetStretchBltMode = 0x0107,
    wmfSetTextCharExtra = 0x0108,
    wmfRestoreDC = 0x0127,
    wmfInvertRegion = 0x012A,
    wmfPaintRegion = 0x012B,
    wmfSelectClipRegion = 0x012C,
    wmfSelectObject = 0x012D,
    wmfSetTextAlign = 0x012E,
    wmfResizePalette = 0x0139,
    wmfDibCreatePatternBrush = 0x0142,
    wmfSetLayout = 0x0149,
    wmfDeleteObject = 0x01F0,
    wmfCreatePatternBrush = 0x01F9,
    wmfSetBkColor = 0x0201,
    wmfSetTextColor = 0x0209,
    wmfSetTextJustification = 0x020A,
    wmfSetWindowOrg = 0x020B,
    wmfSetWindowExt = 0x020C,
    wmfSetViewportOrg = 0x020D,
    wmfSetViewportExt = 0x020E,
    wmfOffsetWindowOrg = 0x020F,
    wmfOffsetViewportOrg = 0x0211,
    wmfLineTo = 0x0213,
    wmfMoveTo = 0x0214,
    wmfOffsetClipRgn = 0x0220,
    wmfFillRegion = 0x0228,
    wmfSelectPalette = 0x0234,
    wmfCreatePenIndirect = 0x02FA,
    wmfCreateFontIndirect = 0x02FB,
    wmfCreateBrushIndirect = 0x02FC,
    wmfPolygon = 0x0324,
    wmfPolyline = 0x0325,
    wmfScaleWindowExt = 0x0410,
    wmfScaleViewportExt = 0x0412,
    wmfExcludeClipRect = 0x0415,
    wmfIntersectClipRect = 0x0416,
    wmfEllipse = 0x0418,
    wmfFloodFill = 0x0419,
    wmfRectangle = 0x041B,
    wmfSetPixel = 0x041F,
    wmfFrameRegion = 0x0429,
    wmfAnimatePalette = 0x0436,
    wmfTextOut = 0x0521,
    wmfPolyPolygon = 0x0538,
    wmfExtFloodFill = 0x0548,
    wmfRoundRect = 0x061C,
    wmfPatBlt = 0x061D,
    wmfCreateRegion = 0x06FF,
    wmfArc = 0x0817,
    wmfPie = 0x081A,
    wmfChord = 0x0830,
    wmfBitBlt = 0x0922,
    wmfDibBitBlt = 0x0940,
    wmfExtTextOut = 0x0A32,
    wmfStretchBlt = 0x0B23,
    wmfDibStretchBlt = 0x0B41,
    wmfSetDibToDev = 0x0D33,
    wmfStretchDib = 0x0F43,
};

constexpr std::size_t kDeviceBitmapHead = 10;
// A pattern brush's bitmap: its head and a pointer, bytes nobody reads, then the rows.
constexpr std::size_t kPatternBitsAt = 32;
constexpr std::size_t kRegionScansAt = 22;

// The characters 0x80 to 0x9F of the western code page; the rest is Latin-1.
constexpr std::array<char16_t, 32> kWestern80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QPointF yx(const RecordReader& r, std::uint64_t At)
{
    return QPointF(r.I16(At + 2), r.I16(At));
}

// Bottom, right, top, left: the order of the rectangle parameters of most records.
QRectF rectangleBRTL(const RecordReader& r, std::uint64_t At)
{
    return QRectF(QPointF(r.I16(At + 6), r.I16(At + 4)), QPointF(r.I16(At + 2), r.I16(At)));
}

std::vector<QPointF> pointsAt(const RecordReader& r, std::uint64_t At, std::uint64_t Count)
{
    r.Span(At, Count, 4);
    std::vector<QPointF> points;
    points.reserve(std::size_t(Count));
    for (std::uint64_t i = 0; i < Count; ++i)
        points.emplace_back(r.I16(At + 4 * i), r.I16(At + 4 * i + 2));
    return points;
}

std::span<const std::uint8_t> bytesFrom(const RecordReader& r, std::uint64_t At)
{
    const std::uint8_t* p = r.Span(At, r.Size() - std::min<std::uint64_t>(At, r.Size()), 1);
    return std::span(p, std::size_t(r.Size() - At));
}

// The packed bitmap that fills the record from At, its colour table as Usage stores it.
DibParts dibFrom(const RecordReader& r, std::uint64_t At, std::uint32_t Usage)
{
    const std::optional<DibParts> dib = SplitPackedDib(bytesFrom(r, At), Usage);
    if (!dib)
        throw BadRecord{};
    return *dib;
}

// The transfers come in two forms: with a bitmap, or without one and a reserved word more.
bool withoutBitmap(std::uint16_t Function, const RecordReader& r)
{
    return r.Size() == std::size_t(Function >> 8) * 2;
}

// Scans of a region: each a count of x coordinates, top and bottom, that many left and right
// pairs, and the count again.
GdiRegion regionAt(const RecordReader& r)
{
    GdiRegion region;
    const std::uint16_t scans = r.U16(10);
    std::uint64_t at = kRegionScansAt;
    for (std::uint16_t i = 0; i < scans; ++i) {
        const std::uint16_t count = r.U16(at);
        const double top = r.I16(at + 2), bottom = r.I16(at + 4);
        r.Span(at + 6, count, 2);
        for (std::uint16_t j = 0; j + 1 < count && region.rects.size() < GdiPlayer::MaxRegionRects; j += 2)
            region.rects.emplace_back(QPointF(r.I16(at + 6 + 2 * j), top), QPointF(r.I16(at + 8 + 2 * j), bottom));
        at += 8 + 2 * std::uint64_t(count);
    }
    return region;
}

// A device-dependent bitmap of a pattern brush: its head, then its rows further on.
QByteArray patternBitmap(const RecordReader& r)
{
    QByteArray bitmap(reinterpret_cast<const char*>(r.Span(0, kDeviceBitmapHead, 1)), kDeviceBitmapHead);
    const std::span<const std::uint8_t> rows = bytesFrom(r, kPatternBitsAt);
    bitmap.append(reinterpret_cast<const char*>(rows.data()), qsizetype(rows.size()));
    return bitmap;
}

// The bitmap of a BitBlt or StretchBlt from BitmapAt: device-dependent (Device; decoded only when
// the operation reads it) or packed with its colours.
void bitmapTransfer(GdiPlayer& Player, const RecordReader& r, bool Device, const QRectF& Source, const QRectF& Dest,
                    std::uint64_t BitmapAt)
{
    const std::uint32_t rop = r.U32(0);
    if (!Device) {
        Player.BlitBitmap(dibFrom(r, BitmapAt, dibRgbColors), Source, false, Dest, rop);
        return;
    }
    if (!ReadsSource(TernaryIndex(rop))) {
        Player.PatBlt(Dest, rop);
        return;
    }
    if (const std::optional<QImage> bitmap = Player.DecodeDeviceBitmap(bytesFrom(r, BitmapAt)))
        Player.StretchBitmap(*bitmap, Source, Dest, rop);
}

// Definitions that cannot be read still take their slot, so later indices stay right.
template <class Read> GdiObject readObject(Read&& read)
{
    try {
        return read();
    } catch (const BadRecord&) {
        return GdiPlaceholder{};
    }
}

GdiFont fontAt(const RecordReader& r)
{
    GdiFont font;
    font.height = r.I16(0);
    font.escapement = r.I16(4);
    font.weight = r.I16(8);
    font.italic = r.U8(10) != 0;
    font.underline = r.U8(11) != 0;
    font.strikeOut = r.U8(12) != 0;
    if (r.Size() > 18)
        font.face = DecodeAnsiText(r.Data() + 18, std::min<std::size_t>(32, r.Size() - 18));
    return font;
}


void extTextOut(GdiPlayer& Player, const RecordReader& r)
{
    const QPointF reference(r.I16(2), r.I16(0));
    const std::int16_t length = r.I16(4);
    const std::uint16_t options = r.U16(6);
    if (length < 0)
        throw BadRecord{};
    std::uint64_t at = 8;
    std::optional<QRectF> rect;
    if (options & (etoOpaque | etoClipped)) {
        rect = QRectF(QPointF(r.I16(8), r.I16(10)), QPointF(r.I16(12), r.I16(14))); // left, top, right, bottom
        at = 16;
    }
    GdiText text{reference, {}, {}, {}, options, rect};
    const std::uint8_t* chars = r.Span(at, std::uint64_t(length), 1);
    if (options & etoGlyphIndex)
        text.glyphs.assign(chars, chars + length);
    else
        text.text = DecodeAnsiText(chars, std::size_t(length));
    at += (std::uint64_t(length) + 1) & ~std::uint64_t(1);
    if (length > 0 && r.Holds(at, std::uint64_t(length), 2))
        for (int i = 0; i < length; ++i)
            text.advances.push_back(r.I16(at + 2 * std::uint64_t(i)));
    Player.TextOut(text);
}

} // namespace

QString DecodeAnsiText(const std::uint8_t* Bytes, std::size_t Count)
{
    QString text;
    text.reserve(qsizetype(Count));
    for (std::size_t i = 0; i < Count && Bytes[i] != 0; ++i) {
        const std::uint8_t b = Bytes[i];
        text.append(QChar(b >= 0x80 && b < 0xA0 ? kWestern80[b - 0x80] : char16_t(b)));
    }
    return text;
}

std::vector<TColor> PaletteEntriesAt(const RecordReader& Record, std::uint64_t At, std::uint32_t Count)
{
    Record.Span(At, Count, 4);
    std::vector<TColor> entries;
    entries.reserve(Count);
    for (std::uint32_t i = 0; i < Count; ++i)
        entries.push_back(RGBColor(Record.U8(At + 4 * i), Record.U8(At + 4 * i + 1), Record.U8(At + 4 * i + 2)));
    return entries;
}

void PlayWindowsRecord(GdiPlayer& Player, std::uint16_t Function, const RecordReader& r)
{
    switch (Function) {
    case wmfSaveDC:
        Player.SaveDC();
        break;
    case wmfRestoreDC:
        Player.RestoreDC(r.I16(0));
        break;
    case wmfSetBkColor:
        Player.SetBkColor(r.U32(0));
        break;
    case wmfSetTextColor:
        Player.SetTextColor(r.U32(0));
        break;
    case wmfSetBkMode:
        Player.SetBkMode(r.U16(0));
        break;
    case wmfSetMapMode:
        Player.SetMapMode(r.U16(0));
        break;
    case wmfSetPolyFillMode:
        Player.SetPolyFillMode(r.U16(0));
        break;
    case wmfSetTextAlign:
        Player.SetTextAlign(r.U16(0));
        break;
    case wmfSetWindowOrg:
        Player.SetWindowOrg(yx(r, 0));
        break;
    case wmfSetWindowExt:
        Player.SetWindowExt(yx(r, 0));
        break;
    case wmfSetViewportOrg:
        Player.SetViewportOrg(yx(r, 0));
        break;
    case wmfSetViewportExt:
        Player.SetViewportExt(yx(r, 0));
        break;
    case wmfOffsetWindowOrg:
        Player.OffsetWindowOrg(yx(r, 0));
        break;
    case wmfOffsetViewportOrg:
        Player.OffsetViewportOrg(yx(r, 0));
        break;
    case wmfScaleWindowExt:
        Player.ScaleWindowExt(r.I16(6), r.I16(4), r.I16(2), r.I16(0));
        break;
    case wmfScaleViewportExt:
        Player.ScaleViewportExt(r.I16(6), r.I16(4), r.I16(2), r.I16(0));
        break;
    case wmfMoveTo:
        Player.MoveTo(yx(r, 0));
        break;
    case wmfLineTo:
        Player.LineTo(yx(r, 0));
        break;
    case wmfExcludeClipRect:
        Player.ExcludeClipRect(rectangleBRTL(r, 0));
        break;
    case wmfIntersectClipRect:
        Player.IntersectClipRect(rectangleBRTL(r, 0));
        break;
    case wmfRectangle:
        Player.Rectangle(rectangleBRTL(r, 0));
        break;
    case wmfEllipse:
        Player.Ellipse(rectangleBRTL(r, 0));
        break;
    case wmfRoundRect:
        Player.RoundRect(rectangleBRTL(r, 4), QSizeF(r.I16(2), r.I16(0)));
        break;
    case wmfArc:
    case wmfPie:
    case wmfChord: {
        const GdiPlayer::ArcKind kind = Function == wmfArc ? GdiPlayer::ArcKind::Arc
            : Function == wmfPie                           ? GdiPlayer::ArcKind::Pie
                                                           : GdiPlayer::ArcKind::Chord;
        Player.Arc(kind, rectangleBRTL(r, 8), yx(r, 4), yx(r, 0));
        break;
    }
    case wmfPolygon:
    case wmfPolyline: {
        const std::vector<QPointF> points = pointsAt(r, 2, r.U16(0));
        if (Function == wmfPolygon)
            Player.Polygon(points);
        else
            Player.Polyline(points);
        break;
    }
    case wmfPolyPolygon: {
        const std::uint16_t polygons = r.U16(0);
        std::vector<std::uint32_t> counts;
        std::uint64_t total = 0;
        for (std::uint16_t i = 0; i < polygons; ++i) {
            counts.push_back(r.U16(2 + 2 * std::uint64_t(i)));
            total += counts.back();
        }
        Player.PolyPolygon(pointsAt(r, 2 + 2 * std::uint64_t(polygons), total), counts);
        break;
    }
    case wmfTextOut: {
        const std::uint16_t length = r.U16(0);
        GdiText text;
        text.text = DecodeAnsiText(r.Span(2, length, 1), length);
        text.reference = yx(r, 2 + ((std::uint64_t(length) + 1) & ~std::uint64_t(1)));
        Player.TextOut(text);
        break;
    }
    case wmfExtTextOut:
        extTextOut(Player, r);
        break;
    case wmfCreatePenIndirect:
        Player.CreateObject(readObject([&] {
            return GdiPen{r.U16(0), double(std::abs(r.I16(2))), r.U32(6), {}};
        }));
        break;
    case wmfCreateBrushIndirect:
        Player.CreateObject(readObject([&] { return GdiBrush{r.U16(0), r.U32(2), r.U16(6), {}}; }));
        break;
    case wmfCreateFontIndirect:
        Player.CreateObject(readObject([&] { return fontAt(r); }));
        break;
    case wmfDibCreatePatternBrush: // style, colour usage, bitmap
        Player.CreateObject(readObject([&] { return Player.PatternBrush(dibFrom(r, 4, r.U16(2))); }));
        break;
    case wmfCreatePatternBrush:
        Player.CreateObject(readObject([&] { return Player.DeviceBitmapBrush(BytesOf(patternBitmap(r))); }));
        break;
    case wmfCreatePalette: // a version, the count, the entries
        Player.CreateObject(readObject([&] { return GdiObject(GdiPalette{PaletteEntriesAt(r, 4, r.U16(2))}); }));
        break;
    case wmfCreateRegion:
        Player.CreateObject(readObject([&] { return GdiObject(regionAt(r)); }));
        break;
    case wmfSelectPalette:
        Player.SelectPalette(r.U16(0));
        break;
    case wmfSetPalEntries:
    case wmfAnimatePalette: {
        Player.SetPaletteEntries(std::nullopt, r.U16(0), PaletteEntriesAt(r, 4, r.U16(2)));
        break;
    }
    case wmfResizePalette:
        Player.ResizePalette(std::nullopt, r.U16(0));
        break;
    case wmfRealizePalette:
        break; // the palette's colours are taken as they are set
    case wmfSelectClipRegion:
        Player.SelectClipRegion(r.U16(0));
        break;
    case wmfFillRegion:
    case wmfFrameRegion:
    case wmfInvertRegion:
    case wmfPaintRegion: {
        const GdiRegion* region = Player.RegionAt(r.U16(0));
        if (!region)
            break;
        if (Function == wmfFillRegion)
            Player.FillRegion(region->rects, r.U16(2));
        else if (Function == wmfFrameRegion)
            Player.FrameRegion(region->rects, r.U16(2), QSizeF(r.I16(6), r.I16(4)));
        else if (Function == wmfInvertRegion)
            Player.InvertRegion(region->rects);
        else
            Player.PaintRegion(region->rects);
        break;
    }
    case wmfOffsetClipRgn:
        Player.OffsetClipRegion(yx(r, 0));
        break;
    case wmfSetRop2:
        Player.SetROP2(r.U16(0));
        break;
    case wmfSetStretchBltMode:
        Player.SetStretchBltMode(r.U16(0));
        break;
    case wmfSetTextCharExtra:
        Player.SetTextCharExtra(r.I16(0));
        break;
    case wmfSetTextJustification: // the count of breaks, then the extra
        Player.SetTextJustification(r.I16(2), r.I16(0));
        break;
    case wmfSetLayout:
        Player.SetLayout(r.U16(0));
        break;
    case wmfSetPixel:
        Player.SetPixel(yx(r, 4), r.U32(0));
        break;
    case wmfFloodFill:
        Player.FloodFill(yx(r, 4), r.U32(0), false);
        break;
    case wmfExtFloodFill:
        Player.FloodFill(yx(r, 6), r.U32(2), r.U16(0) == 1);
        break;
    case wmfSelectObject:
        Player.SelectObject(r.U16(0));
        break;
    case wmfDeleteObject:
        Player.DeleteObject(r.U16(0));
        break;
    case wmfPatBlt:
        Player.PatBlt(QRectF(r.I16(10), r.I16(8), r.I16(6), r.I16(4)), r.U32(0));
        break;
    case wmfBitBlt:
    case wmfDibBitBlt:
        if (withoutBitmap(Function, r)) {
            Player.PatBlt(QRectF(r.I16(16), r.I16(14), r.I16(12), r.I16(10)), r.U32(0));
        } else {
            const QSizeF size(r.I16(10), r.I16(8));
            const QRectF source(QPointF(r.I16(6), r.I16(4)), size);
            bitmapTransfer(Player, r, Function == wmfBitBlt, source, QRectF(yx(r, 12), size), 16);
        }
        break;
    case wmfStretchBlt:
    case wmfDibStretchBlt:
        if (withoutBitmap(Function, r)) {
            Player.PatBlt(QRectF(r.I16(20), r.I16(18), r.I16(16), r.I16(14)), r.U32(0));
        } else {
            const QRectF source(QPointF(r.I16(10), r.I16(8)), QSizeF(r.I16(6), r.I16(4)));
            const QRectF dest(QPointF(r.I16(18), r.I16(16)), QSizeF(r.I16(14), r.I16(12)));
            bitmapTransfer(Player, r, Function == wmfStretchBlt, source, dest, 20);
        }
        break;
    case wmfStretchDib: { // raster operation, colour usage, source, destination, bitmap
        const QRectF source(QPointF(r.I16(12), r.I16(10)), QSizeF(r.I16(8), r.I16(6)));
        const QRectF dest(QPointF(r.I16(20), r.I16(18)), QSizeF(r.I16(16), r.I16(14)));
        Player.BlitBitmap(dibFrom(r, 22, r.U16(4)), source, true, dest, r.U32(0));
        break;
    }
    case wmfSetDibToDev: { // colour usage, scan lines, first scan line, source, destination, bitmap
        const QRectF source(QPointF(r.I16(8), r.I16(6)), QSizeF(r.I16(12), r.I16(10)));
        Player.SetDIBitsToDevice(dibFrom(r, 18, r.U16(0)), source, r.U16(4), r.U16(2), yx(r, 14));
        break;
    }
    default:
        break; // not played: FORMAT.md says why
    }
}

} // namespace metafile
