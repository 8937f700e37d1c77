#include "tempfolder.h"
#include "tests/imaging/formattest.h"
#include "imaging/formats/jpeg/jpegformat.h"
#include "imaging/pgsettings.h"

#include "platform/prompts.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <atomic>
#include <cstdio>
#include <thread>
#include <jpeglib.h>

namespace {

class Jpeg : public LibraryTest {};

// ---- libjpeg-turbo's own programs, the reference ----

QByteArray runTool(const QString& program, const QStringList& arguments, const QByteArray& input)
{
    const ToolRun run = RunTool(program, arguments, input);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return run.out;
}

// A binary PGM or PPM of the image (top row first, red-green-blue).
QByteArray pnmOf(TPixelGraphic& image)
{
    const bool gray = image.BitCountNum() == 2;
    QByteArray out = QStringLiteral("%1\n%2 %3\n255\n").arg(gray ? "P5" : "P6").arg(image.Width()).arg(image.Height()).toLatin1();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const TColor c = image.GetPixelColor(x, y);
            if (gray) {
                out.append(char(RedOf(c)));
            } else {
                out.append(char(RedOf(c)));
                out.append(char(GreenOf(c)));
                out.append(char(BlueOf(c)));
            }
        }
    return out;
}

QByteArray djpeg(const QByteArray& jpeg, const QStringList& options = {})
{
    return runTool("djpeg", options + QStringList{"-pnm"}, jpeg);
}

// ---- Raw libjpeg, for files the library does not write (CMYK, Adobe markers) ----

QByteArray encodeRaw(int components, J_COLOR_SPACE space, bool adobe)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    info.write_Adobe_marker = adobe;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(std::size_t(8 * components), 100);
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

QByteArray saveJpeg(TPixelGraphic& image, int quality, bool progressive)
{
    PixelGraphicJPEGQuality = std::uint8_t(quality);
    PixelGraphicJPEGProgressive = progressive;
    image.SetColorResConversion(crcConvert);
    return SaveAs(image, "jpg");
}

// The bytes of the first segment with this marker, from the marker on.
QByteArray segment(const QByteArray& jpeg, std::uint8_t marker)
{
    for (qsizetype i = 2; i + 4 <= jpeg.size();) {
        if (std::uint8_t(jpeg[i]) != 0xFF)
            return {};
        const std::uint8_t m = std::uint8_t(jpeg[i + 1]);
        const int length = std::uint8_t(jpeg[i + 2]) << 8 | std::uint8_t(jpeg[i + 3]);
        if (m == marker)
            return jpeg.mid(i, 2 + length);
        if (m == 0xDA)
            return {};
        i += 2 + length;
    }
    return {};
}

QString infoOf(const QByteArray& jpeg)
{
    QString description;
    GraphicFileInfo info;
    if (!BytesFileInfo(jpeg, "jpg", 0, description, info))
        return "none";
    return QStringLiteral("%1|%2|%3x%4|%5|%6").arg(description, info.SubFormat).arg(info.Width).arg(info.Height)
        .arg(info.ColorsText).arg(info.BitsPerPixel);
}

TEST_F(Jpeg, TheWriterStartsAsTheWorkedExampleSays)
{
    TPixelGraphic gray;
    gray.Allocate(8, 8, bcn8Bit);
    gray.SetPaletteIdent(pGray256);
    gray.Clear();
    const QByteArray file = saveJpeg(gray, 80, false);
    EXPECT_EQ(file.left(20), hex("FFD8 FFE0 0010 4A46494600 0101 00 0001 0001 0000"));
    EXPECT_EQ(file.mid(20, 13), hex("FFDB 0043 00 0604050605040606"));
    EXPECT_EQ(segment(file, 0xC0), hex("FFC0 000B 08 0008 0008 01 01 11 00"));
    EXPECT_TRUE(segment(file, 0xC2).isEmpty());
    EXPECT_TRUE(file.endsWith(hex("FFD9")));

    const QByteArray progressive = saveJpeg(gray, 80, true);
    EXPECT_EQ(segment(progressive, 0xC2), hex("FFC2 000B 08 0008 0008 01 01 11 00"));
    EXPECT_TRUE(segment(progressive, 0xC0).isEmpty());

    // Quality 99, baseline: every table entry below 75 becomes 1 (42 of them), the rest 2.
    const QByteArray q99 = saveJpeg(gray, 99, false);
    EXPECT_FALSE(segment(q99, 0xC0).isEmpty());
    const QByteArray table = segment(q99, 0xDB).mid(5);
    ASSERT_EQ(table.size(), 64);
    EXPECT_EQ(table.count('\x01'), 42);
    EXPECT_EQ(table.count('\x02'), 22);
}

TEST_F(Jpeg, TrueColourHasThreeComponentsAndTwoTables)
{
    auto image = MakePatternImage(16, 16, bcn24Bit);
    const QByteArray file = saveJpeg(*image, 80, false);
    EXPECT_EQ(segment(file, 0xC0), hex("FFC0 0011 08 0010 0010 03 012200 021101 031101"));
    EXPECT_EQ(file.count(hex("FFDB0043")), 2);
}

TEST_F(Jpeg, TheWriterWritesWhatCjpegWrites)
{
    auto image = MakePatternImage(37, 23, bcn24Bit);
    const QByteArray ppm = pnmOf(*image);
    EXPECT_EQ(saveJpeg(*image, 80, false), runTool("cjpeg", {"-quality", "80", "-dct", "float"}, ppm));
    EXPECT_EQ(saveJpeg(*image, 35, true), runTool("cjpeg", {"-quality", "35", "-dct", "float", "-progressive"}, ppm));
    auto gray = MakePatternImage(21, 9, bcn8Bit);
    EXPECT_EQ(saveJpeg(*gray, 90, false), runTool("cjpeg", {"-quality", "90", "-dct", "float", "-grayscale"}, pnmOf(*gray)));
}

TEST_F(Jpeg, PixelsAreWhatDjpegDecodes)
{
    std::vector<Seed> files = SeedsFor("fuzz_jpeg");
    auto big = MakePatternImage(123, 77, bcn24Bit);
    files.push_back({"big progressive", saveJpeg(*big, 75, true)});
    for (const Seed& file : files) {
        if (file.name == "truncated.jpg")
            continue;
        TPixelGraphic image;
        LoadBytes(image, file.data);
        EXPECT_EQ(pnmOf(image), djpeg(file.data)) << file.name.toStdString();
    }
    // The fast decoder is libjpeg's fast integer method.
    TPixelGraphic fast;
    fast.SetFastJPEGDecode(true);
    LoadBytes(fast, files.back().data);
    EXPECT_EQ(pnmOf(fast), djpeg(files.back().data, {"-dct", "fast"}));
}

// The frame header's height and width replaced (the first SOF0 or SOF2).
QByteArray withFrameSize(QByteArray jpeg, int width, int height)
{
    for (std::uint8_t marker : {0xC0, 0xC2}) {
        const qsizetype at = jpeg.indexOf(segment(jpeg, marker));
        if (at < 0 || segment(jpeg, marker).isEmpty())
            continue;
        jpeg[at + 5] = char(height >> 8);
        jpeg[at + 6] = char(height);
        jpeg[at + 7] = char(width >> 8);
        jpeg[at + 8] = char(width);
        return jpeg;
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

void loadScaled(TPixelGraphic& image, const QByteArray& jpeg, int boxWidth, int boxHeight, int maxScale = 8)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    LoadScaledJpeg(buffer, image, boxWidth, boxHeight, maxScale);
}

TEST_F(Jpeg, ScaleTable)
{
    const struct { int width, height, boxWidth, boxHeight, scale; } cases[] = {
        {4000, 3000, 90, 75, 8}, // decodes at 500 x 375
        {720, 600, 90, 75, 8},   // the box equals a side div 8
        {360, 300, 90, 75, 4},   // the box equals a side div 4
        {100, 80, 90, 75, 1},
        {800, 800, 200, 200, 4}, {800, 800, 150, 150, 4}, {800, 800, 100, 100, 8}, {800, 800, 201, 201, 2},
        {800, 800, 400, 400, 2}, {800, 800, 401, 401, 1},
        {4000, 300, 90, 75, 4},  // the smaller scale wins: the height would fall below the box
        {300, 4000, 90, 75, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseJpegScale(c.width, c.height, c.boxWidth, c.boxHeight), c.scale)
            << c.width << "x" << c.height << " into " << c.boxWidth << "x" << c.boxHeight;
}

TEST_F(Jpeg, ScaledDecodeIsWhatDjpegMakesAtThatScale)
{
    auto colour = MakePatternImage(123, 77, bcn24Bit);
    auto gray = MakePatternImage(123, 77, bcn8Bit);
    const std::vector<Seed> files = {{"baseline", saveJpeg(*colour, 80, false)},
                                     {"progressive", saveJpeg(*colour, 75, true)},
                                     {"gray", saveJpeg(*gray, 90, false)}};
    // Boxes at the edges of each scale for 123 x 77 (the smaller side's scale counts).
    const struct { int boxWidth, boxHeight, maxScale, scale; } cases[] = {
        {15, 9, 8, 8}, {16, 9, 8, 4}, {30, 19, 8, 4}, {61, 38, 8, 2}, {62, 39, 8, 1}, {15, 38, 8, 2},
        {15, 9, 4, 4}, {15, 9, 1, 1},
    };
    for (const Seed& file : files)
        for (const auto& c : cases) {
            TPixelGraphic image;
            loadScaled(image, file.data, c.boxWidth, c.boxHeight, c.maxScale);
            const QString scale = QStringLiteral("1/%1").arg(c.scale);
            EXPECT_EQ(image.Width(), (123 + c.scale - 1) / c.scale);
            EXPECT_EQ(pnmOf(image), djpeg(file.data, {"-scale", scale, "-dct", "fast"}))
                << file.name.toStdString() << " at " << scale.toStdString();
        }
}

TEST_F(Jpeg, ScaledDecodeKeepsTheReadersGuards)
{
    const auto failure = [](auto&& load) -> QString {
        try {
            load();
            return "loaded";
        } catch (const EPixelGraphic& e) {
            return e.Message();
        }
    };
    // 65500 x 65500 at half size is still 3.2 GB of pixels.
    QFile crasher(QStringLiteral(CRASHERS_DIR) + "/frame_of_65500_squared.jpg");
    ASSERT_TRUE(crasher.open(QIODevice::ReadOnly));
    const QByteArray huge = crasher.readAll();
    TPixelGraphic image;
    EXPECT_EQ(failure([&] { loadScaled(image, huge, 90, 75, 2); }), "CreateDIBSection failed");
    EXPECT_TRUE(image.Empty());

    // A progressive gray frame of 30000 x 30000: 900 MB of pixels, but 1.8 GB of coefficients.
    auto small = MakePatternImage(16, 16, bcn8Bit);
    const QByteArray progressive = withFrameSize(saveJpeg(*small, 80, true), 30000, 30000);
    EXPECT_EQ(failure([&] { LoadBytes(image, progressive); }), "CreateDIBSection failed");
    EXPECT_EQ(failure([&] { loadScaled(image, progressive, 90, 75); }), "CreateDIBSection failed");
    EXPECT_TRUE(image.Empty());

    // Damage and warnings go as in the full-size load.
    EXPECT_EQ(failure([&] { loadScaled(image, hex("FFD8FFD9"), 90, 75); }), "JPG: JPEG datastream contains no image");
    auto colour = MakePatternImage(64, 64, bcn24Bit);
    const QByteArray whole = saveJpeg(*colour, 80, false);
    image.SetWarningAction(waRaise);
    EXPECT_EQ(failure([&] { loadScaled(image, whole.left(whole.size() / 2), 16, 16); }),
              "JPG: Premature end of JPEG file");
    image.SetWarningAction(waIgnore);
    EXPECT_EQ(failure([&] { loadScaled(image, whole.left(whole.size() / 2), 16, 16); }), "loaded");
    EXPECT_EQ(image.Width(), 16);

    // Progress counts the scaled rows, and its abort stops the decode quietly.
    int rows = 0;
    image.SetOnProgress([&](PGObject*, int done, int total, bool& abort) {
        EXPECT_EQ(total, 16);
        rows = done;
        abort = done == 3;
    });
    EXPECT_EQ(failure([&] { loadScaled(image, whole, 16, 16); }), "loaded");
    EXPECT_EQ(rows, 3);
}

TEST_F(Jpeg, TheMemoryLimitHoldsForTheFrameDecoded)
{
    // 1.08 GB of pixels at full size, 17 MB at 1/8; the limit between them is 1 GiB.
    const QByteArray large = FlatBaselineJpeg(19000, 19000);
    ASSERT_LT(large.size(), 5 << 20);
    TPixelGraphic image;
    EXPECT_PG_THROW(LoadBytes(image, large), EPixelGraphic, "CreateDIBSection failed");
    loadScaled(image, large, 150, 150);
    EXPECT_EQ(QSize(image.Width(), image.Height()), QSize(2375, 2375));
    EXPECT_EQ(image.GetPixelColor(1000, 1000), TColor(0x808080));
    EXPECT_PG_THROW(loadScaled(image, large, 150, 150, 1), EPixelGraphic, "CreateDIBSection failed");
}

TEST_F(Jpeg, TheExifBlockGivesTheOrientation)
{
    const auto orientation = [](const QByteArray& payload) {
        return ExifOrientation(reinterpret_cast<const std::uint8_t*>(payload.constData()), std::size_t(payload.size()));
    };
    const QByteArray example = ExifOrientationPayload(6);
    EXPECT_EQ(example.toHex(' '), "45 78 69 66 00 00 4d 4d 00 2a 00 00 00 08 00 01 01 12 00 03 00 00 00 01 00 06 "
                                  "00 00 00 00 00 00"); // FORMAT.md's example
    for (int value = 1; value <= 8; ++value) {
        EXPECT_EQ(orientation(ExifOrientationPayload(value, true)), value);
        EXPECT_EQ(orientation(ExifOrientationPayload(value, false)), value);
    }
    const auto patched = [&](int at, const char* bytes) {
        QByteArray p = example;
        const QByteArray b = hex(bytes);
        p.replace(at, b.size(), b);
        return p;
    };
    // Offsets into the payload: 6 byte order, 8 version, 10 directory, 14 count, 16 the entry.
    const QByteArray twoEntries =
        example.left(14) + hex("0002 010F00020000000400000000 011200030000000100030000 00000000");
    const struct { const char* name; QByteArray payload; int value; } cases[] = {
        {"value 0", patched(24, "0000"), 1},
        {"value 9", patched(24, "0009"), 1},
        {"a long", patched(18, "0004"), 1},
        {"count 2", patched(20, "00000002"), 1},
        {"other tag", patched(16, "0110"), 1},
        {"second entry", twoEntries, 3},
        {"no Exif name", patched(0, "45786966FF00"), 1},
        {"byte order XX", patched(6, "5858"), 1},
        {"version 43", patched(8, "002B"), 1},
        {"directory past the end", patched(10, "00000100"), 1},
        {"directory at 4 GiB", patched(10, "FFFFFFFF"), 1},
        {"more entries than bytes", patched(14, "01000110"), 1},
        {"cut in the entry", example.left(26), 1},
        {"cut in the header", example.left(12), 1},
        {"empty", QByteArray(), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(orientation(c.payload), c.value) << c.name;
    EXPECT_EQ(ExifOrientation(nullptr, 40), 1);
}

// A 128 x 64 frame, mid-gray, red in its stored top-left corner and blue in its top-right.
QByteArray markedJpeg(int orientation, bool bigEndian)
{
    TPixelGraphic image;
    image.Allocate(128, 64, bcn24Bit);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            image.SetPixelColor(x, y, y < 16 && x < 32 ? 0x0000FF : y < 16 && x >= 96 ? 0xFF0000 : 0x808080);
    return WithApp1(saveJpeg(image, 95, false), ExifOrientationPayload(orientation, bigEndian));
}

// Which corners of the picture are red and blue: "TL", "TR", "BL", "BR".
std::pair<QString, QString> markedCorners(TPixelGraphic& image)
{
    std::pair<QString, QString> found;
    const struct { const char* name; int x, y; } corners[] = {
        {"TL", 1, 1}, {"TR", image.Width() - 2, 1}, {"BL", 1, image.Height() - 2}, {"BR", image.Width() - 2, image.Height() - 2},
    };
    for (const auto& corner : corners) {
        const TColor c = image.GetPixelColor(corner.x, corner.y);
        if (RedOf(c) > 200 && BlueOf(c) < 80)
            found.first = corner.name;
        if (BlueOf(c) > 200 && RedOf(c) < 80)
            found.second = corner.name;
    }
    return found;
}

TEST_F(Jpeg, ReducedDecodesStandUprightByTheExifOrientation)
{
    // Where the stored top-left (red) and top-right (blue) corners land.
    const struct { int orientation; const char* red; const char* blue; } cases[] = {
        {1, "TL", "TR"}, {2, "TR", "TL"}, {3, "BR", "BL"}, {4, "BL", "BR"},
        {5, "TL", "BL"}, {6, "TR", "BR"}, {7, "BR", "TR"}, {8, "BL", "TL"},
    };
    for (const bool bigEndian : {true, false})
        for (const auto& c : cases) {
            const QByteArray jpeg = markedJpeg(c.orientation, bigEndian);
            const QSize upright = c.orientation >= 5 ? QSize(64, 128) : QSize(128, 64);
            // A quarter of the upright picture: the box is turned before the scale is chosen.
            TPixelGraphic image;
            loadScaled(image, jpeg, upright.width() / 4, upright.height() / 4);
            EXPECT_EQ(QSize(image.Width(), image.Height()), upright / 4) << c.orientation;
            EXPECT_EQ(markedCorners(image), std::make_pair(QString(c.red), QString(c.blue)))
                << "orientation " << c.orientation << (bigEndian ? " MM" : " II");

            // The full load keeps the frame as stored; the information names the orientation.
            TPixelGraphic stored;
            LoadBytes(stored, jpeg);
            EXPECT_EQ(markedCorners(stored), std::make_pair(QString("TL"), QString("TR")));
            QString description;
            GraphicFileInfo info;
            ASSERT_TRUE(BytesFileInfo(jpeg, "jpg", 0, description, info));
            EXPECT_EQ(QSize(info.Width, info.Height), QSize(128, 64));
            EXPECT_EQ(info.Orientation, c.orientation);
        }

    // Only an Exif block counts, wherever it stands among the APP1 segments.
    const QByteArray xmpFirst = WithApp1(markedJpeg(6, true), QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
    TPixelGraphic image;
    loadScaled(image, xmpFirst, 16, 32);
    EXPECT_EQ(QSize(image.Width(), image.Height()), QSize(16, 32));
    // A damaged one leaves the frame as stored.
    QByteArray damaged = markedJpeg(6, true);
    damaged[2 + 4 + 6] = 'X'; // the byte order
    loadScaled(image, damaged, 32, 16);
    EXPECT_EQ(markedCorners(image), std::make_pair(QString("TL"), QString("TR")));
}

TEST_F(Jpeg, TheSignatureDecidesNotTheName)
{
    TempFolder folder;
    auto image = MakePatternImage(5, 4, bcn24Bit);
    const QString path = folder.write("looks_like.bmp", saveJpeg(*image, 80, false));
    TPixelGraphic loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Width(), 5);
    EXPECT_EQ(loaded.BitCountNum(), 3);
}

TEST_F(Jpeg, GrayLoadsAsEightBitsAndSavesAsOneComponent)
{
    auto gray = MakePatternImage(10, 6, bcn8Bit);
    const QByteArray file = saveJpeg(*gray, 95, false);
    TPixelGraphic image;
    LoadBytes(image, file);
    EXPECT_EQ(image.BitCountNum(), 2);
    EXPECT_EQ(image.PaletteIdent(), pGray256);
    EXPECT_EQ(image.Width(), 10);
    EXPECT_EQ(image.Height(), 6);
    const QByteArray again = saveJpeg(image, 95, false);
    EXPECT_EQ(segment(again, 0xC0).mid(9, 1), hex("01"));
}

TEST_F(Jpeg, OnlyTrueColourAndGrayAreWritten)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    for (int num : {0, 1, 2}) {
        auto image = MakePatternImage(4, 4, TBitCountNum(num));
        if (num == 2)
            image->SetPaletteIdent(pSpecial216);
        EXPECT_PG_THROW(TJPGFileFormatWriter().Save(buffer, *image, CurrentSaveOptions()), EPGJPGFileFormatReaderWriter,
                        "JPG: Invalid value for BitCount");
    }
    EXPECT_TRUE(buffer.data().isEmpty());
    TPixelGraphic empty;
    EXPECT_PG_THROW(TJPGFileFormatWriter().Save(buffer, empty, CurrentSaveOptions()), EPGJPGFileFormatReaderWriter,
                    "JPG: Empty JPEG image (DNL not supported)");
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    auto image = MakePatternImage(4, 4, bcn24Bit);
    EXPECT_PG_THROW(TJPGFileFormatWriter().Save(readOnly, *image, CurrentSaveOptions()), EPGJPGFileFormatReaderWriter, "JPG: Write failed");
}

TEST_F(Jpeg, SavesOnTwoThreadsKeepTheirOwnOptions)
{
    // What each options value must give: the same save through the library-wide settings.
    auto picture = MakePatternImage(96, 64, bcn24Bit);
    const QByteArray lowExpected = saveJpeg(*picture, 10, false);
    PixelGraphicJPEGEncodeDCT = 0;
    const QByteArray highExpected = saveJpeg(*picture, 95, true);
    const SaveOptions low{10, false, 2};
    const SaveOptions high{95, true, 0};
    QBuffer floatDct;
    floatDct.open(QIODevice::WriteOnly);
    picture->SaveToStreamAs(floatDct, "jpg", SaveOptions{95, true, 2});
    ASSERT_NE(floatDct.data(), highExpected); // the DCT method shows in the bytes

    // Two threads save their own copies again and again, while the settings name neither.
    ResetPixelGraphicSettings();
    PixelGraphicJPEGQuality = 50;
    TempFolder folder;
    constexpr int rounds = 20;
    std::atomic<int> failures = 0;
    const auto saveAll = [&](SaveOptions options, QString name) {
        auto image = MakePatternImage(96, 64, bcn24Bit);
        for (int i = 0; i < rounds; ++i) {
            try {
                image->SaveToFile(folder.file(name + QString::number(i) + ".jpg"), options);
            } catch (...) {
                ++failures;
            }
        }
    };
    std::thread first(saveAll, low, QStringLiteral("low"));
    std::thread second(saveAll, high, QStringLiteral("high"));
    first.join();
    second.join();
    EXPECT_EQ(failures, 0);
    for (int i = 0; i < rounds; ++i) {
        EXPECT_EQ(folder.read("low" + QString::number(i) + ".jpg"), lowExpected) << i;
        EXPECT_EQ(folder.read("high" + QString::number(i) + ".jpg"), highExpected) << i;
    }
}

TEST_F(Jpeg, FileInformation)
{
    auto color = MakePatternImage(30, 20, bcn24Bit);
    auto gray = MakePatternImage(3, 2, bcn8Bit);
    EXPECT_EQ(infoOf(saveJpeg(*color, 80, false)), "JPEG (JFIF compliant)|JFIF, YCbCr|30x20|16.7M|24");
    EXPECT_EQ(infoOf(saveJpeg(*color, 80, true)), "JPEG (JFIF compliant)|JFIF, YCbCr, Progressive|30x20|16.7M|24");
    EXPECT_EQ(infoOf(saveJpeg(*gray, 80, false)), "JPEG (JFIF compliant)|JFIF, GrayScale|3x2|256|8");
    EXPECT_EQ(infoOf(encodeRaw(4, JCS_CMYK, true)), "JPEG (JFIF compliant)|Adope, CMYK|8x8|4294.9M|32");
    EXPECT_EQ(infoOf(encodeRaw(3, JCS_RGB, true)), "JPEG (JFIF compliant)|JFIF, Adope, YCbCr|8x8|16.7M|24");
    EXPECT_EQ(infoOf(hex("FFD8FFD9")), "none");
    QBuffer buffer;
    buffer.setData(saveJpeg(*gray, 80, false));
    buffer.open(QIODevice::ReadOnly);
    GraphicFileInfo info;
    EXPECT_PG_THROW(TJPGFileFormatReader().GetInfo(buffer, 1, info), EPGJPGFileFormatReaderWriter,
                    "JPG: Invalid value for Index");
    TPixelGraphic image;
    EXPECT_PG_THROW(TJPGFileFormatReader().Load(buffer, image, 1), EPGJPGFileFormatReaderWriter, "JPG: Index invalid");
}

TEST_F(Jpeg, FourComponentsAreNotSupported)
{
    TPixelGraphic image;
    EXPECT_PG_THROW(LoadBytes(image, encodeRaw(4, JCS_CMYK, true)), EPGJPGFileFormatReaderWriter,
                    "JPG: Not supported subformat");
    EXPECT_EQ(image.UpdateCount(), 0);
}

TEST_F(Jpeg, WarningsGoByTheImagesWarningAction)
{
    auto source = MakePatternImage(64, 64, bcn24Bit);
    const QByteArray whole = saveJpeg(*source, 80, false);
    const QByteArray truncated = whole.left(whole.size() / 2);
    platform::ScriptedPromptService prompts;
    TPixelGraphic image;
    image.SetPromptService(&prompts);

    image.SetWarningAction(waIgnore);
    LoadBytes(image, truncated);
    EXPECT_EQ(image.Width(), 64);
    EXPECT_TRUE(prompts.calls().isEmpty());

    image.SetWarningAction(waShow);
    LoadBytes(image, truncated);
    ASSERT_EQ(prompts.calls().size(), 1); // the first warning only
    EXPECT_EQ(prompts.lastPrompt().caption, "JPG Warning");
    EXPECT_EQ(prompts.lastPrompt().text, "Premature end of JPEG file");
    EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Warning);
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::Ok);

    prompts.clear();
    image.SetWarningAction(waAskAbort);
    prompts.answer(platform::mrOk);
    LoadBytes(image, truncated);
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::OkCancel);
    prompts.answer(platform::mrCancel);
    EXPECT_PG_THROW(LoadBytes(image, truncated), EPGJPGFileFormatReaderWriter, "JPG: Operation aborted on user request");

    image.SetWarningAction(waRaise);
    EXPECT_PG_THROW(LoadBytes(image, truncated), EPGJPGFileFormatReaderWriter, "JPG: Premature end of JPEG file");
    EXPECT_EQ(image.UpdateCount(), 0);

    // Nobody to ask (no service, or another thread): action 2 goes on.
    TPixelGraphic quiet;
    LoadBytes(quiet, truncated);
    EXPECT_EQ(quiet.Width(), 64);
}

TEST_F(Jpeg, DamagedFilesFailWithTheLibrarysText)
{
    const struct { const char* name; QByteArray data; const char* message; } cases[] = {
        {"only SOI", hex("FFD8"), "JPG: JPEG datastream contains no image"},
        {"SOI and EOI", hex("FFD8FFD9"), "JPG: JPEG datastream contains no image"},
        {"garbage after SOI", hex("FFD8") + QByteArray(100, 'x'), "JPG: JPEG datastream contains no image"},
        {"bogus segment length", hex("FFD8FFDB0001"), "JPG: Bogus marker length"},
    };
    for (const auto& c : cases) {
        TPixelGraphic image;
        image.SetWarningAction(waIgnore);
        try {
            LoadBytes(image, c.data);
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const EPGJPGFileFormatReaderWriter& e) {
            EXPECT_EQ(e.Message(), QString(c.message)) << c.name;
        }
    }
}

TEST_F(Jpeg, AnAbortedLoadEndsQuietlyAnAbortedSaveFails)
{
    auto source = MakePatternImage(40, 30, bcn24Bit);
    const QByteArray file = saveJpeg(*source, 90, false);
    TPixelGraphic image;
    QStringList events;
    image.SetOnProgressBegin([&](PGObject*) { events << "begin"; });
    image.SetOnProgressEnd([&](PGObject*) { events << "end"; });
    image.SetOnProgress([&](PGObject*, int done, int total, bool& abort) {
        EXPECT_EQ(total, 30);
        abort = done == 10;
    });
    LoadBytes(image, file);
    EXPECT_EQ(events, QStringList({"begin", "end"}));
    EXPECT_NE(image.GetPixel(5, 9), 0u);  // read
    EXPECT_EQ(image.GetPixel(5, 10), 0u); // not read: as allocated

    TempFolder folder;
    const QString target = folder.write("keep.jpg", "good old file");
    source->SetOnProgress([&](PGObject*, int done, int, bool& abort) { abort = done == 5; });
    EXPECT_PG_THROW(source->SaveToFile(target), EPGJPGFileFormatReaderWriter, "JPG: Operation aborted on user request");
    EXPECT_EQ(readAll(target), "good old file");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"keep.jpg"}));

    int rows = 0;
    source->SetOnProgress([&](PGObject*, int done, int total, bool&) {
        EXPECT_EQ(done, ++rows);
        EXPECT_EQ(total, 30);
    });
    source->SaveToFile(target);
    EXPECT_EQ(rows, 30);
    EXPECT_EQ(readAll(target).left(2), hex("FFD8"));
}

// The image, or the failure's text.
struct Outcome {
    std::unique_ptr<TPixelGraphic> image = std::make_unique<TPixelGraphic>();
    QString failure;
};

Outcome loadOutcome(QIODevice& device)
{
    Outcome outcome;
    outcome.image->SetWarningAction(waIgnore);
    outcome.failure = LoadFailure([&] { outcome.image->LoadFromStream(device); });
    return outcome;
}

TEST_F(Jpeg, ShortReadsGiveTheSameImage)
{
    std::vector<Seed> files = SeedsFor("fuzz_jpeg");
    files.push_back({"header only", files.front().data.left(200)});
    for (const Seed& file : files) {
        QBuffer buffer;
        buffer.setData(file.data);
        buffer.open(QIODevice::ReadOnly);
        const Outcome whole = loadOutcome(buffer);
        for (const auto& pattern : ShortReadPatterns()) {
            ChunkedDevice device(file.data, pattern);
            const Outcome chunked = loadOutcome(device);
            EXPECT_EQ(chunked.failure, whole.failure) << file.name.toStdString();
            EXPECT_TRUE(SamePixels(*chunked.image, *whole.image))
                << file.name.toStdString() << " chunks of " << pattern.front();
        }
    }
}

TEST_F(Jpeg, ProgressiveFilesWithEndlessScansAreRefused)
{
    TPixelGraphic image;
    image.SetWarningAction(waIgnore);
    EXPECT_PG_THROW(image.LoadFromFile(QStringLiteral(CRASHERS_DIR) + "/scans_repeated_1200_times.jpg"),
                    EPGJPGFileFormatReaderWriter, "JPG: Scan count invalid");
}

// libjpeg reads every scan of a progressive file before the first row: the abort flag is heard
// there too, and stops the load as quietly as between rows, the image left as it was made.
TEST_F(Jpeg, AbortIsHeardWhileTheScansAreRead)
{
    TPixelGraphic image;
    image.SetWarningAction(waIgnore);
    std::vector<int> heard;
    image.SetOnProgress([&](PGObject*, int done, int, bool& abort) {
        heard.push_back(done);
        abort = true;
    });
    LoadBytes(image, GrayProgressiveJpegOfScans(2000, 1000, 90, false));
    EXPECT_EQ(heard, std::vector<int>({0}));
    EXPECT_EQ(image.Width(), 2000);
    EXPECT_EQ(image.Height(), 1000);
}

// Damaged files kept in tests/imaging/crashers fail cleanly with the format's message.
TEST_F(Jpeg, CrashersFailCleanly)
{
    const QMap<QString, QString> expected = {
        {"scans_repeated_1200_times.jpg", "JPG: Scan count invalid"},
        {"frame_of_65500_squared.jpg", "CreateDIBSection failed"},
        {"cut_inside_the_scan.jpg", ""},
        {"zero_width_frame.jpg", "JPG: Empty JPEG image (DNL not supported)"},
    };
    ExpectCrashersFailCleanly(QDir(CRASHERS_DIR), {"*.jpg"}, expected,
                              [](TPixelGraphic& image) { image.SetWarningAction(waIgnore); });
}

} // namespace
