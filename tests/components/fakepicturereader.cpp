#include "fakepicturereader.h"

#include "imaging/pixelgraphic.h"

#include <QIODevice>
#include <QThread>

#include <stdexcept>

namespace {

struct FakeHeader {
    int width = 0, height = 0;
    TColor color = 0;
    QString colorText;
    int rowDelay = 0;
    bool stubborn = false, broken = false, slowInfo = false;
};

FakeHeader readHeader(QIODevice& stream)
{
    const QStringList words = QString::fromLatin1(stream.readLine(200)).simplified().split(u' ');
    if (words.size() < 4 || words[0] != "FAKE")
        throw std::runtime_error("not a fake picture");
    FakeHeader h;
    h.width = words[1].toInt();
    h.height = words[2].toInt();
    h.colorText = words[3];
    const unsigned rgb = words[3].toUInt(nullptr, 16);
    h.color = RGBColor(int(rgb >> 16), int(rgb >> 8), int(rgb));
    h.rowDelay = words.value(4).toInt();
    h.stubborn = words.contains("stubborn");
    h.broken = words.contains("broken");
    h.slowInfo = words.contains("slowinfo");
    return h;
}

} // namespace

FakePictureReader::FakePictureReader()
    : TFileFormatReader(QStringLiteral("TFakePictureReader"), QStringLiteral("fak"), QStringLiteral("Fake picture"), true)
{
}

bool FakePictureReader::CheckSignature(const SignatureProbe& Header) const
{
    return Header[0] == 'F' && Header[1] == 'A' && Header[2] == 'K' && Header[3] == 'E';
}

void FakePictureReader::GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const
{
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    ++InfoQueries;
    const FakeHeader h = readHeader(Stream);
    for (char byte = 0; h.slowInfo && !Stream.atEnd(); QThread::msleep(h.rowDelay))
        if (!Stream.getChar(&byte))
            throw std::runtime_error("fake picture cut short");
    {
        std::lock_guard lock(mutex_);
        seen_ << h.colorText;
    }
    Info.SubFormat = QStringLiteral("plain");
    Info.Width = h.width;
    Info.Height = h.height;
    Info.ColorsText = QStringLiteral("16.7M");
    Info.BitsPerPixel = 24;
}

void FakePictureReader::Load(QIODevice& Stream, TPixelGraphic& Graphic, int) const
{
    ++LoadsStarted;
    struct Ended {
        std::atomic<int>& count;
        ~Ended() { ++count; }
    } ended{LoadsEnded};
    const FakeHeader h = readHeader(Stream);
    Graphic.Allocate(h.width, h.height, bcn24Bit);
    for (int y = 0; y < h.height; ++y) {
        for (int x = 0; x < h.width; ++x)
            Graphic.SetPixelColor(x, y, h.color);
        if (h.broken && y == h.height / 2)
            throw std::runtime_error("broken fake picture");
        if (h.rowDelay > 0)
            QThread::msleep(h.rowDelay);
        if (Graphic.Progress(y, h.height - 1) && !h.stubborn)
            return;
    }
}

QStringList FakePictureReader::Seen() const
{
    std::lock_guard lock(mutex_);
    return seen_;
}

FakeRegistry::FakeRegistry()
{
    auto reader = std::make_unique<FakePictureReader>();
    Reader = reader.get();
    Registry.AddReader(std::move(reader));
    Registry.Freeze();
}
