// The extension blocks of GIF frames and the registries that pick their classes.
#include "gifimage.h"

#include "imaging/bytestream.h"

#include <QIODevice>

#include <map>

namespace {

// Data sub-blocks up to and including the 0 count.
std::vector<QByteArray> readSubBlocks(ByteReader& Stream)
{
    std::vector<QByteArray> blocks;
    while (const std::uint8_t count = Stream.U8()) {
        QByteArray block(count, '\0');
        Stream.Read(block.data(), count);
        blocks.push_back(block);
    }
    return blocks;
}

// Data as sub-blocks of at most 255 bytes (nothing for empty data).
void appendSubBlocks(QByteArray& Out, const QByteArray& Data)
{
    for (qsizetype at = 0; at < Data.size(); at += 255) {
        const QByteArray part = Data.mid(at, 255);
        Out.append(char(part.size())).append(part);
    }
}

QStringList textOf(const std::vector<QByteArray>& Blocks)
{
    QStringList text;
    for (const QByteArray& block : Blocks)
        text << QString::fromLatin1(block);
    return text;
}

void appendText(QByteArray& Out, const QStringList& Text)
{
    for (const QString& line : Text)
        appendSubBlocks(Out, line.toLatin1());
}

// The block size (11) and the identifier with the authentication code of an application block.
QByteArray readApplicationKey(ByteReader& Stream)
{
    if (Stream.U8() != 11)
        RaiseGIF(GifText::AppBlockSize);
    QByteArray key(11, '\0');
    Stream.Read(key.data(), 11);
    return key;
}

// ---- Registries ----

// Reads what follows the label.
using ExtensionLoader = std::unique_ptr<TGIFExtension> (*)(TGIFSubImage* Frame, ByteReader& Stream);
using ApplicationMaker = std::unique_ptr<TGIFApplicationExtension> (*)(TGIFSubImage* Frame);

struct ExtensionRegistry {
    std::map<std::uint8_t, ExtensionLoader> byLabel;
    std::map<QByteArray, ApplicationMaker> applications; // identifier + authentication code
};
std::unique_ptr<const ExtensionRegistry> registry;

template <class T> std::unique_ptr<TGIFExtension> load(TGIFSubImage* Frame, ByteReader& Stream)
{
    auto extension = std::make_unique<T>(Frame);
    extension->LoadData(Stream);
    return extension;
}

template <class T> std::unique_ptr<TGIFApplicationExtension> makeApplication(TGIFSubImage* Frame)
{
    return std::make_unique<T>(Frame);
}

// The application block's class is known once its identifier has been read.
std::unique_ptr<TGIFExtension> loadApplication(TGIFSubImage* Frame, ByteReader& Stream)
{
    const QByteArray key = readApplicationKey(Stream);
    std::unique_ptr<TGIFApplicationExtension> extension = MakeGIFApplicationExtension(key, Frame);
    extension->Identifier = key.left(8);
    extension->Authentication = key.mid(8);
    extension->LoadAppData(Stream);
    return extension;
}

} // namespace

void BuildGIFExtensionRegistry()
{
    auto built = std::make_unique<ExtensionRegistry>();
    built->byLabel = {
        {TGIFGraphicControlExtension::ClassLabel, load<TGIFGraphicControlExtension>},
        {TGIFTextExtension::ClassLabel, load<TGIFTextExtension>},
        {TGIFCommentExtension::ClassLabel, load<TGIFCommentExtension>},
        {TGIFApplicationExtension::ClassLabel, loadApplication},
    };
    built->applications = {
        {QByteArray("NETSCAPE2.0"), makeApplication<TGIFAppExtNSLoop>},
        {QByteArray("ANIMEXTS1.0"), makeApplication<TGIFAppExtNSLoop>},
    };
    registry = std::move(built);
}

void FreeGIFExtensionRegistry()
{
    registry.reset();
}

std::unique_ptr<TGIFApplicationExtension> MakeGIFApplicationExtension(const QByteArray& Key, TGIFSubImage* Frame)
{
    if (registry) {
        const auto found = registry->applications.find(Key);
        if (found != registry->applications.end())
            return found->second(Frame);
    }
    return std::make_unique<TGIFUnknownAppExtension>(Frame);
}

std::unique_ptr<TGIFExtension> LoadGIFExtension(std::uint8_t Label, TGIFSubImage* Frame, ByteReader& Stream)
{
    if (!registry || !registry->byLabel.contains(Label))
        RaiseGIF(GifText::UnknownExtension);
    return registry->byLabel.at(Label)(Frame, Stream);
}

// ---- Base ----

TGIFExtension::TGIFExtension(TGIFSubImage* Frame) : TGIFItem(Frame ? Frame->Image() : nullptr), frame_(Frame) {}

void TGIFExtension::rebind(TGIFSubImage* Frame)
{
    frame_ = Frame;
    setImage(Frame ? Frame->Image() : nullptr);
}

void TGIFExtension::LoadFromStream(ByteReader& Stream)
{
    Stream.U8(); // the introducer
    if (Stream.U8() != Label())
        RaiseGIF(GifText::ExtensionMismatch);
    LoadData(Stream);
}

void TGIFExtension::SaveToStream(QIODevice& Stream) const
{
    QByteArray out;
    out.append(char(0x21)).append(char(Label()));
    SaveData(out);
    WriteAllBytes(Stream, out.constData(), out.size(), QStringLiteral("GIF"));
}

// ---- Graphic control ----

std::unique_ptr<TGIFExtension> TGIFGraphicControlExtension::Clone(TGIFSubImage* Frame) const
{
    return cloneFor(*this, Frame);
}

void TGIFGraphicControlExtension::LoadData(ByteReader& Stream)
{
    // The block holds four bytes; a longer one keeps its first four.
    const std::vector<QByteArray> blocks = readSubBlocks(Stream);
    QByteArray fields = blocks.empty() ? QByteArray() : blocks.front();
    fields.append(QByteArray(4, '\0'));
    Packed = std::uint8_t(fields[0]);
    Delay = std::uint16_t(std::uint8_t(fields[1]) | std::uint8_t(fields[2]) << 8);
    TransparentColorIndex = std::uint8_t(fields[3]);
}

void TGIFGraphicControlExtension::SaveData(QByteArray& Out) const
{
    Out.append(char(4)).append(char(Packed)).append(char(Delay & 0xFF)).append(char(Delay >> 8));
    Out.append(char(TransparentColorIndex)).append('\0');
}

void TGIFGraphicControlExtension::SetTransparentIndex(int Index)
{
    const int colors = Frame() ? int(Frame()->ActiveColors().size()) : 0;
    if (Index < 0 || Index >= colors)
        RaiseGIF(GifText::InvalidColorIndex);
    TransparentColorIndex = std::uint8_t(Index);
}

// ---- Plain text and comment ----

std::unique_ptr<TGIFExtension> TGIFTextExtension::Clone(TGIFSubImage* Frame) const
{
    return cloneFor(*this, Frame);
}

void TGIFTextExtension::LoadData(ByteReader& Stream)
{
    const std::uint8_t size = Stream.U8();
    QByteArray header(size, '\0');
    Stream.Read(header.data(), size);
    Header.fill(0);
    std::copy_n(header.constData(), std::min<qsizetype>(header.size(), 12), reinterpret_cast<char*>(Header.data()));
    Text = textOf(readSubBlocks(Stream));
}

void TGIFTextExtension::SaveData(QByteArray& Out) const
{
    Out.append(char(12)).append(reinterpret_cast<const char*>(Header.data()), 12);
    appendText(Out, Text);
    Out.append('\0');
}

std::unique_ptr<TGIFExtension> TGIFCommentExtension::Clone(TGIFSubImage* Frame) const
{
    return cloneFor(*this, Frame);
}

void TGIFCommentExtension::LoadData(ByteReader& Stream)
{
    Text = textOf(readSubBlocks(Stream));
}

void TGIFCommentExtension::SaveData(QByteArray& Out) const
{
    appendText(Out, Text);
    Out.append('\0');
}

// ---- Application blocks ----

void TGIFApplicationExtension::LoadData(ByteReader& Stream)
{
    const QByteArray key = readApplicationKey(Stream);
    Identifier = key.left(8);
    Authentication = key.mid(8);
    LoadAppData(Stream);
}

void TGIFApplicationExtension::SaveData(QByteArray& Out) const
{
    Out.append(char(11)).append(Identifier.leftJustified(8, ' ', true)).append(Authentication.leftJustified(3, ' ', true));
    SaveAppData(Out);
    Out.append('\0');
}

std::unique_ptr<TGIFExtension> TGIFUnknownAppExtension::Clone(TGIFSubImage* Frame) const
{
    return cloneFor(*this, Frame);
}

void TGIFUnknownAppExtension::LoadAppData(ByteReader& Stream)
{
    Blocks = readSubBlocks(Stream);
}

void TGIFUnknownAppExtension::SaveAppData(QByteArray& Out) const
{
    for (const QByteArray& block : Blocks)
        appendSubBlocks(Out, block);
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* Frame) : TGIFApplicationExtension(Frame)
{
    Identifier = "NETSCAPE";
    Authentication = "2.0";
}

std::unique_ptr<TGIFExtension> TGIFAppExtNSLoop::Clone(TGIFSubImage* Frame) const
{
    return cloneFor(*this, Frame);
}

void TGIFAppExtNSLoop::LoadAppData(ByteReader& Stream)
{
    if (Stream.U8() != 3 || Stream.U8() != 1)
        RaiseGIF(GifText::InvalidData);
    Loops = Stream.U16();
    if (Stream.U8() != 0)
        RaiseGIF(GifText::InvalidData);
}

void TGIFAppExtNSLoop::SaveAppData(QByteArray& Out) const
{
    Out.append(char(3)).append(char(1)).append(char(Loops & 0xFF)).append(char(Loops >> 8));
}
