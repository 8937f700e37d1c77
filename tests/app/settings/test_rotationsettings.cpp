#include "app/settings/rotationsettings.h"

#include <gtest/gtest.h>

namespace {

struct SpinCase {
    const char* name;
    SpinValue RotationSettings::*field;
    int value, minimum, maximum, step;
};

TEST(RotationSettings, SpinSettingsStartAtTheirDefaultsWithinTheirRanges)
{
    const SpinCase cases[] = {
        {"SpnThumbW", &RotationSettings::SpnThumbW, 100, 20, 900, 10},
        {"SpnThumbH", &RotationSettings::SpnThumbH, 100, 20, 900, 10},
        {"spnJPEGQuality", &RotationSettings::spnJPEGQuality, 70, 1, 100, 1},
        {"spnHorzCOunt", &RotationSettings::spnHorzCOunt, 5, 1, 100, 1},
        {"spnVertCOunt", &RotationSettings::spnVertCOunt, 4, 1, 100, 1},
        {"spnImageborder", &RotationSettings::spnImageborder, 2, 0, 9, 1},
        {"spnCellPadding", &RotationSettings::spnCellPadding, 10, 0, 30, 1},
        {"spnCellSpacing", &RotationSettings::spnCellSpacing, 3, 0, 20, 1},
        {"SpnindexImageFontsize", &RotationSettings::SpnindexImageFontsize, 10, 2, 144, 1},
        {"spnImageWidth", &RotationSettings::spnImageWidth, 100, 100, 5000, 100},
        {"SpnImageHeight", &RotationSettings::SpnImageHeight, 100, 100, 5000, 100},
    };
    const RotationSettings s;
    for (const SpinCase& c : cases) {
        const SpinValue& spin = s.*c.field;
        EXPECT_EQ(spin.value(), c.value) << c.name;
        EXPECT_EQ(spin.minimum(), c.minimum) << c.name;
        EXPECT_EQ(spin.maximum(), c.maximum) << c.name;
        EXPECT_EQ(spin.step(), c.step) << c.name;
    }
}

TEST(RotationSettings, OtherSettingsStartAtTheControlsDefaults)
{
    const RotationSettings s;
    // Thumbnails
    EXPECT_EQ(s.Filename_Display, FilenameDisplay::HideExt);
    EXPECT_TRUE(s.rdbshowfilenamenoext());
    EXPECT_EQ(s.edtdescripfile, QString());
    EXPECT_TRUE(s.chkShowFIlenameWhenNoDesc);
    // Page Index
    EXPECT_EQ(s.rgpIndexLayout.index(), 0);
    EXPECT_EQ(s.edtpagenumberprefix, QStringLiteral("Page"));
    EXPECT_FALSE(s.chkImageButtons);
    EXPECT_TRUE(s.chkIndexInThumbPages);
    EXPECT_TRUE(s.chkIndexInImagePages);
    // Page Index 2
    for (const ColourChoice* c : {&s.cmbIndexTextColour, &s.cmbNonCurrentIndexText, &s.cmbLinkEncColour,
                                  &s.cmbHeadingColour}) {
        EXPECT_TRUE(c->IsDefault());
        EXPECT_EQ(c->entry(), 0);
    }
    EXPECT_TRUE(s.rdbindexfontdefault);
    EXPECT_FALSE(s.rdbindexfontcustom());
    EXPECT_FALSE(s.chkindexBold);
    EXPECT_FALSE(s.chkindexitalics);
    EXPECT_EQ(s.cmbindexFontsize.text(), QStringLiteral("Default"));
    EXPECT_EQ(s.cmbLinkEnclosure.text(), QStringLiteral("None"));
    // Image Display
    EXPECT_TRUE(s.rdbDisplayasimage());
    EXPECT_FALSE(s.rdbHTMLImageWindow);
    EXPECT_EQ(s.cmbimagestyle, QString());
    EXPECT_FALSE(s.chkImageHeading);
    EXPECT_EQ(s.cmbimageHeader.index(), 1);
    EXPECT_EQ(s.cmbimageFooter.index(), 1);
    EXPECT_EQ(s.cmbimageFooter.text(), QStringLiteral("Use same Footer settings as Thumbnail page"));
    EXPECT_TRUE(s.chkUseSameNavGraphics);
    EXPECT_FALSE(s.chkimagenavigationbar);
    EXPECT_FALSE(s.chkmaximagesize);
    // Page Text
    EXPECT_TRUE(s.rdbfontdefault);
    EXPECT_FALSE(s.chkBold);
    EXPECT_FALSE(s.chkitalics);
    EXPECT_EQ(s.cmbFontsize.index(), 2);
    EXPECT_EQ(s.Cmbheadingsize.text(), QStringLiteral("H1 (Largest)"));
    EXPECT_FALSE(s.chkAddLumoraLink);
    EXPECT_FALSE(s.chkThumbnailPageHeading);
    // Other
    EXPECT_FALSE(s.Chkusecustombuttons);
    EXPECT_EQ(s.edtpreviousfile, QString());
    EXPECT_EQ(s.cmbImageDisplayMethod.index(), 0);
    // Site editor
    EXPECT_EQ(s.cmbHeader.text(), QStringLiteral("No Header"));
    EXPECT_EQ(s.cmbFooter.text(), QStringLiteral("No Footer"));
}

TEST(RotationSettings, ListEntriesAreTheControlsTexts)
{
    const RotationSettings s;
    EXPECT_EQ(s.cmbFontsize.entries(), QStringList({"-2", "-1", "Default", "+1", "+2", "+3", "+4"}));
    EXPECT_EQ(s.cmbLinkEnclosure.entries(), QStringList({"None", "< >", "> <", "[  ]", "-  -"}));
    EXPECT_EQ(s.Cmbheadingsize.entries(), QStringList({"H1 (Largest)", "H2", "H3", "H4 (Smallest)"}));
    EXPECT_EQ(s.cmbimageHeader.entries(),
              QStringList({"No Header", "Use same Header settings as Thumbnail page",
                           "Same Header on all created pages", "Different Header on each created page"}));
    EXPECT_EQ(s.cmbImageDisplayMethod.entry(2),
              QStringLiteral("Display every image in a new window (using JavaScript) ")); // trailing blank kept
    EXPECT_EQ(s.rgpIndexLayout.entries(),
              QStringList({"Show Index in a vertical column", "Show Index in horizontal rows"}));
}

TEST(SpinValue, ClampsAndReadsTextLikeItsControl)
{
    struct Case { qint64 set; int expected; } values[] = {
        {19, 20}, {20, 20}, {555, 555}, {900, 900}, {901, 900}, {-5, 20},
        {qint64(1) << 40, 900}, {-(qint64(1) << 40), 20},
    };
    SpinValue spin(20, 900, 100, 10);
    for (const Case& c : values) {
        spin.setValue(c.set);
        EXPECT_EQ(spin.value(), c.expected) << c.set;
    }
    struct TextCase { const char* text; int expected; } texts[] = {
        {"250", 250}, {" 30 ", 30}, {"abc", 20}, {"", 20}, {"5000", 900}, {"$64", 100},
    };
    for (const TextCase& c : texts) {
        spin.setValue(400);
        spin.setText(QString::fromLatin1(c.text));
        EXPECT_EQ(spin.value(), c.expected) << c.text;
    }
    EXPECT_EQ(SpinValue(0, 9, 42).value(), 9); // a default outside the range is clamped too
}

TEST(ListChoice, AnIndexOutsideTheEntriesSelectsNothing)
{
    RotationSettings s;
    struct Case { qint64 index; int expected; } cases[] = {
        {0, 0}, {4, 4}, {5, -1}, {-1, -1}, {-7, -1}, {qint64(1) << 33, -1},
    };
    for (const Case& c : cases) {
        s.cmbLinkEnclosure.setIndex(c.index);
        EXPECT_EQ(s.cmbLinkEnclosure.index(), c.expected) << c.index;
        EXPECT_EQ(s.cmbLinkEnclosure.hasSelection(), c.expected >= 0) << c.index;
    }
    EXPECT_EQ(s.cmbLinkEnclosure.text(), QString());
}

TEST(RotationSettings, SetDefaultValuesFillsOnlyListsWithoutSelection)
{
    RotationSettings s;
    for (ListChoice* c : {&s.Cmbheadingsize, &s.cmbLinkEnclosure, &s.cmbFontsize, &s.cmbindexFontsize,
                          &s.cmbimageHeader, &s.cmbimageFooter, &s.cmbImageDisplayMethod})
        c->setIndex(-1);
    s.cmbHeadingColour.setPicked(rgbColour(0x12, 0x34, 0x56));
    s.cmbLinkEncColour.setEntry(5);
    s.SetDefaultValues();
    EXPECT_EQ(s.Cmbheadingsize.index(), 0);
    EXPECT_EQ(s.cmbLinkEnclosure.index(), 0);
    EXPECT_EQ(s.cmbFontsize.index(), 2);
    EXPECT_EQ(s.cmbindexFontsize.index(), 2);
    EXPECT_EQ(s.cmbimageHeader.index(), 1);
    EXPECT_EQ(s.cmbimageFooter.index(), 1);
    EXPECT_EQ(s.cmbImageDisplayMethod.index(), 0);
    // A picked colour is a selection and survives.
    EXPECT_EQ(s.cmbHeadingColour.kind(), ColourChoice::Kind::Picked);
    EXPECT_EQ(s.cmbHeadingColour.IsColour(), rgbColour(0x12, 0x34, 0x56));
    EXPECT_EQ(s.cmbLinkEncColour.entry(), 5);

    // Selections are kept.
    s.Cmbheadingsize.setIndex(3);
    s.cmbimageFooter.setIndex(0);
    s.cmbFontsize.setIndex(6);
    s.SetDefaultValues();
    EXPECT_EQ(s.Cmbheadingsize.index(), 3);
    EXPECT_EQ(s.cmbimageFooter.index(), 0);
    EXPECT_EQ(s.cmbFontsize.index(), 6);
}

TEST(RotationSettings, CopiesCompareByValue)
{
    RotationSettings a;
    RotationSettings b = a;
    EXPECT_EQ(a, b);
    b.cmbHeadingColour.setEntry(8);
    EXPECT_NE(a, b);
    b = a;
    b.SpnThumbW.setValue(200);
    EXPECT_NE(a, b);
}

// ---- colours ----

TEST(ColourList, EntriesTheirColoursAndHtmlTexts)
{
    const char* html[] = {"#000000", "#FFFFFF", "#808080", "#C0C0C0", "#FFFF00", "#008080", "#008000",
                          "#FF0000", "#800080", "#000080", "#800000", "#0000FF", "#FF00FF"};
    for (int entry = 1; entry <= 13; ++entry) {
        const TColor colour = Colourcode2tcolor(entry);
        EXPECT_EQ(htmlColourText(colour), QString::fromLatin1(html[entry - 1])) << entry;
        EXPECT_EQ(tcolor2Colourcode(colour), entry) << entry;
        ColourChoice choice;
        choice.setEntry(entry);
        EXPECT_EQ(choice.htmlText(), QString::fromLatin1(html[entry - 1])) << entry;
        EXPECT_FALSE(choice.IsDefault());
    }
    for (int entry : {-1, 0, 14, 99})
        EXPECT_EQ(Colourcode2tcolor(entry), clSilver) << entry;
    EXPECT_EQ(tcolor2Colourcode(rgbColour(0x80, 0x80, 0x00)), 0); // olive is not in the list
    EXPECT_EQ(tcolor2Colourcode(rgbColour(0x00, 0xFF, 0xFF)), 0);
}

TEST(ColourList, ValueLayoutIsBlueGreenRed)
{
    EXPECT_EQ(rgbColour(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(colourToRgb(0x00563412u), 0x123456u);
    EXPECT_EQ(rgbToColour(0x123456u), 0x00563412u);
    EXPECT_EQ(htmlColourText(0x00563412u), QStringLiteral("#123456"));
    EXPECT_EQ(htmlColourText(rgbColour(0xAB, 0x0C, 0xDE)), QStringLiteral("#AB0CDE"));
}

TEST(ColourChoice, DefaultListEntryAndPickedColour)
{
    ColourChoice c;
    EXPECT_TRUE(c.IsDefault());
    EXPECT_EQ(c.IsColour(), clBlack);
    EXPECT_EQ(c.htmlText(), QString());
    EXPECT_EQ(c.settingText(), QStringLiteral("Default"));

    c.setEntry(12); // blue
    EXPECT_EQ(c.kind(), ColourChoice::Kind::ListEntry);
    EXPECT_EQ(c.IsColour(), rgbColour(0, 0, 0xFF));
    EXPECT_EQ(c.settingText(), QStringLiteral("$00FF0000"));

    c.setPicked(rgbColour(0x11, 0x22, 0x33));
    EXPECT_EQ(c.entry(), -1);
    EXPECT_FALSE(c.IsDefault());
    EXPECT_EQ(c.IsColour(), rgbColour(0x11, 0x22, 0x33));
    EXPECT_EQ(c.htmlText(), QStringLiteral("#112233"));
    EXPECT_EQ(c.settingText(), QStringLiteral("$00332211"));

    for (int entry : {14, -1, 15, 0}) {
        c.setEntry(4);
        c.setEntry(entry);
        EXPECT_TRUE(c.IsDefault()) << entry;
        EXPECT_EQ(c.entry(), 0) << entry;
    }
}

TEST(ColourChoice, SetDefaultSetColourChoosesEntryOrPicked)
{
    ColourChoice c;
    c.SetDefaultSetColour(false, rgbColour(0xFF, 0, 0));
    EXPECT_EQ(c.entry(), 8);
    c.SetDefaultSetColour(false, rgbColour(0x80, 0x80, 0x00));
    EXPECT_EQ(c.kind(), ColourChoice::Kind::Picked);
    EXPECT_EQ(c.IsColour(), rgbColour(0x80, 0x80, 0x00));
    c.SetDefaultSetColour(true, rgbColour(0xFF, 0, 0));
    EXPECT_TRUE(c.IsDefault());
    c.SetDefaultSetColour(false, clBlack); // black is list entry 1, not the default
    EXPECT_EQ(c.entry(), 1);
    EXPECT_FALSE(c.IsDefault());
}

TEST(ColourChoice, ReadsEveryStoredForm)
{
    struct Case {
        const char* text;
        int entry;        // -1: picked
        TColor colour;
    } cases[] = {
        {"Default", 0, clBlack},
        {"DEFAULT", 0, clBlack},
        {"  default ", 0, clBlack},
        {"$000000FF", 8, rgbColour(0xFF, 0, 0)},
        {"$00ff0000", 12, rgbColour(0, 0, 0xFF)},
        {"$00563412", -1, rgbColour(0x12, 0x34, 0x56)},
        {"255", 8, rgbColour(0xFF, 0, 0)},
        {"0", 1, clBlack},
        {"#FF0000", 8, rgbColour(0xFF, 0, 0)},
        {"#c0c0c0", 4, clSilver},
        {"#123456", -1, rgbColour(0x12, 0x34, 0x56)},
        {"clRed", 8, rgbColour(0xFF, 0, 0)},
        {"CLNAVY", 10, rgbColour(0, 0, 0x80)},
        {"clolive", -1, rgbColour(0x80, 0x80, 0x00)},
        {"clLime", -1, rgbColour(0, 0xFF, 0)},
        {"clAqua", -1, rgbColour(0, 0xFF, 0xFF)},
        {"clGray", 3, rgbColour(0x80, 0x80, 0x80)},
        {"clWhite", 2, rgbColour(0xFF, 0xFF, 0xFF)},
        // anything else selects entry 0
        {"", 0, clBlack},
        {"red", 0, clBlack},
        {"clWindow", 0, clBlack},
        {"$", 0, clBlack},
        {"$FF000005", 0, clBlack},  // a system colour, no colour of a page
        {"$1000000", 0, clBlack},
        {"-1", 0, clBlack},
        {"16777216", 0, clBlack},
        {"#12345", 0, clBlack},
        {"#GGGGGG", 0, clBlack},
        {"12ab", 0, clBlack},
        {"$+FF", 0, clBlack},
        {"$0xFF", 0, clBlack},
        {"$ FF", 0, clBlack},
        {"#+12345", 0, clBlack},
        {"#0x1234", 0, clBlack},
        {"+255", 0, clBlack},
    };
    for (const Case& c : cases) {
        ColourChoice choice;
        choice.setEntry(5);
        choice.SetColourComboFromString(QString::fromLatin1(c.text));
        EXPECT_EQ(choice.entry(), c.entry) << c.text;
        if (c.entry != 0) {
            EXPECT_EQ(choice.IsColour(), c.colour) << c.text;
        }
    }
}

TEST(ColourChoice, SettingTextRoundTrips)
{
    for (TColor colour : {clBlack, clSilver, rgbColour(1, 2, 3), rgbColour(0xFF, 0xFF, 0xFE)}) {
        ColourChoice written;
        written.SetDefaultSetColour(false, colour);
        ColourChoice read;
        read.SetColourComboFromString(written.settingText());
        EXPECT_EQ(read, written) << written.settingText().toStdString();
    }
}

} // namespace
