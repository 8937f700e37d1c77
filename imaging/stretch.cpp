// Resampling: StretchFrom, StretchRect and CopyRect. Integer arithmetic only; every division
// truncates toward zero.
#include "pixelgraphic.h"
#include "pixelgraphicstate.h"

#include <algorithm>
#include <cstring>

namespace {

// One destination column (or row): its first and last source pixel and their weights.
struct AxisEntry {
    int s0 = 0, s1 = 0;
    std::int64_t w0 = 1, w1 = 1;
    int kind = 0; // 0 one sample, 1 two samples, 2 a span with middle samples weighing `middle`
    bool valid = false;
};

struct Axis {
    std::vector<AxisEntry> entries; // for destination positions first..last
    std::int64_t divisor = 1;
    std::int64_t middle = 1;        // weight of the samples between s0 and s1
    int first = 0;
    const AxisEntry& at(int position) const { return entries[std::size_t(position - first)]; }
};

// Entries for the destination positions [first, last] (absolute) of one axis: S source and D
// destination extent, the source rectangle starting at srcStart in an image `extent` wide.
Axis buildAxis(TStretchMode mode, std::int64_t S, std::int64_t D, int dstStart, int srcStart, int extent,
               int first, int last)
{
    enum { Nearest, Interpolate, Area } method;
    Axis axis;
    if (mode == smFast || S == D) {
        method = Nearest;
        axis.divisor = 1;
    } else if ((S < D && mode == smPrecise) || (S > D && mode == smMedium)) {
        method = Interpolate;
        axis.divisor = 2 * D;
    } else {
        method = Area;
        axis.divisor = S;
    }
    axis.middle = D;
    axis.first = first;
    auto inside = [extent](std::int64_t s) { return s >= 0 && s < extent; };
    for (int position = first; position <= last; ++position) {
        const std::int64_t X = position - dstStart;
        AxisEntry e;
        std::int64_t s0, s1;
        switch (method) {
        case Nearest:
            s0 = s1 = (S == D ? X : X * S / D) + srcStart;
            break;
        case Interpolate: {
            // The two source pixels whose centres surround the destination pixel's centre, all
            // in units of 1 / (2D) source pixel.
            const std::int64_t centre = 2 * X * S + S;
            s0 = (centre - D) / (2 * D) + srcStart;
            s1 = (centre + D) / (2 * D) + srcStart;
            if (S < D && !(inside(s0) && inside(s1))
                && ((s0 < 0 && 0 <= s1) || (s0 < extent && extent <= s1))) {
                s0 = std::clamp<std::int64_t>(s0, 0, extent - 1);
                s1 = std::clamp<std::int64_t>(s1, 0, extent - 1);
            }
            const std::int64_t c0 = 2 * (s0 - srcStart) * D + D;
            const std::int64_t c1 = 2 * (s1 - srcStart) * D + D;
            e.w0 = 2 * D - (centre - c0);
            e.w1 = 2 * D - (c1 - centre);
            e.kind = 1;
            if (centre == c0 || s0 == s1) {
                e.kind = 0;
                e.w0 = 2 * D;
            }
            break;
        }
        case Area: {
            // The source span the destination pixel covers, with the covered parts of its ends.
            const std::int64_t end = (X + 1) * S;
            s0 = X * S / D + srcStart;
            s1 = end / D + srcStart - (end % D == 0 ? 1 : 0);
            e.w0 = (s0 - srcStart + 1) * D - X * S;
            e.w1 = end - (s1 - srcStart) * D;
            if (s0 == s1) {
                e.kind = 0;
                e.w0 = S;
            } else {
                e.kind = s1 == s0 + 1 ? 1 : 2;
            }
            break;
        }
        }
        e.valid = inside(s0) && inside(s1);
        e.s0 = int(std::clamp<std::int64_t>(s0, INT32_MIN, INT32_MAX));
        e.s1 = int(std::clamp<std::int64_t>(s1, INT32_MIN, INT32_MAX));
        axis.entries.push_back(e);
    }
    return axis;
}

// Calls f(sample, weight) for the samples of an entry: the ends, and the middle for kind 2.
template <typename F> void forSamples(const AxisEntry& e, std::int64_t middle, F&& f)
{
    f(e.s0, e.w0);
    if (e.kind == 0)
        return;
    if (e.kind == 2)
        for (int s = e.s0 + 1; s < e.s1; ++s)
            f(s, middle);
    f(e.s1, e.w1);
}

struct Span {
    int first, last;
    bool empty() const { return first > last; }
};

// Destination positions of [start, start + extent - 1] that lie inside [0, size - 1].
Span clip(int start, int extent, int size)
{
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    const std::int64_t last = std::min<std::int64_t>(std::int64_t(start) + extent - 1, size - 1);
    return Span{int(first), int(std::max<std::int64_t>(last, first - 1))};
}

} // namespace

// The frame both resamplers share: the checks, dither set-up, progress and clean-up around a
// row function.
class StretchRun {
public:
    StretchRun(TPixelGraphic& target, TPixelGraphic& source) : target_(target), source_(source) {}

    ~StretchRun() { target_.FreeDither(); }

    // Both images flushed and with pixels.
    bool ready()
    {
        target_.ensureFlushed();
        source_.ensureFlushed();
        return target_.width_ > 0 && target_.height_ > 0 && target_.pixels_ && source_.width_ > 0
               && source_.height_ > 0 && source_.pixels_;
    }

    // Runs rowFn(y, ditherRowStarted) over the rows with progress; an abort ends the rows.
    template <typename RowFn> void run(const Span& rows, RowFn&& rowFn)
    {
        ditherPalette_ = target_.dither_ && target_.bitCountNum_ != bcn24Bit;
        if (ditherPalette_)
            target_.InitDither();
        else
            target_.FreeDither();
        target_.ProgressBegin();
        for (int y = rows.first; y <= rows.last; ++y) {
            if (ditherPalette_)
                target_.NextDitherRow();
            rowFn(y);
            if (target_.Progress(y - rows.first, rows.last - rows.first))
                break;
        }
        target_.ProgressEnd();
        target_.FreeDither();
        target_.Changed();
    }

    // Columns of a row in the order the error diffusion expects.
    template <typename F> static void serpentine(const Span& columns, int y, F&& f)
    {
        if (y & 1)
            for (int x = columns.last; x >= columns.first; --x)
                f(x);
        else
            for (int x = columns.first; x <= columns.last; ++x)
                f(x);
    }

    TColor sourceColor(int x, int y) const
    {
        if (source_.bitCountNum_ == bcn24Bit) {
            const std::uint8_t* p = source_.rowAddress(y) + std::int64_t(x) * 3;
            return RGBColor(p[2], p[1], p[0]);
        }
        return source_.PaletteColor(source_.readPixel(x, y));
    }

    void put(int x, int y, int r, int g, int b)
    {
        if (target_.bitCountNum_ == bcn24Bit) {
            std::uint8_t* p = target_.rowAddress(y) + std::int64_t(x) * 3;
            p[0] = std::uint8_t(b);
            p[1] = std::uint8_t(g);
            p[2] = std::uint8_t(r);
        } else if (ditherPalette_) {
            target_.DitherPixel(x, y, r, g, b);
        } else {
            target_.writePixel(x, y, target_.ColorToIndex(RGBColor(r, g, b)));
        }
    }

    TPixelGraphic& target_;
    TPixelGraphic& source_;
    bool ditherPalette_ = false;
};

void TPixelGraphic::StretchFrom(TPixelGraphic& Source)
{
    StretchRect(0, 0, width_, height_, 0, 0, Source.width_, Source.height_, Source);
}

void TPixelGraphic::StretchRect(int DstLeft, int DstTop, int DstWidth, int DstHeight, int SrcLeft, int SrcTop,
                                int SrcWidth, int SrcHeight, TPixelGraphic& Source)
{
    if (DstWidth <= 0 || DstHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0)
        return; // no area on one side: no events, no change
    if (DstWidth == SrcWidth && DstHeight == SrcHeight) {
        CopyRect(DstLeft, DstTop, DstWidth, DstHeight, SrcLeft, SrcTop, SrcWidth, SrcHeight, Source);
        return;
    }
    if (&Source == this) { // the source must not change under the reading
        TPixelGraphic copy;
        copy.Assign(this);
        StretchRect(DstLeft, DstTop, DstWidth, DstHeight, SrcLeft, SrcTop, SrcWidth, SrcHeight, copy);
        return;
    }
    StretchRun run(*this, Source);
    if (!run.ready())
        return;
    const Span columns = clip(DstLeft, DstWidth, width_);
    const Span rows = clip(DstTop, DstHeight, height_);
    const Axis xs = buildAxis(stretchMode_, SrcWidth, DstWidth, DstLeft, SrcLeft, Source.width_, columns.first,
                              columns.last);
    const Axis ys = buildAxis(stretchMode_, SrcHeight, DstHeight, DstTop, SrcTop, Source.height_, rows.first,
                              rows.last);
    run.run(rows, [&](int y) {
        const AxisEntry& row = ys.at(y);
        if (!row.valid)
            return;
        StretchRun::serpentine(columns, y, [&](int x) {
            const AxisEntry& column = xs.at(x);
            if (!column.valid)
                return;
            std::int64_t total[3] = {0, 0, 0};
            forSamples(row, ys.middle, [&](int sy, std::int64_t rowWeight) {
                std::int64_t sum[3] = {0, 0, 0};
                forSamples(column, xs.middle, [&](int sx, std::int64_t columnWeight) {
                    const TColor c = run.sourceColor(sx, sy);
                    sum[0] += RedOf(c) * columnWeight;
                    sum[1] += GreenOf(c) * columnWeight;
                    sum[2] += BlueOf(c) * columnWeight;
                });
                for (int k = 0; k < 3; ++k)
                    total[k] += sum[k] / xs.divisor * rowWeight;
            });
            run.put(x, y, int(total[0] / ys.divisor), int(total[1] / ys.divisor), int(total[2] / ys.divisor));
        });
    });
}

void TPixelGraphic::CopyRect(int DstLeft, int DstTop, int DstWidth, int DstHeight, int SrcLeft, int SrcTop,
                             int SrcWidth, int SrcHeight, TPixelGraphic& Source)
{
    if (&Source == this) {
        TPixelGraphic copy;
        copy.Assign(this);
        CopyRect(DstLeft, DstTop, DstWidth, DstHeight, SrcLeft, SrcTop, SrcWidth, SrcHeight, copy);
        return;
    }
    StretchRun run(*this, Source);
    if (!run.ready())
        return;
    // Destination columns and rows whose source pixel lies inside both rectangles and images.
    Span columns = clip(DstLeft, std::min(DstWidth, SrcWidth), width_);
    Span rows = clip(DstTop, std::min(DstHeight, SrcHeight), height_);
    const std::int64_t dx = std::int64_t(SrcLeft) - DstLeft, dy = std::int64_t(SrcTop) - DstTop;
    columns.first = int(std::max<std::int64_t>(columns.first, -dx));
    columns.last = int(std::min<std::int64_t>(columns.last, Source.width_ - 1 - dx));
    const bool bothTrueColor = bitCountNum_ == bcn24Bit && Source.bitCountNum_ == bcn24Bit;
    run.run(rows, [&](int y) {
        const std::int64_t sy = y + dy;
        if (sy < 0 || sy >= Source.height_ || columns.empty())
            return;
        if (bothTrueColor) {
            std::memcpy(rowAddress(y) + std::int64_t(columns.first) * 3,
                        Source.rowAddress(int(sy)) + (columns.first + dx) * 3,
                        std::size_t(columns.last - columns.first + 1) * 3);
            return;
        }
        StretchRun::serpentine(columns, y, [&](int x) {
            const TColor c = run.sourceColor(int(x + dx), int(sy));
            run.put(x, y, RedOf(c), GreenOf(c), BlueOf(c));
        });
    });
}
