#include "pngglue.h"

#include "imaging/pgexceptions.h"
#include "imaging/pgmessages.h"
#include "imaging/formatscaffold.h"
#include "imaging/pixelgraphic.h"

#include <QIODevice>

#include <zlib.h>

namespace {

PngSession& sessionOf(png_const_structrp png)
{
    return *static_cast<PngSession*>(png_get_error_ptr(png));
}

void errorFunction(png_structp png, png_const_charp text)
{
    PngSession& session = sessionOf(png);
    if (session.failure == PngFailure::None) {
        session.failure = PngFailure::LibraryError;
        session.message = QString::fromLatin1(text);
    }
    png_longjmp(png, 1);
}

// What the image's WarningAction makes of a warning; asking happens here, out of the way of
// the longjmp that may follow.
void warningFunction(png_structp png, png_const_charp text)
{
    PngSession& session = sessionOf(png);
    PngFailure failure = PngFailure::None;
    try {
        const TWarningResponse response = session.graphic.RespondToWarning(
            QStringLiteral("PNG ") + PGLangStr(PgMsg::Warning), QString::fromLatin1(text));
        if (response == TWarningResponse::Abort)
            failure = PngFailure::UserAbort;
        else if (response == TWarningResponse::Raise)
            failure = PngFailure::WarningRaised;
    } catch (...) {
        session.exception = std::current_exception();
        failure = PngFailure::CppException;
    }
    if (failure == PngFailure::None)
        return;
    session.failure = failure;
    session.message = QString::fromLatin1(text);
    png_longjmp(png, 1);
}

PngSession& sessionOfIo(png_structp png)
{
    return *static_cast<PngSession*>(png_get_io_ptr(png));
}

// Exactly Length bytes or the end-of-file error; streams may hand out fewer bytes a call.
void readFunction(png_structp png, png_bytep data, png_size_t length)
{
    PngSession& session = sessionOfIo(png);
    bool short_ = false;
    RunInsidePng(session, [&] {
        png_size_t done = 0;
        while (done < length) {
            const qint64 got = session.stream.read(reinterpret_cast<char*>(data) + done, qint64(length - done));
            if (got <= 0)
                break;
            done += png_size_t(got);
        }
        short_ = done < length;
    });
    if (short_) {
        session.failure = PngFailure::LibraryError;
        session.message = PGLangStr(PgMsg::UnexpectedEof);
        png_longjmp(png, 1);
    }
}

void writeFunction(png_structp png, png_bytep data, png_size_t length)
{
    PngSession& session = sessionOfIo(png);
    bool failed = false;
    RunInsidePng(session, [&] {
        png_size_t done = 0;
        while (done < length) {
            const qint64 written = session.stream.write(reinterpret_cast<const char*>(data) + done,
                                                        qint64(length - done));
            if (written <= 0)
                break;
            done += png_size_t(written);
        }
        failed = done < length;
    });
    if (failed) {
        session.failure = PngFailure::LibraryError;
        session.message = PGLangStrS1(PgMsg::Failed, QStringLiteral("Write"));
        png_longjmp(png, 1);
    }
}

void flushFunction(png_structp) {}

bool noteCreationFailure(PngSession& session, const char* what)
{
    session.failure = PngFailure::LibraryError;
    session.message = PGLangStrS1(PgMsg::Failed, QString::fromLatin1(what));
    return false;
}

// "1.6.39" against "1.6": the same major and minor release.
bool sameRelease(const char* linked, const char* header)
{
    const QString a = QString::fromLatin1(linked);
    const QString b = QString::fromLatin1(header);
    return a.section(u'.', 0, 1) == b.section(u'.', 0, 1);
}

} // namespace

PngSession::~PngSession()
{
    if (!png)
        return;
    if (writing)
        png_destroy_write_struct(&png, info ? &info : nullptr);
    else
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
}

bool PngLibrariesMatch()
{
    return png_access_version_number() / 100 == PNG_LIBPNG_VER / 100 && sameRelease(zlibVersion(), ZLIB_VERSION);
}

bool CreatePngReader(PngSession& Session) noexcept
{
    Session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &Session, errorFunction, warningFunction);
    if (!Session.png)
        return noteCreationFailure(Session, "png_create_read_struct");
    Session.info = png_create_info_struct(Session.png);
    if (!Session.info)
        return noteCreationFailure(Session, "png_create_info_struct");
    png_set_read_fn(Session.png, &Session, readFunction);
    // Profiles that the file's sRGB chunk cannot vouch for are not worth a box per image.
    png_set_option(Session.png, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
    return true;
}

bool CreatePngWriter(PngSession& Session) noexcept
{
    Session.writing = true;
    Session.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &Session, errorFunction, warningFunction);
    if (!Session.png)
        return noteCreationFailure(Session, "png_create_write_struct");
    Session.info = png_create_info_struct(Session.png);
    if (!Session.info)
        return noteCreationFailure(Session, "png_create_info_struct");
    png_set_write_fn(Session.png, &Session, writeFunction, flushFunction);
    return true;
}

void EndPngProgress(TPixelGraphic& Graphic, bool Begun, bool Succeeded)
{
    if (!Begun)
        return;
    if (Succeeded) {
        Graphic.ProgressEnd();
        return;
    }
    try {
        Graphic.ProgressEnd();
    } catch (...) {
    }
}

void RaisePNG(const QString& Text)
{
    RaiseTagged<EPGPNGFileFormatReaderWriter>("PNG", Text);
}

void RaisePngFailure(const PngSession& Session)
{
    switch (Session.failure) {
    case PngFailure::CppException:
        if (Session.exception)
            std::rethrow_exception(Session.exception);
        break;
    case PngFailure::UserAbort:
        RaisePNG(PGLangStr(PgMsg::Aborted));
    case PngFailure::LibraryError:
    case PngFailure::WarningRaised:
    case PngFailure::None:
        break;
    }
    RaisePNG(Session.message);
}
