#include "openpreviewlayout.h"

#include "imaging/pgmessages.h"

#include <algorithm>
#include <cmath>
#include <numbers>

int RoundHalfEven(double Value)
{
    return int(std::nearbyint(Value)); // the default rounding mode: to nearest, ties to even
}

std::optional<QSize> PreviewFitSize(QSize Picture, QSize Box)
{
    const int w = Picture.width(), h = Picture.height();
    const int boxW = Box.width(), boxH = Box.height();
    if (w <= 0 || h <= 0 || boxW <= 0 || boxH <= 0)
        return std::nullopt;
    if (w <= boxW && h <= boxH)
        return Picture;
    const double a = double(w) / h;
    const double b = double(boxW) / boxH;
    if (b < a)
        return QSize(boxW, std::min(std::max(RoundHalfEven(boxW / a), 1), h));
    return QSize(std::min(std::max(RoundHalfEven(boxH * a), 1), w), boxH);
}

QRect PreviewPlacement(QSize Client, QSize Picture)
{
    const int roomW = Client.width() - 4, roomH = Client.height() - 4;
    const int w = Picture.width(), h = Picture.height();
    if (roomW <= 0 || roomH <= 0 || w <= 0 || h <= 0)
        return {};
    QSize size = Picture;
    if (w > roomW || h > roomH) {
        const double pictureAspect = double(w) / h;
        if (double(roomW) / roomH < pictureAspect)
            size = QSize(roomW, RoundHalfEven(roomW / pictureAspect));
        else
            size = QSize(RoundHalfEven(roomH * pictureAspect), roomH);
    }
    if (size.isEmpty())
        return {};
    return QRect(QPoint((Client.width() - size.width()) / 2, (Client.height() - size.height()) / 2), size);
}

namespace {

QPoint handEnd(double angle, int length)
{
    return QPoint(7 + RoundHalfEven(length * std::sin(angle)), 7 - RoundHalfEven(length * std::cos(angle)));
}

} // namespace

ClockHands ProgressClockHands(int Step, int Percent)
{
    const double pi = std::numbers::pi;
    const double a1 = Percent * pi * 0.02;
    const double a2 = ((Step - 1) * 2 * pi + a1) / 12;
    return {handEnd(a1, 7), handEnd(a2, 6)};
}

QPoint ProgressClockOrigin(QSize Client)
{
    return QPoint(Client.width() / 2 - 8, Client.height() / 2 - 8);
}

QStringList InfoBoxLines(const QString& Description, const GraphicFileInfo& Info)
{
    QString dimensions = QStringLiteral("%1x%2x%3 %4 ")
                             .arg(Info.Width)
                             .arg(Info.Height)
                             .arg(Info.ColorsText)
                             .arg(Info.BitsPerPixel)
                         + PGLangStr(PgMsg::Bit);
    if (Info.ImageCount > 1)
        dimensions += QStringLiteral(", ") + QString::number(Info.ImageCount);
    QStringList lines;
    for (const QString& line : {Description, Info.SubFormat, Info.Chunks, dimensions})
        if (!line.isEmpty())
            lines << line;
    return lines;
}

int InfoLineTop(int Index, int Count, int Height)
{
    return Count > 0 ? int(qint64(Height) * Index / Count) : 0;
}

namespace {

// a * b / c rounded to the nearest, as the platform's dialog-unit mapping does.
int mulDiv(int a, int b, int c)
{
    return int(std::lround(double(a) * b / c));
}

} // namespace

QRect DialogUnitsToPixels(const QRect& Units, QSize Base)
{
    const int left = mulDiv(Units.left(), Base.width(), 4);
    const int top = mulDiv(Units.top(), Base.height(), 8);
    const int right = mulDiv(Units.left() + Units.width(), Base.width(), 4);
    const int bottom = mulDiv(Units.top() + Units.height(), Base.height(), 8);
    return QRect(left, top, right - left, bottom - top);
}

QPoint OpenDialogPosition(const QRect& Screen, QSize Window)
{
    return Screen.topLeft()
           + QPoint((Screen.width() - Window.width()) / 2, (Screen.height() - Window.height()) / 3);
}
