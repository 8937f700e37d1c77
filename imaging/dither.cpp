// Error diffusion while a palette image is written row by row (serpentine).
#include "pixelgraphic.h"
#include "pixelgraphicstate.h"

#include <algorithm>
#include <array>


namespace {

// How far an error may push a pixel, by palette: finer palettes take less.
int errorLimitFor(TPaletteIdent ident)
{
    switch (ident) {
    case pNone:
    case pTrueColor:
    case pUnknown:
    case pGray16:
        return 32;
    case pBlackWhite:
        return 255;
    case pSysGray4:
    case pSys16:
    case pGray4:
        return 128;
    case pGray236:
        return 3;
    case pGray256:
        return 2;
    case pSpecial125:
    case pSpecial252:
        return 104;
    case pSpecial216:
        return 86;
    default:
        return 0;
    }
}

} // namespace

void TPixelGraphic::InitDither()
{
    FreeDither();
    auto state = std::make_unique<DitherState>();
    state->current.assign(std::size_t(width_) + 2, {0, 0, 0});
    state->next.assign(std::size_t(width_) + 2, {0, 0, 0});
    paletteAllGray_ = std::all_of(palette_.begin(), palette_.end(),
                                  [](TColor c) { return RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c); });
    const int L = errorLimitFor(paletteIdent_);
    for (int e = 0; e <= 255; ++e) {
        int v = e >= L ? L : e;
        if (e >= L / 2 && e <= 3 * L / 2 && e < 255)
            v = e / 2 + L / 4;
        state->limit[std::size_t(255 + e)] = v;
        state->limit[std::size_t(255 - e)] = -v;
    }
    ditherState_ = std::move(state);
}

void TPixelGraphic::NextDitherRow()
{
    if (!ditherState_)
        return;
    std::swap(ditherState_->current, ditherState_->next);
    std::fill(ditherState_->next.begin(), ditherState_->next.end(), std::array<int, 3>{0, 0, 0});
}

void TPixelGraphic::DitherPixel(int X, int Y, int R, int G, int B)
{
    R = std::clamp(R, 0, 255);
    G = std::clamp(G, 0, 255);
    B = std::clamp(B, 0, 255);
    if (!ditherState_ || X < 0 || X >= width_) {
        SetPixelColor(X, Y, RGBColor(R, G, B));
        return;
    }
    DitherState& s = *ditherState_;
    const int i = X + 1;
    const int ahead = (Y & 1) ? i - 1 : i + 1;
    const int behind = (Y & 1) ? i + 1 : i - 1;
    auto spread = [&](int k, int difference) {
        s.current[std::size_t(ahead)][std::size_t(k)] += 7 * difference;
        s.next[std::size_t(ahead)][std::size_t(k)] += difference;
        s.next[std::size_t(i)][std::size_t(k)] += 5 * difference;
        s.next[std::size_t(behind)][std::size_t(k)] += 3 * difference;
    };
    if (paletteAllGray_) {
        const int v = std::clamp(Intensity(RGBColor(R, G, B), weightedGray_) / 3 + s.errorAt(i, 1), 0, 255);
        const std::uint32_t index = ColorToIndex(RGBColor(v, v, v));
        SetPixel(X, Y, index);
        spread(1, v - GreenOf(PaletteColor(index)));
        return;
    }
    const int p[3] = {std::clamp(R + s.errorAt(i, 0), 0, 255), std::clamp(G + s.errorAt(i, 1), 0, 255),
                      std::clamp(B + s.errorAt(i, 2), 0, 255)};
    const std::uint32_t index = ColorToIndex(RGBColor(p[0], p[1], p[2]));
    SetPixel(X, Y, index);
    const TColor chosen = PaletteColor(index);
    spread(0, p[0] - RedOf(chosen));
    spread(1, p[1] - GreenOf(chosen));
    spread(2, p[2] - BlueOf(chosen));
}

void TPixelGraphic::FreeDither()
{
    ditherState_.reset();
}
