#include "platform/paths.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QString prog = QStringLiteral("/opt/Prog/");

struct PathCase {
    const char* input;
    const char* expected;
};

TEST(Paths, Expandpath)
{
    const PathCase cases[] = {
        {"", ""},
        {"   ", ""},
        {"%/Site_3", "/opt/Prog/Site_3"},
        {"%\\Site_3\\", "/opt/Prog/Site_3\\"},
        {"%xsites", "/opt/Prog/sites"},   // two characters always go
        {"  %/a/  ", "/opt/Prog/a/"},
        {"/srv/www/", "/srv/www/"},
        {"rel/x", "rel/x"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(expandpath(c.input, prog), c.expected) << c.input;
}

TEST(Paths, ResolvepathPutsRelativePathsInTheProgramFolder)
{
    const QString home = QDir::homePath();
    const struct { const char* input; QString expected; } cases[] = {
        {"", ""},
        {"  ", ""},
        {".", prog},
        {"./", prog},
        {"photos", prog + "photos"},
        {" photos/ ", prog + "photos/"},
        {"./a/./b/..", prog + "a/"},
        {"../next", "/opt/next"},
        {"~", home + "/"},
        {"~/", home + "/"},
        {"~/photos", home + "/photos"},
        {"~photos", prog + "~photos"},     // only "~" and "~/" mean the home folder
        {"%/x", prog + "x"},
        {"%\\x\\", prog + "x\\"},
        {"/abs/./x/", "/abs/./x/"},        // absolute paths stay as typed
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolvepath(c.input, prog), c.expected) << c.input;
}

TEST(Paths, Truncatepath)
{
    const PathCase cases[] = {
        {"", ""},
        {"/opt/Prog/Sites/A/", "%/Sites/A/"},
        {" /opt/Prog/Sites/A/ ", "%/Sites/A/"},
        {"/opt/prog/Sites/A/", "/opt/prog/Sites/A/"}, // case-sensitive file system: exact prefix only
        {"/opt/Prog", "/opt/Prog"},
        {"/srv/www/", "/srv/www/"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(truncatepath(c.input, prog), c.expected) << c.input;
}

TEST(Paths, TruncateThenExpandRoundTrips)
{
    const QString folder = QStringLiteral("/opt/Prog/Site_1/");
    EXPECT_EQ(expandpath(truncatepath(folder, prog), prog), folder);
    EXPECT_EQ(expandpath(truncatepath(folder, prog), QStringLiteral("/moved/")), QStringLiteral("/moved/Site_1/"));
}

TEST(Paths, Fixpath)
{
    struct Case { const char* input; bool add; const char* expected; } cases[] = {
        {"", true, ""},
        {"  ", false, ""},
        {"/a/b", true, "/a/b/"},
        {"/a/b/", true, "/a/b/"},
        {"C:\\a\\", true, "C:\\a\\"},
        {"/a/b/", false, "/a/b"},
        {"/a/b\\", false, "/a/b"},
        {"/a/b//", false, "/a/b/"},   // only one separator comes off
        {"/a/b", false, "/a/b"},
        {"%/Site_3", true, "/opt/Prog/Site_3/"},
        {" /x ", true, "/x/"},
        {"/", false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fixpath(c.input, c.add, prog), c.expected) << c.input << " add=" << c.add;
}

TEST(Paths, AddTrailingSeparator)
{
    const PathCase cases[] = {
        {"", ""}, {"   ", ""}, {"/a", "/a/"}, {"/a/", "/a/"}, {"a\\", "a\\"}, {" /b ", "/b/"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(addTrailingSeparator(c.input), c.expected) << c.input;
}

TEST(Paths, Changeextension)
{
    struct Case { const char* name; const char* ext; const char* expected; } cases[] = {
        {"index.html", ".htm", "index.htm"},
        {"photo.jpg", ".~jp", "photo.~jp"},
        {"noext", ".html", "noext.html"},
        {"/a.b/noext", ".html", "/a.b/noext.html"},   // last component only
        {"/a.b/c.d.e", ".x", "/a.b/c.d.x"},
        {"name.", ".txt", "name.txt"},
        {"x.jpg", "", "x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(changeextension(c.name, c.ext), c.expected) << c.name;
}

TEST(Paths, ExtractParts)
{
    EXPECT_EQ(extractExtension("/a.b/c"), "");
    EXPECT_EQ(extractExtension("/a/c.HTML"), ".HTML");
    EXPECT_EQ(extractFileName("/a/b/c.gif"), "c.gif");
    EXPECT_EQ(extractFileName("c.gif"), "c.gif");
    EXPECT_EQ(extractFilePath("/a/b/c.gif"), "/a/b/");
    EXPECT_EQ(extractFilePath("c.gif"), "");
}

TEST(Paths, NamesFromDataThatStayInTheirFolder)
{
    const struct {
        QString name;
        bool plain;
    } cases[] = {
        {"Site_1.ini", true}, {"Site 2.ini", true}, {".hidden", true}, {"a.b.c", true},
        {"../x.ini", false}, {"..", false}, {"a..b", false}, {"/etc/passwd", false}, {"sub/Site_1", false},
        {"..\\x", false}, {"a\\b", false}, {"line\nfeed", false}, {QString("tab\t"), false},
        {QString(QChar(127)), false}, {QString("nul") + QChar(0), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isPlainFileName(c.name), c.plain) << c.name.toStdString();
        EXPECT_EQ(fileInFolder("/prog/", c.name), c.plain ? "/prog/" + c.name : QString()) << c.name.toStdString();
    }
}

} // namespace
