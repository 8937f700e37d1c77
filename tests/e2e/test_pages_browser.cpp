// Opens generated page sets in a real browser (headless Chromium) and checks that every page
// renders, every image on it decodes, and every link between pages and to the images leads
// to a file of the set, the script links of the popup display methods included.

#include "browserprobe.h"
#include "tempfolder.h"
#include "tests/app/pages/pageset.h"
#include "app/pages/imagefit.h"
#include "imaging/pglibrary.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using namespace rotationentries;

const QByteArray thumbTemplate = "<html>\n<head>\n<title>Gallery</title>\n</head>\n<body>\n***HEADER***\n"
                                 "<table><tr><td valign=\"top\">***INDEX***</td><td>***CONTENT***</td></tr></table>\n"
                                 "***FOOTER***\n</body>\n</html>";
const QByteArray imageTemplate = "<HTML><HEAD><TITLE>Image</TITLE></HEAD><BODY>\r\n***HEADER***\r\n***CONTENT***\r\n"
                                 "<HR>***INDEX***\r\n***FOOTER***\r\n</BODY></HTML>\r\n";

struct SourceImage {
    const char* name;
    int width, height;
};
const SourceImage sourceImages[] = {
    {"beach.jpg", 640, 480}, {"Tom's Boat.jpg", 300, 500}, {"city lights.png", 400, 300},
    {"dog.png", 120, 90},    {"Eagle.JPG", 200, 200},
};

void writeImage(const QString& path, int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QPainter(&image).fillRect(0, 0, width / 2, height / 2, Qt::white);
    ASSERT_TRUE(image.save(path, nullptr, 90)) << path.toStdString();
}

// The files a build would have put beside the pages: the images, their thumbnails, the
// page-number buttons and the navigation images.
void writeRotationFiles(const QString& folder, bool thumbsFolder, int pages)
{
    const QString thumbs = thumbsFolder ? folder + "thumbs/" : folder;
    QDir().mkpath(thumbs);
    for (const SourceImage& image : sourceImages) {
        writeImage(folder + image.name, image.width, image.height, Qt::darkBlue);
        const QSize fitted = calculatedimensions(image.width, image.height, 100, 100);
        writeImage(thumbs + GetThumbnailName(image.name), fitted.width(), fitted.height(), Qt::darkGreen);
    }
    for (int p = 1; p <= pages; ++p) {
        writeImage(folder + QString("Page_Button_On_%1.jpg").arg(p), 40, 20, Qt::red);
        writeImage(folder + QString("Page_Button_%1.jpg").arg(p), 40, 20, Qt::gray);
    }
    for (const char* nav : {"Previous.png", "Next.png", "Index.png"})
        writeImage(folder + nav, 60, 20, Qt::black);
}

QStringList imageNames()
{
    QStringList names;
    for (const SourceImage& image : sourceImages)
        names << image.name;
    return names;
}

class PagesInABrowser : public ::testing::Test {
protected:
    TempFolder root;
    QString styles;

    void SetUp() override
    {
        InitPGraphic(); // image pages measure their pictures through the image library
        styles = root.mkdir("styles/");
        writeAll(styles + "thumb.htm", thumbTemplate);
        writeAll(styles + "image.htm", imageTemplate);
    }

    void TearDown() override { DonePGraphic(); }

    PageInputs inputsFor(const QString& folder)
    {
        PageInputs in;
        in.site.BaseHTMLName = "Index.html";
        in.rotationFolder = folder;
        in.images = imageNames();
        in.settings.cmbstyle = styles + "thumb.htm";
        in.settings.cmbimagestyle = styles + "image.htm";
        in.ThumbTemplateTokens = findTemplateTokens(QString::fromUtf8(thumbTemplate));
        in.ImageTemplateTokens = findTemplateTokens(QString::fromUtf8(imageTemplate));
        in.settings.spnHorzCOunt.setValue(2);
        in.settings.spnVertCOunt.setValue(1);
        return in;
    }

    // Every page of a set, relative to the root.
    QStringList pagesOf(const QString& set)
    {
        QStringList pages;
        for (const QString& f : QDir(root.file(set)).entryList({"*.html"}, QDir::Files, QDir::Name))
            pages << set + "/" + f;
        return pages;
    }
};

TEST_F(PagesInABrowser, PagesRenderAndEveryLinkResolves)
{
    // Set one: image pages opened by script, image buttons, navigation images, thumbs folder.
    const QString one = root.mkdir("scripted/");
    PageInputs a = inputsFor(one);
    RotationSettings& s = a.settings;
    s.rdbHTMLImageWindow = true;
    s.cmbImageDisplayMethod.setIndex(2);
    s.chkImageButtons = true;
    s.edtSelectedImageButton = "/blanks/on.jpg";
    s.edtotherImageButton = "/blanks/off.jpg";
    s.Chkusecustombuttons = true;
    s.edtpreviousfile = "/prog/navgraph/Previous.png";
    s.edtnextfile = "/prog/navgraph/Next.png";
    s.edtindexfile = "/prog/navgraph/Index.png";
    s.chkimagenavigationbar = true;
    s.chkmaximagesize = true;
    s.spnImageWidth.setValue(300);
    s.SpnImageHeight.setValue(300);
    s.chkAddLumoraLink = true;
    s.Filename_Display = FilenameDisplay::Normal;
    writeRotationFiles(one, true, 3);
    PageGenerator scripted(a, {});
    scripted.setPageButtonExtension(".jpg");
    ASSERT_TRUE(writePageSet(scripted, one));

    // Set two: images opened directly in a new window, text index in rows, no thumbs folder.
    const QString two = root.mkdir("direct/");
    PageInputs b = inputsFor(two);
    b.options.UseThumbsDirectory = false;
    b.settings.cmbImageDisplayMethod.setIndex(1);
    b.settings.rgpIndexLayout.setIndex(HorizontalIndex);
    b.settings.cmbLinkEnclosure.setIndex(3);
    writeRotationFiles(two, false, 0);
    PageGenerator direct(b, {});
    ASSERT_TRUE(writePageSet(direct, two));

    const QStringList pages = pagesOf("scripted") + pagesOf("direct");
    ASSERT_EQ(pages.size(), 3 + 5 + 3);
    const QString probe = root.write("probe.html", probePage(pages));
    const QList<ProbeLine> lines = runBrowser(probe, root.mkdir("profile"));
    ASSERT_FALSE(lines.isEmpty());

    QSet<QString> rendered;
    QSet<QString> opened;
    QHash<QString, int> thumbnailsShown;
    for (const ProbeLine& line : lines) {
        const QString page = QUrl::fromPercentEncoding(line.page.toUtf8());
        if (line.kind == "PAGE") {
            rendered << page;
            EXPECT_EQ(line.url, "false") << "tokens left in " << page.toStdString();
            continue;
        }
        ASSERT_NE(line.kind, "NODOC") << page.toStdString();
        const QUrl url(line.url);
        ASSERT_TRUE(url.isLocalFile()) << line.url.toStdString();
        const QString file = url.toLocalFile();
        EXPECT_TRUE(QFileInfo(file).isFile()) << page.toStdString() << " -> " << file.toStdString();
        EXPECT_TRUE(file.startsWith(root.path())) << file.toStdString();
        if (line.kind == "IMG") {
            EXPECT_GT(line.extra.toInt(), 0) << page.toStdString() << " shows no picture of " << file.toStdString();
            if (file.endsWith("_thb.jpg"))
                ++thumbnailsShown[page.section('/', 0, 0)];
        }
        if (line.kind == "OPEN") {
            opened << QFileInfo(file).fileName();
            EXPECT_TRUE(line.extra.startsWith("show_") && line.extra.endsWith("_window")) << line.extra.toStdString();
        }
    }
    EXPECT_EQ(rendered, QSet<QString>(pages.begin(), pages.end()));
    EXPECT_EQ(thumbnailsShown.value("scripted"), 5);
    EXPECT_EQ(thumbnailsShown.value("direct"), 5);
    // Each thumbnail's script opens its image page: twice (picture and text) per image.
    EXPECT_EQ(opened, (QSet<QString>{"beach.html", "Tom's Boat.html", "city lights.html", "dog.html", "Eagle.html"}));
}

} // namespace
