#pragma once
// Working state of TPixelGraphic shared by its implementation files.

#include "pixelgraphic.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <vector>

// Cell cache of a pUnknown palette over 32 x 64 x 32 cells (red and blue by 8 levels, green
// by 4): seeded by growing a cube around each entry's cell, the rest filled on first lookup.
struct TPixelGraphic::ColorCache {
    std::array<std::uint8_t, 65536> map{};
    std::bitset<65536> filled;
};

// Error rows of the diffusion.
struct TPixelGraphic::DitherState {
    // Errors of the current and the next row, 16 times the error, one entry to each side.
    std::vector<std::array<int, 3>> current, next;
    std::array<int, 511> limit{}; // for errors -255..255
    int errorAt(int i, int k) const
    {
        const int sum = current[std::size_t(i)][std::size_t(k)];
        const int e = sum >= 0 ? (sum + 8) / 16 : -((-sum + 8) / 16); // halves away from zero
        return limit[std::size_t(std::clamp(e, -255, 255) + 255)];
    }
};
