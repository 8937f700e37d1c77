// LZW decoding and encoding of GIF image data (worked example: FORMAT.md).
#include "giflzw.h"
#include "giftexts.h"

#include "imaging/bytestream.h"

#include <QString>

#include <algorithm>
#include <vector>

namespace {

constexpr int kTableSize = 4096;
constexpr int kMaxCodeSize = 12;
constexpr int kMaxMinCodeSize = 11;
// No code expands to more values than the table has entries (plus the repeated first value);
// a chain longer than that loops.
constexpr int kMaxChain = kTableSize;

} // namespace

int GifBitsFor(int Count)
{
    if (Count <= 0)
        return 0;
    int bits = 1;
    while (bits < 8 && (1 << bits) < Count)
        ++bits;
    return bits;
}

// ---- Decoder ----

struct GifLzwDecoder::Tables {
    std::array<std::uint16_t, kTableSize> prefix;
    std::array<std::uint16_t, kTableSize> suffix;
    // Values a code expands to, when its chain is known to end at a root (each prefix lower
    // than the code itself); 0 otherwise, and for the clear and end codes.
    std::array<std::uint16_t, kTableSize> length;
    std::array<std::uint8_t, 2 * kTableSize> stack;
};

GifLzwDecoder::GifLzwDecoder(ByteReader& Data, GifWarning Warn)
    : data_(Data), warn_(std::move(Warn))
{
    minCodeSize_ = data_.U8();
    if (minCodeSize_ > kMaxMinCodeSize)
        RaiseGIF(GifText::InvalidData);
    clearCode_ = 1 << minCodeSize_;
    endCode_ = clearCode_ + 1;
    tables_.reset(new Tables); // the stack needs no clearing
    tables_->prefix.fill(0);
    tables_->suffix.fill(0);
    tables_->length.fill(0);
    highWater_ = kTableSize;
    resetTables();
}

GifLzwDecoder::~GifLzwDecoder() = default;

void GifLzwDecoder::warn(const char* Text)
{
    if (warn_)
        warn_(QString::fromLatin1(Text));
}

void GifLzwDecoder::resetTables()
{
    Tables& t = *tables_;
    for (int i = 0; i < clearCode_ && i < kTableSize; ++i) {
        t.prefix[std::size_t(i)] = 0;
        t.suffix[std::size_t(i)] = std::uint16_t(i);
        t.length[std::size_t(i)] = 1;
    }
    for (int i = clearCode_; i < highWater_; ++i) {
        t.prefix[std::size_t(i)] = 0;
        t.suffix[std::size_t(i)] = 0;
        t.length[std::size_t(i)] = 0;
    }
    codeSize_ = minCodeSize_ + 1;
    growAt_ = 2 * clearCode_;
    nextFree_ = clearCode_ + 2;
    highWater_ = std::min(nextFree_, kTableSize);
    stackTop_ = 0;
}

// Moves the last two valid bytes to the front and appends the next sub-block. False when no
// count byte is left.
bool GifLzwDecoder::fetchSubBlock()
{
    buffer_[0] = buffer_[std::size_t(validBytes_ - 2)];
    buffer_[1] = buffer_[std::size_t(validBytes_ - 1)];
    std::uint8_t count = 0;
    if (data_.ReadUpTo(&count, 1) != 1)
        return false;
    if (count == 0) {
        done_ = true;
        endOfData_ = true;
    }
    const std::int64_t got = data_.ReadUpTo(buffer_.data() + 2, count);
    if (got < count) {
        warn(GifText::PrematureEnd);
        endOfData_ = true;
    }
    validBytes_ = int(got) + 2;
    currentBit_ = currentBit_ - lastBit_ + 16;
    lastBit_ = validBytes_ * 8;
    return true;
}

int GifLzwDecoder::nextCode()
{
    if (fresh_) {
        fresh_ = false;
        return clearCode_;
    }
    if (currentBit_ + codeSize_ >= lastBit_) {
        // Sub-blocks may be shorter than a code: fetch until the code is whole.
        do {
            if (done_) {
                if (currentBit_ >= lastBit_)
                    warn(GifText::BitBufferUnderRun);
                return -1;
            }
            if (!fetchSubBlock())
                return -1;
        } while (currentBit_ + codeSize_ > lastBit_);
    }
    const int at = currentBit_ >> 3;
    const std::uint32_t bytes = std::uint32_t(buffer_[std::size_t(at)]) | std::uint32_t(buffer_[std::size_t(at + 1)]) << 8
                                | std::uint32_t(buffer_[std::size_t(at + 2)]) << 16;
    const int code = int((bytes >> (currentBit_ & 7)) & ((1u << codeSize_) - 1));
    currentBit_ += codeSize_;
    return code;
}

void GifLzwDecoder::skipSubBlocks()
{
    std::uint8_t scratch[255];
    for (;;) {
        std::uint8_t count = 0;
        if (data_.ReadUpTo(&count, 1) != 1 || count == 0 || data_.ReadUpTo(scratch, count) < count)
            break;
    }
    endOfData_ = true;
}

// Puts the values of one code on the stack (last value first). False at the end of the data.
bool GifLzwDecoder::expand(int Code)
{
    Tables& t = *tables_;
    if (Code < 0)
        return false;
    if (Code == clearCode_) {
        resetTables();
        do
            Code = nextCode();
        while (Code == clearCode_);
        if (Code < 0)
            return false;
        if (Code == endCode_)
            return expand(Code);
        firstCode_ = oldCode_ = Code;
        t.stack[std::size_t(stackTop_++)] = std::uint8_t(Code);
        return true;
    }
    if (Code == endCode_) {
        if (!endOfData_)
            skipSubBlocks();
        return false;
    }
    const int incoming = Code;
    // Locals: the byte stores below could otherwise alias the members.
    std::uint8_t* const stack = t.stack.data();
    const int clearCode = clearCode_;
    int top = stackTop_;
    int pushed = 0;
    if (Code >= nextFree_) {
        stack[top++] = std::uint8_t(firstCode_);
        ++pushed;
        Code = oldCode_;
    }
    while (Code >= clearCode) {
        if (++pushed > kMaxChain || t.prefix[std::size_t(Code)] == Code)
            RaiseGIF(GifText::CircularEntry);
        stack[top++] = std::uint8_t(t.suffix[std::size_t(Code)]);
        Code = t.prefix[std::size_t(Code)];
    }
    firstCode_ = t.suffix[std::size_t(Code)];
    stack[top++] = std::uint8_t(firstCode_);
    stackTop_ = top;
    addEntry();
    oldCode_ = incoming;
    return true;
}

// The entry of the code before and the first value of the one just read.
void GifLzwDecoder::addEntry()
{
    if (nextFree_ >= kTableSize)
        return;
    Tables& t = *tables_;
    const auto at = std::size_t(nextFree_);
    t.prefix[at] = std::uint16_t(oldCode_);
    t.suffix[at] = std::uint16_t(firstCode_);
    const int before = oldCode_ < nextFree_ ? t.length[std::size_t(oldCode_)] : 0;
    t.length[at] = std::uint16_t(before > 0 ? before + 1 : 0);
    ++nextFree_;
    highWater_ = std::max(highWater_, nextFree_);
    if (nextFree_ >= growAt_ && growAt_ < kTableSize) {
        growAt_ *= 2;
        ++codeSize_;
    }
}

// A code whose values fit in Out goes there directly; how many it wrote, 0 (nothing done) for
// any other code.
int GifLzwDecoder::expandInto(int Code, std::uint8_t* Out, std::int64_t Room)
{
    Tables& t = *tables_;
    if (Code < 0 || Code >= nextFree_)
        return 0;
    const int length = t.length[std::size_t(Code)];
    if (length == 0 || length > Room)
        return 0;
    const int incoming = Code;
    for (int i = length - 1; i > 0; --i) { // every prefix is lower than its code: the chain ends
        Out[i] = std::uint8_t(t.suffix[std::size_t(Code)]);
        Code = t.prefix[std::size_t(Code)];
    }
    firstCode_ = t.suffix[std::size_t(Code)];
    Out[0] = std::uint8_t(firstCode_);
    addEntry();
    oldCode_ = incoming;
    return length;
}

std::int64_t GifLzwDecoder::Read(std::uint8_t* Out, std::int64_t Count)
{
    std::int64_t n = 0;
    const std::uint8_t* stack = tables_->stack.data();
    while (n < Count) {
        if (stackTop_ == 0) {
            if (ended_)
                break;
            const int code = nextCode();
            if (const int written = expandInto(code, Out + n, Count - n)) {
                n += written;
                continue;
            }
            if (!expand(code)) {
                ended_ = true;
                break;
            }
        }
        const std::int64_t take = std::min<std::int64_t>(stackTop_, Count - n);
        int top = stackTop_; // a local: the stores to Out could alias the member
        for (std::int64_t i = 0; i < take; ++i)
            Out[n + i] = stack[--top];
        stackTop_ = top;
        n += take;
    }
    return n;
}

void GifLzwDecoder::Finish()
{
    std::uint8_t value = 0;
    if (Read(&value, 1) == 1 && !done_ && !endOfData_)
        skipSubBlocks(); // codes past the last pixel: the rest of the data is not needed
}

// ---- Encoder ----

// The string table: exact, probing a table twice the largest number of strings, so every
// probe ends at an empty slot. A slot holds (key << 12) | code; key = (prefix << 8) | pixel.
struct GifLzwEncoder::Dictionary {
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    static constexpr std::uint32_t kMask = 8191;
    std::array<std::uint32_t, kMask + 1> entries;

    void Clear() { entries.fill(kEmpty); }
    static std::uint32_t hash(std::uint32_t key) { return (key * 0x9E3779B1u) >> 19; }
};

GifLzwEncoder::GifLzwEncoder(int MinCodeSize) : dictionary_(std::make_unique<Dictionary>())
{
    const int minCodeSize = std::clamp(MinCodeSize, 2, 8);
    initialCodeSize_ = minCodeSize + 1;
    codeSize_ = initialCodeSize_;
    maxCode_ = (1 << codeSize_) - 1;
    clearCode_ = 1 << minCodeSize;
    endCode_ = clearCode_ + 1;
    out_.reserve(4096);
    out_.append(char(minCodeSize));
    emitClear();
}

GifLzwEncoder::~GifLzwEncoder() = default;

void GifLzwEncoder::putByte(std::uint8_t Byte)
{
    block_[std::size_t(blockLength_++)] = Byte;
    if (blockLength_ == int(block_.size()))
        flushBlock();
}

void GifLzwEncoder::flushBlock()
{
    out_.append(char(blockLength_));
    out_.append(reinterpret_cast<const char*>(block_.data()), blockLength_);
    blockLength_ = 0;
}

void GifLzwEncoder::output(int Code)
{
    accumulator_ = (accumulator_ & ((1u << bitCount_) - 1)) | (std::uint32_t(Code) << bitCount_);
    bitCount_ += codeSize_;
    while (bitCount_ >= 8) {
        putByte(std::uint8_t(accumulator_));
        accumulator_ >>= 8;
        bitCount_ -= 8;
    }
    if (clearPending_) {
        codeSize_ = initialCodeSize_;
        maxCode_ = (1 << codeSize_) - 1;
        clearPending_ = false;
    } else if (nextFree_ > maxCode_) {
        ++codeSize_;
        maxCode_ = codeSize_ == kMaxCodeSize ? kTableSize : (1 << codeSize_) - 1;
    }
}

void GifLzwEncoder::emitClear()
{
    dictionary_->Clear();
    nextFree_ = clearCode_ + 2;
    clearPending_ = true;
    output(clearCode_);
}

void GifLzwEncoder::Add(const std::uint8_t* Pixels, std::int64_t Count)
{
    std::int64_t i = 0;
    if (prefix_ < 0 && Count > 0)
        prefix_ = Pixels[i++];
    Dictionary& dictionary = *dictionary_;
    int prefix = prefix_;
    for (; i < Count; ++i) {
        const std::uint32_t pixel = Pixels[i];
        const std::uint32_t key = (std::uint32_t(prefix) << 8) | pixel;
        std::uint32_t slot = Dictionary::hash(key);
        std::uint32_t entry;
        while ((entry = dictionary.entries[slot]) != Dictionary::kEmpty && (entry >> 12) != key)
            slot = (slot + 1) & Dictionary::kMask;
        if (entry != Dictionary::kEmpty) {
            prefix = int(entry & 0xFFF);
            continue;
        }
        output(prefix);
        prefix = int(pixel);
        if (nextFree_ < kTableSize - 1)
            dictionary.entries[slot] = (key << 12) | std::uint32_t(nextFree_++);
        else
            emitClear();
    }
    prefix_ = prefix;
}

QByteArray GifLzwEncoder::Finish()
{
    if (prefix_ >= 0)
        output(prefix_);
    output(endCode_);
    while (bitCount_ > 0) {
        putByte(std::uint8_t(accumulator_));
        accumulator_ >>= 8;
        bitCount_ -= 8;
    }
    bitCount_ = 0;
    if (blockLength_ > 0)
        flushBlock();
    out_.append('\0');
    return std::move(out_);
}
