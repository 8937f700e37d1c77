#include "app/pages/htmltext.h"
#include "app/pages/imagefit.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplaceStringTest, ReplacesTheFirstOccurrenceOnly)
{
    struct Case { const char* text; const char* replacement; const char* expected; } cases[] = {
        {"***CONTENT***<p>", "X", "X<p>"},
        {"a***CONTENT***b***CONTENT***c", "X", "aXb***CONTENT***c"},
        {"no token here", "X", "no token here"},
        {"ab***CONTENT***", "", "ab"},
        {"**CONTENT***", "X", "**CONTENT***"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceString(c.text, "***CONTENT***", c.replacement), QByteArray(c.expected)) << c.text;
}

TEST(SpliceTextTest, ReplacesEachTokenOnceInOrder)
{
    const QByteArray page = splicetext("<h>***HEADER***</h>***INDEX******CONTENT***|***CONTENT***|***FOOTER***",
                                       "C", "I", "H", "F", false);
    EXPECT_EQ(page, QByteArray("<h>H</h>IC|***CONTENT***|F"));
}

TEST(SpliceTextTest, KeepsTheTemplatesBytes)
{
    // Latin-1 bytes, lone CRs and no final line break stay exactly as they are.
    const QByteArray tmpl("caf\xe9\r<b>\n***CONTENT***\r\n\xff");
    EXPECT_EQ(splicetext(tmpl, "x\xc3\xa9", "", "", "", false), QByteArray("caf\xe9\r<b>\nx\xc3\xa9\r\n\xff"));
}

TEST(SpliceTextTest, PutsTheScriptBeforeTheFirstHeadEnd)
{
    const QByteArray script = openWindowScript();
    struct Case { const char* tmpl; QByteArray expected; } cases[] = {
        {"<head></head></HEAD>***CONTENT***", "<head></head>" + script + "</HEAD>C"},
        {"</head></Head>***CONTENT***", "</head>" + script + "</Head>C"},
        {"<HEAD></head>***CONTENT***", "<HEAD>" + script + "</head>C"},
        {"<p>***CONTENT***</HEAD >", "<p>" + script + "C</HEAD >"},
        {"***CONTENT***", script + "C"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splicetext(c.tmpl, "C", "", "", "", true), c.expected) << c.tmpl;
    EXPECT_EQ(splicetext("</head>***CONTENT***", "C", "", "", "", false), QByteArray("</head>C"));
}

TEST(SpliceTextTest, ScriptBlockIsExact)
{
    EXPECT_EQ(openWindowScript(),
              QByteArray("<script language=\"JavaScript\">\r\n<!-- \r\nfunction openwin(url,name) \r\n{\r\n"
                         "   popupWin = window.open(url, name,\"resizable=yes,scrollbars=yes\");\r\n}\r\n// -->\r\n"
                         "</script>\r\n"));
}

TEST(EscapingTest, AttributeAndScriptTexts)
{
    EXPECT_EQ(htmlEscaped("a\"b<c>d&e'f\\g"), "a&quot;b&lt;c&gt;d&e'f\\g");
    EXPECT_EQ(scriptEscaped("it's a\\b\"c"), "it\\'s a\\\\b\"c");
}

TEST(ShortenTest, CountsCodePoints)
{
    struct Case { QString text; int limit; QString expected; } cases[] = {
        {"abcdefghijklmnopqrst", 15, "abcdefghijkl..."},
        {"abcdefghijklmno", 15, "abcdefghijklmno"},
        {"abcdefghijklmnop", 15, "abcdefghijkl..."},
        {QString::fromUtf8("\xc3\xa9t\xc3\xa9-\xc3\xa0-la-plage.jpg"), 10, QString::fromUtf8("\xc3\xa9t\xc3\xa9-\xc3\xa0-l...")},
        // A character outside the basic plane counts once and is never cut in half.
        {QString::fromUtf8("ab\xf0\x9f\x93\xb7\xf0\x9f\x93\xb7" "cdef"), 6, QString::fromUtf8("ab\xf0\x9f\x93\xb7...")},
        {QString::fromUtf8("\xf0\x9f\x93\xb7\xf0\x9f\x93\xb7\xf0\x9f\x93\xb7"), 3, QString::fromUtf8("\xf0\x9f\x93\xb7\xf0\x9f\x93\xb7\xf0\x9f\x93\xb7")},
        {"abcd", 3, "..."},
        {"abcd", 4, "abcd"},
        {"abcd", 2, "..."},
        {"ab", 2, "ab"},
        {"abc", 0, "..."},
        {"abc", -5, "..."},
        {"", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shortenedName(c.text, c.limit), c.expected) << c.text.toStdString() << " " << c.limit;
}

TEST(WindowNameTest, LettersAndDigitsOnly)
{
    struct Case { const char* target; const char* expected; } cases[] = {
        {"My Pic.JPG", "show_my_pic_jpg_window"},
        {"./sub/Photo-01.html", "show_photo_01_html_window"},
        {"caf\xc3\xa9.jpg", "show_caf__jpg_window"},
        {"\xf0\x9f\x93\xb7.jpg", "show___jpg_window"},
        {"", "show__window"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(popupWindowName(QString::fromUtf8(c.target)), QString::fromLatin1(c.expected)) << c.target;
}

TEST(HeaderFooterEntryTest, BarsBecomeLineBreaks)
{
    EXPECT_EQ(headerFooterEntryHtml("Welcome to|my site"), QByteArray("Welcome to\r\nmy site"));
    EXPECT_EQ(headerFooterEntryHtml("|a||"), QByteArray("\r\na\r\n\r\n"));
}

TEST(TextLinesTest, SplitsAsALineListDoes)
{
    using Lines = QList<QByteArray>;
    EXPECT_EQ(splitTextLines(""), Lines());
    EXPECT_EQ(splitTextLines("\r\n"), Lines{""});
    EXPECT_EQ(splitTextLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(splitTextLines("a\n\nb\rc"), (Lines{"a", "", "b", "c"}));
    EXPECT_EQ(splitTextLines("a\r\r\nb"), (Lines{"a", "", "b"}));
}

// Bytes carried through page text come out as they went in, whatever their encoding; text
// that was decoded (a file name with a character beyond the BMP) is written as UTF-8.
TEST(PageBytesTest, CarriedBytesComeOutUnchanged)
{
    const QByteArray cases[] = {
        "", "plain", "Caf\xe9 cr\xe8me", "caf\xc3\xa9", "\xef\xbb\xbf<b>x</b>", "\x80\xff\xc3", "\xc3\xa9 then \xe9",
        "\xed\xb3\xa9", // an encoded surrogate is no UTF-8: carried byte by byte
    };
    for (const QByteArray& bytes : cases)
        EXPECT_EQ(pageBytes(pageTextOfBytes(bytes)), bytes) << bytes.toHex().constData();
    EXPECT_EQ(pageTextOfBytes("caf\xc3\xa9"), QStringLiteral(u"caf\u00e9"));

    const QString camera = QString::fromUtf8("\xf0\x9f\x93\xb7"); // U+1F4F7: D83D DCF7
    ASSERT_EQ(camera.at(1).unicode(), 0xDCF7);
    EXPECT_EQ(pageBytes(camera + pageTextOfBytes("Caf\xe9") + camera),
              QByteArray("\xf0\x9f\x93\xb7" "Caf\xe9" "\xf0\x9f\x93\xb7"));
    EXPECT_EQ(decodedUtf8("\xef\xbb\xbfx"), QString(QChar(0xFEFF)) + "x");
    EXPECT_EQ(decodedUtf8("caf\xe9"), std::nullopt);
}

TEST(FitTest, NeverEnlargesAndKeepsTheAspect)
{
    struct Case { int W, H, maxW, maxH, w, h; } cases[] = {
        {50, 40, 100, 100, 50, 40},
        {100, 40, 100, 100, 100, 40},
        {400, 300, 100, 100, 100, 75},
        {300, 400, 100, 100, 75, 100},
        {100, 100, 100, 100, 100, 100},
        {200, 200, 100, 50, 50, 50},
        {99, 100, 100, 100, 99, 100},
        // Width / (width / box) is below the box in binary floating point for these.
        {101, 50, 31, 100, 31, 15},
        {101, 50, 89, 100, 89, 44},
        {103, 60, 23, 100, 23, 13},
        {103, 60, 46, 100, 46, 26},
        {102, 51, 43, 100, 43, 21},
        {104, 90, 99, 100, 99, 85},
        // The same on the height.
        {50, 101, 100, 31, 15, 31},
        {60, 103, 100, 23, 13, 23},
        {90, 104, 100, 99, 85, 99},
        // Very large images and slivers.
        {2000000000, 1000000000, 900, 900, 900, 450},
        {1000, 1, 100, 100, 100, 1},
        {1, 1000, 100, 100, 1, 100},
        {0, 0, 100, 100, 0, 0},
        {0, 500, 100, 100, 0, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(calculatedimensions(c.W, c.H, c.maxW, c.maxH), QSize(c.w, c.h))
            << c.W << "x" << c.H << " in " << c.maxW << "x" << c.maxH;
}

TEST(ThumbnailNameTest, ExtensionReplaced)
{
    EXPECT_EQ(GetThumbnailName("pic.jpg"), "pic_thb.jpg");
    EXPECT_EQ(GetThumbnailName("My Pic.JPEG"), "My Pic_thb.jpg");
    EXPECT_EQ(GetThumbnailName("a.b.gif"), "a.b_thb.jpg");
    EXPECT_EQ(GetThumbnailName("noext"), "noext_thb.jpg");
    EXPECT_EQ(GetThumbnailName(""), "");
}

} // namespace
