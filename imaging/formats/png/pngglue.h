#pragma once
// The boundary between libpng and the library. libpng reports errors by calling back; the
// callbacks here record what happened and longjmp to the setjmp of the running coder, so that
// no C++ exception ever crosses a libpng frame. The coders raise the library's exception once
// they are out of libpng (RaisePngFailure).
//
// Rule for code between a coder's setjmp and its end: no C++ object with a destructor lives in a
// frame that a longjmp can leave, and nothing read after the longjmp is a local changed after
// setjmp. Everything such code needs lives in the session.

#include <png.h>

#include <QString>

#include <exception>

static_assert(PNG_LIBPNG_VER >= 10600, "the PNG glue is written for libpng 1.6");

class QIODevice;
class TPixelGraphic;

enum class PngFailure {
    None,
    LibraryError,   // libpng's error; Message holds its text
    WarningRaised,  // a warning under waRaise; Message holds its text
    UserAbort,      // Cancel on a warning box, or an abort while saving
    CppException,   // a C++ exception from our own code inside the session
};

struct PngSession {
    PngSession(QIODevice& Stream, TPixelGraphic& Graphic) : stream(Stream), graphic(Graphic) {}
    ~PngSession();
    PngSession(const PngSession&) = delete;
    PngSession& operator=(const PngSession&) = delete;

    QIODevice& stream;
    TPixelGraphic& graphic;
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool writing = false;
    PngFailure failure = PngFailure::None;
    QString message;
    std::exception_ptr exception;
};

// True when the linked libpng and zlib are the major.minor releases the headers name.
bool PngLibrariesMatch();

// Creates the read or write structures with our error, warning and stream functions; false
// (with the failure recorded) when libpng cannot make them.
bool CreatePngReader(PngSession& Session) noexcept;
bool CreatePngWriter(PngSession& Session) noexcept;

// Runs f (our own code inside a session) and turns an exception into a libpng error, which
// longjmps to the coder's setjmp.
template <typename F> void RunInsidePng(PngSession& Session, F&& f) noexcept
{
    bool failed = false;
    try {
        f();
    } catch (...) {
        Session.exception = std::current_exception();
        Session.failure = PngFailure::CppException;
        failed = true;
    }
    if (failed)
        png_longjmp(Session.png, 1);
}

// The image's end event after a coder that began it. After a failure an exception from the
// handler is not heard: the failure already recorded is the one that counts.
void EndPngProgress(TPixelGraphic& Graphic, bool Begun, bool Succeeded);

// Raises the library's exception for the recorded failure ("PNG: " + ...).
[[noreturn]] void RaisePngFailure(const PngSession& Session);
[[noreturn]] void RaisePNG(const QString& Text);
