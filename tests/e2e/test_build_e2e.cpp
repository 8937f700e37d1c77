// A gallery made through the real windows: New Site, the site editor, Build!, Start and the
// preview question; then the pages opened in headless Chromium, where every page renders and
// every link and picture (thumbnails, page-number buttons, copied template files) resolves,
// each thumbnail at its fitted size.

#include "browserprobe.h"
#include "tests/app/gallery/buildfixtures.h"
#include "tests/app/windows/apptestutil.h"
#include "app/pages/imagefit.h"
#include "app/windows/buildprogress.h"
#include "app/windows/editsite.h"
#include "app/windows/siteop.h"
#include "components/bitbtn.h"
#include "imaging/pglibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::mrCancel;
using platform::mrNone;
using platform::mrYes;

class BuildThroughTheWindows : public ::testing::Test, public PictorumFixture {
protected:
    void SetUp() override { InitPGraphic(); }
    void TearDown() override { DonePGraphic(); }
};

TEST_F(BuildThroughTheWindows, NewSiteEditBuildAndBrowse)
{
    start();
    fake.prompts.answer(mrYes); // make the site's folder
    fake.dialogs.script([](QDialog& d) {
        auto& options = static_cast<TdlgSIteOptions&>(d);
        options.edtname->setText("Harbour");
        QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
        return mrNone;
    });
    form().btnnewsiteClick();
    const QString site = prog.file("Site_1/");
    ASSERT_TRUE(QFileInfo(site).isDir()) << fake.prompts.promptTexts().join("\n").toStdString() << fake.dialogs.shown.join(",").toStdString();

    // Photos of several shapes, a template with a picture of its own, button blanks.
    const struct { const char* name; int width, height; } photos[] = {
        {"beach.jpg", 640, 480}, {"Tom's Boat.jpg", 300, 500}, {"city lights.jpeg", 800, 200},
        {"dog.jpg", 90, 60},     {"Eagle.JPG", 1200, 1200},    {"sunset.jpe", 333, 222},
    };
    for (const auto& photo : photos)
        ASSERT_TRUE(writePicture(site + photo.name, photo.width, photo.height, "JPEG", photo.width % 7));
    const QString thumbTemplate = prog.write("Styles/gallery.htm", "<html><head><title>Harbour</title></head><body>"
                                                                     "<img src=\"logo.jpg\">***INDEX***\r\n"
                                                                     "***CONTENT***</body></html>");
    const QString imageTemplate = prog.write("Styles/photo.htm", "<html><body>***CONTENT***<hr>***INDEX***</body></html>");
    ASSERT_TRUE(writePicture(prog.file("Styles/logo.jpg"), 120, 40));
    prog.mkdir("blanks");
    ASSERT_TRUE(writePicture(prog.file("blanks/on.jpg"), 90, 24));
    ASSERT_TRUE(writePicture(prog.file("blanks/off.jpg"), 90, 24, "JPEG", 3));

    fake.dialogs.script([&](QDialog& d) {
        auto& editor = static_cast<TdlgEditSite&>(d);
        EXPECT_EQ(editor.lbxrotations->count(), 1);
        RotationSettings& s = state().rotationSettings;
        s.cmbstyle = thumbTemplate;
        s.rdbHTMLImageWindow = true;
        s.cmbimagestyle = imageTemplate;
        s.spnHorzCOunt.setValue(2);
        s.spnVertCOunt.setValue(2);
        s.chkImageButtons = true;
        s.edtSelectedImageButton = prog.file("blanks/on.jpg");
        s.edtotherImageButton = prog.file("blanks/off.jpg");
        s.chkmaximagesize = true;
        QTest::mouseClick(editor.btnbuild, Qt::LeftButton);
        EXPECT_EQ(editor.lblstatus->text(), "This Site has been built");
        return mrCancel;
    });
    fake.dialogs.script([&](QDialog& d) {
        auto& build = static_cast<TdlgBuildProgress&>(d);
        EXPECT_EQ(build.lbximages->count(), 6);
        build.threads = 3;
        QTest::mouseClick(build.btnok, Qt::LeftButton);
        return mrNone;
    });
    fake.prompts.answer(mrYes); // preview
    clickRow(0);
    form().btnedtsiteClick();
    EXPECT_EQ(fake.dialogs.shown, QStringList({"TdlgSIteOptions", "TdlgEditSite", "TdlgBuildProgress"}));
    EXPECT_EQ(fake.prompts.promptTexts().last(), "Your build has been completed.  Would you like to preview it now?");
    EXPECT_EQ(fake.shell.opened, QStringList({site + "Index.html"}));

    QStringList pages;
    for (const QString& page : QDir(site).entryList({"*.html"}, QDir::Files, QDir::Name))
        pages << "Site_1/" + page;
    ASSERT_EQ(pages.size(), 2 + 6); // two index pages, six image pages
    const QString probe = prog.write("probe.html", probePage(pages));
    const QList<ProbeLine> lines = runBrowser(probe, prog.mkdir("profile"));
    ASSERT_FALSE(lines.isEmpty());

    QHash<QString, QSize> fitted;
    for (const auto& photo : photos)
        fitted[GetThumbnailName(photo.name)] = calculatedimensions(photo.width, photo.height, 100, 100);
    QSet<QString> rendered, pictures;
    for (const ProbeLine& line : lines) {
        const QString page = QUrl::fromPercentEncoding(line.page.toUtf8());
        ASSERT_NE(line.kind, "NODOC") << page.toStdString();
        if (line.kind == "PAGE") {
            rendered << page;
            EXPECT_EQ(line.url, "false") << "tokens left in " << page.toStdString();
            continue;
        }
        const QString file = QUrl(line.url).toLocalFile();
        EXPECT_TRUE(QFileInfo(file).isFile()) << page.toStdString() << " -> " << line.url.toStdString();
        if (line.kind != "IMG")
            continue;
        const QString name = QFileInfo(file).fileName();
        pictures << name;
        EXPECT_GT(line.extra.toInt(), 0) << page.toStdString() << " shows no picture of " << name.toStdString();
        if (fitted.contains(name)) {
            EXPECT_EQ(QSize(line.extra.toInt(), line.extra2.toInt()), fitted[name]) << name.toStdString();
        }
    }
    EXPECT_EQ(rendered, QSet<QString>(pages.begin(), pages.end()));
    for (const QString& thumbnail : fitted.keys())
        EXPECT_TRUE(pictures.contains(thumbnail)) << thumbnail.toStdString();
    for (const char* expected : {"logo.jpg", "Page_Button_On_1.jpg", "Page_Button_2.jpg", "Page_Button_On_2.jpg",
                                 "Page_Button_1.jpg", "beach.jpg", "Eagle.JPG"})
        EXPECT_TRUE(pictures.contains(expected)) << expected;
}

} // namespace
