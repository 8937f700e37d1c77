#include "tempfolder.h"
#include "app/settings/rotationsection.h"

#include "platform/inifile.h"

#include <gtest/gtest.h>

namespace {

class RotationSection : public ::testing::Test {
protected:
    TempFolder prog;
    QString programFolder = prog.path();

    // Loads [Rotation_1] with the given body over the start record.
    RotationSettings load(const QByteArray& body, RotationSettings start = {}) const
    {
        const auto doc = platform::IniDocument::parse("[Rotation_1]\r\n" + body);
        LoadRotation(doc, programFolder, 1, start);
        return start;
    }

    QByteArray save(const RotationSettings& s, const RotationPlace* place, int n = 1)
    {
        platform::IniFile file(prog.file("Site_1.ini"));
        EXPECT_TRUE(SaveRotation(file, programFolder, n, s, place));
        return prog.exists("Site_1.ini") ? prog.read("Site_1.ini") : QByteArray();
    }

    RotationSettings roundTrip(const RotationSettings& s)
    {
        save(s, nullptr);
        RotationSettings back;
        LoadRotation(platform::IniFile(prog.file("Site_1.ini")).read(), programFolder, 1, back);
        return back;
    }
};

// A record with every setting away from its default.
RotationSettings changedSettings(const QString& prog)
{
    RotationSettings s;
    s.cmbstyle = prog + "Styles/Index.htm";
    s.cmbHeader.setIndex(rotationentries::HeaderHTML);
    s.edtheaderhtml = "<b>head</b>|<i>line</i>";
    s.cmbFooter.setIndex(rotationentries::HeaderFile);
    s.edtfooterfile = prog + "Site_1_Footers.txt";
    s.SpnThumbW.setValue(150);
    s.SpnThumbH.setValue(120);
    s.spnJPEGQuality.setValue(85);
    s.spnHorzCOunt.setValue(3);
    s.spnVertCOunt.setValue(2);
    s.spnImageborder.setValue(0);
    s.spnCellPadding.setValue(7);
    s.spnCellSpacing.setValue(20);
    s.Filename_Display = FilenameDisplay::DescriptionFile;
    s.edtdescripfile = prog + "desc.csv";
    s.chkShowFIlenameWhenNoDesc = false;
    s.rgpIndexLayout.setIndex(1);
    s.edtpagenumberprefix = "Seite";
    s.chkImageButtons = true;
    s.edtSelectedImageButton = "/images/on.gif";
    s.edtotherImageButton = "/images/off.gif";
    s.chkIndexInThumbPages = false;
    s.chkIndexInImagePages = false;
    s.cmbIndexTextColour.setEntry(8);
    s.cmbNonCurrentIndexText.setPicked(rgbColour(0x12, 0x34, 0x56));
    s.rdbindexfontdefault = false;
    s.indexFontName = "Verdana";
    s.chkindexBold = true;
    s.chkindexitalics = true;
    s.cmbindexFontsize.setIndex(6);
    s.SpnindexImageFontsize.setValue(24);
    s.cmbLinkEnclosure.setIndex(3);
    s.cmbLinkEncColour.setEntry(13);
    s.rdbHTMLImageWindow = true;
    s.cmbimagestyle = prog + "Styles/Image.htm";
    s.chkImageHeading = true;
    s.cmbimageHeader.setIndex(rotationentries::ImageHTML);
    s.edtimageheaderhtml = "<p>image head</p>";
    s.cmbimageFooter.setIndex(rotationentries::ImageFile);
    s.edtimagefooterfile = "/lists/foot.txt";
    s.chkUseSameNavGraphics = false;
    s.chkimagenavigationbar = true;
    s.chkmaximagesize = true;
    s.spnImageWidth.setValue(800);
    s.SpnImageHeight.setValue(600);
    s.rdbfontdefault = false;
    s.FontName = "Arial,Helvetica";
    s.chkBold = true;
    s.chkitalics = true;
    s.cmbFontsize.setIndex(0);
    s.Cmbheadingsize.setIndex(3);
    s.cmbHeadingColour.setEntry(10);
    s.chkAddLumoraLink = true;
    s.chkThumbnailPageHeading = true;
    s.Chkusecustombuttons = true;
    s.edtpreviousfile = prog + "navgraph/Previous.gif";
    s.edtnextfile = prog + "navgraph/Next.gif";
    s.edtindexfile = "/nav/index.gif";
    s.cmbImageDisplayMethod.setIndex(3);
    return s;
}

QByteArray section(const char* lines)
{
    return QByteArray(lines).replace("\n", "\r\n");
}

TEST_F(RotationSection, WritesEveryKeyInOrder)
{
    const RotationPlace place{RotationBuilt, programFolder + "Site_1/Rotation_1"};
    EXPECT_EQ(save(RotationSettings{}, &place), section("[Rotation_1]\n"
                                                         "Status=2\n"
                                                         "Rotation_Path=%/Site_1/Rotation_1\n"
                                                         "Style_File=\n"
                                                         "Header_File=\n"
                                                         "Header_HTML=\n"
                                                         "Footer_File=\n"
                                                         "Footer_HTML=\n"
                                                         "ImageNavigationBar=False\n"
                                                         "LumoraLink=False\n"
                                                         "IndexInThumbPages=True\n"
                                                         "IndexInImagePages=True\n"
                                                         "Page_Position_Heading=False\n"
                                                         "Page_Position_Heading_Size=0\n"
                                                         "Thumb_Width=100\n"
                                                         "Cell_Padding=10\n"
                                                         "Cell_Spacing=3\n"
                                                         "Thumb_Height=100\n"
                                                         "Thumb_Border=2\n"
                                                         "Thumb_JPEG_Quality=70\n"
                                                         "Horizontal_Thumb_Count=5\n"
                                                         "Vertical_Thumb_Count=4\n"
                                                         "Default_Font=\n"
                                                         "Default_Font_Size=0\n"
                                                         "Index_Font=\n"
                                                         "Index_Font_Size=0\n"
                                                         "Index_Image_Font_Size=10\n"
                                                         "Previous_Page_File=\n"
                                                         "Next_Page_File=\n"
                                                         "Return_To_Index_File=\n"
                                                         "Image_Display_Method=0\n"
                                                         "Selected_Page_Index_File=\n"
                                                         "Other_Page_Index_File=\n"
                                                         "Filename_Display=HideExt\n"
                                                         "Description_File=\n"
                                                         "ShowFilenameWhenNoDesc=True\n"
                                                         "Displayed_Page_Text_Colour=Default\n"
                                                         "Other_Page_Text_Colour=Default\n"
                                                         "Link_Enclosure_Colour=Default\n"
                                                         "Heading_Colour=Default\n"
                                                         "Page_Number_Prefix=Page\n"
                                                         "Link_Enclosure=0\n"
                                                         "Index_Layout=Vertical\n"
                                                         "DisplayAsImage=True\n"
                                                         "Image_Style_File=\n"
                                                         "Image_Header_Same_As_Index=True\n"
                                                         "Image_Header_File=\n"
                                                         "Image_Header_HTML=\n"
                                                         "Image_Footer_Same_As_Index=True\n"
                                                         "Image_Footer_File=\n"
                                                         "Image_Footer_HTML=\n"
                                                         "Image_Width=NA\n"
                                                         "Image_Height=NA\n"
                                                         "Image_Heading=False\n"
                                                         "Image_UseSameNavGraphics=True\n"
                                                         "Default_Font_Bold=False\n"
                                                         "Default_Font_Italics=False\n"
                                                         "Index_Font_Bold=False\n"
                                                         "Index_Font_Italics=False\n"));
}

TEST_F(RotationSection, WritesTheValueFormsOfChangedSettings)
{
    const QByteArray file = save(changedSettings(programFolder), nullptr, 3);
    const auto doc = platform::IniDocument::parse(file);
    EXPECT_FALSE(doc.value("Rotation_3", "Status"));
    EXPECT_FALSE(doc.value("Rotation_3", "Rotation_Path"));
    const struct { const char* key; const char* value; } expected[] = {
        {"Style_File", "%/Styles/Index.htm"},
        {"Header_File", ""},
        {"Header_HTML", "<b>head</b>|<i>line</i>"},
        {"Footer_File", "%/Site_1_Footers.txt"},
        {"Footer_HTML", ""},
        {"Page_Position_Heading_Size", "3"},
        {"Default_Font", "Arial,Helvetica"},
        {"Default_Font_Size", "-2"},
        {"Index_Font", "Verdana"},
        {"Index_Font_Size", "4"},
        {"Previous_Page_File", "%/navgraph/Previous.gif"},
        {"Return_To_Index_File", "/nav/index.gif"},
        {"Image_Display_Method", "3"},
        {"Selected_Page_Index_File", "/images/on.gif"},
        {"Filename_Display", "DescriptionFile"},
        {"Description_File", "%/desc.csv"},
        {"Displayed_Page_Text_Colour", "$000000FF"},
        {"Other_Page_Text_Colour", "$00563412"},
        {"Link_Enclosure_Colour", "$00FF00FF"},
        {"Heading_Colour", "$00800000"}, // navy
        {"Page_Number_Prefix", "Seite"},
        {"Link_Enclosure", "3"},
        {"Index_Layout", "Horizontal"},
        {"DisplayAsImage", "False"},
        {"Image_Style_File", "%/Styles/Image.htm"},
        {"Image_Header_Same_As_Index", "False"},
        {"Image_Header_File", ""},
        {"Image_Header_HTML", "<p>image head</p>"},
        {"Image_Footer_Same_As_Index", "False"},
        {"Image_Footer_File", "/lists/foot.txt"},
        {"Image_Footer_HTML", ""},
        {"Image_Width", "800"},
        {"Image_Height", "600"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(doc.value("Rotation_3", e.key), QString::fromUtf8(e.value)) << e.key;
    EXPECT_EQ(doc.sectionKeys("Rotation_3").size(), 56);
}

TEST_F(RotationSection, EverySettingSurvivesARoundTrip)
{
    const RotationSettings s = changedSettings(programFolder);
    EXPECT_EQ(roundTrip(s), s);

    RotationSettings other = s;
    other.cmbimageHeader.setIndex(rotationentries::ImageFile);
    other.edtimageheaderfile = programFolder + "heads.txt";
    other.edtimageheaderhtml.clear();
    other.cmbimageFooter.setIndex(rotationentries::ImageNone);
    other.edtimagefooterfile.clear();
    other.cmbHeader.setIndex(rotationentries::HeaderFile);
    other.edtheaderfile = "/lists/heads.txt";
    other.edtheaderhtml.clear();
    other.cmbFooter.setIndex(rotationentries::HeaderNone);
    other.edtfooterfile.clear();
    other.Filename_Display = FilenameDisplay::None;
    other.cmbHeadingColour.setPicked(rgbColour(1, 2, 3));
    EXPECT_EQ(roundTrip(other), other);
}

// A hand-edited or Latin-1 site file: its header HTML keeps its bytes through load and save;
// an edited one is written in UTF-8.
TEST_F(RotationSection, HeaderHtmlThatIsNotUtf8KeepsItsBytes)
{
    prog.write("Site_1.ini", "[Rotation_1]\r\nHeader_HTML=<b>caf\xe9</b>\r\n");
    RotationSettings s;
    LoadRotation(platform::IniFile(prog.file("Site_1.ini")).read(), programFolder, 1, s);
    EXPECT_TRUE(save(s, nullptr).contains("\r\nHeader_HTML=<b>caf\xe9</b>\r\n"));
    s.edtheaderhtml = QString::fromUtf8("<b>caf\xc3\xa9</b>");
    EXPECT_TRUE(save(s, nullptr).contains("\r\nHeader_HTML=<b>caf\xc3\xa9</b>\r\n"));
}

TEST_F(RotationSection, OptionalTextsAreWrittenEmptyWhenTheirSwitchIsOff)
{
    RotationSettings s = changedSettings(programFolder);
    s.Chkusecustombuttons = false;
    s.chkImageButtons = false;
    s.rdbfontdefault = true;
    s.rdbindexfontdefault = true;
    s.chkmaximagesize = false;
    s.cmbHeader.setIndex(rotationentries::HeaderNone);
    s.cmbimageHeader.setIndex(rotationentries::ImageSameAsIndex);
    s.edtimageheaderfile = "/kept/in/the/control.txt";
    s.cmbImageDisplayMethod.setIndex(-1);
    const auto doc = platform::IniDocument::parse(save(s, nullptr));
    for (const char* key : {"Previous_Page_File", "Next_Page_File", "Return_To_Index_File", "Selected_Page_Index_File",
                            "Other_Page_Index_File", "Default_Font", "Index_Font", "Header_File", "Header_HTML",
                            "Image_Header_File", "Image_Header_HTML"})
        EXPECT_EQ(doc.value("Rotation_1", key), QString()) << key;
    EXPECT_EQ(doc.value("Rotation_1", "Image_Header_Same_As_Index"), "True");
    EXPECT_EQ(doc.value("Rotation_1", "Image_Width"), "NA");
    EXPECT_EQ(doc.value("Rotation_1", "Image_Height"), "NA");
    EXPECT_FALSE(doc.value("Rotation_1", "Image_Display_Method")); // written only with a selection

    // The texts stay in the record, and "same as index" comes back as such.
    const RotationSettings back = roundTrip(s);
    EXPECT_EQ(back.cmbimageHeader.index(), rotationentries::ImageSameAsIndex);
    EXPECT_EQ(back.FontName, QString());
    EXPECT_TRUE(back.rdbfontdefault);
}

TEST_F(RotationSection, KeepsForeignKeysAndOtherSectionsAndNeverWritesANegativeRotation)
{
    prog.write("Site_1.ini", "[General]\r\nName=Shop\r\n[Rotation_1]\r\nStatus=2\r\nSomething=kept\r\n");
    save(RotationSettings{}, nullptr, -1);
    EXPECT_EQ(prog.read("Site_1.ini"), QByteArray("[General]\r\nName=Shop\r\n[Rotation_1]\r\nStatus=2\r\nSomething=kept\r\n"));
    const auto doc = platform::IniDocument::parse(save(RotationSettings{}, nullptr, 1));
    EXPECT_EQ(doc.value("General", "Name"), "Shop");
    EXPECT_EQ(doc.value("Rotation_1", "Status"), "2");
    EXPECT_EQ(doc.value("Rotation_1", "Something"), "kept");
    EXPECT_EQ(doc.sectionKeys("Rotation_1").mid(0, 3), QStringList({"Status", "Something", "Style_File"}));
}

TEST_F(RotationSection, AFailedSaveIsReported)
{
    prog.write("blocker", "a file where a folder is expected");
    platform::IniFile file(prog.file("blocker/Site_1.ini"));
    EXPECT_FALSE(SaveRotation(file, programFolder, 1, RotationSettings{}, nullptr));
}

// ---- reading ----

TEST_F(RotationSection, ASectionWithOnlyStatusKeepsSizesColoursAndTexts)
{
    RotationSettings before = changedSettings(programFolder);
    const RotationSettings after = load("Status=2\r\n", before);
    EXPECT_EQ(after.SpnThumbW.value(), 150);
    EXPECT_EQ(after.SpnThumbH.value(), 120);
    EXPECT_EQ(after.spnCellSpacing.value(), 20);
    EXPECT_EQ(after.cmbIndexTextColour, before.cmbIndexTextColour);
    EXPECT_EQ(after.cmbNonCurrentIndexText, before.cmbNonCurrentIndexText);
    EXPECT_EQ(after.cmbHeadingColour, before.cmbHeadingColour);
    EXPECT_EQ(after.edtpagenumberprefix, "Seite");
    EXPECT_EQ(after.cmbstyle, before.cmbstyle);
    EXPECT_EQ(after.FontName, "Arial,Helvetica");
    EXPECT_FALSE(after.rdbfontdefault);
    EXPECT_EQ(after.cmbLinkEnclosure.index(), 3);
    EXPECT_EQ(after.cmbImageDisplayMethod.index(), 3);
    EXPECT_EQ(after.Cmbheadingsize.index(), 3);
    EXPECT_EQ(after.edtdescripfile, before.edtdescripfile);
    EXPECT_EQ(after.cmbimagestyle, before.cmbimagestyle);
    // The header and footer keys have defaults of their own: nothing of another rotation stays.
    EXPECT_EQ(after.cmbimageHeader.index(), rotationentries::ImageNone);
    EXPECT_EQ(after.edtimageheaderhtml, QString());
    EXPECT_EQ(after.cmbHeader.index(), rotationentries::HeaderNone);
    EXPECT_EQ(after.edtheaderhtml, QString());
    EXPECT_EQ(after.edtfooterfile, QString());
}

TEST_F(RotationSection, MissingKeysTakeTheirOwnDefaultsWhichDifferFromAFreshRecord)
{
    const RotationSettings fresh;
    const RotationSettings loaded = load("");
    struct Case { const char* what; bool fresh, loaded; } cases[] = {
        {"link-back line", fresh.chkAddLumoraLink, loaded.chkAddLumoraLink},
        {"position heading", fresh.chkThumbnailPageHeading, loaded.chkThumbnailPageHeading},
        {"image heading", fresh.chkImageHeading, loaded.chkImageHeading},
        {"image navigation bar", fresh.chkimagenavigationbar, loaded.chkimagenavigationbar},
        {"file name with extension", fresh.rdbshowfilenamewithext(), loaded.rdbshowfilenamewithext()},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.fresh) << c.what;
        EXPECT_TRUE(c.loaded) << c.what;
    }
    EXPECT_TRUE(fresh.rdbshowfilenamenoext());
    // and the ones that agree
    EXPECT_TRUE(loaded.chkIndexInThumbPages);
    EXPECT_TRUE(loaded.chkIndexInImagePages);
    EXPECT_TRUE(loaded.chkShowFIlenameWhenNoDesc);
    EXPECT_EQ(loaded.rgpIndexLayout.index(), 0);
    EXPECT_TRUE(loaded.rdbDisplayasimage());
    EXPECT_FALSE(loaded.chkmaximagesize);
    EXPECT_FALSE(loaded.chkBold);
    EXPECT_FALSE(loaded.chkindexitalics);
    EXPECT_EQ(loaded.cmbHeader.index(), 0);
    EXPECT_FALSE(loaded.chkUseSameNavGraphics); // no custom buttons
}

TEST_F(RotationSection, ABadNumberCountsAsMissingAndTheGuardedKeysAfterItAreStillRead)
{
    RotationSettings start;
    start.SpnThumbW.setValue(300);
    const RotationSettings s = load("Thumb_Width=wide\r\nThumb_Height=220\r\nThumb_Border=5\r\nThumb_JPEG_Quality=x\r\n"
                                    "Horizontal_Thumb_Count=7\r\nVertical_Thumb_Count=\r\nLink_Enclosure=2\r\n"
                                    "Default_Font=Georgia\r\nDefault_Font_Size=1\r\nIndex_Font=Tahoma\r\n"
                                    "Index_Font_Size=-1\r\nIndex_Image_Font_Size=12\r\nCell_Spacing=9\r\n"
                                    "Cell_Padding=25\r\n",
                                    start);
    EXPECT_EQ(s.SpnThumbW.value(), 300);
    EXPECT_EQ(s.SpnThumbH.value(), 220);
    EXPECT_EQ(s.spnImageborder.value(), 5);
    EXPECT_EQ(s.spnJPEGQuality.value(), 70);
    EXPECT_EQ(s.spnHorzCOunt.value(), 7);
    EXPECT_EQ(s.spnVertCOunt.value(), 4);
    EXPECT_EQ(s.cmbLinkEnclosure.index(), 2);
    EXPECT_EQ(s.FontName, "Georgia");
    EXPECT_TRUE(s.rdbfontcustom());
    EXPECT_EQ(s.cmbFontsize.index(), 3);
    EXPECT_EQ(s.indexFontName, "Tahoma");
    EXPECT_TRUE(s.rdbindexfontcustom());
    EXPECT_EQ(s.cmbindexFontsize.index(), 1);
    EXPECT_EQ(s.SpnindexImageFontsize.value(), 12);
    EXPECT_EQ(s.spnCellSpacing.value(), 9);
    EXPECT_EQ(s.spnCellPadding.value(), 25);
}

TEST_F(RotationSection, AnIndexImageFontSizeThatIsNoNumberGivesTen)
{
    RotationSettings start;
    start.SpnindexImageFontsize.setValue(40);
    const RotationSettings s = load("Index_Image_Font_Size=big\r\nCell_Spacing=1\r\nCell_Padding=2\r\n", start);
    EXPECT_EQ(s.SpnindexImageFontsize.value(), 10);
    EXPECT_EQ(s.spnCellSpacing.value(), 1);
    EXPECT_EQ(s.spnCellPadding.value(), 2);
    EXPECT_EQ(load("", start).SpnindexImageFontsize.value(), 40); // missing: unchanged
}

TEST_F(RotationSection, StoredNumbersOutsideTheRangesClampOrSelectNothing)
{
    const RotationSettings s = load("Thumb_Width=5\r\nThumb_Height=99999\r\nThumb_JPEG_Quality=0\r\n"
                                    "Horizontal_Thumb_Count=101\r\nCell_Padding=-4\r\nLink_Enclosure=9\r\n"
                                    "Default_Font_Size=5\r\nIndex_Font_Size=-3\r\nImage_Display_Method=4\r\n"
                                    "Page_Position_Heading_Size=4\r\nIndex_Image_Font_Size=1\r\n");
    EXPECT_EQ(s.SpnThumbW.value(), 20);
    EXPECT_EQ(s.SpnThumbH.value(), 900);
    EXPECT_EQ(s.spnJPEGQuality.value(), 1);
    EXPECT_EQ(s.spnHorzCOunt.value(), 100);
    EXPECT_EQ(s.spnCellPadding.value(), 0);
    EXPECT_EQ(s.SpnindexImageFontsize.value(), 2);
    for (const ListChoice* c : {&s.cmbLinkEnclosure, &s.cmbFontsize, &s.cmbindexFontsize, &s.cmbImageDisplayMethod,
                                &s.Cmbheadingsize})
        EXPECT_FALSE(c->hasSelection());
    // Hand-edited numbers at the ends of 64 bits select nothing.
    const RotationSettings huge = load("Default_Font_Size=9223372036854775807\r\nIndex_Font_Size=-9223372036854775808\r\n"
                                       "Link_Enclosure=9223372036854775807\r\nThumb_Width=-9223372036854775808\r\n");
    EXPECT_FALSE(huge.cmbFontsize.hasSelection());
    EXPECT_FALSE(huge.cmbindexFontsize.hasSelection());
    EXPECT_FALSE(huge.cmbLinkEnclosure.hasSelection());
    EXPECT_EQ(huge.SpnThumbW.value(), 20);
    RotationSettings filled = s;
    filled.SetDefaultValues();
    EXPECT_EQ(filled.cmbFontsize.text(), "Default");
    EXPECT_EQ(filled.Cmbheadingsize.index(), 0);
}

TEST_F(RotationSection, SmallNumberRules)
{
    RotationSettings start;
    start.Cmbheadingsize.setIndex(2);
    start.cmbImageDisplayMethod.setIndex(2);
    struct Case { const char* body; int heading; int method; } cases[] = {
        {"", 2, 2},
        {"Page_Position_Heading_Size=-1\r\n", 1, 2},
        {"Page_Position_Heading_Size=-9\r\n", 1, 2},
        {"Page_Position_Heading_Size=0\r\n", 0, 2},
        {"Page_Position_Heading_Size=x\r\n", 2, 2},
        {"Image_Display_Method=1\r\n", 2, 1},
        {"Image_Display_Method=\r\n", 2, 0},
        {"Image_Display_Method=two\r\n", 2, 0},
    };
    for (const Case& c : cases) {
        const RotationSettings s = load(c.body, start);
        EXPECT_EQ(s.Cmbheadingsize.index(), c.heading) << c.body;
        EXPECT_EQ(s.cmbImageDisplayMethod.index(), c.method) << c.body;
    }
}

TEST_F(RotationSection, ImageSizesNeedTwoNumbers)
{
    RotationSettings start;
    start.chkmaximagesize = true;
    start.spnImageWidth.setValue(700);
    start.SpnImageHeight.setValue(500);
    struct Case { const char* body; bool checked; int width, height; } cases[] = {
        {"Image_Width=NA\r\nImage_Height=300\r\n", false, 700, 500},
        {"Image_Width=400\r\nImage_Height=NA\r\n", false, 700, 500},
        {"Image_Width=400\r\n", false, 700, 500},
        {"", false, 700, 500},
        {"Image_Width=400\r\nImage_Height=300\r\n", true, 400, 300},
        {"Image_Width=50\r\nImage_Height=9000\r\n", true, 100, 5000},
    };
    for (const Case& c : cases) {
        const RotationSettings s = load(c.body, start);
        EXPECT_EQ(s.chkmaximagesize, c.checked) << c.body;
        EXPECT_EQ(s.spnImageWidth.value(), c.width) << c.body;
        EXPECT_EQ(s.SpnImageHeight.value(), c.height) << c.body;
    }
}

TEST_F(RotationSection, ImagePageKeysAreTheRotationsOwnWhateverTheImageDisplay)
{
    const QByteArray keys = "Image_Style_File=%/Styles/Img.htm\r\nImage_Header_Same_As_Index=False\r\n"
                            "Image_Header_File=\r\nImage_Header_HTML=<b>x</b>\r\n"
                            "Image_Footer_Same_As_Index=True\r\nImage_Footer_File=%\\foot.txt\r\n";
    RotationSettings start;
    start.cmbimageHeader.setIndex(0);
    start.cmbimageFooter.setIndex(0);

    for (const char* display : {"DisplayAsImage=True\r\n", "DisplayAsImage=False\r\n", "DisplayAsImage=false\r\n"}) {
        const RotationSettings pages = load(display + keys, start);
        EXPECT_EQ(pages.rdbHTMLImageWindow, QByteArray(display) != "DisplayAsImage=True\r\n") << display;
        EXPECT_EQ(pages.cmbimagestyle, programFolder + "Styles/Img.htm");
        EXPECT_EQ(pages.cmbimageHeader.index(), rotationentries::ImageHTML);
        EXPECT_EQ(pages.edtimageheaderhtml, "<b>x</b>");
        // "same as the index pages" decides, whatever the texts hold
        EXPECT_EQ(pages.cmbimageFooter.index(), rotationentries::ImageSameAsIndex);
        EXPECT_EQ(pages.edtimagefooterfile, programFolder + "foot.txt");
    }
    EXPECT_FALSE(load("DisplayAsImage=no\r\n").rdbHTMLImageWindow);
    EXPECT_EQ(load("DisplayAsImage=False\r\n", start).cmbimageHeader.index(), rotationentries::ImageNone);
}

TEST_F(RotationSection, HeaderChoiceFollowsWhichKeyHoldsText)
{
    RotationSettings start;
    start.edtheaderhtml = "old html";
    start.edtheaderfile = "/old/file.txt";
    start.cmbHeader.setIndex(rotationentries::HeaderHTML);
    // What the previous rotation held never stays: an absent or empty key reads as "".
    struct Case { const char* body; int choice; const char* html; const char* file; } cases[] = {
        {"", 0, "", ""},
        {"Header_File=\r\nHeader_HTML=\r\n", 0, "", ""},
        {"Header_HTML=<i>hi</i>\r\n", 1, "<i>hi</i>", ""},
        {"Header_File=/lists/h.txt\r\nHeader_HTML=\r\n", 2, "", "/lists/h.txt"},
        {"Header_File=/lists/h.txt\r\nHeader_HTML=<i>both</i>\r\n", 2, "<i>both</i>", "/lists/h.txt"},
    };
    for (const Case& c : cases) {
        const RotationSettings s = load(c.body, start);
        EXPECT_EQ(s.cmbHeader.index(), c.choice) << c.body;
        EXPECT_EQ(s.edtheaderhtml, c.html) << c.body;
        EXPECT_EQ(s.edtheaderfile, c.file) << c.body;
    }
    EXPECT_EQ(load("Footer_File=%/f.txt\r\n").edtfooterfile, programFolder + "f.txt");
    EXPECT_EQ(load("Footer_File=%/f.txt\r\n").cmbFooter.index(), 2);
}

TEST_F(RotationSection, CustomButtonsAreDerivedBeforeTheImagePagesUseThem)
{
    const QByteArray both = "Previous_Page_File=%/navgraph/Previous.gif\r\nNext_Page_File=/n.gif\r\n";
    RotationSettings start;
    start.Chkusecustombuttons = false;
    const RotationSettings on = load(both + "Image_UseSameNavGraphics=True\r\n", start);
    EXPECT_TRUE(on.Chkusecustombuttons);
    EXPECT_TRUE(on.chkUseSameNavGraphics);
    EXPECT_EQ(on.edtpreviousfile, programFolder + "navgraph/Previous.gif");
    EXPECT_TRUE(load(both, start).chkUseSameNavGraphics); // missing key: "True"
    EXPECT_FALSE(load(both + "Image_UseSameNavGraphics=FALSE\r\n", start).chkUseSameNavGraphics);

    start.Chkusecustombuttons = true;
    start.edtpreviousfile = "/p.gif";
    start.edtnextfile = "/n.gif";
    const RotationSettings off = load("Previous_Page_File=\r\nImage_UseSameNavGraphics=True\r\n", start);
    EXPECT_FALSE(off.Chkusecustombuttons);
    EXPECT_FALSE(off.chkUseSameNavGraphics);
    EXPECT_EQ(off.edtnextfile, "/n.gif");
}

TEST_F(RotationSection, IndexImageButtonsAreDerivedFromBothFiles)
{
    EXPECT_TRUE(load("Selected_Page_Index_File=/a.gif\r\nOther_Page_Index_File=/b.gif\r\n").chkImageButtons);
    EXPECT_FALSE(load("Selected_Page_Index_File=/a.gif\r\nOther_Page_Index_File=\r\n").chkImageButtons);
    RotationSettings start;
    start.chkImageButtons = true;
    EXPECT_FALSE(load("", start).chkImageButtons); // both files empty
}

TEST_F(RotationSection, FilenameDisplayAndIndexLayoutTexts)
{
    struct Case { const char* text; FilenameDisplay display; } cases[] = {
        {"None", FilenameDisplay::None},           {"NONE", FilenameDisplay::None},
        {"hideext", FilenameDisplay::HideExt},     {"DescriptionFile", FilenameDisplay::DescriptionFile},
        {"Normal", FilenameDisplay::Normal},       {"", FilenameDisplay::Normal},
        {"Anything", FilenameDisplay::Normal},
    };
    for (const Case& c : cases)
        EXPECT_EQ(load(QByteArray("Filename_Display=") + c.text + "\r\n").Filename_Display, c.display) << c.text;

    RotationSettings horizontal;
    horizontal.rgpIndexLayout.setIndex(1);
    EXPECT_EQ(load("Index_Layout=horizontal\r\n").rgpIndexLayout.index(), 1);
    EXPECT_EQ(load("Index_Layout=Diagonal\r\n", horizontal).rgpIndexLayout.index(), 0);
    EXPECT_EQ(load("", horizontal).rgpIndexLayout.index(), 0);
}

TEST_F(RotationSection, PathsExpandEitherMarkerAndColoursReadEveryForm)
{
    const RotationSettings s = load("Description_File=%\\texts\\d.ini\r\nStyle_File=%/Styles/S.htm\r\n"
                                    "Heading_Colour=clOlive\r\nLink_Enclosure_Colour=#0000FF\r\n"
                                    "Displayed_Page_Text_Colour=nonsense\r\nOther_Page_Text_Colour=default\r\n");
    EXPECT_EQ(s.edtdescripfile, programFolder + "texts\\d.ini");
    EXPECT_EQ(s.cmbstyle, programFolder + "Styles/S.htm");
    EXPECT_EQ(s.cmbHeadingColour.kind(), ColourChoice::Kind::Picked);
    EXPECT_EQ(s.cmbHeadingColour.IsColour(), rgbColour(0x80, 0x80, 0));
    EXPECT_EQ(s.cmbLinkEncColour.entry(), 12);
    EXPECT_TRUE(s.cmbIndexTextColour.IsDefault());
    EXPECT_TRUE(s.cmbNonCurrentIndexText.IsDefault());
}

TEST_F(RotationSection, AFontThatIsNotInstalledIsKeptAsStored)
{
    const RotationSettings s = load("Default_Font=No Such Face Anywhere\r\nIndex_Font=Another Missing Face\r\n");
    EXPECT_EQ(s.FontName, "No Such Face Anywhere");
    EXPECT_EQ(s.indexFontName, "Another Missing Face");
    const auto doc = platform::IniDocument::parse(save(s, nullptr));
    EXPECT_EQ(doc.value("Rotation_1", "Default_Font"), "No Such Face Anywhere");
    EXPECT_EQ(doc.value("Rotation_1", "Index_Font"), "Another Missing Face");
}

TEST_F(RotationSection, StatusAndFolder)
{
    const auto doc = platform::IniDocument::parse("[Rotation_1]\r\nStatus=2\r\nRotation_Path=%/Site_1/r1\r\n"
                                                  "[Rotation_2]\r\nStatus=built\r\n[Rotation_4]\r\nStatus=1\r\n");
    struct Case { int n; int before; int after; } cases[] = {{1, 0, 2}, {2, 1, 1}, {2, 2, 2}, {3, 2, 0}, {4, 2, 1}};
    for (const Case& c : cases) {
        int status = c.before;
        LoadRotationStatus(doc, c.n, status);
        EXPECT_EQ(status, c.after) << c.n << " " << c.before;
    }
    EXPECT_EQ(LoadRotationFolder(doc, programFolder, 1, "/sites/a/", true), programFolder + "Site_1/r1");
    EXPECT_EQ(LoadRotationFolder(doc, programFolder, 2, "/sites/a/", true), "/sites/a/Rotation_2");
    EXPECT_EQ(LoadRotationFolder(doc, programFolder, 2, "/sites/a", true), "/sites/a/Rotation_2");
    EXPECT_EQ(LoadRotationFolder(doc, programFolder, 2, "/sites/a/", false), "/sites/a/");
    EXPECT_EQ(LoadRotationFolder(doc, programFolder, 2, "%/Site_1/", false), programFolder + "Site_1/");
}

} // namespace
