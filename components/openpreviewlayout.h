#pragma once
// Geometry and texts of the open dialog's preview panel, apart from any widget.

#include "imaging/fileformats.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double Value);

// The size a picture is resampled to for a preview box: its own size when it fits, else the
// largest size of its aspect in the box, never below 1 and never above the picture. Nothing
// for a picture or a box without area.
std::optional<QSize> PreviewFitSize(QSize Picture, QSize Box);

// Where a preview is drawn in a box of this client size. The room inside the frame is the
// client less 4 each way: a picture that fits keeps its size, a larger one is fitted to the
// room; either is centred on the client. Empty when nothing can be drawn.
QRect PreviewPlacement(QSize Client, QSize Picture);

// The progress clock: a 15 x 15 face whose hands start at (7, 7); the long hand shows the
// percent, the short one moves on by a twelfth of a turn per work step as well.
inline constexpr int ProgressClockSize = 15;
struct ClockHands {
    QPoint Long;
    QPoint Short;
};
ClockHands ProgressClockHands(int Step, int Percent);
// Top-left corner of the clock in a box of this client size.
QPoint ProgressClockOrigin(QSize Client);

// The information lines, each only when not empty: description, sub-format, chunks, and
// "<width>x<height>x<colours> <bits> bit", with ", <count>" for more than one image.
QStringList InfoBoxLines(const QString& Description, const GraphicFileInfo& Info);
// Top of line Index of Count in a box Height pixels high.
int InfoLineTop(int Index, int Count, int Height);

// Dialog units to pixels: Base is the dialog font's average character width and height;
// four units across make one width, eight down one height.
QRect DialogUnitsToPixels(const QRect& Units, QSize Base);

// Top-left corner of a window of this size on a screen: centred across, a third down.
QPoint OpenDialogPosition(const QRect& Screen, QSize Window);
