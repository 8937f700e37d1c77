#include "bmpdecode.h"
#include "imaging/bytestream.h"
#include "imaging/pixelgraphic.h"

#include <algorithm>
#include <cstring>

namespace {

// Where decoded pixels go: one position that only ever moves right along a row or up to later
// rows, and never writes outside the image.
class RunTarget {
public:
    RunTarget(TPixelGraphic& Graphic, int BitCount)
        : bits_(Graphic.Bits()), rowBytes_(Graphic.RowBytes()), width_(Graphic.Width()),
          height_(Graphic.Height()), bitCount_(BitCount)
    {
    }

    bool done() const { return row_ >= height_; }
    std::int64_t row() const { return row_; }

    void put(std::uint8_t value)
    {
        if (x_ >= width_)
            return;
        std::uint8_t* line = bits_ + row_ * rowBytes_;
        if (bitCount_ == 8) {
            line[x_] = value;
        } else {
            std::uint8_t& b = line[x_ >> 1];
            b = (x_ & 1) ? std::uint8_t((b & 0xF0) | (value & 0x0F)) : std::uint8_t((b & 0x0F) | (value << 4));
        }
        ++x_;
    }

    void endOfLine()
    {
        x_ = 0;
        ++row_;
    }

    void delta(int dx, int dy)
    {
        x_ = std::min<std::int64_t>(x_ + dx, width_);
        row_ += dy;
    }

private:
    std::uint8_t* bits_;
    std::int64_t rowBytes_;
    std::int64_t width_;
    std::int64_t height_;
    int bitCount_;
    std::int64_t x_ = 0;
    std::int64_t row_ = 0;
};

} // namespace

void DecodeRunLengths(ByteReader& Reader, TPixelGraphic& Graphic, int BitCount)
{
    RunTarget target(Graphic, BitCount);
    const bool rle8 = BitCount == 8;
    std::uint8_t literal[256];
    while (!target.done()) {
        const std::uint8_t count = Reader.U8();
        const std::uint8_t code = Reader.U8();
        if (count > 0) {
            // A run: the value, or in RLE4 its two nibbles by turns.
            for (int i = 0; i < count; ++i)
                target.put(rle8 ? code : ((i & 1) ? code & 0x0F : code >> 4));
            continue;
        }
        switch (code) {
        case 0: // end of line
            target.endOfLine();
            if (Graphic.Progress(int(std::min<std::int64_t>(target.row(), Graphic.Height())), Graphic.Height()))
                return;
            break;
        case 1: // end of bitmap
            return;
        case 2: { // delta
            const std::uint8_t dx = Reader.U8();
            const std::uint8_t dy = Reader.U8();
            target.delta(dx, dy);
            break;
        }
        default: { // literal pixels, padded to an even number of bytes
            const int bytes = rle8 ? code : (code + 1) / 2;
            Reader.Read(literal, bytes);
            if (bytes & 1)
                Reader.Skip(1);
            for (int i = 0; i < code; ++i)
                target.put(rle8 ? literal[i] : ((i & 1) ? literal[i / 2] & 0x0F : literal[i / 2] >> 4));
            break;
        }
        }
    }
}
