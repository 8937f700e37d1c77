#pragma once

#include <QString>

#include <cstdint>
#include <span>

// The library's table of messages: every text it shows or raises, in six language columns
// (0 English, 1 German, 2 French, 3 Dutch, 4 Spanish, 5 a spare column).

struct TPGLangStrEntry {
    std::uint8_t Index;
    const char* Texts[6]; // UTF-8
};

inline constexpr int PGLangStrCount = 85;
inline constexpr int PGLanguageCount = 6;

// The message numbers, by what each message says. Stored and compared values are the numbers.
enum class PgMsg : std::uint8_t {
    None = 0,
    XYIndexOutOfRange = 1,
    NoPalette = 2,
    InvalidPaletteIndex = 3,
    UnknownClipboardFormat = 4,
    InvalidTemporaryFile = 5,
    UnknownFileFormat = 6,
    Invalid = 7,                    // "%S1 invalid"
    ColorResolutionNames = 8,       // 8 to 15: the eight colour resolutions in their order
    IsEmpty = 16,                   // "%S1 is empty"
    ColorResolutionChanged = 17,
    CannotWriteColorResolution = 18,
    UnknownExtension = 19,
    InvalidValueFor = 20,           // "Invalid value for %S1"
    NegativeHeight = 21,
    NegativeWidth = 22,
    FilterSourceIsTarget = 23,
    Bit = 24,
    ImageFiles = 25,
    AllFiles = 26,
    InvalidSizeOf = 27,             // "Invalid size of %S1"
    Warning = 28,
    Aborted = 29,                   // "Operation aborted on user request"
    NotSupportedSubformat = 30,
    Failed = 31,                    // "%S1 failed"
    UnexpectedEof = 32,
    UnknownSubformat = 33,
    NotAFile = 34,                  // "Not a %S1 file"
    ZeroWidthOrHeight = 35,
    InvalidColorResolution = 36,
    UnsupportedFieldType = 37,      // "Unsupported field type %S1"
    InvalidRowByteCount = 38,       // "Invalid count of bytes in row %S1"
    UnsupportedCompression = 39,
    SaturationZeroHueDefined = 40,
    OutOfRange = 41,                // "%S1 out of range"
    Ok = 42,
    Cancel = 43,
    FilterTexts = 44,               // 44 to 83: the filter dialogs' captions and labels
    Spare = 84,
};

// The whole table, entry i carrying index i.
std::span<const TPGLangStrEntry> PGLangStrEntries();

// The language column every lookup reads; 0 (English) from library start on.
extern std::uint8_t PGLanguage;

// Text of entry Index in the column PGLanguage; only the low byte of Index counts. A
// language column or an index past the table gives "".
QString PGLangStr(int Index);

// The text with the first "%S1" (then "%S2", then "%S3") replaced by the argument. Each
// replacement works on the text left by the one before, so an argument that itself holds a
// later marker receives that marker's argument.
QString PGLangStrS1(int Index, const QString& S1);
QString PGLangStrS2(int Index, const QString& S1, const QString& S2);
QString PGLangStrS3(int Index, const QString& S1, const QString& S2, const QString& S3);

inline QString PGLangStr(PgMsg Message) { return PGLangStr(int(Message)); }
inline QString PGLangStrS1(PgMsg Message, const QString& S1) { return PGLangStrS1(int(Message), S1); }
inline QString PGLangStrS2(PgMsg Message, const QString& S1, const QString& S2)
{
    return PGLangStrS2(int(Message), S1, S2);
}
inline QString PGLangStrS3(PgMsg Message, const QString& S1, const QString& S2, const QString& S3)
{
    return PGLangStrS3(int(Message), S1, S2, S3);
}

// The start-up check that entry i of a table carries index i; raises EPixelGraphic naming the
// first mismatch.
void CheckLangStrEntries(std::span<const TPGLangStrEntry> Entries = PGLangStrEntries());
