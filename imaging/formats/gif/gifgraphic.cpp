// TGIFImage: the graphic over the item tree.
#include "gifcanvas.h"
#include "gifimage.h"
#include "gifpainter.h"

#include "imaging/bytestream.h"
#include "imaging/loadsave.h"
#include "imaging/palettes.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>
#include <QFile>

TGIFImage::TGIFImage() : header_(this), images_(this), clock_(SystemGIFClock()) {}

TGIFImage::~TGIFImage()
{
    StopPainters();
}

int TGIFImage::Width() const
{
    if (header_.ScreenWidth > 0 || images_.Count() == 0)
        return header_.ScreenWidth;
    const TGIFSubImage& first = images_.Items(0);
    return first.Left + first.Width();
}

int TGIFImage::Height() const
{
    if (header_.ScreenHeight > 0 || images_.Count() == 0)
        return header_.ScreenHeight;
    const TGIFSubImage& first = images_.Items(0);
    return first.Top + first.Height();
}

void TGIFImage::SetWidth(std::uint16_t Value)
{
    for (const auto& frame : images_)
        if (frame->Left + frame->Width() > Value)
            RaiseGIF(GifText::WidthTooSmall);
    header_.ScreenWidth = Value;
    Changed();
}

void TGIFImage::SetHeight(std::uint16_t Value)
{
    for (const auto& frame : images_)
        if (frame->Top + frame->Height() > Value)
            RaiseGIF(GifText::HeightTooSmall);
    header_.ScreenHeight = Value;
    Changed();
}

TGIFVersion TGIFImage::Version() const
{
    TGIFVersion version = gvUnknown;
    for (const auto& frame : images_)
        version = std::max(version, frame->Version());
    return version;
}

void TGIFImage::Clear()
{
    StopPainters();
    images_.Clear();
    header_.Clear();
    Changed();
}

void TGIFImage::Changed()
{
    dropBitmap();
    palette_.reset();
    if (onChange_)
        onChange_(this);
}

// ---- Copies ----

void TGIFImage::Assign(PGObject* Source)
{
    if (Source == this)
        return;
    if (!Source) {
        Clear();
        return;
    }
    if (auto* gif = dynamic_cast<TGIFImage*>(Source)) {
        Clear();
        header_.Signature = gif->header_.Signature;
        header_.ScreenWidth = gif->header_.ScreenWidth;
        header_.ScreenHeight = gif->header_.ScreenHeight;
        header_.Packed = gif->header_.Packed;
        header_.BackgroundIndex = gif->header_.BackgroundIndex;
        header_.AspectRatio = gif->header_.AspectRatio;
        header_.ColorMap() = gif->header_.ColorMap();
        const int count = gif->images_.Count();
        for (int i = 0; i < count; ++i) {
            images_.Add(gif->images_.Items(i).Clone(this));
            Progress((i + 1) * 100 / count, "Copying...");
        }
        Changed();
        return;
    }
    auto* bitmap = dynamic_cast<TPixelGraphic*>(Source);
    if (!bitmap)
        RaiseGIF(GifText::UnsupportedObject);
    Clear();
    auto frame = std::make_shared<TGIFSubImage>(this);
    frame->AssignBitmap(*bitmap);
    // One frame: its palette is the global map.
    header_.ColorMap().Assign(frame->ColorMap().Colors());
    frame->ColorMap().Clear();
    header_.ScreenWidth = std::uint16_t(frame->Width());
    header_.ScreenHeight = std::uint16_t(frame->Height());
    images_.Add(std::move(frame));
    Changed();
}

int TGIFImage::Add(PGObject& Source)
{
    std::shared_ptr<TGIFSubImage> frame;
    if (auto* bitmap = dynamic_cast<TPixelGraphic*>(&Source)) {
        frame = std::make_shared<TGIFSubImage>(this);
        frame->AssignBitmap(*bitmap);
    } else if (auto* other = dynamic_cast<TGIFSubImage*>(&Source)) {
        frame = other->Clone(this);
    } else {
        RaiseGIF(GifText::UnsupportedObject);
    }
    const int index = images_.Add(frame);
    bool grew = false;
    if (frame->Left + frame->Width() > header_.ScreenWidth) {
        header_.ScreenWidth = std::uint16_t(std::min(frame->Left + frame->Width(), 0xFFFF));
        Warning(this, 1, QString::fromLatin1(GifText::WidthTooSmall));
        grew = true;
    }
    if (frame->Top + frame->Height() > header_.ScreenHeight) {
        header_.ScreenHeight = std::uint16_t(std::min(frame->Top + frame->Height(), 0xFFFF));
        Warning(this, 1, QString::fromLatin1(GifText::HeightTooSmall));
        grew = true;
    }
    if (grew) {
        frame->Warning(1, QString::fromLatin1(GifText::ExceedsScreen));
        StopPainters();
    }
    // Also a first frame without growth changes the picture and the palette.
    Changed();
    return index;
}

// ---- Palette ----

std::vector<TColor> TGIFImage::GetPalette()
{
    if (makingPalette_)
        RaiseGIF(GifText::NoColorTable);
    if (bitmap_)
        return bitmap_->Palette();
    if (images_.Count() == 0 || images_.Items(0).Empty())
        return {};
    if (palette_)
        return *palette_;
    makingPalette_ = true;
    try {
        std::vector<TColor> palette;
        if (HasDrawOption(doFixedPalette)
            && (!HasDrawOption(doFixedPaletteLowColor) || GIFScreenBitsPerPixel <= 8))
            palette = FixedPalette(pSpecial216).value_or(std::vector<TColor>{});
        else if (header_.ColorMap().Count() > 0)
            palette = header_.ColorMap().Colors();
        else
            palette = images_.Items(0).Bitmap().Palette(); // rendered, as the frame is shown
        makingPalette_ = false;
        palette_ = palette;
        return palette;
    } catch (...) {
        makingPalette_ = false;
        throw;
    }
}

void TGIFImage::SetPalette(const std::vector<TColor>& Palette)
{
    header_.ColorMap().Assign(Palette);
    Changed();
}

// ---- Streams ----

void TGIFImage::LoadFromStream(QIODevice& Stream)
{
    Clear();
    try {
        ByteReader reader(Stream, RaiseGIFPrematureEnd);
        header_.LoadFromStream(reader);
        images_.LoadFromStream(reader);
        TGIFTrailer(this).LoadFromStream(reader);
    } catch (...) {
        Changed(); // the frames read so far stay
        throw;
    }
    Changed();
}

void TGIFImage::SaveToStream(QIODevice& Stream)
{
    header_.SaveToStream(Stream);
    images_.SaveToStream(Stream);
    TGIFTrailer(this).SaveToStream(Stream);
}

void TGIFImage::LoadFromFile(const QString& FileName)
{
    QFile file;
    OpenImageFile(file, FileName);
    LoadFromStream(file);
}

void TGIFImage::SaveToFile(const QString& FileName)
{
    WriteFileAtomically(FileName, [this](QIODevice& Stream) { SaveToStream(Stream); });
}

void TGIFImage::LoadFromClipboardFormat(const QByteArray& Data)
{
    QBuffer buffer;
    buffer.setData(Data);
    buffer.open(QIODevice::ReadOnly);
    LoadFromStream(buffer);
}

void TGIFImage::SaveToClipboardFormat(QByteArray& Data)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    Data = buffer.data();
}

// ---- Events ----

void TGIFImage::Warning(PGObject* Sender, int Severity, const QString& Message)
{
    if (onWarning_)
        onWarning_(Sender, Severity, Message);
}

void TGIFImage::Progress(int Percent, const char* Text)
{
    if (onProgress_)
        onProgress_(this, Percent, QString::fromLatin1(Text));
}
