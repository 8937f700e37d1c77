#pragma once
// The header and image file directories of a TIFF file, and what a load takes from a directory.

#include "tiffcommon.h"

#include <cstdint>
#include <vector>

namespace tiff {

class Source;

// One image file directory: its entries as they stand in the file, searched in order (the
// first entry of a tag counts). Arrays are read from the source when asked for.
class Directory {
public:
    Directory(Source& Data, std::vector<std::uint8_t> Entries) : source_(&Data), entries_(std::move(Entries)) {}

    bool Has(Tag Which) const { return find(Which) != nullptr; }
    // A BYTE, SHORT or LONG value; Absent when the tag is missing. Other types are refused.
    std::uint32_t Value(Tag Which, std::uint32_t Absent = 0) const;
    // All values of a BYTE, SHORT or LONG entry; empty when the tag is missing.
    std::vector<std::uint32_t> Array(Tag Which) const;

private:
    const std::uint8_t* find(Tag Which) const;

    Source* source_;
    std::vector<std::uint8_t> entries_;
};

// Reads the header (setting the source's byte order) and the directory of image ImageIndex.
// ImageCount is 1 unless TIFFReadAllDirectories has the chain walked.
Directory ReadDirectory(Source& Data, int ImageIndex, int& ImageCount);

// Compression and BitsPerSample with the defaults of files that leave them out (1 and [1]).
std::uint32_t CompressionOf(const Directory& Dir);
std::vector<std::uint32_t> BitsPerSampleOf(const Directory& Dir);

// What a load takes from a directory, checked: chunky samples in one of the layouts read.
struct ImageLayout {
    std::uint32_t width = 0;
    std::uint32_t length = 0;
    std::uint32_t compression = Uncompressed;
    std::uint32_t photometric = WhiteIsZero;
    std::uint32_t samplesPerPixel = 1;
    std::vector<std::uint32_t> bitsPerSample;
    std::vector<std::uint32_t> stripOffsets;
    std::uint64_t rowsPerStrip = 0; // at most length
    std::vector<std::uint32_t> stripByteCounts;
    std::vector<std::uint32_t> colorMap;

    int BitsPerPixel() const { return int(bitsPerSample.front() * samplesPerPixel); }
    // One row as stored: (bits x samples x width + 7) div 8.
    std::int64_t RowBytes() const { return (std::int64_t(BitsPerPixel()) * width + 7) / 8; }
    // (length + RowsPerStrip - 1) div RowsPerStrip.
    std::int64_t StripsNeeded() const;
};
ImageLayout ReadLayout(const Directory& Dir);

} // namespace tiff
