// The drawing state of a metafile's playback and its operations onto a QPainter.
#include "gdiplayer.h"

#include "imaging/formats/bmp/bmpformat.h"
#include "imaging/pixelgraphic.h"
#include "recordreader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace metafile {

namespace {

QColor qtColor(TColor Color)
{
    return QColor(RedOf(Color), GreenOf(Color), BlueOf(Color));
}

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

// The composition of a raster operation with a source; none for those without one.
std::optional<QPainter::CompositionMode> sourceComposition(std::uint32_t Rop)
{
    switch ((Rop >> 16) & 0xFF) {
    case 0xCC:
        return QPainter::CompositionMode_SourceOver; // copy: bitmaps are opaque
    case 0xEE:
        return QPainter::RasterOp_SourceOrDestination;
    case 0x88:
        return QPainter::RasterOp_SourceAndDestination;
    case 0x66:
        return QPainter::RasterOp_SourceXorDestination;
    case 0x33:
        return QPainter::RasterOp_NotSource;
    default:
        return std::nullopt;
    }
}

// The part of a convex polygon inside a rectangle (one edge of the rectangle at a time).
QPolygonF clipConvex(QPolygonF Polygon, const QRectF& Box)
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
constexpr int kMaxRegionRects = 4096;
constexpr qsizetype kMaxTextLength = 1 << 16;
constexpr std::size_t kMaxDashes = 16;

} // namespace

GdiPlayer::GdiPlayer(QPainter& Painter, const PlaybackFrame& Frame) : painter_(Painter), frame_(Frame)
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
    if (Index & 0x80000000u) {
        SelectStockObject(Index & 0x7FFFFFFFu);
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
        },
        found->second);
}

void GdiPlayer::SelectStockObject(std::uint32_t Stock)
{
    const auto brush = [this](std::uint32_t style, TColor color) { state_.brush = GdiBrush{style, color, 0, {}}; };
    const auto pen = [this](std::uint32_t style, TColor color) { state_.pen = GdiPen{style, 0, color, {}}; };
    switch (Stock) {
    case 0: // white, light gray, gray, dark gray, black brushes; the null brush
    case 18: // the DC brush
        brush(bsSolid, 0xFFFFFF);
        break;
    case 1:
        brush(bsSolid, 0xC0C0C0);
        break;
    case 2:
        brush(bsSolid, 0x808080);
        break;
    case 3:
        brush(bsSolid, 0x404040);
        break;
    case 4:
        brush(bsSolid, 0);
        break;
    case 5:
        brush(bsNull, 0);
        break;
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

QTransform GdiPlayer::transform() const
{
    return state_.world * pageTransform() * frame_.deviceToOutput;
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
    return transform().determinant() < 0;
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
        pen.setJoinStyle(Qt::MiterJoin);
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
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
        for (std::size_t i = 0; i < p.dashes.size() && i < kMaxDashes; ++i) {
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
    const GdiBrush& b = state_.brush;
    switch (b.style) {
    case bsNull:
        return QBrush(Qt::NoBrush);
    case bsHatched:
        return QBrush(qtColor(b.color), hatchStyle(b.hatch));
    case bsPattern:
    case bsDibPattern:
    case bsDibPatternPt:
        return b.pattern.isNull() ? QBrush(qtColor(b.color)) : QBrush(b.pattern);
    default:
        return QBrush(qtColor(b.color));
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
        if (state_.clip)
            painter_.setClipRegion(*state_.clip);
        else
            painter_.setClipping(false);
        clipDirty_ = false;
    }
    painter_.setBackgroundMode(state_.bkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(qtColor(state_.bkColor));
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
    prepare();
    if (Fill && state_.brush.style != bsNull)
        painter_.fillPath(out, qtBrush());
    if (Stroke && (state_.pen.style & psStyleMask) != psNull)
        painter_.strokePath(out, qtPen());
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
    const double radius = std::max(a * xScale(), b * yScale());
    const double perCircle = std::clamp(std::sqrt(std::isfinite(radius) ? radius : 0.0) * 8, 32.0, 1024.0);
    const int steps = std::max(2, int(std::ceil(std::fabs(sweep) / full * perCircle)));
    std::vector<QPointF> points;
    points.reserve(std::size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = t0 + sweep * i / steps;
        points.emplace_back(c.x() + a * std::cos(t), c.y() + b * std::sin(t));
    }
    return points;
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

void GdiPlayer::fillOutputPolygon(const QPolygonF& Polygon, const QBrush& Brush)
{
    QPainterPath shape;
    shape.addPolygon(Polygon);
    shape.closeSubpath();
    prepare();
    painter_.fillPath(shape, Brush);
}

QPolygonF GdiPlayer::mapRect(const QRectF& Logical) const
{
    QPolygonF corners = transform().map(QPolygonF(Logical.normalized()));
    for (QPointF& p : corners)
        p = clampPoint(p);
    return corners;
}

void GdiPlayer::TextOut(QPointF Reference, const QString& Text, std::span<const double> Advances, std::uint32_t Options,
                        const std::optional<QRectF>& Rect)
{
    if (inPath_)
        return;
    if (Rect && (Options & etoOpaque))
        fillOutputPolygon(mapRect(*Rect), qtColor(state_.bkColor));
    if (Text.isEmpty() || !canDrawText_)
        return;
    const QString text = Text.left(kMaxTextLength);
    const bool updatePosition = state_.textAlign & taUpdateCp;
    if (updatePosition)
        Reference = state_.position;
    prepare();
    const QFont font = qtFont();
    const QFontMetricsF metrics(font, painter_.device());
    const double xs = xScale();
    const std::size_t advances = std::min<std::size_t>(Advances.size(), std::size_t(text.size()));
    std::vector<double> offsets;
    double width = 0;
    if (advances > 0) {
        for (std::size_t i = 0; i < advances; ++i) {
            offsets.push_back(width);
            width += Advances[i] * xs;
        }
    } else {
        width = metrics.horizontalAdvance(text);
    }
    if (!std::isfinite(width))
        return;
    double x = 0;
    if ((state_.textAlign & taHorizontalMask) == taRight)
        x = -width;
    else if ((state_.textAlign & taHorizontalMask) == taCenter)
        x = -width / 2;
    double baseline = metrics.ascent(); // top
    if ((state_.textAlign & taVerticalMask) == taBottom)
        baseline = -metrics.descent();
    else if ((state_.textAlign & taVerticalMask) == taBaseline)
        baseline = 0;

    painter_.save();
    if (Rect && (Options & etoClipped)) {
        QRegion clip = regionOf(*Rect);
        if (state_.clip)
            clip &= *state_.clip;
        painter_.setClipRegion(clip);
    }
    painter_.translate(map(Reference));
    painter_.rotate(-state_.font.escapement / 10.0);
    painter_.setFont(font);
    painter_.setBackgroundMode(Qt::TransparentMode);
    if (state_.bkOpaque)
        painter_.fillRect(QRectF(x, baseline - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                          qtColor(state_.bkColor));
    painter_.setPen(qtColor(state_.textColor));
    if (advances > 0) {
        for (std::size_t i = 0; i < advances; ++i)
            painter_.drawText(QPointF(x + offsets[i], baseline), QString(text[qsizetype(i)]));
    } else {
        painter_.drawText(QPointF(x, baseline), text);
    }
    painter_.restore();
    if (updatePosition && xs > 0)
        state_.position.rx() += width / xs;
}

// ---- Bitmaps ----

GdiObject GdiPlayer::PatternBrush(const QByteArray& Packed)
{
    const std::optional<QImage> pattern = DecodeBitmap(Packed);
    if (!pattern)
        return GdiPlaceholder{};
    return GdiBrush{bsDibPatternPt, 0, 0, *pattern};
}

void GdiPlayer::BlitBitmap(const QByteArray& Packed, QRectF Source, bool FromBottom, const QRectF& Dest, std::uint32_t Rop)
{
    if (!sourceComposition(Rop)) {
        PatBlt(Dest, Rop);
        return;
    }
    const std::optional<QImage> bitmap = DecodeBitmap(Packed);
    if (!bitmap)
        return;
    if (FromBottom)
        Source.moveTop(bitmap->height() - Source.y() - Source.height());
    StretchBitmap(*bitmap, Source, Dest, Rop);
}

std::optional<QImage> GdiPlayer::DecodeBitmap(const QByteArray& Packed)
{
    const RecordReader header(reinterpret_cast<const std::uint8_t*>(Packed.constData()), std::size_t(Packed.size()));
    if (!header.Holds(0, 1, 12))
        return std::nullopt;
    std::int64_t width, height;
    if (header.U32(0) == 12) {
        width = header.I16(4);
        height = header.I16(6);
    } else {
        if (!header.Holds(0, 1, 16))
            return std::nullopt;
        width = header.I32(4);
        height = std::abs(std::int64_t(header.I32(8)));
    }
    if (width <= 0 || height <= 0 || width * height > bitmapBudget_)
        return std::nullopt;
    bitmapBudget_ -= width * height;
    QBuffer buffer;
    buffer.setData(Packed);
    buffer.open(QIODevice::ReadOnly);
    TPixelGraphic bitmap;
    try {
        DecodePackedBitmap(buffer, bitmap);
    } catch (const EPixelGraphic&) {
        return std::nullopt;
    }
    QImage image = bitmap.ToQImage();
    if (image.isNull())
        return std::nullopt;
    return image;
}

void GdiPlayer::StretchBitmap(const QImage& Bitmap, QRectF Source, const QRectF& Dest, std::uint32_t Rop)
{
    const std::optional<QPainter::CompositionMode> mode = sourceComposition(Rop);
    if (!mode) {
        PatBlt(Dest, Rop);
        return;
    }
    if (inPath_ || !(Source.width() > 0 && Source.height() > 0) || Dest.width() == 0 || Dest.height() == 0)
        return;
    const QRectF shown = Source & QRectF(Bitmap.rect());
    if (shown.isEmpty())
        return;
    const QTransform toOutput = QTransform::fromTranslate(-Source.x(), -Source.y())
        * QTransform::fromScale(Dest.width() / Source.width(), Dest.height() / Source.height())
        * QTransform::fromTranslate(Dest.x(), Dest.y()) * transform();
    for (QPointF corner : toOutput.map(QPolygonF(shown)))
        if (!(std::fabs(corner.x()) <= CoordinateLimit && std::fabs(corner.y()) <= CoordinateLimit))
            return;
    prepare();
    painter_.save();
    painter_.setTransform(toOutput);
    painter_.setCompositionMode(*mode);
    painter_.drawImage(shown, Bitmap, shown);
    painter_.restore();
}

void GdiPlayer::PatBlt(const QRectF& Dest, std::uint32_t Rop)
{
    if (inPath_)
        return;
    QBrush brush;
    switch ((Rop >> 16) & 0xFF) {
    case 0xF0: // the brush
        if (state_.brush.style == bsNull)
            return;
        brush = qtBrush();
        break;
    case 0x00:
        brush = QBrush(Qt::black);
        break;
    case 0xFF:
        brush = QBrush(Qt::white);
        break;
    default:
        return;
    }
    fillOutputPolygon(mapRect(QRectF(Dest.topLeft(), Dest.size())), brush);
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
    const QPolygonF shown = clipConvex(mapRect(Logical), bounds);
    return shown.size() < 3 ? QRegion() : QRegion(shown.toPolygon());
}

void GdiPlayer::setClip(std::optional<QRegion> Clip)
{
    if (Clip && Clip->rectCount() > kMaxClipRects)
        return;
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
    if (Rects.size() > std::size_t(kMaxRegionRects))
        return;
    const QRectF bounds = QRectF(QPointF(0, 0), QSizeF(frame_.output)).adjusted(-1, -1, 1, 1);
    QRegion region;
    for (const QRectF& rect : Rects) {
        const QRectF box = frame_.deviceToOutput.mapRect(rect.normalized()) & bounds;
        if (!box.isEmpty())
            region += box.toAlignedRect();
    }
    combineClip(region, Mode);
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
    prepare();
    if (Fill && state_.brush.style != bsNull)
        painter_.fillPath(shape, qtBrush());
    if (Stroke && (state_.pen.style & psStyleMask) != psNull)
        painter_.strokePath(shape, qtPen());
}

void GdiPlayer::SelectClipPath(std::uint32_t Mode)
{
    QPainterPath shape = std::move(path_);
    path_ = QPainterPath();
    inPath_ = false;
    if (shape.isEmpty())
        return;
    shape.setFillRule(state_.winding ? Qt::WindingFill : Qt::OddEvenFill);
    QPainterPath bounds;
    bounds.addRect(QRectF(QPointF(0, 0), QSizeF(frame_.output)).adjusted(-1, -1, 1, 1));
    const QPainterPath shown = shape.intersected(bounds);
    QRegion region;
    for (const QPolygonF& polygon : shown.toFillPolygons())
        region = region.xored(QRegion(polygon.toPolygon(), shape.fillRule()));
    combineClip(region, Mode);
}

} // namespace metafile
