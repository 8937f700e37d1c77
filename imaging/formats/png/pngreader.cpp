#include "pngformat.h"
#include "pngglue.h"

#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <QIODevice>

#include <algorithm>
#include <csetjmp>
#include <memory>

namespace {

// What a load decided and did, kept outside the frames a longjmp leaves.
struct LoadState {
    TBitCountNum format = bcn24Bit;
    bool widenTwoBits = false;
    int passes = 1;
    bool begun = false;
    bool stopped = false;
};

// A value of the file's bit depth as 8 bits.
int widened(int value, int bitDepth)
{
    if (bitDepth == 16)
        return value >> 8;
    if (bitDepth == 8)
        return value;
    return value * 255 / ((1 << bitDepth) - 1);
}

// The background the picture is composed over: the file's own (bKGD, when the settings allow
// it; it becomes the image's background), else the image's, where the file has transparency.
void setBackground(PngSession& s, int colorType, int bitDepth)
{
    png_color_16p fileBackground = nullptr;
    if (PixelGraphicPNGUseBackground && png_get_bKGD(s.png, s.info, &fileBackground)) {
        png_set_background(s.png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        TColor colour;
        if (colorType == PNG_COLOR_TYPE_PALETTE) {
            colour = RGBColor(fileBackground->red, fileBackground->green, fileBackground->blue);
        } else if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
            const int gray = widened(fileBackground->gray, bitDepth);
            colour = RGBColor(gray, gray, gray);
        } else {
            colour = RGBColor(widened(fileBackground->red, bitDepth), widened(fileBackground->green, bitDepth),
                              widened(fileBackground->blue, bitDepth));
        }
        RunInsidePng(s, [&] { s.graphic.SetBackground(colour); });
        return;
    }
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0 && !png_get_valid(s.png, s.info, PNG_INFO_tRNS))
        return;
    // In the output's own terms: 8-bit samples after stripping, gray at the gray depth.
    const TColor colour = s.graphic.Background();
    png_color_16 mine{};
    mine.red = png_uint_16(RedOf(colour));
    mine.green = png_uint_16(GreenOf(colour));
    mine.blue = png_uint_16(BlueOf(colour));
    const int grayDepth = std::min(bitDepth, 8);
    const int intensity = TPixelGraphic::Intensity(colour, true) / 3; // 0 to 255
    mine.gray = png_uint_16(intensity * ((1 << grayDepth) - 1) / 255);
    png_set_background(s.png, &mine, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
}

void prepareImage(PngSession& s, LoadState& state, int colorType, int bitDepth)
{
    TPixelGraphic& g = s.graphic;
    const auto width = std::int64_t(png_get_image_width(s.png, s.info));
    const auto height = std::int64_t(png_get_image_height(s.png, s.info));
    CheckImageDimensions(width, height, state.format);
    const TColor background = g.Background();
    g.Allocate(int(width), int(height), state.format);
    if (state.format != bcn24Bit) {
        if (colorType == PNG_COLOR_TYPE_PALETTE) {
            png_colorp entries = nullptr;
            int count = 0;
            png_get_PLTE(s.png, s.info, &entries, &count);
            count = std::clamp(count, 0, g.NumColors());
            g.SetPaletteCount(count);
            for (int i = 0; i < count; ++i)
                g.SetPaletteEntry(i, RGBColor(entries[i].red, entries[i].green, entries[i].blue));
        } else {
            const int levels = 1 << std::min(bitDepth, 8);
            g.SetPaletteCount(levels);
            for (int i = 0; i < levels; ++i) {
                const int v = i * 255 / (levels - 1);
                g.SetPaletteEntry(i, RGBColor(v, v, v));
            }
        }
    }
    g.SetBackground(background);
}

// Two-bit pixels, read into the front of a 4-bit row, spread to one nibble each, from the end.
void widenRow(std::uint8_t* row, int width)
{
    for (int x = width - 1; x >= 0; --x) {
        const int value = (row[x / 4] >> (6 - 2 * (x % 4))) & 3;
        std::uint8_t& b = row[x / 2];
        b = x % 2 ? std::uint8_t((b & 0xF0) | value) : std::uint8_t((b & 0x0F) | value << 4);
    }
}

bool runLoad(PngSession& s, LoadState& state) noexcept
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_read_info(s.png, s.info);
    const int colorType = png_get_color_type(s.png, s.info);
    const int bitDepth = png_get_bit_depth(s.png, s.info);
    if (colorType & PNG_COLOR_MASK_COLOR && colorType != PNG_COLOR_TYPE_PALETTE)
        state.format = bcn24Bit;
    else
        state.format = bitDepth == 1 ? bcn1Bit : (bitDepth <= 4 ? bcn4Bit : bcn8Bit);
    state.widenTwoBits = bitDepth == 2;

    setBackground(s, colorType, bitDepth);
    double fileGamma = 0;
    if (png_get_gAMA(s.png, s.info, &fileGamma) && fileGamma > 0)
        RunInsidePng(s, [&] { s.graphic.SetGamma(1.0L / fileGamma); });
    if (bitDepth == 16)
        png_set_strip_16(s.png);
    if (state.format == bcn24Bit)
        png_set_bgr(s.png);
    state.passes = png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    if (png_get_channels(s.png, s.info) != (state.format == bcn24Bit ? 3 : 1))
        png_error(s.png, "unexpected channel count after the transformations");

    RunInsidePng(s, [&] { prepareImage(s, state, colorType, bitDepth); });
    if (png_get_rowbytes(s.png, s.info) > png_size_t(s.graphic.RowBytes()))
        png_error(s.png, "row wider than the image");
    RunInsidePng(s, [&] {
        state.begun = true;
        s.graphic.ProgressBegin();
    });
    const int height = s.graphic.Height();
    const int total = state.passes * height;
    for (int pass = 0; pass < state.passes && !state.stopped; ++pass)
        for (int y = 0; y < height; ++y) {
            png_read_row(s.png, s.graphic.ScanLine(y), nullptr);
            RunInsidePng(s, [&] { state.stopped = s.graphic.Progress(pass * height + y, total); });
            if (state.stopped)
                break;
        }
    if (state.widenTwoBits)
        for (int y = 0; y < height; ++y)
            widenRow(s.graphic.ScanLine(y), s.graphic.Width());
    if (!state.stopped)
        png_read_end(s.png, nullptr);
    return true;
}

bool runReadInfo(PngSession& s) noexcept
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_read_info(s.png, s.info);
    return true;
}

QString colorsText(int pixelDepth)
{
    switch (pixelDepth) {
    case 1:
        return QStringLiteral("2");
    case 2:
        return QStringLiteral("4");
    case 4:
        return QStringLiteral("16");
    case 8:
        return QStringLiteral("256");
    case 16:
        return QStringLiteral("64K?");
    case 24:
        return QStringLiteral("16.7M");
    case 32:
        return QStringLiteral("16.7M?");
    default:
        return QStringLiteral("?");
    }
}

} // namespace

TPNGFileFormatReader::TPNGFileFormatReader()
    : TSingleImageReader(QStringLiteral("TPNGFileFormatReader"), QStringLiteral("png"),
                         QStringLiteral("Portable Network Graphics"), true)
{
}

bool TPNGFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    static const std::uint8_t signature[8] = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    return std::equal(std::begin(signature), std::end(signature), Header.begin());
}

void TPNGFileFormatReader::Fail(const QString& Text) const
{
    RaisePNG(Text);
}

void TPNGFileFormatReader::LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const
{
    if (!PngLibrariesMatch())
        RaisePNG(QStringLiteral("Invalid library version"));
    Graphic.SetGamma(PixelGraphicDefaultGamma);
    PngSession session(Stream, Graphic);
    LoadState state;
    const bool ok = CreatePngReader(session) && runLoad(session, state);
    EndPngProgress(Graphic, state.begun, ok);
    if (!ok)
        RaisePngFailure(session);
}

void TPNGFileFormatReader::ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const
{
    if (!PngLibrariesMatch())
        RaisePNG(QStringLiteral("Invalid library version"));
    TPixelGraphic quiet; // warnings while reading only the header are not shown
    quiet.SetWarningAction(waIgnore);
    PngSession session(Stream, quiet);
    if (!CreatePngReader(session) || !runReadInfo(session))
        RaisePngFailure(session);
    const int colorType = png_get_color_type(session.png, session.info);
    const int interlace = png_get_interlace_type(session.png, session.info);
    Info.Width = int(png_get_image_width(session.png, session.info));
    Info.Height = int(png_get_image_height(session.png, session.info));
    Info.BitsPerPixel = png_get_bit_depth(session.png, session.info) * png_get_channels(session.png, session.info);
    Info.ColorsText = colorsText(Info.BitsPerPixel);
    if (colorType & PNG_COLOR_MASK_PALETTE)
        Info.SubFormat = QStringLiteral("palette");
    else if (colorType & PNG_COLOR_MASK_COLOR)
        Info.SubFormat = QStringLiteral("RGB");
    else
        Info.SubFormat = QStringLiteral("GrayScale");
    if (colorType & PNG_COLOR_MASK_ALPHA)
        Info.SubFormat += QStringLiteral(", alpha");
    if (interlace == PNG_INTERLACE_ADAM7)
        Info.SubFormat += QStringLiteral(", interlaced");

    static const struct { png_uint_32 flag; const char* name; } chunks[] = {
        {PNG_INFO_gAMA, "gama"}, {PNG_INFO_sBIT, "sbit"}, {PNG_INFO_cHRM, "chrm"}, {PNG_INFO_PLTE, "plte"},
        {PNG_INFO_tRNS, "trns"}, {PNG_INFO_bKGD, "bkgd"}, {PNG_INFO_hIST, "hist"}, {PNG_INFO_pHYs, "phys"},
        {PNG_INFO_oFFs, "offs"}, {PNG_INFO_tIME, "time"},
    };
    QStringList present;
    for (const auto& chunk : chunks)
        if (png_get_valid(session.png, session.info, chunk.flag))
            present << QString::fromLatin1(chunk.name);
    Info.Chunks = present.isEmpty() ? QString() : QStringLiteral("(") + present.join(QStringLiteral(", ")) + u')';
    Info.ImageCount = 1;
}
