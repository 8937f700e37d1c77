#include "pngfixtures.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <stdexcept>

namespace {

void throwingError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}
void quietWarning(png_structp, png_const_charp) {}

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(length));
}
void noFlush(png_structp) {}

struct Input {
    const QByteArray* bytes;
    qsizetype at;
};
void readBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* in = static_cast<Input*>(png_get_io_ptr(png));
    if (in->at + qsizetype(length) > in->bytes->size())
        png_longjmp(png, 1);
    std::memcpy(data, in->bytes->constData() + in->at, length);
    in->at += qsizetype(length);
}

int channelsOf(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

} // namespace

QByteArray PngFile(const PngSpec& Spec)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, throwingError, quietWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the test file");
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_compression_level(png, Spec.compression);
    png_set_IHDR(png, info, png_uint_32(Spec.width), png_uint_32(Spec.height), Spec.bitDepth, Spec.colorType,
                 Spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::size_t i = 0; i + 2 < Spec.palette.size(); i += 3)
        palette.push_back(png_color{Spec.palette[i], Spec.palette[i + 1], Spec.palette[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_color_16 gray{};
    if (Spec.transparentGray)
        gray.gray = *Spec.transparentGray;
    if (!Spec.transparency.empty() || Spec.transparentGray)
        png_set_tRNS(png, info, Spec.transparency.empty() ? nullptr : Spec.transparency.data(),
                     int(Spec.transparency.size()), Spec.transparentGray ? &gray : nullptr);
    png_color_16 background{};
    if (Spec.backgroundIndex || Spec.backgroundGray || Spec.backgroundRgb) {
        if (Spec.backgroundIndex)
            background.index = png_byte(*Spec.backgroundIndex);
        if (Spec.backgroundGray)
            background.gray = *Spec.backgroundGray;
        if (Spec.backgroundRgb) {
            background.red = (*Spec.backgroundRgb)[0];
            background.green = (*Spec.backgroundRgb)[1];
            background.blue = (*Spec.backgroundRgb)[2];
        }
        png_set_bKGD(png, info, &background);
    }
    if (Spec.gamma)
        png_set_gAMA(png, info, *Spec.gamma);
    png_time stamp{2020, 1, 2, 3, 4, 5};
    if (Spec.time)
        png_set_tIME(png, info, &stamp);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (const QByteArray& row : Spec.rows)
            png_write_row(png, reinterpret_cast<png_const_bytep>(row.constData()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::shared_ptr<std::uint8_t> PlainRowMemory(std::size_t Size)
{
    return std::shared_ptr<std::uint8_t>(new std::uint8_t[Size](), std::default_delete<std::uint8_t[]>());
}

PngDecode PngReferenceDecode(const QByteArray& File, std::uint32_t BackgroundColour, bool UseFileBackground,
                             const PngRowMemory& Memory)
{
    PngDecode result;
    Input in{&File, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, throwingError, quietWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng could not read the file");
    }
    png_set_read_fn(png, &in, readBytes);
    png_set_option(png, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
    png_read_info(png, info);
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    png_color_16p fileBackground = nullptr;
    if (UseFileBackground && png_get_bKGD(png, info, &fileBackground)) {
        png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else if ((colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_color_16 mine{};
        mine.red = BackgroundColour & 0xFF;
        mine.green = (BackgroundColour >> 8) & 0xFF;
        mine.blue = (BackgroundColour >> 16) & 0xFF;
        const int depth = bitDepth < 8 ? bitDepth : 8;
        const int intensity = (299 * mine.red + 587 * mine.green + 114 * mine.blue) / 1000;
        mine.gray = png_uint_16(intensity * ((1 << depth) - 1) / 255);
        png_set_background(png, &mine, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    if (bitDepth == 16)
        png_set_strip_16(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) && colorType != PNG_COLOR_TYPE_PALETTE)
        png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    result.width = int(png_get_image_width(png, info));
    result.height = int(png_get_image_height(png, info));
    result.channels = png_get_channels(png, info);
    result.bitDepth = png_get_bit_depth(png, info);
    result.rowBytes = png_get_rowbytes(png, info);
    result.pixels = Memory(result.rowBytes * std::size_t(result.height));
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < result.height; ++y)
            png_read_row(png, result.pixels.get() + std::size_t(y) * result.rowBytes, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

std::vector<QByteArray> PngPatternRows(int Width, int Height, int ColorType, int BitDepth)
{
    const int channels = channelsOf(ColorType);
    const int bitsPerPixel = channels * BitDepth;
    const int maxValue = (1 << BitDepth) - 1;
    std::vector<QByteArray> rows;
    for (int y = 0; y < Height; ++y) {
        QByteArray row(qsizetype((std::int64_t(Width) * bitsPerPixel + 7) / 8), '\0');
        for (int x = 0; x < Width; ++x)
            for (int c = 0; c < channels; ++c) {
                // Gradients in each channel, a hard edge, and alpha that runs from clear to solid.
                int v = ((x * 7 + y * 13 + c * 29) * (maxValue + 1) / 97) % (maxValue + 1);
                if (x == Width / 2)
                    v = maxValue - v;
                if (ColorType == 3)
                    v %= 5; // palettes of the tests hold at least five entries
                const std::int64_t bit = (std::int64_t(x) * channels + c) * BitDepth;
                if (BitDepth == 16) {
                    row[qsizetype(bit / 8)] = char(v >> 8);
                    row[qsizetype(bit / 8 + 1)] = char(v);
                } else {
                    const int shift = 8 - BitDepth - int(bit % 8);
                    row[qsizetype(bit / 8)] = char(std::uint8_t(row[qsizetype(bit / 8)]) | v << shift);
                }
            }
        rows.push_back(row);
    }
    return rows;
}
