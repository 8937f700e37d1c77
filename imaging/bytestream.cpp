#include "bytestream.h"

#include "pgexceptions.h"
#include "pgmessages.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <exception>

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

namespace {

// A buffer no larger than what a random-access stream has left (a small file needs no 64 KiB).
std::size_t bufferSizeFor(const QIODevice& Stream)
{
    if (Stream.isSequential())
        return kBufferSize;
    const qint64 left = Stream.size() - Stream.pos();
    return std::size_t(std::clamp<qint64>(left + 1, 1, qint64(kBufferSize)));
}

} // namespace

ByteReader::ByteReader(QIODevice& Stream, RaiseFunction RaiseEnd)
    : stream_(Stream), raiseEnd_(RaiseEnd), buffer_(bufferSizeFor(Stream)), bufferStart_(Stream.pos())
{
}

ByteReader::~ByteReader()
{
    // Give back what was read ahead; a sequential stream cannot take it back.
    if (buffered() > 0 && !stream_.isSequential())
        stream_.seek(Position());
}

void ByteReader::ranOut()
{
    ranOut_ = true;
    raiseEnd_();
    std::terminate(); // RaiseEnd always throws
}

std::int64_t ByteReader::readFromStream(void* Buffer, std::int64_t Count)
{
    // Streams may hand out fewer bytes than asked: keep reading until the end.
    auto* out = static_cast<char*>(Buffer);
    std::int64_t done = 0;
    while (done < Count) {
        const qint64 got = stream_.read(out + done, Count - done);
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

bool ByteReader::fill()
{
    if (head_ < tail_)
        return true;
    bufferStart_ += std::int64_t(tail_);
    head_ = tail_ = 0;
    const qint64 got = stream_.read(reinterpret_cast<char*>(buffer_.data()), qint64(buffer_.size()));
    if (got <= 0)
        return false;
    tail_ = std::size_t(got);
    return true;
}

std::uint8_t ByteReader::U8()
{
    if (head_ == tail_ && !fill())
        ranOut();
    return buffer_[head_++];
}

std::uint16_t ByteReader::U16()
{
    std::uint8_t b[2];
    Read(b, 2);
    return GetU16(b);
}

std::uint32_t ByteReader::U32()
{
    std::uint8_t b[4];
    Read(b, 4);
    return GetU32(b);
}

void ByteReader::Read(void* Buffer, std::int64_t Count)
{
    auto* out = static_cast<std::uint8_t*>(Buffer);
    while (Count > 0) {
        if (head_ == tail_) {
            // Large reads go straight from the stream into the caller's memory.
            if (Count >= std::int64_t(buffer_.size())) {
                bufferStart_ += std::int64_t(tail_);
                head_ = tail_ = 0;
                const std::int64_t got = readFromStream(out, Count);
                bufferStart_ += got;
                if (got < Count)
                    ranOut();
                return;
            }
            if (!fill())
                ranOut();
        }
        const std::int64_t n = std::min(Count, buffered());
        std::memcpy(out, buffer_.data() + head_, std::size_t(n));
        head_ += std::size_t(n);
        out += n;
        Count -= n;
    }
}

void ByteReader::Skip(std::int64_t Count)
{
    if (Count <= 0)
        return;
    if (Count <= buffered()) {
        head_ += std::size_t(Count);
        return;
    }
    const std::int64_t size = StreamSize();
    if (size >= 0) {
        if (!OffsetPlusLengthFits(Position(), Count, size))
            ranOut();
        Seek(Position() + Count);
        return;
    }
    while (Count > 0) {
        if (!fill())
            ranOut();
        const std::int64_t n = std::min(Count, buffered());
        head_ += std::size_t(n);
        Count -= n;
    }
}

std::int64_t ByteReader::ReadUpTo(void* Buffer, std::int64_t Count)
{
    auto* out = static_cast<std::uint8_t*>(Buffer);
    std::int64_t done = 0;
    while (done < Count) {
        if (head_ == tail_ && !fill())
            break;
        const std::int64_t n = std::min(Count - done, buffered());
        std::memcpy(out + done, buffer_.data() + head_, std::size_t(n));
        head_ += std::size_t(n);
        done += n;
    }
    return done;
}

bool ByteReader::Peek(std::uint8_t& Byte)
{
    if (head_ == tail_ && !fill())
        return false;
    Byte = buffer_[head_];
    return true;
}

bool ByteReader::AtEnd()
{
    return head_ == tail_ && !fill();
}

std::int64_t ByteReader::StreamSize() const
{
    return stream_.isSequential() ? -1 : std::int64_t(stream_.size());
}

void ByteReader::Seek(std::int64_t Position)
{
    const std::int64_t size = StreamSize();
    if (size < 0 || Position < 0 || Position > size)
        ranOut();
    if (Position >= bufferStart_ && Position <= bufferStart_ + std::int64_t(tail_)) {
        head_ = std::size_t(Position - bufferStart_);
        return;
    }
    if (!stream_.seek(Position))
        ranOut();
    bufferStart_ = Position;
    head_ = tail_ = 0;
}

void WriteAllBytes(QIODevice& Stream, const void* Buffer, std::int64_t Count, const QString& Tag)
{
    const auto* p = static_cast<const char*>(Buffer);
    while (Count > 0) {
        const qint64 written = Stream.write(p, Count);
        if (written <= 0)
            throw EPixelGraphic(Tag + QStringLiteral(": ") + PGLangStrS1(PgMsg::Failed, QStringLiteral("Write")));
        p += written;
        Count -= written;
    }
}
