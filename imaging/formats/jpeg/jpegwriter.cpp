// Writing baseline and progressive JPEG files through libjpeg-turbo.
#include "jpegformat.h"
#include "jpegglue.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <vector>

namespace {

// Everything one encode needs, kept out of the frame that calls setjmp; the compressor is
// destroyed with the session.
struct EncodeSession {
    EncodeSession(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options)
        : stream(Stream), graphic(Graphic), options(Options), buffer(JpegBufferSize), events(Graphic, errors)
    {
    }
    ~EncodeSession() { jpeg_destroy_compress(&info); }
    EncodeSession(const EncodeSession&) = delete;
    EncodeSession& operator=(const EncodeSession&) = delete;

    QIODevice& stream;
    TPixelGraphic& graphic;
    const SaveOptions options;
    std::vector<JOCTET> buffer;
    jpeg_compress_struct info{};
    JpegErrors errors;
    JpegDestination destination{};
    JpegProgressEvents events;
    std::uint8_t* bits = nullptr;
    std::int64_t rowBytes = 0;
    bool gray = false;
};

bool stopEncoding(EncodeSession& s) noexcept
{
    s.events.EndAfterFailure();
    return false;
}

// The whole encode in one setjmp frame; the failure branch reads nothing but the session (the
// one local changed after setjmp, row, is not read after a longjmp).
bool runEncode(EncodeSession& s) noexcept
{
    j_compress_ptr info = &s.info;
    info->err = InstallJpegErrors(s.errors, s.graphic);
    if (setjmp(s.errors.jump))
        return stopEncoding(s);
    jpeg_create_compress(info);
    AttachJpegDestination(info, s.destination, s.stream, s.errors, s.buffer.data());
    info->image_width = JDIMENSION(s.graphic.Width());
    info->image_height = JDIMENSION(s.graphic.Height());
    info->input_components = s.gray ? 1 : 3;
    info->in_color_space = s.gray ? JCS_GRAYSCALE : JCS_EXT_BGR; // the image's own byte order
    jpeg_set_defaults(info);
    if (s.options.JPEGFullChroma && !s.gray) {
        // The defaults sample luma 2 x 2 against chroma 1 x 1; equal factors keep all colour.
        info->comp_info[0].h_samp_factor = 1;
        info->comp_info[0].v_samp_factor = 1;
    }
    if (s.options.JPEGProgressive)
        jpeg_simple_progression(info);
    jpeg_set_quality(info, s.options.JPEGQuality, TRUE);
    info->dct_method = J_DCT_METHOD(s.options.JPEGEncodeDCT);
    jpeg_start_compress(info, TRUE);
    if (!s.events.Begin())
        return stopEncoding(s);
    while (info->next_scanline < info->image_height) {
        // Top row first; it is stored last.
        JSAMPROW row = s.bits + std::int64_t(info->image_height - 1 - info->next_scanline) * s.rowBytes;
        jpeg_write_scanlines(info, &row, 1);
        if (!s.events.Row(int(info->next_scanline), int(info->image_height)))
            return stopEncoding(s);
        if (s.events.Aborted()) {
            // No partial file: the save fails and its target is not replaced.
            s.errors.failure = JpegFailure::UserAbort;
            return stopEncoding(s);
        }
    }
    if (!s.events.End())
        return stopEncoding(s);
    jpeg_finish_compress(info);
    return true;
}

} // namespace

TJPGFileFormatWriter::TJPGFileFormatWriter()
    : TJPGFileFormatWriter(QStringLiteral("TJPGFileFormatWriter"), QStringLiteral("jpg"))
{
}

TJPGFileFormatWriter::TJPGFileFormatWriter(QString ClassName, QString Extension)
    : TFileFormatWriter(std::move(ClassName), std::move(Extension), QStringLiteral("JPEG (JFIF compliant)"),
                        ColorResolutionSet{cr256Grays, cr16MillionColors})
{
}

void TJPGFileFormatWriter::Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const
{
    Graphic.RecognisePaletteIdent();
    const bool trueColor = Graphic.BitCountNum() == bcn24Bit;
    const bool gray = Graphic.BitCountNum() == bcn8Bit && Graphic.PaletteIdent() == pGray256;
    if (!trueColor && !gray)
        RaiseTagged<EPGJPGFileFormatReaderWriter>("JPG", PGLangStrS1(PgMsg::InvalidValueFor, QStringLiteral("BitCount")));
    EncodeSession session(Stream, Graphic, Options);
    session.gray = gray;
    session.bits = Graphic.Bits();
    session.rowBytes = Graphic.RowBytes();
    if (!runEncode(session))
        RaiseJpegFailure(session.errors);
}

void RegisterJPEGFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<TJPGFileFormatReader>());
    Registry.AddReader(std::make_unique<TJPEGFileFormatReader>());
    Registry.AddReader(std::make_unique<TJIFFileFormatReader>());
    Registry.AddWriter(std::make_unique<TJPGFileFormatWriter>());
    Registry.AddWriter(std::make_unique<TJPEGFileFormatWriter>());
    Registry.AddWriter(std::make_unique<TJIFFileFormatWriter>());
}
