#pragma once

#include "tiffcommon.h"
#include "imaging/bytestream.h"

#include <array>
#include <cstdint>

class QIODevice;

namespace tiff {

// The TIFF data of a stream, read by offset: offsets count from where the stream stood when the
// source was made. Every read is checked against the end of the stream before anything is read
// (running out is "Unexpected end of file") and is served from a 4096-byte window over the
// stream, which the strip decoders read row by row.
class Source {
public:
    static constexpr int WindowSize = 4096;

    Source(QIODevice& Stream, ByteOrder Order = {});
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    ByteOrder Order() const { return order_; }
    void SetOrder(ByteOrder Order) { order_ = Order; }
    // Bytes from the start of the TIFF data to the end of the stream.
    std::int64_t Size() const { return size_; }
    bool Holds(std::int64_t Offset, std::int64_t Count) const { return OffsetPlusLengthFits(Offset, Count, size_); }

    void Read(std::int64_t Offset, void* Buffer, std::int64_t Count);
    std::uint8_t Byte(std::int64_t Offset)
    {
        if (Offset >= windowStart_ && Offset - windowStart_ < windowLength_)
            return window_[std::size_t(Offset - windowStart_)];
        fill(Offset);
        return window_[0];
    }
    std::uint16_t U16(std::int64_t Offset);
    std::uint32_t U32(std::int64_t Offset);

private:
    void fill(std::int64_t Offset);
    void readStream(std::int64_t Offset, void* Buffer, std::int64_t Count);

    QIODevice& stream_;
    ByteOrder order_;
    std::int64_t base_;
    std::int64_t size_;
    std::array<std::uint8_t, WindowSize> window_{};
    std::int64_t windowStart_ = 0;
    std::int64_t windowLength_ = 0;
};

} // namespace tiff
