#include "fifo.h"
#include "fixtures.h"
#include "tempfolder.h"
#include "app/pages/imagemeasure.h"
#include "app/pages/pagegen.h"
#include "imaging/fileformats.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include "platform/prompts.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

const QString nav3 = "<center><table COLS=3 border=\"0\" cellpadding=\"3\" cellspacing=\"4\" width=\"90%\">\r\n<tr>\r\n";
const QString navEnd = "</tr>\r\n</table></center>";
const QString credits = "<!-- HTML created with Pictorum Pro Rapid Pictorum Creation software -->\r\n";

QString navBar(const QString& previous, const QString& index, const QString& next)
{
    return nav3 + "<td>" + previous + "</td>\r\n<td><p align=\"center\">" + index + "</p></td>\r\n<td><p align=\"right\">"
        + next + "</p></td>\r\n" + navEnd;
}

class PageFragments : public ::testing::Test {
protected:
    TempFolder folder;
    PageInputs in;
    QStringList statuses;
    int pick = 0;
    std::optional<QSize> measured;
    QStringList measuredPaths;

    void SetUp() override
    {
        in.site.BaseHTMLName = "Index.html";
        in.rotationFolder = folder.path();
        in.ThumbTemplateTokens = {true, true, true, true};
        in.ImageTemplateTokens = {true, true, true, true};
    }
    PageGenerator make()
    {
        PageServices services;
        services.measureImage = [this](const QString& path) {
            measuredPaths << path;
            return measured;
        };
        services.status = [this](const QString& text) { statuses << text; };
        services.pickLine = [this](int count) {
            EXPECT_EQ(count, 5);
            return pick;
        };
        return PageGenerator(in, services);
    }
    RotationSettings& s() { return in.settings; }
    QStringList numberedImages(int count)
    {
        QStringList images;
        for (int i = 1; i <= count; ++i)
            images << QStringLiteral("img%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        return images;
    }
};

TEST_F(PageFragments, PageNames)
{
    struct Case { const char* base; int n; const char* expected; } cases[] = {
        {"Index.html", 1, "Index.html"}, {"Index.html", 2, "Index2.html"}, {"Index.html", 13, "Index13.html"},
        {"sub/Main.htm", 1, "sub/Main.htm"}, {"sub/Main.htm", 3, "Main3.htm"}, {"default", 2, "default2"},
    };
    for (const Case& c : cases) {
        in.site.BaseHTMLName = c.base;
        EXPECT_EQ(make().gethtmlpagename(c.n), c.expected) << c.base << " " << c.n;
    }
    in.site.BaseHTMLName = "index.htm";
    EXPECT_EQ(make().imagePageName("My Pic.JPG"), "My Pic.htm");
    EXPECT_EQ(make().imagePageName("a.b.gif"), "a.b.htm");
}

TEST_F(PageFragments, LinkTargetsByDisplayMethod)
{
    struct Case { int method; bool lower; bool pages; const char* image; const char* href; const char* plain; } cases[] = {
        {0, false, false, "My Pic.JPG", "My Pic.JPG", "My Pic.JPG"},
        {0, true, false, "My Pic.JPG", "my pic.jpg", "My Pic.JPG"},
        {0, false, true, "My Pic.JPG", "My Pic.html", "My Pic.html"},
        {1, false, false, "a.jpg", "a.jpg\" Target=\"_blank", "a.jpg"},
        {2, false, false, "My Pic.JPG", "javascript:openwin('My Pic.JPG','show_my_pic_jpg_window');", "My Pic.JPG"},
        {2, false, true, "My Pic.JPG", "javascript:openwin('My Pic.html','show_my_pic_html_window');", "My Pic.html"},
        {3, false, false, "My Pic.JPG", "javascript:openwin('My Pic.JPG','');", "My Pic.JPG"},
        {0, false, false, "a\"b<c>.jpg", "a&quot;b&lt;c&gt;.jpg", "a\"b<c>.jpg"},
        {2, false, false, "it's \"1\".jpg", "javascript:openwin('it\\'s &quot;1&quot;.jpg','show_it_s__1__jpg_window');",
         "it's \"1\".jpg"},
        {3, true, false, "A\\B'.JPG", "javascript:openwin('a\\\\b\\'.jpg','');", "A\\B'.JPG"},
    };
    for (const Case& c : cases) {
        s().cmbImageDisplayMethod.setIndex(c.method);
        s().rdbHTMLImageWindow = c.pages;
        in.options.ForceLowercase = c.lower;
        const PageGenerator g = make();
        EXPECT_EQ(g.GetImageLinkName(c.image, true), c.href) << c.method << " " << c.image;
        EXPECT_EQ(g.GetImageLinkName(c.image, false), c.plain) << c.method << " " << c.image;
    }
}

TEST_F(PageFragments, TextUnderAThumbnail)
{
    struct Case { FilenameDisplay display; int limit; const char* image; const char* expected; } cases[] = {
        {FilenameDisplay::None, 15, "pic.jpg", ""},
        {FilenameDisplay::HideExt, 15, "pic.jpg", "pic"},
        {FilenameDisplay::Normal, 15, "pic.jpg", "pic.jpg"},
        {FilenameDisplay::Normal, 15, "abcdefghijklmnop.jpg", "abcdefghijkl..."},
        {FilenameDisplay::Normal, 15, "abcdefghijk.jpg", "abcdefghijk.jpg"},
        {FilenameDisplay::HideExt, 15, "abcdefghijklmnop.jpg", "abcdefghijkl..."},
        {FilenameDisplay::Normal, 999, "abcdefghijklmnopqrstuvwxyz.jpg", "abcdefghijklmnopqrstuvwxyz.jpg"},
        {FilenameDisplay::Normal, 2, "pic.jpg", "..."},
        {FilenameDisplay::Normal, 15, "<b>&\"x\".jpg", "&lt;b&gt;&&quot;x&quot;.jpg"},
        {FilenameDisplay::Normal, 6, "<<<<<<<<.jpg", "&lt;&lt;&lt;..."},
    };
    for (const Case& c : cases) {
        s().Filename_Display = c.display;
        in.options.MaxFilenameLength = qint16(c.limit);
        EXPECT_EQ(make().GetDisplayFilename(c.image), c.expected) << c.image << " " << c.limit;
    }
}

TEST_F(PageFragments, DescriptionsByNameThenPathThenName)
{
    const QString csv = folder.write("d.csv", "pic.jpg,<i>Sunset</i>, over the sea\r\n" + folder.path().toUtf8()
                                                  + "deep.jpg,By its path\r\nempty.jpg,\r\n");
    platform::ScriptedPromptService prompts;
    s().Filename_Display = FilenameDisplay::DescriptionFile;
    in.options.MaxFilenameLength = 3; // descriptions and names are never shortened
    PageGenerator g = make();
    g.setDescriptions(*loadDescriptionFile(csv, prompts));
    EXPECT_EQ(g.GetDisplayFilename("PIC.jpg"), "<i>Sunset</i>, over the sea");
    EXPECT_EQ(g.GetDisplayFilename("deep.jpg"), "By its path");
    EXPECT_EQ(g.GetDisplayFilename("empty.jpg"), "empty.jpg");
    EXPECT_EQ(g.GetDisplayFilename("a<b>.jpg"), "a&lt;b&gt;.jpg");

    s().chkShowFIlenameWhenNoDesc = false;
    PageGenerator quiet = make();
    quiet.setDescriptions(*loadDescriptionFile(csv, prompts));
    EXPECT_EQ(quiet.GetDisplayFilename("other.jpg"), "");
    EXPECT_EQ(quiet.GetDisplayFilename("pic.jpg"), "<i>Sunset</i>, over the sea");
}

// A Latin-1 description goes into both kinds of page byte for byte, beside the template's own
// Latin-1 text.
TEST_F(PageFragments, DescriptionsKeepTheirBytesInThePage)
{
    in.images = {"cafe.jpg"};
    s().Filename_Display = FilenameDisplay::DescriptionFile;
    s().rdbHTMLImageWindow = true;
    s().chkImageHeading = true;
    s().cmbstyle = folder.write("t.htm", "<p>Caf\xe9</p>***CONTENT***");
    s().cmbimagestyle = folder.write("i.htm", "<p>Caf\xe9</p>***CONTENT***");
    platform::ScriptedPromptService prompts;
    PageGenerator g = make();
    g.setDescriptions(*loadDescriptionFile(folder.write("d.csv", "cafe.jpg,Caf\xe9 <b>cr\xe8me</b>\r\n"), prompts));
    ASSERT_TRUE(g.createHTMLThumbpage(folder.file("Index.html"), 1, "", 0, 1));
    ASSERT_TRUE(g.createHTMLImagepage(folder.file("cafe.html"), 0, "", 1));
    EXPECT_TRUE(folder.read("Index.html").contains("<a href=\"cafe.html\">Caf\xe9 <b>cr\xe8me</b></a>"));
    EXPECT_TRUE(folder.read("cafe.html").contains("<H1>Caf\xe9 <b>cr\xe8me</b></H1>"));
    for (const char* page : {"Index.html", "cafe.html"})
        EXPECT_FALSE(folder.read(page).contains('\xc3')) << page; // nothing turned into UTF-8
}

TEST_F(PageFragments, FontTags)
{
    s().chkBold = true;
    s().chkitalics = true;
    s().cmbFontsize.setIndex(3);      // "+1"
    s().chkindexBold = true;
    s().cmbindexFontsize.setIndex(0); // "-2"
    struct Case { const char* font; bool useDefault, index, noStyles; const char* opening; const char* closing; } cases[] = {
        {"Arial", false, false, true, "<FONT FACE=\"Arial\">", "</FONT>"},
        {"Arial", true, false, true, "", ""},
        {"", false, false, true, "", ""},
        {"Verdana,Arial", false, false, false, "<FONT SIZE=+1><I><B><FONT FACE=\"Verdana,Arial\">", "</FONT></B></I></FONT>"},
        {"Verdana", true, false, false, "<FONT SIZE=+1><I><B>", "</B></I></FONT>"},
        {"Arial", false, true, false, "<FONT SIZE=-2><B><FONT FACE=\"Arial\">", "</FONT></B></FONT>"},
        {"A\"B", false, false, true, "<FONT FACE=\"A&quot;B\">", "</FONT>"},
    };
    const PageGenerator g = make();
    for (const Case& c : cases) {
        EXPECT_EQ(g.getfontstr(c.font, c.useDefault, c.index, c.noStyles, true), c.opening) << c.font << c.index;
        EXPECT_EQ(g.getfontstr(c.font, c.useDefault, c.index, c.noStyles, false), c.closing) << c.font << c.index;
    }
    s() = RotationSettings();
    EXPECT_EQ(make().getfontstr("", true, false, false, true), "");
    s().cmbFontsize.setIndex(2); // "Default" gives no size tag
    s().chkitalics = true;
    EXPECT_EQ(make().getfontstr("", true, false, false, true), "<I>");
}

TEST_F(PageFragments, ColourAndEnclosureTags)
{
    ColourChoice colour;
    EXPECT_EQ(PageGenerator::getcolourstr(colour, true), "");
    EXPECT_EQ(PageGenerator::getcolourstr(colour, false), "");
    colour.setEntry(8);
    EXPECT_EQ(PageGenerator::getcolourstr(colour, true), "<FONT COLOR=\"#FF0000\">");
    EXPECT_EQ(PageGenerator::getcolourstr(colour, false), "</FONT>");
    colour.setPicked(rgbColour(0x12, 0xAB, 0x0C));
    EXPECT_EQ(PageGenerator::getcolourstr(colour, true), "<FONT COLOR=\"#12AB0C\">");

    const char* openings[] = {"", "&lt; ", "&gt;", "[ ", "- "};
    const char* closings[] = {"", "&gt;", " &lt;", " ]", " -"};
    for (int entry = 0; entry < 5; ++entry) {
        s().cmbLinkEnclosure.setIndex(entry);
        s().cmbLinkEncColour.setDefault();
        EXPECT_EQ(make().getEnclosurecharacter(true), openings[entry]) << entry;
        EXPECT_EQ(make().getEnclosurecharacter(false), closings[entry]) << entry;
        s().cmbLinkEncColour.setEntry(10);
        const QString wrapped = entry == 0 ? "" : "<FONT COLOR=\"#000080\">%1</FONT>";
        EXPECT_EQ(make().getEnclosurecharacter(true), entry ? wrapped.arg(openings[entry]) : "") << entry;
        EXPECT_EQ(make().getEnclosurecharacter(false), entry ? wrapped.arg(closings[entry]) : "") << entry;
    }
}

TEST_F(PageFragments, HeadingCreditsAndLinkBack)
{
    EXPECT_EQ(make().CreateHeading("Page 2"), "<center><H1>Page 2</H1></center>");
    s().Cmbheadingsize.setIndex(3);
    s().cmbHeadingColour.setEntry(10);
    s().rdbfontdefault = false;
    s().FontName = "Arial";
    s().chkBold = true; // headings carry no styles
    EXPECT_EQ(make().CreateHeading("Page 2"),
              "<center><H4><FONT COLOR=\"#000080\"><FONT FACE=\"Arial\">Page 2</FONT></FONT></H4></center>");

    EXPECT_EQ(PageGenerator::LumoraCredits(), credits);
    EXPECT_EQ(make().GetLumoraLink(), "");
    s().chkAddLumoraLink = true;
    QStringList lines;
    for (pick = 0; pick < 5; ++pick) {
        const QString line = make().GetLumoraLink();
        ASSERT_TRUE(line.startsWith("<CENTER><B><FONT FACE=\"Times New Roman,Times\"><FONT SIZE=-1>")) << line.toStdString();
        ASSERT_TRUE(line.endsWith("</FONT></FONT></B></CENTER>")) << line.toStdString();
        EXPECT_TRUE(line.contains("Pictorum Pro")) << line.toStdString();
        EXPECT_FALSE(line.contains("http")) << line.toStdString();
        lines << line;
    }
    lines.removeDuplicates();
    EXPECT_EQ(lines.size(), 5);
    pick = 1;
    EXPECT_EQ(make().GetLumoraLink(), "<CENTER><B><FONT FACE=\"Times New Roman,Times\"><FONT SIZE=-1>Pages and "
                                      "thumbnails made with Pictorum Pro</FONT></FONT></B></CENTER>");
}

TEST_F(PageFragments, NavigationBar)
{
    const NavLink none;
    EXPECT_EQ(make().getnavigationstring({"a.html", "Previous Image"}, none, none, false), "");
    EXPECT_EQ(make().getnavigationstring(none, none, none, true), navBar("&nbsp;", "&nbsp;", "&nbsp;"));

    s().chkimagenavigationbar = true;
    s().chkBold = true;
    s().cmbLinkEnclosure.setIndex(3);
    in.options.ForceLowercase = true;
    EXPECT_EQ(make().getnavigationstring({"A.html", "Previous Image"}, {"C\"D.html", "Next Image"},
                                         {"Index.html", "Index"}, false),
              navBar("<a href=\"a.html\"><B>Previous Image</B></a>", "<B>[ <a href=\"index.html\">Index</a> ]</B>",
                     "<a href=\"c&quot;d.html\"><B>Next Image</B></a>"));

    // Custom images; the index cell keeps its text while no index image is set.
    s().Chkusecustombuttons = true;
    s().edtpreviousfile = "/prog/navgraph/Previous.GIF";
    s().edtnextfile = "/prog/navgraph/Next.gif";
    in.options.ForceLowercase = false;
    EXPECT_EQ(make().getnavigationstring({"a.html", "Previous Image"}, none, {"Index.html", "Index"}, false),
              navBar("<a href=\"a.html\"><img SRC=\"Previous.GIF\" ALT=\"Previous Image\" BORDER=0></a>",
                     "<B>[ <a href=\"Index.html\">Index</a> ]</B>", "&nbsp;"));
    s().edtindexfile = "/prog/navgraph/Index.gif";
    EXPECT_EQ(make().getnavigationstring(none, {"b.html", "Next Image"}, {"Index.html", "Index"}, false),
              navBar("&nbsp;", "<a href=\"Index.html\"><img SRC=\"Index.gif\" ALT=\"Index\" BORDER=0></a>",
                     "<a href=\"b.html\"><img SRC=\"Next.gif\" ALT=\"Next Image\" BORDER=0></a>"));
}

TEST_F(PageFragments, ThumbnailCells)
{
    in.images = {"pic.jpg", "My Pic.JPG"};
    EXPECT_EQ(make().thumbnailCell(0), "<td><center><a href=\"pic.jpg\"><img SRC=\"./thumbs/pic_thb.jpg\" BORDER=2></a>"
                                       "<br><a href=\"pic.jpg\">pic</a></center>\r\n</td>\r\n");
    s().Filename_Display = FilenameDisplay::None;
    s().spnImageborder.setValue(0);
    EXPECT_EQ(make().thumbnailCell(0),
              "<td><center><a href=\"pic.jpg\"><img SRC=\"./thumbs/pic_thb.jpg\" BORDER=0></a></center></td>\r\n");

    s().Filename_Display = FilenameDisplay::Normal;
    s().rdbHTMLImageWindow = true;
    s().cmbImageDisplayMethod.setIndex(1);
    s().chkBold = true;
    in.options.ForceLowercase = true;
    in.options.UseThumbsDirectory = false;
    EXPECT_EQ(make().thumbnailCell(1),
              "<td><center><a href=\"my pic.html\" target=\"_blank\"><img SRC=\"my pic_thb.jpg\" BORDER=0></a>"
              "<br><a href=\"my pic.html\" target=\"_blank\"><B>My Pic.JPG</B></a></center>\r\n</td>\r\n");
}

TEST_F(PageFragments, PageIndex)
{
    const PageGenerator vertical = make();
    EXPECT_EQ(vertical.CreateIndex(2, 3, false),
              "<TABLE>\r\n<TR>\r\n<TD>\r\n<A HREF=\"Index.html\">Page 1</A></TD>\r\n</TR>\r\n<TR>\r\n<TD>\r\nPage 2</TD>\r\n"
              "</TR>\r\n<TR>\r\n<TD>\r\n<A HREF=\"Index3.html\">Page 3</A></TD>\r\n</TR>\r\n</TABLE>\r\n");
    EXPECT_EQ(statuses, QStringList{"Creating Index for Page 2"});

    s().rgpIndexLayout.setIndex(1);
    s().edtpagenumberprefix = "Seite";
    EXPECT_EQ(make().CreateIndex(1, 2, false), "<TABLE>\r\n<TR>\r\n<TD>\r\nSeite 1</TD>\r\n<TD>\r\n"
                                               "<A HREF=\"Index2.html\">Seite 2</A></TD>\r\n</TR>\r\n</TABLE>\r\n");

    PageGenerator buttons = make();
    buttons.setPageButtonExtension(".jpg");
    EXPECT_EQ(buttons.CreateIndex(1, 2, true),
              "<TABLE>\r\n<TR>\r\n<TD>\r\n<IMG SRC=\"Page_Button_On_1.jpg\" BORDER=0></TD>\r\n<TD>\r\n"
              "<A HREF=\"Index2.html\"><IMG SRC=\"Page_Button_2.jpg\" BORDER=0></A></TD>\r\n</TR>\r\n</TABLE>\r\n");
    // Blanks of different kinds: each kind of button keeps its own extension.
    buttons.setPageButtonExtensions(".gif", ".jpg");
    EXPECT_EQ(buttons.CreateIndex(1, 2, true),
              "<TABLE>\r\n<TR>\r\n<TD>\r\n<IMG SRC=\"Page_Button_On_1.gif\" BORDER=0></TD>\r\n<TD>\r\n"
              "<A HREF=\"Index2.html\"><IMG SRC=\"Page_Button_2.jpg\" BORDER=0></A></TD>\r\n</TR>\r\n</TABLE>\r\n");
    in.options.ForceLowercase = true;
    EXPECT_EQ(make().CreateIndex(2, 2, true),
              "<TABLE>\r\n<TR>\r\n<TD>\r\n<A HREF=\"index.html\"><IMG SRC=\"page_button_1.gif\" BORDER=0></A></TD>\r\n"
              "<TD>\r\n<IMG SRC=\"page_button_on_2.gif\" BORDER=0></TD>\r\n</TR>\r\n</TABLE>\r\n");
    in.options.ForceLowercase = false;

    // The current page in the index font with its colour; the others in the page font face
    // with the index styles.
    s().rdbindexfontdefault = false;
    s().indexFontName = "Courier";
    s().rdbfontdefault = false;
    s().FontName = "Arial";
    s().chkindexBold = true;
    s().cmbIndexTextColour.setEntry(8);
    s().cmbLinkEnclosure.setIndex(1);
    EXPECT_EQ(make().CreateIndex(1, 2, false),
              "<TABLE>\r\n<TR>\r\n<TD>\r\n<B><FONT FACE=\"Courier\">&lt; <FONT COLOR=\"#FF0000\">Seite 1</FONT>&gt;</FONT></B>"
              "</TD>\r\n<TD>\r\n<B><FONT FACE=\"Arial\">&lt; <A HREF=\"Index2.html\">Seite 2</A>&gt;</FONT></B></TD>\r\n"
              "</TR>\r\n</TABLE>\r\n");
}

TEST_F(PageFragments, IndexOnlyWhereTheTemplateHasItAndItIsWanted)
{
    struct Case { bool token, wanted, imagePages; bool expected; } cases[] = {
        {true, true, false, true}, {false, true, false, false}, {true, false, false, false},
        {true, true, true, true}, {false, true, true, false}, {true, false, true, false},
    };
    for (const Case& c : cases) {
        (c.imagePages ? in.ImageTemplateTokens : in.ThumbTemplateTokens).index = c.token;
        (c.imagePages ? in.ThumbTemplateTokens : in.ImageTemplateTokens).index = !c.token;
        (c.imagePages ? s().chkIndexInImagePages : s().chkIndexInThumbPages) = c.wanted;
        (c.imagePages ? s().chkIndexInThumbPages : s().chkIndexInImagePages) = !c.wanted;
        EXPECT_EQ(!make().indexText(1, 2, c.imagePages).isEmpty(), c.expected)
            << c.token << c.wanted << c.imagePages;
    }
    s().chkImageButtons = true;
    in.ThumbTemplateTokens.index = s().chkIndexInThumbPages = true;
    EXPECT_FALSE(make().indexText(1, 2, false).contains("IMG")); // no button image named
    s().edtotherImageButton = "/b/other.gif";
    EXPECT_TRUE(make().indexText(1, 2, false).contains("<IMG SRC=\"Page_Button_On_1.gif\" BORDER=0>"));
}

TEST_F(PageFragments, ThumbnailGridOfTheLastPage)
{
    // 13 images, 3 x 2 a page: three pages; the last holds one image, one empty row.
    in.images = numberedImages(13);
    s().spnHorzCOunt.setValue(3);
    s().spnVertCOunt.setValue(2);
    s().Filename_Display = FilenameDisplay::None;
    in.options.UseThumbsDirectory = false;
    const QString tmpl = folder.write("t.htm", "***CONTENT***");
    s().cmbstyle = tmpl;
    PageGenerator g = make();
    EXPECT_EQ(thumbnailPageCount(13, g.thumbnailsPerPage()), 3);
    ASSERT_TRUE(g.createHTMLThumbpage(folder.file("Index3.html"), 3, "", 12, 3));
    const QString cell = "<td><center><a href=\"img13.jpg\"><img SRC=\"img13_thb.jpg\" BORDER=2></a></center></td>\r\n";
    EXPECT_EQ(QString::fromUtf8(folder.read("Index3.html")),
              credits + "<center><table CELLSPACING=3 CELLPADDING=10>\r\n<tr ALIGN=CENTER VALIGN=BOTTOM>\r\n" + cell
                  + "\r\n</tr>\r\n<tr ALIGN=CENTER VALIGN=BOTTOM>\r\n</tr>\r\n</table></center>\r\n<BR>&nbsp;"
                  + navBar("<a href=\"Index2.html\">Previous 6 Thumbnails</a>", "&nbsp;", "&nbsp;"));

    ASSERT_TRUE(g.createHTMLThumbpage(folder.file("Index2.html"), 2, "", 6, 3));
    EXPECT_TRUE(QString::fromUtf8(folder.read("Index2.html"))
                    .endsWith(navBar("<a href=\"Index.html\">Previous 6 Thumbnails</a>", "&nbsp;",
                                     "<a href=\"Index3.html\">Last 1 Thumbnails</a>")));
    ASSERT_TRUE(g.createHTMLThumbpage(folder.file("Index.html"), 1, "", 0, 3));
    EXPECT_TRUE(QString::fromUtf8(folder.read("Index.html"))
                    .endsWith(navBar("&nbsp;", "&nbsp;", "<a href=\"Index2.html\">Next 6 Thumbnails</a>")));
}

TEST_F(PageFragments, LastLinkCountsAFullPage)
{
    in.images = numberedImages(12);
    s().spnHorzCOunt.setValue(3);
    s().spnVertCOunt.setValue(2);
    s().cmbstyle = folder.write("t.htm", "***CONTENT***");
    PageGenerator g = make();
    ASSERT_TRUE(g.createHTMLThumbpage(folder.file("Index.html"), 1, "", 0, 2));
    EXPECT_TRUE(folder.read("Index.html").endsWith("<a href=\"Index2.html\">Last 6 Thumbnails</a></p></td>\r\n</tr>\r\n"
                                                   "</table></center>"));
}

TEST_F(PageFragments, PageHeadingUsesTheCompletedPrefix)
{
    struct Case { const char* prefix; const char* heading; } cases[] = {
        {"", "Page 2"}, {"Page", "Page 2"}, {"Gallery ", "Gallery 2"}, {"No.", "No. 2"},
    };
    in.images = numberedImages(2);
    s().chkThumbnailPageHeading = true;
    for (const Case& c : cases) {
        s().edtpagenumberprefix = c.prefix;
        const QString content = make().CreateThumbGrid(2, 1, {}, {});
        EXPECT_TRUE(content.startsWith(credits + "<center><H1>" + c.heading + "</H1></center><center><table"))
            << c.prefix;
    }
    EXPECT_EQ(completedPageNumberPrefix(""), "Page ");
    EXPECT_EQ(completedPageNumberPrefix("Page"), "Page ");
    EXPECT_EQ(completedPageNumberPrefix("Page  "), "Page  ");
}

TEST_F(PageFragments, ImagePageContent)
{
    in.images = {"a.jpg", "b b.png", "c.gif"};
    s().rdbHTMLImageWindow = true;
    s().cmbimagestyle = folder.write("image.htm", "<html>***CONTENT***</html>");
    s().chkImageHeading = true;
    s().chkmaximagesize = true;
    s().spnImageWidth.setValue(400);
    s().SpnImageHeight.setValue(300);
    s().chkimagenavigationbar = true;
    measured = QSize(1000, 500);
    PageGenerator g = make();
    ASSERT_TRUE(g.createHTMLImagepage(folder.file("b b.html"), 1, "", 1));
    EXPECT_EQ(measuredPaths, QStringList{folder.file("b b.png")});
    EXPECT_EQ(QString::fromUtf8(folder.read("b b.html")),
              "<html>" + credits + "<center><H1>b b</H1></center>\r\n<CENTER><IMG SRC=\"b b.png\" WIDTH=400 HEIGHT=200 >"
                  "</CENTER>\r\n<BR>&nbsp;"
                  + navBar("<a href=\"a.html\">Previous Image</a>", "<a href=\"Index.html\">Index</a>",
                           "<a href=\"c.html\">Next Image</a>")
                  + "</html>");

    // Nothing measured: no size attributes. No heading text: the plain name. No bar.
    measured.reset();
    s().Filename_Display = FilenameDisplay::None;
    s().chkimagenavigationbar = false;
    s().chkAddLumoraLink = true;
    pick = 4;
    PageGenerator plain = make();
    ASSERT_TRUE(plain.createHTMLImagepage(folder.file("a.html"), 0, "", 1));
    EXPECT_EQ(QString::fromUtf8(folder.read("a.html")),
              "<html>" + credits + "<center><H1>a.jpg</H1></center>\r\n<CENTER><IMG SRC=\"a.jpg\"></CENTER>\r\n"
                  "<BR>&nbsp;<CENTER><B><FONT FACE=\"Times New Roman,Times\"><FONT SIZE=-1>Thumbnail pages by Pictorum "
                  "Pro</FONT></FONT></B></CENTER>\r\n<BR>&nbsp;</html>");

    // Without image pages the bar links the images themselves.
    s().rdbHTMLImageWindow = false;
    s().chkimagenavigationbar = true;
    s().chkImageHeading = false;
    s().chkAddLumoraLink = false;
    s().chkmaximagesize = false;
    PageGenerator direct = make();
    ASSERT_TRUE(direct.createHTMLImagepage(folder.file("c.html"), 2, "", 4));
    EXPECT_EQ(QString::fromUtf8(folder.read("c.html")),
              "<html>" + credits + "\r\n<CENTER><IMG SRC=\"c.gif\"></CENTER>\r\n<BR>&nbsp;"
                  + navBar("<a href=\"b b.png\">Previous Image</a>", "<a href=\"Index4.html\">Index</a>", "&nbsp;")
                  + "</html>");
    EXPECT_FALSE(direct.createHTMLImagepage(folder.file("x.html"), 3, "", 1));
}

TEST_F(PageFragments, ImagesAreMeasuredByTheImageLibrary)
{
    InitPGraphic();
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(folder.file("photo.jpg"), "JPEG"));
    ASSERT_TRUE(picture.copy(0, 0, 50, 400).save(folder.file("Tall.BMP"), "BMP"));
    folder.write("broken.jpg", "\xff\xd8\xff\xe0 not really a picture");
    TPixelGraphic banner;
    banner.Allocate(500, 40, bcn8Bit);
    banner.SaveToFile(folder.file("banner.gif"));
    EXPECT_EQ(measureImageFile(folder.file("photo.jpg")), QSize(640, 480));
    EXPECT_EQ(measureImageFile(folder.file("banner.gif")), QSize(500, 40));
    EXPECT_EQ(measureImageFile(folder.file("Tall.BMP")), QSize(50, 400));
    EXPECT_EQ(measureImageFile(folder.file("broken.jpg")), std::nullopt);
    EXPECT_EQ(measureImageFile(folder.file("none.jpg")), std::nullopt);
    // A phone's upright photo: stored 640 x 480 and tagged to be turned a quarter round.
    QByteArray stored;
    QBuffer buffer(&stored);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "JPEG"));
    folder.write("upright.jpg", WithApp1(stored, ExifOrientationPayload(6)));
    folder.write("mirrored.jpg", WithApp1(stored, ExifOrientationPayload(2, false)));
    EXPECT_EQ(measureImageFile(folder.file("upright.jpg")), QSize(480, 640));
    EXPECT_EQ(measureImageFile(folder.file("mirrored.jpg")), QSize(640, 480));
    // Past the pixel memory at full size, but its header tells the size.
    folder.write("large.jpg", FlatBaselineJpeg(19000, 19000));
    EXPECT_EQ(measureImageFile(folder.file("large.jpg")), QSize(19000, 19000));
    const QString pipe = MakeFifo(folder.file("pipe.jpg"));
    std::optional<QSize> piped = QSize(1, 1);
    EXPECT_TRUE(ReturnsWithoutWaitingOn(pipe, [&] { piped = measureImageFile(pipe); }));
    EXPECT_EQ(piped, std::nullopt);

    in.images = {"photo.jpg", "Tall.BMP", "broken.jpg", "banner.gif", "upright.jpg"};
    s().cmbimagestyle = folder.write("image.htm", "***CONTENT***");
    s().chkmaximagesize = true;
    s().spnImageWidth.setValue(300);
    s().SpnImageHeight.setValue(300);
    PageGenerator g(in, PageServices{}); // the program's own measuring
    const char* expected[] = {"<IMG SRC=\"photo.jpg\" WIDTH=300 HEIGHT=225 >", "<IMG SRC=\"Tall.BMP\" WIDTH=37 HEIGHT=300 >",
                              "<IMG SRC=\"broken.jpg\">", "<IMG SRC=\"banner.gif\" WIDTH=300 HEIGHT=24 >",
                              "<IMG SRC=\"upright.jpg\" WIDTH=225 HEIGHT=300 >"};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(g.createHTMLImagepage(folder.file("page.html"), i, "", 1));
        EXPECT_TRUE(folder.read("page.html").contains(expected[i])) << expected[i];
    }
    DonePGraphic();
}

// A reader of the tests' own: "SIZED" files tell their size in the information, "SIZELESS" ones
// only when loaded (3 x 2).
class SizeReader : public TFileFormatReader {
public:
    SizeReader() : TFileFormatReader("TSizeReader", "siz", "Sizes", true) {}
    bool CheckSignature(const SignatureProbe& Header) const override { return Header[0] == 'S'; }
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override
    {
        TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
        if (Stream.peek(5) == "SIZED")
            Info.Width = 70, Info.Height = 9;
        if (Stream.peek(6) == "SILENT")
            throw EPixelGraphic("no information");
    }
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int) const override
    {
        ++loads;
        if (Stream.peek(9) != "SIZELESS ")
            throw EPixelGraphic("cannot load");
        Graphic.Allocate(3, 2, bcn24Bit);
    }
    mutable int loads = 0;
};

TEST(ImageMeasure, TheHeaderGivesTheSizeAndOnlyASizelessFormatIsLoaded)
{
    TempFolder folder;
    FormatRegistry registry;
    auto owned = std::make_unique<SizeReader>();
    const SizeReader& reader = *owned;
    registry.AddReader(std::move(owned));
    registry.Freeze();
    const struct { const char* content; std::optional<QSize> size; int loads; } cases[] = {
        {"SIZED", QSize(70, 9), 0},
        {"SIZELESS ", QSize(3, 2), 1},
        {"SIZELESS-BROKEN", std::nullopt, 1},
        {"SILENT", std::nullopt, 0}, // no information, nothing loaded
        {"PLAIN TEXT", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        const int before = reader.loads;
        EXPECT_EQ(measureImageFile(folder.write("a.siz", c.content), registry), c.size) << c.content;
        EXPECT_EQ(reader.loads - before, c.loads) << c.content;
    }
}

TEST_F(PageFragments, ScriptOnlyOnThumbnailPagesWithScriptMethods)
{
    in.images = {"a.jpg"};
    s().rdbHTMLImageWindow = true;
    s().cmbstyle = folder.write("t.htm", "<head></head>***CONTENT***");
    s().cmbimagestyle = s().cmbstyle;
    for (int method = 0; method < 4; ++method) {
        s().cmbImageDisplayMethod.setIndex(method);
        PageGenerator g = make();
        ASSERT_TRUE(g.createHTMLThumbpage(folder.file("i.html"), 1, "", 0, 1));
        ASSERT_TRUE(g.createHTMLImagepage(folder.file("a.html"), 0, "", 1));
        EXPECT_EQ(folder.read("i.html").contains("function openwin"), method >= 2) << method;
        EXPECT_FALSE(folder.read("a.html").contains("function openwin")) << method;
    }
}

TEST_F(PageFragments, PagesWithoutThumbnailsHaveNoContent)
{
    in.withoutThumbnails = true;
    s().cmbstyle = folder.write("t.htm", "[***CONTENT***][***INDEX***]");
    PageGenerator g = make();
    const QString index = g.indexText(2, 3, false);
    ASSERT_TRUE(g.createHTMLThumbpage(folder.file("Index2.html"), 2, index, 6, 3));
    EXPECT_EQ(QString::fromUtf8(folder.read("Index2.html")), "[][" + index + "]");
}

TEST_F(PageFragments, FailedPages)
{
    in.images = {"a.jpg"};
    s().cmbstyle = folder.file("missing.htm");
    s().cmbimagestyle = folder.file("missing.htm");
    PageGenerator g = make();
    EXPECT_FALSE(g.createHTMLThumbpage(folder.file("Index.html"), 1, "", 0, 1));
    EXPECT_FALSE(g.createHTMLImagepage(folder.file("a.html"), 0, "", 1));

    // An output path under a regular file cannot be written; an old page stays as it was.
    s().cmbstyle = folder.write("t.htm", "***CONTENT***");
    folder.write("plain", "x");
    EXPECT_FALSE(make().createHTMLThumbpage(folder.file("plain/Index.html"), 1, "", 0, 1));
    folder.write("Index.html", "old");
    EXPECT_FALSE(make().createHTMLThumbpage(folder.path() + "Index.html/x", 1, "", 0, 1));
    EXPECT_EQ(folder.read("Index.html"), "old");

    // A header list file that has gone fails the page.
    s().cmbHeader.setIndex(rotationentries::HeaderFile);
    s().edtheaderfile = folder.file("gone.txt");
    EXPECT_FALSE(make().createHTMLThumbpage(folder.file("Index.html"), 1, "", 0, 1));
    EXPECT_EQ(folder.read("Index.html"), "old");
}

TEST_F(PageFragments, FailedPagesSayWhy)
{
    in.images = {"a.jpg"};
    s().cmbstyle = folder.file("missing.htm");
    PageGenerator g = make();
    const platform::FileOutcome noTemplate = g.createHTMLThumbpage(folder.file("Index.html"), 1, "", 0, 1);
    EXPECT_FALSE(noTemplate.ok);
    EXPECT_EQ(noTemplate.reason, "Cannot read the template " + folder.file("missing.htm"));
    EXPECT_EQ(g.createHTMLImagepage(folder.file("x.html"), 1, "", 1).reason, "No image 1 in this build");

    s().cmbstyle = folder.write("t.htm", "***CONTENT***");
    s().cmbHeader.setIndex(rotationentries::HeaderFile);
    s().edtheaderfile = folder.file("gone.txt");
    s().cmbFooter.setIndex(rotationentries::HeaderFile);
    s().edtfooterfile = folder.file("gone too.txt");
    EXPECT_EQ(make().createHTMLThumbpage(folder.file("Index.html"), 1, "", 0, 1).reason,
              "Cannot read the list " + folder.file("gone.txt")); // the first that failed

    // A page that cannot be written carries the write's own reason.
    s().cmbHeader.setIndex(rotationentries::HeaderNone);
    s().cmbFooter.setIndex(rotationentries::HeaderNone);
    folder.write("plain", "x");
    const platform::FileOutcome unwritable = make().createHTMLThumbpage(folder.file("plain/Index.html"), 1, "", 0, 1);
    EXPECT_FALSE(unwritable.ok);
    EXPECT_TRUE(unwritable.reason.startsWith("Cannot write " + folder.file("plain/Index.html")))
        << unwritable.reason.toStdString();
}

TEST_F(PageFragments, EachTemplateIsReadOnceABuild)
{
    // The first page is written over the template file itself; the next page still comes from
    // the template as it was.
    in.images = numberedImages(2);
    s().spnHorzCOunt.setValue(1);
    s().spnVertCOunt.setValue(1);
    s().cmbstyle = folder.write("Index.html", "<t>***CONTENT***</t>");
    PageGenerator g = make();
    ASSERT_TRUE(g.createHTMLThumbpage(folder.file("Index.html"), 1, "", 0, 2));
    ASSERT_TRUE(g.createHTMLThumbpage(folder.file("Index2.html"), 2, "", 1, 2));
    const QByteArray second = folder.read("Index2.html");
    EXPECT_TRUE(second.startsWith("<t>") && second.endsWith("</t>"));
    EXPECT_TRUE(second.contains("img02_thb.jpg"));
    EXPECT_FALSE(second.contains("img01_thb.jpg"));
}

// ---- headers and footers ----

class HeadersFooters : public PageFragments {
protected:
    QByteArray next(PageGenerator& g, bool header, bool thumbnailPage)
    {
        const auto entry = g.getnextheaderfooter(header, thumbnailPage);
        EXPECT_TRUE(entry);
        return entry.value_or("<failed>");
    }
};

TEST_F(HeadersFooters, ChoiceOfTheEditorAndOfTheImagePages)
{
    s().cmbHeader.setIndex(rotationentries::HeaderHTML);
    s().edtheaderhtml = "Welcome to|my site";
    s().cmbFooter.setIndex(rotationentries::HeaderNone);
    s().edtfooterhtml = "unused";
    s().edtimageheaderhtml = "Image|header";
    s().edtimagefooterhtml = "Image footer";
    struct Case { int imageHeader, imageFooter; const char* header; const char* footer; } cases[] = {
        {rotationentries::ImageSameAsIndex, rotationentries::ImageSameAsIndex, "Welcome to\r\nmy site", ""},
        {rotationentries::ImageNone, rotationentries::ImageNone, "", ""},
        {rotationentries::ImageHTML, rotationentries::ImageHTML, "Image\r\nheader", "Image footer"},
        {-1, -1, "", ""},
    };
    for (const Case& c : cases) {
        s().cmbimageHeader.setIndex(c.imageHeader);
        s().cmbimageFooter.setIndex(c.imageFooter);
        PageGenerator g = make();
        EXPECT_EQ(next(g, true, true), "Welcome to\r\nmy site");
        EXPECT_EQ(next(g, false, true), "");
        EXPECT_EQ(next(g, true, false), c.header) << c.imageHeader;
        EXPECT_EQ(next(g, false, false), c.footer) << c.imageFooter;
    }
}

TEST_F(HeadersFooters, NothingWhereTheTemplateLacksTheToken)
{
    s().cmbHeader.setIndex(rotationentries::HeaderHTML);
    s().edtheaderhtml = "H";
    s().cmbFooter.setIndex(rotationentries::HeaderHTML);
    s().edtfooterhtml = "F";
    in.ThumbTemplateTokens = {true, true, false, true};
    in.ImageTemplateTokens = {true, true, true, false};
    PageGenerator g = make();
    EXPECT_EQ(next(g, true, true), "");
    EXPECT_EQ(next(g, false, true), "F");
    EXPECT_EQ(next(g, true, false), "H");
    EXPECT_EQ(next(g, false, false), "");
}

TEST_F(HeadersFooters, ListFilesWrapAndRestart)
{
    s().cmbHeader.setIndex(rotationentries::HeaderFile);
    s().edtheaderfile = folder.write("Site_1_Headers.txt", "<b>One</b>|line two\r\nTwo\r\n");
    s().cmbFooter.setIndex(rotationentries::HeaderFile);
    s().edtfooterfile = folder.write("Site_1_Footers.txt", "F1\r\nF2\r\nF3\r\n");
    PageGenerator g = make();
    EXPECT_EQ(next(g, true, true), "<b>One</b>\r\nline two");
    EXPECT_EQ(next(g, true, true), "Two");
    EXPECT_EQ(next(g, true, true), "<b>One</b>\r\nline two");
    EXPECT_EQ(next(g, false, true), "F1"); // separate positions
    EXPECT_EQ(next(g, false, true), "F2");
    g.restartHeaderFooterLists();
    EXPECT_EQ(next(g, true, true), "<b>One</b>\r\nline two");
    EXPECT_EQ(next(g, false, true), "F1");
}

TEST_F(HeadersFooters, ImagePagesFirstThenThumbnailPagesFromTheStart)
{
    // The build makes the image pages first, restarts the lists, then makes the thumbnail pages.
    in.images = {"a.jpg", "b.jpg", "c.jpg"};
    s().rdbHTMLImageWindow = true;
    s().cmbstyle = folder.write("t.htm", "<h>***HEADER***</h>***CONTENT***");
    s().cmbimagestyle = folder.write("i.htm", "<h>***HEADER***</h>");
    s().cmbHeader.setIndex(rotationentries::HeaderFile);
    s().edtheaderfile = folder.write("h.txt", "H1\r\nH2\r\n");
    s().spnHorzCOunt.setValue(1);
    s().spnVertCOunt.setValue(1);
    PageGenerator g = make();
    g.restartHeaderFooterLists();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(g.createHTMLImagepage(folder.file(QString("i%1.html").arg(i)), i, "", i + 1));
    g.restartHeaderFooterLists();
    for (int p = 1; p <= 3; ++p)
        ASSERT_TRUE(g.createHTMLThumbpage(folder.file(QString("t%1.html").arg(p)), p, "", p - 1, 3));
    QByteArrayList headers;
    for (const char* f : {"i0.html", "i1.html", "i2.html", "t1.html", "t2.html", "t3.html"})
        headers << folder.read(f).mid(3, 2);
    EXPECT_EQ(headers, (QByteArrayList{"H1", "H2", "H1", "H1", "H2", "H1"}));
}

TEST_F(HeadersFooters, AnotherListFileIsLoadedAndStartsAtItsFirstEntry)
{
    s().cmbHeader.setIndex(rotationentries::HeaderFile);
    s().edtheaderfile = folder.write("a.txt", "A1\r\nA2\r\n");
    s().cmbimageHeader.setIndex(rotationentries::ImageFile);
    s().edtimageheaderfile = folder.write("b.txt", "B1\nB2\n");
    PageGenerator g = make();
    EXPECT_EQ(next(g, true, true), "A1");
    EXPECT_EQ(next(g, true, false), "B1");
    EXPECT_EQ(next(g, true, false), "B2");
    EXPECT_EQ(next(g, true, true), "A1");
    // The same file under another case of its name is not loaded again.
    s().edtimageheaderfile = folder.file("A.TXT");
    PageGenerator h = make();
    EXPECT_EQ(next(h, true, true), "A1");
    EXPECT_EQ(next(h, true, false), "A2");
}

TEST_F(HeadersFooters, EmptyListGivesEmptyHeaderAndMissingListFails)
{
    s().cmbHeader.setIndex(rotationentries::HeaderFile);
    s().edtheaderfile = folder.write("empty.txt", "");
    PageGenerator g = make();
    EXPECT_EQ(next(g, true, true), "");
    EXPECT_EQ(next(g, true, true), "");
    s().edtheaderfile = folder.file("missing.txt");
    EXPECT_FALSE(make().getnextheaderfooter(true, true));
    s().edtheaderfile = folder.mkdir("dir.txt");
    EXPECT_FALSE(make().getnextheaderfooter(true, true));
}

TEST(PageCountTest, ImagesPerPage)
{
    struct Case { int total, perPage, pages; } cases[] = {
        {10, 20, 1}, {20, 20, 1}, {21, 20, 2}, {13, 6, 3}, {0, 20, 0}, {1, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(thumbnailPageCount(c.total, c.perPage), c.pages) << c.total << " " << c.perPage;
}

} // namespace
