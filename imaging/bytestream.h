#pragma once
// Byte-level reading and writing for the codecs, and the guards that keep every offset, count
// and size read from a file honest. All values are little-endian.

#include <QString>

#include <cstdint>
#include <limits>
#include <vector>

class QIODevice;

// ---- Size guards, each named for the formula it guards (all arguments not negative) ----

// offset + length <= end, without overflow.
constexpr bool OffsetPlusLengthFits(std::int64_t offset, std::int64_t length, std::int64_t end)
{
    return offset >= 0 && length >= 0 && offset <= end && length <= end - offset;
}

// (bitCount * width + 31) div 32 * 4: one pixel row padded to 32 bits. Exact for any 32-bit
// width and bit counts up to 32.
constexpr std::int64_t PaddedRowBytes(std::int64_t width, int bitCount)
{
    return (std::int64_t(bitCount) * width + 31) / 32 * 4;
}

// rowBytes * rows, or -1 when the product passes limit.
constexpr std::int64_t RowBytesTimesRows(std::int64_t rowBytes, std::int64_t rows, std::int64_t limit)
{
    if (rowBytes < 0 || rows < 0)
        return -1;
    if (rows != 0 && rowBytes > limit / rows)
        return -1;
    return rowBytes * rows;
}

// ---- Reading ----

// Buffered reader over a stream. Running out of data is an error: the reader remembers it and
// calls the format's RaiseEnd, which throws the format's "Unexpected end of file". The stream is
// left at the first byte not consumed when the reader goes.
class ByteReader {
public:
    using RaiseFunction = void (*)();

    ByteReader(QIODevice& Stream, RaiseFunction RaiseEnd);
    ~ByteReader();
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    std::uint8_t U8();
    std::uint16_t U16();
    std::int16_t I16() { return std::int16_t(U16()); }
    std::uint32_t U32();
    std::int32_t I32() { return std::int32_t(U32()); }
    // Exactly Count bytes, or the end-of-data error.
    void Read(void* Buffer, std::int64_t Count);
    void Skip(std::int64_t Count);
    // Up to Count bytes, fewer only where the data ends (no error): the number read. For data
    // whose length fields may point past the end and that keeps what is there.
    std::int64_t ReadUpTo(void* Buffer, std::int64_t Count);
    // The next byte without taking it; false at the end of the data.
    bool Peek(std::uint8_t& Byte);
    // True when no byte is left (for decoders whose data may end at a code boundary).
    bool AtEnd();

    // Absolute position of the next byte in the stream.
    std::int64_t Position() const { return bufferStart_ + std::int64_t(head_); }
    // Size of a random-access stream; -1 for a sequential one.
    std::int64_t StreamSize() const;
    // Moves to an absolute position inside the stream; anything else is the end-of-data error.
    void Seek(std::int64_t Position);
    bool RanOut() const { return ranOut_; }

private:
    std::int64_t buffered() const { return std::int64_t(tail_ - head_); }
    bool fill();
    std::int64_t readFromStream(void* Buffer, std::int64_t Count);
    [[noreturn]] void ranOut();

    QIODevice& stream_;
    RaiseFunction raiseEnd_;
    std::vector<std::uint8_t> buffer_;
    std::size_t head_ = 0, tail_ = 0;
    std::int64_t bufferStart_ = 0; // stream position of buffer_[0]
    bool ranOut_ = false;
};

// ---- Writing ----

// Writes all Count bytes or raises EPixelGraphic with Tag + ": " + "Write failed".
void WriteAllBytes(QIODevice& Stream, const void* Buffer, std::int64_t Count, const QString& Tag);

// Little-endian fields of a byte buffer.
inline std::uint16_t GetU16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}
inline std::uint32_t GetU32(const std::uint8_t* p)
{
    return std::uint32_t(GetU16(p)) | std::uint32_t(GetU16(p + 2)) << 16;
}

// Little-endian fields into a byte buffer.
inline void PutU16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v)
{
    PutU16(p, v);
    PutU16(p + 2, v >> 16);
}
