#include "rotationsection.h"

#include "platform/inifile.h"
#include "platform/pathresolver.h"
#include "platform/paths.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace {

using rotationentries::FontSizeOffset;

const QString notApplicable = QStringLiteral("NA");

QString filenameDisplayText(FilenameDisplay display)
{
    switch (display) {
    case FilenameDisplay::None:
        return QStringLiteral("None");
    case FilenameDisplay::HideExt:
        return QStringLiteral("HideExt");
    case FilenameDisplay::DescriptionFile:
        return QStringLiteral("DescriptionFile");
    case FilenameDisplay::Normal:
        break;
    }
    return QStringLiteral("Normal");
}

FilenameDisplay filenameDisplayFromText(const QString& text)
{
    const QString t = text.toUpper();
    if (t == QLatin1String("NONE"))
        return FilenameDisplay::None;
    if (t == QLatin1String("HIDEEXT"))
        return FilenameDisplay::HideExt;
    if (t == QLatin1String("DESCRIPTIONFILE"))
        return FilenameDisplay::DescriptionFile;
    return FilenameDisplay::Normal;
}

// Writes the keys of one section in the order they are given.
class SectionWriter {
public:
    SectionWriter(platform::IniDocument& doc, QString section, const QString& programFolder)
        : doc_(doc), section_(std::move(section)), programFolder_(programFolder) {}

    void text(const char* key, const QString& value) { doc_.setValue(section_, QLatin1String(key), value); }
    void path(const char* key, const QString& value) { text(key, platform::truncatepath(value, programFolder_)); }
    void number(const char* key, qint64 value) { text(key, QString::number(value)); }
    void boolean(const char* key, bool value) { text(key, platform::iniBoolText(value)); }

private:
    platform::IniDocument& doc_;
    QString section_;
    const QString& programFolder_;
};

// Reads the keys of one section with the rules of the rotation settings.
class SectionReader {
public:
    SectionReader(const platform::IniDocument& doc, QString section, const QString& programFolder)
        : doc_(doc), section_(std::move(section)), programFolder_(programFolder) {}

    std::optional<QString> text(const char* key) const { return doc_.value(section_, QLatin1String(key)); }
    QString textOr(const char* key, const QString& def) const { return text(key).value_or(def); }
    std::optional<QString> path(const char* key) const
    {
        const auto value = text(key);
        return value ? std::optional(platform::resolvepath(*value, programFolder_)) : std::nullopt;
    }
    // Absent, or a text that is no number: nothing.
    std::optional<qint64> number(const char* key) const
    {
        const auto value = text(key);
        return value ? platform::iniNumber(*value) : std::nullopt;
    }
    bool boolean(const char* key, bool def) const
    {
        const auto value = text(key);
        return value ? platform::iniBool(*value, def) : def;
    }

    // Setters that leave the setting alone when the key gives nothing.
    void readText(const char* key, QString& into) const
    {
        if (const auto value = text(key))
            into = *value;
    }
    void readPath(const char* key, QString& into) const
    {
        if (const auto value = path(key))
            into = *value;
    }
    void readSpin(const char* key, SpinValue& into) const
    {
        if (const auto value = number(key))
            into.setValue(*value);
    }
    void readIndex(const char* key, ListChoice& into, qint64 offset = 0) const
    {
        // Bounded first: a hand-edited huge number must not overflow when the offset is added.
        if (const auto value = number(key))
            into.setIndex(std::clamp<qint64>(*value, INT_MIN, INT_MAX) + offset);
    }
    void readColour(const char* key, ColourChoice& into) const
    {
        if (const auto value = text(key))
            into.SetColourComboFromString(*value);
    }

private:
    const platform::IniDocument& doc_;
    QString section_;
    const QString& programFolder_;
};

// The site editor's header or footer: choice 1 keeps HTML, choice 2 a list file.
void writeHeader(SectionWriter& w, const char* fileKey, const char* htmlKey, const ListChoice& choice,
                 const QString& file, const QString& html)
{
    w.path(fileKey, choice.index() == rotationentries::HeaderFile ? file : QString());
    w.text(htmlKey, choice.index() == rotationentries::HeaderHTML ? html : QString());
}

// An absent key reads as "": what another rotation held never stays behind in the edits.
void readHeader(const SectionReader& r, const char* fileKey, const char* htmlKey, ListChoice& choice, QString& file,
                QString& html)
{
    file = r.path(fileKey).value_or(QString());
    html = r.textOr(htmlKey, QString());
    if (!file.isEmpty())
        choice.setIndex(rotationentries::HeaderFile);
    else if (!html.isEmpty())
        choice.setIndex(rotationentries::HeaderHTML);
    else
        choice.setIndex(rotationentries::HeaderNone);
}

// The image pages' header or footer. "Same as the index pages" keeps both texts empty: the
// flag alone decides it.
void writeImageHeader(SectionWriter& w, const char* sameKey, const char* fileKey, const char* htmlKey,
                      const ListChoice& choice, const QString& file, const QString& html)
{
    w.boolean(sameKey, choice.index() == rotationentries::ImageSameAsIndex);
    w.path(fileKey, choice.index() == rotationentries::ImageFile ? file : QString());
    w.text(htmlKey, choice.index() == rotationentries::ImageHTML ? html : QString());
}

void readImageHeader(const SectionReader& r, const char* sameKey, const char* fileKey, const char* htmlKey,
                     ListChoice& choice, QString& file, QString& html)
{
    const bool same = r.boolean(sameKey, false);
    file = r.path(fileKey).value_or(QString());
    html = r.textOr(htmlKey, QString());
    if (same)
        choice.setIndex(rotationentries::ImageSameAsIndex);
    else if (!file.isEmpty())
        choice.setIndex(rotationentries::ImageFile);
    else if (!html.isEmpty())
        choice.setIndex(rotationentries::ImageHTML);
    else
        choice.setIndex(rotationentries::ImageNone);
}

} // namespace

QString rotationSectionName(int n)
{
    return QStringLiteral("Rotation_%1").arg(n);
}

QString defaultRotationFolder(const QString& sitePath, bool useRotations, int n)
{
    // Without a site folder there is none: a bare "Rotation_<n>" would name a folder of the
    // program folder that belongs to no site.
    if (!useRotations || sitePath.trimmed().isEmpty())
        return sitePath;
    return platform::addTrailingSeparator(sitePath) + QStringLiteral("Rotation_%1").arg(n);
}

void writeRotationSection(platform::IniDocument& doc, const QString& programFolder, int n,
                          const RotationSettings& s, const RotationPlace* place)
{
    if (n < 0)
        return;
    SectionWriter w(doc, rotationSectionName(n), programFolder);
    if (place) {
        w.number("Status", place->Status);
        w.path("Rotation_Path", place->Rotation_Path);
    }
    w.path("Style_File", s.cmbstyle);
    writeHeader(w, "Header_File", "Header_HTML", s.cmbHeader, s.edtheaderfile, s.edtheaderhtml);
    writeHeader(w, "Footer_File", "Footer_HTML", s.cmbFooter, s.edtfooterfile, s.edtfooterhtml);
    w.boolean("ImageNavigationBar", s.chkimagenavigationbar);
    w.boolean("LumoraLink", s.chkAddLumoraLink);
    w.boolean("IndexInThumbPages", s.chkIndexInThumbPages);
    w.boolean("IndexInImagePages", s.chkIndexInImagePages);
    w.boolean("Page_Position_Heading", s.chkThumbnailPageHeading);
    w.number("Page_Position_Heading_Size", s.Cmbheadingsize.index());
    w.number("Thumb_Width", s.SpnThumbW.value());
    w.number("Cell_Padding", s.spnCellPadding.value());
    w.number("Cell_Spacing", s.spnCellSpacing.value());
    w.number("Thumb_Height", s.SpnThumbH.value());
    w.number("Thumb_Border", s.spnImageborder.value());
    w.number("Thumb_JPEG_Quality", s.spnJPEGQuality.value());
    w.number("Horizontal_Thumb_Count", s.spnHorzCOunt.value());
    w.number("Vertical_Thumb_Count", s.spnVertCOunt.value());
    w.text("Default_Font", s.rdbfontdefault ? QString() : s.FontName);
    w.number("Default_Font_Size", s.cmbFontsize.index() - FontSizeOffset);
    w.text("Index_Font", s.rdbindexfontdefault ? QString() : s.indexFontName);
    w.number("Index_Font_Size", s.cmbindexFontsize.index() - FontSizeOffset);
    w.number("Index_Image_Font_Size", s.SpnindexImageFontsize.value());
    w.path("Previous_Page_File", s.Chkusecustombuttons ? s.edtpreviousfile : QString());
    w.path("Next_Page_File", s.Chkusecustombuttons ? s.edtnextfile : QString());
    w.path("Return_To_Index_File", s.Chkusecustombuttons ? s.edtindexfile : QString());
    if (s.cmbImageDisplayMethod.hasSelection())
        w.number("Image_Display_Method", s.cmbImageDisplayMethod.index());
    w.path("Selected_Page_Index_File", s.chkImageButtons ? s.edtSelectedImageButton : QString());
    w.path("Other_Page_Index_File", s.chkImageButtons ? s.edtotherImageButton : QString());
    w.text("Filename_Display", filenameDisplayText(s.Filename_Display));
    w.path("Description_File", s.edtdescripfile);
    w.boolean("ShowFilenameWhenNoDesc", s.chkShowFIlenameWhenNoDesc);
    w.text("Displayed_Page_Text_Colour", s.cmbIndexTextColour.settingText());
    w.text("Other_Page_Text_Colour", s.cmbNonCurrentIndexText.settingText());
    w.text("Link_Enclosure_Colour", s.cmbLinkEncColour.settingText());
    w.text("Heading_Colour", s.cmbHeadingColour.settingText());
    w.text("Page_Number_Prefix", s.edtpagenumberprefix);
    w.number("Link_Enclosure", s.cmbLinkEnclosure.index());
    w.text("Index_Layout", s.rgpIndexLayout.index() == rotationentries::HorizontalIndex ? QStringLiteral("Horizontal")
                                                                                         : QStringLiteral("Vertical"));
    w.boolean("DisplayAsImage", s.rdbDisplayasimage());
    w.path("Image_Style_File", s.cmbimagestyle);
    writeImageHeader(w, "Image_Header_Same_As_Index", "Image_Header_File", "Image_Header_HTML", s.cmbimageHeader,
                     s.edtimageheaderfile, s.edtimageheaderhtml);
    writeImageHeader(w, "Image_Footer_Same_As_Index", "Image_Footer_File", "Image_Footer_HTML", s.cmbimageFooter,
                     s.edtimagefooterfile, s.edtimagefooterhtml);
    w.text("Image_Width", s.chkmaximagesize ? QString::number(s.spnImageWidth.value()) : notApplicable);
    w.text("Image_Height", s.chkmaximagesize ? QString::number(s.SpnImageHeight.value()) : notApplicable);
    w.boolean("Image_Heading", s.chkImageHeading);
    w.boolean("Image_UseSameNavGraphics", s.chkUseSameNavGraphics);
    w.boolean("Default_Font_Bold", s.chkBold);
    w.boolean("Default_Font_Italics", s.chkitalics);
    w.boolean("Index_Font_Bold", s.chkindexBold);
    w.boolean("Index_Font_Italics", s.chkindexitalics);
}

platform::FileOutcome SaveRotation(platform::IniFile& file, const QString& programFolder, int n,
                                   const RotationSettings& settings, const RotationPlace* place)
{
    if (n < 0)
        return {};
    return file.update(
        [&](platform::IniDocument& doc) { writeRotationSection(doc, programFolder, n, settings, place); });
}

platform::FileOutcome SaveRotationToAll(platform::IniFile& file, const QString& programFolder, int count,
                                        const RotationSettings& settings)
{
    return file.update([&](platform::IniDocument& doc) {
        for (int n = 1; n <= count; ++n)
            writeRotationSection(doc, programFolder, n, settings, nullptr);
    });
}

void LoadRotationStatus(const platform::IniDocument& doc, int n, int& status)
{
    const auto text = doc.value(rotationSectionName(n), QStringLiteral("Status"));
    if (!text) {
        status = RotationNotBuilt;
        return;
    }
    const auto value = platform::iniNumber(*text);
    if (value && *value >= INT_MIN && *value <= INT_MAX)
        status = int(*value);
}

QString rotationFolderText(const platform::IniDocument& doc, const QString& programFolder, int n,
                           const QString& sitePath, bool useRotations)
{
    const QString stored = doc.readString(rotationSectionName(n), QStringLiteral("Rotation_Path"),
                                          defaultRotationFolder(sitePath, useRotations, n));
    return platform::resolvepath(stored, programFolder);
}

QString LoadRotationFolder(const platform::IniDocument& doc, const QString& programFolder, int n,
                           const QString& sitePath, bool useRotations)
{
    return platform::resolvePathIgnoringCase(rotationFolderText(doc, programFolder, n, sitePath, useRotations));
}

void LoadRotation(const platform::IniDocument& doc, const QString& programFolder, int n, RotationSettings& s)
{
    const SectionReader r(doc, rotationSectionName(n), programFolder);

    r.readPath("Style_File", s.cmbstyle);
    readHeader(r, "Header_File", "Header_HTML", s.cmbHeader, s.edtheaderfile, s.edtheaderhtml);
    readHeader(r, "Footer_File", "Footer_HTML", s.cmbFooter, s.edtfooterfile, s.edtfooterhtml);
    s.chkimagenavigationbar = r.boolean("ImageNavigationBar", true);
    s.chkAddLumoraLink = r.boolean("LumoraLink", true);
    s.chkIndexInThumbPages = r.boolean("IndexInThumbPages", true);
    s.chkIndexInImagePages = r.boolean("IndexInImagePages", true);
    s.chkThumbnailPageHeading = r.boolean("Page_Position_Heading", true);
    if (const auto size = r.number("Page_Position_Heading_Size"))
        s.Cmbheadingsize.setIndex(*size < 0 ? 1 : *size);

    // Each number that is missing or no number keeps its setting; the keys after it are still
    // read, so one bad value cannot leave the rest at another rotation's values.
    r.readSpin("Thumb_Width", s.SpnThumbW);
    r.readSpin("Thumb_Height", s.SpnThumbH);
    r.readSpin("Thumb_Border", s.spnImageborder);
    r.readSpin("Thumb_JPEG_Quality", s.spnJPEGQuality);
    r.readSpin("Horizontal_Thumb_Count", s.spnHorzCOunt);
    r.readSpin("Vertical_Thumb_Count", s.spnVertCOunt);
    r.readIndex("Link_Enclosure", s.cmbLinkEnclosure);
    r.readText("Default_Font", s.FontName);
    s.rdbfontdefault = s.FontName.isEmpty();
    r.readIndex("Default_Font_Size", s.cmbFontsize, FontSizeOffset);
    r.readText("Index_Font", s.indexFontName);
    s.rdbindexfontdefault = s.indexFontName.isEmpty();
    r.readIndex("Index_Font_Size", s.cmbindexFontsize, FontSizeOffset);
    if (r.text("Index_Image_Font_Size"))
        s.SpnindexImageFontsize.setValue(r.number("Index_Image_Font_Size").value_or(10));
    r.readSpin("Cell_Spacing", s.spnCellSpacing);
    r.readSpin("Cell_Padding", s.spnCellPadding);

    r.readPath("Previous_Page_File", s.edtpreviousfile);
    r.readPath("Next_Page_File", s.edtnextfile);
    r.readPath("Return_To_Index_File", s.edtindexfile);
    // Taken before the keys that depend on it.
    s.Chkusecustombuttons = !s.edtnextfile.isEmpty() && !s.edtpreviousfile.isEmpty();
    if (r.text("Image_Display_Method"))
        s.cmbImageDisplayMethod.setIndex(r.number("Image_Display_Method").value_or(0));
    r.readPath("Selected_Page_Index_File", s.edtSelectedImageButton);
    r.readPath("Other_Page_Index_File", s.edtotherImageButton);
    s.chkImageButtons = !s.edtSelectedImageButton.isEmpty() && !s.edtotherImageButton.isEmpty();

    s.Filename_Display = filenameDisplayFromText(r.textOr("Filename_Display", QString()));
    r.readPath("Description_File", s.edtdescripfile);
    s.chkShowFIlenameWhenNoDesc = r.boolean("ShowFilenameWhenNoDesc", true);
    r.readColour("Displayed_Page_Text_Colour", s.cmbIndexTextColour);
    r.readColour("Other_Page_Text_Colour", s.cmbNonCurrentIndexText);
    r.readColour("Link_Enclosure_Colour", s.cmbLinkEncColour);
    r.readColour("Heading_Colour", s.cmbHeadingColour);
    r.readText("Page_Number_Prefix", s.edtpagenumberprefix);

    const bool horizontal = r.textOr("Index_Layout", QStringLiteral("Vertical")).toUpper() == QLatin1String("HORIZONTAL");
    s.rgpIndexLayout.setIndex(horizontal ? rotationentries::HorizontalIndex : rotationentries::VerticalIndex);

    s.rdbHTMLImageWindow = r.textOr("DisplayAsImage", QStringLiteral("True")).toUpper() == QLatin1String("FALSE");
    // Read whatever the image display: skipped, the previous rotation's image pages would be
    // saved into this one.
    r.readPath("Image_Style_File", s.cmbimagestyle);
    readImageHeader(r, "Image_Header_Same_As_Index", "Image_Header_File", "Image_Header_HTML", s.cmbimageHeader,
                    s.edtimageheaderfile, s.edtimageheaderhtml);
    readImageHeader(r, "Image_Footer_Same_As_Index", "Image_Footer_File", "Image_Footer_HTML", s.cmbimageFooter,
                    s.edtimagefooterfile, s.edtimagefooterhtml);

    const auto width = r.number("Image_Width");
    const auto height = r.number("Image_Height");
    s.chkmaximagesize = width && height;
    if (s.chkmaximagesize) {
        s.spnImageWidth.setValue(*width);
        s.SpnImageHeight.setValue(*height);
    }
    s.chkImageHeading = r.boolean("Image_Heading", true);
    s.chkUseSameNavGraphics = s.Chkusecustombuttons && r.boolean("Image_UseSameNavGraphics", true);
    s.chkBold = r.boolean("Default_Font_Bold", false);
    s.chkitalics = r.boolean("Default_Font_Italics", false);
    s.chkindexBold = r.boolean("Index_Font_Bold", false);
    s.chkindexitalics = r.boolean("Index_Font_Italics", false);
}
