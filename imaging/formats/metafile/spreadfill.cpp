// A flood fill's spread, row span by row span.
#include "spreadfill.h"

#include <algorithm>
#include <cstdint>

namespace metafile {

namespace {

// One bit per pixel of a row of the box, set where the fill may not go (outside the clip, or
// taken already); rows are made when the fill first reaches them.
class BlockedRows {
public:
    BlockedRows(const QRect& Box, const std::optional<QRegion>& Clip)
        : box_(Box), clip_(Clip), rows_(std::size_t(Box.height()))
    {
    }

    bool Blocked(int X, int Y) { return row(Y)[std::size_t(X - box_.left()) / 64] >> ((X - box_.left()) % 64) & 1; }
    void Block(int X, int Y) { row(Y)[std::size_t(X - box_.left()) / 64] |= std::uint64_t(1) << ((X - box_.left()) % 64); }

private:
    std::vector<std::uint64_t>& row(int Y)
    {
        std::vector<std::uint64_t>& bits = rows_[std::size_t(Y - box_.top())];
        if (bits.empty())
            bits = open(Y);
        return bits;
    }

    // A new row: blocked but for the clip's rectangles across it.
    std::vector<std::uint64_t> open(int Y) const
    {
        std::vector<std::uint64_t> bits(std::size_t(box_.width()) / 64 + 1, ~std::uint64_t(0));
        const auto clear = [&](int From, int To) {
            for (int x = std::max(From, box_.left()); x <= std::min(To, box_.right()); ++x)
                bits[std::size_t(x - box_.left()) / 64] &= ~(std::uint64_t(1) << ((x - box_.left()) % 64));
        };
        if (!clip_) {
            clear(box_.left(), box_.right());
            return bits;
        }
        // A region's rectangles run in bands from the top: the band across Y by a binary search.
        const QRect* first = std::partition_point(clip_->begin(), clip_->end(), [Y](const QRect& r) { return r.bottom() < Y; });
        for (const QRect* r = first; r != clip_->end() && r->top() <= Y; ++r)
            clear(r->left(), r->right());
        return bits;
    }

    QRect box_;
    const std::optional<QRegion>& clip_;
    std::vector<std::vector<std::uint64_t>> rows_;
};

} // namespace

std::vector<QRect> SpreadFill(const QRect& Box, const std::optional<QRegion>& Clip, QPoint Seed,
                              const std::function<bool(int X, int Y)>& Fillable)
{
    std::vector<QRect> spans;
    if (!Box.contains(Seed))
        return spans;
    BlockedRows blocked(Box, Clip);
    const auto open = [&](int x, int y) { return !blocked.Blocked(x, y) && Fillable(x, y); };
    std::vector<QPoint> seeds{Seed};
    while (!seeds.empty()) {
        const QPoint p = seeds.back();
        seeds.pop_back();
        if (!open(p.x(), p.y()))
            continue;
        int left = p.x(), right = p.x();
        while (left > Box.left() && open(left - 1, p.y()))
            --left;
        while (right < Box.right() && open(right + 1, p.y()))
            ++right;
        for (int x = left; x <= right; ++x)
            blocked.Block(x, p.y());
        spans.emplace_back(left, p.y(), right - left + 1, 1);
        // One seed for each run of open pixels above and below the span.
        for (int y : {p.y() - 1, p.y() + 1}) {
            if (y < Box.top() || y > Box.bottom())
                continue;
            bool inRun = false;
            for (int x = left; x <= right; ++x) {
                const bool here = open(x, y);
                if (here && !inRun)
                    seeds.emplace_back(x, y);
                inRun = here;
            }
        }
    }
    return spans;
}

} // namespace metafile
