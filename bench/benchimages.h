#pragma once

#include <QString>

#include <memory>

class TPixelGraphic;

// A photograph-like true-colour image: smooth gradients, hard edges and some noise, so that
// the JPEG coder has about as much to do as with a real picture. The same every run for the
// same seed.
std::unique_ptr<TPixelGraphic> MakePhotoLikeImage(int Width, int Height, unsigned Seed = 12345);

// The work folder a benchmark was given as its first argument, else Temporary's; with one
// trailing "/".
QString BenchWorkFolder(int argc, char** argv, const QString& Temporary);

// Writes it as a baseline JPEG to FileName.
void WritePhotoLikeJpeg(const QString& FileName, int Width, int Height, int Quality = 80, unsigned Seed = 12345);
