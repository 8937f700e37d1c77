#include "fifo.h"
#include "tempfolder.h"
#include "app/pages/descriptions.h"
#include "app/pages/headerfooterlist.h"
#include "app/pages/pagetemplates.h"
#include "app/pages/templatecheck.h"

#include "platform/prompts.h"

#include <QFile>

#include <functional>
#include <gtest/gtest.h>

namespace {

TEST(TemplateTokensTest, MatchedExactlyAnywhere)
{
    struct Case { const char* text; TemplateTokens expected; } cases[] = {
        {"***CONTENT***", {true, false, false, false}},
        {"<p>***content***</p>", {false, false, false, false}},
        {"a***INDEX***b***HEADER***c***FOOTER***", {false, true, true, true}},
        {"***CONTENT******INDEX***", {true, true, false, false}},
        {"** *CONTENT***", {false, false, false, false}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findTemplateTokens(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(TemplateTextTest, DecodesUtf8ElseLatin1)
{
    EXPECT_EQ(decodeTemplateText("caf\xc3\xa9"), QStringLiteral(u"caf\u00e9"));
    EXPECT_EQ(decodeTemplateText("caf\xe9"), QStringLiteral(u"caf\u00e9"));
    EXPECT_EQ(decodeTemplateText("\xef\xbb\xbf<p>"), QStringLiteral("<p>"));
}

class RequiredFiles : public ::testing::Test {
protected:
    TempFolder folder;
    void SetUp() override
    {
        for (const char* name : {"back.gif", "a.gif", "B.jpg", "Logo.GIF", "img/Dot.png"})
            folder.write(QString::fromLatin1(name), "x");
    }
    RequiredFilesScan scan(const QString& text) { return scanRequiredFiles(text, folder.path()); }
    QString missing(const QString& name)
    {
        return QStringLiteral("* The file, %1, could not be located in the directory, %2").arg(name, folder.path());
    }
    static QString outside(const QString& name)
    {
        return QStringLiteral("* The file, %1, lies outside the template's folder and will not be copied").arg(name);
    }
};

TEST_F(RequiredFiles, ListsFirstBackgroundThenEverySource)
{
    struct Case { const char* text; QStringList files; } cases[] = {
        {"<body BACKGROUND=\"Back.GIF\"><td background=\"a.gif\"><img src=\"b.jpg\">", {"back.gif", "b.jpg"}},
        {"<img src=\"a.gif\"><IMG SRC=\"B.jpg\"><img src=\"a.gif\"><body background=\"back.gif\">",
         {"back.gif", "a.gif", "b.jpg", "a.gif"}},
        {"<img src=\"\"><img src=\"img/dot.png\">", {"img/dot.png"}},
        {"<img src=\"a.gif\"><img src=\"unterminated", {"a.gif"}},
        {"no references at all", {}},
    };
    for (const Case& c : cases) {
        const RequiredFilesScan s = scan(QString::fromUtf8(c.text));
        EXPECT_EQ(s.files, c.files) << c.text;
        EXPECT_EQ(s.warnings, QStringList()) << c.text;
        EXPECT_TRUE(s.ok) << c.text;
    }
}

TEST_F(RequiredFiles, SkipsEveryLinkWithASchemeOrHost)
{
    const char* references[] = {
        "http://example.org/a.gif", "HTTPS://example.org/a.gif", "ftp://host/a.gif", "mailto:me@example.org",
        "javascript:void(0)", "//cdn.example.org/a.gif", "redirect.gif?to=http://x", "Data:image/gif;base64,R0lG",
        "a1+b.c-d:thing",
    };
    for (const char* reference : references) {
        const RequiredFilesScan s = scan(QStringLiteral("<img src=\"%1\"><img src=\"a.gif\">").arg(QLatin1String(reference)));
        EXPECT_EQ(s.files, QStringList{"a.gif"}) << reference;
        EXPECT_EQ(s.warnings, QStringList()) << reference;
    }
}

TEST_F(RequiredFiles, ReportsReferencesOutsideTheTemplatesFolder)
{
    struct Case { const char* reference; bool outsideFolder; } cases[] = {
        {"../up.gif", true}, {"/etc/passwd", true}, {"img/../../up.gif", true}, {"\\\\server\\share\\a.gif", true},
        {"..\\up.gif", true}, {"img/../a.gif", false}, {"./a.gif", false}, {"img/./dot.png", false},
        {"c:\\pics\\a.gif", true}, {"d:/pics/a.gif", true}, {"z:a.gif", true},
    };
    for (const Case& c : cases) {
        const QString reference = QString::fromLatin1(c.reference);
        const RequiredFilesScan s = scan(QStringLiteral("<img src=\"%1\">.").arg(reference));
        if (c.outsideFolder) {
            EXPECT_EQ(s.files, QStringList()) << c.reference;
            EXPECT_EQ(s.warnings, QStringList{outside(reference)}) << c.reference;
        } else {
            EXPECT_EQ(s.files, QStringList{reference}) << c.reference;
            EXPECT_EQ(s.warnings, QStringList()) << c.reference;
        }
    }
}

TEST_F(RequiredFiles, WarnsOfMissingFilesAndFindsOthersIgnoringCase)
{
    const RequiredFilesScan s = scan("<body background=\"nothere.gif\"><img src=\"LOGO.gif\"><img src=\"IMG/DOT.PNG\">"
                                     "<img src=\"img/gone.png\"><img src=\"nothere.gif\">");
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.files, (QStringList{"nothere.gif", "logo.gif", "img/dot.png", "img/gone.png", "nothere.gif"}));
    EXPECT_EQ(s.warnings, (QStringList{missing("nothere.gif"), missing("img/gone.png"), missing("nothere.gif")}));
}

TEST_F(RequiredFiles, BackslashesSeparateFoldersLikeSlashes)
{
    const RequiredFilesScan s = scan("<img src=\"IMG\\Dot.png\"><img src=\"img\\none.png\">.");
    EXPECT_EQ(s.files, (QStringList{"img\\dot.png", "img\\none.png"}));
    EXPECT_EQ(s.warnings, QStringList{missing("img\\none.png")});
}

TEST_F(RequiredFiles, LineBreaksInsideAReferenceAreDropped)
{
    // As a browser reads the URL; a line of the list is one whole reference.
    const RequiredFilesScan s = scan("<img src=\"lo\r\ngo.gif\"><body background=\"\tback.gif\n\">.");
    EXPECT_EQ(s.files, (QStringList{"back.gif", "logo.gif"}));
    EXPECT_EQ(s.warnings, QStringList());
}

TEST_F(RequiredFiles, AFolderIsNoFile)
{
    const RequiredFilesScan s = scan("<img src=\"img\">");
    EXPECT_EQ(s.warnings, QStringList{missing("img")});
}

TEST_F(RequiredFiles, SkipsReferencesOf255CharactersAndGoesOn)
{
    const QString longest(254, QLatin1Char('q'));
    const QString tooLong(255, QLatin1Char('r'));
    const RequiredFilesScan s = scan(QStringLiteral("<img src=\"%1\"><img src=\"%2\"><body background=\"%2\">"
                                                    "<img src=\"a.gif\">x")
                                         .arg(longest, tooLong));
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.files, (QStringList{longest, "a.gif"}));
    const QString tooLongWarning =
        QStringLiteral("* The file, %1, has a name of 255 characters or more and will not be copied").arg(tooLong);
    EXPECT_EQ(s.warnings, (QStringList{tooLongWarning, tooLongWarning, missing(longest)}));  // background first
}

TEST_F(RequiredFiles, AClosingQuoteAtTheVeryEndEndsTheScan)
{
    // What was found before stays listed; the existence check does not run.
    RequiredFilesScan s = scan("<img src=\"a.gif\"><img src=\"missing.gif\"><img src=\"b.jpg\"");
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.files, (QStringList{"a.gif", "missing.gif"}));
    EXPECT_EQ(s.warnings, QStringList());

    s = scan("<td background=\"back.gif\"");
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.files, QStringList());

    s = scan("<td background=\"back.gif");  // no closing quote: the name runs to the end
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.files, QStringList{"back.gif"});
}

TEST(TemplateLoadTest, FailsForMissingFilesAndFolders)
{
    TempFolder folder;
    folder.mkdir("dir.htm");
    EXPECT_FALSE(loadTemplateText(folder.file("dir.htm")));
    EXPECT_FALSE(loadTemplateText(folder.file("none.htm")));
    EXPECT_EQ(loadTemplateText(folder.write("t.htm", "<p>\xc3\xa9</p>")), QStringLiteral(u"<p>\u00e9</p>"));
}

// Every text a build reads (templates, header and footer lists, description files) refuses a
// FIFO at once, with the failure its reader gives for a missing file.
TEST(TemplateLoadTest, EveryPageTextReaderRefusesAFifoAtOnce)
{
    TempFolder folder;
    platform::ScriptedPromptService prompts;
    const struct { const char* name; std::function<bool(const QString&)> reads; } readers[] = {
        {"pipe.htm", [](const QString& path) { return loadTemplateText(path).has_value(); }},
        {"pipe.htm", [](const QString& path) {
             PageTemplates templates(path, path);
             EXPECT_EQ(templates.image().outcome.reason, "Cannot read the template " + path);
             return templates.thumbnail().outcome.ok;
         }},
        {"pipe.txt", [](const QString& path) { return readHeaderFooterList(path).has_value(); }},
        {"pipe.ini", [&](const QString& path) { return loadDescriptionFile(path, prompts).has_value(); }},
        {"pipe.csv", [&](const QString& path) { return loadDescriptionFile(path, prompts).has_value(); }},
    };
    for (const auto& reader : readers) {
        const QString pipe = MakeFifo(folder.file(reader.name));
        ASSERT_FALSE(pipe.isEmpty());
        bool read = true;
        EXPECT_TRUE(ReturnsWithoutWaitingOn(pipe, [&] { read = reader.reads(pipe); })) << reader.name;
        EXPECT_FALSE(read) << reader.name;
        QFile::remove(pipe);
    }
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST(RequiredFilesListsTest, NamesAreUpperCasedFileNamesAndPathsResolved)
{
    TempFolder folder;
    folder.write("styles/img/Back.GIF", "x");
    QStringList names{"NEXT.GIF"}, paths{"/p/next.gif"};
    addRequiredFiles(folder.file("styles/t.htm"), {"img/back.gif", "logo.gif", "img\\back.gif"}, names, paths);
    EXPECT_EQ(names, (QStringList{"NEXT.GIF", "BACK.GIF", "LOGO.GIF", "BACK.GIF"}));
    EXPECT_EQ(paths, (QStringList{"/p/next.gif", folder.file("styles/img/Back.GIF"), folder.file("styles/logo.gif"),
                                  folder.file("styles/img/Back.GIF")}));
}

} // namespace
