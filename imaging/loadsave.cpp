// Loading and saving of whole images, with gamma correction, palette recognition and the
// colour-resolution fallback of saves.
#include "loadsave.h"

#include "bytestream.h"
#include "colorresolution.h"
#include "fileformats.h"
#include "pgmessages.h"
#include "pgsettings.h"
#include "pixelgraphic.h"
#include "progressscope.h"
#include "imaging/formats/bmp/bmpformat.h"

#include "platform/filecontent.h"
#include "platform/prompts.h"
#include "platform/safewrite.h"

#include <QBuffer>
#include <QFile>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <algorithm>
#include <exception>
#include <functional>

long double PixelGraphicPower(long double X, long double Y)
{
    if (Y == 0)
        return 1;
    if (X == 0)
        return 0;
    if (X < 0)
        throw EPixelGraphic(QStringLiteral("Invalid Argument"));
    if (X == 1)
        return 1;
    return std::exp(Y * std::log(X));
}

bool GammaIsUsable(long double Gamma)
{
    return std::isfinite(Gamma) && Gamma > 0.01L && Gamma < 100.0L;
}

namespace {

// Brings the image from the gamma its file was made for to the library's default.
void correctGamma(TPixelGraphic& Graphic)
{
    const long double fileGamma = Graphic.Gamma();
    if (!GammaIsUsable(fileGamma)) {
        Graphic.SetGamma(PixelGraphicDefaultGamma);
        return;
    }
    const long double ratio = fileGamma / PixelGraphicDefaultGamma;
    if (!PixelGraphicGammaCorrection || std::fabs(ratio - 1) <= 0.05L)
        return;
    std::uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = std::uint8_t(std::nearbyint(255 * PixelGraphicPower(i / 255.0L, ratio)));
    if (Graphic.BitCountNum() == bcn24Bit) {
        if (Graphic.Width() > 0 && Graphic.Height() > 0 && Graphic.Bits()) {
            const std::int64_t pixelBytes = std::int64_t(Graphic.Width()) * 3;
            for (int y = 0; y < Graphic.Height(); ++y) {
                std::uint8_t* p = Graphic.ScanLine(y);
                for (std::int64_t i = 0; i < pixelBytes; ++i)
                    p[i] = table[p[i]];
            }
        }
    } else {
        for (int i = 0; i < Graphic.PaletteCount(); ++i) {
            const TColor c = Graphic.Palette()[std::size_t(i)];
            Graphic.SetPaletteEntry(i, RGBColor(table[RedOf(c)], table[GreenOf(c)], table[BlueOf(c)]));
        }
    }
    Graphic.SetGamma(PixelGraphicDefaultGamma);
}

using WriteFunction = std::function<void(const TFileFormatWriter& Writer, TPixelGraphic& Image)>;

// Finds the writer, settles the colour resolution (converting, asking or refusing) and hands
// the image to write.
void saveWithConversion(TPixelGraphic& Graphic, const FormatRegistry& Registry, QString Extension,
                        const WriteFunction& write)
{
    Graphic.FlushCanvas();
    if (Extension.startsWith(u'.'))
        Extension.remove(0, 1);
    if (Registry.Writers().empty())
        throw EPGFileFormatWritersEmpty(PGLangStrS1(PgMsg::IsEmpty, QStringLiteral("FileFormatWriters")));
    const TFileFormatWriter* writer = Registry.FindWriter(Extension);
    if (!writer)
        throw EPGUnknownExtension(PGLangStrS1(PgMsg::UnknownExtension, Extension.toLower()));
    // An image that kept its size when its pixel memory could not be had has no rows for any
    // writer to read.
    if (Graphic.Empty() && Graphic.ImageSize() > 0)
        throw EPixelGraphic(PGLangStrS1(PgMsg::IsEmpty, QStringLiteral("Image")));
    Graphic.RecognisePaletteIdent();
    const TColorResolution current = CurrentColorResolution(Graphic.BitCountNum(), Graphic.PaletteIdent());
    const std::optional<TColorResolution> target = ChooseColorResolution(current, writer->CanWriteResolutions());
    if (!target)
        throw EPGCanWriteResolutionsEmpty(PGLangStrS1(PgMsg::IsEmpty, writer->ClassName() + QStringLiteral(".CanWriteResolutions")));
    if (*target == current) {
        Graphic.RecognisePaletteIdent();
        write(*writer, Graphic);
        return;
    }
    const QString question = PGLangStrS3(PgMsg::ColorResolutionChanged, writer->Description(), ColorResolutionName(current),
                                         ColorResolutionName(*target));
    bool refused = false;
    switch (Graphic.ColorResConversion()) {
    case crcTellAndConvert:
        Graphic.AskUser(platform::Prompt{platform::PromptIcon::Warning, platform::PromptButtons::Ok, {}, question});
        break;
    case crcAsk: {
        // Without anyone to ask (no prompt service, or off the user-interface thread) nothing is
        // converted unasked.
        const std::optional<int> answer = Graphic.AskUser(
            platform::Prompt{platform::PromptIcon::Warning, platform::PromptButtons::OkCancel, {}, question});
        refused = !answer || *answer != platform::mrOk;
        break;
    }
    case crcRefuse:
        refused = true;
        break;
    case crcConvert:
    default:
        break;
    }
    if (refused)
        throw EPGCannotWriteColorRes(PGLangStrS2(PgMsg::CannotWriteColorResolution, writer->Description(), ColorResolutionName(current)));
    const std::unique_ptr<TPixelGraphic> converted = ConvertToColorResolution(Graphic, *target);
    write(*writer, *converted);
}

// The bitmap of ReadData: a 32-bit byte count, then that many bytes. Read in steps, so that a
// damaged count costs no more memory than the stream holds.
QByteArray readCountedBitmap(QIODevice& Stream)
{
    ByteReader reader(Stream, RaiseBMPEndOfFile);
    const std::int64_t count = reader.U32();
    QByteArray bitmap;
    constexpr std::int64_t step = 1 << 20;
    while (bitmap.size() < count) {
        const std::int64_t n = std::min(step, count - std::int64_t(bitmap.size()));
        const qsizetype at = bitmap.size();
        bitmap.resize(at + n);
        reader.Read(bitmap.data() + at, n);
    }
    return bitmap;
}

} // namespace

void LoadGraphic(TPixelGraphic& Graphic, const FormatRegistry& Registry, QIODevice& Stream,
                 const QString& Extension, int ImageIndex)
{
    Graphic.FlushCanvas();
    UpdateScope update(Graphic);
    Graphic.Allocate(0, 0, bcn24Bit);
    Graphic.SetPaletteIdent(pTrueColor);
    Graphic.SetGamma(PixelGraphicDefaultGamma);
    const TFileFormatReader* reader = FindFileFormatReader(Registry, Stream, Extension);
    if (!reader)
        throw EPGUnknownFileFormat(PGLangStr(PgMsg::UnknownFileFormat));
    reader->Load(Stream, Graphic, ImageIndex);
    correctGamma(Graphic);
    Graphic.RecognisePaletteIdent();
}

void SaveGraphicToStream(TPixelGraphic& Graphic, const FormatRegistry& Registry, QIODevice& Stream,
                         const QString& Extension, const SaveOptions& Options)
{
    saveWithConversion(Graphic, Registry, Extension, [&](const TFileFormatWriter& Writer, TPixelGraphic& Image) {
        Writer.Save(Stream, Image, Options);
    });
}

void WriteFileAtomically(const QString& FileName, const std::function<void(QIODevice& Stream)>& Write)
{
    std::exception_ptr failure;
    const platform::FileOutcome outcome = platform::writeOutputFile(FileName, [&](QIODevice& out, QString&) {
        try {
            Write(out);
            return true;
        } catch (...) {
            failure = std::current_exception();
            return false;
        }
    });
    if (failure)
        std::rethrow_exception(failure);
    if (!outcome)
        throw EPixelGraphic(outcome.reason);
}

void SaveGraphicToFile(TPixelGraphic& Graphic, const FormatRegistry& Registry, const QString& FileName,
                       const SaveOptions& Options)
{
    saveWithConversion(Graphic, Registry, GetLowerExtension(FileName),
                       [&](const TFileFormatWriter& Writer, TPixelGraphic& Image) {
                           WriteFileAtomically(FileName, [&](QIODevice& Stream) { Writer.Save(Stream, Image, Options); });
                       });
}

// ---- TPixelGraphic's loading and saving ----

void TPixelGraphic::LoadFromFile(const QString& FileName)
{
    LoadFromFileIndex(FileName, 0);
}

void OpenImageFile(QFile& File, const QString& FileName)
{
    if (!platform::openPlainFile(File, FileName)) {
        const int err = errno;
        throw EPixelGraphic(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, QString::fromLocal8Bit(std::strerror(err))));
    }
}

void TPixelGraphic::LoadFromFileIndex(const QString& FileName, int ImageIndex)
{
    QFile file;
    OpenImageFile(file, FileName);
    LoadFromStreamIndex(file, GetLowerExtension(FileName), ImageIndex);
}

void TPixelGraphic::LoadFromStream(QIODevice& Stream)
{
    LoadFromStreamIndex(Stream, QString(), 0);
}

void TPixelGraphic::LoadFromStreamIndex(QIODevice& Stream, const QString& Extension, int ImageIndex)
{
    LoadGraphic(*this, FileFormatRegistry(), Stream, Extension, ImageIndex);
}

void TPixelGraphic::SaveToFile(const QString& FileName, const SaveOptions& Options)
{
    SaveGraphicToFile(*this, FileFormatRegistry(), FileName, Options);
}

void TPixelGraphic::SaveToStreamAs(QIODevice& Stream, const QString& Extension, const SaveOptions& Options)
{
    SaveGraphicToStream(*this, FileFormatRegistry(), Stream, Extension, Options);
}

void TPixelGraphic::SaveToStream(QIODevice& Stream)
{
    FlushCanvas();
    GlobalBMPWriter().Save(Stream, *this, CurrentSaveOptions());
}

void TPixelGraphic::WriteData(QIODevice& Stream)
{
    // The count goes first; the bitmap is made in memory so that any stream can take it.
    QBuffer bitmap;
    bitmap.open(QIODevice::WriteOnly);
    SaveToStream(bitmap);
    std::uint8_t count[4];
    PutU32(count, std::uint32_t(bitmap.size()));
    WriteAllBytes(Stream, count, 4, QStringLiteral("BMP"));
    WriteAllBytes(Stream, bitmap.data().constData(), bitmap.size(), QStringLiteral("BMP"));
}

void TPixelGraphic::ReadData(QIODevice& Stream)
{
    const QByteArray bitmap = readCountedBitmap(Stream);
    QBuffer buffer;
    buffer.setData(bitmap);
    buffer.open(QIODevice::ReadOnly);
    LoadFromStreamIndex(buffer, QStringLiteral("bmp"), 0);
}

void TPixelGraphic::LoadFromClipboardFormat(std::uint16_t Format, const QByteArray* Data, std::uintptr_t)
{
    if ((Format != ClipboardBitmap && Format != ClipboardDIB) || !Data)
        throw EPGUnknownClipboardFormat(PGLangStr(PgMsg::UnknownClipboardFormat));
    QBuffer buffer;
    buffer.setData(*Data);
    buffer.open(QIODevice::ReadOnly);
    UpdateScope update(*this);
    DecodePackedBitmap(buffer, *this);
    SetGamma(PixelGraphicDefaultGamma);
    RecognisePaletteIdent();
}

void TPixelGraphic::SaveToClipboardFormat(std::uint16_t& Format, QByteArray& Data, std::uintptr_t& Palette)
{
    FlushCanvas();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EncodePackedBitmap(buffer, *this);
    Data = buffer.data();
    Format = ClipboardDIB;
    Palette = 0;
}

void TPixelGraphic::LoadFromGraphic(StreamableGraphic& Graphic)
{
    SetGamma(PixelGraphicDefaultGamma);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    Graphic.SaveToStream(buffer);
    buffer.seek(0);
    LoadFromStream(buffer);
    RecognisePaletteIdent();
    Changed();
}

void TPixelGraphic::CopyToGraphic(StreamableGraphic& Target)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    SaveToStream(buffer);
    buffer.seek(0);
    Target.LoadFromStream(buffer);
}
