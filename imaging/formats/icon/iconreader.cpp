// Reading Windows icon files: the directory, then one entry through tIconHandler.
#include "iconformat.h"
#include "iconhandler.h"

#include "imaging/bytestream.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <QIODevice>

#include <algorithm>
#include <vector>

namespace {

constexpr int kDirectorySize = 6;
constexpr int kEntrySize = 16;
constexpr std::uint16_t kIconKind = 1;
constexpr std::uint16_t kCursorKind = 2;

[[noreturn]] void raiseNotAnIcon()
{
    throw EPixelGraphic(QStringLiteral("Not an Icon file"));
}

struct DirectoryEntry {
    int width = 0; // from the directory: 0 stands for 256
    int height = 0;
    int bitCount = 0;
    std::uint32_t size = 0;
    std::uint32_t offset = 0; // from the start of the icon
};

struct Directory {
    std::int64_t start = 0;
    std::vector<DirectoryEntry> entries;
};

// The directory of the icon at the stream's position, checked: every entry inside the stream,
// and an icon, not a cursor. The stream is put back where it was.
Directory readDirectory(QIODevice& Stream)
{
    Directory directory;
    directory.start = Stream.pos();
    const std::int64_t available = Stream.size() - directory.start;
    if (Stream.isSequential() || available <= kDirectorySize)
        raiseNotAnIcon();
    std::uint16_t kind = 0;
    {
        ByteReader reader(Stream, raiseNotAnIcon);
        const std::uint16_t reserved = reader.U16();
        kind = reader.U16();
        const std::uint16_t count = reader.U16();
        if (reserved != 0 || (kind != kIconKind && kind != kCursorKind) || count < 1
            || !OffsetPlusLengthFits(kDirectorySize, std::int64_t(count) * kEntrySize, available))
            raiseNotAnIcon();
        for (int i = 0; i < count; ++i) {
            DirectoryEntry e;
            e.width = reader.U8();
            e.height = reader.U8();
            reader.Skip(4); // colour count, reserved, planes
            e.bitCount = reader.U16();
            e.size = reader.U32();
            e.offset = reader.U32();
            if (!OffsetPlusLengthFits(e.offset, e.size, available))
                raiseNotAnIcon();
            directory.entries.push_back(e);
        }
    }
    Stream.seek(directory.start);
    if (kind != kIconKind)
        raiseNotAnIcon();
    return directory;
}

// Up to Count bytes of an entry from its start; an entry whose bytes do not come is refused.
std::vector<std::uint8_t> readEntry(QIODevice& Stream, const Directory& Dir, const DirectoryEntry& Entry,
                                    std::uint32_t Count)
{
    if (!Stream.seek(Dir.start + Entry.offset))
        RaiseIconIndexOutOfBounds();
    std::vector<std::uint8_t> bytes(std::min(Count, Entry.size));
    ByteReader reader(Stream, RaiseIconIndexOutOfBounds);
    reader.Read(bytes.data(), std::int64_t(bytes.size()));
    return bytes;
}

// What GetInfo tells of an entry: its bitmap header, or the directory's word where the entry is
// no bitmap (a compressed image).
struct EntryInfo {
    int width, height, bitCount;
};

EntryInfo entryInfo(QIODevice& Stream, const Directory& Dir, const DirectoryEntry& Entry)
{
    const std::vector<std::uint8_t> header = readEntry(Stream, Dir, Entry, tIconHandler::InfoHeaderSize);
    if (tIconHandler::StartsWithInfoHeader(header.data(), header.size()))
        return {std::int32_t(GetU32(&header[4])), std::int32_t(GetU32(&header[8])) / 2, GetU16(&header[14])};
    return {Entry.width == 0 ? 256 : Entry.width, Entry.height == 0 ? 256 : Entry.height, Entry.bitCount};
}

std::int64_t colorCount(int BitCount)
{
    return BitCount <= 0 ? 0 : std::int64_t(1) << std::min(BitCount, 24);
}

QString range(const char* Word, std::int64_t Low, std::int64_t High)
{
    return QString::fromLatin1(Word) + QString::number(Low) + QStringLiteral("..") + QString::number(High);
}

} // namespace

tIcoFileFormatReader::tIcoFileFormatReader()
    : TFileFormatReader(QStringLiteral("tIcoFileFormatReader"), QStringLiteral("ico"), QStringLiteral("Windows Icon"), true)
{
}

bool tIcoFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return GetU16(&Header[0]) == 0 && GetU16(&Header[2]) == kIconKind && GetU16(&Header[4]) > 0;
}

void tIcoFileFormatReader::Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const
{
    Graphic.SetBackground(IconBackground);
    const Directory directory = readDirectory(Stream);
    if (ImageIndex < 0 || std::size_t(ImageIndex) >= directory.entries.size())
        RaiseIconIndexOutOfBounds();
    const DirectoryEntry& entry = directory.entries[std::size_t(ImageIndex)];
    const std::vector<std::uint8_t> bytes = readEntry(Stream, directory, entry, entry.size);
    tIconHandler handler;
    handler.Decode(bytes.data(), bytes.size());
    handler.Produce(Graphic, IconLoadMode, IconBackground);
}

void tIcoFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const
{
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    const Directory directory = readDirectory(Stream);
    std::vector<EntryInfo> entries;
    for (const DirectoryEntry& entry : directory.entries)
        entries.push_back(entryInfo(Stream, directory, entry));
    Stream.seek(directory.start);
    Info.ImageCount = int(entries.size());
    Info.Width = entries[0].width;
    Info.Height = entries[0].height;
    Info.BitsPerPixel = entries[0].bitCount;
    if (entries.size() == 1) {
        Info.ColorsText = ColorsTextOfBitCount(entries[0].bitCount);
        return;
    }
    const auto byWidth = [](const EntryInfo& a, const EntryInfo& b) { return a.width < b.width; };
    const auto byColors = [](const EntryInfo& a, const EntryInfo& b) {
        return colorCount(a.bitCount) < colorCount(b.bitCount);
    };
    const auto [narrowest, widest] = std::minmax_element(entries.begin(), entries.end(), byWidth);
    const auto [fewest, most] = std::minmax_element(entries.begin(), entries.end(), byColors);
    Info.SubFormat = range("Sizes ", narrowest->width, widest->width);
    Info.ColorsText = range("Colors ", colorCount(fewest->bitCount), colorCount(most->bitCount));
}

void RegisterIconFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<tIcoFileFormatReader>());
}
