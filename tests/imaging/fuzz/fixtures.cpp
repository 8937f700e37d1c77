#include "fixtures.h"

#include "imaging/formats/gif/giflzw.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>
#include <QFile>

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

// ---- Metafiles ----

QByteArray WmfWords(std::initializer_list<int> Words)
{
    QByteArray out;
    for (int w : Words)
        append16(out, std::uint32_t(w) & 0xFFFF);
    return out;
}

WmfRecords& WmfRecords::Add(std::uint16_t Function, std::initializer_list<int> Words)
{
    return Add(Function, WmfWords(Words));
}

WmfRecords& WmfRecords::Add(std::uint16_t Function, const QByteArray& Parameters)
{
    const std::uint32_t words = 3 + std::uint32_t(Parameters.size() + 1) / 2;
    append32(records_, words);
    append16(records_, Function);
    records_.append(Parameters);
    if (Parameters.size() % 2)
        records_.append('\0');
    largest_ = std::max(largest_, words);
    return *this;
}

QByteArray WmfRecords::Metafile(int Objects) const
{
    QByteArray out;
    append16(out, 1);
    append16(out, 9);
    append16(out, 0x0300);
    append32(out, std::uint32_t(18 + records_.size() + 6) / 2);
    append16(out, std::uint32_t(Objects));
    append32(out, largest_);
    append16(out, 0);
    out.append(records_);
    append32(out, 3); // the end record
    append16(out, 0);
    return out;
}

QByteArray PlaceableHeader(int Left, int Top, int Right, int Bottom, int Inch, std::optional<std::uint16_t> Checksum)
{
    QByteArray out;
    append32(out, 0x9AC6CDD7);
    append16(out, 0);
    for (int v : {Left, Top, Right, Bottom})
        append16(out, std::uint32_t(v) & 0xFFFF);
    append16(out, std::uint32_t(Inch));
    append32(out, 0);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= std::uint16_t(std::uint8_t(out[2 * i]) | std::uint8_t(out[2 * i + 1]) << 8);
    append16(out, Checksum.value_or(sum));
    return out;
}

EmfRecords& EmfRecords::Add(std::uint32_t Type, std::initializer_list<std::int64_t> Fields)
{
    QByteArray body;
    for (std::int64_t f : Fields)
        append32(body, std::uint32_t(f));
    return Add(Type, body);
}

EmfRecords& EmfRecords::Add(std::uint32_t Type, const QByteArray& Body)
{
    append32(records_, Type);
    append32(records_, std::uint32_t(8 + Body.size()));
    records_.append(Body);
    ++count_;
    return *this;
}

QByteArray EmfRecords::Metafile(const EmfFrame& Frame) const
{
    QByteArray end;
    append32(end, 14);
    append32(end, std::uint32_t(20 + 4 * Frame.palette.size()));
    append32(end, std::uint32_t(Frame.palette.size()));
    append32(end, 16);
    for (TColor c : Frame.palette) {
        end.append(char(RedOf(c)));
        end.append(char(GreenOf(c)));
        end.append(char(BlueOf(c)));
        end.append('\0');
    }
    append32(end, std::uint32_t(20 + 4 * Frame.palette.size()));

    QByteArray out;
    append32(out, 1);
    append32(out, 88);
    // Bounds: the frame in device pixels, inclusive.
    const auto pixels = [&](int i, int axis) {
        return std::int64_t(Frame.frame[i]) * Frame.device[axis] / (std::int64_t(Frame.millimetres[axis]) * 100);
    };
    for (std::int64_t v : {pixels(0, 0), pixels(1, 1), pixels(2, 0) - 1, pixels(3, 1) - 1})
        append32(out, std::uint32_t(v));
    for (std::int32_t v : Frame.frame)
        append32(out, std::uint32_t(v));
    append32(out, 0x464D4520);
    append32(out, 0x10000);
    append32(out, std::uint32_t(88 + records_.size() + end.size()));
    append32(out, std::uint32_t(count_ + 2));
    append16(out, Frame.handles);
    append16(out, 0);
    append32(out, 0); // no description
    append32(out, 0);
    append32(out, std::uint32_t(Frame.palette.size()));
    for (std::int32_t v : {Frame.device[0], Frame.device[1], Frame.millimetres[0], Frame.millimetres[1]})
        append32(out, std::uint32_t(v));
    out.append(records_);
    out.append(end);
    return out;
}

EmfBody& EmfBody::operator()(std::initializer_list<std::int64_t> Fields)
{
    for (std::int64_t f : Fields)
        put(std::uint32_t(f));
    return *this;
}

EmfBody& EmfBody::Raw(const QByteArray& Bytes)
{
    fields_ += Bytes;
    return *this;
}

EmfBody& EmfBody::Dib(const std::pair<QByteArray, QByteArray>& Bitmap, std::uint32_t Usage, bool UsageLast)
{
    if (!UsageLast)
        put(Usage);
    place(Bitmap.first);
    place(Bitmap.second);
    if (UsageLast)
        put(Usage);
    return *this;
}

EmfBody::operator QByteArray() const
{
    QByteArray out = fields_;
    for (auto [field, offset] : places_)
        put32(out, int(field), std::uint32_t(8 + fields_.size() + offset));
    out += data_;
    return out.leftJustified((out.size() + 3) / 4 * 4, '\0');
}

void EmfBody::put(std::uint32_t Value)
{
    append32(fields_, Value);
}

void EmfBody::place(const QByteArray& Bytes)
{
    places_.emplace_back(fields_.size(), data_.size());
    put(0);
    put(std::uint32_t(Bytes.size()));
    data_ += Bytes;
}

std::pair<QByteArray, QByteArray> RecordBitmap(int Width, const std::vector<std::vector<TColor>>& Rows, int Bits,
                                               const std::vector<std::uint8_t>& Alpha)
{
    BmpSpec spec;
    spec.width = Width;
    spec.height = int(Rows.size());
    spec.bitCount = std::uint16_t(Bits);
    for (std::size_t y = Rows.size(); y-- > 0;) {
        QByteArray row;
        for (int x = 0; x < Width; ++x) {
            const TColor c = Rows[y][std::size_t(x)];
            row += char(BlueOf(c));
            row += char(GreenOf(c));
            row += char(RedOf(c));
            if (Bits == 32)
                row += char(Alpha.empty() ? 0 : Alpha[y * std::size_t(Width) + std::size_t(x)]);
        }
        spec.pixels += row.leftJustified((row.size() + 3) / 4 * 4, '\0');
    }
    const QByteArray packed = PackedBitmap(spec);
    return {packed.left(40), packed.mid(40)};
}

std::pair<QByteArray, QByteArray> RecordMonoBitmap(int Width, const std::vector<std::vector<int>>& Rows,
                                                   bool PaletteIndices)
{
    BmpSpec spec;
    spec.width = Width;
    spec.height = int(Rows.size());
    spec.bitCount = 1;
    spec.palette = {RGBColor(0, 0, 0), RGBColor(255, 255, 255)};
    for (std::size_t y = Rows.size(); y-- > 0;) {
        QByteArray row((Width + 31) / 32 * 4, '\0');
        for (int x = 0; x < Width; ++x)
            row[x / 8] = char(row[x / 8] | Rows[y][std::size_t(x)] << (7 - x % 8));
        spec.pixels += row;
    }
    const QByteArray packed = PackedBitmap(spec);
    QByteArray indices;
    append16(indices, 1);
    append16(indices, 0);
    return {PaletteIndices ? packed.left(40) + indices : packed.left(48), packed.mid(48)};
}

QByteArray FormatExampleWmf()
{
    return QByteArray::fromHex("D7CDC69A0000 0000 0000 C800 6400 C800 00000000 7557"
                               "0100 0900 0003 34000000 0200 08000000 0000"
                               "05000000 0B02 0000 0000"
                               "05000000 0C02 6400 C800"
                               "07000000 FC02 0000 FF000000 0000"
                               "04000000 2D01 0000"
                               "08000000 FA02 0500 0000 0000 00000000"
                               "04000000 2D01 0100"
                               "07000000 1B04 4B00 9600 1900 3200"
                               "03000000 0000");
}

QByteArray FormatExampleEmf()
{
    return QByteArray::fromHex("01000000 58000000 00000000 00000000 5F000000 2F000000"
                               "00000000 00000000 EC090000 F6040000 20454D46 00000100"
                               "B4000000 06000000 0200 0000 00000000 00000000 00000000"
                               "C0030000 E0010000 FE000000 7F000000"
                               "27000000 18000000 01000000 00000000 0000FF00 00000000"
                               "25000000 0C000000 01000000"
                               "25000000 0C000000 08000080"
                               "2A000000 18000000 18000000 0C000000 48000000 24000000"
                               "0E000000 14000000 00000000 10000000 14000000");
}

namespace {

QByteArray le32s(std::initializer_list<std::int64_t> Fields)
{
    QByteArray out;
    for (std::int64_t f : Fields)
        append32(out, std::uint32_t(f));
    return out;
}

QByteArray words16(std::initializer_list<int> Words)
{
    QByteArray out;
    for (int w : Words)
        append16(out, std::uint32_t(w) & 0xFFFF);
    return out;
}

QByteArray sampleBitmap(int BitCount)
{
    BmpSpec spec;
    spec.width = 4;
    spec.height = 4;
    spec.bitCount = std::uint16_t(BitCount);
    if (BitCount == 8) {
        spec.colorsUsed = 4;
        spec.palette = {RGBColor(200, 0, 0), RGBColor(0, 200, 0), RGBColor(0, 0, 200), RGBColor(250, 250, 0)};
        spec.pixels = QByteArray::fromHex("00010203 01020300 02030001 03000102");
    } else {
        spec.palette = {RGBColor(0, 0, 0), RGBColor(255, 255, 255)};
        spec.pixels = QByteArray::fromHex("A0000000 50000000 A0000000 50000000");
    }
    return PackedBitmap(spec);
}

} // namespace

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

namespace {

// The frame of the sample pictures: 160 x 120 pixels.
EmfFrame frame160x120(std::uint16_t Handles)
{
    EmfFrame frame;
    frame.frame[2] = 4233;
    frame.frame[3] = 3175;
    frame.handles = Handles;
    return frame;
}

} // namespace

QByteArray SampleWmf()
{
    const auto color = [](TColor c) { return std::pair<int, int>(int(c & 0xFFFF), int(c >> 16)); };
    const auto [blueLo, blueHi] = color(RGBColor(0, 0, 255));
    const auto [redLo, redHi] = color(RGBColor(255, 0, 0));
    const auto [yellowLo, yellowHi] = color(RGBColor(255, 255, 0));
    WmfRecords r;
    r.Add(0x020B, {0, 0}).Add(0x020C, {300, 400});                      // window
    r.Add(0x0102, {2}).Add(0x0201, {yellowLo, yellowHi});               // opaque, yellow
    r.Add(0x02FC, {2, blueLo, blueHi, 5}).Add(0x012D, {0});             // hatched brush
    r.Add(0x02FA, {0, 3, 0, redLo, redHi}).Add(0x012D, {1});            // red pen, 3 wide
    r.Add(0x061C, {40, 40, 140, 190, 10, 10});                          // round rectangle
    r.Add(0x081A, {10, 295, 75, 390, 140, 390, 10, 200});               // pie
    r.Add(0x0830, {150, 100, 220, 10, 290, 190, 150, 10});              // chord
    r.Add(0x0817, {290, 300, 150, 390, 290, 390, 150, 210});            // arc
    r.Add(0x02FA, {1, 1, 0, 0, 0}).Add(0x012D, {2});                    // dashed pen
    r.Add(0x0325, {4, 10, 295, 100, 200, 200, 295, 300, 200});          // polyline
    r.Add(0x0106, {2}).Add(0x0538, {2, 4, 4, 220, 160, 380, 160, 380, 280, 220, 280,
                                    260, 190, 340, 190, 340, 250, 260, 250}); // polygon with a hole
    r.Add(0x0142, QByteArray::fromHex("0500 0000") + sampleBitmap(1)).Add(0x012D, {3}); // pattern brush
    r.Add(0x041B, {140, 60, 100, 20});                                  // rectangle
    r.Add(0x0B41, QByteArray::fromHex("2000CC00 0400 0400 0000 0000 3C00 5000 B400 1E01") + sampleBitmap(8));
    r.Add(0x0940, QByteArray::fromHex("2000CC00 0000 0000 0400 0400 0A00 0A00") + sampleBitmap(8));
    r.Add(0x0F43, QByteArray::fromHex("2000CC00 0000 0200 0200 0100 0100 2800 2800 0A00 5A01") + sampleBitmap(8));
    r.Add(0x061D, {0x0021, 0x00F0, 20, 20, 270, 360});                  // pattern blit
    r.Add(0x001E, {}).Add(0x0416, {120, 380, 20, 300}).Add(0x0415, {80, 360, 60, 320});
    r.Add(0x0418, {130, 390, 10, 290}).Add(0x0127, {-1});               // clipped ellipse
    QByteArray font = words16({-24, 0, 0, 0, 700}) + QByteArray::fromHex("01 01 00 00 00 00 00 00");
    font += QByteArray("Arial").leftJustified(32, '\0');
    r.Add(0x02FB, font).Add(0x012D, {4});                                // bold italic font
    r.Add(0x0209, {redLo, redHi}).Add(0x012E, {6 | 24});                 // centred on the baseline
    r.Add(0x0521, QByteArray::fromHex("0800") + QByteArray("Metafile") + words16({150, 200}));
    QByteArray ext = words16({260, 20, 5, 6, 10, 250, 120, 290}) + QByteArray("Text\x80") + QByteArray(1, '\0');
    r.Add(0x0A32, ext + words16({14, 14, 14, 14, 14}));                  // opaque, clipped, spaced
    r.Add(0x0103, {3}).Add(0x020B, {0, 0}).Add(0x0418, {-2000, 3000, -1000, 2000}); // hundredths of a mm
    r.Add(0x00F7, QByteArray::fromHex("0003 0100 FF000000")).Add(0x0234, {5}).Add(0x01F0, {5});
    r.Add(0x01F0, {0}).Add(0x01F0, {1}).Add(0x01F0, {2}).Add(0x01F0, {3}).Add(0x01F0, {4});
    return PlaceableHeader(0, 0, 400, 300, 240) + r.Metafile(8);
}

QByteArray SampleEmf()
{
    EmfRecords r;
    r.Add(17, {8}).Add(9, {400, 300}).Add(11, {160, 120});               // 400 x 300 onto the frame
    r.Add(12, {0, 0}).Add(18, {1});                                      // transparent background
    r.Add(95, le32s({1, 0, 0, 0, 0, 0x00010000 | 7 | 0x100 | 0x2000, 4, 0, RGBColor(0, 128, 0), 0, 4, 12, 4, 4, 4}));
    r.Add(37, {1}).Add(39, {2, 2, RGBColor(0, 0, 255), 4}).Add(37, {2}); // user-style pen, cross hatch
    r.Add(86, le32s({0, 0, 0, 0, 3}) + words16({10, 10, 190, 10, 100, 140}));               // polygon16
    r.Add(85, le32s({0, 0, 0, 0, 4}) + words16({210, 140, 250, 10, 330, 10, 390, 140}));   // bezier16
    r.Add(27, {10, 290}).Add(89, le32s({0, 0, 0, 0, 3}) + words16({60, 160, 110, 290, 160, 160}));
    r.Add(88, le32s({0, 0, 0, 0, 3}) + words16({200, 160, 240, 290, 280, 160}));
    r.Add(91, le32s({0, 0, 0, 0, 2, 8, 4, 4})
                  + words16({300, 160, 390, 160, 390, 290, 300, 290, 320, 180, 370, 180, 370, 270, 320, 270}));
    r.Add(59, {}).Add(27, {20, 150}).Add(54, {120, 150}).Add(54, {70, 200}).Add(61, {}).Add(60, {});
    r.Add(63, {0, 0, 0, 0});                                             // stroke and fill the path
    r.Add(33, {});
    r.Add(35, le32s({0x3F5DB3D7, 0x3F000000, std::int64_t(0xBF000000), 0x3F5DB3D7, 0x43480000, 0x42C80000})); // 30 degrees
    r.Add(43, {-40, -20, 40, 20}).Add(36, le32s({0, 0, 0, 0, 0, 0, 1}));
    r.Add(34, {-1});
    r.Add(57, {2}).Add(45, {200, 200, 300, 280, 300, 240, 250, 200}).Add(57, {1});
    r.Add(55, {220, 210, 280, 270, 280, 240, 250, 210}).Add(54, {200, 290});
    r.Add(47, {320, 200, 390, 290, 390, 245, 355, 200}).Add(46, {10, 200, 60, 290, 60, 245, 10, 245});
    r.Add(44, {70, 220, 130, 290, 20, 20});
    r.Add(75, le32s({48, 5, 32, 1, 1, 16, 0, 0, 200, 150, 0, 0, 200, 150}));   // clip to the upper left
    r.Add(42, {150, 100, 250, 200}).Add(75, le32s({0, 5}));
    r.Add(59, {}).Add(42, {300, 0, 400, 100}).Add(60, {}).Add(67, {5});        // clip to a circle
    r.Add(76, le32s({0, 0, 0, 0, 300, 0, 100, 100, 0x00F00021, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    r.Add(75, le32s({0, 5}));
    const QByteArray bitmap = sampleBitmap(8);
    r.Add(81, le32s({0, 0, 0, 0, 160, 100, 0, 0, 4, 4, 80, bitmap.size() - 16, 80 + bitmap.size() - 16, 16, 0,
                     0x00CC0020, 80, 60}) + bitmap);
    r.Add(77, le32s({0, 0, 0, 0, 10, 100, 40, 40, 0x00CC0020, 0, 0, 0x3F800000, 0, 0, 0x3F800000, 0, 0, 0, 0, 108,
                     bitmap.size() - 16, 108 + bitmap.size() - 16, 16, 4, 4}) + bitmap);
    QByteArray font = le32s({3, -20, 0, 450, 450, 400}) + QByteArray::fromHex("00 01 00 00 00 00 00 00");
    QByteArray face(64, '\0');
    const QString family = QStringLiteral("DejaVu Sans");
    for (int i = 0; i < family.size(); ++i)
        face[2 * i] = char(family[i].unicode());
    r.Add(82, font + face).Add(37, {3}).Add(24, {RGBColor(128, 0, 128)}).Add(22, {0});
    r.Add(84, le32s({0, 0, 0, 0, 1, 0, 0, 200, 150, 5, 76, 0, 0, 0, 0, 0, 0})
                  + QByteArray::fromHex("480065006C006C006F000000")); // "Hello"
    r.Add(83, le32s({0, 0, 0, 0, 1, 0, 0, 20, 20, 4, 60, 0x102, 64}) + QByteArray("emf!") + le32s({12, 12, 12, 12}));
    r.Add(70, le32s({8, 0x2B464D45, 1}));                                 // a comment, ignored
    r.Add(40, {1}).Add(40, {2}).Add(40, {3});
    return r.Metafile(frame160x120(4));
}

QByteArray SamplePixelsEmf()
{
    const TColor red = RGBColor(255, 0, 0), green = RGBColor(0, 255, 0), blue = RGBColor(0, 0, 255);
    const std::int64_t one = 0x3F800000; // 1.0 as a float
    const auto transfer = [one](std::initializer_list<std::int64_t> Dest, std::int64_t Rop,
                                const std::pair<QByteArray, QByteArray>& Bitmap) {
        EmfBody body{0, 0, 0, 0};
        body(Dest)({Rop, 0, 0, one, 0, 0, one, 0, 0, 0});
        return body.Dib(Bitmap);
    };
    const auto quad = RecordBitmap(2, {{red, green}, {blue, red}});
    const auto mask = RecordMonoBitmap(2, {{1, 0}, {0, 1}});
    EmfRecords r;
    r.Add(17, {8}).Add(9, {400, 300}).Add(11, {160, 120});                       // 400 x 300 onto the frame
    r.Add(49, {4, 0x0300 | 3 << 16, red, green, blue}).Add(48, {4});              // a palette of three
    r.Add(50, {4, 2, 1, RGBColor(250, 250, 0)}).Add(51, {4, 4}).Add(52, {});
    r.Add(39, {1, 0, 0x01000002, 0}).Add(37, {1}).Add(43, {0, 0, 40, 40});         // a palette-index colour
    r.Add(118, EmfBody{0, 0, 0, 0, 2, 1, 0, 40, 0, 0xFF00, 0, 200, 100, 0, 0xFF00}({0, 1}));     // left to right
    r.Add(118, EmfBody{0, 0, 0, 0, 3, 1, 2, 200, 0, 0xFF00, 0, 400, 0, 0, 0xFF00, 300, 100, 0xFF00FF00, 0}({0, 1, 2}));
    r.Add(20, {7}).Add(43, {20, 20, 120, 80}).Add(20, {13});                       // xor, then copy again
    r.Add(81, EmfBody{0, 0, 0, 0, 0, 100, 0, 0, 2, 2}.Dib(RecordMonoBitmap(2, {{0, 1}, {1, 0}}, true), 1, true)(
                  {0x00CC0020, 60, 60}));
    r.Add(80, EmfBody{0, 0, 0, 0, 80, 100, 0, 0, 2, 2}.Dib(quad, 0, true)({0, 2}));
    r.Add(114, transfer({100, 100, 60, 60}, 0x01800000,
                        RecordBitmap(2, {{red, 0}, {0, blue}}, 32, {255, 0, 0, 128}))({2, 2}));
    r.Add(116, transfer({170, 100, 60, 60}, green, quad)({2, 2}));
    r.Add(78, transfer({240, 100, 2, 2}, 0xAACC0020, quad)({0, 0}).Dib(mask));
    r.Add(79, EmfBody{0, 0, 0, 0, 300, 100, 380, 120, 290, 170, 0, 0, 2, 2, one, 0, 0, one, 0, 0, 0}.Dib(quad)({0, 0}).Dib(mask));
    r.Add(76, transfer({0, 170, 60, 60}, 0x005A0049, {})({}));                      // pattern xor the picture
    r.Add(24, {red}).Add(25, {blue});
    r.Add(93, EmfBody{2}.Dib(RecordMonoBitmap(8, std::vector<std::vector<int>>(8, {0, 1, 0, 1, 1, 0, 1, 0})), 2));
    r.Add(37, {2}).Add(13, {3, 1});
    const EmfBody region = EmfBody{32, 1, 2, 32, 0, 0, 0, 0}({70, 170, 120, 220, 130, 200, 180, 240});
    r.Add(71, EmfBody{0, 0, 0, 0, 64, 2}.Raw(region)).Add(72, EmfBody{0, 0, 0, 0, 64, 1, 4, 3}.Raw(region));
    r.Add(73, EmfBody{0, 0, 0, 0, 64}.Raw(region)).Add(74, EmfBody{0, 0, 0, 0, 64}.Raw(region));
    r.Add(15, {390, 290, red}).Add(15, {391, 290, green}).Add(53, {10, 10, red, 1}).Add(53, {250, 250, 0, 0});
    r.Add(27, {200, 250}).Add(41, {230, 250, 30, 0x42340000, 0x43870000});          // 45 degrees, swept 270
    r.Add(56, EmfBody{0, 0, 0, 0, 5, 200, 200, 260, 200, 280, 230, 300, 260, 260, 290}.Raw(QByteArray::fromHex("0602040405000000")));
    r.Add(92, EmfBody{0, 0, 0, 0, 3}.Raw(QByteArray::fromHex("1E00FA002800FA002800040106020300")));
    r.Add(58, {0x40A00000}).Add(59, {}).Add(27, {320, 200}).Add(54, {390, 280}).Add(60, {}).Add(66, {}).Add(62, {0, 0, 0, 0});
    r.Add(59, {}).Add(85, EmfBody{0, 0, 0, 0, 4}.Raw(QByteArray::fromHex("14002C01460096007800C800960022010000")));
    r.Add(60, {}).Add(65, {}).Add(62, {0, 0, 0, 0});
    QByteArray face(64, '\0');
    const QString family = QStringLiteral("DejaVu Sans");
    for (int i = 0; i < family.size(); ++i)
        face[2 * i] = char(family[i].unicode());
    r.Add(82, EmfBody{3, -18, 0, 0, 0, 400}.Raw(QByteArray(8, '\0') + face)).Add(37, {3});
    r.Add(97, EmfBody{0, 0, 0, 0, 1, 0, 0, 2, 10, 250, 2, 88, 0x100, 0, 10, 270, 2, 92, 0x100, 0}.Raw(
                  QByteArray::fromHex("480069004F006B00")));
    r.Add(108, EmfBody{100, 280, 4, 0x300, 1, 0, 0}.Raw("Tiny"));
    r.Add(84, EmfBody{0, 0, 0, 0, 1, 0, 0, 150, 280, 2, 76, 0x12, 150, 280, 190, 295, 80}.Raw(
                  QByteArray::fromHex("2B004C00") + EmfBody{10, 10}));
    r.Add(59, {}).Add(84, EmfBody{0, 0, 0, 0, 1, 0, 0, 200, 280, 2, 60, 0x100, 0}.Raw(QByteArray::fromHex("4F004B00")));
    r.Add(60, {}).Add(64, {0, 0, 0, 0}).Add(120, {6, 1});
    r.Add(30, {0, 0, 200, 150}).Add(28, {}).Add(26, {100, 50}).Add(115, {9}).Add(43, {0, 0, 400, 300}).Add(115, {0});
    r.Add(21, {4}).Add(77, transfer({300, 0, 100, 100}, 0x00CC0020, quad)({2, 2}));
    r.Add(40, {1}).Add(40, {2}).Add(40, {3}).Add(40, {4});
    return r.Metafile(frame160x120(5));
}

QByteArray SamplePixelsWmf()
{
    const QByteArray bitmap16 = WmfWords({0, 8, 2, 2, 0x0101}) + QByteArray::fromHex("0F00F000");
    const auto quad = RecordBitmap(2, {{RGBColor(255, 0, 0), RGBColor(0, 255, 0)}, {RGBColor(0, 0, 255), 0}});
    const auto indices = RecordMonoBitmap(2, {{0, 1}}, true);
    WmfRecords r;
    r.Add(0x020B, {0, 0}).Add(0x020C, {300, 400});                                 // window
    r.Add(0x00F7, WmfWords({0x0300, 2, 0x00FF, 0, 0xFF00, 0})).Add(0x0234, {0});        // palette in slot 0
    r.Add(0x0037, WmfWords({1, 1, 0, 0xFF})).Add(0x0436, WmfWords({0, 1, 0x8080, 0})).Add(0x0139, {3}).Add(0x0035, {});
    r.Add(0x0F43, WmfWords({0x20, 0xCC, 1, 1, 2, 0, 0, 60, 80, 0, 0}) + indices.first + indices.second);
    r.Add(0x0D33, WmfWords({0, 2, 0, 0, 0, 2, 2, 10, 100}) + quad.first + quad.second);
    r.Add(0x0209, {0xFF, 0}).Add(0x0201, {0, 0xFF});
    r.Add(0x0922, WmfWords({0x20, 0xCC, 0, 0, 2, 8, 20, 120}) + bitmap16);
    r.Add(0x0B23, WmfWords({0x20, 0xCC, 2, 8, 0, 0, 40, 80, 80, 140}) + bitmap16);
    r.Add(0x0922, WmfWords({0x49, 0x5A, 0, 0, 0, 40, 40, 200, 10}));                     // no bitmap: pattern xor
    QByteArray rows;
    for (int i = 0; i < 8; ++i)
        rows += QByteArray::fromHex(i % 2 ? "AA00" : "5500");
    r.Add(0x01F9, WmfWords({0, 8, 8, 2, 0x0101, 0, 0}) + QByteArray(18, '\0') + rows).Add(0x012D, {1});
    r.Add(0x06FF, {0, 6, 0, 0, 42, 2, 4, 200, 10, 300, 90, 2, 10, 50, 200, 300, 2, 4, 50, 90, 220, 250, 260, 290, 4});
    r.Add(0x02FC, {0, 0x00FF, 0, 0});                                               // brush in slot 3
    r.Add(0x0228, {2, 3}).Add(0x0429, {2, 3, 3, 4}).Add(0x012A, {2}).Add(0x012B, {2});
    r.Add(0x001E, {}).Add(0x012C, {2}).Add(0x0220, {10, 20}).Add(0x041B, {300, 400, 0, 0}).Add(0x0127, {-1});
    r.Add(0x0104, {10}).Add(0x041B, {200, 120, 150, 20}).Add(0x0104, {13}).Add(0x0107, {3});
    r.Add(0x041F, {0xFF, 0, 290, 390}).Add(0x0419, {0, 0, 150, 200}).Add(0x0548, {1, 0xFF, 0, 5, 5});
    QByteArray font = WmfWords({-20, 0, 0, 0, 400}) + QByteArray(8, '\0') + QByteArray("DejaVu Sans").leftJustified(32, '\0');
    r.Add(0x02FB, font).Add(0x012D, {4}).Add(0x0108, {4}).Add(0x020A, {2, 10});
    r.Add(0x0521, WmfWords({9}) + QByteArray("A to B go") + QByteArray(1, '\0') + WmfWords({250, 20}));
    r.Add(0x0149, {1, 0}).Add(0x0418, {300, 100, 200, 0}).Add(0x0149, {0, 0});
    r.Add(0x0231, {1, 0}).Add(0x0105, {0}).Add(0x0626, WmfWords({15, 4}) + QByteArray("PICT"));
    for (int slot = 0; slot < 5; ++slot)
        r.Add(0x01F0, {slot});
    return PlaceableHeader(0, 0, 400, 300, 240) + r.Metafile(6);
}

// ---- Icons ----

QByteArray IconEntry(const IconEntrySpec& Spec)
{
    const int bits = Spec.bitCount;
    const int xorRow = int((bits * Spec.width + 31) / 32 * 4);
    const int andRow = int((Spec.width + 31) / 32 * 4);
    QByteArray xorRows(xorRow * Spec.height, '\0'), andRows(andRow * Spec.height, '\0');
    for (int y = 0; y < Spec.height; ++y) {
        const int stored = Spec.height - 1 - y;
        for (int x = 0; x < Spec.width; ++x) {
            const std::size_t i = std::size_t(y * Spec.width + x);
            const std::uint32_t index = i < Spec.indices.size() ? Spec.indices[i] : 0;
            char& b = xorRows[stored * xorRow + x * bits / 8];
            if (bits == 8)
                b = char(index);
            else if (bits == 4)
                b = char(b | (x % 2 ? index & 0x0F : (index & 0x0F) << 4));
            else if (bits == 1)
                b = char(b | (index & 1) << (7 - x % 8));
            if (i < Spec.mask.size() && Spec.mask[i])
                andRows[stored * andRow + x / 8] = char(andRows[stored * andRow + x / 8] | 1 << (7 - x % 8));
        }
    }
    QByteArray out;
    append32(out, Spec.headerSize);
    append32(out, std::uint32_t(Spec.width));
    append32(out, std::uint32_t(2 * Spec.height));
    append16(out, 1);
    append16(out, Spec.bitCount);
    append32(out, 0);
    append32(out, std::uint32_t(xorRows.size() + andRows.size()));
    append32(out, 0);
    append32(out, 0);
    append32(out, Spec.colorsUsed);
    append32(out, 0);
    out.append(QByteArray(int(Spec.headerSize) - 40, '\0'));
    for (TColor c : Spec.palette) {
        out.append(char(BlueOf(c)));
        out.append(char(GreenOf(c)));
        out.append(char(RedOf(c)));
        out.append('\0');
    }
    out.append(xorRows);
    out.append(andRows);
    return out;
}

QByteArray IconFile(const std::vector<QByteArray>& Entries, std::uint16_t Kind)
{
    QByteArray out;
    append16(out, 0);
    append16(out, Kind);
    append16(out, std::uint32_t(Entries.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(Entries.size());
    for (const QByteArray& e : Entries) {
        const std::uint8_t* p = reinterpret_cast<const std::uint8_t*>(e.constData());
        out.append(char(p[4]));                     // width
        out.append(char(p[8] / 2));                 // height
        out.append(char(p[14] < 8 ? 1 << p[14] : 0)); // colours
        out.append('\0');
        append16(out, 1);
        append16(out, p[14]);
        append32(out, std::uint32_t(e.size()));
        append32(out, offset);
        offset += std::uint32_t(e.size());
    }
    for (const QByteArray& e : Entries)
        out.append(e);
    return out;
}

QByteArray FormatExampleIcon()
{
    return QByteArray::fromHex("0000 0100 0100"
                               "08 08 02 00 0100 0100 70000000 16000000"
                               "28000000 08000000 10000000 0100 0100 00000000 40000000"
                               "00000000 00000000 02000000 00000000"
                               "00000000 0000FF00"
                               "00000000 00000000 00000000 00000000"
                               "F0000000 F0000000 F0000000 F0000000"
                               "0F000000 0F000000 0F000000 0F000000"
                               "00000000 00000000 00000000 00000000");
}

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

namespace {

double statusMegabytes(const QByteArray& Key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(Key))
            return line.mid(Key.size()).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

} // namespace

void ResetPeakMemory()
{
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5");
}

double ResidentMegabytes()
{
    return statusMegabytes("VmRSS:");
}

double PeakResidentMegabytes()
{
    return statusMegabytes("VmHWM:");
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

std::vector<GifWithWarnings> GifsWithWarnings()
{
    const std::vector<TColor> blackWhite{RGBColor(0, 0, 0), RGBColor(255, 255, 255)};
    const std::vector<std::uint8_t> pixels{0, 1, 1, 0};
    const QByteArray frame = GifImageBlock(0, 0, 4, 1, 0, {}, pixels, 2);
    // One sub-block: its count lies after the descriptor and the minimum code size. Raised past
    // the bytes that follow, with the terminator and the trailer gone.
    QByteArray cut = GifFile(4, 1, blackWhite, frame, false);
    const qsizetype count = cut.indexOf(frame) + 11;
    cut[count] = char(cut[count] + 3);
    cut.chop(1);
    return {
        {"stray_byte_after_last_frame.gif", GifFile(4, 1, blackWhite, frame + "U"), 4, 1, pixels,
         "Unknown GIF block type"},
        {"frame_of_width_0.gif", GifFile(2, 2, blackWhite, GifImageBlock(0, 0, 0, 5, 0, {}, {1, 0, 0, 1}, 2)), 2, 2,
         {1, 0, 0, 1}, "Image exceeds Logical Screen size"},
        {"data_cut_short.gif", cut, 4, 1, pixels, "Premature end of data"},
    };
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
    seeds.push_back({"exif_orientation_6.jpg", WithApp1(whole, ExifOrientationPayload(6))});
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

std::vector<Seed> iconSeeds()
{
    IconEntrySpec four;
    four.width = four.height = 16;
    four.bitCount = 4;
    IconEntrySpec eight;
    eight.width = eight.height = 32;
    eight.bitCount = 8;
    for (int i = 0; i < 256; ++i) {
        if (i < 16)
            four.palette.push_back(RGBColor(i * 17, 0, 255 - i * 17));
        eight.palette.push_back(RGBColor(i, 255 - i, i / 2));
    }
    for (int i = 0; i < 32 * 32; ++i) {
        four.indices.push_back(std::uint32_t(i % 16));
        four.mask.push_back(i % 7 == 0);
        eight.indices.push_back(std::uint32_t(i % 256));
        eight.mask.push_back(i % 5 == 0);
    }
    const QByteArray entries = IconFile({IconEntry(four), IconEntry(eight)});
    return {{"example.ico", FormatExampleIcon()}, {"two_entries.ico", entries},
            {"cursor.ico", IconFile({IconEntry(four)}, 2)}};
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
    for (const GifWithWarnings& file : GifsWithWarnings())
        seeds.push_back({file.name, file.data});
    return seeds;
}

} // namespace

namespace {

void patchFrameSize(QByteArray& Jpeg, const QByteArray& FrameMarker, int Width, int Height)
{
    const qsizetype sof = Jpeg.indexOf(FrameMarker);
    Jpeg[sof + 5] = char(Height >> 8);
    Jpeg[sof + 6] = char(Height & 0xFF);
    Jpeg[sof + 7] = char(Width >> 8);
    Jpeg[sof + 8] = char(Width & 0xFF);
}

// The length of the marker segment at At (its two marker bytes included).
qsizetype segmentLength(const QByteArray& Jpeg, qsizetype At)
{
    return 2 + (quint8(Jpeg[At + 2]) << 8 | quint8(Jpeg[At + 3]));
}

} // namespace

QByteArray FlatBaselineJpeg(int Width, int Height)
{
    const auto big16 = [](QByteArray& out, int v) {
        out.append(char((v >> 8) & 0xFF));
        out.append(char(v & 0xFF));
    };
    QByteArray out = QByteArray::fromHex("FFD8");
    out += QByteArray::fromHex("FFDB0043 00");                  // DQT, table 0
    out += QByteArray(64, char(1));
    out += QByteArray::fromHex("FFC00011 08");                  // SOF0, 8-bit
    big16(out, Height);
    big16(out, Width);
    out += QByteArray::fromHex("03 011100 021100 031100");      // Y, Cb, Cr: 1x1, table 0
    const QByteArray oneCode = QByteArray::fromHex("01") + QByteArray(15, '\0') + QByteArray(1, '\0');
    out += QByteArray::fromHex("FFC40014 00") + oneCode;        // DC table 0: category 0 is "0"
    out += QByteArray::fromHex("FFC40014 10") + oneCode;        // AC table 0: end of block is "0"
    out += QByteArray::fromHex("FFDA000C 03 0100 0200 0300 003F00"); // SOS, all three, full spectrum
    const std::int64_t blocks = std::int64_t((Width + 7) / 8) * ((Height + 7) / 8) * 3;
    const std::int64_t bits = 2 * blocks;
    out += QByteArray(qsizetype(bits / 8), '\0');
    if (bits % 8)
        out.append(char(0xFF >> (bits % 8))); // padded with ones; never 0xFF, so nothing to stuff
    out += QByteArray::fromHex("FFD9");
    return out;
}

QByteArray ProgressiveJpegClaiming(int Width, int Height)
{
    SaveOptions progressive = CurrentSaveOptions();
    progressive.JPEGProgressive = true;
    QByteArray jpeg = savedAs(*MakePatternImage(16, 16, bcn24Bit), "jpg", progressive);
    patchFrameSize(jpeg, QByteArray::fromHex("FFC2"), Width, Height);
    return jpeg;
}

QByteArray BaselineJpegWithoutData(int Width, int Height)
{
    QByteArray jpeg = FlatBaselineJpeg(8, 8);
    patchFrameSize(jpeg, QByteArray::fromHex("FFC0"), Width, Height);
    const qsizetype sos = jpeg.indexOf(QByteArray::fromHex("FFDA"));
    return jpeg.left(sos + segmentLength(jpeg, sos));
}

QByteArray GrayProgressiveJpegOfScans(int Width, int Height, int Scans, bool FirstScanEmpty)
{
    SaveOptions progressive = CurrentSaveOptions();
    progressive.JPEGProgressive = true;
    QByteArray jpeg = savedAs(*MakePatternImage(16, 16, bcn8Bit), "jpg", progressive);
    patchFrameSize(jpeg, QByteArray::fromHex("FFC2"), Width, Height);
    // Every scan runs from its header to the next scan's (tables between scans go with it).
    const QByteArray sosMarker = QByteArray::fromHex("FFDA");
    std::vector<qsizetype> starts;
    for (qsizetype at = jpeg.indexOf(sosMarker); at >= 0; at = jpeg.indexOf(sosMarker, at + 2))
        starts.push_back(at);
    const qsizetype end = jpeg.size() - 2; // the end-of-image marker
    const auto scan = [&](std::size_t i) { return jpeg.mid(starts[i], (i + 1 < starts.size() ? starts[i + 1] : end) - starts[i]); };
    const auto headerOf = [&](std::size_t i) { return jpeg.mid(starts[i], segmentLength(jpeg, starts[i])); };
    QByteArray out = jpeg.left(starts[0]) + (FirstScanEmpty ? headerOf(0) : scan(0));
    for (std::size_t i = 1; i < std::size_t(Scans); ++i)
        out += FirstScanEmpty ? headerOf(1) : scan(i < starts.size() ? i : 1);
    return out + QByteArray::fromHex("FFD9");
}

QByteArray TiffOfSharedStrips(int Width, int Height)
{
    QByteArray row; // PackBits: runs of up to 128 zeros, two bytes each
    for (int left = 3 * Width; left > 0; left -= 128) {
        const int run = std::min(left, 128);
        row.append(char(run == 1 ? 0 : 257 - run));
        row.append('\0');
    }
    TiffImage image = TiffStripImage(std::uint32_t(Width), std::uint32_t(Height), 2, {8, 8, 8}, 1, {row}, 32773);
    image.fields.push_back({273, 4, std::vector<std::uint32_t>(std::size_t(Height), 8)}); // the strip after the header
    image.fields.push_back({279, 4, std::vector<std::uint32_t>(std::size_t(Height), std::uint32_t(row.size()))});
    return TiffFile({image});
}

QByteArray GifOfEmptyFrame(int Width, int Height)
{
    return GifFile(Width, Height, {RGBColor(0, 0, 0), RGBColor(255, 255, 255)},
                   GifImageBlock(0, 0, Width, Height, 0, {}, {}, 2));
}

QByteArray ExifOrientationPayload(int Orientation, bool BigEndian)
{
    const QByteArray bigEndian = QByteArray::fromHex("4D4D002A00000008 0001 01120003000000010000 0000 00000000");
    const QByteArray littleEndian = QByteArray::fromHex("49492A0008000000 0100 12010300010000000000 0000 00000000");
    QByteArray tiff = BigEndian ? bigEndian : littleEndian;
    tiff[BigEndian ? 19 : 18] = char(Orientation); // the low byte of the value field's first short
    return QByteArray("Exif\0\0", 6) + tiff;
}

QByteArray WithApp1(const QByteArray& Jpeg, const QByteArray& Payload)
{
    const int length = int(Payload.size()) + 2;
    QByteArray segment = QByteArray::fromHex("FFE1");
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    return Jpeg.left(2) + segment + Payload + Jpeg.mid(2);
}

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
    if (Target == QLatin1String("fuzz_wmf"))
        return {{"example.wmf", FormatExampleWmf()}, {"sample.wmf", SampleWmf()},
                {"sample_without_header.wmf", SampleWmf().mid(22)}, {"pixels.wmf", SamplePixelsWmf()}};
    if (Target == QLatin1String("fuzz_emf"))
        return {{"example.emf", FormatExampleEmf()}, {"sample.emf", SampleEmf()}, {"pixels.emf", SamplePixelsEmf()}};
    if (Target == QLatin1String("fuzz_ico"))
        return iconSeeds();
    return {};
}
