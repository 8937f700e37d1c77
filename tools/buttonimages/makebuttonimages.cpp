// Draws the button image lists of both programs: one PNG strip of 16 x 16 ARGB cells each.
//   make_button_images <output folder>
// writes pictorum.png (35 images) and turnfold.png (26 images). Shapes only, no text, so the
// drawing does not depend on the fonts of the machine.
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int cell = 16;

const QColor ink(40, 40, 40);
const QColor green(30, 150, 40);
const QColor red(200, 30, 30);
const QColor blue(30, 80, 190);
const QColor yellow(240, 200, 40);
const QColor paper(250, 250, 245);
const QColor grey(120, 120, 120);
const QColor folderYellow(230, 190, 70);
const QColor brown(150, 100, 40);

using Draw = std::function<void(QPainter&)>;

QPen pen(const QColor& colour, qreal width = 1.0)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void check(QPainter& p, const QColor& colour, qreal dx = 0, qreal dy = 0, qreal scale = 1.0)
{
    QPainterPath path;
    path.moveTo(2 * scale + dx, 8.5 * scale + dy);
    path.lineTo(6 * scale + dx, 12.5 * scale + dy);
    path.lineTo(14 * scale + dx, 3.5 * scale + dy);
    p.setPen(pen(colour.darker(140), 3.2 * scale));
    p.drawPath(path);
    p.setPen(pen(colour, 2.0 * scale));
    p.drawPath(path);
}

void cross(QPainter& p, const QColor& colour, const QRectF& box)
{
    for (const auto& [width, shade] : {std::pair{3.4, colour.darker(150)}, std::pair{2.2, colour}}) {
        p.setPen(pen(shade, width));
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
    }
}

void disc(QPainter& p, const QColor& colour, const QRectF& box = QRectF(1.5, 1.5, 13, 13))
{
    QRadialGradient fill(box.center() - QPointF(2, 2), box.width() * 0.7);
    fill.setColorAt(0, colour.lighter(150));
    fill.setColorAt(1, colour);
    p.setBrush(fill);
    p.setPen(pen(colour.darker(160)));
    p.drawEllipse(box);
}

void sheet(QPainter& p, const QRectF& box = QRectF(3.5, 1.5, 9, 13))
{
    QPainterPath path;
    path.moveTo(box.left(), box.top());
    path.lineTo(box.right() - 3, box.top());
    path.lineTo(box.right(), box.top() + 3);
    path.lineTo(box.right(), box.bottom());
    path.lineTo(box.left(), box.bottom());
    path.closeSubpath();
    p.setBrush(paper);
    p.setPen(pen(ink));
    p.drawPath(path);
    p.drawLine(QPointF(box.right() - 3, box.top()), QPointF(box.right() - 3, box.top() + 3));
    p.drawLine(QPointF(box.right() - 3, box.top() + 3), QPointF(box.right(), box.top() + 3));
}

void textLines(QPainter& p, const QRectF& box, int lines)
{
    p.setPen(pen(grey));
    for (int i = 0; i < lines; ++i)
        p.drawLine(QPointF(box.left(), std::floor(box.top()) + 0.5 + 2 * i),
                   QPointF(box.right(), std::floor(box.top()) + 0.5 + 2 * i));
}

void gear(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour)
{
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal r = (i % 2 == 0) ? radius : radius * 0.72;
        for (qreal k : {-0.28, 0.28}) {
            const qreal a = (i + 0.5 + k) * M_PI / teeth;
            const QPointF pt(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
            if (path.elementCount() == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
    }
    path.closeSubpath();
    path.addEllipse(centre, radius * 0.3, radius * 0.3);
    path.setFillRule(Qt::OddEvenFill);
    p.setBrush(colour);
    p.setPen(pen(colour.darker(170)));
    p.drawPath(path);
}

void arrowHead(QPainter& p, const QPointF& tip, qreal angle, qreal size, const QColor& colour)
{
    QPolygonF head;
    head << tip << tip + QPointF(size * std::cos(angle + 2.5), size * std::sin(angle + 2.5))
         << tip + QPointF(size * std::cos(angle - 2.5), size * std::sin(angle - 2.5));
    p.setBrush(colour);
    p.setPen(pen(colour.darker(140)));
    p.drawPolygon(head);
}

// A circular arrow around the centre, from the start angle sweeping the span (degrees).
void circleArrow(QPainter& p, const QPointF& centre, qreal radius, qreal start, qreal span, const QColor& colour)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(colour.darker(150), 3.0));
    p.drawArc(box, int(start * 16), int(span * 16));
    p.setPen(pen(colour, 1.8));
    p.drawArc(box, int(start * 16), int(span * 16));
    const qreal end = (start + span) * M_PI / 180.0;
    const QPointF tip(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
    const qreal direction = -end + (span > 0 ? -M_PI / 2 : M_PI / 2);
    arrowHead(p, tip + QPointF(1.5 * std::cos(direction), 1.5 * std::sin(direction)), direction, 4.5, colour);
}

void straightArrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour)
{
    p.setPen(pen(colour.darker(150), 3.0));
    p.drawLine(from, to);
    p.setPen(pen(colour, 1.8));
    p.drawLine(from, to);
    arrowHead(p, to, std::atan2(to.y() - from.y(), to.x() - from.x()), 4.5, colour);
}

void questionMark(QPainter& p, const QColor& colour)
{
    QPainterPath path;
    path.moveTo(5.6, 6.0);
    path.cubicTo(5.6, 3.2, 10.4, 3.2, 10.4, 6.0);
    path.cubicTo(10.4, 7.8, 8.0, 7.8, 8.0, 9.6);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(colour, 1.7));
    p.drawPath(path);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8.0, 12.0), 1.1, 1.1);
}

void folder(QPainter& p, bool open)
{
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setBrush(folderYellow.darker(115));
    p.setPen(pen(brown));
    p.drawPath(back);
    QPainterPath front;
    if (open) {
        front.moveTo(1.5, 13.5);
        front.lineTo(4, 7.5);
        front.lineTo(15, 7.5);
        front.lineTo(13.5, 13.5);
    } else {
        front.addRect(QRectF(1.5, 6.5, 12, 7));
    }
    front.closeSubpath();
    p.setBrush(folderYellow);
    p.drawPath(front);
}

void picture(QPainter& p, const QRectF& box)
{
    p.setBrush(QColor(170, 210, 250));
    p.setPen(pen(ink));
    p.drawRect(box);
    QPolygonF hills;
    hills << QPointF(box.left(), box.bottom()) << QPointF(box.left() + box.width() * 0.35, box.top() + box.height() * 0.45)
          << QPointF(box.left() + box.width() * 0.6, box.top() + box.height() * 0.75)
          << QPointF(box.left() + box.width() * 0.8, box.top() + box.height() * 0.55) << box.bottomRight();
    p.setBrush(green);
    p.setPen(Qt::NoPen);
    p.drawPolygon(hills);
    p.setBrush(yellow);
    p.drawEllipse(QPointF(box.right() - 3, box.top() + 3), 1.6, 1.6);
}

void plusBadge(QPainter& p, const QColor& colour = green)
{
    p.setBrush(colour);
    p.setPen(pen(colour.darker(160)));
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    p.setPen(pen(Qt::white, 1.4));
    p.drawLine(QPointF(12, 10.3), QPointF(12, 13.7));
    p.drawLine(QPointF(10.3, 12), QPointF(13.7, 12));
}

void globe(QPainter& p)
{
    disc(p, QColor(60, 140, 220));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(QColor(230, 240, 255), 0.9));
    p.drawEllipse(QRectF(5, 1.5, 6, 13));
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
}

void envelope(QPainter& p)
{
    p.setBrush(paper);
    p.setPen(pen(ink));
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.drawPolyline(QPolygonF{QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)});
}

void floppy(QPainter& p)
{
    p.setBrush(blue);
    p.setPen(pen(blue.darker(170)));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(paper);
    p.drawRect(QRectF(3.5, 8.5, 9, 6));
    p.setBrush(ink);
    p.drawRect(QRectF(9, 2.5, 1.5, 3));
}

void bandedSheet(QPainter& p, bool top)
{
    sheet(p);
    p.setBrush(blue);
    p.setPen(Qt::NoPen);
    p.drawRect(top ? QRectF(4.5, 2.5, 5, 3) : QRectF(4.5, 10.5, 7, 3));
    textLines(p, top ? QRectF(5, 8, 5, 0) : QRectF(5, 5, 5, 0), 2);
}

// The images of Pictorum's list, in index order.
QList<Draw> pictorumImages()
{
    return {
        /* 0 OK */ [](QPainter& p) { check(p, green); },
        /* 1 Cancel */ [](QPainter& p) { cross(p, red, QRectF(3.5, 3.5, 9, 9)); },
        /* 2 Help */ [](QPainter& p) { disc(p, QColor(235, 240, 255)); questionMark(p, blue); },
        /* 3 Yes */ [](QPainter& p) { disc(p, QColor(215, 245, 215)); check(p, green, 2.5, 2.5, 0.7); },
        /* 4 No */ [](QPainter& p) {
            p.setBrush(Qt::NoBrush);
            p.setPen(pen(red.darker(130), 2.4));
            p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
            p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
        },
        /* 5 Close */ [](QPainter& p) {
            p.setBrush(brown);
            p.setPen(pen(brown.darker(150)));
            p.drawRect(QRectF(2.5, 1.5, 8, 13));
            p.setBrush(yellow);
            p.drawEllipse(QPointF(8.5, 8.5), 0.9, 0.9);
            straightArrow(p, QPointF(9, 8), QPointF(15, 8), green);
        },
        /* 6 Abort */ [](QPainter& p) {
            QPolygonF octagon;
            for (int i = 0; i < 8; ++i) {
                const qreal a = (i + 0.5) * M_PI / 4;
                octagon << QPointF(8 + 6.8 * std::cos(a), 8 + 6.8 * std::sin(a));
            }
            p.setBrush(red);
            p.setPen(pen(red.darker(160)));
            p.drawPolygon(octagon);
            p.setPen(pen(Qt::white, 2.0));
            p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
        },
        /* 7 Retry */ [](QPainter& p) { circleArrow(p, QPointF(8, 8), 5.2, 200, -290, blue); },
        /* 8 Ignore */ [](QPainter& p) {
            p.setBrush(Qt::NoBrush);
            p.setPen(pen(grey, 1.8));
            QPainterPath jump;
            jump.moveTo(2, 12);
            jump.cubicTo(3, 3, 11, 3, 12, 9);
            p.drawPath(jump);
            arrowHead(p, QPointF(12.5, 12), 1.3, 4.5, grey);
            p.drawLine(QPointF(1.5, 14), QPointF(14.5, 14));
        },
        /* 9 All */ [](QPainter& p) { check(p, green.lighter(120), -1, -2, 0.8); check(p, green, 2, 2, 0.8); },
        /* 10 New site */ [](QPainter& p) { sheet(p, QRectF(2.5, 1.5, 9, 13)); plusBadge(p); },
        /* 11 Delete site */ [](QPainter& p) { sheet(p, QRectF(2.5, 1.5, 9, 13)); cross(p, red, QRectF(8.5, 8.5, 6, 6)); },
        /* 12 Site options */ [](QPainter& p) { sheet(p, QRectF(2.5, 1.5, 9, 13)); gear(p, QPointF(11.5, 11.5), 4.2, grey); },
        /* 13 Edit/Build */ [](QPainter& p) {
            p.setPen(pen(brown.darker(130), 2.4));
            p.drawLine(QPointF(3, 14), QPointF(10, 7));
            QPolygonF head{QPointF(7, 5), QPointF(11, 1), QPointF(15, 5), QPointF(11, 9)};
            p.setBrush(grey);
            p.setPen(pen(ink));
            p.drawPolygon(head);
        },
        /* 14 Rotate now */ [](QPainter& p) { circleArrow(p, QPointF(8, 8), 5.2, 90, -300, green); },
        /* 15 Web site */ [](QPainter& p) { globe(p); },
        /* 16 Folder */ [](QPainter& p) { folder(p, false); },
        /* 17 About */ [](QPainter& p) {
            disc(p, blue);
            p.setBrush(Qt::white);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
            p.drawRoundedRect(QRectF(6.9, 6.8, 2.2, 5.8), 0.8, 0.8);
        },
        /* 18 Open */ [](QPainter& p) { folder(p, true); straightArrow(p, QPointF(9, 11), QPointF(12, 2.5), blue); },
        /* 19 Image */ [](QPainter& p) { picture(p, QRectF(1.5, 2.5, 13, 11)); },
        /* 20 Add images */ [](QPainter& p) { picture(p, QRectF(0.5, 1.5, 12, 10)); plusBadge(p); },
        /* 21 Options */ [](QPainter& p) { gear(p, QPointF(8, 8), 6.8, QColor(150, 150, 160)); },
        /* 22 Template */ [](QPainter& p) {
            sheet(p);
            p.setBrush(Qt::NoBrush);
            p.setPen(pen(blue, 1.4));
            p.drawPolyline(QPolygonF{QPointF(6.7, 5.5), QPointF(4.8, 8.5), QPointF(6.7, 11.5)});
            p.drawPolyline(QPolygonF{QPointF(9.3, 5.5), QPointF(11.2, 8.5), QPointF(9.3, 11.5)});
        },
        /* 23 Save */ [](QPainter& p) { floppy(p); },
        /* 24 Rotate all */ [](QPainter& p) {
            circleArrow(p, QPointF(8, 8), 5.5, 20, 140, green);
            circleArrow(p, QPointF(8, 8), 5.5, 200, 140, green);
        },
        /* 25 E-mail */ [](QPainter& p) { envelope(p); },
        /* 26 Test compliance */ [](QPainter& p) { sheet(p, QRectF(2.5, 1.5, 9, 13)); textLines(p, QRectF(4.5, 5, 4, 0), 3); check(p, green, 5, 5, 0.65); },
        /* 27 View page */ [](QPainter& p) {
            sheet(p, QRectF(1.5, 1.5, 9, 12));
            p.setBrush(QColor(200, 230, 255, 200));
            p.setPen(pen(ink, 1.2));
            p.drawEllipse(QPointF(9.5, 9.5), 3.3, 3.3);
            p.setPen(pen(ink, 2.2));
            p.drawLine(QPointF(12, 12), QPointF(14.8, 14.8));
        },
        /* 28 Header */ [](QPainter& p) { bandedSheet(p, true); },
        /* 29 Footer */ [](QPainter& p) { bandedSheet(p, false); },
        /* 30 Copy settings */ [](QPainter& p) { sheet(p, QRectF(1.5, 1.5, 8, 10)); sheet(p, QRectF(6.5, 4.5, 8, 10)); },
        /* 31 Up */ [](QPainter& p) { straightArrow(p, QPointF(8, 14), QPointF(8, 3), blue); },
        /* 32 Down */ [](QPainter& p) { straightArrow(p, QPointF(8, 2), QPointF(8, 13), blue); },
        /* 33 Exclude */ [](QPainter& p) {
            p.setBrush(red);
            p.setPen(pen(red.darker(160)));
            p.drawRoundedRect(QRectF(2.5, 6.5, 11, 3), 1, 1);
        },
        /* 34 Browse */ [](QPainter& p) {
            folder(p, true);
            p.setBrush(ink);
            p.setPen(Qt::NoPen);
            for (qreal x : {6.0, 9.0, 12.0})
                p.drawEllipse(QPointF(x, 11), 0.9, 0.9);
        },
    };
}

// Turnfold's list: the same pictures up to 25, with its own for rotating one site at 0.
QList<Draw> turnfoldImages()
{
    QList<Draw> images = pictorumImages().mid(0, 26);
    images[0] = [](QPainter& p) {
        circleArrow(p, QPointF(7, 8), 5.0, 90, -300, green);
        p.setBrush(blue);
        p.setPen(pen(blue.darker(160)));
        p.drawEllipse(QPointF(7, 8), 1.6, 1.6);
    };
    return images;
}

QImage strip(const QList<Draw>& images)
{
    QImage image(cell * int(images.size()), cell, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < images.size(); ++i) {
        painter.save();
        painter.translate(cell * i, 0);
        painter.setClipRect(0, 0, cell, cell);
        images[i](painter);
        painter.restore();
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    bool ok = strip(pictorumImages()).save(folder + QStringLiteral("pictorum.png"));
    ok = strip(turnfoldImages()).save(folder + QStringLiteral("turnfold.png")) && ok;
    if (!ok)
        std::fprintf(stderr, "cannot write the images into %s\n", argv[1]);
    return ok ? 0 : 1;
}
