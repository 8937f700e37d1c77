#include "oddnames.h"
#include "platform/filecontent.h"
#include "platform/filenames.h"
#include "platform/fileurls.h"
#include "platform/folderlisting.h"
#include "platform/safewrite.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

struct AwkwardName {
    const char* bytes;
    const char* url;
};

// Each name as bytes on disk and as its URL; the URL gives back exactly those bytes.
const AwkwardName awkwardNames[] = {
    {"/tmp/a b.jpg", "file:///tmp/a%20b.jpg"},
    {"/tmp/#1.jpg", "file:///tmp/%231.jpg"},
    {"/tmp/100%.jpg", "file:///tmp/100%25.jpg"},
    {"/tmp/two\nlines", "file:///tmp/two%0Alines"},
    {"/tmp/caf\xc3\xa9", "file:///tmp/caf%C3%A9"},
    {"/tmp/latin\xe9\xff", "file:///tmp/latin%E9%FF"},
    {"/tmp/half\xe2\x82", "file:///tmp/half%E2%82"},
    {"/tmp/\xef\xbb\xbf" "bom", "file:///tmp/%EF%BB%BFbom"},
    {"/tmp/?&=;~", "file:///tmp/%3F%26%3D%3B~"},
};

TEST(FileUrls, AwkwardNamesRoundTripByteForByte)
{
    for (const AwkwardName& name : awkwardNames) {
        SCOPED_TRACE(name.url);
        const QString path = decodeFileName(QByteArray(name.bytes));
        EXPECT_EQ(encodeFileName(path), QByteArray(name.bytes));
        EXPECT_EQ(fileUrl(path), QByteArray(name.url));
        EXPECT_EQ(encodeFileName(localFileOfUrl(name.url)), QByteArray(name.bytes));
    }
}

TEST(FileUrls, InvalidBytesShowAsReplacementOnly)
{
    const QString name = decodeFileName("a\xff" "b");
    EXPECT_EQ(name.size(), 3);
    EXPECT_EQ(displayFileName(name), QString::fromUtf8("a\xef\xbf\xbd" "b"));
    // Surrogate code points written as UTF-8 are not UTF-8: kept as bytes.
    EXPECT_EQ(encodeFileName(decodeFileName("\xed\xb2\x80")), QByteArray("\xed\xb2\x80"));
    // A supplementary character whose low half lies in the escape range stays a character.
    const QByteArray emoji("\xf0\x90\x82\x80");
    EXPECT_EQ(decodeFileName(emoji), QString::fromUtf8(emoji));
    EXPECT_EQ(encodeFileName(decodeFileName(emoji)), emoji);
}

// Listing, reading (as the grid and the build read) and copying (as adding images copies)
// reach each file by its own bytes.
TEST(FileNames, OddNamesAreListedReadAndCopiedByTheirBytes)
{
    TempFolder dir;
    const QByteArray native = encodeFileName(dir.path());
    QList<QByteArray> expected;
    for (const OddName& name : oddNames) {
        writeAll(dir.path() + decodeFileName(name.bytes), name.what);
        expected << name.bytes;
    }
    QList<QByteArray> listed;
    for (const QString& name : listFolder(dir.path(), ListWhat::Files).names)
        listed << encodeFileName(name);
    std::sort(expected.begin(), expected.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);

    ASSERT_EQ(::mkdir(native + "site", 0755), 0);
    for (const OddName& name : oddNames) {
        const QString path = dir.path() + decodeFileName(name.bytes);
        EXPECT_EQ(readFileContent(path), QByteArray(name.what)) << name.what;
        EXPECT_TRUE(copyFileAtomically(path, dir.file("site/") + decodeFileName(name.bytes))) << name.what;
        struct stat st {};
        EXPECT_EQ(::stat(native + "site/" + name.bytes, &st), 0) << name.what;
    }
}

TEST(FileUrls, OnlyLocalFileUrlsCount)
{
    const struct {
        const char* url;
        const char* path;
    } cases[] = {
        {"file:///a/b", "/a/b"},
        {"FILE:///a/b", "/a/b"},
        {"file://localhost/a/b", "/a/b"},
        {"file:/a/b", "/a/b"},
        {"file:///a/b#frag", "/a/b"},
        {"file://server/a/b", ""},
        {"file:a/b", ""},
        {"file://", ""},
        {"file:///a%00b", ""},
        {"http://example.com/a.jpg", ""},
        {"/a/b", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(localFileOfUrl(c.url), QString::fromUtf8(c.path)) << c.url;

    // File managers write this machine's name as the host, in any case.
    char name[256] = {};
    ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
    const QByteArray host(name);
    ASSERT_FALSE(host.isEmpty());
    EXPECT_EQ(localFileOfUrl("file://" + host + "/a/b%20c"), "/a/b c");
    EXPECT_EQ(localFileOfUrl("file://" + host.toUpper() + "/a"), "/a");
    EXPECT_EQ(localFileOfUrl("file://" + host + "x/a"), "");
    EXPECT_EQ(localFilesOfUriList("file://" + host + "/one\r\nfile://elsewhere/two\r\n"), QStringList{"/one"});
}

TEST(FileUrls, UriListKeepsOrderAndSkipsWhatIsNoLocalFile)
{
    EXPECT_EQ(uriList({"/a b", "/c"}), QByteArray("file:///a%20b\r\nfile:///c\r\n"));
    const QByteArray list = "# comment\r\nfile:///one\r\n\r\nhttp://x/y\nfile:///two%20words\nplain text\n";
    EXPECT_EQ(localFilesOfUriList(list), (QStringList{"/one", "/two words"}));
    EXPECT_TRUE(localFilesOfUriList("just some text").isEmpty());
}

} // namespace
