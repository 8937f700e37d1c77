#pragma once

#include <cstdint>

namespace tiff {

class Source;

// Decodes one row of RowBytes bytes from the PackBits packets at Position (advanced past them).
// A packet that would run past the row is "TIFF (PackBits): Invalid count of bytes in row " +
// Row; data that ends first is the end-of-file error.
void DecodePackBitsRow(Source& Data, std::int64_t& Position, std::uint8_t* Out, std::int64_t RowBytes, std::int64_t Row);

} // namespace tiff
