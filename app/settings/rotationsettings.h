#pragma once

#include "colourchoice.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <span>

// A number setting with the bounds of its spin box: a value outside them is clamped, a text
// that is no number reads as the lower bound.
class SpinValue {
public:
    constexpr SpinValue(int minimum, int maximum, int value, int step = 1)
        : minimum_(minimum), maximum_(maximum), step_(step), value_(clamp(value)) {}

    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int step() const { return step_; }

    void setValue(qint64 value) { value_ = clamp(value); }
    void setText(const QString& text);

    friend bool operator==(const SpinValue&, const SpinValue&) = default;

private:
    constexpr int clamp(qint64 v) const { return int(v < minimum_ ? minimum_ : v > maximum_ ? maximum_ : v); }

    int minimum_;
    int maximum_;
    int step_;
    int value_;
};

// A choice among fixed entries, by item index; an index outside the entries means that
// nothing is selected (-1).
class ListChoice {
public:
    ListChoice(std::span<const char* const> entries, int index) : entries_(entries) { setIndex(index); }

    int index() const { return index_; }
    bool hasSelection() const { return index_ >= 0; }
    void setIndex(qint64 index) { index_ = index >= 0 && index < count() ? int(index) : -1; }

    int count() const { return int(entries_.size()); }
    QString entry(int i) const;
    QStringList entries() const;
    // The selected entry's text; empty when nothing is selected.
    QString text() const { return hasSelection() ? entry(index_) : QString(); }

    friend bool operator==(const ListChoice& a, const ListChoice& b)
    {
        return a.index_ == b.index_ && a.entries_.data() == b.entries_.data();
    }

private:
    std::span<const char* const> entries_;
    int index_ = -1;
};

// The text under each thumbnail.
enum class FilenameDisplay {
    None,            // rdbshownothing
    HideExt,         // rdbshowfilenamenoext
    Normal,          // rdbshowfilenamewithext
    DescriptionFile, // rdbshowdescription
};

// Entries of the list settings, in item order.
namespace rotationentries {
// cmbFontsize, cmbindexFontsize; "Default" is entry 2.
inline constexpr const char* FontSizes[] = {"-2", "-1", "Default", "+1", "+2", "+3", "+4"};
inline constexpr int DefaultFontSize = 2;
// The stored font sizes are the item index minus this.
inline constexpr int FontSizeOffset = 2;
inline constexpr const char* HeadingSizes[] = {"H1 (Largest)", "H2", "H3", "H4 (Smallest)"};
inline constexpr const char* LinkEnclosures[] = {"None", "< >", "> <", "[  ]", "-  -"};
inline constexpr const char* IndexLayouts[] = {"Show Index in a vertical column", "Show Index in horizontal rows"};
inline constexpr int VerticalIndex = 0;
inline constexpr int HorizontalIndex = 1;
inline constexpr const char* ImageHeaders[] = {"No Header", "Use same Header settings as Thumbnail page",
                                               "Same Header on all created pages",
                                               "Different Header on each created page"};
inline constexpr const char* ImageFooters[] = {"No Footer", "Use same Footer settings as Thumbnail page",
                                               "Same Footer on all created pages",
                                               "Different Footer on each created page"};
// cmbimageHeader, cmbimageFooter
inline constexpr int ImageNone = 0;
inline constexpr int ImageSameAsIndex = 1;
inline constexpr int ImageHTML = 2;
inline constexpr int ImageFile = 3;
inline constexpr const char* ImageDisplayMethods[] = {
    "Display image in the same browser window as thumbnail index",
    "Display every image in a new window",
    "Display every image in a new window (using JavaScript) ",
    "Use a second browser window to display all images (using JavaScript)"};
// The site editor's header and footer choices (cmbHeader, cmbFooter).
inline constexpr const char* Headers[] = {"No Header", "Same Header on all created pages",
                                          "Different Header on each created page"};
inline constexpr const char* Footers[] = {"No Footer", "Same Footer on all created pages",
                                          "Different Footer on each created page"};
inline constexpr int HeaderNone = 0;
inline constexpr int HeaderHTML = 1;
inline constexpr int HeaderFile = 2;
} // namespace rotationentries

// Every setting of the rotation open in the site editor, as the page options dialog and the
// site editor show it: the dialog and the editor edit this record, the rotation section is
// loaded into it and saved from it, and the build reads it. Field names are the controls'
// names; a group of radio buttons is one field.
struct RotationSettings {
    // ---- site editor ----
    QString cmbstyle;                  // index-page template
    ListChoice cmbHeader{rotationentries::Headers, rotationentries::HeaderNone};
    QString edtheaderhtml;             // header HTML of choice 1
    QString edtheaderfile;             // header list file of choice 2
    ListChoice cmbFooter{rotationentries::Footers, rotationentries::HeaderNone};
    QString edtfooterhtml;
    QString edtfooterfile;

    // ---- "Thumbnails" ----
    SpinValue SpnThumbW{20, 900, 100, 10};
    SpinValue SpnThumbH{20, 900, 100, 10};
    SpinValue spnJPEGQuality{1, 100, 70};
    SpinValue spnHorzCOunt{1, 100, 5};
    SpinValue spnVertCOunt{1, 100, 4};
    SpinValue spnImageborder{0, 9, 2};
    SpinValue spnCellPadding{0, 30, 10};
    SpinValue spnCellSpacing{0, 20, 3};
    FilenameDisplay Filename_Display = FilenameDisplay::HideExt;
    QString edtdescripfile;
    bool chkShowFIlenameWhenNoDesc = true;

    // ---- "Page Index" ----
    ListChoice rgpIndexLayout{rotationentries::IndexLayouts, rotationentries::VerticalIndex};
    QString edtpagenumberprefix = QStringLiteral("Page");
    bool chkImageButtons = false;
    QString edtSelectedImageButton;
    QString edtotherImageButton;
    bool chkIndexInThumbPages = true;
    bool chkIndexInImagePages = true;

    // ---- "Page Index 2" ----
    ColourChoice cmbIndexTextColour;
    ColourChoice cmbNonCurrentIndexText;
    bool rdbindexfontdefault = true;   // false: rdbindexfontcustom, indexFontName
    QString indexFontName;
    bool chkindexBold = false;
    bool chkindexitalics = false;
    ListChoice cmbindexFontsize{rotationentries::FontSizes, rotationentries::DefaultFontSize};
    SpinValue SpnindexImageFontsize{2, 144, 10};
    ListChoice cmbLinkEnclosure{rotationentries::LinkEnclosures, 0};
    ColourChoice cmbLinkEncColour;

    // ---- "Image Display" ----
    bool rdbHTMLImageWindow = false;   // false: rdbDisplayasimage
    QString cmbimagestyle;             // image-page template
    bool chkImageHeading = false;
    ListChoice cmbimageHeader{rotationentries::ImageHeaders, rotationentries::ImageSameAsIndex};
    QString edtimageheaderhtml;
    QString edtimageheaderfile;
    ListChoice cmbimageFooter{rotationentries::ImageFooters, rotationentries::ImageSameAsIndex};
    QString edtimagefooterhtml;
    QString edtimagefooterfile;
    bool chkUseSameNavGraphics = true;
    bool chkimagenavigationbar = false;
    bool chkmaximagesize = false;
    SpinValue spnImageWidth{100, 5000, 100, 100};
    SpinValue SpnImageHeight{100, 5000, 100, 100};

    // ---- "Page Text" ----
    bool rdbfontdefault = true;        // false: rdbfontcustom, FontName
    QString FontName;                  // a face, or a comma-separated list of faces
    bool chkBold = false;
    bool chkitalics = false;
    ListChoice cmbFontsize{rotationentries::FontSizes, rotationentries::DefaultFontSize};
    ListChoice Cmbheadingsize{rotationentries::HeadingSizes, 0};
    ColourChoice cmbHeadingColour;
    bool chkAddLumoraLink = false;
    bool chkThumbnailPageHeading = false;

    // ---- "Other" ----
    bool Chkusecustombuttons = false;
    QString edtpreviousfile;
    QString edtnextfile;
    QString edtindexfile;              // "Return to Index" image of the image pages
    ListChoice cmbImageDisplayMethod{rotationentries::ImageDisplayMethods, 0};

    // The radio buttons of the grouped fields.
    bool rdbshownothing() const { return Filename_Display == FilenameDisplay::None; }
    bool rdbshowfilenamenoext() const { return Filename_Display == FilenameDisplay::HideExt; }
    bool rdbshowfilenamewithext() const { return Filename_Display == FilenameDisplay::Normal; }
    bool rdbshowdescription() const { return Filename_Display == FilenameDisplay::DescriptionFile; }
    bool rdbDisplayasimage() const { return !rdbHTMLImageWindow; }
    bool rdbfontcustom() const { return !rdbfontdefault; }
    bool rdbindexfontcustom() const { return !rdbindexfontdefault; }

    // Gives every list setting without a selection its default entry. Colour settings always
    // stand for something (a picked colour counts), so they need nothing.
    void SetDefaultValues();

    friend bool operator==(const RotationSettings&, const RotationSettings&) = default;
};
