#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input: its file information, then a load by signature, from a stream over the
// bytes. Library failures are the expected outcome of most inputs; anything else (a crash, a
// sanitizer report, another exception) is a finding. Images whose header claims more than
// MaxPixels are not decoded: their cost is time, not coverage.
// ByExtension loads through the extension instead, for formats that have no signature.
int FuzzLoad(const std::uint8_t* Data, std::size_t Size, const char* Extension, std::int64_t MaxPixels,
             bool ByExtension = false);
