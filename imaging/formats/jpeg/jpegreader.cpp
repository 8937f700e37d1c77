// Reading JPEG files through libjpeg-turbo (markers: FORMAT.md).
#include "jpegformat.h"
#include "jpegglue.h"
#include "imaging/memorybudget.h"
#include "imaging/pgmessages.h"
#include "imaging/orientation.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <algorithm>
#include <vector>

namespace {

// libjpeg's own memory for one decode, beyond the coefficients counted before it starts
// (withinMemoryLimit): row buffers and tables.
constexpr long kMaxLibraryMemory = long(TPixelGraphic::MaxImageSize + (64 << 20));

// The size of a decode: full size with the image's own DCT choice, or reduced in the DCT
// domain for a box with the fast integer method and turned upright by the Exif orientation.
struct DecodeScale {
    bool forBox = false;
    int boxWidth = 0;
    int boxHeight = 0;
    int maxScale = 1;
};

// Everything one decode needs, kept out of the frame that calls setjmp. The decompressor is
// destroyed with the session, whatever happened (destroying a zeroed one is harmless).
struct DecodeSession {
    DecodeSession(QIODevice& Stream, TPixelGraphic& Graphic, DecodeScale Scale = {})
        : stream(Stream), graphic(Graphic), scale(Scale), readsOrientation(Scale.forBox), buffer(JpegBufferSize),
          events(Graphic, errors)
    {
    }
    ~DecodeSession() { jpeg_destroy_decompress(&info); }
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;

    QIODevice& stream;
    TPixelGraphic& graphic;
    DecodeScale scale;
    bool readsOrientation;
    int orientation = 1; // from the Exif block, when read
    std::vector<JOCTET> buffer;
    jpeg_decompress_struct info{};
    JpegErrors errors;
    JpegSource source{};
    JpegScanWatch scanWatch{};
    JpegProgressEvents events;
    BudgetCharge coefficients; // a progressive file's, while libjpeg holds them
    std::uint8_t* bits = nullptr;
    std::int64_t rowBytes = 0;
};

// The orientation of the first Exif block among the saved APP1 markers.
int orientationOf(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length == m->original_length && IsExifBlock(m->data, m->data_length))
            return ExifOrientation(m->data, m->data_length);
    return 1;
}

// Creates the decompressor on the session's stream and reads the header. Inside setjmp only.
void startSession(DecodeSession& s)
{
    jpeg_create_decompress(&s.info);
    AttachJpegSource(&s.info, s.source, s.stream, s.errors, s.buffer.data());
    AttachJpegScanWatch(&s.info, s.scanWatch, s.errors);
    s.info.mem->max_memory_to_use = kMaxLibraryMemory;
    if (s.readsOrientation)
        jpeg_save_markers(&s.info, JPEG_APP0 + 1, 0xFFFF); // the Exif block, where the orientation is
    jpeg_read_header(&s.info, TRUE);
    if (s.readsOrientation)
        s.orientation = orientationOf(s.info);
}

// The image the rows go into.
void prepareImage(DecodeSession& s)
{
    TPixelGraphic& g = s.graphic;
    const bool gray = s.info.output_components == 1;
    g.Allocate(int(s.info.output_width), int(s.info.output_height), gray ? bcn8Bit : bcn24Bit);
    if (gray)
        g.SetPaletteIdent(pGray256);
    s.bits = g.Bits();
    s.rowBytes = g.RowBytes();
}

bool stopDecoding(DecodeSession& s) noexcept
{
    s.events.EndAfterFailure();
    return false;
}

// The abort flag was heard while libjpeg read the scans: no row was read, and that is no error.
bool stoppedBeforeRows(DecodeSession& s) noexcept
{
    s.errors.failure = JpegFailure::None;
    return s.events.End() || stopDecoding(s);
}

int scaleDenominator(const DecodeSession& s)
{
    if (!s.scale.forBox)
        return 1;
    // The box is that of the upright picture.
    const QSize box = UprightSize(QSize(s.scale.boxWidth, s.scale.boxHeight), s.orientation);
    const int scale = ChooseJpegScale(int(s.info.image_width), int(s.info.image_height), box.width(), box.height());
    return std::min(scale, std::max(1, s.scale.maxScale));
}

// Memory the decode will need beyond the image, counted before anything is allocated (the
// image itself, of the frame actually decoded, is checked by Allocate). A file read in several
// scans (progressive) keeps the coefficients of the whole frame, at full size whatever the
// output scale: 64 two-byte values per block of every component.
std::int64_t coefficientBytes(DecodeSession& s)
{
    const jpeg_decompress_struct& info = s.info;
    if (!jpeg_has_multiple_scans(&s.info))
        return 0;
    std::int64_t coefficients = 0;
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        const auto roundUp = [](std::int64_t blocks, int factor) { return (blocks + factor - 1) / factor * factor; };
        coefficients += roundUp(component.width_in_blocks, component.h_samp_factor)
                        * roundUp(component.height_in_blocks, component.v_samp_factor) * std::int64_t(sizeof(JBLOCK));
    }
    return coefficients;
}

// The whole decode in one setjmp frame: libjpeg's errors come back here as a longjmp, and the
// failure branch reads nothing but the session (the one local changed after setjmp, row, is
// not read after a longjmp, so it need not be volatile).
bool runDecode(DecodeSession& s) noexcept
{
    j_decompress_ptr info = &s.info;
    info->err = InstallJpegErrors(s.errors, s.graphic);
    if (setjmp(s.errors.jump))
        return s.errors.failure == JpegFailure::Stopped ? stoppedBeforeRows(s) : stopDecoding(s);
    startSession(s);
    if (JpegFirstScanIsEmpty(info)) // not one row could be decoded: no picture
        ERREXIT(info, JWRN_JPEG_EOF);
    info->scale_num = 1;
    info->scale_denom = unsigned(scaleDenominator(s));
    const bool fast = s.scale.forBox || s.graphic.FastJPEGDecode();
    info->dct_method = J_DCT_METHOD(fast ? int(JDCT_IFAST) : PixelGraphicJPEGDecodeDCT);
    info->quantize_colors = FALSE;
    info->dither_mode = JDITHER_NONE;
    info->two_pass_quantize = FALSE;
    if (info->jpeg_color_space == JCS_YCbCr || info->jpeg_color_space == JCS_RGB)
        info->out_color_space = JCS_EXT_BGR; // the image's own byte order
    jpeg_calc_output_dimensions(info);
    if (info->output_components != 1 && info->output_components != 3) {
        s.errors.failure = JpegFailure::Unsupported;
        return stopDecoding(s);
    }
    const std::int64_t coefficients = coefficientBytes(s);
    if (coefficients > TPixelGraphic::MaxImageSize) {
        s.errors.failure = JpegFailure::TooLarge;
        return stopDecoding(s);
    }
    // The image is made (and its size checked) before libjpeg allocates for the decode.
    if (!RunGuarded(s.errors, [&s, coefficients] {
            s.coefficients = ChargeMemoryBudget(coefficients);
            prepareImage(s);
        })
        || !s.events.Begin())
        return stopDecoding(s);
    s.scanWatch.events = &s.events;
    jpeg_start_decompress(info);
    s.scanWatch.events = nullptr; // the rows report themselves
    while (info->output_scanline < info->output_height) {
        // The first scanline is the top row, which is stored last.
        JSAMPROW row = s.bits + std::int64_t(info->output_height - 1 - info->output_scanline) * s.rowBytes;
        jpeg_read_scanlines(info, &row, 1);
        if (!s.events.Row(int(info->output_scanline), int(info->output_height)))
            return stopDecoding(s);
        if (s.events.Aborted())
            break;
    }
    if (!s.events.End())
        return stopDecoding(s);
    if (s.events.Aborted())
        jpeg_abort_decompress(info); // the rows not read stay as they were made
    else
        jpeg_finish_decompress(info);
    return true;
}

// What GetInfo reports, from the header.
struct HeaderFacts {
    int width = 0, height = 0, components = 0, orientation = 1;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    bool progressive = false, jfif = false, adobe = false;
};

bool runReadHeader(DecodeSession& s, HeaderFacts& facts) noexcept
{
    s.info.err = InstallJpegErrors(s.errors, s.graphic);
    if (setjmp(s.errors.jump))
        return false;
    startSession(s);
    facts.width = int(s.info.image_width);
    facts.height = int(s.info.image_height);
    facts.components = s.info.num_components;
    facts.colorSpace = s.info.jpeg_color_space;
    facts.progressive = s.info.progressive_mode;
    facts.jfif = s.info.saw_JFIF_marker;
    facts.adobe = s.info.saw_Adobe_marker;
    facts.orientation = s.orientation;
    return true;
}

QString colorSpaceName(J_COLOR_SPACE space)
{
    switch (space) {
    case JCS_UNKNOWN:
        return QStringLiteral("unknown");
    case JCS_GRAYSCALE:
        return QStringLiteral("GrayScale");
    case JCS_RGB:
        return QStringLiteral("RGB");
    case JCS_YCbCr:
        return QStringLiteral("YCbCr");
    case JCS_CMYK:
        return QStringLiteral("CMYK");
    case JCS_YCCK:
        return QStringLiteral("YCbCrK");
    default:
        return {};
    }
}

QString colorsText(int components)
{
    switch (components) {
    case 1:
        return QStringLiteral("256");
    case 2:
        return QStringLiteral("64K");
    case 3:
        return QStringLiteral("16.7M");
    case 4:
        return QStringLiteral("4294.9M");
    default:
        return QStringLiteral("?");
    }
}

[[noreturn]] void raiseJPG(const QString& text)
{
    RaiseTagged<EPGJPGFileFormatReaderWriter>("JPG", text);
}

void decode(QIODevice& Stream, TPixelGraphic& Graphic, DecodeScale Scale)
{
    Graphic.SetGamma(PixelGraphicDefaultGamma);
    DecodeSession session(Stream, Graphic, Scale);
    if (!runDecode(session))
        RaiseJpegFailure(session.errors);
    // Turned out of libjpeg's frames; a reduced frame is small, so this costs little.
    if (Scale.forBox && !session.events.Aborted())
        TurnUpright(Graphic, session.orientation);
}

} // namespace

TJPGFileFormatReader::TJPGFileFormatReader()
    : TJPGFileFormatReader(QStringLiteral("TJPGFileFormatReader"), QStringLiteral("jpg"))
{
}

TJPGFileFormatReader::TJPGFileFormatReader(QString ClassName, QString Extension)
    : TSingleImageReader(std::move(ClassName), std::move(Extension), QStringLiteral("JPEG (JFIF compliant)"), true)
{
}

void TJPGFileFormatReader::Fail(const QString& Text) const
{
    raiseJPG(Text);
}

bool TJPGFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return Header[0] == 0xFF && Header[1] == 0xD8;
}

void TJPGFileFormatReader::LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const
{
    decode(Stream, Graphic, {});
}

void TJPGFileFormatReader::ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const
{
    TPixelGraphic quiet; // warnings while reading only the header are not shown
    quiet.SetWarningAction(waIgnore);
    DecodeSession session(Stream, quiet);
    session.readsOrientation = true;
    HeaderFacts facts;
    if (!runReadHeader(session, facts))
        RaiseJpegFailure(session.errors);
    QString subFormat = colorSpaceName(facts.colorSpace);
    if (facts.progressive)
        subFormat += QStringLiteral(", Progressive");
    if (facts.adobe)
        subFormat.prepend(QStringLiteral("Adope, "));
    if (facts.jfif)
        subFormat.prepend(QStringLiteral("JFIF, "));
    Info.SubFormat = subFormat;
    Info.Width = facts.width;
    Info.Height = facts.height;
    Info.BitsPerPixel = 8 * facts.components;
    Info.ColorsText = colorsText(facts.components);
    Info.Orientation = facts.orientation;
}

int ChooseJpegScale(int Source, int Target)
{
    for (int scale : {8, 4, 2})
        if (Target <= Source / scale)
            return scale;
    return 1;
}

int ChooseJpegScale(int Width, int Height, int BoxWidth, int BoxHeight)
{
    return std::min(ChooseJpegScale(Width, BoxWidth), ChooseJpegScale(Height, BoxHeight));
}

void LoadScaledJpeg(QIODevice& Stream, TPixelGraphic& Graphic, int BoxWidth, int BoxHeight, int MaxScale)
{
    decode(Stream, Graphic, {true, BoxWidth, BoxHeight, MaxScale});
}
