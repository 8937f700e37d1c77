// The build run over a temporary rotation folder with scripted answers: what it writes, in
// which order, with which messages, and what a cancel, a second build or a failure leaves.

#include "buildfixtures.h"
#include "oddnames.h"
#include "tempfolder.h"
#include "unprivileged.h"
#include "app/gallery/buildrunner.h"
#include "app/pages/imagefit.h"
#include "imaging/pglibrary.h"

#include "platform/filenames.h"
#include "platform/prompts.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::mrNo;
using platform::mrYes;

// Records what the dialog would show, one line each.
class RecordingDisplay : public BuildDisplay {
public:
    void setProgressMaximum(int maximum) override { log << QString("max %1").arg(maximum); }
    void stepProgress() override
    {
        ++steps;
        log << "step";
    }
    void resetProgress() override { log << "reset"; }
    void showStatus(const QString& text) override
    {
        status = text;
        log << "status " + text;
    }
    void processPendingInput() override
    {
        ++checks;
        if (onCheck)
            onCheck(status);
    }

    QStringList log;
    QString status;
    int steps = 0;
    int checks = 0;
    std::function<void(const QString& status)> onCheck;
};

class BuildRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitPGraphic();
        rotation = folder.mkdir("rotation/");
        job.pages.rotationFolder = rotation;
        job.pages.site.BaseHTMLName = "Index.html";
        job.pages.ThumbTemplateTokens = {true, true, false, false};
        job.pages.ImageTemplateTokens = {true, true, false, false};
        s().cmbstyle = folder.write("templates/thumb.htm", "<html>***INDEX***\r\n***CONTENT***</html>");
        s().cmbimagestyle = folder.write("templates/image.htm", "<html>***CONTENT***\r\n***INDEX***</html>");
        s().spnHorzCOunt.setValue(3);
        s().spnVertCOunt.setValue(2);
    }
    void TearDown() override { DonePGraphic(); }

    RotationSettings& s() { return job.pages.settings; }

    // count photos img01.jpg .. of 120 x 80 in the rotation folder, listed in the job.
    void addImages(int count)
    {
        for (int i = 1; i <= count; ++i) {
            const QString name = QString("img%1.jpg").arg(i, 2, 10, QChar('0'));
            ASSERT_TRUE(writePicture(rotation + name, 120, 80, "JPEG", i));
            job.pages.images << name;
        }
    }
    void useButtons()
    {
        s().chkImageButtons = true;
        s().edtSelectedImageButton = folder.file("templates/on.jpg");
        s().edtotherImageButton = folder.file("templates/off.bmp");
        ASSERT_TRUE(writePicture(s().edtSelectedImageButton, 60, 20));
        ASSERT_TRUE(writePicture(s().edtotherImageButton, 50, 20, "BMP"));
    }

    bool build()
    {
        BuildRunner runner(job, prompts, display);
        runner_ = &runner;
        const bool built = runner.build();
        runner_ = nullptr;
        return built;
    }
    BuildRunner::StartResult start()
    {
        BuildRunner runner(job, prompts, display);
        return runner.start();
    }
    // Asks for a cancel when the status shows this text.
    void cancelAt(const QString& status)
    {
        display.onCheck = [this, status](const QString& now) {
            if (now == status && runner_)
                runner_->requestCancel();
        };
    }

    // Every file under the rotation folder (hidden ones too), relative, sorted.
    QStringList written() const
    {
        QStringList files;
        QDirIterator it(rotation, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(rotation.size());
        files.sort();
        return files;
    }
    QStringList statuses() const { return display.log.filter(QRegularExpression("^status .")).replaceInStrings("status ", ""); }
    QStringList thumbnails(int count) const
    {
        QStringList names;
        for (int i = 1; i <= count; ++i)
            names << QString("thumbs/img%1_thb.jpg").arg(i, 2, 10, QChar('0'));
        return names;
    }

    TempFolder folder;
    QString rotation;
    BuildJob job;
    platform::ScriptedPromptService prompts;
    RecordingDisplay display;
    BuildRunner* runner_ = nullptr;
};

// 13 images at 3 x 2 a page with buttons, image pages, a thumbs folder and one required file.
TEST_F(BuildRun, WholeSiteInStepOrder)
{
    addImages(13);
    useButtons();
    s().rdbHTMLImageWindow = true;
    s().edtpagenumberprefix = "Pg";
    job.requiredFilePaths = {folder.write("templates/img/back.gif", "GIF89a back")};
    job.requiredFileNames = {"BACK.GIF"};

    ASSERT_TRUE(build());
    EXPECT_TRUE(prompts.calls().isEmpty()) << prompts.promptTexts().join("\n").toStdString();

    QStringList expected = {"Index.html", "Index2.html", "Index3.html", "back.gif"};
    for (int p = 1; p <= 3; ++p)
        expected << QString("Page_Button_On_%1.jpg").arg(p) << QString("Page_Button_%1.jpg").arg(p);
    for (int i = 1; i <= 13; ++i)
        expected << QString("img%1.jpg").arg(i, 2, 10, QChar('0')) << QString("img%1.html").arg(i, 2, 10, QChar('0'));
    expected << thumbnails(13);
    expected.sort();
    EXPECT_EQ(written(), expected);
    EXPECT_EQ(folder.read("rotation/back.gif"), "GIF89a back"); // flat, not in img/
    for (const QString& thumbnail : thumbnails(13))
        EXPECT_EQ(QImage(rotation + thumbnail).size(), QSize(100, 66)) << thumbnail.toStdString();

    // Required files count in the maximum without a step of their own.
    EXPECT_EQ(display.log.first(), "max 33"); // 1 + 2 x 13 + 3 + 3
    EXPECT_EQ(display.steps, 32);
    EXPECT_EQ(display.log.mid(display.log.size() - 2), QStringList({"status ", "reset"}));

    QStringList order = {"Copying file, " + job.requiredFilePaths[0]};
    for (int p = 1; p <= 3; ++p)
        order << QString("Creating Buttons for page %1").arg(p);
    for (const QString& image : job.pages.images)
        order << "Creating Thumbnail for " + image;
    for (int p = 1; p <= 3; ++p) {
        order << QString("Creating Index for Page %1").arg(p);
        for (int i = (p - 1) * 6; i < std::min(13, p * 6); ++i)
            order << "Creating Image Display page for the image, " + job.pages.images[i];
    }
    for (int p = 1; p <= 3; ++p)
        order << QString("Creating Index for Page %1").arg(p) << "Creating the HTML Page, " + (p == 1 ? QString("Index.html") : QString("Index%1.html").arg(p));
    EXPECT_EQ(statuses(), order);

    // The index refers to the buttons written, with the prefix completed.
    const QByteArray index2 = folder.read("rotation/Index2.html");
    EXPECT_TRUE(index2.contains("<IMG SRC=\"Page_Button_On_2.jpg\" BORDER=0>"));
    EXPECT_TRUE(index2.contains("<A HREF=\"Index3.html\"><IMG SRC=\"Page_Button_3.jpg\" BORDER=0></A>"));
    EXPECT_TRUE(index2.contains("img07_thb.jpg") && index2.contains("img12_thb.jpg") && !index2.contains("img13_thb.jpg"));
    BuildRunner runner(job, prompts, display);
    EXPECT_EQ(runner.pageNumberPrefix(), "Pg ");
}

TEST_F(BuildRun, PageCountsAndThePrefixInTheIndex)
{
    ASSERT_TRUE(writePicture(rotation + "one.jpg", 40, 30));
    s().spnHorzCOunt.setValue(5);
    s().spnVertCOunt.setValue(4);
    job.pages.options.UseThumbsDirectory = false;
    struct Case { int images; int pages; const char* prefix; const char* shown; } cases[] = {
        {10, 1, "", "Page 1"}, {20, 1, "Page ", "Page 1"}, {21, 2, "Seite", "Seite 2"}, {41, 3, "No.", "No. 3"},
    };
    for (const Case& c : cases) {
        job.pages.images = QStringList(c.images, "one.jpg");
        s().edtpagenumberprefix = c.prefix;
        BuildRunner runner(job, prompts, display);
        ASSERT_TRUE(runner.build()) << c.images;
        EXPECT_EQ(runner.pageCount(), c.pages) << c.images;
        EXPECT_TRUE(QFileInfo::exists(rotation + (c.pages == 1 ? "Index.html" : QString("Index%1.html").arg(c.pages))));
        EXPECT_FALSE(QFileInfo::exists(rotation + QString("Index%1.html").arg(c.pages + 1)));
        EXPECT_TRUE(folder.read("rotation/Index.html").contains(c.shown)) << c.images;
    }
    // A site without thumbnails: the typed page count, no thumbnails folder, no images.
    job.pages.images.clear();
    job.pages.withoutThumbnails = true;
    job.pages.options.UseThumbsDirectory = true;
    job.typedPageCount = 4;
    BuildRunner runner(job, prompts, display);
    ASSERT_TRUE(runner.build());
    EXPECT_EQ(runner.pageCount(), 4);
    EXPECT_FALSE(QFileInfo::exists(rotation + "thumbs"));
    EXPECT_TRUE(QFileInfo::exists(rotation + "Index4.html"));
}

TEST_F(BuildRun, CancelAnsweredNoGoesOnAndYesStops)
{
    addImages(8);
    cancelAt("Creating Thumbnail for img03.jpg");
    prompts.answer(mrNo);
    ASSERT_TRUE(build());
    EXPECT_EQ(prompts.promptTexts(), QStringList({"Are you sure you want to cancel processing of your Site Build?"}));
    EXPECT_EQ(written().filter("_thb").size(), 8);
    EXPECT_TRUE(QFileInfo::exists(rotation + "Index2.html"));

    QDir(rotation + "thumbs").removeRecursively();
    QFile::remove(rotation + "Index.html");
    QFile::remove(rotation + "Index2.html");
    prompts.clear();
    prompts.answer(mrYes);
    display.log.clear();
    EXPECT_FALSE(build());
    EXPECT_EQ(prompts.promptTexts().size(), 1);
    EXPECT_EQ(written().filter("_thb"), thumbnails(3)); // the image being made when Cancel came is kept
    EXPECT_FALSE(QFileInfo::exists(rotation + "Index.html"));
    EXPECT_EQ(display.log.mid(display.log.size() - 2), QStringList({"status ", "reset"}));
}

TEST_F(BuildRun, ASecondBuildKeepsExistingThumbnailsButStepsForEach)
{
    addImages(4);
    ASSERT_TRUE(build());
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    for (const QString& thumbnail : thumbnails(4)) {
        QFile file(rotation + thumbnail);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    QFile::remove(rotation + thumbnails(4)[2]);
    // A folder in a thumbnail's place does not count as an existing thumbnail.
    QFile::remove(rotation + thumbnails(4)[3]);
    QDir().mkpath(rotation + thumbnails(4)[3] + "/x");
    display.log.clear();
    display.steps = 0;
    ASSERT_TRUE(build());
    EXPECT_EQ(display.steps, 4 + 1);
    EXPECT_EQ(statuses().filter("Creating Thumbnail"), QStringList({"Creating Thumbnail for img03.jpg", "Creating Thumbnail for img04.jpg"}));
    EXPECT_EQ(prompts.promptTexts(), QStringList({"Error encountered creating the thumbnail, " + rotation + "img04.jpg"}));
    for (int i : {0, 1})
        EXPECT_EQ(QFileInfo(rotation + thumbnails(4)[i]).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    EXPECT_GT(QFileInfo(rotation + thumbnails(4)[2]).lastModified(), old);

    // Without the box every thumbnail is made again.
    job.skipExistingThumbnails = false;
    display.log.clear();
    ASSERT_TRUE(build());
    EXPECT_EQ(statuses().filter("Creating Thumbnail").size(), 4);
}

TEST_F(BuildRun, BadImagesGetTheirMessageOnceAndTheSetIsComplete)
{
    addImages(2);
    const struct { const char* name; QByteArray content; } bad[] = {
        {"damaged.jpg", damagedJpeg()},
        {"empty.jpg", {}},
        {"huge.jpg", hugeHeaderJpeg()},
    };
    for (const auto& b : bad) {
        folder.write(QString("rotation/") + b.name, b.content);
        job.pages.images.insert(1, b.name);
    }
    ASSERT_TRUE(writePicture(rotation + "bitmap.jpg", 90, 90, "BMP"));
    job.pages.images << "bitmap.jpg";
    ASSERT_TRUE(build());
    EXPECT_EQ(prompts.promptTexts(), QStringList({"Error encountered creating the thumbnail, " + rotation + "huge.jpg",
                                                  "Error encountered creating the thumbnail, " + rotation + "empty.jpg",
                                                  "Error encountered creating the thumbnail, " + rotation + "damaged.jpg"}));
    EXPECT_EQ(prompts.calls().first().prompt.icon, platform::PromptIcon::None);
    EXPECT_EQ(written().filter("thumbs/"), QStringList({"thumbs/bitmap_thb.jpg", "thumbs/img01_thb.jpg", "thumbs/img02_thb.jpg"}));
    EXPECT_TRUE(QFileInfo::exists(rotation + "Index.html"));
    EXPECT_EQ(written().size(), 6 + 3 + 1); // the images, three thumbnails, one page: nothing temporary
}

TEST_F(BuildRun, FailuresStopTheBuildWithTheirMessage)
{
    addImages(2);
    struct Case {
        const char* what;
        std::function<void()> arrange;
        QString message;
        QStringList left;  // files written besides the images
    };
    const QString thumbs = rotation + "thumbs/";
    const Case cases[] = {
        {"thumbs folder", [&] { folder.write("rotation/thumbs", "a file"); },
         "Error encountered creating the directory, " + thumbs + ".  Building will terminate!", {"thumbs"}},
        {"blank", [&] { useButtons(); s().edtSelectedImageButton = folder.write("templates/bad.gif", "GIF8"); },
         "Error encountered creating the page button, " + rotation + "Page_Button_On_1.gif", {}},
        {"image page", [&] { s().rdbHTMLImageWindow = true; QDir().mkpath(rotation + "img02.html"); },
         "Error encountered creating your Image Display pages.  Please ensure you have enough disk space",
         {"img01.html", "thumbs/img01_thb.jpg", "thumbs/img02_thb.jpg"}},
        {"thumbnail page", [&] { QDir().mkpath(rotation + "Index.html"); },
         "Error encountered creating your HTML pages.  Please ensure you have enough disk space",
         {"thumbs/img01_thb.jpg", "thumbs/img02_thb.jpg"}},
    };
    for (const Case& c : cases) {
        QDir(rotation).removeRecursively();
        rotation = folder.mkdir("rotation/");
        job = {};
        SetUp();
        DonePGraphic();
        addImages(2);
        c.arrange();
        prompts.clear();
        EXPECT_FALSE(build()) << c.what;
        EXPECT_EQ(prompts.promptTexts(), QStringList{c.message}) << c.what;
        EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Warning) << c.what;
        QStringList left = c.left;
        left << "img01.jpg" << "img02.jpg";
        left.sort();
        EXPECT_EQ(written(), left) << c.what;
    }
}

// A link in the rotation folder is replaced by the build's own file, its target left alone; a
// button the user made read-only is kept and stops the build as a failed create would.
TEST_F(BuildRun, OutputsReplaceLinksAndKeepReadOnlyFiles)
{
    addImages(2);
    useButtons();
    job.skipExistingThumbnails = false;
    const QString outside = folder.write("outside/kept.jpg", "not an output");
    const QStringList links = {"Index.html", "Page_Button_On_1.jpg", "thumbs/img01_thb.jpg"};
    folder.mkdir("rotation/thumbs/");
    for (const QString& link : links)
        ASSERT_TRUE(QFile::link(outside, rotation + link)) << qPrintable(link);
    ASSERT_TRUE(build());
    EXPECT_EQ(folder.read("outside/kept.jpg"), "not an output");
    for (const QString& link : links)
        EXPECT_TRUE(QFileInfo(rotation + link).isFile() && !QFileInfo(rotation + link).isSymLink()) << qPrintable(link);

    // The outputs are the user's (nobody's when the tests run as root); one is made read-only.
    const QByteArray before = folder.read("rotation/Page_Button_1.jpg");
    for (const QString& dir : {folder.path(), rotation})
        ASSERT_EQ(::chmod(platform::encodeFileName(dir).constData(), 0777), 0);
    for (const QString& file : written())
        ASSERT_TRUE(::geteuid() != 0 || ::chown(platform::encodeFileName(rotation + file).constData(), 65534, 65534) == 0);
    ASSERT_EQ(::chmod(platform::encodeFileName(rotation + "Page_Button_1.jpg").constData(), 0444), 0);
    prompts.clear();
    const int rc = runUnprivileged([&] {
        const QString failure = "Error encountered creating the page button, " + rotation + "Page_Button_1.gif";
        return !build() && prompts.promptTexts() == QStringList{failure} ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(folder.read("rotation/Page_Button_1.jpg"), before);
}

TEST_F(BuildRun, StartRefusesAndAsks)
{
    // No images.
    EXPECT_FALSE(start().built);
    EXPECT_EQ(prompts.promptTexts(), QStringList({"The current Site or Rotation does not contain any images!"}));

    // A description file that cannot be read: nothing is built.
    addImages(1);
    s().Filename_Display = FilenameDisplay::DescriptionFile;
    s().edtdescripfile = folder.file("missing.csv");
    prompts.clear();
    EXPECT_FALSE(start().built);
    EXPECT_EQ(prompts.promptTexts(), QStringList({"An error was encountered reading your description file!"}));
    EXPECT_EQ(written(), QStringList({"img01.jpg"}));

    // Built: the preview question, answered Yes; under Build All no question.
    s().edtdescripfile = folder.write("d.csv", "img01.jpg,A harbour at dawn\r\n");
    prompts.clear();
    prompts.answer(mrYes);
    const auto result = start();
    EXPECT_TRUE(result.built && result.previewWanted);
    EXPECT_EQ(prompts.promptTexts(), QStringList({"Your build has been completed.  Would you like to preview it now?"}));
    EXPECT_TRUE(folder.read("rotation/Index.html").contains("A harbour at dawn"));
    EXPECT_FALSE(QFileInfo::exists(folder.file("~d.ini")));
    job.buildAll = true;
    prompts.clear();
    EXPECT_TRUE(start().built);
    EXPECT_TRUE(prompts.calls().isEmpty());
}

// Thumbnails made ahead by workers are the very bytes of a build without them; the order of
// steps, messages and cancel checks does not change.
TEST_F(BuildRun, WorkersWriteTheSameFilesInTheSameOrder)
{
    addImages(9);
    folder.write("rotation/empty.jpg", {});
    job.pages.images.insert(4, "empty.jpg");
    s().spnJPEGQuality.setValue(83);
    const auto contents = [this] {
        QMap<QString, QByteArray> files;
        for (const QString& file : written())
            files[file] = readAll(rotation + file);
        return files;
    };
    ASSERT_TRUE(build());
    const auto sequential = contents();
    const QStringList sequentialLog = display.log;
    const QStringList sequentialPrompts = prompts.promptTexts();
    for (int threads : {2, 4}) {
        QDir(rotation + "thumbs").removeRecursively();
        display.log.clear();
        prompts.clear();
        job.threads = threads;
        ASSERT_TRUE(build());
        EXPECT_EQ(contents(), sequential) << threads;
        EXPECT_EQ(display.log, sequentialLog) << threads;
        EXPECT_EQ(prompts.promptTexts(), sequentialPrompts) << threads;
    }

    // A cancel at image k: nothing made ahead past it is written.
    QDir(rotation + "thumbs").removeRecursively();
    job.threads = 4;
    cancelAt("Creating Thumbnail for img02.jpg");
    prompts.clear();
    prompts.answer(mrYes);
    EXPECT_FALSE(build());
    EXPECT_EQ(written().filter("_thb"), thumbnails(2));
}

// Photos whose names are not UTF-8 get thumbnails and pages under their own bytes, and links
// that reach them.
TEST_F(BuildRun, OddNamesGetTheirThumbnailsPagesAndLinks)
{
    s().rdbHTMLImageWindow = true;
    s().cmbstyle = folder.write("templates/thumb.htm", "***HEADER***<html>***CONTENT***</html>");
    job.pages.ThumbTemplateTokens.header = true;
    s().cmbHeader.setIndex(rotationentries::HeaderHTML);
    s().edtheaderhtml = platform::decodeFileName("<b>caf\xe9</b>");  // as a Latin-1 site file gives it
    for (const OddName& name : oddNames) {
        writeAll(rotation + platform::decodeFileName(name.bytes), jpegBytes(testPicture(120, 80)));
        job.pages.images << platform::decodeFileName(name.bytes);
    }
    ASSERT_TRUE(build());
    EXPECT_TRUE(prompts.calls().isEmpty()) << prompts.promptTexts().join("\n").toStdString();
    const QByteArray index = readAll(rotation + "Index.html");
    EXPECT_TRUE(index.startsWith("<b>caf\xe9</b><html>"));
    for (const OddName& name : oddNames) {
        const QByteArray base = name.bytes.chopped(4), link = name.link;
        EXPECT_TRUE(index.contains("<a href=\"" + link + ".html\"><img SRC=\"./thumbs/" + link + "_thb.jpg\"")) << name.what;
        EXPECT_TRUE(readAll(rotation + platform::decodeFileName(base + ".html")).contains("<IMG SRC=\"" + link + ".jpg\""))
            << name.what;
        EXPECT_FALSE(readAll(rotation + platform::decodeFileName("thumbs/" + base + "_thb.jpg")).isEmpty()) << name.what;
    }
}

} // namespace
