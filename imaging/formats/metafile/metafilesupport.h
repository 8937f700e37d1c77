#pragma once
// A Windows metafile (behind its placeable header) or an enhanced metafile, read and checked
// whole, sized at a constant 96 pixels per inch and played onto a painter by our own player.
// Nothing here asks the screen: it also runs on the open dialog's preview thread.

#include "imaging/pgtypes.h"

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QPainter;

namespace metafile {
struct PlaybackFrame;
}

// MulDiv: A * B / C rounded to the nearest integer, halves away from zero; C must not be 0.
std::int64_t MulDivRounded(std::int64_t A, std::int64_t B, std::int64_t C);

// Asks during a playback whether it is to stop: by the clock, once an interval, so that many
// cheap records cost nothing extra. Once stopped it stays stopped.
class PlaybackWatch {
public:
    using Clock = std::chrono::steady_clock;
    // True when the playback is to stop (a progress handler's abort flag).
    using AbortQuery = std::function<bool()>;
    // Often enough that an abort is heard within a fraction of a second.
    static constexpr std::chrono::milliseconds Interval{50};

    explicit PlaybackWatch(AbortQuery Query) : query_(std::move(Query)) {}
    // Between two records or bands: whether playback stops here. The first call starts the
    // clock.
    bool Stopping();
    bool Stopped() const { return stopped_; }

private:
    AbortQuery query_;
    std::optional<Clock::time_point> nextQuery_;
    bool stopped_ = false;
};

class MetafileSupport {
public:
    static constexpr int PixelsPerInch = 96;
    static constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
    static constexpr int PlaceableHeaderSize = 22;

    // An enhanced metafile when more than 100 bytes are there, the first 32-bit value is 1 and
    // " EMF" stands at byte 40; otherwise a placeable header (key and checksum right) followed
    // by a Windows metafile header (type 0 to 2) and its records. False when anything is
    // broken: a header, a record size of 0 or one reaching past the data, or an enhanced frame
    // that gives no pixel.
    bool Load(const QByteArray& Data);

    bool Enhanced() const { return enhanced_; }
    // Pixels at 96 per inch (64-bit: a damaged box may give anything), or the size set.
    std::int64_t Width() const { return width_; }
    std::int64_t Height() const { return height_; }
    void SetSize(std::int64_t Width, std::int64_t Height);
    // The palette of an enhanced metafile's end record (at most 256 entries); a Windows metafile
    // has none.
    const std::vector<TColor>& Palette() const { return palette_; }

    // Plays the picture into (0, 0, Width, Height), scaled to fill it, until Watch stops it
    // between two records (or two bands of a raster operation). Records that are damaged inside
    // are skipped. Gives the number of records that a bound of the playback left out
    // (GdiPlayer::RecordsLeftOut).
    [[nodiscard]] int Draw(QPainter& Painter, PlaybackWatch& Watch) const;

private:
    bool loadEnhanced();
    bool loadWindows();
    // How the picture's device lands on the output; none when a Windows metafile's box is empty.
    std::optional<metafile::PlaybackFrame> windowsFrame() const;
    std::optional<metafile::PlaybackFrame> enhancedFrame() const;

    QByteArray data_;
    bool enhanced_ = false;
    std::int64_t width_ = 0;
    std::int64_t height_ = 0;
    std::vector<TColor> palette_;
    // Windows metafile: the placeable box, units per inch and object count.
    int boxLeft_ = 0, boxTop_ = 0, boxWidth_ = 0, boxHeight_ = 0, unitsPerInch_ = PixelsPerInch;
    // Enhanced metafile: frame (hundredths of a millimetre), pixels per millimetre, handles.
    double frameLeft_ = 0, frameTop_ = 0, frameWidth_ = 0, frameHeight_ = 0;
    double pixelsPerMmX_ = PixelsPerInch / 25.4, pixelsPerMmY_ = PixelsPerInch / 25.4;
    int objectCount_ = 0;
};
