// Reading, checking, sizing and playing a metafile (layouts: FORMAT.md).
#include "metafilesupport.h"

#include "gdiplayer.h"
#include "metafilerecords.h"
#include "recordreader.h"

#include "imaging/bytestream.h"

#include <QPainter>

#include <algorithm>
#include <limits>
#include <optional>

using metafile::BadRecord;
using metafile::GdiPlayer;
using metafile::PlaybackFrame;
using metafile::RecordReader;

namespace {

constexpr int kHundredthsPerInch = 2540;
constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kEmfHeader = 1;
constexpr std::uint32_t kEmfEnd = 14;
constexpr std::uint32_t kEmfMinHeaderSize = 88;
constexpr int kEnhancedMinimum = 100; // more bytes than this, or no enhanced metafile
constexpr std::size_t kWindowsHeaderSize = 18;
constexpr std::size_t kWindowsRecordsStart = MetafileSupport::PlaceableHeaderSize + kWindowsHeaderSize;
constexpr std::size_t kMaxPaletteEntries = 256;

const std::uint8_t* bytesOf(const QByteArray& Data)
{
    return reinterpret_cast<const std::uint8_t*>(Data.constData());
}

// Visits each Windows metafile record (function, parameters) up to the end record or the end
// of the data, or until visit gives false; false when a record is shorter than its head or
// reaches past the data.
template <class Visit> bool walkWindowsRecords(const QByteArray& Data, Visit&& visit)
{
    const std::uint8_t* bytes = bytesOf(Data);
    const std::size_t size = std::size_t(Data.size());
    std::size_t offset = kWindowsRecordsStart;
    while (size - offset >= 6) {
        const std::uint64_t length = std::uint64_t(GetU32(bytes + offset)) * 2;
        const std::uint16_t function = GetU16(bytes + offset + 4);
        if (length < 6 || length > size - offset)
            return false;
        if (function == 0)
            break;
        if (!visit(function, RecordReader(bytes + offset + 6, std::size_t(length - 6))))
            break;
        offset += std::size_t(length);
    }
    return true;
}

// Visits each enhanced metafile record (type, record) up to the end record (included) or the
// end of the data, or until visit gives false; false when a size is below its head, not whole
// 32-bit words, or reaches past the data.
template <class Visit> bool walkEnhancedRecords(const QByteArray& Data, Visit&& visit)
{
    const std::uint8_t* bytes = bytesOf(Data);
    const std::size_t size = std::size_t(Data.size());
    std::size_t offset = 0;
    while (size - offset >= 8) {
        const std::uint32_t type = GetU32(bytes + offset);
        const std::uint32_t length = GetU32(bytes + offset + 4);
        if (length < 8 || length % 4 != 0 || length > size - offset)
            return false;
        if (!visit(type, RecordReader(bytes + offset, length)) || type == kEmfEnd)
            break;
        offset += length;
    }
    return true;
}

int clampToInt(std::int64_t Value)
{
    return int(std::clamp<std::int64_t>(Value, 0, std::numeric_limits<int>::max()));
}

} // namespace

std::int64_t MulDivRounded(std::int64_t A, std::int64_t B, std::int64_t C)
{
    const __int128 product = static_cast<__int128>(A) * B;
    __int128 quotient = product / C;
    const __int128 remainder = product % C;
    const __int128 absRemainder = remainder < 0 ? -remainder : remainder;
    const __int128 absC = C < 0 ? -static_cast<__int128>(C) : C;
    if (2 * absRemainder >= absC)
        quotient += (product < 0) != (C < 0) ? -1 : 1;
    constexpr __int128 lo = std::numeric_limits<std::int64_t>::min(), hi = std::numeric_limits<std::int64_t>::max();
    return std::int64_t(std::clamp(quotient, lo, hi));
}

bool MetafileSupport::Load(const QByteArray& Data)
{
    data_ = Data;
    palette_.clear();
    const std::uint8_t* bytes = bytesOf(data_);
    enhanced_ = data_.size() > kEnhancedMinimum && GetU32(bytes) == kEmfHeader && GetU32(bytes + 40) == kEmfSignature;
    const bool loaded = enhanced_ ? loadEnhanced() : loadWindows();
    if (!loaded)
        data_.clear();
    return loaded;
}

bool MetafileSupport::loadWindows()
{
    if (std::size_t(data_.size()) < kWindowsRecordsStart)
        return false;
    const std::uint8_t* bytes = bytesOf(data_);
    if (GetU32(bytes) != PlaceableKey)
        return false;
    std::uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= GetU16(bytes + 2 * i);
    if (checksum != GetU16(bytes + 20))
        return false;
    const std::uint8_t* header = bytes + PlaceableHeaderSize;
    // Type 0 passes the signature probe as well as 1 (memory) and 2 (disk): the loader takes
    // what the probe lets through.
    const std::uint16_t type = GetU16(header);
    if (type > 2 || GetU16(header + 2) != kWindowsHeaderSize / 2)
        return false;
    if (!walkWindowsRecords(data_, [](std::uint16_t, const RecordReader&) { return true; }))
        return false;

    boxLeft_ = std::int16_t(GetU16(bytes + 6));
    boxTop_ = std::int16_t(GetU16(bytes + 8));
    boxWidth_ = std::int16_t(GetU16(bytes + 10)) - boxLeft_;
    boxHeight_ = std::int16_t(GetU16(bytes + 12)) - boxTop_;
    unitsPerInch_ = GetU16(bytes + 14) == 0 ? PixelsPerInch : GetU16(bytes + 14);
    objectCount_ = GetU16(header + 10);
    // Metafile units to hundredths of a millimetre to pixels, each step rounded.
    width_ = MulDivRounded(MulDivRounded(boxWidth_, kHundredthsPerInch, unitsPerInch_), PixelsPerInch, kHundredthsPerInch);
    height_ = MulDivRounded(MulDivRounded(boxHeight_, kHundredthsPerInch, unitsPerInch_), PixelsPerInch, kHundredthsPerInch);
    // A box without a pixel holds no picture; the reader then tries its made header's box.
    return width_ != 0 && height_ != 0;
}

bool MetafileSupport::loadEnhanced()
{
    const std::uint8_t* bytes = bytesOf(data_);
    const std::uint32_t headerSize = GetU32(bytes + 4);
    if (headerSize < kEmfMinHeaderSize || headerSize % 4 != 0 || headerSize > std::size_t(data_.size()))
        return false;
    const bool whole = walkEnhancedRecords(data_, [this](std::uint32_t type, const RecordReader& r) {
        if (type != kEmfEnd || !r.Holds(8, 2, 4))
            return true;
        const std::uint32_t entries = r.U32(8);
        const std::uint32_t offset = r.U32(12);
        if (entries == 0 || offset < 16 || !r.Holds(offset, entries, 4))
            return true;
        for (std::uint32_t i = 0; i < entries && i < kMaxPaletteEntries; ++i) {
            const std::uint8_t* e = r.Data() + offset + 4 * i; // red, green, blue, flags
            palette_.push_back(RGBColor(e[0], e[1], e[2]));
        }
        return true;
    });
    if (!whole)
        return false;

    const auto i32 = [bytes](int at) { return std::int64_t(std::int32_t(GetU32(bytes + at))); };
    const std::int64_t frameLeft = i32(24), frameTop = i32(28), frameRight = i32(32), frameBottom = i32(36);
    const std::int64_t deviceX = i32(72), deviceY = i32(76), mmX = i32(80), mmY = i32(84);
    objectCount_ = GetU16(bytes + 56);
    // Frame (hundredths of a millimetre) to pixels of the reference device; a header without
    // sizes counts as a 96-per-inch device.
    const auto toPixels = [](std::int64_t hundredths, std::int64_t pixels, std::int64_t mm) {
        return pixels > 0 && mm > 0 ? MulDivRounded(hundredths, pixels, mm * 100)
                                    : MulDivRounded(hundredths, PixelsPerInch, kHundredthsPerInch);
    };
    width_ = toPixels(frameRight - frameLeft, deviceX, mmX);
    height_ = toPixels(frameBottom - frameTop, deviceY, mmY);
    if (width_ == 0 || height_ == 0)
        return false; // a frame without a pixel holds no picture
    pixelsPerMmX_ = deviceX > 0 && mmX > 0 ? double(deviceX) / double(mmX) : PixelsPerInch / 25.4;
    pixelsPerMmY_ = deviceY > 0 && mmY > 0 ? double(deviceY) / double(mmY) : PixelsPerInch / 25.4;
    frameLeft_ = double(frameLeft);
    frameTop_ = double(frameTop);
    frameWidth_ = double(frameRight - frameLeft);
    frameHeight_ = double(frameBottom - frameTop);
    return true;
}

void MetafileSupport::SetSize(std::int64_t Width, std::int64_t Height)
{
    width_ = Width;
    height_ = Height;
}

int MetafileSupport::Draw(QPainter& Painter, PlaybackWatch& Watch) const
{
    if (width_ <= 0 || height_ <= 0 || data_.isEmpty())
        return 0;
    std::optional<PlaybackFrame> frame = enhanced_ ? enhancedFrame() : windowsFrame();
    if (!frame)
        return 0;
    frame->output = QSize(clampToInt(width_), clampToInt(height_));
    frame->objectCount = objectCount_;
    GdiPlayer player(Painter, *frame, [&Watch] { return Watch.Stopping(); });
    // Each record through Play until the watch stops playback; one damaged inside is skipped.
    const auto skippingDamaged = [&player, &Watch](auto Play) {
        return [&player, &Watch, Play](auto Kind, const RecordReader& Record) {
            if (Watch.Stopping())
                return false;
            try {
                Play(player, Kind, Record);
            } catch (const BadRecord&) {
            }
            return true;
        };
    };
    if (enhanced_)
        walkEnhancedRecords(data_, skippingDamaged(metafile::PlayEnhancedRecord));
    else
        walkWindowsRecords(data_, skippingDamaged(metafile::PlayWindowsRecord));
    return player.RecordsLeftOut();
}

bool PlaybackWatch::Stopping()
{
    if (stopped_)
        return true;
    const Clock::time_point now = Clock::now();
    if (!nextQuery_)
        nextQuery_ = now + Interval; // playback starts: the setting up before it is not counted
    if (now < *nextQuery_)
        return false;
    stopped_ = query_();
    nextQuery_ = Clock::now() + Interval;
    return stopped_;
}

std::optional<PlaybackFrame> MetafileSupport::windowsFrame() const
{
    if (boxWidth_ == 0 || boxHeight_ == 0)
        return std::nullopt;
    // The picture's device is its placeable box; the box lands on the output, and the window
    // (the box until the records set their own) maps onto it.
    PlaybackFrame frame;
    frame.deviceToOutput = QTransform::fromScale(double(width_) / boxWidth_, double(height_) / boxHeight_);
    frame.deviceUnitsPerInchX = frame.deviceUnitsPerInchY = unitsPerInch_;
    frame.mapMode = metafile::mmAnisotropic;
    frame.windowOrg = QPointF(boxLeft_, boxTop_);
    frame.windowExt = QPointF(boxWidth_, boxHeight_);
    frame.viewportExt = QPointF(boxWidth_, boxHeight_);
    frame.viewportFixed = true;
    return frame;
}

std::optional<PlaybackFrame> MetafileSupport::enhancedFrame() const
{
    // Records draw in the reference device's pixels; its frame lands on the output.
    const double left = frameLeft_ * pixelsPerMmX_ / 100, top = frameTop_ * pixelsPerMmY_ / 100;
    const double width = frameWidth_ * pixelsPerMmX_ / 100, height = frameHeight_ * pixelsPerMmY_ / 100;
    PlaybackFrame frame;
    frame.deviceToOutput = QTransform::fromTranslate(-left, -top)
        * QTransform::fromScale(width != 0 ? double(width_) / width : 1, height != 0 ? double(height_) / height : 1);
    frame.deviceUnitsPerInchX = pixelsPerMmX_ * 25.4;
    frame.deviceUnitsPerInchY = pixelsPerMmY_ * 25.4;
    frame.mapMode = metafile::mmText;
    return frame;
}
