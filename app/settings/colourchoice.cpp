#include "colourchoice.h"

#include <algorithm>
#include <array>

namespace {

// Entries 1..13 of every colour box.
constexpr std::array<TColor, 13> colourList = {
    rgbColour(0x00, 0x00, 0x00), // black
    rgbColour(0xFF, 0xFF, 0xFF), // white
    rgbColour(0x80, 0x80, 0x80), // grey
    rgbColour(0xC0, 0xC0, 0xC0), // silver
    rgbColour(0xFF, 0xFF, 0x00), // yellow
    rgbColour(0x00, 0x80, 0x80), // teal
    rgbColour(0x00, 0x80, 0x00), // green
    rgbColour(0xFF, 0x00, 0x00), // red
    rgbColour(0x80, 0x00, 0x80), // purple
    rgbColour(0x00, 0x00, 0x80), // navy
    rgbColour(0x80, 0x00, 0x00), // maroon
    rgbColour(0x00, 0x00, 0xFF), // blue
    rgbColour(0xFF, 0x00, 0xFF), // fuchsia
};

struct NamedColour {
    const char* name;
    TColor colour;
};

constexpr std::array<NamedColour, 16> standardColours = {{
    {"clBlack", rgbColour(0x00, 0x00, 0x00)},   {"clMaroon", rgbColour(0x80, 0x00, 0x00)},
    {"clGreen", rgbColour(0x00, 0x80, 0x00)},   {"clOlive", rgbColour(0x80, 0x80, 0x00)},
    {"clNavy", rgbColour(0x00, 0x00, 0x80)},    {"clPurple", rgbColour(0x80, 0x00, 0x80)},
    {"clTeal", rgbColour(0x00, 0x80, 0x80)},    {"clGray", rgbColour(0x80, 0x80, 0x80)},
    {"clSilver", rgbColour(0xC0, 0xC0, 0xC0)},  {"clRed", rgbColour(0xFF, 0x00, 0x00)},
    {"clLime", rgbColour(0x00, 0xFF, 0x00)},    {"clYellow", rgbColour(0xFF, 0xFF, 0x00)},
    {"clBlue", rgbColour(0x00, 0x00, 0xFF)},    {"clFuchsia", rgbColour(0xFF, 0x00, 0xFF)},
    {"clAqua", rgbColour(0x00, 0xFF, 0xFF)},    {"clWhite", rgbColour(0xFF, 0xFF, 0xFF)},
}};

constexpr qint64 largestColour = 0xFFFFFF;

bool isHexDigit(QChar c)
{
    return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
}

// Only the digits of the base: no sign, blank or "0x" that the number conversion would take.
std::optional<TColor> colourValue(const QString& digits, int base)
{
    const auto digitOk = [base](QChar c) { return base == 16 ? isHexDigit(c) : c.isDigit(); };
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), digitOk))
        return std::nullopt;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok, base);
    if (!ok || value < 0 || value > largestColour)
        return std::nullopt;
    return TColor(value);
}

// "$" + hex, decimal, "#RRGGBB" or a standard name; nothing for anything else.
std::optional<TColor> parseColour(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    if (text.startsWith(QLatin1Char('$')))
        return colourValue(text.mid(1), 16);
    if (text.startsWith(QLatin1Char('#'))) {
        if (text.size() != 7)
            return std::nullopt;
        const auto rgb = colourValue(text.mid(1), 16);
        return rgb ? std::optional(rgbToColour(*rgb)) : std::nullopt;
    }
    for (const NamedColour& named : standardColours)
        if (text.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.colour;
    return colourValue(text, 10);
}

} // namespace

QString htmlColourText(TColor colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(redOf(colour), 2, 16, QLatin1Char('0'))
        .arg(greenOf(colour), 2, 16, QLatin1Char('0'))
        .arg(blueOf(colour), 2, 16, QLatin1Char('0'))
        .toUpper();
}

int tcolor2Colourcode(TColor colour)
{
    for (std::size_t i = 0; i < colourList.size(); ++i)
        if (colourList[i] == colour)
            return int(i) + colourbox::FirstListEntry;
    return colourbox::DefaultEntry;
}

TColor Colourcode2tcolor(int entry)
{
    if (entry < colourbox::FirstListEntry || entry > colourbox::LastListEntry)
        return clSilver;
    return colourList[std::size_t(entry - colourbox::FirstListEntry)];
}

QString colourSettingText(bool isDefault, TColor colour)
{
    if (isDefault)
        return QStringLiteral("Default");
    return QStringLiteral("$%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<StoredColour> parseColourSetting(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0)
        return StoredColour{true, clBlack};
    if (const auto colour = parseColour(t))
        return StoredColour{false, *colour};
    return std::nullopt;
}

int ColourChoice::entry() const
{
    return kind_ == Kind::Picked ? -1 : entry_;
}

TColor ColourChoice::IsColour() const
{
    switch (kind_) {
    case Kind::ListEntry:
        return Colourcode2tcolor(entry_);
    case Kind::Picked:
        return picked_;
    case Kind::Default:
        break;
    }
    return clBlack;
}

void ColourChoice::setDefault()
{
    *this = ColourChoice{};
}

void ColourChoice::setEntry(int entry)
{
    if (entry < colourbox::FirstListEntry || entry > colourbox::LastListEntry) {
        setDefault();
        return;
    }
    kind_ = Kind::ListEntry;
    entry_ = entry;
    picked_ = clBlack;
}

void ColourChoice::setPicked(TColor colour)
{
    kind_ = Kind::Picked;
    entry_ = -1;
    picked_ = colour & TColor(largestColour);
}

void ColourChoice::SetDefaultSetColour(bool isDefault, TColor colour)
{
    if (isDefault) {
        setDefault();
        return;
    }
    const int entry = tcolor2Colourcode(colour);
    if (entry != colourbox::DefaultEntry)
        setEntry(entry);
    else
        setPicked(colour);
}

void ColourChoice::SetColourComboFromString(const QString& text)
{
    const auto stored = parseColourSetting(text);
    if (!stored) {
        setDefault();
        return;
    }
    SetDefaultSetColour(stored->isDefault, stored->colour);
}

QString ColourChoice::htmlText() const
{
    return IsDefault() ? QString() : htmlColourText(IsColour());
}
