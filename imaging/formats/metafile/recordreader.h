#pragma once
// Bounded little-endian reading inside one metafile record. Reading outside the record throws
// BadRecord, which makes playback skip the record.

#include "imaging/bytestream.h"

#include <cstdint>
#include <cstring>

namespace metafile {

struct BadRecord {};

class RecordReader {
public:
    RecordReader(const std::uint8_t* Data, std::size_t Size) : data_(Data), size_(Size) {}

    std::size_t Size() const { return size_; }
    const std::uint8_t* Data() const { return data_; }

    std::uint8_t U8(std::uint64_t At) const { return *Span(At, 1, 1); }
    std::uint16_t U16(std::uint64_t At) const { return GetU16(Span(At, 1, 2)); }
    std::int16_t I16(std::uint64_t At) const { return std::int16_t(U16(At)); }
    std::uint32_t U32(std::uint64_t At) const { return GetU32(Span(At, 1, 4)); }
    std::int32_t I32(std::uint64_t At) const { return std::int32_t(U32(At)); }
    float F32(std::uint64_t At) const
    {
        const std::uint32_t bits = U32(At);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // Count elements of ElementSize bytes from At, all inside the record.
    const std::uint8_t* Span(std::uint64_t At, std::uint64_t Count, std::uint64_t ElementSize) const
    {
        if (At > size_ || (ElementSize != 0 && Count > (size_ - At) / ElementSize))
            throw BadRecord{};
        return data_ + At;
    }
    bool Holds(std::uint64_t At, std::uint64_t Count, std::uint64_t ElementSize) const
    {
        return At <= size_ && (ElementSize == 0 || Count <= (size_ - At) / ElementSize);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

} // namespace metafile
