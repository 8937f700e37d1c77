// The GIF image's items: reading and writing the file, copies and conversions.
#include "gifimage.h"
#include "giflzw.h"

#include "imaging/bytestream.h"
#include "imaging/colorresolution.h"
#include "imaging/pgmessages.h"
#include "imaging/pixelgraphic.h"

#include "platform/safewrite.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

void writeBytes(QIODevice& Stream, const QByteArray& Bytes)
{
    WriteAllBytes(Stream, Bytes.constData(), Bytes.size(), QStringLiteral("GIF"));
}

void append16(QByteArray& Out, int Value)
{
    Out.append(char(Value & 0xFF)).append(char((Value >> 8) & 0xFF));
}

} // namespace

QString GIFVersionText(TGIFVersion Version)
{
    switch (Version) {
    case gv87a:
        return QStringLiteral("87a");
    case gv89a:
        return QStringLiteral("89a");
    default:
        return {};
    }
}

void TGIFItem::Warning(int Severity, const QString& Message)
{
    if (image_)
        image_->Warning(this, Severity, Message);
}

// ---- Colour maps ----

TColor TGIFColorMap::Color(int Index) const
{
    if (Index < 0 || Index >= Count())
        RaiseGIF(GifText::InvalidColorIndex);
    return colors_[std::size_t(Index)];
}

void TGIFColorMap::SetColor(int Index, TColor Color)
{
    if (Index < 0 || Index >= Count())
        RaiseGIF(GifText::InvalidColorIndex);
    colors_[std::size_t(Index)] = Color & 0xFFFFFF;
}

int TGIFColorMap::Add(TColor Color)
{
    if (Count() >= MaxColors)
        RaiseGIF(GifText::ColorTableOverflow);
    colors_.push_back(Color & 0xFFFFFF);
    return Count() - 1;
}

int TGIFColorMap::IndexOf(TColor Color) const
{
    const auto found = std::find(colors_.begin(), colors_.end(), Color & 0xFFFFFF);
    return found == colors_.end() ? -1 : int(found - colors_.begin());
}

void TGIFColorMap::Assign(const std::vector<TColor>& Colors)
{
    if (Colors.size() > std::size_t(MaxColors))
        RaiseGIF(GifText::ColorTableOverflow);
    colors_.clear();
    for (TColor c : Colors)
        colors_.push_back(c & 0xFFFFFF);
}

void TGIFColorMap::Clear()
{
    colors_.clear();
    sorted_ = false;
}

int TGIFColorMap::BitsPerEntry() const
{
    return GifBitsFor(Count());
}

void TGIFColorMap::LoadFromStream(ByteReader& Stream, int Count, const char* BadCountText)
{
    if (Count < 2 || Count > MaxColors)
        RaiseGIF(BadCountText);
    std::uint8_t triples[3 * MaxColors];
    Stream.Read(triples, 3 * Count);
    colors_.resize(std::size_t(Count));
    for (int i = 0; i < Count; ++i)
        colors_[std::size_t(i)] = RGBColor(triples[3 * i], triples[3 * i + 1], triples[3 * i + 2]);
}

void TGIFColorMap::SaveToStream(QByteArray& Out) const
{
    const int padded = Count() == 0 ? 0 : 1 << BitsPerEntry();
    for (int i = 0; i < padded; ++i) {
        const TColor c = i < Count() ? colors_[std::size_t(i)] : 0;
        Out.append(char(RedOf(c))).append(char(GreenOf(c))).append(char(BlueOf(c)));
    }
}

// ---- Header and trailer ----

void TGIFHeader::Clear()
{
    Signature = {'G', 'I', 'F', '8', '7', 'a'};
    ScreenWidth = ScreenHeight = 0;
    Packed = BackgroundIndex = AspectRatio = 0;
    colorMap_.Clear();
}

void TGIFHeader::LoadFromStream(ByteReader& Stream)
{
    Stream.Read(Signature.data(), 6);
    if (QByteArray(Signature.data(), 3).toUpper() != "GIF")
        RaiseGIF(GifText::InvalidSignature);
    ScreenWidth = Stream.U16();
    ScreenHeight = Stream.U16();
    Packed = Stream.U8();
    BackgroundIndex = Stream.U8();
    AspectRatio = Stream.U8();
    colorMap_.Clear();
    if (Packed & 0x80) {
        colorMap_.LoadFromStream(Stream, 2 << (Packed & 7), GifText::ScreenColorCount);
        colorMap_.SetSorted(Packed & 0x08);
    }
}

void TGIFHeader::SaveToStream(QIODevice& Stream) const
{
    const TGIFImage* image = Image();
    const TGIFVersion version = image ? image->Version() : gv87a;
    if (version == gvUnknown)
        RaiseGIF(GifText::UnsupportedVersion);
    // Colour resolution: the bits of the largest map, less one.
    int largestBits = colorMap_.BitsPerEntry();
    if (image)
        for (const auto& frame : image->Images())
            largestBits = std::max(largestBits, frame->ColorMap().BitsPerEntry());
    std::uint8_t packed = std::uint8_t(std::max(largestBits - 1, 0) << 4);
    if (colorMap_.Count() > 0) {
        packed |= 0x80 | std::uint8_t(colorMap_.BitsPerEntry() - 1);
        if (colorMap_.Sorted())
            packed |= 0x08;
    }
    QByteArray out = QByteArrayLiteral("GIF") + GIFVersionText(version).toLatin1();
    append16(out, ScreenWidth);
    append16(out, ScreenHeight);
    out.append(char(packed)).append(char(BackgroundIndex)).append(char(AspectRatio));
    colorMap_.SaveToStream(out);
    writeBytes(Stream, out);
}

void TGIFTrailer::LoadFromStream(ByteReader& Stream)
{
    std::uint8_t byte = 0;
    if (Stream.ReadUpTo(&byte, 1) == 1 && byte != 0x3B)
        warn(GifText::BadTrailer);
}

void TGIFTrailer::SaveToStream(QIODevice& Stream) const
{
    writeBytes(Stream, QByteArray(1, char(0x3B)));
}

// ---- Frames ----

TGIFSubImage::TGIFSubImage(TGIFImage* Image) : TGIFItem(Image), extensions_(Image) {}

TGIFSubImage::~TGIFSubImage() = default;

TGIFGraphicControlExtension* TGIFSubImage::GraphicControlExtension() const
{
    for (const auto& extension : extensions_)
        if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension.get()))
            return control;
    return nullptr;
}

void TGIFSubImage::SetSize(std::uint16_t Width, std::uint16_t Height)
{
    FreeBitmap();
    largestIndex_.reset();
    data_.reset();
    dataSize_ = 0;
    width_ = Width;
    height_ = Height;
    const std::int64_t size = std::int64_t(Width) * Height;
    if (size == 0)
        return;
    if (ImageByteSize(Width, Height, bcn8Bit) > TPixelGraphic::MaxImageSize)
        RaiseGIF(GifText::NoDIBMemory);
    data_ = MakePixelMemory(std::size_t(size));
    if (!data_)
        RaiseGIF(GifText::NoDIBMemory);
    dataSize_ = size;
}

const std::vector<TColor>& TGIFSubImage::ActiveColors() const
{
    if (colorMap_.Count() > 0 || !Image())
        return colorMap_.Colors();
    return Image()->Header().ColorMap().Colors();
}

std::uint8_t* TGIFSubImage::Data()
{
    FreeBitmap();
    largestIndex_.reset();
    return data_.get();
}

std::uint8_t TGIFSubImage::largestIndex() const
{
    if (!largestIndex_)
        largestIndex_ = data_ ? *std::max_element(data_.get(), data_.get() + dataSize_) : 0;
    return *largestIndex_;
}

void TGIFSubImage::noteIndices(const std::uint8_t* Pixels, std::int64_t Count)
{
    if (Count > 0)
        largestIndex_ = std::max(largestIndex_.value_or(0), *std::max_element(Pixels, Pixels + Count));
}

std::vector<TColor> TGIFSubImage::Palette() const
{
    std::vector<TColor> colors = ActiveColors();
    colors.resize(std::max<std::size_t>({colors.size(), std::size_t(largestIndex()) + 1, 1}), 0);
    return colors;
}

TGIFVersion TGIFSubImage::Version() const
{
    if (colorMap_.Count() > 0 && colorMap_.Sorted())
        return gv89a;
    TGIFVersion version = gv87a;
    for (const auto& extension : extensions_)
        version = std::max(version, extension->Version());
    return version;
}

void TGIFSubImage::LoadFromStream(ByteReader& Stream)
{
    // Extensions up to the image descriptor.
    std::uint8_t byte = 0;
    while (Stream.Peek(byte)) {
        if (byte == 0x2C || byte == 0x3B)
            break;
        if (byte != 0x21) {
            warn(GifText::BadIntroducer);
            break;
        }
        Stream.U8();
        const std::uint8_t label = Stream.U8();
        extensions_.Add(LoadGIFExtension(label, this, Stream));
    }
    // Only a separator starts the image; anything else leaves the frame without one.
    if (!Stream.Peek(byte) || byte != 0x2C)
        return;
    Stream.U8();
    Left = Stream.U16();
    Top = Stream.U16();
    std::uint16_t width = Stream.U16();
    std::uint16_t height = Stream.U16();
    Packed = Stream.U8();
    if (width == 0 || height == 0) {
        const TGIFHeader* header = Image() ? &Image()->Header() : nullptr;
        width = header ? header->ScreenWidth : 0;
        height = header ? header->ScreenHeight : 0;
        warn(GifText::ExceedsScreen);
    }
    colorMap_.Clear();
    if (Packed & 0x80) {
        colorMap_.LoadFromStream(Stream, 2 << (Packed & 7), GifText::ImageColorCount);
        colorMap_.SetSorted(Packed & 0x20);
    }
    SetSize(width, height);
    GifLzwDecoder decoder(Stream, [this](const QString& Text) { Warning(1, Text); });
    largestIndex_ = 0; // what is not decoded stays 0
    if (Interlaced()) {
        ForEachGifRow(height_, true, [&](int y) {
            std::uint8_t* row = data_.get() + std::int64_t(y) * width_;
            const std::int64_t got = decoder.Read(row, width_);
            noteIndices(row, got);
            return got == width_;
        });
    } else {
        noteIndices(data_.get(), decoder.Read(data_.get(), dataSize_));
    }
    decoder.Finish();
}

void TGIFSubImage::SaveToStream(QIODevice& Stream) const
{
    for (const auto& extension : extensions_)
        extension->SaveToStream(Stream);
    if (!data_)
        return;
    QByteArray out(1, char(0x2C));
    append16(out, Left);
    append16(out, Top);
    append16(out, width_);
    append16(out, height_);
    int mapBits = 0;
    std::uint8_t packed = 0;
    if (colorMap_.Count() > 0) {
        // A frame with its own map goes out in row order.
        mapBits = colorMap_.BitsPerEntry();
        packed = std::uint8_t(0x80 | (colorMap_.Sorted() ? 0x20 : 0) | (mapBits - 1));
    } else {
        mapBits = Image() ? Image()->Header().ColorMap().BitsPerEntry() : 0;
        packed = Packed & (0x40 | 0x18);
    }
    out.append(char(packed));
    colorMap_.SaveToStream(out);
    writeBytes(Stream, out);
    // No index may reach the clear code.
    GifLzwEncoder encoder(std::max({mapBits, GifBitsFor(largestIndex() + 1), 2}));
    ForEachGifRow(height_, packed & 0x40, [&](int y) {
        encoder.Add(data_.get() + std::int64_t(y) * width_, width_);
        return true;
    });
    writeBytes(Stream, encoder.Finish());
}

std::shared_ptr<TGIFSubImage> TGIFSubImage::Clone(TGIFImage* Image) const
{
    auto copy = std::make_shared<TGIFSubImage>(Image);
    copy->Left = Left;
    copy->Top = Top;
    copy->Packed = Packed;
    copy->SetSize(std::uint16_t(width_), std::uint16_t(height_));
    copy->colorMap_ = colorMap_;
    if (data_)
        std::memcpy(copy->data_.get(), data_.get(), std::size_t(dataSize_));
    for (const auto& extension : extensions_)
        copy->extensions_.Add(extension->Clone(copy.get()));
    return copy;
}

void TGIFSubImage::AssignBitmap(TPixelGraphic& Bitmap)
{
    if (Bitmap.BitCountNum() == bcn24Bit) {
        const std::unique_ptr<TPixelGraphic> reduced = ConvertToColorResolution(Bitmap, cr256Colors);
        AssignBitmap(*reduced);
        return;
    }
    if (Bitmap.Width() > 0xFFFF)
        RaiseGIF(PGLangStrS1(PgMsg::OutOfRange, QStringLiteral("Width")));
    if (Bitmap.Height() > 0xFFFF)
        RaiseGIF(PGLangStrS1(PgMsg::OutOfRange, QStringLiteral("Height")));
    extensions_.Clear();
    Left = Top = 0;
    Packed = 0;
    colorMap_.Assign(Bitmap.Palette());
    SetSize(std::uint16_t(Bitmap.Width()), std::uint16_t(Bitmap.Height()));
    // Rows unpacked: 8 bits copied, 4 bits high nibble first, 1 bit high bit first. Indices
    // past the palette are 0, as the image reads them.
    const int colors = colorMap_.Count();
    const TBitCountNum format = Bitmap.BitCountNum();
    for (int y = 0; y < height_; ++y) {
        if (y % 32 == 0 && Image())
            Image()->Progress(y * 100 / height_, "Converting...");
        const std::uint8_t* row = Bitmap.ScanLine(y);
        std::uint8_t* out = data_.get() + std::int64_t(y) * width_;
        for (int x = 0; x < width_; ++x) {
            int index = row[format == bcn8Bit ? x : (format == bcn4Bit ? x >> 1 : x >> 3)];
            if (format == bcn4Bit)
                index = (x & 1) ? index & 0x0F : index >> 4;
            else if (format == bcn1Bit)
                index = (index >> (7 - (x & 7))) & 1;
            out[x] = index < colors ? std::uint8_t(index) : 0;
        }
    }
}

// ---- Frame list ----

void TGIFImageList::LoadFromStream(ByteReader& Stream)
{
    const std::int64_t size = Stream.StreamSize();
    std::uint8_t byte = 0;
    while (Stream.Peek(byte)) {
        if (byte == 0x00) {
            Stream.U8();
            continue;
        }
        if (byte == 0x3B)
            break;
        if (byte != 0x21 && byte != 0x2C) {
            // Taken, so that the trailer looks at the byte after it and does not warn twice.
            Stream.U8();
            Image()->Warning(Image(), 1, QString::fromLatin1(GifText::UnknownBlock));
            break;
        }
        auto frame = std::make_shared<TGIFSubImage>(Image());
        frame->LoadFromStream(Stream);
        Add(std::move(frame));
        Image()->Progress(size > 0 ? int(Stream.Position() * 100 / size) : 0, "Loading...");
    }
}

void TGIFImageList::SaveToStream(QIODevice& Stream) const
{
    for (int i = 0; i < Count(); ++i) {
        Items(i).SaveToStream(Stream);
        Image()->Progress((i + 1) * 100 / Count(), "Saving...");
    }
}
