#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// A colour as the settings files keep it: 0x00BBGGRR (blue in the high byte, red in the low).
using TColor = quint32;

constexpr TColor rgbColour(int red, int green, int blue)
{
    return TColor(red & 0xFF) | (TColor(green & 0xFF) << 8) | (TColor(blue & 0xFF) << 16);
}
constexpr int redOf(TColor c) { return int(c & 0xFF); }
constexpr int greenOf(TColor c) { return int((c >> 8) & 0xFF); }
constexpr int blueOf(TColor c) { return int((c >> 16) & 0xFF); }

// 0xRRGGBB, the order of colour pickers, and back.
constexpr unsigned colourToRgb(TColor c) { return (unsigned(redOf(c)) << 16) | (unsigned(greenOf(c)) << 8) | unsigned(blueOf(c)); }
constexpr TColor rgbToColour(unsigned rgb) { return rgbColour(int(rgb >> 16), int(rgb >> 8), int(rgb)); }

inline constexpr TColor clBlack = rgbColour(0x00, 0x00, 0x00);
inline constexpr TColor clSilver = rgbColour(0xC0, 0xC0, 0xC0);

// "#" and the red, green and blue parts as two upper-case hexadecimal digits each.
QString htmlColourText(TColor colour);

// The entries of a colour box: 0 the page's own colour, 1..13 the colour list, 14 "Other..".
namespace colourbox {
inline constexpr int DefaultEntry = 0;
inline constexpr int FirstListEntry = 1;
inline constexpr int LastListEntry = 13;
inline constexpr int OtherEntry = 14;
inline constexpr int EntryCount = 15;
inline constexpr const char* DefaultCaption = "Default Page Colour";
inline constexpr const char* OtherCaption = "Other..";
} // namespace colourbox

// The colour list entry of a colour, 0 when the colour is not in the list.
int tcolor2Colourcode(TColor colour);
// The colour of list entry 1..13; silver for any other entry.
TColor Colourcode2tcolor(int entry);

// The text of a colour in the settings file: "Default", or "$" and eight hexadecimal digits
// of the colour value.
QString colourSettingText(bool isDefault, TColor colour);

// A stored colour text: "Default" (any case) or a colour. Accepted colours: "$" + hex,
// decimal, "#RRGGBB" and the sixteen standard names with "cl" in front, any case. Nothing
// for any other text.
struct StoredColour {
    bool isDefault = true;
    TColor colour = clBlack;
};
std::optional<StoredColour> parseColourSetting(const QString& text);

// What a colour box stands for: the page's own colour (entry 0), an entry of the colour list,
// or a colour picked with "Other.." (no entry selected, the colour kept by the box).
class ColourChoice {
public:
    enum class Kind { Default, ListEntry, Picked };

    Kind kind() const { return kind_; }
    // The box's item index: 0, 1..13, or -1 for a picked colour.
    int entry() const;
    bool IsDefault() const { return kind_ == Kind::Default; }
    // The list colour, the picked colour, or black for the default entry (callers ask
    // IsDefault first).
    TColor IsColour() const;

    void setDefault();
    // Entries 0..13 select themselves; any other entry (also "Other..") selects entry 0:
    // a colour box always stands for something.
    void setEntry(int entry);
    void setPicked(TColor colour);
    // Default selects entry 0, a colour of the list selects its entry, any other colour
    // becomes a picked colour.
    void SetDefaultSetColour(bool isDefault, TColor colour);
    // A stored text as above; a text that is no colour selects entry 0.
    void SetColourComboFromString(const QString& text);

    // The text beside the box: empty for the default entry, else the colour's HTML text.
    QString htmlText() const;
    // The text written to the settings file.
    QString settingText() const { return colourSettingText(IsDefault(), IsColour()); }

    friend bool operator==(const ColourChoice&, const ColourChoice&) = default;

private:
    Kind kind_ = Kind::Default;
    int entry_ = colourbox::DefaultEntry;
    TColor picked_ = clBlack;
};
