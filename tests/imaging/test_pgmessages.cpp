#include "imaging/pgexceptions.h"
#include "imaging/pgmessages.h"

#include <gtest/gtest.h>

namespace {

// Restores the English column after a test switches language.
struct LanguageGuard {
    ~LanguageGuard() { PGLanguage = 0; }
};

TEST(PGMessages, EnglishColumnCharacterForCharacter)
{
    const QStringList english = {
        "", "X, Y index out of range", "No palette", "Invalid palette index", "Unknown clipboard format",
        "Invalid temporary file", "Unknown file format", "%S1 invalid", "black and white", "2 colors",
        "16 shades of gray", "16 system colors", "16 colors", "256 shades of gray", "256 colors",
        "16.7 million colors", "%S1 is empty",
        "The graphic cannot be saved to a %S1 file with the current color resolution (%S2).\r\r"
        "The graphic will be saved with a different color resolution (%S3).",
        "The graphic cannot be saved with to a %S1 file with the current color resolution (%S2)",
        "Unknown file extension \"%S1\"", "Invalid value for %S1", "Negative height", "Negative width",
        "Cannot apply this filter to a source that is identical to the target", "bit", "Image files", "All files",
        "Invalid size of %S1", "Warning", "Operation aborted on user request", "Not supported subformat",
        "%S1 failed", "Unexpected end of file", "Unknown subformat", "Not a %S1 file", "Width = 0 or Height = 0",
        "Invalid color resolution", "Unsupported field type %S1", "Invalid count of bytes in row %S1",
        "Unsupported Compression", "Saturation=0 and Hue defined", "%S1 out of range", "OK", "Cancel",
        "RGB Filter", "R", "G", "B", "CMY Filter", "C", "M", "Y", "YCbCr Filter", "Y", "Cb", "Cr", "HLS Filter",
        "H", "L", "S", "HSV Filter", "V", "Negative Filter", "Gamma", "RGB", "Y", "Brightness", "Contrast",
        "Apply on", "Brightness, Contrast, Gamma Filter", "Grayscale Filter", "RGB weighting", "Std. deviation",
        "Strength", "Sharpen", "Detail", "Smooth", "Radius", "Blur", "Contour", "White", "Black",
        QString(QChar(0xB1)), QString(QChar(0xB0)), "",
    };
    ASSERT_EQ(english.size(), PGLangStrCount);
    for (int i = 0; i < PGLangStrCount; ++i)
        EXPECT_EQ(PGLangStr(i), english[i]) << "entry " << i;
}

TEST(PGMessages, EveryEntryCarriesItsIndexAndEveryLanguageItsText)
{
    const auto entries = PGLangStrEntries();
    ASSERT_EQ(entries.size(), std::size_t(PGLangStrCount));
    EXPECT_NO_THROW(CheckLangStrEntries());
    for (int i = 0; i < PGLangStrCount; ++i) {
        const bool hasText = *entries[i].Texts[0] != 0;
        for (int column = 1; column <= 4; ++column)
            EXPECT_EQ(*entries[i].Texts[column] != 0, hasText) << "entry " << i << " column " << column;
        // Each translation keeps the markers it has to fill.
        for (const char* marker : {"%S1", "%S2", "%S3"})
            for (int column = 1; column <= 4; ++column)
                EXPECT_EQ(QString::fromUtf8(entries[i].Texts[column]).contains(marker),
                          QString::fromUtf8(entries[i].Texts[0]).contains(marker))
                    << "entry " << i << " column " << column << " " << marker;
        EXPECT_EQ(QString::fromUtf8(entries[i].Texts[5]), i == 25 ? "Image files" : "") << "entry " << i;
    }
}

TEST(PGMessages, LanguageColumnAndLowByteOfTheIndex)
{
    LanguageGuard guard;
    EXPECT_EQ(PGLangStr(256 + 2), "No palette");
    EXPECT_EQ(PGLangStr(85), "");
    EXPECT_EQ(PGLangStr(255), "");
    PGLanguage = 1;
    EXPECT_EQ(PGLangStr(2), "Keine Palette");
    PGLanguage = 5;
    EXPECT_EQ(PGLangStr(25), "Image files");
    EXPECT_EQ(PGLangStr(2), "");
    for (std::uint8_t language : {6, 7, 255}) {
        PGLanguage = language;
        EXPECT_EQ(PGLangStr(2), "");
        EXPECT_EQ(PGLangStrS1(7, "x"), "");
    }
}

TEST(PGMessages, MarkersAreReplacedFirstOccurrenceOnlyInOrder)
{
    EXPECT_EQ(PGLangStrS3(17, "JPEG (JFIF compliant)", "256 colors", "16.7 million colors"),
              "The graphic cannot be saved to a JPEG (JFIF compliant) file with the current color resolution "
              "(256 colors).\r\rThe graphic will be saved with a different color resolution (16.7 million colors).");
    EXPECT_EQ(PGLangStrS1(6, "ignored"), "Unknown file format");
    EXPECT_EQ(PGLangStrS1(19, "xyz"), "Unknown file extension \"xyz\"");
    EXPECT_EQ(PGLangStrS2(18, "Bitmap", "2 colors"),
              "The graphic cannot be saved with to a Bitmap file with the current color resolution (2 colors)");
    // An argument for %S1 that holds "%S2" ahead of the stored marker takes the %S2 argument.
    EXPECT_EQ(PGLangStrS2(18, "a%S2b", "X"),
              "The graphic cannot be saved with to a aXb file with the current color resolution (%S2)");
    // Each function fills only the markers of its own arity.
    EXPECT_EQ(PGLangStrS1(17, "A").count("%S2"), 1);
    EXPECT_EQ(PGLangStrS2(17, "A", "B").count("%S3"), 1);
    // A later occurrence of the same marker stays.
    EXPECT_EQ(PGLangStrS1(7, "%S1"), "%S1 invalid");
}

TEST(PGMessages, TableCheckNamesTheFirstMismatch)
{
    const TPGLangStrEntry broken[] = {
        {0, {"", "", "", "", "", ""}},
        {1, {"a", "", "", "", "", ""}},
        {3, {"b", "", "", "", "", ""}},
        {2, {"c", "", "", "", "", ""}},
    };
    try {
        CheckLangStrEntries(broken);
        FAIL() << "no exception";
    } catch (const EPixelGraphic& e) {
        EXPECT_EQ(e.Message(), "PGLangStrEntries order wrong 2 and 3 are not identical");
        EXPECT_STREQ(e.what(), "PGLangStrEntries order wrong 2 and 3 are not identical");
    }
}

TEST(PGMessages, ExceptionFamilyCarriesItsText)
{
    try {
        throw EPGInvalidSize(PGLangStr(21));
    } catch (const EPixelGraphic& e) {
        EXPECT_EQ(e.Message(), "Negative height");
    }
}

} // namespace
