#pragma once

#include "pgtypes.h"

#include <optional>
#include <span>
#include <vector>

// The library's fixed palettes and the lookups that find an entry for a colour in them.

std::span<const TColor, 16> Sys16Palette();
std::span<const TColor, 252> Special252Palette();

// The palette an ident stands for: empty for pNone and pTrueColor; nothing for the idents that
// name no palette of their own (pUnknown, pOptimized252Sys16, pSource).
std::optional<std::vector<TColor>> FixedPalette(TPaletteIdent Ident);

// Gray level of entry i of the 236-gray palette: the nearest integer to i * 255 / 235.
int Gray236Level(int i);

// Squared red-green-blue distance of two colours.
int ColorDistance(TColor a, TColor b);

// Nearest entry (lowest index on ties) found through the fixed cell tables of candidates.
int NearestSys16(TColor Color);
int NearestSpecial252(TColor Color);
// Entry of the 236-gray palette nearest to Intensity / 3 (Intensity 0 to 765).
int Gray236Index(int Intensity);
