#pragma once

#include <QString>

#include <memory>

class TPixelGraphic;

// A photograph-like true-colour image: smooth gradients, hard edges and some noise, so that
// the JPEG coder has about as much to do as with a real picture. The same every run.
std::unique_ptr<TPixelGraphic> MakePhotoLikeImage(int Width, int Height);

// Writes it as a JPEG (quality 80, baseline) to FileName.
void WritePhotoLikeJpeg(const QString& FileName, int Width, int Height);
