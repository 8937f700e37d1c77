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

// The start-up check that entry i of a table carries index i; raises EPixelGraphic naming the
// first mismatch.
void CheckLangStrEntries(std::span<const TPGLangStrEntry> Entries = PGLangStrEntries());
