#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {
class PromptService;
}

// The types a rotation takes in, and those a browser shows as they are.
inline constexpr const char* ImageFilePattern =
    "*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;";
inline constexpr const char* BrowserReadyPattern = "*.JPE;*.JPG;*.GIF";

// By the file name's extension; three letters of a longer one count (".jpeg", ".tiff").
bool checksupportedformat(const QString& fileName);
bool checkHTMLsupportedformat(const QString& fileName);

// What adding one file did.
struct AddImageOutcome {
    enum Result { Copied, Converted, Skipped, Failed };
    Result result = Skipped;
    bool goOn = true;    // false: the user chose to stop
    QString file;        // the file written or meant ("<name>.jpg" for a conversion)
    QString reason;      // why it was skipped or failed
};

// Adds one image to a rotation folder: browser-ready files are copied, every other image is
// converted to "<name>.jpg" (progressive, at the given quality). Asks before replacing a file
// and replaces it only with a complete new one; a failure leaves no file behind.
AddImageOutcome addimage(const QString& source, const QString& destination, int jpegQuality,
                         platform::PromptService& prompts);

// Adds files to a folder in order, each under its own name, stopping where the user stops.
QList<AddImageOutcome> addimages(const QStringList& files, const QString& folder, int jpegQuality,
                                 platform::PromptService& prompts);

// Files dropped on a folder's list: as addimages, but a file from that very folder stops the
// whole drop with "The destination folder is the same as the source!".
QList<AddImageOutcome> adddroppedimages(const QStringList& files, const QString& folder, int jpegQuality,
                                        platform::PromptService& prompts);
