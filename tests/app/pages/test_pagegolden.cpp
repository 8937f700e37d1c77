// Whole page sets for several settings combinations, compared byte for byte with the files
// under golden/<case>/. Run with PICTORUM_UPDATE_GOLDEN=1 to write the golden files instead.

#include "pageset.h"
#include "tempfolder.h"

#include "platform/prompts.h"

#include <QDir>
#include <QHash>

#include <gtest/gtest.h>

namespace {

using namespace rotationentries;

const QString goldenRoot = QStringLiteral(PICTORUM_GOLDEN_DIR "/");
const QString templates = goldenRoot + QStringLiteral("templates/");

const QStringList sevenImages = {"beach.jpg", "Tom's Boat.jpg", "city lights.png", "a_very_long_file_name_here.jpg",
                                 "dog.gif", "Eagle.JPG", "forest.jpeg"};

struct GoldenCase {
    const char* name;
    std::function<void(PageInputs&)> setUp;
    int pageCount = 0;               // pages of a site without thumbnails
    QString descriptions = {};       // description file in use
    QString buttonExtension = ".gif";
};

// Image sizes the image library would report.
std::optional<QSize> measure(const QString& path)
{
    static const QHash<QString, QSize> sizes = {
        {"beach.jpg", {1024, 768}}, {"Tom's Boat.jpg", {300, 500}}, {"city lights.png", {400, 300}},
        {"dog.gif", {101, 50}},
    };
    const auto it = sizes.find(QFileInfo(path).fileName());
    return it == sizes.end() ? std::nullopt : std::optional<QSize>(*it);
}

void useTemplates(PageInputs& in, const QString& thumb, const QString& image)
{
    in.settings.cmbstyle = templates + thumb;
    in.ThumbTemplateTokens = findTemplateTokens(*loadTemplateText(in.settings.cmbstyle));
    if (!image.isEmpty()) {
        in.settings.cmbimagestyle = templates + image;
        in.ImageTemplateTokens = findTemplateTokens(*loadTemplateText(in.settings.cmbimagestyle));
    }
}

const GoldenCase cases[] = {
    {"method0_thumbs_hideext_vertical",
     [](PageInputs& in) {
         in.images = sevenImages;
         in.settings.spnHorzCOunt.setValue(3);
         in.settings.spnVertCOunt.setValue(2);
         useTemplates(in, "thumb.htm", {});
     }},
    {"method1_pages_names_horizontal",
     [](PageInputs& in) {
         RotationSettings& s = in.settings;
         in.images = sevenImages.mid(0, 5);
         in.options.UseThumbsDirectory = false;
         s.spnHorzCOunt.setValue(2);
         s.spnVertCOunt.setValue(2);
         s.spnImageborder.setValue(0);
         s.spnCellPadding.setValue(4);
         s.spnCellSpacing.setValue(0);
         s.Filename_Display = FilenameDisplay::Normal;
         s.cmbImageDisplayMethod.setIndex(1);
         s.rdbHTMLImageWindow = true;
         s.rgpIndexLayout.setIndex(HorizontalIndex);
         s.edtpagenumberprefix = "Gallery";
         s.chkThumbnailPageHeading = true;
         s.chkImageHeading = true;
         s.Cmbheadingsize.setIndex(1);
         s.cmbHeadingColour.setEntry(10);
         s.rdbfontdefault = false;
         s.FontName = "Verdana,Arial";
         s.chkBold = true;
         s.cmbHeader.setIndex(HeaderHTML);
         s.edtheaderhtml = "Welcome to|my site";
         s.cmbFooter.setIndex(HeaderFile);
         s.edtfooterfile = templates + "footers.txt";
         s.cmbimageFooter.setIndex(ImageHTML);
         s.edtimagefooterhtml = "Image|footer";
         s.chkimagenavigationbar = true;
         s.chkmaximagesize = true;
         s.spnImageWidth.setValue(400);
         s.SpnImageHeight.setValue(300);
         useTemplates(in, "thumb.htm", "image.htm");
     }},
    {"method2_buttons_descriptions_linkback",
     [](PageInputs& in) {
         RotationSettings& s = in.settings;
         in.images = sevenImages.mid(0, 6);
         in.options.ForceLowercase = true;
         s.spnHorzCOunt.setValue(4);
         s.spnVertCOunt.setValue(1);
         s.Filename_Display = FilenameDisplay::DescriptionFile;
         s.cmbImageDisplayMethod.setIndex(2);
         s.rdbHTMLImageWindow = true;
         s.chkImageButtons = true;
         s.edtSelectedImageButton = "/blanks/on.gif";
         s.edtotherImageButton = "/blanks/off.gif";
         s.cmbLinkEnclosure.setIndex(3);
         s.cmbLinkEncColour.setEntry(8);
         s.Chkusecustombuttons = true;
         s.edtpreviousfile = "/prog/navgraph/Previous.gif";
         s.edtnextfile = "/prog/navgraph/Next.gif";
         s.edtindexfile = "/prog/navgraph/Index.gif";
         s.chkimagenavigationbar = true;
         s.chkAddLumoraLink = true;
         s.cmbHeader.setIndex(HeaderFile);
         s.edtheaderfile = templates + "headers.txt";
         s.cmbimageHeader.setIndex(ImageFile);
         s.edtimageheaderfile = templates + "footers.txt";
         useTemplates(in, "thumb.htm", "image.htm");
     },
     0, templates + "descriptions.csv"},
    {"method3_nothing_plain_template",
     [](PageInputs& in) {
         RotationSettings& s = in.settings;
         in.images = sevenImages.mid(2, 4);
         s.spnHorzCOunt.setValue(3);
         s.spnVertCOunt.setValue(3);
         s.Filename_Display = FilenameDisplay::None;
         s.cmbImageDisplayMethod.setIndex(3);
         s.chkAddLumoraLink = true;
         s.cmbFooter.setIndex(HeaderHTML);
         s.edtfooterhtml = "<hr>|Same footer on every page";
         s.rdbindexfontdefault = false;
         useTemplates(in, "plain.htm", {});
     }},
    {"text_index_current_page_styles",
     [](PageInputs& in) {
         RotationSettings& s = in.settings;
         in.images = sevenImages;
         s.spnHorzCOunt.setValue(2);
         s.spnVertCOunt.setValue(1);
         s.rdbindexfontdefault = false;
         s.indexFontName = "Courier New";
         s.chkindexBold = true;
         s.chkindexitalics = true;
         s.cmbindexFontsize.setIndex(4);
         s.cmbIndexTextColour.setPicked(rgbColour(0x12, 0x34, 0x56));
         s.cmbLinkEnclosure.setIndex(1);
         useTemplates(in, "thumb.htm", {});
     },
     0, {}, ".jpg"},
    {"without_thumbnails",
     [](PageInputs& in) {
         RotationSettings& s = in.settings;
         in.withoutThumbnails = true;
         s.cmbImageDisplayMethod.setIndex(2);
         s.chkImageButtons = true;
         s.edtotherImageButton = "/blanks/off.jpg";
         s.cmbHeader.setIndex(HeaderFile);
         s.edtheaderfile = templates + "headers.txt";
         useTemplates(in, "thumb.htm", {});
     },
     3, {}, ".jpg"},
};

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

class GoldenPages : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenPages, MatchByteForByte)
{
    const GoldenCase& c = GetParam();
    TempFolder out;
    PageInputs in;
    in.site.BaseHTMLName = "Index.html";
    in.rotationFolder = out.path();
    c.setUp(in);
    PageServices services;
    services.measureImage = measure;
    services.pickLine = [](int) { return 2; };
    PageGenerator g(in, services);
    g.setPageButtonExtension(c.buttonExtension);
    if (!c.descriptions.isEmpty()) {
        platform::ScriptedPromptService prompts;
        g.setDescriptions(*loadDescriptionFile(c.descriptions, prompts));
    }
    ASSERT_TRUE(writePageSet(g, out.path(), c.pageCount));

    const QString golden = goldenRoot + QString::fromLatin1(c.name) + QLatin1Char('/');
    if (qEnvironmentVariableIsSet("PICTORUM_UPDATE_GOLDEN")) {
        QDir(golden).removeRecursively();
        QDir().mkpath(golden);
        for (const QString& f : filesIn(out.path()))
            writeAll(golden + f, readAll(out.file(f)));
    }
    ASSERT_EQ(filesIn(out.path()), filesIn(golden));
    for (const QString& f : filesIn(golden))
        EXPECT_EQ(readAll(out.file(f)), readAll(golden + f)) << c.name << "/" << f.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenPages, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

} // namespace
