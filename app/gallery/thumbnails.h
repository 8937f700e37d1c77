#pragma once

#include "imaging/pgsettings.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class TPixelGraphic;

// True when the name's extension, in any case, is ".jpg", ".jpeg" or ".jpe".
bool IsJpegFileName(const QString& name);

// The thumbnail picture of an image file, fitted into the box (never enlarged): a file named as
// JPEG is decoded reduced in the DCT domain, just large enough for the box, and stands upright
// as its Exif orientation says (the file itself is left as it is); a file that is something
// else, or that the JPEG decoder refuses, is loaded by the library in whatever format it is.
// Warnings of damaged files are not asked about. Raises the library's error when the file
// cannot be read. Uses images of its own only, so workers may call it. Once cancelled is set the
// load stops and the library's "aborted" error is raised.
std::unique_ptr<TPixelGraphic> makeThumbnailGraphic(const QString& source, int boxWidth, int boxHeight,
                                                    const std::atomic<bool>* cancelled = nullptr);

// The thumbnail's JPEG file content, made in memory with the given options; nothing when the
// source cannot be read or encoded, or the work was cancelled. Safe on a worker thread.
std::optional<QByteArray> encodeThumbnail(const QString& source, int boxWidth, int boxHeight, const SaveOptions& options,
                                          const std::atomic<bool>* cancelled = nullptr);

// Makes the thumbnail of source into the file thumbnail (progressive JPEG at the quality
// given); the file is replaced only by a complete one. False when anything failed.
bool createthumbnail(const QString& source, const QString& thumbnail, int boxWidth, int boxHeight, int quality);
