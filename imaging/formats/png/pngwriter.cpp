#include "pngformat.h"
#include "pngglue.h"

#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <QIODevice>

#include <cmath>
#include <csetjmp>
#include <memory>
#include <vector>

namespace {

struct SaveState {
    bool begun = false;
    // Palette rows whose indices reach past the palette go out through this copy, those
    // indices as 0.
    std::vector<std::uint8_t> row;
};

// Indices at or beyond Count as 0.
void clampIndices(const std::uint8_t* source, std::uint8_t* target, int width, int bits, int count)
{
    for (int x = 0; x < width; ++x) {
        const int perByte = 8 / bits;
        const int shift = 8 - bits * (x % perByte + 1);
        const int mask = (1 << bits) - 1;
        int value = (source[x / perByte] >> shift) & mask;
        if (value >= count)
            value = 0;
        std::uint8_t& b = target[x / perByte];
        b = std::uint8_t((b & ~(mask << shift)) | value << shift);
    }
}

bool runSave(PngSession& s, SaveState& state) noexcept
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    TPixelGraphic& g = s.graphic;
    const int width = g.Width();
    const int height = g.Height();
    const bool trueColor = g.BitCountNum() == bcn24Bit;
    const bool gray = g.BitCountNum() == bcn8Bit && g.PaletteIdent() == pGray256;
    const int bits = g.BitCount();
    const int colorType = trueColor ? PNG_COLOR_TYPE_RGB : (gray ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE);
    png_set_IHDR(s.png, s.info, png_uint_32(width), png_uint_32(height), trueColor ? 8 : bits, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const bool palette = colorType == PNG_COLOR_TYPE_PALETTE;
    const int entries = palette ? (g.PaletteCount() == 0 ? 1 << bits : std::min(g.PaletteCount(), 1 << bits)) : 0;
    png_color plte[256] = {};
    for (int i = 0; i < entries && i < g.PaletteCount(); ++i) {
        const TColor c = g.Palette()[std::size_t(i)];
        plte[i] = png_color{png_byte(RedOf(c)), png_byte(GreenOf(c)), png_byte(BlueOf(c))};
    }
    if (palette)
        png_set_PLTE(s.png, s.info, plte, entries);
    const long double gamma = g.Gamma();
    if (PixelGraphicPNGWriteGamma && std::isfinite(gamma) && gamma > 0)
        png_set_gAMA(s.png, s.info, double(1.0L / gamma));
    png_write_info(s.png, s.info);
    if (trueColor)
        png_set_bgr(s.png);

    const bool clamp = palette && g.PaletteCount() < (1 << bits);
    RunInsidePng(s, [&] {
        if (clamp)
            state.row.assign(std::size_t(g.RowBytes()), 0);
        state.begun = true;
        g.ProgressBegin();
    });
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = g.ScanLine(y);
        if (clamp) {
            clampIndices(row, state.row.data(), width, bits, std::max(g.PaletteCount(), 1));
            row = state.row.data();
        }
        png_write_row(s.png, row);
        bool abort = false;
        RunInsidePng(s, [&] { abort = g.Progress(y, height); });
        if (abort) {
            s.failure = PngFailure::UserAbort;
            png_longjmp(s.png, 1);
        }
    }
    png_write_end(s.png, nullptr);
    return true;
}

} // namespace

TPNGFileFormatWriter::TPNGFileFormatWriter()
    : TFileFormatWriter(QStringLiteral("TPNGFileFormatWriter"), QStringLiteral("png"),
                        QStringLiteral("Portable Network Graphics"), ColorResolutionSet::All())
{
}

void TPNGFileFormatWriter::Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions&) const
{
    if (!PngLibrariesMatch())
        RaisePNG(QStringLiteral("Invalid library version"));
    PngSession session(Stream, Graphic);
    SaveState state;
    const bool ok = CreatePngWriter(session) && runSave(session, state);
    EndPngProgress(Graphic, state.begun, ok);
    if (!ok)
        RaisePngFailure(session);
}

void RegisterPNGFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<TPNGFileFormatReader>());
    Registry.AddWriter(std::make_unique<TPNGFileFormatWriter>());
}
