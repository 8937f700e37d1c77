#pragma once
// The drawing state of a metafile's playback (the part of a device context that metafiles use)
// and its operations onto a QPainter. Records of both metafile kinds arrive here in logical
// units; everything reaches the painter in output pixels with coordinates and pen widths
// clamped, so that no record keeps playback busy.

#include "packeddib.h"

#include "imaging/pgtypes.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <unordered_map>
#include <variant>
#include <vector>

namespace metafile {

enum MapMode : int {
    mmText = 1,
    mmLoMetric,
    mmHiMetric,
    mmLoEnglish,
    mmHiEnglish,
    mmTwips,
    mmIsotropic,
    mmAnisotropic,
};

// Pen styles (low nibble), brush styles and the text flags the player knows.
enum : std::uint32_t {
    psSolid = 0, psDash, psDot, psDashDot, psDashDotDot, psNull, psInsideFrame, psUserStyle, psAlternate,
    psStyleMask = 0x0000000F, psEndCapMask = 0x00000F00, psEndCapSquare = 0x100, psEndCapFlat = 0x200,
    psJoinMask = 0x0000F000, psJoinBevel = 0x1000, psJoinMiter = 0x2000,
    bsSolid = 0, bsNull = 1, bsHatched = 2, bsPattern = 3, bsDibPattern = 5, bsDibPatternPt = 6,
    taUpdateCp = 1, taRight = 2, taCenter = 6, taHorizontalMask = 6, taBottom = 8, taBaseline = 24, taVerticalMask = 24,
    etoOpaque = 2, etoClipped = 4, etoGlyphIndex = 0x10,
    layoutRightToLeft = 1, layoutBitmapsKept = 8,
    stretchHalftone = 4,
};

struct GdiPen {
    std::uint32_t style = psSolid;
    double width = 0; // logical units; 0 draws one pixel wide
    TColor color = 0;
    std::vector<double> dashes; // user style, logical units
};

struct GdiBrush {
    std::uint32_t style = bsSolid;
    TColor color = 0xFFFFFF;
    std::uint32_t hatch = 0;
    QImage pattern;
    // A monochrome pattern: its 0 bits take the text colour and its 1 bits the background
    // colour of the moment it paints.
    bool monochrome = false;
};

struct GdiFont {
    int height = 0; // logical units; negative: the character height, positive: the cell height
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

// A logical palette: the colours of palette-index colours and of bitmaps whose colour table
// holds palette indices.
struct GdiPalette {
    std::vector<TColor> entries;
};

// A region of a Windows metafile, as rectangles in logical units.
struct GdiRegion {
    std::vector<QRectF> rects;
};

// An object the player does not draw with (an unreadable definition): it only holds its slot of
// the object table.
struct GdiPlaceholder {};

using GdiObject = std::variant<GdiPlaceholder, GdiPen, GdiBrush, GdiFont, GdiPalette, GdiRegion>;

// One string of a text record.
struct GdiText {
    QPointF reference; // logical
    QString text;
    // Glyph numbers of the selected font in place of characters (text then stays empty).
    std::vector<std::uint32_t> glyphs;
    std::vector<double> advances; // logical units, one per character
    std::uint32_t options = 0;
    std::optional<QRectF> rect; // the opaquing or clipping rectangle of the options
};

// A corner of a gradient: a logical point and its colour.
struct GradientVertex {
    QPointF point;
    TColor color;
};
using GradientTriangle = std::array<GradientVertex, 3>;

// A bitmap and how its pixels land on the output.
struct PlacedBitmap {
    const QImage* image = nullptr;
    QTransform toOutput;
};

// Paints a source or mask of a raster operation in output pixels, Origin at the painter's (0, 0).
using OutputLayer = std::function<void(QPainter& Painter, QPoint Origin)>;

// Where the picture goes: the reference device's space, and how it lands on the output.
struct PlaybackFrame {
    QTransform deviceToOutput;
    double deviceUnitsPerInchX = 96;
    double deviceUnitsPerInchY = 96;
    MapMode mapMode = mmText;
    QPointF windowOrg, windowExt{1, 1};
    QPointF viewportOrg, viewportExt{1, 1};
    bool viewportFixed = false; // viewport records are not played
    QSize output;
    int objectCount = 0;
};

class GdiPlayer {
public:
    // Stopping is asked between the bands of a raster operation; once it gives true the
    // operation leaves its remaining bands out.
    GdiPlayer(QPainter& Painter, const PlaybackFrame& Frame, std::function<bool()> Stopping);
    ~GdiPlayer();
    GdiPlayer(const GdiPlayer&) = delete;
    GdiPlayer& operator=(const GdiPlayer&) = delete;

    // ---- State ----
    // Colours keep their palette-index form until they paint.
    void SetBkColor(TColor Color) { state_.bkColor = Color; }
    void SetTextColor(TColor Color) { state_.textColor = Color; }
    void SetBkMode(std::uint32_t Mode);
    // The binary mix of pens and brushes, 1 to 16.
    void SetROP2(std::uint32_t Mode);
    void SetStretchBltMode(std::uint32_t Mode);
    void SetBrushOrg(QPointF DeviceOrigin) { state_.brushOrigin = DeviceOrigin; }
    void SetMiterLimit(double Limit);
    // Logical units added to each character, and spread over the break characters, of text
    // drawn without advances.
    void SetTextCharExtra(double Extra) { state_.charExtra = Extra; }
    void SetTextJustification(double BreakExtra, std::int64_t BreakCount);
    // Right-to-left layout mirrors the output; bitmaps keep their orientation when asked.
    void SetLayout(std::uint32_t Layout) { state_.layout = Layout; }
    void SetPolyFillMode(std::uint32_t Mode);
    void SetTextAlign(std::uint32_t Align) { state_.textAlign = Align; }
    void SetArcDirection(std::uint32_t Direction);
    void SetMapMode(std::uint32_t Mode);
    void SetWindowOrg(QPointF Org) { state_.windowOrg = Org; }
    void SetWindowExt(QPointF Ext);
    void SetViewportOrg(QPointF Org);
    void SetViewportExt(QPointF Ext);
    void OffsetWindowOrg(QPointF Offset) { state_.windowOrg += Offset; }
    void OffsetViewportOrg(QPointF Offset);
    void ScaleWindowExt(double XNum, double XDenom, double YNum, double YDenom);
    void ScaleViewportExt(double XNum, double XDenom, double YNum, double YDenom);
    // World transforms; ModifyWorldTransform's modes: 1 identity, 2 left, 3 right multiply, 4 set.
    void SetWorldTransform(const QTransform& Transform);
    void ModifyWorldTransform(const QTransform& Transform, std::uint32_t Mode);
    void SaveDC();
    // Negative: that many levels back; positive: the level of that number.
    void RestoreDC(int Level);

    // ---- Objects ----
    // Into the lowest free slot (Windows metafiles); lost when the table is full.
    void CreateObject(GdiObject Object);
    // Into slot Index (enhanced metafiles).
    void CreateObjectAt(std::uint32_t Index, GdiObject Object);
    void SelectObject(std::uint32_t Index);
    void SelectStockObject(std::uint32_t Stock);
    void DeleteObject(std::uint32_t Index);
    // Palettes: Index is a slot, or the stock default palette (0x8000000F).
    void SelectPalette(std::uint32_t Index);
    // The selected palette's entries from First (Windows metafiles) or those of the palette in
    // a slot (enhanced metafiles).
    void SetPaletteEntries(std::optional<std::uint32_t> Index, std::uint32_t First, std::span<const TColor> Colors);
    void ResizePalette(std::optional<std::uint32_t> Index, std::uint32_t Count);

    // ---- Drawing, in logical units ----
    void MoveTo(QPointF Point);
    void LineTo(QPointF Point);
    void Polyline(std::span<const QPointF> Points);
    void PolylineTo(std::span<const QPointF> Points);
    void Polygon(std::span<const QPointF> Points);
    void PolyPolygon(std::span<const QPointF> Points, std::span<const std::uint32_t> Counts);
    void PolyPolyline(std::span<const QPointF> Points, std::span<const std::uint32_t> Counts);
    void PolyBezier(std::span<const QPointF> Points);
    void PolyBezierTo(std::span<const QPointF> Points);
    void Rectangle(const QRectF& Box);
    void RoundRect(const QRectF& Box, QSizeF Corner);
    void Ellipse(const QRectF& Box);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void Arc(ArcKind Kind, const QRectF& Box, QPointF Start, QPointF End);
    // Angles in degrees, counter-clockwise; a line from the current position to the arc's start.
    void AngleArc(QPointF Center, double Radius, double Start, double Sweep);
    // Types per point: 6 move, 2 line, 4 one of three Bezier points; 1 added closes the figure.
    // A type out of that order draws nothing.
    void PolyDraw(std::span<const QPointF> Points, std::span<const std::uint8_t> Types);
    void SetPixel(QPointF Point, TColor Color);
    // Filled with the brush from Start as far as the colour is not Color (border) or is Color
    // (surface).
    void FloodFill(QPointF Start, TColor Color, bool Surface);
    // Triangles with their colours blended across them.
    void GradientFill(std::span<const GradientTriangle> Triangles);
    void TextOut(const GdiText& Text);

    // ---- Regions (rectangles in logical units) ----
    // With the brush of a slot (or a stock brush) or the selected one.
    void FillRegion(std::span<const QRectF> Rects, std::uint32_t Brush);
    void PaintRegion(std::span<const QRectF> Rects);
    // A border of Width x Height logical units inside the region.
    void FrameRegion(std::span<const QRectF> Rects, std::uint32_t Brush, QSizeF Size);
    void InvertRegion(std::span<const QRectF> Rects);
    // The region of a Windows metafile's slot; none when the slot holds no region.
    const GdiRegion* RegionAt(std::uint32_t Index) const;

    // ---- Bitmaps ----
    // A bitmap as a record carries it, decoded by the BMP decoder with its colours (palette
    // indices looked up in the selected palette); none when it is damaged or past what is left
    // of the playback's bitmap budget.
    std::optional<QImage> DecodeBitmap(const DibParts& Dib);
    // Records left out by a bound of the playback: a bitmap past what is left of the bitmap
    // budget, a region of more rectangles than a region may hold, a clip region past the
    // rectangles a clip may hold.
    int RecordsLeftOut() const { return recordsLeftOut_; }
    // A device-dependent bitmap (monochrome: text and background colours).
    std::optional<QImage> DecodeDeviceBitmap(std::span<const std::uint8_t> Bitmap);
    // Brushes of a bitmap; a placeholder when the bitmap cannot be had. A monochrome brush
    // takes the text and background colours when it paints.
    GdiObject PatternBrush(const DibParts& Dib);
    GdiObject MonochromeBrush(const DibParts& Dib);
    GdiObject DeviceBitmapBrush(std::span<const std::uint8_t> Bitmap);
    // Source: bitmap pixels (top-left origin); Dest: logical; any ternary raster operation.
    void StretchBitmap(const QImage& Bitmap, QRectF Source, const QRectF& Dest, std::uint32_t Rop);
    // The same from a record's bitmap, decoded only when the operation reads it; FromBottom:
    // the source rectangle of a bottom-up bitmap counts from its bottom row.
    void BlitBitmap(const DibParts& Dib, QRectF Source, bool FromBottom, const QRectF& Dest, std::uint32_t Rop);
    void PatBlt(const QRectF& Dest, std::uint32_t Rop);
    // Rows Source of a band of scan lines (from the bitmap's bottom unless top-down), one
    // bitmap pixel per device unit from the logical point Dest.
    void SetDIBitsToDevice(const DibParts& Dib, QRectF Source, std::int64_t FirstScan, std::int64_t Scans, QPointF Dest);
    // The mask's set pixels (its own position MaskAt matching the source's) take the raster
    // operation in bits 16-23 of Rop, the others the one in bits 24-31; without a mask, the
    // former. A source is needed only where an operation reads it.
    void MaskBlt(const std::optional<QImage>& Bitmap, QRectF Source, const QRectF& Dest, std::uint32_t Rop,
                 const std::optional<QImage>& Mask, QPointF MaskAt);
    // Source onto the parallelogram of its logical corners top-left, top-right and
    // bottom-left; where a mask is given, only its set pixels.
    void PlgBlt(const QImage& Bitmap, QRectF Source, const std::array<QPointF, 3>& Corners,
                const std::optional<QImage>& Mask, QPointF MaskAt);
    // Blend: operation, flags, constant alpha, alpha format (1: the source's own premultiplied
    // alpha, given in Alpha).
    void AlphaBlend(const QImage& Bitmap, const std::optional<QImage>& Alpha, QRectF Source, const QRectF& Dest,
                    std::uint32_t Blend);
    void TransparentBlt(const QImage& Bitmap, QRectF Source, const QRectF& Dest, TColor Transparent);

    // ---- Clipping ----
    void IntersectClipRect(const QRectF& Box);
    void ExcludeClipRect(const QRectF& Box);
    // Rectangles in device units; modes 1 and, 2 or, 3 xor, 4 difference, 5 copy.
    void SelectClipRects(std::span<const QRectF> Rects, std::uint32_t Mode);
    // The region of a slot (device units) as the clip region; an empty slot: no clipping.
    void SelectClipRegion(std::uint32_t Index);
    void OffsetClipRegion(QPointF Offset);
    // The clip region joins the meta region, which later clipping cannot leave.
    void SetMetaRegion();

    // ---- Paths ----
    void BeginPath();
    void EndPath() { inPath_ = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath() { drawPathBracket(true, false); }
    void StrokePath() { drawPathBracket(false, true); }
    void StrokeAndFillPath() { drawPathBracket(true, true); }
    void SelectClipPath(std::uint32_t Mode);
    void FlattenPath();
    // The path becomes the outline the pen would stroke.
    void WidenPath();

    // How many bitmap pixels a playback may decode in all.
    static constexpr std::int64_t BitmapPixelBudget = std::int64_t(1) << 26;
    // Output coordinates are clamped to this distance from the origin.
    static constexpr double CoordinateLimit = double(1 << 22);
    static constexpr int MaxSaveDepth = 256;
    // Rectangles a region may hold, and entries of a user pen style that count.
    static constexpr std::size_t MaxRegionRects = 4096;
    static constexpr std::size_t MaxDashes = 16;

private:
    struct DcState {
        GdiPen pen;
        GdiBrush brush;
        GdiFont font;
        TColor textColor = 0;
        TColor bkColor = 0xFFFFFF;
        bool bkOpaque = true;
        bool winding = false;
        std::uint32_t textAlign = 0;
        bool clockwise = false;
        int rop2 = 13; // the pen itself
        std::uint32_t stretchMode = 1;
        QPointF brushOrigin; // device units
        double miterLimit = 10;
        double charExtra = 0, breakExtra = 0; // logical units
        std::uint32_t layout = 0;
        std::optional<std::uint32_t> palette; // the selected palette's slot; none: the default one
        MapMode mapMode = mmText;
        QPointF windowOrg, windowExt{1, 1}, viewportOrg, viewportExt{1, 1};
        QTransform world;
        QPointF position;
        std::optional<QRegion> clip; // output pixels
        std::optional<QRegion> metaClip; // output pixels
    };

    QTransform pageTransform() const;
    QTransform mirror() const; // of a right-to-left layout, on the output
    QTransform deviceToOutput() const;
    QTransform transform() const; // logical to output
    QPointF map(QPointF Point) const;
    QPainterPath mapPath(const QPainterPath& Logical) const;
    QPolygonF mapRect(const QRectF& Logical) const;
    double xScale() const;
    double yScale() const;
    bool orientationFlipped() const;

    // A colour, a palette index looked up in the selected palette.
    QColor qtColor(TColor Color) const;
    const std::vector<TColor>& selectedPalette() const;
    // The palette in a slot, or the selected one without a slot; none for the stock palette.
    GdiPalette* paletteAt(std::optional<std::uint32_t> Index);
    QPen qtPen() const;
    QBrush qtBrush() const;
    QBrush qtBrush(const GdiBrush& Brush) const;
    std::optional<GdiBrush> brushAt(std::uint32_t Index) const;
    QFont qtFont() const;
    void prepare();
    // Fills and strokes a logical shape, or adds it to the path being recorded (Continue: to
    // its open figure).
    void draw(const QPainterPath& Logical, bool Fill, bool Stroke, bool Continue = false);
    // Fills and strokes a shape in output pixels with the pen and brush mix.
    void paint(const QPainterPath& Output, bool Fill, bool Stroke);
    void drawPathBracket(bool Fill, bool Stroke);
    void fillOutputPolygon(const QPolygonF& Polygon, const QBrush& Brush,
                           QPainter::CompositionMode Mode = QPainter::CompositionMode_SourceOver);
    int arcSteps(double Radius, double Sweep) const;
    std::vector<QPointF> arcPoints(const QRectF& Box, QPointF Start, QPointF End) const;
    void setClip(std::optional<QRegion> Clip);
    void combineClip(const QRegion& Region, std::uint32_t Mode);
    QRegion regionOf(const QRectF& Logical) const;
    QRegion regionOf(std::span<const QRectF> Logical);
    QRegion deviceRegion(std::span<const QRectF> Rects) const;
    QRegion outputRegion() const;
    // Where drawing may land now: the clip and meta regions; none when both are open.
    std::optional<QRegion> effectiveClip() const;
    void fillRegion(const QRegion& Region, const QBrush& Brush, QPainter::CompositionMode Mode);
    void applyBackground(QPainter& Painter) const;
    // A filled and outlined shape (output pixels) under a mix other than copy.
    void mixFilledOutline(const QPainterPath& Output, const QPen& Pen);

    // ---- Pixels ----
    // The picture being drawn on, for operations that read it; none on other devices.
    const QImage* targetImage() const;
    // The output pixels that may change: the output, cut to the clip.
    QRect drawableBounds() const;
    // Combines pattern, source and picture by raster operations over the output pixels Area
    // covers, where the source is not transparent; with a mask, its set pixels take Foreground
    // and the others Background. A band of rows at a time: the work and memory grow with the
    // pixels covered.
    void ropBlit(const QPolygonF& Area, const OutputLayer& Source, std::uint8_t Foreground, const OutputLayer& Mask = {},
                 std::uint8_t Background = 0);
    // Pixels of a band of rows that raster operations work on at a time.
    static constexpr std::int64_t StripPixels = std::int64_t(1) << 20;
    void ropStrip(const QPolygonF& Area, const QRect& Strip, const OutputLayer& Source, std::uint8_t Foreground,
                  const OutputLayer& Mask, std::uint8_t Background, bool UsesPattern, const QImage* Target);
    // A bitmap as it lands on the output; none without an image.
    static OutputLayer bitmapLayer(const PlacedBitmap& Placed);
    struct ShadedCorner {
        QPointF at; // output pixels
        double red, green, blue;
    };
    // A gradient triangle over the pixels of Cell whose centres lie inside, row by row.
    void shadeTriangle(const std::array<ShadedCorner, 3>& Corners, const QRect& Cell);
    // The brush over Box of the output, aligned with its origin.
    QImage brushImage(const QRect& Box) const;
    // An image onto the output at At, through the clip, as it is (alpha 0 leaves a pixel).
    void drawOutputImage(const QImage& Image, QPoint At);
    // Draws the Shown part of a bitmap as it lands on the output, mixed with the picture by Mode.
    void drawBitmap(const PlacedBitmap& Bitmap, const QRectF& Shown, double Opacity = 1,
                    QPainter::CompositionMode Mode = QPainter::CompositionMode_SourceOver);
    // Source pixels to output pixels for a logical destination rectangle; a mirrored layout
    // that keeps bitmaps turns them back.
    QTransform sourceToOutput(const QRectF& Source, const QRectF& Dest) const;
    QTransform keptOrientation(const QRectF& Source) const;

    QPainter& painter_;
    PlaybackFrame frame_;
    DcState state_;
    std::vector<DcState> saved_;
    // The object table holds only what was made: slots below nextSlot_ are taken unless freed.
    std::uint32_t objectCount_;
    std::unordered_map<std::uint32_t, GdiObject> objects_;
    std::set<std::uint32_t> freedSlots_;
    std::uint32_t nextSlot_ = 0;
    bool inPath_ = false;
    QPainterPath path_; // output pixels
    std::int64_t bitmapBudget_ = BitmapPixelBudget;
    int recordsLeftOut_ = 0;
    double penLimit_;
    bool canDrawText_;
    bool clipDirty_ = true;
    std::function<bool()> stopping_;
};

} // namespace metafile
