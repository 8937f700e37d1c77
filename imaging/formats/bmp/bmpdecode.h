#pragma once
// Pieces of the BMP decoder shared between its files.

class ByteReader;
class TPixelGraphic;

// Decodes RLE8 (BitCount 8) or RLE4 (BitCount 4) data into the rows of an allocated palette
// image (bottom row first). Runs, literals and deltas are clipped to the image; data that ends
// while rows remain is the end-of-file error.
void DecodeRunLengths(ByteReader& Reader, TPixelGraphic& Graphic, int BitCount);
