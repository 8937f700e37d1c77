#pragma once

#include <QString>

#include <exception>
#include <string>

// The library's failures: one family whose classes each carry the text of one or a few fixed
// messages of the message table.
class EPixelGraphic : public std::exception {
public:
    explicit EPixelGraphic(const QString& message);
    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

#define PG_EXCEPTION_CLASS(Name)                                                                   \
    class Name : public EPixelGraphic {                                                            \
    public:                                                                                        \
        using EPixelGraphic::EPixelGraphic;                                                        \
    }

PG_EXCEPTION_CLASS(EPGXYIndexOutOfRange);
PG_EXCEPTION_CLASS(EPGNoPalette);
PG_EXCEPTION_CLASS(EPGInvalidPaletteIndex);
PG_EXCEPTION_CLASS(EPGCanWriteResolutionsEmpty);
PG_EXCEPTION_CLASS(EPGCannotWriteColorRes);
PG_EXCEPTION_CLASS(EPGFileFormatWritersEmpty);
PG_EXCEPTION_CLASS(EPGUnknownExtension);
PG_EXCEPTION_CLASS(EPGUnknownFileFormat);
PG_EXCEPTION_CLASS(EPGUnknownClipboardFormat);
PG_EXCEPTION_CLASS(EPGBMPFileFormatReader);
PG_EXCEPTION_CLASS(EPGJPGFileFormatReaderWriter);
PG_EXCEPTION_CLASS(EPGPNGFileFormatReaderWriter);
PG_EXCEPTION_CLASS(EPGPCXFileFormatReader);
PG_EXCEPTION_CLASS(EPGPxMFileFormatReader);
PG_EXCEPTION_CLASS(EPGPxMFileFormatWriter);
PG_EXCEPTION_CLASS(EPGTGAFileFormatReader);
PG_EXCEPTION_CLASS(EPGTIFFileFormatReader);
PG_EXCEPTION_CLASS(EPGTIFFileFormatWriter);
PG_EXCEPTION_CLASS(GIFException); // the GIF image and its coders, with fixed English texts
PG_EXCEPTION_CLASS(EPGInvalidBitCountNum);
PG_EXCEPTION_CLASS(EPGInvalidSize);

#undef PG_EXCEPTION_CLASS
