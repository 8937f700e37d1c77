#pragma once
// Helpers of the GIF image's bitmaps and drawing.

#include "imaging/pgtypes.h"

#include <array>
#include <cstdint>
#include <vector>

class QPainter;
class QRect;
class TPixelGraphic;

// For each colour of From, the index of the same colour in To, else of the nearest (squared
// distance; the lowest index on ties). 0 when To is empty.
std::array<std::uint8_t, 256> NearestColorIndices(const std::vector<TColor>& From, const std::vector<TColor>& To);

// Target gets Source's size, format, palette and pixels; its own settings stay.
void CopyPixelsAndPalette(const TPixelGraphic& Source, TPixelGraphic& Target);

// Source stretched into Target (nearest pixel); where Mask (1 bit) is 1 the painter's device
// keeps what it has.
void MaskedDraw(QPainter& Painter, const QRect& Target, TPixelGraphic& Source, TPixelGraphic* Mask);
