#pragma once
// The LZW coding of a GIF frame's image data: a minimum code size byte, then data sub-blocks
// ending with a 0 count. Codes are packed least significant bit first and are at most 12 bits.
// The worked example is in FORMAT.md beside this file.

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class ByteReader;
class QString;

// A recoverable problem of the data (severity 1); decoding goes on as each case says.
using GifWarning = std::function<void(const QString& Message)>;

// Decodes one frame's image data from the reader's position. Reads exactly the bytes of the
// image data when they are whole; a damaged stream is read no further than its end.
class GifLzwDecoder {
public:
    // Reads the minimum code size; above 11 raises GIFException "Invalid GIF data" (a cut
    // stream: "Premature end of data"). Warn may be empty.
    GifLzwDecoder(ByteReader& Data, GifWarning Warn);
    ~GifLzwDecoder();
    GifLzwDecoder(const GifLzwDecoder&) = delete;
    GifLzwDecoder& operator=(const GifLzwDecoder&) = delete;

    // Up to Count pixel values (each cut to a byte); fewer only when the data has ended, and
    // from then on nothing more. A code chain that loops raises GIFException "Circular decoder
    // table entry".
    std::int64_t Read(std::uint8_t* Out, std::int64_t Count);
    // After the last row: takes the end code and whatever is left of the sub-blocks, so that
    // the reader stands after the image data.
    void Finish();
    bool Ended() const { return ended_; }

private:
    struct Tables;

    int nextCode();
    bool fetchSubBlock();
    void skipSubBlocks();
    void resetTables();
    bool expand(int Code);
    int expandInto(int Code, std::uint8_t* Out, std::int64_t Room);
    void addEntry();
    void warn(const char* Text);

    ByteReader& data_;
    GifWarning warn_;
    std::unique_ptr<Tables> tables_;

    // Bit buffer: bytes 0 and 1 carry the last two bytes of the sub-block before.
    std::array<std::uint8_t, 2 + 255 + 2> buffer_{}; // a code reads up to two bytes past its own
    int validBytes_ = 2;
    int currentBit_ = 0;
    int lastBit_ = 0;
    bool done_ = false;      // the 0-count sub-block has been read
    bool endOfData_ = false; // nothing of the image data is left in the stream
    bool fresh_ = true;      // decoding starts as after a clear code

    int minCodeSize_ = 0;
    int clearCode_ = 0;
    int endCode_ = 0;
    int codeSize_ = 0;
    int nextFree_ = 0;
    int growAt_ = 0;
    int highWater_ = 0; // table entries at and above it are still as a reset left them
    int firstCode_ = 0;
    int oldCode_ = 0;
    int stackTop_ = 0;
    bool ended_ = false;
};

// Encodes pixel values, each below 2^MinCodeSize (2 to 8), as GIF image data: the minimum code
// size byte, sub-blocks of 254 bytes (the last one shorter) and the 0 terminator.
class GifLzwEncoder {
public:
    explicit GifLzwEncoder(int MinCodeSize);
    ~GifLzwEncoder();
    GifLzwEncoder(const GifLzwEncoder&) = delete;
    GifLzwEncoder& operator=(const GifLzwEncoder&) = delete;

    // The next pixels in the order they are stored (rows, or interlaced rows).
    void Add(const std::uint8_t* Pixels, std::int64_t Count);
    // Ends the data; the result is complete and nothing more can be added.
    QByteArray Finish();

private:
    struct Dictionary;

    void emitClear();
    void output(int Code);
    void putByte(std::uint8_t Byte);
    void flushBlock();

    std::unique_ptr<Dictionary> dictionary_;
    QByteArray out_;
    std::array<std::uint8_t, 254> block_{}; // the sub-block being filled
    int blockLength_ = 0;
    int initialCodeSize_ = 0;
    int codeSize_ = 0;
    int maxCode_ = 0;
    int clearCode_ = 0;
    int endCode_ = 0;
    int nextFree_ = 0;
    bool clearPending_ = false;
    std::uint32_t accumulator_ = 0;
    int bitCount_ = 0;
    int prefix_ = -1; // none until the first pixel
};

// The smallest n from 1 to 8 with 2^n >= Count (0 for none; above 128: 8).
int GifBitsFor(int Count);

// Calls Row(y) for the rows of a frame in the order its data holds them: top to bottom, or the
// four interlace passes (0, 8, 16, ...; 4, 12, ...; 2, 6, ...; 1, 3, ...). Row returns false to
// stop.
template <typename F> void ForEachGifRow(int Height, bool Interlaced, F&& Row)
{
    static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (Interlaced ? 4 : 1); ++pass)
        for (int y = Interlaced ? kStart[pass] : 0; y < Height; y += Interlaced ? kStep[pass] : 1)
            if (!Row(y))
                return;
}
