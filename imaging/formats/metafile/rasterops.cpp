// Raster operations of a metafile's playback.
#include "rasterops.h"

namespace metafile {

std::uint32_t ApplyTernaryRop(std::uint8_t Index, std::uint32_t P, std::uint32_t S, std::uint32_t D)
{
    // The sum of the minterms whose bit the index sets.
    std::uint32_t result = 0;
    for (int term = 0; term < 8; ++term) {
        if (!(Index >> term & 1))
            continue;
        result |= ((term & 4) ? P : ~P) & ((term & 2) ? S : ~S) & ((term & 1) ? D : ~D);
    }
    return result & 0xFFFFFF;
}

std::optional<QPainter::CompositionMode> MixComposition(int Mode)
{
    switch (Mode) {
    case 1: // black
        return QPainter::RasterOp_ClearDestination;
    case 2: // not (pen or destination)
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 3: // destination and not pen
        return QPainter::RasterOp_NotSourceAndDestination;
    case 4: // not pen
        return QPainter::RasterOp_NotSource;
    case 5: // pen and not destination
        return QPainter::RasterOp_SourceAndNotDestination;
    case 6: // not destination
        return QPainter::RasterOp_NotDestination;
    case 7: // pen xor destination
        return QPainter::RasterOp_SourceXorDestination;
    case 8: // not (pen and destination)
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case 9: // pen and destination
        return QPainter::RasterOp_SourceAndDestination;
    case 10: // not (pen xor destination)
        return QPainter::RasterOp_NotSourceXorDestination;
    case 11: // the destination stays
        return std::nullopt;
    case 12: // destination or not pen
        return QPainter::RasterOp_NotSourceOrDestination;
    case 14: // pen or not destination
        return QPainter::RasterOp_SourceOrNotDestination;
    case 15: // pen or destination
        return QPainter::RasterOp_SourceOrDestination;
    case 16: // white
        return QPainter::RasterOp_SetDestination;
    default: // 13, the pen itself
        return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace metafile
