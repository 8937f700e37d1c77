#pragma once

#include "imaging/pgsettings.h"

#include <QString>

class TPixelGraphic;

// The JPEG save options of one save: the library's own DCT method with the given quality
// (clamped to 1..100) and progressive switch.
SaveOptions jpegSaveOptions(int quality, bool progressive);

// Saves an image as a JPEG file (the writer of the name's extension) at the given quality,
// converting its colours silently when the writer cannot store them as they are. The file is
// replaced only by a complete new one. False when the save failed; the library's settings are
// left alone, so saves may run beside each other.
bool savetojpeg(TPixelGraphic& image, const QString& fileName, int quality, bool progressive);
// The same with save options of one's own.
bool savetojpeg(TPixelGraphic& image, const QString& fileName, const SaveOptions& options);
