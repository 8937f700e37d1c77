#include "navigationgraphics.h"

#include "imaging/pixelgraphic.h"

#include <QDir>

#include <cmath>

namespace {

enum Ink : std::uint32_t { Paper, Edge, Face, Arrow, Shade };
constexpr TColor kInks[] = {RGBColor(255, 255, 255), RGBColor(28, 58, 98), RGBColor(62, 120, 178), RGBColor(255, 255, 255),
                            RGBColor(196, 206, 220)};

std::unique_ptr<TPixelGraphic> blank(int Width, int Height)
{
    auto image = std::make_unique<TPixelGraphic>();
    image->Allocate(Width, Height, bcn8Bit);
    image->SetPaletteCount(int(std::size(kInks)));
    for (int i = 0; i < int(std::size(kInks)); ++i)
        image->SetPaletteEntry(i, kInks[i]);
    return image;
}

// Inside the triangle a, b, c (pixel centres).
bool inTriangle(double x, double y, QPointF a, QPointF b, QPointF c)
{
    const auto side = [&](QPointF p, QPointF q) { return (q.x() - p.x()) * (y - p.y()) - (q.y() - p.y()) * (x - p.x()); };
    const double d1 = side(a, b), d2 = side(b, c), d3 = side(c, a);
    return (d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0);
}

// An arrow pointing right (or left) centred in the box: a bar and a head.
bool inArrow(double x, double y, const QRectF& box, bool right)
{
    if (!right)
        x = box.left() + box.right() - x;
    const double midY = box.center().y(), headStart = box.left() + box.width() * 0.5;
    const bool bar = x >= box.left() && x <= headStart && std::abs(y - midY) <= box.height() * 0.16;
    return bar || inTriangle(x, y, {headStart, box.top()}, {headStart, box.bottom()}, {box.right(), midY});
}

// A round button with an arrow and a shadow below right.
std::unique_ptr<TPixelGraphic> roundButton(bool right)
{
    constexpr int size = 32;
    auto image = blank(size, size);
    const double centre = 14.5, radius = 13.5;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double distance = std::hypot(x - centre, y - centre);
            const double shadow = std::hypot(x - centre - 2, y - centre - 2);
            Ink ink = Paper;
            if (distance <= radius)
                ink = distance > radius - 1.6 ? Edge
                                             : (inArrow(x, y, QRectF(7.5, 8.5, 14, 12), right) ? Arrow : Face);
            else if (shadow <= radius)
                ink = Shade;
            image->SetPixel(x, y, ink);
        }
    }
    return image;
}

// A rounded tab; Inside draws what it holds.
template <typename F> std::unique_ptr<TPixelGraphic> tab(F Inside)
{
    constexpr int width = 48, height = 24;
    constexpr double radius = 6;
    auto image = blank(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Distance outside the rectangle shrunk by the corner radius.
            const double dx = std::max({radius - x - 0.5, x + 0.5 - (width - radius), 0.0});
            const double dy = std::max({radius - y - 0.5, y + 0.5 - (height - radius), 0.0});
            const double corner = std::hypot(dx, dy);
            Ink ink = Paper;
            if (corner <= radius)
                ink = corner > radius - 1.5 ? Edge : (Inside(x + 0.5, y + 0.5) ? Arrow : Face);
            image->SetPixel(x, y, ink);
        }
    }
    return image;
}

// Three by three squares: the index of the pages.
bool inGrid(double x, double y)
{
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const double left = 15 + column * 7, top = 4 + row * 6;
            if (x >= left && x < left + 4 && y >= top && y < top + 4)
                return true;
        }
    return false;
}

} // namespace

QStringList NavigationGraphicNames()
{
    return {"Samples/Previous.gif", "Samples/Next.gif", "navgraph/Previous.gif", "navgraph/Next.gif", "navgraph/Index.gif"};
}

std::unique_ptr<TPixelGraphic> DrawNavigationGraphic(const QString& Name)
{
    if (Name == "Samples/Previous.gif")
        return roundButton(false);
    if (Name == "Samples/Next.gif")
        return roundButton(true);
    if (Name == "navgraph/Previous.gif")
        return tab([](double x, double y) { return inArrow(x, y, QRectF(13, 5, 22, 14), false); });
    if (Name == "navgraph/Next.gif")
        return tab([](double x, double y) { return inArrow(x, y, QRectF(13, 5, 22, 14), true); });
    if (Name == "navgraph/Index.gif")
        return tab(inGrid);
    return nullptr;
}

void WriteNavigationGraphics(const QString& Folder)
{
    for (const QString& name : NavigationGraphicNames()) {
        const QString path = QDir(Folder).filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        DrawNavigationGraphic(name)->SaveToFile(path);
    }
}
