#include "tgaformat.h"

#include "imaging/bytestream.h"
#include "imaging/pgmessages.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <QIODevice>

#include <array>
#include <memory>
#include <vector>

TTGAFileFormatWriter::TTGAFileFormatWriter()
    : TFileFormatWriter(QStringLiteral("TTGAFileFormatWriter"), QStringLiteral("tga"),
                        QStringLiteral("Truevision Targa"), {cr256Colors, cr16MillionColors})
{
}

void TTGAFileFormatWriter::Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions&) const
{
    const QString tag = QStringLiteral("TGA");
    const bool trueColor = Graphic.BitCountNum() == bcn24Bit;
    const int width = Graphic.Width();
    const int height = Graphic.Height();
    // The header keeps each side in 16 bits; a larger one would be cut, not stored.
    if (width > 0xFFFF)
        RaiseTagged<EPGTGAFileFormatReader>("TGA", PGLangStrS1(PgMsg::OutOfRange, QStringLiteral("Width")));
    if (height > 0xFFFF)
        RaiseTagged<EPGTGAFileFormatReader>("TGA", PGLangStrS1(PgMsg::OutOfRange, QStringLiteral("Height")));
    std::array<std::uint8_t, 18> header{};
    if (trueColor) {
        header[2] = 2;
        header[16] = 24;
    } else {
        header[1] = 1;
        header[2] = 1;
        PutU16(&header[5], std::uint32_t(Graphic.PaletteCount()));
        header[7] = 24;
        header[16] = 8;
    }
    PutU16(&header[12], std::uint32_t(width));
    PutU16(&header[14], std::uint32_t(height));
    WriteAllBytes(Stream, header.data(), std::int64_t(header.size()), tag);
    if (!trueColor && Graphic.PaletteCount() > 0) {
        std::vector<std::uint8_t> map;
        for (const TColor c : Graphic.Palette())
            map.insert(map.end(), {std::uint8_t(BlueOf(c)), std::uint8_t(GreenOf(c)), std::uint8_t(RedOf(c))});
        WriteAllBytes(Stream, map.data(), std::int64_t(map.size()), tag);
    }
    if (height <= 0)
        return;

    ProgressScope progress(Graphic);
    std::vector<std::uint8_t> indices(trueColor ? 0 : std::size_t(width));
    for (int r = 0; r < height; ++r) {
        const int y = height - 1 - r; // bottom row first
        if (trueColor) {
            WriteAllBytes(Stream, Graphic.ScanLine(y), std::int64_t(width) * 3, tag);
        } else {
            // 1- and 4-bit images go out as 8-bit indices.
            for (int x = 0; x < width; ++x)
                indices[std::size_t(x)] = std::uint8_t(Graphic.GetPixel(x, y));
            WriteAllBytes(Stream, indices.data(), width, tag);
        }
        Graphic.Progress(r, height);
    }
}

void RegisterTGAFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<TTGAFileFormatReader>());
    Registry.AddWriter(std::make_unique<TTGAFileFormatWriter>());
}
