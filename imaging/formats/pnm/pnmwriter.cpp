#include "pnmformat.h"

#include "imaging/bytestream.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

const char kTag[] = "PBM, PGM, PPM";

// Collects the output and hands it to the stream a kilobyte or so at a time.
class Output {
public:
    explicit Output(QIODevice& Stream) : stream_(Stream) { buffer_.reserve(kFlushAt + 64); }
    void Put(const QByteArray& Bytes)
    {
        buffer_ += Bytes;
        if (buffer_.size() >= kFlushAt)
            Flush();
    }
    void Put(char Byte) { Put(QByteArray(1, Byte)); }
    void PutNumber(int Value) { Put(QByteArray::number(Value)); }
    void Flush()
    {
        WriteAllBytes(stream_, buffer_.constData(), buffer_.size(), QString::fromLatin1(kTag));
        buffer_.clear();
    }

private:
    static constexpr qsizetype kFlushAt = 1024;
    QIODevice& stream_;
    QByteArray buffer_;
};

void writeBitmapRow(Output& out, TPixelGraphic& graphic, int y, bool binary)
{
    const int width = graphic.Width();
    if (binary) {
        const std::uint8_t* row = graphic.ScanLine(y);
        QByteArray bytes((width + 7) / 8, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(~row[i]);
        if (width % 8 != 0) // the unused bits of the last byte stay 0
            bytes[bytes.size() - 1] = char(bytes.back() & (0xFF00 >> (width % 8)));
        out.Put(bytes);
        return;
    }
    for (int x = 0; x < width; ++x) {
        if (x > 0)
            out.Put(' ');
        out.Put(graphic.GetPixel(x, y) == 0 ? '1' : '0');
    }
    out.Put('\n');
}

void writeGraymapRow(Output& out, TPixelGraphic& graphic, int y, bool binary)
{
    const std::uint8_t* row = graphic.ScanLine(y);
    if (binary) {
        out.Put(QByteArray(reinterpret_cast<const char*>(row), graphic.Width()));
        return;
    }
    for (int x = 0; x < graphic.Width(); ++x) {
        if (x > 0)
            out.Put(' ');
        out.PutNumber(row[x]);
    }
    out.Put('\n');
}

void writePixmapRow(Output& out, TPixelGraphic& graphic, int y, bool binary)
{
    const std::uint8_t* row = graphic.ScanLine(y);
    const int width = graphic.Width();
    if (binary) {
        QByteArray bytes(qsizetype(width) * 3, '\0');
        for (int x = 0; x < width; ++x) {
            bytes[3 * x] = char(row[3 * x + 2]);
            bytes[3 * x + 1] = char(row[3 * x + 1]);
            bytes[3 * x + 2] = char(row[3 * x]);
        }
        out.Put(bytes);
        return;
    }
    for (int x = 0; x < width; ++x) {
        if (x > 0)
            out.Put(' ');
        out.PutNumber(row[3 * x + 2]);
        out.Put(' ');
        out.PutNumber(row[3 * x + 1]);
        out.Put(' ');
        out.PutNumber(row[3 * x]);
    }
    out.Put('\n');
}

} // namespace

TPXMFileFormatWriter::TPXMFileFormatWriter(QString ClassName, QString Extension, QString Description,
                                           ColorResolutionSet Resolutions)
    : TFileFormatWriter(std::move(ClassName), std::move(Extension), std::move(Description), Resolutions)
{
}

TPBMFileFormatWriter::TPBMFileFormatWriter()
    : TPXMFileFormatWriter(QStringLiteral("TPBMFileFormatWriter"), QStringLiteral("pbm"),
                           QStringLiteral("Portable Bitmap"), {crBlackWhite})
{
}

TPGMFileFormatWriter::TPGMFileFormatWriter()
    : TPXMFileFormatWriter(QStringLiteral("TPGMFileFormatWriter"), QStringLiteral("pgm"),
                           QStringLiteral("Portable Graymap"), {cr256Grays})
{
}

TPPMFileFormatWriter::TPPMFileFormatWriter()
    : TPXMFileFormatWriter(QStringLiteral("TPPMFileFormatWriter"), QStringLiteral("ppm"),
                           QStringLiteral("Portable Pixelmap"), {cr16MillionColors})
{
}

void TPXMFileFormatWriter::Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions&) const
{
    static const QString kinds[] = {QStringLiteral("pbm"), QStringLiteral("pgm"), QStringLiteral("ppm")};
    const int kind = int(std::find(std::begin(kinds), std::end(kinds), Extension()) - std::begin(kinds));
    if (kind == 3)
        RaiseTagged<EPGPxMFileFormatWriter>(kTag, PGLangStrS1(PgMsg::UnknownExtension, Extension()));
    if (Graphic.Width() <= 0 || Graphic.Height() <= 0)
        RaiseTagged<EPGPxMFileFormatWriter>(kTag, PGLangStr(PgMsg::ZeroWidthOrHeight));
    // Nothing is written for an image the variant cannot hold.
    static const char* const tags[] = {"PBM", "PGM", "PPM"};
    const bool fits = kind == 0   ? Graphic.BitCountNum() == bcn1Bit && Graphic.PaletteIdent() == pBlackWhite
                      : kind == 1 ? Graphic.BitCountNum() == bcn8Bit && Graphic.PaletteIdent() == pGray256
                                  : Graphic.BitCountNum() == bcn24Bit;
    if (!fits)
        RaiseTagged<EPGPxMFileFormatWriter>(tags[kind], PGLangStr(PgMsg::InvalidColorResolution));

    const bool binary = PxMWriteBinary;
    Output out(Stream);
    out.Put('P');
    out.PutNumber(kind + 1 + (binary ? 3 : 0));
    out.Put('\n');
    out.PutNumber(Graphic.Width());
    out.Put(' ');
    out.PutNumber(Graphic.Height());
    out.Put('\n');
    if (kind != 0)
        out.Put(QByteArrayLiteral("255\n"));
    {
        ProgressScope progress(Graphic);
        for (int y = 0; y < Graphic.Height(); ++y) {
            if (kind == 0)
                writeBitmapRow(out, Graphic, y, binary);
            else if (kind == 1)
                writeGraymapRow(out, Graphic, y, binary);
            else
                writePixmapRow(out, Graphic, y, binary);
            Graphic.Progress(y, Graphic.Height());
        }
    }
    out.Flush();
}

void RegisterPxMFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<TPBMFileFormatReader>());
    Registry.AddReader(std::make_unique<TPGMFileFormatReader>());
    Registry.AddReader(std::make_unique<TPPMFileFormatReader>());
    Registry.AddWriter(std::make_unique<TPBMFileFormatWriter>());
    Registry.AddWriter(std::make_unique<TPGMFileFormatWriter>());
    Registry.AddWriter(std::make_unique<TPPMFileFormatWriter>());
}
