// Adding one image to a rotation folder: copies, conversions, questions and what stays on disk.

#include "fifo.h"
#include "jpegbytes.h"
#include "tempfolder.h"
#include "app/gallery/imageadding.h"
#include "app/gallery/jpegsave.h"
#include "imaging/pglibrary.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "platform/fileidentity.h"
#include "platform/filenames.h"
#include "platform/paths.h"
#include "qtprint.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using platform::mrCancel;
using platform::mrNo;
using platform::mrOk;
using platform::mrYes;
using R = AddImageOutcome;

const QByteArray gifBytes("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                          35);

class ImageAdding : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitPGraphic();
        PixelGraphicPrompts = &prompts;
        src.mkdir("from");
        src.mkdir("site");
    }
    void TearDown() override
    {
        PixelGraphicPrompts = nullptr;
        DonePGraphic();
    }

    QString bmp(const QString& relative)
    {
        TPixelGraphic image;
        image.Allocate(40, 30, bcn24Bit);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                image.SetPixelColor(x, y, TColor((x * 6) | (y * 8) << 8 | 0x400000));
        image.SaveToFile(src.file(relative));
        return src.file(relative);
    }
    QString site(const QString& name) { return src.file("site/" + name); }
    QStringList siteFiles() { return src.entries("site"); }
    R add(const QString& source, const QString& name) { return addimage(source, site(name), 66, prompts); }

    TempFolder src;
    platform::ScriptedPromptService prompts;
};

QString overwrite(const QString& file)
{
    return "A file by the name of " + file + " already exists.  Are you sure you want to overwrite it?";
}

QString copyError(const QString& source)
{
    return "Error encountered copying the file, " + source
           + "!  You may be out of disk space or do not have write access to the directory you are copying to";
}

TEST(ImageTypes, ExtensionsPassByTheirFirstThreeLetters)
{
    struct Case {
        const char* name;
        bool image, browser;
    } cases[] = {
        {"a.jpg", true, true},      {"a.JPEG", true, true},  {"b.gif", true, true},   {"c.jpe", true, true},
        {"d.bmp", true, false},     {"e.TIFF", true, false}, {"f.png", true, false},  {"g.ppm", true, false},
        {"h.txt", false, false},    {"i.t", false, false},   {"j.", false, false},    {"noext", false, false},
        {"k.jp", false, false},     {"/x.jpg/y", false, false}, {"a b #1.Jpg", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checksupportedformat(c.name), c.image) << c.name;
        EXPECT_EQ(checkHTMLsupportedformat(c.name), c.browser) << c.name;
    }
}

TEST_F(ImageAdding, BrowserReadyFilesAreCopiedAndOthersConverted)
{
    const QString gif = src.write("from/anim.gif", gifBytes);
    const QString jpeg = src.write("from/photo a#1.jpeg", "\xff\xd8 not decoded, only copied");
    const QString picture = bmp("from/pic.bmp");

    R r = add(gif, "anim.gif");
    EXPECT_EQ(r.result, R::Copied);
    EXPECT_EQ(src.read("site/anim.gif"), gifBytes);
    r = add(jpeg, "photo a#1.jpeg");
    EXPECT_EQ(r.result, R::Copied);
    EXPECT_EQ(r.file, site("photo a#1.jpeg"));
    r = add(picture, "pic.bmp");
    EXPECT_EQ(r.result, R::Converted);
    EXPECT_EQ(r.file, site("pic.jpg"));
    EXPECT_EQ(siteFiles(), QStringList({"anim.gif", "photo a#1.jpeg", "pic.jpg"}));

    // Progressive, and the very file the library writes at that quality.
    const QByteArray written = src.read("site/pic.jpg");
    EXPECT_TRUE(jpegLayout(written).has(0xC2));
    TPixelGraphic again;
    again.LoadFromFile(picture);
    ASSERT_TRUE(savetojpeg(again, src.file("ref.jpg"), 66, true));
    EXPECT_EQ(written, src.read("ref.jpg"));
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST_F(ImageAdding, FilesThatAreNoImagesAskWhetherToGoOn)
{
    const QString text = src.write("from/notes.txt", "hello");
    const QString folder = src.mkdir("from/x.jpe"); // a folder passes the name test and fails the copy
    const QString question = "The file, " + text + ", is not a supported image format";
    prompts.answer(mrOk);
    R r = add(text, "notes.txt");
    EXPECT_EQ(r.result, R::Skipped);
    EXPECT_TRUE(r.goOn);
    prompts.answer(mrCancel);
    EXPECT_FALSE(add(text, "notes.txt").goOn);
    EXPECT_EQ(prompts.promptTexts(), QStringList({question, question}));
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::OkCancel);
    EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Information);

    prompts.clear();
    prompts.answer(mrOk);
    r = add(folder, "x.jpe");
    EXPECT_EQ(r.result, R::Failed);
    EXPECT_TRUE(r.goOn);
    EXPECT_EQ(prompts.promptTexts(), QStringList{copyError(folder)});
    EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Warning);
    EXPECT_TRUE(siteFiles().isEmpty());
}

TEST_F(ImageAdding, OverwriteAsksForTheFileThatWouldBeReplaced)
{
    const QString gif = src.write("from/a.gif", gifBytes);
    struct Case {
        int answer;
        R::Result result;
        bool goOn;
        QByteArray left;
    } cases[] = {
        {mrNo, R::Skipped, true, "old"},
        {mrCancel, R::Skipped, false, "old"},
        {mrYes, R::Copied, true, gifBytes},
    };
    for (const Case& c : cases) {
        src.write("site/a.gif", "old");
        prompts.clear();
        prompts.answer(c.answer);
        const R r = add(gif, "a.gif");
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.goOn, c.goOn);
        EXPECT_EQ(src.read("site/a.gif"), c.left);
        EXPECT_EQ(prompts.promptTexts(), QStringList{overwrite(site("a.gif"))});
        EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::YesNoCancel);
    }
    EXPECT_EQ(siteFiles(), QStringList{"a.gif"});
}

TEST_F(ImageAdding, AConversionAsksForItsJpegNameAndKeepsEverythingElse)
{
    const QString x = bmp("from/x.bmp");
    QImage(8, 8, QImage::Format_RGB32).save(src.file("from/x.png"));
    src.write("site/x.jpg", "old");
    src.write("site/x.bmp", "other");

    prompts.answer(mrNo);
    EXPECT_EQ(add(x, "x.bmp").result, R::Skipped);
    EXPECT_EQ(src.read("site/x.jpg"), "old");
    prompts.answer(mrYes);
    EXPECT_EQ(add(x, "x.bmp").result, R::Converted);
    EXPECT_TRUE(jpegLayout(src.read("site/x.jpg")).has(0xC2));
    EXPECT_EQ(prompts.promptTexts(), QStringList({overwrite(site("x.jpg")), overwrite(site("x.jpg"))}));

    // In one batch the second picture of the same name asks before replacing the first.
    QFile::remove(site("x.jpg"));
    prompts.clear();
    prompts.answer(mrNo);
    const auto outcomes = addimages({x, src.file("from/x.png")}, src.file("site"), 66, prompts);
    ASSERT_EQ(outcomes.size(), 2);
    EXPECT_EQ(outcomes[0].result, R::Converted);
    EXPECT_EQ(outcomes[1].result, R::Skipped);
    EXPECT_EQ(prompts.promptTexts(), QStringList{overwrite(site("x.jpg"))});
    EXPECT_EQ(src.read("site/x.bmp"), "other");
    EXPECT_EQ(siteFiles(), QStringList({"x.bmp", "x.jpg"}));
}

TEST_F(ImageAdding, AnImageOverALinkReplacesTheLinkAndLeavesItsTargetAlone)
{
    const QString precious = src.write("outside/precious.jpg", "precious");
    ASSERT_EQ(::chmod(platform::encodeFileName(precious).constData(), 0444), 0);
    src.write("from/a.gif", gifBytes);
    const struct { QString source; const char* name; const char* target; R::Result result; } cases[] = {
        {src.file("from/a.gif"), "a.gif", "a.gif", R::Copied},
        {bmp("from/b.bmp"), "b.bmp", "b.jpg", R::Converted},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(QFile::link(precious, site(c.target)));
        prompts.clear();
        prompts.answer(mrYes);
        EXPECT_EQ(add(c.source, c.name).result, c.result) << c.name;
        EXPECT_EQ(prompts.promptTexts(), QStringList{overwrite(site(c.target))}) << c.name;
        EXPECT_FALSE(QFileInfo(site(c.target)).isSymLink()) << c.name;
        EXPECT_NE(src.read("site/" + QString(c.target)), QByteArray("precious")) << c.name;
        EXPECT_EQ(src.read("outside/precious.jpg"), QByteArray("precious")) << c.name;
        struct stat st {};
        ASSERT_EQ(::stat(platform::encodeFileName(precious).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0444u) << c.name;
    }
}

TEST_F(ImageAdding, AFailedConversionKeepsTheOldFileAndLeavesNothingBehind)
{
    struct Case {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"empty.bmp", {}},
        {"damaged.bmp", QByteArray("BM\x36\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00", 14)},
        {"huge.bmp", [] {
             QByteArray h("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18);
             h += QByteArray("\x60\xea\x00\x00\x60\xea\x00\x00\x01\x00\x18\x00", 12); // 60000 x 60000, 24 bits
             return h + QByteArray(24, '\0');
         }()},
        {"nothing.wmf", "not a metafile"},
    };
    for (const Case& c : cases) {
        const QString source = src.write(QString("from/") + c.name, c.content);
        const QString jpg = platform::changeextension(site(c.name), ".jpg");
        src.write("site/" + platform::extractFileName(jpg), "old");
        prompts.clear();
        prompts.answer(mrYes);
        prompts.answer(mrCancel);
        const R r = add(source, c.name);
        EXPECT_EQ(r.result, R::Failed) << c.name;
        EXPECT_FALSE(r.goOn);
        EXPECT_FALSE(r.reason.isEmpty());
        EXPECT_EQ(prompts.promptTexts(), QStringList({overwrite(jpg), copyError(source)})) << c.name;
        EXPECT_EQ(readAll(jpg), "old");
        EXPECT_EQ(siteFiles().size(), 1) << qPrintable(siteFiles().join(","));
        QFile::remove(jpg);
    }
}

TEST_F(ImageAdding, TargetsThatCannotBeWrittenFailWithTheBox)
{
    const QString gif = src.write("from/a.gif", gifBytes);
    const QString picture = bmp("from/b.bmp");
    src.write("plain", "a file");
    for (const QString& folder : {src.file("gone/"), src.file("plain/")}) {
        for (const QString& source : {gif, picture}) {
            prompts.clear();
            prompts.answer(mrOk);
            const R r = addimage(source, folder + platform::extractFileName(source), 80, prompts);
            EXPECT_EQ(r.result, R::Failed);
            EXPECT_EQ(prompts.promptTexts(), QStringList{copyError(source)});
        }
    }
    EXPECT_FALSE(src.exists("gone"));
    EXPECT_EQ(src.read("plain"), "a file");
}

TEST_F(ImageAdding, TheSameFileByAnyPathIsLeftAlone)
{
    const QString inSite = src.write("site/a.gif", gifBytes);
    ASSERT_TRUE(QFile::link(src.file("site"), src.file("link")));
    const R r = add(src.file("link/a.gif"), "a.gif");
    EXPECT_EQ(r.result, R::Skipped);
    EXPECT_TRUE(r.goOn);
    EXPECT_EQ(add(inSite, "a.gif").result, R::Skipped);
    EXPECT_TRUE(prompts.calls().isEmpty());
    EXPECT_EQ(readAll(inSite), gifBytes);

    // Dropped from the folder itself, by whatever path: one box and nothing more.
    src.write("from/b.gif", gifBytes);
    const auto outcomes = adddroppedimages({src.file("from/b.gif"), src.file("link/a.gif"), src.file("from/c.gif")},
                                           src.file("site"), 80, prompts);
    EXPECT_EQ(outcomes.size(), 1);
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.lastPrompt().text, "The destination folder is the same as the source!");
    EXPECT_EQ(prompts.lastPrompt().caption, "DropSource Demo");
    EXPECT_EQ(siteFiles(), QStringList({"a.gif", "b.gif"}));
}

// A dropped list reaches the copy and the conversion unchecked: a FIFO among the files fails
// with the copy's box and its reason, and the files around it go through.
TEST_F(ImageAdding, ADroppedFifoFailsAtOnceAndTheOthersGoThrough)
{
    const QString pipeJpg = MakeFifo(src.file("from/pipe.jpg"));
    const QString pipePng = src.file("from/pipe.png"); // the same FIFO: copied by one name, converted by the other
    ASSERT_TRUE(QFile::link(pipeJpg, pipePng));
    const QString gif = src.write("from/a.gif", gifBytes);
    prompts.answer(mrOk);
    prompts.answer(mrOk);
    QList<AddImageOutcome> outcomes;
    EXPECT_TRUE(ReturnsWithoutWaitingOn(pipeJpg, [&] {
        outcomes = adddroppedimages({pipeJpg, pipePng, gif}, src.file("site"), 80, prompts);
    }));
    ASSERT_EQ(outcomes.size(), 3);
    EXPECT_EQ(outcomes[0].result, R::Failed);
    EXPECT_EQ(outcomes[0].reason, "Cannot read " + pipeJpg + ": Invalid argument");
    EXPECT_EQ(outcomes[1].result, R::Failed);
    EXPECT_EQ(outcomes[1].reason, "Cannot open file \"" + pipePng + "\". Invalid argument");
    EXPECT_EQ(outcomes[2].result, R::Copied);
    EXPECT_EQ(prompts.promptTexts(), QStringList({copyError(pipeJpg), copyError(pipePng)}));
    EXPECT_EQ(siteFiles(), QStringList{"a.gif"});
}

TEST_F(ImageAdding, NamesWithOddBytesAreCopiedAsTheyAre)
{
    const QString name = platform::decodeFileName(QByteArray("caf\xe9\nx.gif"));
    const QString source = src.file("from/") + name;
    writeAll(source, gifBytes);
    if (!platform::fileExists(source))
        GTEST_SKIP() << "this file system does not keep such names";
    const R r = add(source, name);
    EXPECT_EQ(r.result, R::Copied);
    EXPECT_EQ(readAll(site(name)), gifBytes);
    EXPECT_EQ(siteFiles().size(), 1);
}

} // namespace
