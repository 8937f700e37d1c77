#include "jpegglue.h"

#include "imaging/pgexceptions.h"
#include "imaging/pgmessages.h"
#include "imaging/pixelgraphic.h"

#include <QIODevice>

#include <cstring>

namespace {

JpegErrors& errorsOf(j_common_ptr Info)
{
    return *reinterpret_cast<JpegErrors*>(Info->err);
}

[[noreturn]] void leaveLibrary(JpegErrors& Errors, JpegFailure Failure)
{
    Errors.failure = Failure;
    std::longjmp(Errors.jump, 1);
}

[[noreturn]] void errorExit(j_common_ptr Info)
{
    JpegErrors& errors = errorsOf(Info);
    Info->err->format_message(Info, errors.message);
    leaveLibrary(errors, JpegFailure::LibraryError);
}

// What the image's WarningAction makes of a warning; asking happens here, out of the way of
// the longjmp that may follow.
JpegFailure respondToWarning(JpegErrors& Errors, const char* Text) noexcept
{
    try {
        const TWarningResponse response = Errors.graphic->RespondToWarning(QStringLiteral("JPG ") + PGLangStr(PgMsg::Warning),
                                                                           QString::fromLatin1(Text));
        switch (response) {
        case TWarningResponse::Abort:
            return JpegFailure::UserAbort;
        case TWarningResponse::Raise:
            return JpegFailure::WarningRaised;
        case TWarningResponse::Continue:
            break;
        }
        return JpegFailure::None;
    } catch (...) {
        Errors.exception = std::current_exception();
        return JpegFailure::CppException;
    }
}

void outputMessage(j_common_ptr Info)
{
    JpegErrors& errors = errorsOf(Info);
    char text[JMSG_LENGTH_MAX];
    Info->err->format_message(Info, text);
    const JpegFailure failure = respondToWarning(errors, text);
    if (failure == JpegFailure::None)
        return;
    std::memcpy(errors.message, text, sizeof text);
    leaveLibrary(errors, failure);
}

// ---- Source ----

JpegSource& sourceOf(j_decompress_ptr Info)
{
    return *reinterpret_cast<JpegSource*>(Info->src);
}

void initSource(j_decompress_ptr Info)
{
    sourceOf(Info).startOfFile = true;
}

// Up to a buffer of bytes; 0 at the end of the data, -1 on a read error, -2 when the stream
// raised (the exception is kept in the errors for RaiseJpegFailure).
qint64 readStream(JpegSource& Source, std::size_t Offset = 0) noexcept
{
    try {
        return Source.stream->read(reinterpret_cast<char*>(Source.buffer + Offset), qint64(JpegBufferSize - Offset));
    } catch (...) {
        Source.errors->exception = std::current_exception();
        return -2;
    }
}

boolean fillInputBuffer(j_decompress_ptr Info)
{
    JpegSource& source = sourceOf(Info);
    qint64 got = readStream(source);
    if (got == -2)
        leaveLibrary(*source.errors, JpegFailure::CppException);
    if (got < 0)
        ERREXIT(Info, JERR_FILE_READ);
    if (got == 0) {
        if (source.startOfFile)
            ERREXIT(Info, JERR_INPUT_EMPTY);
        WARNMS(Info, JWRN_JPEG_EOF);
        source.buffer[0] = JOCTET(0xFF);
        source.buffer[1] = JOCTET(JPEG_EOI);
        got = 2;
    }
    source.pub.next_input_byte = source.buffer;
    source.pub.bytes_in_buffer = std::size_t(got);
    source.startOfFile = false;
    return TRUE;
}

void skipInputData(j_decompress_ptr Info, long Count)
{
    if (Count <= 0)
        return;
    jpeg_source_mgr& source = *Info->src;
    while (std::size_t(Count) > source.bytes_in_buffer) {
        Count -= long(source.bytes_in_buffer);
        fillInputBuffer(Info); // ends in an end-of-image marker, so this loop ends
    }
    source.next_input_byte += Count;
    source.bytes_in_buffer -= std::size_t(Count);
}

void termSource(j_decompress_ptr) {}

// ---- Destination ----

JpegDestination& destinationOf(j_compress_ptr Info)
{
    return *reinterpret_cast<JpegDestination*>(Info->dest);
}

bool writeStream(JpegDestination& Destination, std::size_t Count) noexcept
{
    try {
        const char* p = reinterpret_cast<const char*>(Destination.buffer);
        while (Count > 0) {
            const qint64 written = Destination.stream->write(p, qint64(Count));
            if (written <= 0)
                return false;
            p += written;
            Count -= std::size_t(written);
        }
        return true;
    } catch (...) {
        return false;
    }
}

void initDestination(j_compress_ptr Info)
{
    JpegDestination& destination = destinationOf(Info);
    destination.pub.next_output_byte = destination.buffer;
    destination.pub.free_in_buffer = JpegBufferSize;
}

boolean emptyOutputBuffer(j_compress_ptr Info)
{
    JpegDestination& destination = destinationOf(Info);
    if (!writeStream(destination, JpegBufferSize))
        leaveLibrary(*destination.errors, JpegFailure::WriteFailed);
    initDestination(Info);
    return TRUE;
}

void termDestination(j_compress_ptr Info)
{
    JpegDestination& destination = destinationOf(Info);
    if (!writeStream(destination, JpegBufferSize - destination.pub.free_in_buffer))
        leaveLibrary(*destination.errors, JpegFailure::WriteFailed);
}

// ---- Scan watch ----

void watchScans(j_common_ptr Info)
{
    if (!Info->is_decompressor)
        return;
    auto* decompress = reinterpret_cast<j_decompress_ptr>(Info);
    JpegScanWatch& watch = *reinterpret_cast<JpegScanWatch*>(Info->progress);
    if (decompress->input_scan_number > MaxJpegScans)
        leaveLibrary(*watch.errors, JpegFailure::TooManyScans);
    if (!watch.events)
        return;
    if (!watch.events->BeforeRows(int(decompress->output_height)))
        leaveLibrary(*watch.errors, JpegFailure::CppException);
    if (watch.events->Aborted())
        leaveLibrary(*watch.errors, JpegFailure::Stopped);
}

} // namespace

jpeg_error_mgr* InstallJpegErrors(JpegErrors& Errors, TPixelGraphic& Graphic) noexcept
{
    jpeg_std_error(&Errors.pub);
    Errors.pub.error_exit = errorExit;
    Errors.pub.output_message = outputMessage;
    Errors.graphic = &Graphic;
    return &Errors.pub;
}

bool JpegProgressEvents::Begin() noexcept
{
    return RunGuarded(errors_, [this] {
        graphic_.ProgressBegin();
        begun_ = true;
    });
}

bool JpegProgressEvents::Row(int Done, int Total) noexcept
{
    return RunGuarded(errors_, [&] { aborted_ = graphic_.Progress(Done, Total); });
}

bool JpegProgressEvents::End() noexcept
{
    if (!begun_)
        return true;
    begun_ = false;
    return RunGuarded(errors_, [this] { graphic_.ProgressEnd(); });
}

void JpegProgressEvents::EndAfterFailure() noexcept
{
    if (!begun_)
        return;
    begun_ = false;
    try {
        graphic_.ProgressEnd();
    } catch (...) {
    }
}

void RaiseJpegFailure(const JpegErrors& Errors)
{
    const QString tag = QStringLiteral("JPG: ");
    switch (Errors.failure) {
    case JpegFailure::CppException:
        if (Errors.exception)
            std::rethrow_exception(Errors.exception);
        break;
    case JpegFailure::UserAbort:
        throw EPGJPGFileFormatReaderWriter(tag + PGLangStr(PgMsg::Aborted));
    case JpegFailure::WriteFailed:
        throw EPGJPGFileFormatReaderWriter(tag + PGLangStrS1(PgMsg::Failed, QStringLiteral("Write")));
    case JpegFailure::TooManyScans:
        throw EPGJPGFileFormatReaderWriter(tag + PGLangStrS1(PgMsg::Invalid, QStringLiteral("Scan count")));
    case JpegFailure::Unsupported:
        throw EPGJPGFileFormatReaderWriter(tag + PGLangStr(PgMsg::NotSupportedSubformat));
    case JpegFailure::TooLarge: // as an image too large for the pixel memory
        throw EPixelGraphic(PGLangStrS1(PgMsg::Failed, QStringLiteral("CreateDIBSection")));
    case JpegFailure::LibraryError:
    case JpegFailure::WarningRaised:
    case JpegFailure::Stopped:
    case JpegFailure::None:
        break;
    }
    throw EPGJPGFileFormatReaderWriter(tag + QString::fromLatin1(Errors.message));
}

void AttachJpegSource(j_decompress_ptr Info, JpegSource& Source, QIODevice& Stream, JpegErrors& Errors,
                      JOCTET* Buffer) noexcept
{
    Source.stream = &Stream;
    Source.errors = &Errors;
    Source.buffer = Buffer;
    Source.startOfFile = true;
    Source.pub.init_source = initSource;
    Source.pub.fill_input_buffer = fillInputBuffer;
    Source.pub.skip_input_data = skipInputData;
    Source.pub.resync_to_restart = jpeg_resync_to_restart;
    Source.pub.term_source = termSource;
    Source.pub.bytes_in_buffer = 0;
    Source.pub.next_input_byte = nullptr;
    Info->src = &Source.pub;
}

void AttachJpegDestination(j_compress_ptr Info, JpegDestination& Destination, QIODevice& Stream,
                           JpegErrors& Errors, JOCTET* Buffer) noexcept
{
    Destination.stream = &Stream;
    Destination.errors = &Errors;
    Destination.buffer = Buffer;
    Destination.pub.init_destination = initDestination;
    Destination.pub.empty_output_buffer = emptyOutputBuffer;
    Destination.pub.term_destination = termDestination;
    Info->dest = &Destination.pub;
}

void AttachJpegScanWatch(j_decompress_ptr Info, JpegScanWatch& Watch, JpegErrors& Errors) noexcept
{
    Watch.errors = &Errors;
    Watch.events = nullptr;
    Watch.pub.progress_monitor = watchScans;
    Info->progress = &Watch.pub;
}

bool JpegFirstScanIsEmpty(j_decompress_ptr Info) noexcept
{
    JpegSource& source = sourceOf(Info);
    jpeg_source_mgr& pub = source.pub;
    if (pub.bytes_in_buffer < 2) {
        // Keep what is left in front and read on behind it (no warning: the decoder gives that).
        const std::size_t kept = pub.bytes_in_buffer;
        if (kept == 1)
            source.buffer[0] = pub.next_input_byte[0];
        const qint64 got = readStream(source, kept);
        if (got < 0)
            return false; // the decoder meets the failure itself
        pub.next_input_byte = source.buffer;
        pub.bytes_in_buffer = kept + std::size_t(got);
        source.startOfFile = false;
        if (pub.bytes_in_buffer < 2)
            return pub.bytes_in_buffer == 0 || pub.next_input_byte[0] == 0xFF;
    }
    // Inside entropy-coded data 0xFF is followed by 0 (a stuffed byte); anything else is a marker.
    return pub.next_input_byte[0] == 0xFF && pub.next_input_byte[1] != 0;
}
