#pragma once
// PNG files made with libpng itself, and libpng's own decode of a file with the transforms the
// library's reader asks for: the reference the reader's pixels are compared with. Shared by the
// tests and the bench.

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct PngSpec {
    int width = 1, height = 1;
    int colorType = 2; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<QByteArray> rows;                  // as the file holds them (big-endian 16-bit samples)
    std::vector<std::uint8_t> palette;             // red, green, blue triples
    std::vector<std::uint8_t> transparency;        // tRNS: palette alphas
    std::optional<std::uint16_t> transparentGray;  // tRNS of a gray file
    std::optional<std::uint16_t> backgroundIndex, backgroundGray;
    std::optional<std::vector<std::uint16_t>> backgroundRgb;
    std::optional<double> gamma;                   // gAMA as the file stores it (0.45455 = 1 / 2.2)
    bool time = false;
    int compression = 6;
};
QByteArray PngFile(const PngSpec& Spec);

// Rows of a decode with strip 16, blue-green-red order, interlace handling and the background
// composition the reader uses (the file's bKGD, else Background where there is transparency).
struct PngDecode {
    int width = 0, height = 0, channels = 0, bitDepth = 0;
    std::size_t rowBytes = 0;
    std::shared_ptr<std::uint8_t> pixels; // the rows one after another
    QByteArray row(int y) const
    {
        return QByteArray(reinterpret_cast<const char*>(pixels.get() + std::size_t(y) * rowBytes), qsizetype(rowBytes));
    }
};
// Memory for the rows: zeroed (interlaced passes combine into what earlier passes left).
using PngRowMemory = std::function<std::shared_ptr<std::uint8_t>(std::size_t Size)>;
std::shared_ptr<std::uint8_t> PlainRowMemory(std::size_t Size);
PngDecode PngReferenceDecode(const QByteArray& File, std::uint32_t BackgroundColour = 0, bool UseFileBackground = true,
                             const PngRowMemory& Memory = PlainRowMemory);

// A picture with gradients and edges of the given kind, in the file's own row format.
std::vector<QByteArray> PngPatternRows(int Width, int Height, int ColorType, int BitDepth);
