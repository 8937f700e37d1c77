// The metafile readers: the two stream paths, the picture's size, its palette and playback onto
// the image's canvas.
#include "metafileformat.h"
#include "metafilesupport.h"

#include "imaging/bytestream.h"
#include "imaging/pgcanvas.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr int kFitSide = 130;
constexpr int kProgressStart = 2;
constexpr int kProgressStep = 15;
constexpr int kProgressTotal = 100;

const QString& invalidMetafile()
{
    static const QString text = QStringLiteral("Invalid Metafile");
    return text;
}

std::int64_t roundHalfToEven(long double Value)
{
    // Sizes this large fail the allocation anyway; past them the conversion would not hold.
    constexpr long double limit = 4.0e18L;
    if (std::isnan(Value))
        return 0;
    return std::int64_t(std::nearbyint(std::clamp(Value, -limit, limit)));
}

// The rest of the stream; a device may hand out less than asked at a time.
QByteArray readToEnd(QIODevice& Stream)
{
    QByteArray data;
    if (!Stream.isSequential())
        data.reserve(qsizetype(std::max<qint64>(0, Stream.size() - Stream.pos())));
    std::array<char, 1 << 16> chunk;
    for (qint64 n; (n = Stream.read(chunk.data(), qint64(chunk.size()))) > 0;)
        data.append(chunk.data(), qsizetype(n));
    return data;
}

// A metafile read by the stream path of a reader, and whether its stream began with the
// placeable key.
struct ReadMetafile {
    std::optional<MetafileSupport> metafile;
    bool hasPlaceableHeader = false;
};

std::optional<MetafileSupport> tryLoadMetafile(const QByteArray& Data)
{
    MetafileSupport metafile;
    if (!metafile.Load(Data))
        return std::nullopt;
    return metafile;
}

ReadMetafile loadWMFStream(QIODevice& Stream)
{
    ReadMetafile read;
    read.hasPlaceableHeader = true;
    if (!Stream.seek(0))
        return read;
    QByteArray data = readToEnd(Stream);
    if (data.size() < MetafileSupport::PlaceableHeaderSize)
        return read;
    if (GetU32(reinterpret_cast<const std::uint8_t*>(data.constData())) != MetafileSupport::PlaceableKey) {
        read.hasPlaceableHeader = false;
        data.prepend(MakePlaceableHeader());
    }
    read.metafile = tryLoadMetafile(data);
    if (!read.metafile && read.hasPlaceableHeader) {
        // Its own header may be what is wrong: once more behind a made one.
        data.replace(0, MetafileSupport::PlaceableHeaderSize, MakePlaceableHeader());
        read.metafile = tryLoadMetafile(data);
    }
    return read;
}

ReadMetafile loadEMFStream(QIODevice& Stream)
{
    ReadMetafile read;
    read.metafile = tryLoadMetafile(readToEnd(Stream));
    return read;
}

// The bits per pixel a palette of this many entries gives.
int paletteBits(std::size_t Count)
{
    if (Count == 0)
        return 24;
    if (Count <= 2)
        return 1;
    if (Count <= 16)
        return 4;
    return 8;
}

// Records that a bound of the playback left out are said, never kept silent; cancelling the
// warning aborts the load.
void reportRecordsLeftOut(const TPixelGraphic& Graphic, int Count)
{
    if (Count == 0)
        return;
    const QString text = QStringLiteral("Metafile: %1 record(s) past the playback's limits left out").arg(Count);
    switch (Graphic.RespondToWarning(QStringLiteral("Metafile-Warning"), text)) {
    case TWarningResponse::Continue:
        return;
    case TWarningResponse::Abort:
        throw EPixelGraphic(PGLangStr(PgMsg::Aborted));
    case TWarningResponse::Raise:
        throw EPixelGraphic(text);
    }
}

// The canvas's changing hook for the length of a load; when it ends, whatever way, the hook
// goes and this image's drawing is written back.
class CanvasHookScope {
public:
    CanvasHookScope(TPixelGraphic& Graphic, std::function<void()> Hook)
        : graphic_(Graphic), failures_(std::uncaught_exceptions()),
          previousHook_(std::exchange(Graphic.Canvas().OnChanging, std::move(Hook)))
    {
    }
    ~CanvasHookScope() noexcept(false)
    {
        graphic_.Canvas().OnChanging = std::move(previousHook_);
        EndScope(failures_, [this] { graphic_.FlushCanvas(); });
    }
    CanvasHookScope(const CanvasHookScope&) = delete;
    CanvasHookScope& operator=(const CanvasHookScope&) = delete;

private:
    TPixelGraphic& graphic_;
    int failures_;
    std::function<void()> previousHook_;
};

} // namespace

// ---- Sizes and the made header ----

QByteArray MakePlaceableHeader()
{
    const int width = std::clamp<int>(MetafileDefaultWidth, 3, 32767);
    const int height = std::clamp<int>(MetafileDefaultHeight, 3, 32767);
    // Horizontal and vertical pixels per inch, averaged.
    const int unitsPerInch = (MetafileSupport::PixelsPerInch + MetafileSupport::PixelsPerInch) / 2;
    std::array<std::uint16_t, 11> words = {
        std::uint16_t(MetafileSupport::PlaceableKey & 0xFFFF), std::uint16_t(MetafileSupport::PlaceableKey >> 16),
        0, // handle
        0, 0, std::uint16_t(width - 1), std::uint16_t(height - 1), // box
        std::uint16_t(unitsPerInch),
        0, 0, // reserved
        0,    // checksum
    };
    for (int i = 0; i < 10; ++i)
        words[10] ^= words[std::size_t(i)];
    QByteArray header;
    for (std::uint16_t w : words) {
        header.append(char(w & 0xFF));
        header.append(char(w >> 8));
    }
    return header;
}

void FitMetafileSize(std::int64_t& Width, std::int64_t& Height, int Side)
{
    if (Width <= 0 || Height <= 0 || Side <= 0)
        return;
    if (Width > Side) {
        const long double factor = static_cast<long double>(Width) / Side;
        Width = roundHalfToEven(Width / factor);
        Height = roundHalfToEven(Height / factor);
    }
    if (Height > Side) {
        const long double factor = static_cast<long double>(Height) / Side;
        Width = roundHalfToEven(Width / factor);
        Height = roundHalfToEven(Height / factor);
    }
}

void ScaleMetafileSize(std::int64_t& Width, std::int64_t& Height, long double Scale)
{
    if (Scale == 1 || !(Scale > 0))
        return;
    Width = roundHalfToEven(Width * Scale);
    Height = roundHalfToEven(Height * Scale);
}

// ---- Signatures ----

bool CheckWMFSignature(const SignatureProbe& Header)
{
    const std::uint8_t* h = Header.data();
    const bool standard = GetU16(h) < 2 && GetU16(h + 2) == 9 && GetU16(h + 4) != 0
        && std::int32_t(GetU32(h + 6)) >= 19 && GetU16(h + 10) > 0;
    return standard || GetU32(h) == MetafileSupport::PlaceableKey;
}

bool CheckEMFSignature(const SignatureProbe& Header)
{
    const std::uint8_t* h = Header.data();
    const std::int32_t size = std::int32_t(GetU32(h + 4));
    return GetU32(h) == 1 && size >= 88 && size <= 65536 && size % 4 == 0;
}

// ---- Readers ----

tWMFFileFormatReader::tWMFFileFormatReader()
    : tWMFFileFormatReader(QStringLiteral("tWMFFileFormatReader"), QStringLiteral("wmf"),
                           QStringLiteral("Windows Metafile"), false)
{
}

tWMFFileFormatReader::tWMFFileFormatReader(QString ClassName, QString Extension, QString Description, bool Enhanced)
    : TFileFormatReader(std::move(ClassName), std::move(Extension), std::move(Description), true), isEnhanced_(Enhanced)
{
}

bool tWMFFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return CheckWMFSignature(Header);
}

tEMFFileFormatReader::tEMFFileFormatReader()
    : tWMFFileFormatReader(QStringLiteral("tEMFFileFormatReader"), QStringLiteral("emf"),
                           QStringLiteral("Enhanced Metafile"), true)
{
}

bool tEMFFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return CheckEMFSignature(Header);
}

void tWMFFileFormatReader::Load(QIODevice& Stream, TPixelGraphic& Graphic, int /*ImageIndex*/) const
{
    // The reader reports itself as the sender; handlers only compare it.
    PGObject* sender = const_cast<tWMFFileFormatReader*>(this);
    int position = kProgressStart - kProgressStep; // the step last reported
    const auto report = [&] {
        position += kProgressStep;
        Graphic.Progress(position, kProgressTotal, sender);
    };
    CanvasHookScope hook(Graphic, report); // the canvas reports once more when drawing starts
    ProgressScope progress(Graphic, sender);
    report();

    ReadMetafile read = isEnhanced_ ? loadEMFStream(Stream) : loadWMFStream(Stream);
    if (!read.metafile)
        throw EPixelGraphic(invalidMetafile());
    MetafileSupport& metafile = *read.metafile;
    report();

    std::int64_t width = metafile.Width(), height = metafile.Height();
    if (Graphic.FastJPEGDecode())
        FitMetafileSize(width, height, kFitSide);
    else
        ScaleMetafileSize(width, height, MetafileScale);
    metafile.SetSize(width, height);
    Graphic.SetBackground(MetafileBackground);
    Graphic.Changed();

    const std::vector<TColor>& palette = metafile.Palette();
    const TBitCountNum format = TPixelGraphic::BitCountToNum(paletteBits(palette.size()));
    CheckImageDimensions(width, height, format);
    Graphic.Allocate(int(width), int(height), format);
    if (format != bcn24Bit) {
        Graphic.SetPaletteCount(int(palette.size()));
        for (std::size_t i = 0; i < palette.size(); ++i)
            Graphic.SetPaletteEntry(int(i), palette[i]);
    }
    // What the picture leaves unpainted is background, as a palette index the nearest entry.
    Graphic.SetBackground(MetafileBackground);
    Graphic.Changed();
    Graphic.Clear();

    report();
    // During playback the handler hears no new step, only the one the load is at.
    PlaybackWatch watch([&] { return Graphic.Progress(position, kProgressTotal, sender); });
    int recordsLeftOut;
    {
        UpdateScope update(Graphic);
        recordsLeftOut = metafile.Draw(Graphic.Canvas().Painter(), watch);
    }
    Graphic.FlushCanvas();
    if (watch.Stopped())
        return; // an abort is no error: the picture as far as it got
    reportRecordsLeftOut(Graphic, recordsLeftOut);
    report();
}

void tWMFFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const
{
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    const ReadMetafile read = isEnhanced_ ? loadEMFStream(Stream) : loadWMFStream(Stream);
    if (!read.metafile)
        throw EPixelGraphic(invalidMetafile());
    const MetafileSupport& metafile = *read.metafile;
    Info.BitsPerPixel = paletteBits(metafile.Palette().size());
    Info.ColorsText = ColorsTextOfBitCount(Info.BitsPerPixel);
    if (!metafile.Enhanced())
        Info.SubFormat = read.hasPlaceableHeader ? QStringLiteral("Placeable, Aldus header") : QStringLiteral("No header");
    constexpr std::int64_t lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    Info.Width = int(std::clamp(metafile.Width(), lo, hi));
    Info.Height = int(std::clamp(metafile.Height(), lo, hi));
    Info.ImageCount = 1;
}

void RegisterMetafileFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<tWMFFileFormatReader>());
    Registry.AddReader(std::make_unique<tEMFFileFormatReader>());
}
