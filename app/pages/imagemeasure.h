#pragma once

#include <QSize>
#include <QString>

#include <optional>

class FormatRegistry;

// Width and height of an image file as a browser shows it: from the header as the format's
// file information gives it, with width and height exchanged where a JPEG's Exif orientation
// turns the picture a quarter round. Only a format whose information has no size is loaded
// whole. Nothing when the file is not a plain file or cannot be read. Warnings are ignored:
// measuring never asks anything. The library must have been started.
std::optional<QSize> measureImageFile(const QString& path);
std::optional<QSize> measureImageFile(const QString& path, const FormatRegistry& registry);
