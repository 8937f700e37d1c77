#pragma once
// The eight ways a picture may be stored, as the Exif orientation values number them: 1 as it
// stands, 2 mirrored left to right, 3 turned half round, 4 mirrored top to bottom, 5 mirrored
// along the main diagonal, 6 needing a quarter turn clockwise, 7 mirrored along the other
// diagonal, 8 needing a quarter turn anticlockwise. Any other value counts as 1.

#include <QSize>

class TPixelGraphic;

// True for 5 to 8: the upright picture has width and height exchanged.
bool OrientationSwapsSides(int Orientation);

// The size of the upright picture of a stored frame.
QSize UprightSize(QSize Stored, int Orientation);

// Turns a stored frame upright, palette and settings unchanged. Raises what Allocate raises
// when the turned frame cannot be had; the image then stays as it was.
void TurnUpright(TPixelGraphic& Image, int Orientation);
