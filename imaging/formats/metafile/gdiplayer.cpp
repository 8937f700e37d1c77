// The drawing state of a metafile's playback and its operations onto a QPainter.
#include "gdiplayer.h"

#include "rasterops.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace metafile {

namespace {

double clampCoordinate(double Value)
{
    if (std::isnan(Value))
        return 0;
    return std::clamp(Value, -GdiPlayer::CoordinateLimit, GdiPlayer::CoordinateLimit);
}

QPointF clampPoint(QPointF Point)
{
    return {clampCoordinate(Point.x()), clampCoordinate(Point.y())};
}

// Logical units per inch of the fixed mapping modes.
double unitsPerInch(MapMode Mode)
{
    switch (Mode) {
    case mmLoMetric:
        return 254;
    case mmHiMetric:
        return 2540;
    case mmLoEnglish:
        return 100;
    case mmHiEnglish:
        return 1000;
    default:
        return 1440; // twips
    }
}

bool scalesFreely(MapMode Mode)
{
    return Mode == mmIsotropic || Mode == mmAnisotropic;
}

Qt::BrushStyle hatchStyle(std::uint32_t Hatch)
{
    switch (Hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2:
        return Qt::FDiagPattern; // top left to bottom right
    case 3:
        return Qt::BDiagPattern;
    case 4:
        return Qt::CrossPattern;
    case 5:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

// A polygon cut to a rectangle, one edge of the rectangle at a time. Of a concave polygon the
// pieces stay joined along the rectangle's edges.
QPolygonF clipToRect(QPolygonF Polygon, const QRectF& Box)
{
    const auto clipEdge = [](const QPolygonF& in, auto inside, auto cross) {
        QPolygonF out;
        for (qsizetype i = 0; i < in.size(); ++i) {
            const QPointF a = in[i], b = in[(i + 1) % in.size()];
            if (inside(a))
                out << a;
            if (inside(a) != inside(b))
                out << cross(a, b);
        }
        return out;
    };
    const auto atX = [](QPointF a, QPointF b, double x) {
        return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
    };
    const auto atY = [](QPointF a, QPointF b, double y) {
        return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
    };
    const double l = Box.left(), r = Box.right(), t = Box.top(), b = Box.bottom();
    Polygon = clipEdge(Polygon, [&](QPointF p) { return p.x() >= l; }, [&](QPointF p, QPointF q) { return atX(p, q, l); });
    Polygon = clipEdge(Polygon, [&](QPointF p) { return p.x() <= r; }, [&](QPointF p, QPointF q) { return atX(p, q, r); });
    Polygon = clipEdge(Polygon, [&](QPointF p) { return p.y() >= t; }, [&](QPointF p, QPointF q) { return atY(p, q, t); });
    Polygon = clipEdge(Polygon, [&](QPointF p) { return p.y() <= b; }, [&](QPointF p, QPointF q) { return atY(p, q, b); });
    return Polygon;
}

// Clip regions past this many rectangles are not made more complex.
constexpr int kMaxClipRects = 1 << 14;
constexpr std::uint32_t kMaxPaletteEntries = 1024;
constexpr std::uint32_t kStockFlag = 0x80000000u;
constexpr std::uint32_t kDefaultPalette = 15;

// The stock palette: the twenty colours every device keeps.
const std::vector<TColor>& defaultPalette()
{
    static const std::vector<TColor> colors = {
        RGBColor(0, 0, 0),       RGBColor(128, 0, 0),     RGBColor(0, 128, 0),     RGBColor(128, 128, 0),
        RGBColor(0, 0, 128),     RGBColor(128, 0, 128),   RGBColor(0, 128, 128),   RGBColor(192, 192, 192),
        RGBColor(192, 220, 192), RGBColor(166, 202, 240), RGBColor(255, 251, 240), RGBColor(160, 160, 164),
        RGBColor(128, 128, 128), RGBColor(255, 0, 0),     RGBColor(0, 255, 0),     RGBColor(255, 255, 0),
        RGBColor(0, 0, 255),     RGBColor(255, 0, 255),   RGBColor(0, 255, 255),   RGBColor(255, 255, 255),
    };
    return colors;
}

std::optional<GdiBrush> stockBrush(std::uint32_t Stock)
{
    const auto solid = [](TColor color) { return GdiBrush{bsSolid, color, 0, {}, false}; };
    switch (Stock) {
    case 0:  // white
    case 18: // the DC brush
        return solid(0xFFFFFF);
    case 1:
        return solid(0xC0C0C0);
    case 2:
        return solid(0x808080);
    case 3:
        return solid(0x404040);
    case 4:
        return solid(0);
    case 5:
        return GdiBrush{bsNull, 0, 0, {}, false};
    default:
        return std::nullopt;
    }
}

// The object of kind T in a slot of the table; none when the slot is empty or holds another kind.
template <class T, class Table> auto objectIn(Table& Objects, std::uint32_t Index)
{
    const auto found = Objects.find(Index);
    return found == Objects.end() ? nullptr : std::get_if<T>(&found->second);
}

} // namespace

GdiPlayer::GdiPlayer(QPainter& Painter, const PlaybackFrame& Frame, std::function<bool()> Stopping)
    : painter_(Painter), frame_(Frame), stopping_(std::move(Stopping))
{
    state_.mapMode = frame_.mapMode;
    state_.windowOrg = frame_.windowOrg;
    state_.windowExt = frame_.windowExt;
    state_.viewportOrg = frame_.viewportOrg;
    state_.viewportExt = frame_.viewportExt;
    objectCount_ = std::uint32_t(std::max(frame_.objectCount, 0));
    penLimit_ = 2.0 * std::max(frame_.output.width(), frame_.output.height()) + 2;
    // Text needs the font database of a GUI application (any thread may draw with it then).
    canDrawText_ = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    painter_.save();
    painter_.resetTransform();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setClipping(false);
}

GdiPlayer::~GdiPlayer()
{
    painter_.restore();
}

// ---- State ----

void GdiPlayer::SetBkMode(std::uint32_t Mode)
{
    if (Mode == 1 || Mode == 2)
        state_.bkOpaque = Mode == 2;
}

void GdiPlayer::SetROP2(std::uint32_t Mode)
{
    if (Mode >= 1 && Mode <= 16)
        state_.rop2 = int(Mode);
}

void GdiPlayer::SetStretchBltMode(std::uint32_t Mode)
{
    if (Mode >= 1 && Mode <= 4)
        state_.stretchMode = Mode;
}

void GdiPlayer::SetMiterLimit(double Limit)
{
    if (std::isfinite(Limit) && Limit >= 1)
        state_.miterLimit = std::min(Limit, 1e4);
}

void GdiPlayer::SetTextJustification(double BreakExtra, std::int64_t BreakCount)
{
    state_.breakExtra = BreakCount > 0 ? BreakExtra / double(BreakCount) : 0;
}

void GdiPlayer::SetPolyFillMode(std::uint32_t Mode)
{
    if (Mode == 1 || Mode == 2)
        state_.winding = Mode == 2;
}

void GdiPlayer::SetArcDirection(std::uint32_t Direction)
{
    if (Direction == 1 || Direction == 2)
        state_.clockwise = Direction == 2;
}

void GdiPlayer::SetMapMode(std::uint32_t Mode)
{
    if (Mode >= mmText && Mode <= mmAnisotropic)
        state_.mapMode = MapMode(Mode);
}

void GdiPlayer::SetWindowExt(QPointF Ext)
{
    if (scalesFreely(state_.mapMode) && Ext.x() != 0 && Ext.y() != 0)
        state_.windowExt = Ext;
}

void GdiPlayer::SetViewportOrg(QPointF Org)
{
    if (!frame_.viewportFixed)
        state_.viewportOrg = Org;
}

void GdiPlayer::SetViewportExt(QPointF Ext)
{
    if (!frame_.viewportFixed && scalesFreely(state_.mapMode) && Ext.x() != 0 && Ext.y() != 0)
        state_.viewportExt = Ext;
}

void GdiPlayer::OffsetViewportOrg(QPointF Offset)
{
    if (!frame_.viewportFixed)
        state_.viewportOrg += Offset;
}

void GdiPlayer::ScaleWindowExt(double XNum, double XDenom, double YNum, double YDenom)
{
    if (XDenom != 0 && YDenom != 0)
        SetWindowExt(QPointF(state_.windowExt.x() * XNum / XDenom, state_.windowExt.y() * YNum / YDenom));
}

void GdiPlayer::ScaleViewportExt(double XNum, double XDenom, double YNum, double YDenom)
{
    if (XDenom != 0 && YDenom != 0)
        SetViewportExt(QPointF(state_.viewportExt.x() * XNum / XDenom, state_.viewportExt.y() * YNum / YDenom));
}

void GdiPlayer::SetWorldTransform(const QTransform& Transform)
{
    // Past this the products of coordinates and factors would stop being numbers.
    constexpr double limit = 1e9;
    for (double v : {Transform.m11(), Transform.m12(), Transform.m21(), Transform.m22(), Transform.dx(), Transform.dy()})
        if (!std::isfinite(v) || std::fabs(v) > limit)
            return;
    state_.world = Transform;
}

void GdiPlayer::ModifyWorldTransform(const QTransform& Transform, std::uint32_t Mode)
{
    switch (Mode) {
    case 1:
        state_.world = QTransform();
        break;
    case 2:
        SetWorldTransform(Transform * state_.world);
        break;
    case 3:
        SetWorldTransform(state_.world * Transform);
        break;
    case 4:
        SetWorldTransform(Transform);
        break;
    default:
        break;
    }
}

void GdiPlayer::SaveDC()
{
    if (saved_.size() < std::size_t(MaxSaveDepth))
        saved_.push_back(state_);
}

void GdiPlayer::RestoreDC(int Level)
{
    std::size_t index;
    if (Level < 0) {
        const std::size_t back = std::size_t(-std::int64_t(Level));
        if (back > saved_.size())
            return;
        index = saved_.size() - back;
    } else if (Level > 0) {
        if (std::size_t(Level) > saved_.size())
            return;
        index = std::size_t(Level) - 1;
    } else {
        return;
    }
    state_ = std::move(saved_[index]);
    saved_.resize(index);
    clipDirty_ = true;
}

// ---- Objects ----

void GdiPlayer::CreateObject(GdiObject Object)
{
    std::uint32_t slot;
    if (!freedSlots_.empty()) {
        slot = *freedSlots_.begin();
        freedSlots_.erase(freedSlots_.begin());
    } else if (nextSlot_ < objectCount_) {
        slot = nextSlot_++;
    } else {
        return; // the table is full: the object is lost
    }
    objects_.insert_or_assign(slot, std::move(Object));
}

void GdiPlayer::CreateObjectAt(std::uint32_t Index, GdiObject Object)
{
    if (Index > 0 && Index < objectCount_) // slot 0 stands for the metafile itself
        objects_.insert_or_assign(Index, std::move(Object));
}

void GdiPlayer::SelectObject(std::uint32_t Index)
{
    if (Index & kStockFlag) {
        SelectStockObject(Index & ~kStockFlag);
        return;
    }
    const auto found = objects_.find(Index);
    if (found == objects_.end())
        return;
    std::visit(
        [this](const auto& object) {
            using T = std::decay_t<decltype(object)>;
            if constexpr (std::is_same_v<T, GdiPen>)
                state_.pen = object;
            else if constexpr (std::is_same_v<T, GdiBrush>)
                state_.brush = object;
            else if constexpr (std::is_same_v<T, GdiFont>)
                state_.font = object;
            else if constexpr (std::is_same_v<T, GdiRegion>)
                combineClip(deviceRegion(object.rects), 5); // a region selected is the clip region
        },
        found->second);
}

void GdiPlayer::SelectStockObject(std::uint32_t Stock)
{
    if (const std::optional<GdiBrush> brush = stockBrush(Stock)) {
        state_.brush = *brush;
        return;
    }
    const auto pen = [this](std::uint32_t style, TColor color) { state_.pen = GdiPen{style, 0, color, {}}; };
    switch (Stock) {
    case 6:
        pen(psSolid, 0xFFFFFF);
        break;
    case 7:
    case 19: // the DC pen
        pen(psSolid, 0);
        break;
    case 8:
        pen(psNull, 0);
        break;
    default:
        if (Stock >= 10 && Stock <= 17)
            state_.font = GdiFont{};
        break;
    }
}

void GdiPlayer::DeleteObject(std::uint32_t Index)
{
    if (objects_.erase(Index) > 0 && Index < nextSlot_)
        freedSlots_.insert(Index);
}

std::optional<GdiBrush> GdiPlayer::brushAt(std::uint32_t Index) const
{
    if (Index & kStockFlag)
        return stockBrush(Index & ~kStockFlag);
    if (const GdiBrush* brush = objectIn<GdiBrush>(objects_, Index))
        return *brush;
    return std::nullopt;
}

const GdiRegion* GdiPlayer::RegionAt(std::uint32_t Index) const
{
    return objectIn<GdiRegion>(objects_, Index);
}

// ---- Palettes ----

void GdiPlayer::SelectPalette(std::uint32_t Index)
{
    if (Index == (kStockFlag | kDefaultPalette)) {
        state_.palette.reset();
        return;
    }
    if (objectIn<GdiPalette>(objects_, Index))
        state_.palette = Index;
}

GdiPalette* GdiPlayer::paletteAt(std::optional<std::uint32_t> Index)
{
    const std::optional<std::uint32_t> slot = Index ? Index : state_.palette;
    return slot ? objectIn<GdiPalette>(objects_, *slot) : nullptr;
}

void GdiPlayer::SetPaletteEntries(std::optional<std::uint32_t> Index, std::uint32_t First, std::span<const TColor> Colors)
{
    GdiPalette* palette = paletteAt(Index);
    if (!palette)
        return; // the stock palette does not change
    for (std::size_t i = 0; i < Colors.size() && First + i < palette->entries.size(); ++i)
        palette->entries[First + i] = Colors[i];
}

void GdiPlayer::ResizePalette(std::optional<std::uint32_t> Index, std::uint32_t Count)
{
    GdiPalette* palette = paletteAt(Index);
    if (palette && Count > 0)
        palette->entries.resize(std::min(Count, kMaxPaletteEntries), 0);
}

const std::vector<TColor>& GdiPlayer::selectedPalette() const
{
    if (state_.palette)
        if (const GdiPalette* palette = objectIn<GdiPalette>(objects_, *state_.palette))
            return palette->entries;
    return defaultPalette();
}

QColor GdiPlayer::qtColor(TColor Color) const
{
    // A palette index (high byte 1): that entry of the selected palette, black past its end.
    if ((Color >> 24) == 1) {
        const std::vector<TColor>& palette = selectedPalette();
        const std::size_t index = Color & 0xFFFF;
        Color = index < palette.size() ? palette[index] : 0;
    }
    return QColor(RedOf(Color), GreenOf(Color), BlueOf(Color));
}

// ---- Mapping ----

QTransform GdiPlayer::pageTransform() const
{
    const DcState& s = state_;
    double sx = 1, sy = 1;
    if (scalesFreely(s.mapMode)) {
        sx = s.viewportExt.x() / s.windowExt.x();
        sy = s.viewportExt.y() / s.windowExt.y();
        if (s.mapMode == mmIsotropic) {
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
    } else if (s.mapMode != mmText) {
        const double perInch = unitsPerInch(s.mapMode);
        sx = frame_.deviceUnitsPerInchX / perInch;
        sy = -frame_.deviceUnitsPerInchY / perInch; // y grows upwards
    }
    return QTransform(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx, s.viewportOrg.y() - s.windowOrg.y() * sy);
}

QTransform GdiPlayer::mirror() const
{
    if (!(state_.layout & layoutRightToLeft))
        return {};
    return QTransform(-1, 0, 0, 1, frame_.output.width(), 0);
}

QTransform GdiPlayer::deviceToOutput() const
{
    return frame_.deviceToOutput * mirror();
}

QTransform GdiPlayer::transform() const
{
    return state_.world * pageTransform() * deviceToOutput();
}

QPointF GdiPlayer::map(QPointF Point) const
{
    return clampPoint(transform().map(Point));
}

QPainterPath GdiPlayer::mapPath(const QPainterPath& Logical) const
{
    QPainterPath out = transform().map(Logical);
    for (int i = 0; i < out.elementCount(); ++i) {
        const QPainterPath::Element e = out.elementAt(i);
        const QPointF c = clampPoint(QPointF(e.x, e.y));
        if (c.x() != e.x || c.y() != e.y)
            out.setElementPositionAt(i, c.x(), c.y());
    }
    out.setFillRule(state_.winding ? Qt::WindingFill : Qt::OddEvenFill);
    return out;
}

double GdiPlayer::xScale() const
{
    const QTransform t = transform();
    return std::hypot(t.m11(), t.m12());
}

double GdiPlayer::yScale() const
{
    const QTransform t = transform();
    return std::hypot(t.m21(), t.m22());
}

bool GdiPlayer::orientationFlipped() const
{
    // A mirrored layout mirrors arcs with everything else.
    return (state_.world * pageTransform() * frame_.deviceToOutput).determinant() < 0;
}

// ---- Tools ----

QPen GdiPlayer::qtPen() const
{
    const GdiPen& p = state_.pen;
    const std::uint32_t style = p.style & psStyleMask;
    if (style == psNull)
        return QPen(Qt::NoPen);
    double width = p.width > 0 ? p.width * xScale() : 1;
    width = std::isfinite(width) ? std::clamp(width, 1.0, penLimit_) : 1.0;
    QPen pen(qtColor(p.color), width);
    switch (p.style & psEndCapMask) {
    case psEndCapSquare:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case psEndCapFlat:
        pen.setCapStyle(Qt::FlatCap);
        break;
    default:
        pen.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (p.style & psJoinMask) {
    case psJoinBevel:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case psJoinMiter:
        pen.setJoinStyle(Qt::SvgMiterJoin); // past the limit a bevel, not a cut miter
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    pen.setMiterLimit(state_.miterLimit);
    if (width <= 1)
        pen.setCapStyle(Qt::FlatCap); // one-pixel lines end where they end
    switch (style) {
    case psDash:
        pen.setStyle(Qt::DashLine);
        break;
    case psDot:
    case psAlternate:
        pen.setStyle(Qt::DotLine);
        break;
    case psDashDot:
        pen.setStyle(Qt::DashDotLine);
        break;
    case psDashDotDot:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    case psUserStyle: {
        // Dash entries in logical units, as multiples of the pen width, at least one width each.
        QList<qreal> pattern;
        for (std::size_t i = 0; i < p.dashes.size() && i < MaxDashes; ++i) {
            const double entry = p.dashes[i] * xScale() / width;
            pattern << (std::isfinite(entry) ? std::clamp(entry, 1.0, 1e4) : 1.0);
        }
        if (pattern.size() % 2 == 1)
            pattern << pattern; // an odd pattern repeats with on and off swapped
        if (!pattern.isEmpty())
            pen.setDashPattern(pattern);
        break;
    }
    default:
        break;
    }
    return pen;
}

QBrush GdiPlayer::qtBrush() const
{
    return qtBrush(state_.brush);
}

QBrush GdiPlayer::qtBrush(const GdiBrush& Brush) const
{
    switch (Brush.style) {
    case bsNull:
        return QBrush(Qt::NoBrush);
    case bsHatched:
        return QBrush(qtColor(Brush.color), hatchStyle(Brush.hatch));
    case bsPattern:
    case bsDibPattern:
    case bsDibPatternPt: {
        if (Brush.pattern.isNull())
            return QBrush(qtColor(Brush.color));
        if (!Brush.monochrome)
            return QBrush(Brush.pattern);
        QImage pattern = Brush.pattern;
        pattern.setColorTable({qtColor(state_.textColor).rgb(), qtColor(state_.bkColor).rgb()});
        return QBrush(pattern);
    }
    default:
        return QBrush(qtColor(Brush.color));
    }
}

QFont GdiPlayer::qtFont() const
{
    const GdiFont& f = state_.font;
    QFont font;
    if (!f.face.isEmpty())
        font.setFamily(f.face);
    double pixels;
    if (f.height == 0) {
        // The default: twelve pixels of a 96-per-inch device, at the output's scale.
        const QTransform& d = frame_.deviceToOutput;
        pixels = 12 * frame_.deviceUnitsPerInchY / 96 * std::hypot(d.m21(), d.m22());
    } else {
        pixels = std::fabs(double(f.height)) * yScale();
        if (f.height > 0) {
            // A cell height: ascent and descent together.
            QFont probe = font;
            probe.setPixelSize(100);
            const double cell = QFontMetricsF(probe, painter_.device()).height();
            if (cell > 0)
                pixels *= 100 / cell;
        }
    }
    pixels = std::isfinite(pixels) ? std::clamp(pixels, 1.0, std::min(4096.0, penLimit_)) : 12.0;
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setWeight(QFont::Weight(std::clamp(f.weight > 0 ? f.weight : 400, 1, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

void GdiPlayer::prepare()
{
    if (clipDirty_) {
        if (const std::optional<QRegion> clip = effectiveClip())
            painter_.setClipRegion(*clip);
        else
            painter_.setClipping(false);
        clipDirty_ = false;
    }
    applyBackground(painter_);
    painter_.setBrushOrigin(deviceToOutput().map(state_.brushOrigin));
}

void GdiPlayer::applyBackground(QPainter& Painter) const
{
    Painter.setBackgroundMode(state_.bkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
    Painter.setBackground(qtColor(state_.bkColor));
}

// ---- Drawing ----

void GdiPlayer::draw(const QPainterPath& Logical, bool Fill, bool Stroke, bool Continue)
{
    const QPainterPath out = mapPath(Logical);
    if (inPath_) {
        if (Continue && !path_.isEmpty() && out.elementCount() > 0 && path_.currentPosition() == QPointF(out.elementAt(0)))
            path_.connectPath(out);
        else
            path_.addPath(out);
        return;
    }
    paint(out, Fill, Stroke);
}

void GdiPlayer::paint(const QPainterPath& Output, bool Fill, bool Stroke)
{
    const std::optional<QPainter::CompositionMode> mix = MixComposition(state_.rop2);
    if (!mix)
        return;
    Fill = Fill && state_.brush.style != bsNull;
    Stroke = Stroke && (state_.pen.style & psStyleMask) != psNull;
    const QPen pen = Stroke ? qtPen() : QPen();
    // A mix other than copy takes each pixel once, also where the outline lies over the fill.
    if (Fill && Stroke && *mix != QPainter::CompositionMode_SourceOver && targetImage()) {
        mixFilledOutline(Output, pen);
        return;
    }
    prepare();
    painter_.setCompositionMode(*mix);
    if (Fill)
        painter_.fillPath(Output, qtBrush());
    if (Stroke)
        painter_.strokePath(Output, pen);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void GdiPlayer::mixFilledOutline(const QPainterPath& Output, const QPen& Pen)
{
    // Fill and outline drawn together over the pixels they may cover, then mixed as one source.
    const double miter = Pen.joinStyle() == Qt::SvgMiterJoin ? std::max(1.0, Pen.miterLimit()) : 1.0;
    const double reach = Pen.widthF() / 2 * miter + 2;
    const QRectF output = QRectF(QPointF(0, 0), QSizeF(frame_.output)).adjusted(-1, -1, 1, 1);
    const QRectF bounds = Output.controlPointRect().adjusted(-reach, -reach, reach, reach) & output;
    if (bounds.isEmpty())
        return;
    const QBrush brush = qtBrush();
    const QPointF brushOrigin = deviceToOutput().map(state_.brushOrigin);
    const auto shape = [&](QPainter& Painter, QPoint Origin) {
        applyBackground(Painter);
        Painter.setBrushOrigin(brushOrigin - QPointF(Origin));
        const QPainterPath placed = Output.translated(-QPointF(Origin));
        Painter.fillPath(placed, brush);
        Painter.strokePath(placed, Pen);
    };
    ropBlit(QPolygonF(bounds), shape, SourceMixIndex(state_.rop2));
}

void GdiPlayer::MoveTo(QPointF Point)
{
    state_.position = Point;
}

void GdiPlayer::LineTo(QPointF Point)
{
    QPainterPath line(state_.position);
    line.lineTo(Point);
    state_.position = Point;
    draw(line, false, true, true);
}

void GdiPlayer::Polyline(std::span<const QPointF> Points)
{
    if (Points.size() < 2)
        return;
    QPainterPath line(Points[0]);
    for (std::size_t i = 1; i < Points.size(); ++i)
        line.lineTo(Points[i]);
    draw(line, false, true);
}

void GdiPlayer::PolylineTo(std::span<const QPointF> Points)
{
    if (Points.empty())
        return;
    QPainterPath line(state_.position);
    for (QPointF p : Points)
        line.lineTo(p);
    state_.position = Points.back();
    draw(line, false, true, true);
}

void GdiPlayer::Polygon(std::span<const QPointF> Points)
{
    if (Points.size() < 2)
        return;
    QPainterPath shape;
    shape.addPolygon(QPolygonF(QList<QPointF>(Points.begin(), Points.end())));
    shape.closeSubpath();
    draw(shape, true, true);
}

void GdiPlayer::PolyPolygon(std::span<const QPointF> Points, std::span<const std::uint32_t> Counts)
{
    QPainterPath shape;
    std::size_t at = 0;
    for (std::uint32_t count : Counts) {
        if (count > Points.size() - at)
            break;
        if (count >= 2) {
            shape.addPolygon(QPolygonF(QList<QPointF>(Points.begin() + at, Points.begin() + at + count)));
            shape.closeSubpath();
        }
        at += count;
    }
    draw(shape, true, true);
}

void GdiPlayer::PolyPolyline(std::span<const QPointF> Points, std::span<const std::uint32_t> Counts)
{
    std::size_t at = 0;
    for (std::uint32_t count : Counts) {
        if (count > Points.size() - at)
            break;
        Polyline(Points.subspan(at, count));
        at += count;
    }
}

void GdiPlayer::PolyBezier(std::span<const QPointF> Points)
{
    if (Points.size() < 4)
        return;
    QPainterPath curve(Points[0]);
    for (std::size_t i = 1; i + 2 < Points.size(); i += 3)
        curve.cubicTo(Points[i], Points[i + 1], Points[i + 2]);
    draw(curve, false, true);
}

void GdiPlayer::PolyBezierTo(std::span<const QPointF> Points)
{
    if (Points.size() < 3)
        return;
    QPainterPath curve(state_.position);
    std::size_t i = 0;
    for (; i + 2 < Points.size(); i += 3)
        curve.cubicTo(Points[i], Points[i + 1], Points[i + 2]);
    state_.position = Points[i - 1];
    draw(curve, false, true, true);
}

void GdiPlayer::Rectangle(const QRectF& Box)
{
    QPainterPath shape;
    shape.addRect(Box.normalized());
    draw(shape, true, true);
}

void GdiPlayer::RoundRect(const QRectF& Box, QSizeF Corner)
{
    const QRectF box = Box.normalized();
    QPainterPath shape;
    shape.addRoundedRect(box, std::min(std::fabs(Corner.width()) / 2, box.width() / 2),
                         std::min(std::fabs(Corner.height()) / 2, box.height() / 2));
    draw(shape, true, true);
}

void GdiPlayer::Ellipse(const QRectF& Box)
{
    QPainterPath shape;
    shape.addEllipse(Box.normalized());
    draw(shape, true, true);
}

// Points of the ellipse in Box from the ray towards Start to the ray towards End,
// counter-clockwise as seen on the output (clockwise after SetArcDirection 2).
std::vector<QPointF> GdiPlayer::arcPoints(const QRectF& Box, QPointF Start, QPointF End) const
{
    const QRectF box = Box.normalized();
    const double a = box.width() / 2, b = box.height() / 2;
    if (!(a > 0 && b > 0))
        return {};
    const QPointF c = box.center();
    const auto angleOf = [&](QPointF p) { return std::atan2(a * (p.y() - c.y()), b * (p.x() - c.x())); };
    const double t0 = angleOf(Start), t1 = angleOf(End);
    constexpr double full = 2 * std::numbers::pi;
    // In logical space with y down, counter-clockwise on the output is a falling angle unless
    // the mapping turns the picture over.
    const bool falling = orientationFlipped() == state_.clockwise;
    double sweep = falling ? t0 - t1 : t1 - t0;
    sweep = std::fmod(sweep, full);
    if (sweep <= 0)
        sweep += full; // the same angle twice is the whole ellipse
    if (falling)
        sweep = -sweep;
    const int steps = arcSteps(std::max(a * xScale(), b * yScale()), sweep);
    std::vector<QPointF> points;
    points.reserve(std::size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = t0 + sweep * i / steps;
        points.emplace_back(c.x() + a * std::cos(t), c.y() + b * std::sin(t));
    }
    return points;
}

// Enough points for a smooth curve of this radius (output pixels) and sweep (radians).
int GdiPlayer::arcSteps(double Radius, double Sweep) const
{
    constexpr double full = 2 * std::numbers::pi;
    const double perCircle = std::clamp(std::sqrt(std::isfinite(Radius) ? Radius : 0.0) * 8, 32.0, 1024.0);
    return std::max(2, int(std::ceil(std::min(std::fabs(Sweep), full) / full * perCircle)));
}

void GdiPlayer::AngleArc(QPointF Center, double Radius, double Start, double Sweep)
{
    if (!std::isfinite(Start) || !std::isfinite(Sweep) || !std::isfinite(Radius))
        return;
    // Sweeping past a whole turn draws the same circle again.
    const double sweep = std::clamp(Sweep, -360.0, 360.0) * std::numbers::pi / 180;
    const double start = std::fmod(Start, 360.0) * std::numbers::pi / 180;
    // Counter-clockwise as seen on the output: against y in logical space unless the mapping
    // turns the picture over.
    const double up = orientationFlipped() ? 1 : -1;
    const int steps = arcSteps(Radius * std::max(xScale(), yScale()), sweep);
    QPainterPath shape(state_.position);
    for (int i = 0; i <= steps; ++i) {
        const double t = start + sweep * i / steps;
        shape.lineTo(Center.x() + Radius * std::cos(t), Center.y() + up * Radius * std::sin(t));
    }
    state_.position = shape.currentPosition();
    draw(shape, false, true, true);
}

void GdiPlayer::PolyDraw(std::span<const QPointF> Points, std::span<const std::uint8_t> Types)
{
    enum : std::uint8_t { closeFigure = 1, lineTo = 2, bezierTo = 4, moveTo = 6 };
    if (Types.size() < Points.size())
        return;
    QPainterPath shape(state_.position);
    for (std::size_t i = 0; i < Points.size(); ++i) {
        const std::uint8_t kind = Types[i] & ~closeFigure;
        bool close = Types[i] & closeFigure;
        if (kind == moveTo) {
            shape.moveTo(Points[i]);
        } else if (kind == lineTo) {
            shape.lineTo(Points[i]);
        } else if (kind == bezierTo && i + 2 < Points.size() && (Types[i + 1] & ~closeFigure) == bezierTo
                   && (Types[i + 2] & ~closeFigure) == bezierTo) {
            shape.cubicTo(Points[i], Points[i + 1], Points[i + 2]);
            i += 2;
            close = Types[i] & closeFigure;
        } else {
            return; // a broken sequence draws nothing
        }
        if (close)
            shape.closeSubpath();
    }
    if (!Points.empty())
        state_.position = Points.back();
    draw(shape, false, true, true);
}

void GdiPlayer::Arc(ArcKind Kind, const QRectF& Box, QPointF Start, QPointF End)
{
    const std::vector<QPointF> points = arcPoints(Box, Start, End);
    if (points.empty())
        return;
    QPainterPath shape;
    switch (Kind) {
    case ArcKind::Arc:
        shape.moveTo(points.front());
        break;
    case ArcKind::ArcTo:
        shape.moveTo(state_.position);
        shape.lineTo(points.front());
        state_.position = points.back();
        break;
    case ArcKind::Chord:
        shape.moveTo(points.front());
        break;
    case ArcKind::Pie:
        shape.moveTo(Box.normalized().center());
        shape.lineTo(points.front());
        break;
    }
    for (std::size_t i = 1; i < points.size(); ++i)
        shape.lineTo(points[i]);
    const bool closed = Kind == ArcKind::Chord || Kind == ArcKind::Pie;
    if (closed)
        shape.closeSubpath();
    draw(shape, closed, true, Kind == ArcKind::ArcTo);
}

void GdiPlayer::fillOutputPolygon(const QPolygonF& Polygon, const QBrush& Brush, QPainter::CompositionMode Mode)
{
    QPainterPath shape;
    shape.addPolygon(Polygon);
    shape.closeSubpath();
    prepare();
    painter_.setCompositionMode(Mode);
    painter_.fillPath(shape, Brush);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QPolygonF GdiPlayer::mapRect(const QRectF& Logical) const
{
    QPolygonF corners = transform().map(QPolygonF(Logical.normalized()));
    for (QPointF& p : corners)
        p = clampPoint(p);
    return corners;
}

// ---- Clipping ----

QRegion GdiPlayer::outputRegion() const
{
    return QRegion(0, 0, frame_.output.width(), frame_.output.height());
}

// The output pixels of a logical rectangle, kept to the output (plus a margin).
QRegion GdiPlayer::regionOf(const QRectF& Logical) const
{
    const QRectF bounds = QRectF(QPointF(0, 0), QSizeF(frame_.output)).adjusted(-1, -1, 1, 1);
    const QTransform t = transform();
    if (t.m12() == 0 && t.m21() == 0) {
        const QRectF box = (t.mapRect(Logical.normalized()) & bounds);
        if (box.isEmpty())
            return QRegion();
        return QRegion(QRect(QPoint(int(std::lround(box.left())), int(std::lround(box.top()))),
                             QPoint(int(std::lround(box.right())) - 1, int(std::lround(box.bottom())) - 1)));
    }
    const QPolygonF shown = clipToRect(mapRect(Logical), bounds);
    return shown.size() < 3 ? QRegion() : QRegion(shown.toPolygon());
}

void GdiPlayer::setClip(std::optional<QRegion> Clip)
{
    if (Clip && Clip->rectCount() > kMaxClipRects) {
        ++recordsLeftOut_;
        return;
    }
    state_.clip = std::move(Clip);
    clipDirty_ = true;
}

void GdiPlayer::IntersectClipRect(const QRectF& Box)
{
    setClip((state_.clip ? *state_.clip : outputRegion()).intersected(regionOf(Box)));
}

void GdiPlayer::ExcludeClipRect(const QRectF& Box)
{
    setClip((state_.clip ? *state_.clip : outputRegion()).subtracted(regionOf(Box)));
}

void GdiPlayer::combineClip(const QRegion& Region, std::uint32_t Mode)
{
    const QRegion current = state_.clip ? *state_.clip : outputRegion();
    switch (Mode) {
    case 1:
        setClip(current.intersected(Region));
        break;
    case 2:
        setClip(current.united(Region));
        break;
    case 3:
        setClip(current.xored(Region));
        break;
    case 4:
        setClip(current.subtracted(Region));
        break;
    case 5:
        setClip(Region);
        break;
    default:
        break;
    }
}

void GdiPlayer::SelectClipRects(std::span<const QRectF> Rects, std::uint32_t Mode)
{
    if (Rects.empty()) {
        if (Mode == 5)
            setClip(std::nullopt); // no region: no clipping
        return;
    }
    if (Rects.size() > MaxRegionRects) {
        ++recordsLeftOut_;
        return;
    }
    combineClip(deviceRegion(Rects), Mode);
}

QRegion GdiPlayer::deviceRegion(std::span<const QRectF> Rects) const
{
    const QRectF bounds = QRectF(QPointF(0, 0), QSizeF(frame_.output)).adjusted(-1, -1, 1, 1);
    const QTransform toOutput = deviceToOutput();
    QRegion region;
    for (const QRectF& rect : Rects.first(std::min(Rects.size(), MaxRegionRects))) {
        const QRectF box = toOutput.mapRect(rect.normalized()) & bounds;
        if (!box.isEmpty())
            region += box.toAlignedRect();
    }
    return region;
}

void GdiPlayer::SelectClipRegion(std::uint32_t Index)
{
    if (const GdiRegion* region = RegionAt(Index))
        combineClip(deviceRegion(region->rects), 5);
    else if (!objects_.contains(Index))
        setClip(std::nullopt); // no region at all: no clipping
}

void GdiPlayer::OffsetClipRegion(QPointF Offset)
{
    if (!state_.clip)
        return;
    const QPointF moved = map(Offset) - map(QPointF(0, 0));
    setClip(state_.clip->translated(int(std::lround(moved.x())), int(std::lround(moved.y()))));
}

void GdiPlayer::SetMetaRegion()
{
    state_.metaClip = effectiveClip();
    state_.clip.reset();
    clipDirty_ = true;
}

std::optional<QRegion> GdiPlayer::effectiveClip() const
{
    if (state_.clip && state_.metaClip)
        return state_.clip->intersected(*state_.metaClip);
    return state_.clip ? state_.clip : state_.metaClip;
}

// ---- Regions ----

QRegion GdiPlayer::regionOf(std::span<const QRectF> Logical)
{
    QRegion region;
    if (Logical.size() > MaxRegionRects) {
        ++recordsLeftOut_;
        return region;
    }
    for (const QRectF& rect : Logical)
        region += regionOf(rect);
    return region;
}

void GdiPlayer::fillRegion(const QRegion& Region, const QBrush& Brush, QPainter::CompositionMode Mode)
{
    QRegion shown = Region;
    if (const std::optional<QRegion> clip = effectiveClip())
        shown &= *clip;
    if (shown.isEmpty())
        return;
    prepare();
    painter_.save();
    painter_.setClipRegion(shown);
    painter_.setCompositionMode(Mode);
    painter_.fillRect(shown.boundingRect(), Brush);
    painter_.restore();
}

void GdiPlayer::FillRegion(std::span<const QRectF> Rects, std::uint32_t Brush)
{
    if (const std::optional<GdiBrush> brush = brushAt(Brush); brush && brush->style != bsNull)
        fillRegion(regionOf(Rects), qtBrush(*brush), QPainter::CompositionMode_SourceOver);
}

void GdiPlayer::PaintRegion(std::span<const QRectF> Rects)
{
    const std::optional<QPainter::CompositionMode> mix = MixComposition(state_.rop2);
    if (mix && state_.brush.style != bsNull)
        fillRegion(regionOf(Rects), qtBrush(), *mix);
}

void GdiPlayer::FrameRegion(std::span<const QRectF> Rects, std::uint32_t Brush, QSizeF Size)
{
    const std::optional<GdiBrush> brush = brushAt(Brush);
    if (!brush || brush->style == bsNull)
        return;
    const auto pixels = [](double v) { return std::isfinite(v) ? int(std::clamp(std::lround(std::fabs(v)), 1L, 1L << 16)) : 1; };
    const int w = pixels(Size.width() * xScale()), h = pixels(Size.height() * yScale());
    const QRegion region = regionOf(Rects);
    // What stays inside when the region is moved that far each way is not the border.
    const QRegion inner = region.intersected(region.translated(w, 0)).intersected(region.translated(-w, 0))
                              .intersected(region.translated(0, h)).intersected(region.translated(0, -h));
    fillRegion(region.subtracted(inner), qtBrush(*brush), QPainter::CompositionMode_SourceOver);
}

void GdiPlayer::InvertRegion(std::span<const QRectF> Rects)
{
    fillRegion(regionOf(Rects), QBrush(Qt::white), QPainter::RasterOp_NotDestination);
}

// ---- Paths ----

void GdiPlayer::BeginPath()
{
    path_ = QPainterPath();
    inPath_ = true;
}

void GdiPlayer::AbortPath()
{
    path_ = QPainterPath();
    inPath_ = false;
}

void GdiPlayer::CloseFigure()
{
    if (inPath_)
        path_.closeSubpath();
}

void GdiPlayer::drawPathBracket(bool Fill, bool Stroke)
{
    QPainterPath shape = std::move(path_);
    path_ = QPainterPath();
    inPath_ = false;
    shape.setFillRule(state_.winding ? Qt::WindingFill : Qt::OddEvenFill);
    paint(shape, Fill, Stroke);
}

void GdiPlayer::FlattenPath()
{
    QPainterPath flat;
    for (const QPolygonF& figure : path_.toSubpathPolygons()) {
        flat.addPolygon(figure);
        if (figure.isClosed())
            flat.closeSubpath();
    }
    path_ = flat;
}

void GdiPlayer::WidenPath()
{
    if ((state_.pen.style & psStyleMask) == psNull)
        return;
    QPainterPathStroker stroker(qtPen());
    path_ = stroker.createStroke(path_);
}

void GdiPlayer::SelectClipPath(std::uint32_t Mode)
{
    QPainterPath shape = std::move(path_);
    path_ = QPainterPath();
    inPath_ = false;
    if (shape.isEmpty())
        return;
    shape.setFillRule(state_.winding ? Qt::WindingFill : Qt::OddEvenFill);
    // The figures as one polygon (its joins run there and back) cut to the output: cutting
    // keeps the winding of every point inside, so either fill rule still holds.
    const QRectF bounds = QRectF(QPointF(0, 0), QSizeF(frame_.output)).adjusted(-1, -1, 1, 1);
    const QPolygonF shown = clipToRect(shape.toFillPolygon(), bounds);
    combineClip(shown.size() < 3 ? QRegion() : QRegion(shown.toPolygon(), shape.fillRule()), Mode);
}

} // namespace metafile
