#pragma once
// The pixels a flood fill takes: from a seed, four ways from pixel to pixel, inside a box and a
// clip region, as far as a test of each pixel allows.

#include <QRect>
#include <QRegion>

#include <functional>
#include <optional>
#include <vector>

namespace metafile {

// The rows of pixels taken, each a rectangle one pixel high, in no particular order; none when
// the seed is outside or not fillable. The work grows with the pixels taken and the width of
// each row reached, not with the box.
std::vector<QRect> SpreadFill(const QRect& Box, const std::optional<QRegion>& Clip, QPoint Seed,
                              const std::function<bool(int X, int Y)>& Fillable);

} // namespace metafile
