#pragma once
// Loading and saving of whole images through a format registry: the work behind
// TPixelGraphic's LoadFrom... and SaveTo... operations, which use the library's registry. Tests
// give registries of their own.

#include "pgsettings.h"

#include <QString>

#include <functional>

class QFile;
class QIODevice;
class FormatRegistry;
class TFileFormatWriter;
class TPixelGraphic;

// x to the power y: 1 for y = 0, 0 for x = 0, 1 for x = 1, else exp(y ln x); a negative x
// raises EPixelGraphic "Invalid Argument".
long double PixelGraphicPower(long double X, long double Y);

// A gamma that a file may carry and that the library will correct for: finite, above 0.01 and
// below 100. Anything else is ignored (taken as the default).
bool GammaIsUsable(long double Gamma);

// Opens an image file for reading, a plain file only (a FIFO or a device never blocks the
// load); EPixelGraphic "Cannot open file ..." with the reason otherwise.
void OpenImageFile(QFile& File, const QString& FileName);

// Loads image ImageIndex of the stream with the reader the registry finds for it (signature,
// then extension), corrects gamma and recognises the palette. EPGUnknownFileFormat when no
// reader takes the stream; a reader's failure passes through.
void LoadGraphic(TPixelGraphic& Graphic, const FormatRegistry& Registry, QIODevice& Stream,
                 const QString& Extension, int ImageIndex);

// Saves with the registry's writer for the extension, converting to a colour resolution the
// writer stores as the graphic's ColorResConversion allows. The graphic stays unchanged. The
// options default to the library's save settings as they stand at the call.
void SaveGraphicToStream(TPixelGraphic& Graphic, const FormatRegistry& Registry, QIODevice& Stream,
                         const QString& Extension, const SaveOptions& Options = CurrentSaveOptions());
// The same into a file, written beside the target and renamed over it only when complete: a
// failure or refusal leaves an existing file as it was. A link at the name is replaced, never
// written through, and a file the user may not write is not replaced.
void SaveGraphicToFile(TPixelGraphic& Graphic, const FormatRegistry& Registry, const QString& FileName,
                       const SaveOptions& Options = CurrentSaveOptions());

// Runs Write on a temporary file beside FileName and renames it over FileName only when Write
// returned, as a saved image replaces what is there (see SaveGraphicToFile); Write's exception (or the failure to write the file, as EPixelGraphic with its
// reason) passes on, leaving an existing file as it was.
void WriteFileAtomically(const QString& FileName, const std::function<void(QIODevice& Stream)>& Write);
