// The GIF format adapter: the registry's GIF reader and writer, through TGIFImage.
#include "gifformat.h"
#include "gifimage.h"

#include "imaging/pgmessages.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

namespace {

constexpr int kSignatureSum = 'G' + 'I' + 'F'; // 214

[[noreturn]] void raiseIndex()
{
    throw EPixelGraphic(QStringLiteral("Index > 1"));
}

} // namespace

// ---- Reader ----

TGIFFileFormatReader::TGIFFileFormatReader()
    : TFileFormatReader(QStringLiteral("TGIFFileFormatReader"), QStringLiteral("gif"), QStringLiteral("GIF-Format"), true)
{
}

bool TGIFFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return Header[0] + Header[1] + Header[2] == kSignatureSum;
}

void TGIFFileFormatReader::Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const
{
    if (ImageIndex > 1)
        raiseIndex();
    PGObject* sender = const_cast<TGIFFileFormatReader*>(this);
    // No warning handler: what the GIF model works round while reading stays inside it.
    TGIFImage gif;
    Graphic.ProgressBegin(sender);
    const AtScopeEnd end([&Graphic, sender] {
        Graphic.Progress(100, 100, sender);
        Graphic.ProgressEnd(sender);
    });
    bool abort = Graphic.Progress(10, 100, sender);
    gif.LoadFromStream(Stream);
    abort |= Graphic.Progress(90, 100, sender);
    abort |= Graphic.Progress(100, 100, sender);
    if (abort)
        return; // the pixel image stays as it was
    gif.AssignTo(Graphic);
}

void TGIFFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const
{
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    if (ImageIndex > 1)
        raiseIndex();
    TGIFImage gif;
    gif.LoadFromStream(Stream);
    Info.Width = gif.Width();
    Info.Height = gif.Height();
    Info.BitsPerPixel = 8;
    Info.ColorsText = QStringLiteral("256");
    Info.ImageCount = 1;
}

// ---- Writer ----

TGIFFileFormatWriter::TGIFFileFormatWriter()
    : TFileFormatWriter(QStringLiteral("TGIFFileFormatWriter"), QStringLiteral("gif"), QStringLiteral("GIF-Format"),
                        ColorResolutionSet{cr256Colors})
{
}

void TGIFFileFormatWriter::Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions&) const
{
    // Without pixels the file would hold no frame, which no reader takes back.
    if (Graphic.Width() <= 0 || Graphic.Height() <= 0)
        RaiseGIF(PGLangStr(PgMsg::ZeroWidthOrHeight));
    PGObject* sender = const_cast<TGIFFileFormatWriter*>(this);
    Graphic.ProgressBegin(sender);
    const AtScopeEnd end([&Graphic, sender] { Graphic.ProgressEnd(sender); });
    Graphic.Progress(10, 100, sender);
    TGIFImage gif;
    Graphic.Progress(50, 100, sender);
    gif.Assign(&Graphic);
    Graphic.Progress(90, 100, sender);
    gif.SaveToStream(Stream);
    Graphic.Progress(100, 100, sender);
}

void RegisterGIFFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<TGIFFileFormatReader>());
    Registry.AddWriter(std::make_unique<TGIFFileFormatWriter>());
}
