#include "orientation.h"

#include "pixelgraphic.h"

#include <cstring>

namespace {

// Where the upright pixel (x, y) comes from in a stored frame of w x h.
struct SourceOf {
    int orientation, w, h;
    QPoint operator()(int x, int y) const
    {
        switch (orientation) {
        case 2: return {w - 1 - x, y};
        case 3: return {w - 1 - x, h - 1 - y};
        case 4: return {x, h - 1 - y};
        case 5: return {y, x};
        case 6: return {y, h - 1 - x};
        case 7: return {w - 1 - y, h - 1 - x};
        case 8: return {w - 1 - y, x};
        default: return {x, y};
        }
    }
};

// The stored frame, read while the turned one is filled.
struct StoredFrame {
    const std::uint8_t* bytes;
    std::int64_t rowBytes;
    int height;
    const std::uint8_t* row(int y) const { return bytes + offset(0, y); }
    // Bytes from the start to pixel (x, y) of PixelBytes each (rows are stored bottom up).
    std::int64_t offset(int x, int y, int PixelBytes = 0) const
    {
        return std::int64_t(height - 1 - y) * rowBytes + std::int64_t(x) * PixelBytes;
    }
};

// Along an upright row the source moves by one fixed step, so each row is a strided copy.
template <int PixelBytes> void turnBytes(TPixelGraphic& Image, const StoredFrame& Frame, SourceOf Source)
{
    const auto at = [&](QPoint p) { return Frame.offset(p.x(), p.y(), PixelBytes); };
    for (int y = 0; y < Image.Height(); ++y) {
        std::uint8_t* out = Image.ScanLine(y);
        std::int64_t in = at(Source(0, y));
        const std::int64_t step = at(Source(1, y)) - in;
        for (int x = 0; x < Image.Width(); ++x, out += PixelBytes, in += step)
            std::memcpy(out, Frame.bytes + in, PixelBytes);
    }
}

// 1 and 4 bits: pixel by pixel through the image's own access.
void turnPacked(TPixelGraphic& Image, const StoredFrame& Frame, SourceOf Source, int BitCount)
{
    const int perByte = 8 / BitCount;
    const unsigned mask = (1u << BitCount) - 1;
    for (int y = 0; y < Image.Height(); ++y)
        for (int x = 0; x < Image.Width(); ++x) {
            const QPoint from = Source(x, y);
            const std::uint8_t byte = Frame.row(from.y())[from.x() / perByte];
            const int shift = 8 - BitCount * (from.x() % perByte + 1);
            Image.SetPixel(x, y, (byte >> shift) & mask);
        }
}

} // namespace

bool OrientationSwapsSides(int Orientation)
{
    return Orientation >= 5 && Orientation <= 8;
}

QSize UprightSize(QSize Stored, int Orientation)
{
    return OrientationSwapsSides(Orientation) ? Stored.transposed() : Stored;
}

void TurnUpright(TPixelGraphic& Image, int Orientation)
{
    if (Orientation < 2 || Orientation > 8 || Image.Empty())
        return;
    const int w = Image.Width(), h = Image.Height();
    const StoredFrame frame{Image.Bits(), Image.RowBytes(), h};
    const QSize upright = UprightSize(QSize(w, h), Orientation);
    TPixelGraphic turned; // the stored frame and the turned one, never a third
    turned.Allocate(upright.width(), upright.height(), Image.BitCountNum());
    const SourceOf source{Orientation, w, h};
    const int bits = Image.BitCount();
    if (bits == 24)
        turnBytes<3>(turned, frame, source);
    else if (bits == 8)
        turnBytes<1>(turned, frame, source);
    else
        turnPacked(turned, frame, source, bits);
    Image.TakePixels(turned);
}
