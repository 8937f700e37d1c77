#pragma once
// The boundary between libjpeg and the library. libjpeg reports errors by calling back; the
// callbacks here record what happened and longjmp to the setjmp of the running coder, so that
// no C++ exception ever crosses a libjpeg frame. The coders turn the record into the library's
// exception once they are out of libjpeg (RaiseJpegFailure).
//
// Rule for code between a coder's setjmp and its end: no C++ object with a destructor may live
// in a frame that a longjmp can leave, and nothing read after the longjmp may be a local that
// changed after setjmp. Everything such code needs lives in the session objects below.

#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <exception>
#include <type_traits>

static_assert(JPEG_LIB_VERSION == 62, "the JPEG glue is written for the libjpeg 6.2 interface");
#if !defined(JCS_EXTENSIONS) || !defined(LIBJPEG_TURBO_VERSION_NUMBER)
#error "the JPEG glue needs libjpeg-turbo (JCS_EXT_BGR rows)"
#endif
static_assert(LIBJPEG_TURBO_VERSION_NUMBER >= 2000000, "the JPEG glue needs libjpeg-turbo 2.0 or later");

class QIODevice;
class TPixelGraphic;

// How a coder stopped early.
enum class JpegFailure {
    None,
    LibraryError,   // libjpeg's fatal error; Message holds its text
    WarningRaised,  // a warning under WarningAction 3; Message holds its text
    UserAbort,      // Cancel on a warning, or an abort from a progress handler while saving
    WriteFailed,    // the stream did not take the compressed data
    TooManyScans,   // a progressive file that would keep the decoder busy for ever
    Stopped,        // the abort flag, heard while libjpeg read the scans: not an error
    Unsupported,    // components other than 1 or 3
    TooLarge,       // the decode would need more memory than the library allows
    CppException,   // a C++ exception from our own code inside the session; see Exception
};

struct JpegErrors {
    jpeg_error_mgr pub; // first, so that libjpeg's pointer is ours
    std::jmp_buf jump;
    TPixelGraphic* graphic = nullptr; // whose WarningAction applies to warnings
    JpegFailure failure = JpegFailure::None;
    char message[JMSG_LENGTH_MAX] = {};
    std::exception_ptr exception;
};

// libjpeg's standard error manager with the fatal-error and warning output replaced.
jpeg_error_mgr* InstallJpegErrors(JpegErrors& Errors, TPixelGraphic& Graphic) noexcept;

// Runs f (our own code inside a session) and records an exception instead of letting it pass.
template <typename F> bool RunGuarded(JpegErrors& Errors, F&& f) noexcept
{
    try {
        f();
        return true;
    } catch (...) {
        Errors.exception = std::current_exception();
        Errors.failure = JpegFailure::CppException;
        return false;
    }
}

// The image's progress events around a coder's rows. The end event runs once, also when the
// coder failed (a handler that raises then is not heard: the first failure counts). Each call
// returns false when a handler raised; the exception is recorded in Errors.
class JpegProgressEvents {
public:
    JpegProgressEvents(TPixelGraphic& Graphic, JpegErrors& Errors) : graphic_(Graphic), errors_(Errors) {}
    bool Begin() noexcept;
    // After each row; Aborted() tells whether the handler set the abort flag.
    bool Row(int Done, int Total) noexcept;
    // While libjpeg reads the scans, before any row: the handler hears no rows done.
    bool BeforeRows(int Total) noexcept { return Row(0, Total); }
    bool Aborted() const { return aborted_; }
    bool End() noexcept;
    void EndAfterFailure() noexcept;

private:
    TPixelGraphic& graphic_;
    JpegErrors& errors_;
    bool begun_ = false;
    bool aborted_ = false;
};

// Raises the library's exception for a recorded failure ("JPG: " + ...).
[[noreturn]] void RaiseJpegFailure(const JpegErrors& Errors);

inline constexpr std::size_t JpegBufferSize = 64 * 1024;
// Real progressive files have about ten scans, a few dozen when an encoder splits the bands
// finely; each scan passes over the whole frame, so beyond this the file is refused.
inline constexpr int MaxJpegScans = 100;

// A data source reading from a stream. At the end of the data it warns ("Premature end of JPEG
// file") and supplies an end-of-image marker, as libjpeg's own sources do.
// Buffer: JpegBufferSize bytes, owned by the caller.
struct JpegSource {
    jpeg_source_mgr pub;
    QIODevice* stream;
    JpegErrors* errors;
    JOCTET* buffer;
    bool startOfFile;
};
void AttachJpegSource(j_decompress_ptr Info, JpegSource& Source, QIODevice& Stream, JpegErrors& Errors,
                      JOCTET* Buffer) noexcept;

// A destination writing to a stream; a stream that takes less than it was given fails the save.
struct JpegDestination {
    jpeg_destination_mgr pub;
    QIODevice* stream;
    JpegErrors* errors;
    JOCTET* buffer;
};
void AttachJpegDestination(j_compress_ptr Info, JpegDestination& Destination, QIODevice& Stream,
                           JpegErrors& Errors, JOCTET* Buffer) noexcept;

// libjpeg's progress monitor. It refuses progressive files with more than MaxJpegScans scans
// and, once Events is set (for jpeg_start_decompress, which reads every scan of a progressive
// file), asks the progress handler for the abort flag after each row of blocks read.
struct JpegScanWatch {
    jpeg_progress_mgr pub;
    JpegErrors* errors;
    JpegProgressEvents* events;
};
void AttachJpegScanWatch(j_decompress_ptr Info, JpegScanWatch& Watch, JpegErrors& Errors) noexcept;

// True when the first scan holds no entropy-coded data: the end of the file or another marker
// follows its header at once. Call right after jpeg_read_header.
bool JpegFirstScanIsEmpty(j_decompress_ptr Info) noexcept;

// libjpeg hands back pointers to the first member; these make the casts back sound.
static_assert(std::is_standard_layout_v<JpegErrors> && std::is_standard_layout_v<JpegSource>
              && std::is_standard_layout_v<JpegDestination> && std::is_standard_layout_v<JpegScanWatch>);
