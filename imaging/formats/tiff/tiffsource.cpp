#include "tiffsource.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace tiff {

Source::Source(QIODevice& Stream, ByteOrder Order)
    : stream_(Stream), order_(Order), base_(Stream.pos()),
      // Offsets need a stream that can seek; any other has no data to offer.
      size_(Stream.isSequential() ? 0 : std::max<std::int64_t>(0, Stream.size() - Stream.pos()))
{
}

// Exactly Count bytes at Offset, which must lie inside the data; streams may hand them out in
// pieces.
void Source::readStream(std::int64_t Offset, void* Buffer, std::int64_t Count)
{
    if (!stream_.seek(base_ + Offset))
        RaiseEndOfFile();
    auto* out = static_cast<char*>(Buffer);
    while (Count > 0) {
        const qint64 got = stream_.read(out, Count);
        if (got <= 0)
            RaiseEndOfFile();
        out += got;
        Count -= got;
    }
}

void Source::fill(std::int64_t Offset)
{
    if (!Holds(Offset, 1))
        RaiseEndOfFile();
    const std::int64_t count = std::min<std::int64_t>(WindowSize, size_ - Offset);
    windowLength_ = 0; // nothing valid while the window is refilled
    readStream(Offset, window_.data(), count);
    windowStart_ = Offset;
    windowLength_ = count;
}

void Source::Read(std::int64_t Offset, void* Buffer, std::int64_t Count)
{
    if (!Holds(Offset, Count))
        RaiseEndOfFile();
    auto* out = static_cast<std::uint8_t*>(Buffer);
    while (Count > 0) {
        if (Offset >= windowStart_ && Offset - windowStart_ < windowLength_) {
            const std::int64_t at = Offset - windowStart_;
            const std::int64_t n = std::min(Count, windowLength_ - at);
            std::memcpy(out, window_.data() + at, std::size_t(n));
            out += n;
            Offset += n;
            Count -= n;
        } else if (Count >= WindowSize) {
            readStream(Offset, out, Count); // large rows go straight to their buffer
            return;
        } else {
            fill(Offset);
        }
    }
}

std::uint16_t Source::U16(std::int64_t Offset)
{
    std::uint8_t b[2];
    Read(Offset, b, 2);
    return order_.U16(b);
}

std::uint32_t Source::U32(std::int64_t Offset)
{
    std::uint8_t b[4];
    Read(Offset, b, 4);
    return order_.U32(b);
}

} // namespace tiff
