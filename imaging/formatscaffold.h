#pragma once
// What the formats' reader and writer classes share, so that each format adds only its own
// code: the classes registered once more under another name and extension, the index check
// of one-image readers, and the format's tagged failure.

#include "fileformats.h"

#include <QString>

#include <algorithm>
#include <cstddef>

class QIODevice;
class TPixelGraphic;

// A class name or extension given as a template argument.
template <std::size_t N> struct FormatName {
    char text[N];
    constexpr FormatName(const char (&name)[N]) { std::copy_n(name, N, text); }
    QString toString() const { return QString::fromLatin1(text, qsizetype(N - 1)); }
};

// The same coder under another class name and extension: "TDIBFileFormatReader" is the BMP
// reader registered for "dib". The coder needs a constructor taking (ClassName, Extension).
template <class Coder, FormatName ClassName, FormatName Extension> class TFormatAlias final : public Coder {
public:
    TFormatAlias() : Coder(ClassName.toString(), Extension.toString()) {}
};

// Throws the format's exception class with its tag: "BMP: " + Text.
template <class Exception> [[noreturn]] void RaiseTagged(const char* Tag, const QString& Text)
{
    throw Exception(QString::fromLatin1(Tag) + QStringLiteral(": ") + Text);
}

// A reader of formats that hold one image. An image index other than 0 is refused before the
// format's code runs: Load with "<tag>: Index invalid", GetInfo with "<tag>: Invalid value for
// Index" (after the base has emptied the information).
class TSingleImageReader : public TFileFormatReader {
public:
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const final;
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const final;

protected:
    using TFileFormatReader::TFileFormatReader;

    virtual void LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const = 0;
    virtual void ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const = 0;
    // The format's failure: its exception class, its tag in front of the text.
    [[noreturn]] virtual void Fail(const QString& Text) const = 0;
    // GetInfo's failures; a format whose information names itself otherwise overrides it.
    [[noreturn]] virtual void FailInfo(const QString& Text) const;
};
