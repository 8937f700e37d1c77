#pragma once
// Colour resolutions: which one an image has, the order in which a save tries others, and the
// conversion into one of them.

#include "fileformats.h"
#include "pgtypes.h"

#include <QString>

#include <memory>
#include <optional>
#include <span>

class TPixelGraphic;

// The resolution of an image with this pixel format and palette.
TColorResolution CurrentColorResolution(TBitCountNum BitCountNum, TPaletteIdent Ident);

// For a current resolution, the resolutions a save tries, best first.
std::span<const TColorResolution, ColorResolutionCount> ColorResolutionPreference(TColorResolution Current);

// The first resolution of the current one's preference row in the set; none for an empty set.
std::optional<TColorResolution> ChooseColorResolution(TColorResolution Current, ColorResolutionSet Writable);

// "black and white" ... "16.7 million colors" (messages 8 to 15).
QString ColorResolutionName(TColorResolution Resolution);

// A new image of Source's size at the target resolution, its pixels resampled (with the new
// image's default dithering) from Source, which stays unchanged. The new image reports its
// progress through Source's progress events.
std::unique_ptr<TPixelGraphic> ConvertToColorResolution(TPixelGraphic& Source, TColorResolution Target);
