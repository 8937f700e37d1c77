#pragma once
// The drawing state of a metafile's playback (the part of a device context that metafiles use)
// and its operations onto a QPainter. Records of both metafile kinds arrive here in logical
// units; everything reaches the painter in output pixels with coordinates and pen widths
// clamped, so that no record keeps playback busy.

#include "imaging/pgtypes.h"

#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <unordered_map>
#include <variant>
#include <vector>

class QPainter;

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
    etoOpaque = 2, etoClipped = 4,
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

// An object the player does not draw with (palette, region, an unreadable definition): it
// only holds its slot of the object table.
struct GdiPlaceholder {};

using GdiObject = std::variant<GdiPlaceholder, GdiPen, GdiBrush, GdiFont>;

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
    GdiPlayer(QPainter& Painter, const PlaybackFrame& Frame);
    ~GdiPlayer();
    GdiPlayer(const GdiPlayer&) = delete;
    GdiPlayer& operator=(const GdiPlayer&) = delete;

    // ---- State ----
    void SetBkColor(TColor Color) { state_.bkColor = Color & 0xFFFFFF; }
    void SetTextColor(TColor Color) { state_.textColor = Color & 0xFFFFFF; }
    void SetBkMode(std::uint32_t Mode);
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
    // Rect: the opaquing or clipping rectangle of Options. Advances: logical units, one per character.
    void TextOut(QPointF Reference, const QString& Text, std::span<const double> Advances, std::uint32_t Options,
                 const std::optional<QRectF>& Rect);
    // A packed bitmap (information header, colour table, pixels) decoded by the BMP decoder;
    // none when it is damaged or past what is left of the playback's bitmap budget.
    std::optional<QImage> DecodeBitmap(const QByteArray& Packed);
    // A brush of a packed bitmap; a placeholder when the bitmap cannot be had.
    GdiObject PatternBrush(const QByteArray& Packed);
    // Source: bitmap pixels (top-left origin); Dest: logical. Raster operations that need no
    // source (pattern copy, black, white) go to PatBlt.
    void StretchBitmap(const QImage& Bitmap, QRectF Source, const QRectF& Dest, std::uint32_t Rop);
    // The same from a packed bitmap, decoded only when the operation reads it; FromBottom: the
    // source rectangle counts from the bitmap's bottom row.
    void BlitBitmap(const QByteArray& Packed, QRectF Source, bool FromBottom, const QRectF& Dest, std::uint32_t Rop);
    void PatBlt(const QRectF& Dest, std::uint32_t Rop);

    // ---- Clipping ----
    void IntersectClipRect(const QRectF& Box);
    void ExcludeClipRect(const QRectF& Box);
    // Rectangles in device units; modes 1 and, 2 or, 3 xor, 4 difference, 5 copy.
    void SelectClipRects(std::span<const QRectF> Rects, std::uint32_t Mode);

    // ---- Paths ----
    void BeginPath();
    void EndPath() { inPath_ = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath() { drawPathBracket(true, false); }
    void StrokePath() { drawPathBracket(false, true); }
    void StrokeAndFillPath() { drawPathBracket(true, true); }
    void SelectClipPath(std::uint32_t Mode);

    // How many bitmap pixels a playback may decode in all.
    static constexpr std::int64_t BitmapPixelBudget = std::int64_t(1) << 26;
    // Output coordinates are clamped to this distance from the origin.
    static constexpr double CoordinateLimit = double(1 << 22);
    static constexpr int MaxSaveDepth = 256;

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
        MapMode mapMode = mmText;
        QPointF windowOrg, windowExt{1, 1}, viewportOrg, viewportExt{1, 1};
        QTransform world;
        QPointF position;
        std::optional<QRegion> clip; // output pixels
    };

    QTransform pageTransform() const;
    QTransform transform() const; // logical to output
    QPointF map(QPointF Point) const;
    QPainterPath mapPath(const QPainterPath& Logical) const;
    QPolygonF mapRect(const QRectF& Logical) const;
    double xScale() const;
    double yScale() const;
    bool orientationFlipped() const;

    QPen qtPen() const;
    QBrush qtBrush() const;
    QFont qtFont() const;
    void prepare();
    // Fills and strokes a logical shape, or adds it to the path being recorded (Continue: to
    // its open figure).
    void draw(const QPainterPath& Logical, bool Fill, bool Stroke, bool Continue = false);
    void drawPathBracket(bool Fill, bool Stroke);
    void fillOutputPolygon(const QPolygonF& Polygon, const QBrush& Brush);
    std::vector<QPointF> arcPoints(const QRectF& Box, QPointF Start, QPointF End) const;
    void setClip(std::optional<QRegion> Clip);
    void combineClip(const QRegion& Region, std::uint32_t Mode);
    QRegion regionOf(const QRectF& Logical) const;
    QRegion outputRegion() const;

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
    double penLimit_;
    bool canDrawText_;
    bool clipDirty_ = true;
};

} // namespace metafile
