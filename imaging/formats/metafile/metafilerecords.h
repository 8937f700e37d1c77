#pragma once
// Playing single records of both metafile kinds onto the player. A record whose contents do not
// fit inside it throws BadRecord before anything of it is drawn.

#include "imaging/pgtypes.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace metafile {

class GdiPlayer;
class RecordReader;

// One Windows metafile record: its function and the parameters after its 6-byte head.
void PlayWindowsRecord(GdiPlayer& Player, std::uint16_t Function, const RecordReader& Params);
// One enhanced metafile record, whole (its offsets count from the record's start).
void PlayEnhancedRecord(GdiPlayer& Player, std::uint32_t Type, const RecordReader& Record);

// Single-byte text in the Windows western code page, up to its first NUL.
QString DecodeAnsiText(const std::uint8_t* Bytes, std::size_t Count);

// Count palette entries (red, green, blue, flags) from At.
std::vector<TColor> PaletteEntriesAt(const RecordReader& Record, std::uint64_t At, std::uint32_t Count);

} // namespace metafile
