#pragma once

#include <QSize>
#include <QString>

#include <optional>

// Width and height of an image file as the image library loads it (any format it reads);
// nothing when the file cannot be loaded. Warnings of the format are ignored: measuring
// never asks anything. The library must have been started.
std::optional<QSize> measureImageFile(const QString& path);
