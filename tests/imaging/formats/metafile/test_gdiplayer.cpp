// The records the player draws, each in a small metafile made here, against the same picture
// drawn with the library's own canvas (exactly, or within a stated tolerance per channel), or at
// sample pixels where a picture cannot be drawn another way. Text is compared by where its ink
// lands, never by its pixels.
#include "hostilemetafiles.h"
#include "metafiletest.h"
#include "tests/imaging/imagingtest.h"
#include "imaging/bytestream.h"
#include "imaging/pgcanvas.h"
#include "imaging/pgsettings.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <functional>
#include <memory>

namespace {

class GdiPlayback : public LibraryTest {};

constexpr TColor kWhite = 0xFFFFFF, kBlack = 0;
constexpr TColor kRed = RGBColor(255, 0, 0), kGreen = RGBColor(0, 255, 0), kBlue = RGBColor(0, 0, 255);
constexpr std::int64_t kSourceCopy = 0x00CC0020;
constexpr std::int64_t kOne = 0x3F800000; // 1.0 as a float

// Enhanced metafile records the tests write.
enum : std::uint32_t {
    eSetWindowExt = 9, eSetViewportExt = 11, eSetBrushOrg = 13, eSetPixelV = 15, eSetMapMode = 17,
    eSetBkMode = 18, eSetRop2 = 20, eSetStretchBltMode = 21, eSetTextColor = 24, eSetBkColor = 25, eOffsetClipRgn = 26,
    eMoveTo = 27, eSetMetaRgn = 28, eIntersectClipRect = 30, eSelectObject = 37, eCreatePen = 38,
    eCreateBrush = 39, eAngleArc = 41, eRectangle = 43, eSelectPalette = 48, eCreatePalette = 49,
    eSetPaletteEntries = 50, eExtFloodFill = 53, eLineTo = 54, ePolyDraw = 56, eSetMiterLimit = 58,
    eBeginPath = 59, eEndPath = 60, eFillPath = 62, eStrokePath = 64, eFlattenPath = 65, eWidenPath = 66,
    eFillRgn = 71, eFrameRgn = 72, eInvertRgn = 73, ePaintRgn = 74, eExtSelectClipRgn = 75, eStretchBlt = 77,
    eMaskBlt = 78, ePlgBlt = 79, eSetDIBitsToDevice = 80, eStretchDIBits = 81, eExtCreateFont = 82,
    eExtTextOutW = 84, ePolyBezier16 = 85, eCreateMonoBrush = 93, eExtCreatePen = 95, ePolyTextOutW = 97,
    eSmallTextOut = 108, eAlphaBlend = 114, eSetLayout = 115, eTransparentBlt = 116, eGradientFill = 118,
};

// Windows metafile functions the tests write.
enum : std::uint16_t {
    wSetPalEntries = 0x0037, wCreatePalette = 0x00F7, wSetRop2 = 0x0104, wSetTextCharExtra = 0x0108,
    wInvertRegion = 0x012A, wPaintRegion = 0x012B, wSelectClipRegion = 0x012C, wSelectObject = 0x012D,
    wCreatePatternBrush = 0x01F9, wSetBkColor = 0x0201, wSetTextColor = 0x0209, wSetTextJustification = 0x020A,
    wFillRegion = 0x0228, wSelectPalette = 0x0234, wCreateFont = 0x02FB, wCreateBrush = 0x02FC,
    wFloodFill = 0x0419, wSetPixel = 0x041F, wFrameRegion = 0x0429, wTextOut = 0x0521, wExtFloodFill = 0x0548,
    wCreateRegion = 0x06FF, wBitBlt = 0x0922, wStretchBlt = 0x0B23, wSetDibToDev = 0x0D33, wStretchDib = 0x0F43,
};

QColor qc(TColor c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

using Body = EmfBody;

// Logical units ten output pixels wide, so that bitmaps of two pixels are seen.
EmfRecords& tenfold(EmfRecords& r)
{
    return r.Add(eSetMapMode, {8}).Add(eSetWindowExt, {1, 1}).Add(eSetViewportExt, {10, 10});
}

EmfRecords& emfBackground(EmfRecords& r, TColor Color)
{
    return emfFill(r, Color, 3).Add(eRectangle, {0, 0, 96, 96});
}

// A transfer's fields in BitBlt's layout: destination, operation, source corner, identity
// source transform, background colour; then its bitmap's.
Body transfer(QRect Dest, std::int64_t Rop, const std::pair<QByteArray, QByteArray>& Bitmap, QPoint Source = {})
{
    Body body{0, 0, 0, 0, Dest.x(), Dest.y(), Dest.width(), Dest.height(), Rop, Source.x(), Source.y(), kOne, 0, 0,
              kOne, 0, 0, 0};
    return body.Dib(Bitmap);
}

// Region data: the 32-byte head and the rectangles.
Body regionData(Body Head, const std::vector<QRect>& Rects)
{
    Head({32, 1, std::int64_t(Rects.size()), 16 * std::int64_t(Rects.size()), 0, 0, 0, 0});
    for (const QRect& r : Rects)
        Head({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    return Head;
}

// A gradient corner: position and 16-bit red, green, blue.
Body& vertex(Body& b, int X, int Y, TColor C)
{
    return b({X, Y, RedOf(C) << 8 | GreenOf(C) << 24, BlueOf(C) << 8});
}

// A font of the given face, Height pixels for its characters.
QByteArray emfFont(const QString& Face, int Height)
{
    QByteArray face(64, '\0');
    for (int i = 0; i < Face.size(); ++i)
        face[2 * i] = char(Face[i].unicode());
    return Body{2, -Height, 0, 0, 0, 400}.Raw(QByteArray(8, '\0') + face);
}

QByteArray wmfFont(const char* Face, int Height)
{
    return WmfWords({-Height, 0, 0, 0, 400}) + QByteArray(8, '\0') + QByteArray(Face).leftJustified(32, '\0');
}

QByteArray utf16(const QString& Text)
{
    QByteArray out;
    for (QChar c : Text)
        out += WmfWords({c.unicode()});
    return out;
}

// A W x H white picture drawn with the library's own canvas.
std::unique_ptr<TPixelGraphic> canvasPicture(QSize Size, const std::function<void(QPainter&)>& Draw)
{
    auto image = std::make_unique<TPixelGraphic>();
    image->Allocate(Size.width(), Size.height(), bcn24Bit);
    QPainter& painter = image->Canvas().Painter();
    painter.fillRect(QRect(QPoint(0, 0), Size), Qt::white);
    Draw(painter);
    image->FlushCanvas();
    return image;
}

// Pixels whose channels differ by more than Tolerance.
int differingPixels(TPixelGraphic& A, TPixelGraphic& B, int Tolerance)
{
    int count = 0;
    for (int y = 0; y < A.Height(); ++y)
        for (int x = 0; x < A.Width(); ++x) {
            const TColor a = A.GetPixelColor(x, y), b = B.GetPixelColor(x, y);
            if (std::abs(RedOf(a) - RedOf(b)) > Tolerance || std::abs(GreenOf(a) - GreenOf(b)) > Tolerance
                || std::abs(BlueOf(a) - BlueOf(b)) > Tolerance)
                ++count;
        }
    return count;
}

// The box of the pixels that are not white, of the whole picture or inside Area.
QRect inkBox(TPixelGraphic& Image, QRect Area = QRect(0, 0, 1 << 16, 1 << 16))
{
    QRect box;
    Area &= QRect(0, 0, Image.Width(), Image.Height());
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            if (Image.GetPixelColor(x, y) != kWhite)
                box |= QRect(x, y, 1, 1);
    return box;
}

struct CanvasCase {
    const char* name;
    QByteArray file;
    std::function<void(QPainter&)> reference;
    int tolerance = 0;
};

void expectCanvasPictures(const std::vector<CanvasCase>& Cases)
{
    for (const CanvasCase& c : Cases) {
        TPixelGraphic image;
        LoadBytes(image, c.file);
        const auto reference = canvasPicture(QSize(image.Width(), image.Height()), c.reference);
        EXPECT_EQ(differingPixels(image, *reference, c.tolerance), 0) << c.name;
    }
}

const auto fill = [](std::vector<std::pair<QRect, TColor>> Rects) {
    return [Rects](QPainter& p) {
        for (const auto& [rect, color] : Rects)
            p.fillRect(rect, qc(color));
    };
};

TEST_F(GdiPlayback, BitmapTransfersMatchTheCanvas)
{
    const auto redGreen = RecordBitmap(2, {{kRed, kGreen}});
    const auto mask = RecordMonoBitmap(2, {{1, 0}});
    const auto withBackground = [](const std::function<void(EmfRecords&)>& Add) {
        EmfRecords r;
        emfBackground(r, kBlue);
        Add(tenfold(r));
        return r.Metafile(square96(4));
    };
    // Scan lines of a 4 x 4 bitmap from the bottom: red, green, blue, black. The band holds
    // scans 1 to 3; scans 2 and 3 are drawn.
    const auto header = RecordBitmap(4, std::vector<std::vector<TColor>>(4, std::vector<TColor>(4, kRed))).first;
    const auto band = RecordBitmap(4, {std::vector<TColor>(4, kBlack), std::vector<TColor>(4, kBlue),
                                 std::vector<TColor>(4, kGreen)}).second;
    EmfRecords device;
    tenfold(device).Add(eSetDIBitsToDevice, Body{0, 0, 0, 0, 2, 2, 0, 2, 4, 2}.Dib({header, band}, 0, true)({1, 3}));

    EmfRecords paletteDib; // palette indices 1 and 0 in the colour table; the second entry set blue later
    paletteDib.Add(eCreatePalette, {1, 0x0300 | 2 << 16, kRed, kGreen}).Add(eSelectPalette, {1});
    paletteDib.Add(eStretchDIBits, Body{0, 0, 0, 0, 0, 0, 0, 0, 2, 1}.Dib(RecordMonoBitmap(2, {{0, 1}}, true), 1, true)(
                                       {kSourceCopy, 96, 48}));
    paletteDib.Add(eSetPaletteEntries, {1, 1, 1, kBlue});
    paletteDib.Add(eStretchDIBits, Body{0, 0, 0, 0, 0, 48, 0, 0, 2, 1}.Dib(RecordMonoBitmap(2, {{0, 1}}, true), 1, true)(
                                       {kSourceCopy, 96, 48}));

    // A top-down bitmap's rows count from its top: the first row, red, is drawn.
    auto topDown = RecordBitmap(1, {{kRed}, {kBlue}});
    PutU32(reinterpret_cast<std::uint8_t*>(topDown.first.data()) + 8, std::uint32_t(-2));
    topDown.second = RecordBitmap(1, {{kBlue}, {kRed}}).second;
    EmfRecords topRow;
    topRow.Add(eStretchDIBits, Body{0, 0, 0, 0, 0, 0, 0, 0, 1, 1}.Dib(topDown, 0, true)({kSourceCopy, 96, 96}));

    expectCanvasPictures({
        {"StretchDIBits of a top-down bitmap", topRow.Metafile(square96()), fill({{QRect(0, 0, 96, 96), kRed}})},
        {"SetDIBitsToDevice: a band of scan lines, one pixel each from a logical point", device.Metafile(square96()),
         fill({{QRect(20, 20, 4, 1), kBlack}, {QRect(20, 21, 4, 1), kBlue}})},
        {"StretchDIBits with palette indices for colours", paletteDib.Metafile(square96()),
         fill({{QRect(0, 0, 48, 48), kGreen}, {QRect(48, 0, 48, 48), kRed}, {QRect(0, 48, 48, 48), kBlue},
               {QRect(48, 48, 48, 48), kRed}})},
        {"AlphaBlend with a constant alpha of 128",
         withBackground([](EmfRecords& r) {
             r.Add(eAlphaBlend, transfer({2, 2, 4, 4}, 0x00800000, RecordBitmap(1, {{kRed}}))({1, 1}));
         }),
         fill({{QRect(0, 0, 96, 96), kBlue}, {QRect(20, 20, 40, 40), RGBColor(128, 0, 127)}}), 1},
        {"AlphaBlend with the bitmap's own alpha",
         withBackground([](EmfRecords& r) {
             r.Add(eAlphaBlend, transfer({2, 2, 4, 4}, 0x01FF0000, RecordBitmap(2, {{kRed, kGreen}}, 32, {255, 0}))({2, 1}));
         }),
         fill({{QRect(0, 0, 96, 96), kBlue}, {QRect(20, 20, 20, 40), kRed}})},
        {"TransparentBlt leaves its colour out",
         withBackground([&](EmfRecords& r) { r.Add(eTransparentBlt, transfer({2, 2, 4, 4}, kGreen, redGreen)({2, 1})); }),
         fill({{QRect(0, 0, 96, 96), kBlue}, {QRect(20, 20, 20, 40), kRed}})},
        {"MaskBlt: the source where the mask is set, the picture elsewhere",
         withBackground([&](EmfRecords& r) {
             r.Add(eMaskBlt, transfer({2, 2, 2, 1}, 0xAACC0020, redGreen)({0, 0}).Dib(mask));
         }),
         fill({{QRect(0, 0, 96, 96), kBlue}, {QRect(20, 20, 10, 10), kRed}})},
        {"PlgBlt onto a mirrored parallelogram",
         withBackground([&](EmfRecords& r) {
             r.Add(ePlgBlt, Body{0, 0, 0, 0, 6, 2, 2, 2, 6, 4, 0, 0, 2, 1, kOne, 0, 0, kOne, 0, 0, 0}.Dib(redGreen)(
                                {0, 0, 0, 0, 0, 0, 0}));
         }),
         fill({{QRect(0, 0, 96, 96), kBlue}, {QRect(20, 20, 20, 20), kGreen}, {QRect(40, 20, 20, 20), kRed}})},
        {"PlgBlt through a mask",
         withBackground([&](EmfRecords& r) {
             r.Add(ePlgBlt, Body{0, 0, 0, 0, 2, 2, 6, 2, 2, 4, 0, 0, 2, 1, kOne, 0, 0, kOne, 0, 0, 0}.Dib(redGreen)(
                                {0, 0}).Dib(mask));
         }),
         fill({{QRect(0, 0, 96, 96), kBlue}, {QRect(20, 20, 20, 20), kRed}})},
    });
}

TEST_F(GdiPlayback, TernaryRasterOperations)
{
    // Picture, source and brush of distinct bits, each operation by its own formula.
    constexpr std::uint32_t d = 0xF00F55, s = 0xCCAA0F, p = 0x3CFF00;
    const struct {
        const char* name;
        std::uint32_t rop;
        std::uint32_t expected;
    } cases[] = {
        {"SRCPAINT", 0x00EE0086, s | d},          {"SRCAND", 0x008800C6, s & d},
        {"SRCINVERT", 0x00660046, s ^ d},         {"SRCERASE", 0x00440328, s & ~d},
        {"NOTSRCCOPY", 0x00330008, ~s},           {"NOTSRCERASE", 0x001100A6, ~(s | d)},
        {"MERGECOPY", 0x00C000CA, p & s},         {"MERGEPAINT", 0x00BB0226, ~s | d},
        {"PATPAINT", 0x00FB0A09, p | ~s | d},     {"PATINVERT", 0x005A0049, p ^ d},
        {"DSTINVERT", 0x00550009, ~d},            {"no change", 0x00AA0029, d},
    };
    for (const auto& c : cases) {
        EmfRecords r;
        emfBackground(r, d);
        emfFill(r, p, 2).Add(eStretchBlt, transfer({20, 20, 40, 40}, c.rop, RecordBitmap(1, {{s}}))({1, 1}));
        TPixelGraphic image;
        LoadBytes(image, r.Metafile(square96(4)));
        expectSamples(image, {{40, 40, c.expected & 0xFFFFFF}, {10, 10, d}, {20, 20, c.expected & 0xFFFFFF}, {60, 60, d}},
                      c.name);
    }
}

TEST_F(GdiPlayback, PenAndBrushMixes)
{
    constexpr std::uint32_t d = 0xF00F55, p = 0x3CFF00;
    const std::uint32_t expected[17] = {0, 0, ~(p | d), d & ~p, ~p, p & ~d, ~d, p ^ d, ~(p & d), p & d, ~(p ^ d),
                                        d, d | ~p, p, p | ~d, p | d, 0xFFFFFF};
    for (int mode = 1; mode <= 16; ++mode) {
        EmfRecords r;
        emfBackground(r, d);
        emfFill(r, p, 2).Add(eSetRop2, {mode}).Add(eRectangle, {20, 20, 60, 60});
        TPixelGraphic image;
        LoadBytes(image, r.Metafile(square96(4)));
        expectSamples(image, {{40, 40, expected[mode] & 0xFFFFFF}, {10, 10, d}}, std::to_string(mode).c_str());
    }
    // An outline drawn over the fill's edge mixes once, as the fill does.
    EmfRecords outlined;
    emfBackground(outlined, kRed).Add(eSetRop2, {7});
    outlined.Add(eCreatePen, {2, 0, 1, 0, kGreen}).Add(eCreateBrush, {1, 0, kGreen, 0}).Add(eSelectObject, {1});
    outlined.Add(eSelectObject, {2}).Add(eRectangle, {20, 20, 60, 60});
    WmfRecords windows;
    wmfRect(wmfFill(windows, kRed), 0, 0, 100, 100).Add(wSetRop2, {7});
    wmfRect(wmfFill(windows, kGreen), 20, 20, 60, 60);
    QPainterPath box;
    box.addRect(20, 20, 40, 40);
    expectCanvasPictures({
        {"xor over fill and outline", outlined.Metafile(square96(4)),
         [&](QPainter& q) {
             q.fillRect(0, 0, 96, 96, Qt::red);
             q.fillPath(box, Qt::yellow);
             q.strokePath(box, QPen(Qt::yellow, 1, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
         }},
        {"Windows metafile xor", placeable100(windows), fill({{QRect(0, 0, 100, 100), kRed}, {QRect(20, 20, 40, 40), RGBColor(255, 255, 0)}})},
    });
}

TEST_F(GdiPlayback, PixelsFillsAndRegionsMatchTheCanvas)
{
    const auto regionOf = [](std::uint32_t Type, Body Head) {
        // A green brush in slot 2, selected only for the region record that paints with the selected one.
        EmfRecords r;
        emfBackground(r, kRed).Add(eCreateBrush, {2, 0, kGreen, 0});
        r.Add(eSelectObject, {Type == ePaintRgn ? 2 : 0x80000004});
        return r.Add(Type, regionData(Head, {QRect(10, 10, 20, 20), QRect(50, 40, 40, 20)})).Metafile(square96(4));
    };
    const auto emfRegion = fill({{QRect(0, 0, 96, 96), kRed}, {QRect(10, 10, 20, 20), kGreen}, {QRect(50, 40, 40, 20), kGreen}});
    EmfRecords framed;
    emfBackground(framed, kRed).Add(eCreateBrush, {2, 0, kGreen, 0});
    framed.Add(eFrameRgn, regionData(Body{0, 0, 0, 0, 48, 2, 3, 2}, {QRect(20, 20, 60, 40)}));
    EmfRecords pixels;
    pixels.Add(eSetPixelV, {10, 10, kRed}).Add(eSetPixelV, {50, 60, kGreen}).Add(eSetPixelV, {95, 95, kBlue});
    EmfRecords surface; // a red square filled where it is red
    emfFill(surface, kRed).Add(eRectangle, {20, 20, 60, 60});
    emfFill(surface, kBlue, 2).Add(eExtFloodFill, {40, 40, kRed, 1});
    EmfRecords border; // a black frame two pixels wide filled inside up to it
    emfFill(border, kBlack).Add(eRectangle, {20, 20, 60, 60});
    emfFill(border, kWhite, 2).Add(eRectangle, {22, 22, 58, 58});
    emfFill(border, kGreen, 3).Add(eExtFloodFill, {40, 40, kBlack, 0});
    EmfRecords clipped; // the fill does not leave the clip
    emfFill(clipped, kBlue).Add(eIntersectClipRect, {0, 0, 48, 96}).Add(eExtFloodFill, {10, 10, kWhite, 1});
    const auto bordered = fill({{QRect(20, 20, 40, 40), kBlack}, {QRect(22, 22, 36, 36), kGreen}});

    // A Windows metafile region in slot 0: one scan from y 20 to 60, x 20 to 80; a green brush in 1.
    const auto wmfRegion = [](const std::function<void(WmfRecords&)>& Use) {
        WmfRecords r;
        wmfRect(wmfFill(r, kRed), 0, 0, 100, 100);
        r.Add(wCreateRegion, {0, 6, 0, 0, 34, 1, 4, 20, 20, 80, 60, 2, 20, 60, 20, 80, 2});
        r.Add(wCreateBrush, {0, int(kGreen & 0xFFFF), int(kGreen >> 16), 0});
        Use(r);
        return placeable100(r, 3);
    };
    const auto wmfRegionGreen = fill({{QRect(0, 0, 100, 100), kRed}, {QRect(20, 20, 60, 40), kGreen}});
    WmfRecords wmfPixels;
    wmfPixels.Add(wSetPixel, {int(kRed & 0xFFFF), 0, 10, 20});
    WmfRecords wmfSurface, wmfBorder;
    wmfRect(wmfFill(wmfSurface, kRed), 20, 20, 60, 60);
    wmfFill(wmfSurface, kBlue).Add(wExtFloodFill, {1, int(kRed & 0xFFFF), 0, 40, 40});
    wmfRect(wmfFill(wmfBorder, kBlack), 20, 20, 60, 60);
    wmfRect(wmfFill(wmfBorder, kWhite), 22, 22, 58, 58);
    wmfFill(wmfBorder, kGreen).Add(wFloodFill, {0, 0, 40, 40});

    expectCanvasPictures({
        {"SetPixelV", pixels.Metafile(square96()),
         fill({{QRect(10, 10, 1, 1), kRed}, {QRect(50, 60, 1, 1), kGreen}, {QRect(95, 95, 1, 1), kBlue}})},
        {"ExtFloodFill of a surface", surface.Metafile(square96(4)), fill({{QRect(20, 20, 40, 40), kBlue}})},
        {"ExtFloodFill up to a border", border.Metafile(square96(4)), bordered},
        {"a flood fill stays inside the clip", clipped.Metafile(square96(4)), fill({{QRect(0, 0, 48, 96), kBlue}})},
        {"FillRgn with a brush of its own", regionOf(eFillRgn, Body{0, 0, 0, 0, 64, 2}), emfRegion},
        {"PaintRgn with the selected brush", regionOf(ePaintRgn, Body{0, 0, 0, 0, 64}), emfRegion},
        {"InvertRgn", regionOf(eInvertRgn, Body{0, 0, 0, 0, 64}),
         fill({{QRect(0, 0, 96, 96), kRed}, {QRect(10, 10, 20, 20), RGBColor(0, 255, 255)}, {QRect(50, 40, 40, 20), RGBColor(0, 255, 255)}})},
        {"FrameRgn three pixels wide, two high", framed.Metafile(square96(4)),
         fill({{QRect(0, 0, 96, 96), kRed}, {QRect(20, 20, 60, 40), kGreen}, {QRect(23, 22, 54, 36), kRed}})},
        {"Windows metafile SetPixel", placeable100(wmfPixels), fill({{QRect(20, 10, 1, 1), kRed}})},
        {"Windows metafile ExtFloodFill", placeable100(wmfSurface), fill({{QRect(20, 20, 40, 40), kBlue}})},
        {"Windows metafile FloodFill", placeable100(wmfBorder), bordered},
        {"FillRegion", wmfRegion([](WmfRecords& r) { r.Add(wFillRegion, {0, 1}); }), wmfRegionGreen},
        {"PaintRegion", wmfRegion([](WmfRecords& r) { r.Add(wSelectObject, {1}).Add(wPaintRegion, {0}); }), wmfRegionGreen},
        {"InvertRegion", wmfRegion([](WmfRecords& r) { r.Add(wInvertRegion, {0}); }),
         fill({{QRect(0, 0, 100, 100), kRed}, {QRect(20, 20, 60, 40), RGBColor(0, 255, 255)}})},
        {"FrameRegion", wmfRegion([](WmfRecords& r) { r.Add(wFrameRegion, {0, 1, 2, 3}); }),
         fill({{QRect(0, 0, 100, 100), kRed}, {QRect(20, 20, 60, 40), kGreen}, {QRect(23, 22, 54, 36), kRed}})},
        {"SelectClipRegion",
         wmfRegion([](WmfRecords& r) { wmfRect(r.Add(wSelectClipRegion, {0}).Add(wSelectObject, {1}), 0, 0, 100, 100); }),
         wmfRegionGreen},
    });
}

TEST_F(GdiPlayback, GradientsMatchTheCanvas)
{
    const auto gradient = [](std::int64_t Mode) {
        Body body{0, 0, 0, 0, 2, 1, Mode};
        vertex(vertex(body, 10, 10, kRed), 74, 42, kBlue)({0, 1});
        EmfRecords r;
        return r.Add(eGradientFill, body).Metafile(square96());
    };
    const auto linear = [](QPointF To) {
        return [To](QPainter& p) {
            QLinearGradient g(QPointF(10, 10), To);
            g.setColorAt(0, Qt::red);
            g.setColorAt(1, Qt::blue);
            p.fillRect(QRect(10, 10, 64, 32), g);
        };
    };
    expectCanvasPictures({
        {"left to right", gradient(0), linear(QPointF(74, 10)), 3},
        {"top to bottom", gradient(1), linear(QPointF(10, 42)), 3},
    });

    // A triangle: each corner's colour at the corner, their mean at the centre, nothing outside.
    Body body{0, 0, 0, 0, 3, 1, 2};
    vertex(vertex(vertex(body, 0, 0, kRed), 90, 0, kGreen), 0, 90, kBlue)({0, 1, 2});
    EmfRecords r;
    TPixelGraphic image;
    LoadBytes(image, r.Add(eGradientFill, body).Metafile(square96()));
    const auto near = [&](int x, int y, TColor expected, int tolerance) {
        const TColor c = image.GetPixelColor(x, y);
        EXPECT_LE(std::abs(RedOf(c) - RedOf(expected)), tolerance) << x << ", " << y;
        EXPECT_LE(std::abs(GreenOf(c) - GreenOf(expected)), tolerance) << x << ", " << y;
        EXPECT_LE(std::abs(BlueOf(c) - BlueOf(expected)), tolerance) << x << ", " << y;
    };
    near(0, 0, kRed, 6);
    near(88, 0, kGreen, 6);
    near(0, 88, kBlue, 6);
    near(30, 30, RGBColor(85, 85, 85), 3);
    EXPECT_EQ(image.GetPixelColor(60, 60), kWhite);
}

TEST_F(GdiPlayback, BrushesAndDeviceBitmapsMatchTheCanvas)
{
    // 8 x 8: bits 0 in the left four columns (the text colour), 1 in the right four (background).
    const auto tile = [](QPainter& p, QPoint Origin) {
        QImage pattern(8, 8, QImage::Format_RGB32);
        for (int x = 0; x < 8; ++x)
            for (int y = 0; y < 8; ++y)
                pattern.setPixel(x, y, x < 4 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        p.setBrushOrigin(Origin);
        p.fillRect(QRect(0, 0, p.device()->width(), p.device()->height()), QBrush(pattern));
    };
    const auto monoBrush = [](std::initializer_list<std::int64_t> Origin) {
        EmfRecords r;
        r.Add(eSetTextColor, {kRed}).Add(eSetBkColor, {kBlue});
        r.Add(eCreateMonoBrush, Body{2}.Dib(RecordMonoBitmap(8, std::vector<std::vector<int>>(8, {0, 0, 0, 0, 1, 1, 1, 1})), 2));
        r.Add(eSelectObject, {2}).Add(eSelectObject, {kNullPen}).Add(eSetBrushOrg, Origin).Add(eRectangle, {0, 0, 96, 96});
        return r.Metafile(square96(4));
    };
    // A device-dependent monochrome bitmap: 8 x 1, bits 0 first, then 1.
    const QByteArray bitmap16 = WmfWords({0, 8, 1, 2, 0x0101}) + QByteArray::fromHex("0F00");
    WmfRecords bitBlt, stretchBlt, pattern;
    for (WmfRecords* r : {&bitBlt, &stretchBlt, &pattern})
        r->Add(wSetTextColor, {0xFF, 0}).Add(wSetBkColor, {0, 0xFF});
    bitBlt.Add(wBitBlt, WmfWords({0x20, 0xCC, 0, 0, 1, 8, 10, 10}) + bitmap16);
    stretchBlt.Add(wStretchBlt, WmfWords({0x20, 0xCC, 1, 8, 0, 0, 20, 80, 10, 10}) + bitmap16);
    QByteArray rows;
    for (int i = 0; i < 8; ++i)
        rows += QByteArray::fromHex("0F00");
    pattern.Add(wCreatePatternBrush, WmfWords({0, 8, 8, 2, 0x0101, 0, 0}) + QByteArray(18, '\0') + rows);
    pattern.Add(wSelectObject, {0}).Add(0x02FA, {5, 0, 0, 0, 0}).Add(wSelectObject, {1});
    wmfRect(pattern, 0, 0, 100, 100);
    // The band of scan lines 1 to 3 of a 4 x 4 bitmap, black, blue and green from the top; 2 and 3 drawn.
    const auto header = RecordBitmap(4, std::vector<std::vector<TColor>>(4, std::vector<TColor>(4, kRed))).first;
    const auto band = RecordBitmap(4, {std::vector<TColor>(4, kBlack), std::vector<TColor>(4, kBlue),
                                 std::vector<TColor>(4, kGreen)}).second;
    WmfRecords toDevice;
    toDevice.Add(wSetDibToDev, WmfWords({0, 3, 1, 2, 0, 2, 4, 20, 10}) + header + band);
    WmfRecords paletteDib; // entry 1 becomes blue after the first transfer
    paletteDib.Add(wCreatePalette, WmfWords({0x0300, 2, 0x00FF, 0, 0xFF00, 0})).Add(wSelectPalette, {0});
    const auto indices = RecordMonoBitmap(2, {{0, 1}}, true);
    paletteDib.Add(wStretchDib, WmfWords({0x20, 0xCC, 1, 1, 2, 0, 0, 50, 100, 0, 0}) + indices.first + indices.second);
    paletteDib.Add(wSetPalEntries, WmfWords({1, 1, 0, 0xFF}));
    paletteDib.Add(wStretchDib, WmfWords({0x20, 0xCC, 1, 1, 2, 0, 0, 50, 100, 50, 0}) + indices.first + indices.second);

    expectCanvasPictures({
        {"a monochrome brush in the text and background colours", monoBrush({0, 0}), [&](QPainter& p) { tile(p, {0, 0}); }},
        {"SetBrushOrgEx moves the pattern", monoBrush({2, 0}), [&](QPainter& p) { tile(p, {2, 0}); }},
        {"CreatePatternBrush of a device bitmap", placeable100(pattern), [&](QPainter& p) { tile(p, {0, 0}); }},
        {"BitBlt of a monochrome device bitmap", placeable100(bitBlt),
         fill({{QRect(10, 10, 4, 1), kRed}, {QRect(14, 10, 4, 1), kBlue}})},
        {"StretchBlt of a monochrome device bitmap", placeable100(stretchBlt),
         fill({{QRect(10, 10, 40, 20), kRed}, {QRect(50, 10, 40, 20), kBlue}})},
        {"SetDIBToDev", placeable100(toDevice), fill({{QRect(10, 20, 4, 1), kBlack}, {QRect(10, 21, 4, 1), kBlue}})},
        {"StretchDIB with palette indices", placeable100(paletteDib),
         fill({{QRect(0, 0, 50, 50), kGreen}, {QRect(50, 0, 50, 50), kRed}, {QRect(0, 50, 50, 50), kBlue},
               {QRect(50, 50, 50, 50), kRed}})},
    });
}

TEST_F(GdiPlayback, LinesPathsAndClipsMatchTheCanvas)
{
    const QPen pen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    const auto stroked = [pen](const QPainterPath& Path) { return [=](QPainter& p) { p.strokePath(Path, pen); }; };
    QPainterPath figure(QPointF(10, 10));
    figure.lineTo(80, 10);
    figure.lineTo(80, 60);
    figure.closeSubpath();
    QPainterPath curve(QPointF(10, 80));
    curve.cubicTo(30, 10, 60, 10, 80, 80);
    EmfRecords lines, bezier, broken, widened, meta, offset, mirrored;
    lines.Add(ePolyDraw, Body{0, 0, 0, 0, 3, 10, 10, 80, 10, 80, 60}.Raw(QByteArray::fromHex("06020300")));
    bezier.Add(eMoveTo, {10, 80}).Add(ePolyDraw, Body{0, 0, 0, 0, 3, 30, 10, 60, 10, 80, 80}.Raw(QByteArray::fromHex("04040400")));
    broken.Add(ePolyDraw, Body{0, 0, 0, 0, 3, 10, 10, 80, 10, 80, 60}.Raw(QByteArray::fromHex("02040200")));
    // A pen ten units wide with flat ends makes the path a ten-pixel band.
    widened.Add(eExtCreatePen, {2, 0, 0, 0, 0, 0x10000 | 0x200, 10, 0, 0, 0, 0}).Add(eSelectObject, {2});
    emfFill(widened, kGreen).Add(eSelectObject, {2}).Add(eBeginPath, {}).Add(eMoveTo, {10, 30}).Add(eLineTo, {80, 30});
    widened.Add(eEndPath, {}).Add(eWidenPath, {}).Add(eFillPath, {0, 0, 0, 0});
    // The meta region keeps a later clip that opens the whole picture to the left half.
    meta.Add(eIntersectClipRect, {0, 0, 48, 96}).Add(eSetMetaRgn, {});
    meta.Add(eExtSelectClipRgn, regionData(Body{48, 5}, {QRect(0, 0, 96, 96)}));
    emfFill(meta, kBlue).Add(eRectangle, {0, 0, 96, 96});
    offset.Add(eIntersectClipRect, {0, 0, 48, 96}).Add(eOffsetClipRgn, {48, 0});
    emfFill(offset, kBlue).Add(eRectangle, {0, 0, 96, 96});
    emfFill(mirrored, kRed).Add(eSetLayout, {1}).Add(eRectangle, {0, 0, 20, 96});
    expectCanvasPictures({
        {"PolyDraw: lines and a closed figure", lines.Metafile(square96()), stroked(figure)},
        {"PolyDraw: a Bezier from the current position", bezier.Metafile(square96()), stroked(curve)},
        {"PolyDraw with a Bezier cut short draws nothing", broken.Metafile(square96()), [](QPainter&) {}},
        {"WidenPath", widened.Metafile(square96(4)), fill({{QRect(10, 25, 70, 10), kGreen}})},
        {"SetMetaRgn", meta.Metafile(square96()), fill({{QRect(0, 0, 48, 96), kBlue}})},
        {"OffsetClipRgn", offset.Metafile(square96()), fill({{QRect(48, 0, 48, 96), kBlue}})},
        {"SetLayout right to left", mirrored.Metafile(square96()), fill({{QRect(76, 0, 20, 96), kRed}})},
    });
}

TEST_F(GdiPlayback, StatesAtSamplePixels)
{
    // AngleArc: a line from the current position to the arc, then a quarter turn counter-clockwise.
    EmfRecords arc;
    arc.Add(eMoveTo, {10, 48}).Add(eAngleArc, {48, 48, 30, 0, 0x42B40000}); // 90 degrees
    // A curve flattened into lines still fills its inside.
    EmfRecords flattened;
    emfFill(flattened, kGreen).Add(eBeginPath, {}).Add(ePolyBezier16, Body{0, 0, 0, 0, 4}.Raw(WmfWords({10, 80, 30, 0, 60, 0, 80, 80})));
    flattened.Add(eEndPath, {}).Add(eFlattenPath, {}).Add(eFillPath, {0, 0, 0, 0});
    // Halftone stretching blends a red and a blue pixel across the middle.
    EmfRecords halftone;
    halftone.Add(eSetStretchBltMode, {4}).Add(eStretchBlt, transfer({0, 0, 96, 96}, kSourceCopy, RecordBitmap(2, {{kRed, kBlue}}))({2, 1}));
    // A sharp miter joint: its tip shows with the limit 10 and not with 1.
    const auto joint = [](std::int64_t Limit) {
        EmfRecords r;
        r.Add(eExtCreatePen, {2, 0, 0, 0, 0, 0x10000 | 0x2000, 8, 0, 0, 0, 0}).Add(eSelectObject, {2});
        r.Add(eSetMiterLimit, {Limit}).Add(eBeginPath, {}).Add(eMoveTo, {10, 80}).Add(eLineTo, {48, 20});
        return r.Add(eLineTo, {86, 80}).Add(eEndPath, {}).Add(eStrokePath, {0, 0, 0, 0}).Metafile(square96(4));
    };
    // Whether any pixel within one of (X, Y) is not white: lines may fall a pixel either way.
    const auto inkNear = [](TPixelGraphic& Image, int X, int Y) { return !inkBox(Image, QRect(X - 1, Y - 1, 3, 3)).isEmpty(); };
    const struct {
        const char* name;
        QByteArray file;
        std::vector<std::pair<QPoint, bool>> ink;
    } cases[] = {
        {"AngleArc", arc.Metafile(square96()), {{{30, 48}, true}, {{69, 27}, true}, {{48, 18}, true}, {{48, 78}, false}, {{27, 27}, false}}},
        {"FlattenPath", flattened.Metafile(square96()), {{{45, 40}, true}, {{5, 10}, false}}},
        {"miter limit 10", joint(0x41200000), {{{48, 14}, true}}},
        {"miter limit 1", joint(0x3F800000), {{{48, 15}, false}, {{48, 20}, true}}},
    };
    for (const auto& c : cases) {
        TPixelGraphic image;
        LoadBytes(image, c.file);
        for (const auto& [at, ink] : c.ink)
            EXPECT_EQ(inkNear(image, at.x(), at.y()), ink) << c.name << " at " << at.x() << ", " << at.y();
    }
    TPixelGraphic image;
    LoadBytes(image, halftone.Metafile(square96()));
    const TColor middle = image.GetPixelColor(48, 48);
    EXPECT_TRUE(RedOf(middle) > 40 && BlueOf(middle) > 40) << std::hex << middle;
    EXPECT_EQ(image.GetPixelColor(2, 48), kRed);
}

TEST_F(GdiPlayback, TextLandsWhereTheCanvasPutsIt)
{
    const QString face = QStringLiteral("Liberation Sans");
    QFont font(face);
    font.setPixelSize(20);
    const QFontMetricsF metrics(font);
    // The canvas's own text calls, top-aligned at each position.
    const auto texts = [&](std::vector<std::pair<QPointF, QString>> Runs) {
        return [=](QPainter& p) {
            p.setFont(font);
            p.setPen(Qt::black);
            for (const auto& [at, text] : Runs)
                p.drawText(at + QPointF(0, metrics.ascent()), text);
        };
    };
    const auto inkOf = [](const QByteArray& File) {
        TPixelGraphic image;
        LoadBytes(image, File);
        return inkBox(image);
    };
    const auto referenceInk = [](const std::function<void(QPainter&)>& Draw, QSize Size) {
        return inkBox(*canvasPicture(Size, Draw));
    };
    const auto expectInk = [](QRect Actual, QRect Expected, const char* Name) {
        ASSERT_FALSE(Expected.isEmpty()) << Name;
        EXPECT_LE(std::abs(Actual.left() - Expected.left()) + std::abs(Actual.right() - Expected.right()), 2) << Name;
        EXPECT_LE(std::abs(Actual.top() - Expected.top()) + std::abs(Actual.bottom() - Expected.bottom()), 2) << Name;
    };
    const auto withFont = [&](const QString& Face) {
        EmfRecords r;
        return r.Add(eExtCreateFont, emfFont(Face, 20)).Add(eSelectObject, {2});
    };
    const QSize square(96, 96);

    EmfRecords poly = withFont(face); // two strings, no advances
    poly.Add(ePolyTextOutW, Body{0, 0, 0, 0, 1, 0, 0, 2, 10, 10, 2, 88, 0x100, 0, 10, 50, 2, 92, 0x100, 0}.Raw(utf16("HiHo")));
    expectInk(inkOf(poly.Metafile(square96(4))), referenceInk(texts({{{10, 10}, "Hi"}, {{10, 50}, "Ho"}}), square), "PolyTextOutW");
    EmfRecords small8 = withFont(face), small16 = withFont(face);
    small8.Add(eSmallTextOut, Body{10, 30, 2, 0x300, 1, 0, 0}.Raw("Hi"));
    small16.Add(eSmallTextOut, Body{10, 30, 2, 0x100, 1, 0, 0}.Raw(utf16("Hi")));
    const QRect hiInk = referenceInk(texts({{{10, 30}, "Hi"}}), square);
    expectInk(inkOf(small8.Metafile(square96(4))), hiInk, "SmallTextOut, 8-bit characters");
    expectInk(inkOf(small16.Metafile(square96(4))), hiInk, "SmallTextOut, 16-bit characters");

    // Glyph numbers: drawn when the face itself is there; otherwise only the opaque rectangle.
    const QList<quint32> glyphs = QRawFont::fromFont(font).glyphIndexesForString("Hi");
    ASSERT_EQ(glyphs.size(), 2);
    const auto glyphText = [&](const QString& Face) {
        EmfRecords r = withFont(Face);
        const QByteArray advances = Body{std::lround(metrics.horizontalAdvance('H')), 10};
        r.Add(eSetBkMode, {1}).Add(eSetBkColor, {kGreen});
        r.Add(eExtTextOutW, Body{0, 0, 0, 0, 1, 0, 0, 10, 30, 2, 76, 0x12, 60, 60, 80, 80, 80}.Raw(
                                WmfWords({int(glyphs[0]), int(glyphs[1])}) + advances));
        TPixelGraphic image;
        LoadBytes(image, r.Metafile(square96(4)));
        for (int y = 60; y < 80; ++y)
            for (int x = 60; x < 80; ++x)
                EXPECT_EQ(image.GetPixelColor(x, y), kGreen) << "the opaque rectangle of " << qPrintable(Face);
        return inkBox(image, QRect(0, 0, 60, 96));
    };
    expectInk(glyphText(face), hiInk, "glyph numbers of a face that is there");
    EXPECT_TRUE(glyphText(QStringLiteral("No Such Face At All")).isEmpty()) << "glyph numbers of another face";

    // Text inside a path adds its outlines, which a fill then paints.
    EmfRecords path = withFont(face);
    emfFill(path, kBlue, 3).Add(eBeginPath, {});
    path.Add(eExtTextOutW, Body{0, 0, 0, 0, 1, 0, 0, 10, 30, 2, 60, 0x100, 0}.Raw(utf16("Hi")));
    path.Add(eEndPath, {}).Add(eFillPath, {0, 0, 0, 0});
    TPixelGraphic filled;
    LoadBytes(filled, path.Metafile(square96(4)));
    expectInk(inkBox(filled), hiInk, "text in a path");
    EXPECT_EQ(filled.GetPixelColor(inkBox(filled).left() + 1, inkBox(filled).center().y()), kBlue);

    // Windows metafiles: extra space after each character, and spread over the breaks.
    const auto wmfText = [&](const std::function<void(WmfRecords&)>& State, const char* Text) {
        WmfRecords r;
        r.Add(wCreateFont, wmfFont("Liberation Sans", 20)).Add(wSelectObject, {0});
        State(r);
        r.Add(wTextOut, WmfWords({int(qstrlen(Text))}) + QByteArray(Text).leftJustified((qstrlen(Text) + 1) / 2 * 2, '\0')
                            + WmfWords({30, 10}));
        return inkOf(placeable100(r));
    };
    const auto spaced = [&](const QString& Text, double Extra, QChar Spaced) {
        return [=](QPainter& p) {
            p.setFont(font);
            double x = 10;
            for (QChar c : Text) {
                p.drawText(QPointF(x, 30 + metrics.ascent()), QString(c));
                x += metrics.horizontalAdvance(c) + (Spaced.isNull() || c == Spaced ? Extra : 0);
            }
        };
    };
    expectInk(wmfText([](WmfRecords& r) { r.Add(wSetTextCharExtra, {10}); }, "Hi"),
              referenceInk(spaced("Hi", 10, QChar()), QSize(100, 100)), "SetTextCharExtra");
    expectInk(wmfText([](WmfRecords& r) { r.Add(wSetTextJustification, {1, 12}); }, "A B"),
              referenceInk(spaced("A B", 12, QChar(' ')), QSize(100, 100)), "SetTextJustification");
}

TEST_F(GdiPlayback, DamagedRecordsAreSkipped)
{
    const auto header = RecordBitmap(4, std::vector<std::vector<TColor>>(4, std::vector<TColor>(4, kBlack))).first;
    expectDamagedRecordsSkipped(
        {
        {"gradient vertex past the vertices", eGradientFill, Body{0, 0, 0, 0, 1, 1, 2, 0, 0, 0, 0, 0, 1, 2}},
        {"gradient vertices past the record", eGradientFill, Body{0, 0, 0, 0, 100000, 1, 0}},
        {"gradient of an unknown mode", eGradientFill, Body{0, 0, 0, 0, 0, 0, 7}},
        {"PolyDraw types past the record", ePolyDraw, Body{0, 0, 0, 0, 2, 0, 0, 5, 5}},
        {"region rectangles past its data", eFillRgn, Body{0, 0, 0, 0, 48, 0x80000000, 32, 1, 9, 144, 0, 0, 0, 0, 0, 0, 5, 5}},
        {"PolyTextOut of a million strings", ePolyTextOutW, Body{0, 0, 0, 0, 1, 0, 0, 1000000}},
        {"SmallTextOut characters past the record", eSmallTextOut, Body{0, 0, 5000, 0x100, 1, 0, 0}},
        {"MaskBlt mask past the record", eMaskBlt, transfer({0, 0, 2, 1}, 0xAACC0020, RecordBitmap(2, {{kRed, kRed}}))({0, 0, 0, 9000, 40, 9000, 8})},
        {"PlgBlt bitmap past the record", ePlgBlt, Body{0, 0, 0, 0, 0, 0, 9, 0, 0, 9, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 5000, 40, 5000, 8}},
        {"SetDIBitsToDevice with more scans than bits", eSetDIBitsToDevice,
         Body{0, 0, 0, 0, 2, 2, 0, 0, 4, 4}.Dib({header, QByteArray(16, '\0')}, 0, true)({0, 0x7FFFFFFF})},
        {"palette entries past the record", eCreatePalette, Body{1, 0x0300 | 0xFFFF << 16}},
        {"flood fill outside the picture", eExtFloodFill, Body{-5000, 5000, 0, 0}},
        {"AlphaBlend of a broken bitmap", eAlphaBlend, transfer({0, 0, 9, 9}, 0x00FF0000, {QByteArray(40, '\x7F'), {}})({1, 1})},
        },
        {
        {"region scans past the record", [](WmfRecords& r) { r.Add(wCreateRegion, {0, 6, 0, 0, 34, 9, 4, 0, 0, 9, 9, 200}); }},
        {"device bitmap rows past the record", [](WmfRecords& r) { r.Add(wBitBlt, WmfWords({0x20, 0xCC, 0, 0, 9, 8, 0, 0, 0, 8, 90, 2, 0x0101})); }},
        {"SetDIBToDev bitmap cut short", [](WmfRecords& r) { r.Add(wSetDibToDev, WmfWords({0, 2, 0, 0, 0, 2, 4, 0, 0, 40})); }},
        {"filling a region that is not there", [](WmfRecords& r) { r.Add(wFillRegion, {7, 0}); }},
        {"palette past the record", [](WmfRecords& r) { r.Add(wCreatePalette, {0x0300, 500}); }},
        });
}

TEST_F(GdiPlayback, RecordsThatWorkOnPixelsAllPlayOnLargePictures)
{
    // Eleven flood fills over the whole of a 2000 x 2000 picture (44 million pixels, red and
    // green by turns, red the last), then one record of each kind that works pixel by pixel,
    // each in a part of its own: every one of them is drawn.
    EmfRecords r;
    for (int i = 0; i < 11; ++i)
        r.Add(eCreateBrush, {1, 0, i % 2 ? kGreen : kRed, 0}).Add(eSelectObject, {1})
            .Add(eExtFloodFill, {5, 5, i == 0 ? kWhite : i % 2 ? kRed : kGreen, 1});
    emfFill(r, kBlue, 2).Add(eRectangle, {100, 100, 300, 300});
    emfFill(r, kGreen, 2).Add(eExtFloodFill, {200, 200, kBlue, 1});
    Body gradient{0, 0, 0, 0, 2, 1, 0};
    vertex(vertex(gradient, 0, 400, kRed), 2000, 800, kBlue)({0, 1});
    r.Add(eGradientFill, gradient);
    const auto white = RecordBitmap(2, {{kWhite, kWhite}, {kWhite, kWhite}});
    r.Add(eCreateBrush, {2, 0, kBlue, 0}).Add(eSelectObject, {2}); // the pattern where the source is white
    r.Add(eStretchDIBits, Body{0, 0, 0, 0, 0, 800, 0, 0, 2, 2}.Dib(white, 0, true)({0x00E20746, 2000, 200}));
    // Four logical units across the picture, for a mask of two pixels.
    r.Add(eSetMapMode, {8}).Add(eSetWindowExt, {4, 4}).Add(eSetViewportExt, {2000, 2000});
    const auto blue = RecordBitmap(2, {{kBlue, kBlue}, {kBlue, kBlue}});
    r.Add(eMaskBlt, transfer({2, 2, 2, 2}, 0xAACC0020, blue)({0, 0}).Dib(RecordMonoBitmap(2, {{1, 0}, {0, 1}})));
    EmfFrame frame;
    frame.frame[2] = frame.frame[3] = 52917; // 2000 x 2000 pixels
    frame.handles = 3;
    TPixelGraphic image;
    LoadBytes(image, r.Metafile(frame));
    ASSERT_EQ(image.Width(), 2000);
    const struct {
        const char* name;
        std::vector<Sample> samples;
    } cases[] = {
        {"the last of the flood fills", {{1000, 10, kRed}, {10, 1999, kRed}}},
        {"a small flood fill", {{200, 200, kGreen}, {101, 101, kGreen}, {50, 50, kRed}}},
        {"a gradient across the picture", {{0, 600, kRed}, {1999, 600, kBlue}}},
        {"a transfer of pattern and source", {{0, 800, kBlue}, {1999, 999, kBlue}, {500, 1001, kRed}}},
        {"a transfer through a mask", {{1250, 1250, kBlue}, {1750, 1250, kRed}, {1250, 1750, kRed}, {1750, 1750, kBlue}}},
    };
    for (const auto& c : cases)
        expectSamples(image, c.samples, c.name);
}

TEST_F(GdiPlayback, AMixedFillAndOutlineOfManyPointsMixesOnce)
{
    // 5000 points around a square, filled and outlined in red under xor on white: the outline
    // over the fill turns cyan once, not back to white.
    EmfRecords r;
    r.Add(eCreateBrush, {1, 0, kRed, 0}).Add(eSelectObject, {1}).Add(eCreatePen, {2, 0, 3, 0, kRed}).Add(eSelectObject, {2});
    Body polygon{0, 0, 96, 96, 5000};
    QByteArray points;
    for (int i = 0; i < 5000; ++i) {
        const int side = i / 1250, along = 20 + (i % 1250) * 60 / 1250;
        const std::array<QPoint, 4> at = {QPoint(along, 20), QPoint(80, along), QPoint(100 - along, 80), QPoint(20, 100 - along)};
        points += WmfWords({at[std::size_t(side)].x(), at[std::size_t(side)].y()});
    }
    r.Add(eSetRop2, {7}).Add(86, polygon.Raw(points));
    TPixelGraphic image;
    LoadBytes(image, r.Metafile(square96(3)));
    const TColor cyan = RGBColor(0, 255, 255);
    expectSamples(image, {{50, 50, cyan}, {20, 50, cyan}, {50, 80, cyan}, {10, 10, kWhite}}, "xor");
}

TEST_F(GdiPlayback, HostileMetafilesLoadQuicklyAsThumbnails)
{
    // Each takes well under a second as a thumbnail; the bound leaves room for slow machines
    // and sanitizers.
    for (const HostileMetafile& file : HostileMetafiles()) {
        TPixelGraphic image;
        image.SetFastJPEGDecode(true);
        QElapsedTimer clock;
        clock.start();
        LoadBytes(image, file.data);
        EXPECT_LT(clock.elapsed(), 20000) << file.name;
        EXPECT_EQ(std::max(image.Width(), image.Height()), 130) << file.name;
    }
}

} // namespace
