#include "fixtures.h"

#include "imaging/formats/gif/giflzw.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

void append16(QByteArray& out, std::uint32_t v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void append32(QByteArray& out, std::uint32_t v)
{
    append16(out, v & 0xFFFF);
    append16(out, v >> 16);
}

void put32(QByteArray& out, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((v >> (8 * i)) & 0xFF);
}

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

} // namespace

QByteArray PackedBitmap(const BmpSpec& Spec)
{
    QByteArray out;
    const bool core = Spec.headerSize == 12;
    append32(out, Spec.headerSize);
    if (core) {
        append16(out, std::uint16_t(Spec.width));
        append16(out, std::uint16_t(Spec.height));
        append16(out, Spec.planes);
        append16(out, Spec.bitCount);
    } else {
        append32(out, std::uint32_t(Spec.width));
        append32(out, std::uint32_t(Spec.height));
        append16(out, Spec.planes);
        append16(out, Spec.bitCount);
        append32(out, Spec.compression);
        append32(out, std::uint32_t(Spec.pixels.size()));
        append32(out, 0);
        append32(out, 0);
        append32(out, Spec.colorsUsed);
        append32(out, 0);
        // Larger headers: zeros, with the masks at 40 when the header holds them.
        const int headerEnd = int(Spec.headerSize);
        if (headerEnd > 40) {
            const int start = out.size();
            out.append(QByteArray(headerEnd - 40, '\0'));
            for (std::size_t i = 0; i < Spec.masks.size() && 40 + 4 * int(i) + 4 <= headerEnd; ++i)
                put32(out, start + 4 * int(i), Spec.masks[i]);
        } else {
            for (std::uint32_t mask : Spec.masks)
                append32(out, mask);
        }
    }
    for (TColor c : Spec.palette) {
        out.append(char(BlueOf(c)));
        out.append(char(GreenOf(c)));
        out.append(char(RedOf(c)));
        if (!core)
            out.append('\0');
    }
    out.append(Spec.gap);
    out.append(Spec.pixels);
    return out;
}

QByteArray BmpFile(const BmpSpec& Spec)
{
    const QByteArray packed = PackedBitmap(Spec);
    const std::uint32_t pixelsAt = 14 + std::uint32_t(packed.size() - Spec.pixels.size());
    QByteArray out("BM");
    append32(out, 14 + std::uint32_t(packed.size()));
    append32(out, 0);
    append32(out, Spec.pixelOffset.value_or(pixelsAt));
    out.append(packed);
    return out;
}

QByteArray FormatExampleTrueColorBmp()
{
    return bytes({0x42, 0x4D, 0x4E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0x00, 0x00, 0x00,
                  0x28, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00,
                  0x00, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                  0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x80, 0x80, 0x00, 0x00, 0x00,
                  0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00});
}

QByteArray FormatExampleRle8Bmp()
{
    BmpSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.bitCount = 8;
    spec.compression = 1;
    spec.colorsUsed = 8;
    for (int i = 0; i < 8; ++i)
        spec.palette.push_back(RGBColor(i * 30, i * 20, i * 10));
    spec.pixels = bytes({0x03, 0x01, 0x01, 0x02, 0x00, 0x00, 0x00, 0x03, 0x04, 0x05, 0x06, 0x00, 0x00, 0x00,
                         0x00, 0x02, 0x01, 0x00, 0x02, 0x07, 0x00, 0x01});
    return BmpFile(spec);
}

QByteArray FormatExampleRle4Bmp()
{
    BmpSpec spec;
    spec.width = 10;
    spec.height = 1;
    spec.bitCount = 4;
    spec.compression = 2;
    for (int i = 0; i < 16; ++i)
        spec.palette.push_back(RGBColor(i * 16, i * 16, i * 16));
    spec.pixels = bytes({0x05, 0x12, 0x00, 0x05, 0x12, 0x34, 0x50, 0x00, 0x00, 0x01});
    return BmpFile(spec);
}

namespace {

// Numbers of one TIFF file in its byte order.
struct TiffBytes {
    bool big;
    QByteArray data;

    void put16(std::uint32_t v)
    {
        data.append(char(big ? (v >> 8) & 0xFF : v & 0xFF));
        data.append(char(big ? v & 0xFF : (v >> 8) & 0xFF));
    }
    void put32(std::uint32_t v)
    {
        put16(big ? v >> 16 : v & 0xFFFF);
        put16(big ? v & 0xFFFF : v >> 16);
    }
    void set32(int at, std::uint32_t v)
    {
        TiffBytes b{big, {}};
        b.put32(v);
        data.replace(at, 4, b.data);
    }
    void pad()
    {
        if (data.size() % 2)
            data.append('\0');
    }
};

int tiffTypeSize(std::uint16_t type)
{
    switch (type) {
    case 3:
        return 2;
    case 4:
        return 4;
    case 5:
        return 8;
    default:
        return 1;
    }
}

} // namespace

QByteArray TiffFile(const std::vector<TiffImage>& Images, bool BigEndian)
{
    TiffBytes out{BigEndian, BigEndian ? QByteArray("MM") : QByteArray("II")};
    out.put16(42);
    out.put32(0);
    std::vector<std::vector<TiffField>> directories;
    for (const TiffImage& image : Images) {
        std::vector<std::uint32_t> offsets, counts;
        for (const QByteArray& strip : image.strips) {
            out.pad();
            offsets.push_back(std::uint32_t(out.data.size()));
            counts.push_back(std::uint32_t(strip.size()));
            out.data.append(strip);
        }
        std::vector<TiffField> fields = image.fields;
        const auto has = [&fields](std::uint16_t tag) {
            return std::any_of(fields.begin(), fields.end(), [tag](const TiffField& f) { return f.tag == tag; });
        };
        if (!has(273))
            fields.push_back({273, 4, offsets});
        if (!has(279))
            fields.push_back({279, 4, counts});
        directories.push_back(std::move(fields));
    }
    int linkAt = 4;
    for (const std::vector<TiffField>& fields : directories) {
        // Values that do not fit their entries go first, then the directory.
        std::vector<QByteArray> valueFields;
        for (const TiffField& f : fields) {
            TiffBytes values{BigEndian, {}};
            for (std::uint32_t v : f.values) {
                const int size = tiffTypeSize(f.type);
                if (size == 2)
                    values.put16(v);
                else if (size == 1)
                    values.data.append(char(v));
                else
                    values.put32(v);
            }
            TiffBytes field{BigEndian, {}};
            if (f.offset) {
                field.put32(*f.offset);
            } else if (values.data.size() <= 4) {
                field.data = values.data + QByteArray(4 - values.data.size(), '\0');
            } else {
                out.pad();
                field.put32(std::uint32_t(out.data.size()));
                out.data.append(values.data);
            }
            valueFields.push_back(field.data);
        }
        out.pad();
        out.set32(linkAt, std::uint32_t(out.data.size()));
        out.put16(std::uint32_t(fields.size()));
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const TiffField& f = fields[i];
            const std::uint32_t pairs = f.type == 5 ? 2 : 1;
            out.put16(f.tag);
            out.put16(f.type);
            out.put32(f.count.value_or(std::uint32_t(f.values.size()) / pairs));
            out.data.append(valueFields[i]);
        }
        linkAt = int(out.data.size());
        out.put32(0);
    }
    return out.data;
}

TiffImage TiffStripImage(std::uint32_t Width, std::uint32_t Length, std::uint32_t Photometric,
                         std::vector<std::uint32_t> Bits, std::uint32_t RowsPerStrip, std::vector<QByteArray> Strips,
                         std::uint32_t Compression)
{
    const std::uint32_t samples = std::uint32_t(Bits.size());
    return TiffImage{{{256, 4, {Width}},
                      {257, 4, {Length}},
                      {258, 3, std::move(Bits)},
                      {259, 3, {Compression}},
                      {262, 3, {Photometric}},
                      {277, 3, {samples}},
                      {278, 4, {RowsPerStrip}}},
                     std::move(Strips)};
}

QByteArray FormatExampleTiff(bool BigEndian)
{
    const char* const little =
        "49492A0008000000 0D00"
        "FE00040001000000 00000000" "0001040001000000 01000000" "0101040001000000 01000000"
        "0201030003000000 AA000000" "0301030001000000 01000000" "0601030001000000 02000000"
        "1101040001000000 C0000000" "1501030001000000 03000000" "1601040001000000 01000000"
        "1701040001000000 03000000" "1A01050001000000 B0000000" "1B01050001000000 B8000000"
        "2801030001000000 02000000" "00000000"
        "080008000800" "2C01000001000000" "2C01000001000000" "123456";
    const char* const big =
        "4D4D002A00000008 000D"
        "00FE000400000001 00000000" "0100000400000001 00000001" "0101000400000001 00000001"
        "0102000300000003 000000AA" "0103000300000001 00010000" "0106000300000001 00020000"
        "0111000400000001 000000C0" "0115000300000001 00030000" "0116000400000001 00000001"
        "0117000400000001 00000003" "011A000500000001 000000B0" "011B000500000001 000000B8"
        "0128000300000001 00020000" "00000000"
        "000800080008" "0000012C00000001" "0000012C00000001" "123456";
    return QByteArray::fromHex(BigEndian ? big : little);
}

std::unique_ptr<TPixelGraphic> MakePatternImage(int Width, int Height, TBitCountNum BitCountNum)
{
    auto image = std::make_unique<TPixelGraphic>();
    image->Allocate(Width, Height, BitCountNum);
    static constexpr TPaletteIdent kPalettes[] = {pBlackWhite, pSys16, pGray256};
    if (BitCountNum < 3)
        image->SetPaletteIdent(kPalettes[BitCountNum]);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            if (BitCountNum == 3) {
                const int r = Width > 1 ? x * 255 / (Width - 1) : 128;
                const int g = Height > 1 ? y * 255 / (Height - 1) : 64;
                const int b = ((x / 8 + y / 8) & 1) ? 220 : 30; // a checkerboard of hard edges
                image->SetPixel(x, y, RGBColor(r, g, b));
            } else {
                image->SetPixel(x, y, std::uint32_t((x + 3 * y) % image->NumColors()));
            }
        }
    }
    return image;
}

bool SamePixels(TPixelGraphic& A, TPixelGraphic& B)
{
    if (A.Width() != B.Width() || A.Height() != B.Height() || A.BitCountNum() != B.BitCountNum()
        || A.Palette() != B.Palette())
        return false;
    for (int y = 0; y < A.Height(); ++y) {
        if (A.BitCountNum() == 3) {
            if (std::memcmp(A.ScanLine(y), B.ScanLine(y), std::size_t(A.Width()) * 3) != 0)
                return false;
            continue;
        }
        for (int x = 0; x < A.Width(); ++x)
            if (A.GetPixel(x, y) != B.GetPixel(x, y))
                return false;
    }
    return true;
}

ChunkedDevice::ChunkedDevice(QByteArray Data, std::vector<int> ChunkSizes)
    : data_(std::move(Data)), chunks_(std::move(ChunkSizes))
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool ChunkedDevice::seek(qint64 Position)
{
    if (Position < 0 || Position > data_.size())
        return false;
    return QIODevice::seek(Position);
}

qint64 ChunkedDevice::readData(char* Data, qint64 MaxSize)
{
    ++reads_;
    const qint64 at = pos();
    const qint64 chunk = chunks_.empty() ? MaxSize : chunks_[next_++ % chunks_.size()];
    const qint64 n = std::min({MaxSize, chunk, qint64(data_.size()) - at});
    if (n <= 0)
        return 0;
    std::memcpy(Data, data_.constData() + at, std::size_t(n));
    return n;
}

std::vector<std::vector<int>> ShortReadPatterns()
{
    std::vector<int> cycle(43);
    std::iota(cycle.begin(), cycle.end(), 1);
    return {{1}, {2}, {3}, {7}, {43}, cycle};
}

QByteArray FormatExampleGif()
{
    return QByteArray::fromHex("474946383761" "04000100800000" "000000FFFFFF" "2C000000000400010000"
                               "0202845100" "3B");
}

namespace {

void appendMap(QByteArray& out, const std::vector<TColor>& map)
{
    const int bits = GifBitsFor(int(map.size()));
    for (int i = 0; i < (map.empty() ? 0 : 1 << bits); ++i) {
        const TColor c = i < int(map.size()) ? map[std::size_t(i)] : 0;
        out.append(char(RedOf(c))).append(char(GreenOf(c))).append(char(BlueOf(c)));
    }
}

} // namespace

QByteArray GifFile(int Width, int Height, const std::vector<TColor>& GlobalMap, const QByteArray& Blocks, bool Trailer)
{
    QByteArray out("GIF89a");
    append16(out, std::uint32_t(Width));
    append16(out, std::uint32_t(Height));
    const int bits = GifBitsFor(int(GlobalMap.size()));
    out.append(char(GlobalMap.empty() ? 0 : 0x80 | (bits - 1))).append('\0').append('\0');
    appendMap(out, GlobalMap);
    out.append(Blocks);
    if (Trailer)
        out.append(char(0x3B));
    return out;
}

QByteArray GifImageBlock(int Left, int Top, int Width, int Height, std::uint8_t Packed,
                         const std::vector<TColor>& LocalMap, const std::vector<std::uint8_t>& Pixels, int MinCodeSize)
{
    QByteArray out(1, char(0x2C));
    append16(out, std::uint32_t(Left));
    append16(out, std::uint32_t(Top));
    append16(out, std::uint32_t(Width));
    append16(out, std::uint32_t(Height));
    if (!LocalMap.empty())
        Packed = std::uint8_t((Packed & 0x78) | 0x80 | (GifBitsFor(int(LocalMap.size())) - 1));
    out.append(char(Packed));
    appendMap(out, LocalMap);
    GifLzwEncoder encoder(MinCodeSize);
    encoder.Add(Pixels.data(), std::int64_t(Pixels.size()));
    return out.append(encoder.Finish());
}

QByteArray GifControlBlock(int Disposal, int Delay, std::optional<int> TransparentIndex)
{
    QByteArray out = QByteArray::fromHex("21F904");
    out.append(char((Disposal << 2) | (TransparentIndex ? 1 : 0)));
    append16(out, std::uint32_t(Delay));
    return out.append(char(TransparentIndex.value_or(0))).append('\0');
}

QByteArray GifLoopBlock(int Loops)
{
    QByteArray out = QByteArray::fromHex("21FF0B") + "NETSCAPE2.0" + QByteArray::fromHex("0301");
    append16(out, std::uint32_t(Loops));
    return out.append('\0');
}

namespace {

QByteArray savedAs(TPixelGraphic& Image, const QString& Extension, const SaveOptions& Options = CurrentSaveOptions())
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Image.SetColorResConversion(crcConvert);
    Image.SaveToStreamAs(buffer, Extension, Options);
    return buffer.data();
}

std::vector<Seed> bmpSeeds()
{
    std::vector<Seed> seeds{{"example_24bit.bmp", FormatExampleTrueColorBmp()},
                            {"example_rle8.bmp", FormatExampleRle8Bmp()},
                            {"example_rle4.bmp", FormatExampleRle4Bmp()}};
    for (int num = 0; num < 4; ++num) {
        auto image = MakePatternImage(13, 5, TBitCountNum(num));
        seeds.push_back({QStringLiteral("written_%1.bmp").arg(image->BitCount()), savedAs(*image, "bmp")});
    }
    BmpSpec s16;
    s16.width = 3;
    s16.height = 2;
    s16.bitCount = 16;
    s16.compression = 3;
    s16.masks = {0xF800, 0x07E0, 0x001F};
    s16.pixels = QByteArray::fromHex("FFFF00F81F000000E0070000FFFF0000");
    seeds.push_back({"bitfields_565.bmp", BmpFile(s16)});
    BmpSpec s32;
    s32.headerSize = 124;
    s32.width = 2;
    s32.height = -2;
    s32.bitCount = 32;
    s32.compression = 3;
    s32.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    s32.pixels = QByteArray::fromHex("FFFFFFFF0000000000F03F00FF030000");
    seeds.push_back({"v5_topdown_32.bmp", BmpFile(s32)});
    BmpSpec core;
    core.headerSize = 12;
    core.width = 2;
    core.height = 2;
    core.bitCount = 8;
    for (int i = 0; i < 256; ++i)
        core.palette.push_back(RGBColor(i, 255 - i, i / 2));
    core.pixels = QByteArray::fromHex("0102000003040000");
    seeds.push_back({"os2_core_8bit.bmp", BmpFile(core)});
    return seeds;
}

std::vector<Seed> jpegSeeds()
{
    std::vector<Seed> seeds;
    const bool progressive = PixelGraphicJPEGProgressive;
    const std::uint8_t quality = PixelGraphicJPEGQuality;
    struct Shape {
        const char* name;
        int width, height, num;
        bool progressive;
        int quality;
    };
    const Shape shapes[] = {
        {"baseline_q80.jpg", 24, 16, 3, false, 80}, {"progressive_q80.jpg", 24, 16, 3, true, 80},
        {"gray_q90.jpg", 17, 9, 2, false, 90},      {"gray_progressive.jpg", 9, 17, 2, true, 50},
        {"one_pixel.jpg", 1, 1, 3, false, 99},      {"odd_q20.jpg", 33, 7, 3, false, 20},
    };
    for (const Shape& shape : shapes) {
        auto image = MakePatternImage(shape.width, shape.height, TBitCountNum(shape.num));
        PixelGraphicJPEGProgressive = shape.progressive;
        PixelGraphicJPEGQuality = std::uint8_t(shape.quality);
        seeds.push_back({shape.name, savedAs(*image, "jpg")});
    }
    PixelGraphicJPEGProgressive = progressive;
    PixelGraphicJPEGQuality = quality;
    const QByteArray whole = seeds.front().data;
    seeds.push_back({"truncated.jpg", whole.left(whole.size() - 40)}); // inside the scan
    return seeds;
}

// What the library's own writer makes of each resolution it stores.
std::vector<Seed> writtenSeeds(const char* Extension, std::initializer_list<TBitCountNum> Formats)
{
    std::vector<Seed> seeds;
    for (TBitCountNum num : Formats) {
        auto image = MakePatternImage(13, 5, num);
        seeds.push_back({QStringLiteral("written_%1.%2").arg(image->BitCount()).arg(QLatin1String(Extension)),
                         savedAs(*image, QLatin1String(Extension))});
    }
    return seeds;
}

std::vector<Seed> pngSeeds()
{
    return writtenSeeds("png", {bcn1Bit, bcn4Bit, bcn8Bit, bcn24Bit});
}

std::vector<Seed> tgaSeeds()
{
    std::vector<Seed> seeds = writtenSeeds("tga", {bcn8Bit, bcn24Bit});
    // 3 x 2, run-length, top to bottom: a run of three, then a literal of three, across rows.
    seeds.push_back({"rle_24bit_top_down.tga", QByteArray::fromHex("00000A000000000000000000030002001820"
                                                                   "82 0000FF  02 00FF00 FF0000 000000")});
    // 2 x 1 grey and a map that starts at entry 2.
    seeds.push_back({"mapped_first_entry_2.tga", QByteArray::fromHex("000101020002001800000000020001000800"
                                                                     "0000FF 00FF00  0203")});
    return seeds;
}

std::vector<Seed> pcxSeeds()
{
    // 4 x 1 at 8 bits with its trailer, and 2 x 1 in three planes.
    QByteArray header8(128, '\0');
    header8[0] = 10, header8[1] = 5, header8[2] = 1, header8[3] = 8, header8[8] = 3, header8[65] = 1;
    header8[66] = 4, header8[68] = 1;
    QByteArray palette(769, '\0');
    palette[0] = 12;
    for (int i = 1; i < 769; ++i)
        palette[i] = char(i * 7);
    QByteArray header24 = header8;
    header24[8] = 1, header24[65] = 3, header24[66] = 2;
    return {{"example_8bit.pcx", header8 + QByteArray::fromHex("C30709") + palette},
            {"planes_24bit.pcx", header24 + QByteArray::fromHex("C2FF 0102 C2C1")}};
}

std::vector<Seed> pnmSeeds()
{
    std::vector<Seed> seeds;
    const bool binary = PxMWriteBinary;
    for (bool raw : {false, true}) {
        PxMWriteBinary = raw;
        for (Seed& seed : writtenSeeds("pbm", {bcn1Bit}))
            seeds.push_back({(raw ? "raw_" : "text_") + seed.name, seed.data});
        for (Seed& seed : writtenSeeds("pgm", {bcn8Bit}))
            seeds.push_back({(raw ? "raw_" : "text_") + seed.name, seed.data});
        for (Seed& seed : writtenSeeds("ppm", {bcn24Bit}))
            seeds.push_back({(raw ? "raw_" : "text_") + seed.name, seed.data});
    }
    PxMWriteBinary = binary;
    seeds.push_back({"comments_maxval_15.pgm", QByteArray("P2 # comment\n3 1\n15\n0 7 15\n")});
    return seeds;
}

std::vector<Seed> tiffSeeds()
{
    std::vector<Seed> seeds{{"example_ii.tif", FormatExampleTiff(false)}, {"example_mm.tif", FormatExampleTiff(true)}};
    for (int num = 0; num < 4; ++num) {
        auto image = MakePatternImage(13, 5, TBitCountNum(num));
        for (bool packBits : {false, true}) {
            SaveOptions options = CurrentSaveOptions();
            options.TIFF = {packBits ? 32773 : 1, packBits, packBits, packBits}; // and CMYK, WhiteIsZero, "MM"
            seeds.push_back({QStringLiteral("written_%1%2.tif").arg(image->BitCount()).arg(packBits ? "_packbits_mm" : ""),
                             savedAs(*image, "tif", options)});
        }
    }
    auto palette = MakePatternImage(9, 70, bcn4Bit);
    palette->SetPaletteEntry(3, RGBColor(1, 2, 3));
    seeds.push_back({"palette_16.tif", savedAs(*palette, "tif")});

    const TiffImage gray = TiffStripImage(2, 2, 1, {8}, 1, {bytes({1, 2}), bytes({3, 4})});
    const TiffImage rgba = TiffStripImage(1, 2, 2, {8, 8, 8, 8}, 2, {bytes({1, 2, 3, 4, 5, 6, 7, 8})});
    seeds.push_back({"three_directories.tif", TiffFile({gray, rgba, gray})});
    TiffImage oneStrip = TiffStripImage(2, 2, 0, {8}, 0, {bytes({1, 2, 3, 4})});
    oneStrip.fields.pop_back(); // no RowsPerStrip
    seeds.push_back({"no_rows_per_strip.tif", TiffFile({oneStrip}, true)});
    seeds.push_back({"packbits_runs.tif", TiffFile({TiffStripImage(4, 2, 1, {8}, 2, {bytes({1, 1, 2, 0xFF, 7, 0x80, 0xFD, 9})}, 32773)})});
    return seeds;
}

std::vector<Seed> gifSeeds()
{
    const std::vector<TColor> gray4{RGBColor(0, 0, 0), RGBColor(85, 85, 85), RGBColor(170, 170, 170),
                                    RGBColor(255, 255, 255)};
    std::vector<std::uint8_t> pattern(24 * 10);
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = std::uint8_t((i / 3 + i % 7) % 4);
    std::vector<Seed> seeds{{"example.gif", FormatExampleGif()}};
    seeds.push_back({"animation.gif", GifFile(24, 10, gray4,
                                              GifLoopBlock(0) + GifControlBlock(2, 7, 3)
                                                  + GifImageBlock(0, 0, 24, 10, 0, {}, pattern, 2)
                                                  + QByteArray::fromHex("21FE0568656C6C6F00") // a comment
                                                  + GifControlBlock(3, 0)
                                                  + GifImageBlock(5, 2, 8, 5, 0x40, std::vector<TColor>(16, RGBColor(9, 8, 7)),
                                                                  std::vector<std::uint8_t>(pattern.begin(), pattern.begin() + 40), 4))});
    seeds.push_back({"interlaced_local_map.gif",
                     GifFile(7, 9, {}, GifImageBlock(0, 0, 7, 9, 0x40, gray4, std::vector<std::uint8_t>(pattern.begin(), pattern.begin() + 63), 2))});
    auto image = MakePatternImage(31, 13, bcn24Bit);
    seeds.push_back({"written_256.gif", savedAs(*image, "gif")});
    const QByteArray whole = seeds.back().data;
    seeds.push_back({"truncated.gif", whole.left(whole.size() / 2)});
    return seeds;
}

} // namespace

std::vector<Seed> SeedsFor(const QString& Target)
{
    if (Target == QLatin1String("fuzz_bmp"))
        return bmpSeeds();
    if (Target == QLatin1String("fuzz_jpeg"))
        return jpegSeeds();
    if (Target == QLatin1String("fuzz_png"))
        return pngSeeds();
    if (Target == QLatin1String("fuzz_tga"))
        return tgaSeeds();
    if (Target == QLatin1String("fuzz_pcx"))
        return pcxSeeds();
    if (Target == QLatin1String("fuzz_pnm"))
        return pnmSeeds();
    if (Target == QLatin1String("fuzz_gif") || Target == QLatin1String("fuzz_gif_second"))
        return gifSeeds();
    if (Target == QLatin1String("fuzz_tiff"))
        return tiffSeeds();
    return {};
}
