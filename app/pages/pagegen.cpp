#include "pagegen.h"

#include "headerfooterlist.h"
#include "htmltext.h"
#include "imagefit.h"
#include "imagemeasure.h"

#include "platform/fileidentity.h"
#include "platform/filenames.h"
#include "platform/paths.h"
#include "platform/safewrite.h"

#include <QFile>
#include <QRandomGenerator>

namespace {

using namespace rotationentries;

const QString nbsp = QStringLiteral("&nbsp;");

// The link-back lines; one is picked at random for each page.
const char* const linkBackLines[] = {
    "This gallery was made with Pictorum Pro",
    "Pages and thumbnails made with Pictorum Pro",
    "Built with Pictorum Pro, the image site builder",
    "Gallery created with Pictorum Pro",
    "Thumbnail pages by Pictorum Pro",
};
constexpr int linkBackLineCount = int(std::size(linkBackLines));

// Opening and closing texts of the link enclosures, by entry.
const char* const enclosureOpenings[] = {"", "&lt; ", "&gt;", "[ ", "- "};
const char* const enclosureClosings[] = {"", "&gt;", " &lt;", " ]", " -"};

QString number(qint64 n)
{
    return QString::number(n);
}

} // namespace

int thumbnailPageCount(int total, int perPage)
{
    if (perPage <= 0)
        return 0;
    return total / perPage + (total % perPage != 0 ? 1 : 0);
}

QString completedPageNumberPrefix(const QString& prefix)
{
    if (prefix.isEmpty())
        return QStringLiteral("Page ");
    return prefix.endsWith(QLatin1Char(' ')) ? prefix : prefix + QLatin1Char(' ');
}

PageGenerator::PageGenerator(PageInputs inputs, PageServices services)
    : in_(std::move(inputs))
    , services_(std::move(services))
    , prefix_(completedPageNumberPrefix(in_.settings.edtpagenumberprefix))
    , templates_(in_.settings.cmbstyle, in_.settings.cmbimagestyle)
{
    if (!services_.status)
        services_.status = [](const QString&) {};
    if (!services_.pickLine)
        services_.pickLine = [](int count) { return int(QRandomGenerator::global()->bounded(count)); };
    if (!services_.measureImage)
        services_.measureImage = [](const QString& path) { return measureImageFile(path); };
}

int PageGenerator::thumbnailsPerPage() const
{
    return in_.settings.spnHorzCOunt.value() * in_.settings.spnVertCOunt.value();
}

bool PageGenerator::useImageButtons() const
{
    const RotationSettings& s = in_.settings;
    return s.chkImageButtons && (!s.edtSelectedImageButton.isEmpty() || !s.edtotherImageButton.isEmpty());
}

// ---- names and links ----

QString PageGenerator::L(const QString& x) const
{
    return in_.options.ForceLowercase ? x.toLower() : x;
}

QString PageGenerator::gethtmlpagename(int n) const
{
    const QString& base = in_.site.BaseHTMLName;
    if (n == 1)
        return base;
    const QString name = platform::extractFileName(base);
    const QString extension = platform::extractExtension(name);
    return name.left(name.size() - extension.size()) + number(n) + extension;
}

QString PageGenerator::imagePageName(const QString& image) const
{
    return platform::changeextension(image, platform::extractExtension(in_.site.BaseHTMLName));
}

QString PageGenerator::GetImageLinkName(const QString& image, bool forThumbnail) const
{
    const QString target = in_.settings.rdbHTMLImageWindow ? imagePageName(image) : image;
    return forThumbnail ? GetHREF(target) : target;
}

QString PageGenerator::GetHREF(const QString& target) const
{
    const QString t = L(target);
    const QString link = platform::linkFileName(t);
    switch (in_.settings.cmbImageDisplayMethod.index()) {
    case 1:
        return htmlEscaped(link) + QStringLiteral("\" Target=\"_blank");
    case 2:
        return QStringLiteral("javascript:openwin('") + htmlEscaped(scriptEscaped(link)) + QStringLiteral("','")
            + popupWindowName(t) + QStringLiteral("');");
    case 3:
        return QStringLiteral("javascript:openwin('") + htmlEscaped(scriptEscaped(link)) + QStringLiteral("','');");
    default:
        return htmlEscaped(link);
    }
}

// ---- texts ----

QString PageGenerator::GetDisplayFilename(const QString& image) const
{
    const int limit = in_.options.MaxFilenameLength;
    auto shortened = [limit](const QString& name) {
        return htmlEscaped(limit == NoFilenameLimit ? name : shortenedName(name, limit));
    };
    switch (in_.settings.Filename_Display) {
    case FilenameDisplay::None: return {};
    case FilenameDisplay::HideExt: return shortened(platform::changeextension(image, QString()));
    case FilenameDisplay::Normal: return shortened(image);
    case FilenameDisplay::DescriptionFile: return imageDescription(image);
    }
    return {};
}

QString PageGenerator::imageDescription(const QString& image) const
{
    QByteArray description = descriptions_.lookup(image);
    if (description.isEmpty())
        description = descriptions_.lookup(in_.rotationFolder + image);
    if (!description.isEmpty())
        return pageTextOfBytes(description); // inserted as the file has it
    if (in_.settings.chkShowFIlenameWhenNoDesc)
        return htmlEscaped(image);
    return {};
}

QString PageGenerator::LumoraCredits()
{
    return QStringLiteral("<!-- HTML created with Pictorum Pro Rapid Pictorum Creation software -->") + CRLF;
}

QString PageGenerator::GetLumoraLink() const
{
    if (!in_.settings.chkAddLumoraLink)
        return {};
    const int pick = std::clamp(services_.pickLine(linkBackLineCount), 0, linkBackLineCount - 1);
    return QStringLiteral("<CENTER><B><FONT FACE=\"Times New Roman,Times\"><FONT SIZE=-1>")
        + QLatin1String(linkBackLines[pick]) + QStringLiteral("</FONT></FONT></B></CENTER>");
}

QString PageGenerator::CreateHeading(const QString& text) const
{
    const RotationSettings& s = in_.settings;
    const QString level = number(std::max(s.Cmbheadingsize.index(), 0) + 1);
    return QStringLiteral("<center><H") + level + QLatin1Char('>') + getcolourstr(s.cmbHeadingColour, true)
        + getfontstr(s.FontName, s.rdbfontdefault, false, true, true) + text
        + getfontstr(s.FontName, s.rdbfontdefault, false, true, false) + getcolourstr(s.cmbHeadingColour, false)
        + QStringLiteral("</H") + level + QStringLiteral("></center>");
}

QString PageGenerator::getfontstr(const QString& fontName, bool useDefault, bool index, bool noStyles,
                                  bool opening) const
{
    const bool face = !useDefault && !fontName.isEmpty();
    QString text;
    if (face)
        text = opening ? QStringLiteral("<FONT FACE=\"") + htmlEscaped(fontName) + QStringLiteral("\">")
                       : QStringLiteral("</FONT>");
    if (noStyles)
        return text;

    const RotationSettings& s = in_.settings;
    const bool bold = index ? s.chkindexBold : s.chkBold;
    const bool italic = index ? s.chkindexitalics : s.chkitalics;
    const ListChoice& size = index ? s.cmbindexFontsize : s.cmbFontsize;
    const bool sized = size.hasSelection() && size.index() != DefaultFontSize;
    if (opening) {
        // Reads size, italic, bold, face.
        if (bold)
            text.prepend(QStringLiteral("<B>"));
        if (italic)
            text.prepend(QStringLiteral("<I>"));
        if (sized)
            text.prepend(QStringLiteral("<FONT SIZE=") + size.text() + QLatin1Char('>'));
    } else {
        if (bold)
            text += QStringLiteral("</B>");
        if (italic)
            text += QStringLiteral("</I>");
        if (sized)
            text += QStringLiteral("</FONT>");
    }
    return text;
}

QString PageGenerator::getcolourstr(const ColourChoice& colour, bool opening)
{
    if (colour.IsDefault())
        return {};
    return opening ? QStringLiteral("<FONT COLOR=\"") + htmlColourText(colour.IsColour()) + QStringLiteral("\">")
                   : QStringLiteral("</FONT>");
}

QString PageGenerator::getEnclosurecharacter(bool opening) const
{
    const RotationSettings& s = in_.settings;
    const int entry = s.cmbLinkEnclosure.index();
    if (entry <= 0)
        return {};
    const char* text = opening ? enclosureOpenings[entry] : enclosureClosings[entry];
    return getcolourstr(s.cmbLinkEncColour, true) + QLatin1String(text) + getcolourstr(s.cmbLinkEncColour, false);
}

QString PageGenerator::pageFont(bool opening) const
{
    return getfontstr(in_.settings.FontName, in_.settings.rdbfontdefault, false, false, opening);
}

QString PageGenerator::navigationCell(const NavLink& nav, const QString& image, bool indexCell) const
{
    if (nav.link.isEmpty())
        return nbsp;
    const QString href = QStringLiteral("<a href=\"") + linkEscaped(L(nav.link)) + QStringLiteral("\">");
    if (in_.settings.Chkusecustombuttons && !image.isEmpty())
        return href + QStringLiteral("<img SRC=\"") + linkEscaped(L(platform::extractFileName(image)))
            + QStringLiteral("\" ALT=\"") + nav.text + QStringLiteral("\" BORDER=0></a>");
    if (indexCell)
        return pageFont(true) + getEnclosurecharacter(true) + href + nav.text + QStringLiteral("</a>")
            + getEnclosurecharacter(false) + pageFont(false);
    return href + pageFont(true) + nav.text + pageFont(false) + QStringLiteral("</a>");
}

QString PageGenerator::getnavigationstring(const NavLink& previous, const NavLink& next, const NavLink& index,
                                           bool force) const
{
    const RotationSettings& s = in_.settings;
    if (!s.chkimagenavigationbar && !force)
        return {};
    return QStringLiteral("<center><table COLS=3 border=\"0\" cellpadding=\"3\" cellspacing=\"4\" width=\"90%\">")
        + CRLF + QStringLiteral("<tr>") + CRLF
        + QStringLiteral("<td>") + navigationCell(previous, s.edtpreviousfile, false) + QStringLiteral("</td>") + CRLF
        + QStringLiteral("<td><p align=\"center\">") + navigationCell(index, s.edtindexfile, true)
        + QStringLiteral("</p></td>") + CRLF
        + QStringLiteral("<td><p align=\"right\">") + navigationCell(next, s.edtnextfile, false)
        + QStringLiteral("</p></td>") + CRLF
        + QStringLiteral("</tr>") + CRLF + QStringLiteral("</table></center>");
}

// ---- thumbnail pages ----

QString PageGenerator::thumbnailCell(int image) const
{
    const QString& name = in_.images.at(image);
    const QString href = L(GetImageLinkName(name, true));
    QString thumbnail = GetThumbnailName(name);
    if (in_.options.UseThumbsDirectory)
        thumbnail.prepend(QStringLiteral("./thumbs/"));
    QString cell = QStringLiteral("<td><center><a href=\"") + href + QStringLiteral("\"><img SRC=\"")
        + linkEscaped(L(thumbnail)) + QStringLiteral("\" BORDER=") + number(in_.settings.spnImageborder.value())
        + QStringLiteral("></a>");
    if (in_.settings.rdbshownothing())
        return cell + QStringLiteral("</center></td>") + CRLF;
    return cell + QStringLiteral("<br><a href=\"") + href + QStringLiteral("\">") + pageFont(true)
        + GetDisplayFilename(name) + pageFont(false) + QStringLiteral("</a></center>") + CRLF
        + QStringLiteral("</td>") + CRLF;
}

QString PageGenerator::CreateThumbGrid(int page, int first, const NavLink& previous, const NavLink& next) const
{
    const RotationSettings& s = in_.settings;
    QString content = LumoraCredits();
    if (s.chkThumbnailPageHeading)
        content += CreateHeading(prefix_ + number(page));
    content += QStringLiteral("<center><table CELLSPACING=") + number(s.spnCellSpacing.value())
        + QStringLiteral(" CELLPADDING=") + number(s.spnCellPadding.value()) + QLatin1Char('>') + CRLF;
    int image = std::max(first, 0);
    for (int row = 0; row < s.spnVertCOunt.value(); ++row) {
        content += QStringLiteral("<tr ALIGN=CENTER VALIGN=BOTTOM>") + CRLF;
        for (int column = 0; column < s.spnHorzCOunt.value() && image < imageCount(); ++column, ++image)
            content += thumbnailCell(image) + CRLF;
        content += QStringLiteral("</tr>") + CRLF;
    }
    content += QStringLiteral("</table></center>") + CRLF;
    if (s.chkAddLumoraLink)
        content += QStringLiteral("<BR>&nbsp;") + GetLumoraLink() + CRLF;
    content += QStringLiteral("<BR>&nbsp;") + getnavigationstring(previous, next, NavLink{}, true);
    return content;
}

QString PageGenerator::CreateIndex(int current, int pageCount, bool imageButtons) const
{
    const RotationSettings& s = in_.settings;
    const bool horizontal = s.rgpIndexLayout.index() == HorizontalIndex;
    services_.status(QStringLiteral("Creating Index for Page ") + number(current));
    QString index = QStringLiteral("<TABLE>") + CRLF;
    if (horizontal)
        index += QStringLiteral("<TR>") + CRLF;
    for (int p = 1; p <= pageCount; ++p) {
        if (!horizontal)
            index += QStringLiteral("<TR>") + CRLF;
        const QString pageLink = QStringLiteral("<A HREF=\"") + linkEscaped(L(gethtmlpagename(p))) + QStringLiteral("\">");
        QString body;
        if (imageButtons && p == current) {
            body = QStringLiteral("<IMG SRC=\"") + linkEscaped(L(GetPageButtonName(p, true, currentButtonExtension_)))
                + QStringLiteral("\" BORDER=0>");
        } else if (imageButtons) {
            body = pageLink + QStringLiteral("<IMG SRC=\"")
                + linkEscaped(L(GetPageButtonName(p, false, otherButtonExtension_)))
                + QStringLiteral("\" BORDER=0>") + QStringLiteral("</A>");
        } else if (p == current) {
            body = getfontstr(s.indexFontName, s.rdbindexfontdefault, true, false, true) + getEnclosurecharacter(true)
                + getcolourstr(s.cmbIndexTextColour, true) + prefix_ + number(p)
                + getcolourstr(s.cmbIndexTextColour, false) + getEnclosurecharacter(false)
                + getfontstr(s.indexFontName, s.rdbindexfontdefault, true, false, false);
        } else {
            body = getfontstr(s.FontName, s.rdbfontdefault, true, false, true) + getEnclosurecharacter(true) + pageLink
                + prefix_ + number(p) + QStringLiteral("</A>") + getEnclosurecharacter(false)
                + getfontstr(s.FontName, s.rdbfontdefault, true, false, false);
        }
        index += QStringLiteral("<TD>") + CRLF + body + QStringLiteral("</TD>") + CRLF;
        if (!horizontal)
            index += QStringLiteral("</TR>") + CRLF;
    }
    if (horizontal)
        index += QStringLiteral("</TR>") + CRLF;
    return index + QStringLiteral("</TABLE>") + CRLF;
}

QString PageGenerator::indexText(int page, int pageCount, bool forImagePages) const
{
    const TemplateTokens& tokens = forImagePages ? in_.ImageTemplateTokens : in_.ThumbTemplateTokens;
    const bool wanted = forImagePages ? in_.settings.chkIndexInImagePages : in_.settings.chkIndexInThumbPages;
    if (!tokens.index || !wanted)
        return {};
    return CreateIndex(page, pageCount, useImageButtons());
}

// ---- headers and footers ----

void PageGenerator::restartHeaderFooterLists()
{
    headers_.next = 0;
    footers_.next = 0;
}

std::optional<QByteArray> PageGenerator::nextListEntry(EntryList& list, const QString& file)
{
    const QString key = file.toUpper();
    if (key != list.loadedFile) {
        std::optional<QList<QByteArray>> entries = readHeaderFooterList(file);
        if (!entries) {
            listFailure_ = QStringLiteral("Cannot read the list %1").arg(file);
            return std::nullopt;
        }
        list.entries = std::move(*entries);
        list.loadedFile = key;
        list.next = 0;
    }
    if (list.entries.isEmpty())
        return QByteArray();
    if (list.next >= list.entries.size())
        list.next = 0;
    return headerFooterEntryHtml(list.entries.at(list.next++));
}

std::optional<QByteArray> PageGenerator::getnextheaderfooter(bool header, bool thumbnailPage)
{
    const RotationSettings& s = in_.settings;
    const TemplateTokens& tokens = thumbnailPage ? in_.ThumbTemplateTokens : in_.ImageTemplateTokens;
    if (!(header ? tokens.header : tokens.footer))
        return QByteArray();
    EntryList& list = header ? headers_ : footers_;
    const int imageChoice = (header ? s.cmbimageHeader : s.cmbimageFooter).index();
    if (thumbnailPage || imageChoice == ImageSameAsIndex) {
        switch ((header ? s.cmbHeader : s.cmbFooter).index()) {
        case HeaderHTML: return headerFooterEntryHtml(pageBytes(header ? s.edtheaderhtml : s.edtfooterhtml));
        case HeaderFile: return nextListEntry(list, header ? s.edtheaderfile : s.edtfooterfile);
        default: return QByteArray();
        }
    }
    switch (imageChoice) {
    case ImageHTML: return headerFooterEntryHtml(pageBytes(header ? s.edtimageheaderhtml : s.edtimagefooterhtml));
    case ImageFile: return nextListEntry(list, header ? s.edtimageheaderfile : s.edtimagefooterfile);
    default: return QByteArray();
    }
}

// ---- pages ----

platform::FileOutcome PageGenerator::writePage(const PageTemplates::Text& htmlTemplate, const QString& outputFile,
                                               const QString& content, const QString& index, bool thumbnailPage)
{
    if (!htmlTemplate.outcome)
        return htmlTemplate.outcome;
    const std::optional<QByteArray> header = getnextheaderfooter(true, thumbnailPage);
    const QString headerFailure = listFailure_;
    const std::optional<QByteArray> footer = getnextheaderfooter(false, thumbnailPage);
    if (!header || !footer)
        return platform::FileOutcome::failure(header ? listFailure_ : headerFailure);
    const int method = in_.settings.cmbImageDisplayMethod.index();
    const bool script = thumbnailPage && (method == 2 || method == 3);
    const QByteArray page =
        splicetext(htmlTemplate.bytes, pageBytes(content), pageBytes(index), *header, *footer, script);
    return platform::writeOutputFile(outputFile, page);
}

platform::FileOutcome PageGenerator::createHTMLThumbpage(const QString& outputFile, int page, const QString& index,
                                                         int first, int pageCount)
{
    QString content;
    if (!in_.withoutThumbnails) {
        const int perPage = thumbnailsPerPage();
        const QString count = number(perPage);
        const int rest = imageCount() % perPage;
        const NavLink previous{page > 1 ? gethtmlpagename(page - 1) : QString(),
                               (page == 1 ? QStringLiteral("First ") : QStringLiteral("Previous ")) + count
                                   + QStringLiteral(" Thumbnails")};
        const NavLink next{page < pageCount ? gethtmlpagename(page + 1) : QString(),
                           page == pageCount - 1
                               ? QStringLiteral("Last ") + number(rest == 0 ? perPage : rest) + QStringLiteral(" Thumbnails")
                               : QStringLiteral("Next ") + count + QStringLiteral(" Thumbnails")};
        content = CreateThumbGrid(page, first, previous, next);
    }
    return writePage(templates_.thumbnail(), outputFile, content, index, true);
}

QString PageGenerator::imageSizeAttributes(const QString& image) const
{
    const RotationSettings& s = in_.settings;
    if (!s.chkmaximagesize)
        return {};
    const std::optional<QSize> size = services_.measureImage(in_.rotationFolder + image);
    if (!size)
        return {};
    const QSize fitted =
        calculatedimensions(size->width(), size->height(), s.spnImageWidth.value(), s.SpnImageHeight.value());
    return QStringLiteral(" WIDTH=") + number(fitted.width()) + QStringLiteral(" HEIGHT=") + number(fitted.height())
        + QLatin1Char(' ');
}

platform::FileOutcome PageGenerator::createHTMLImagepage(const QString& outputFile, int image, const QString& index,
                                                         int page)
{
    if (image < 0 || image >= imageCount())
        return platform::FileOutcome::failure(QStringLiteral("No image %1 in this build").arg(image));
    const RotationSettings& s = in_.settings;
    const QString& name = in_.images.at(image);
    QString content = LumoraCredits();
    if (s.chkImageHeading)
        content += CreateHeading(s.rdbshownothing() ? htmlEscaped(name) : GetDisplayFilename(name));
    content += CRLF + QStringLiteral("<CENTER><IMG SRC=\"") + linkEscaped(L(name)) + QLatin1Char('"')
        + imageSizeAttributes(name) + QStringLiteral("></CENTER>");
    if (s.chkAddLumoraLink)
        content += CRLF + QStringLiteral("<BR>&nbsp;") + GetLumoraLink();
    const NavLink previous{image > 0 ? GetImageLinkName(in_.images.at(image - 1), false) : QString(),
                           QStringLiteral("Previous Image")};
    const NavLink next{image + 1 < imageCount() ? GetImageLinkName(in_.images.at(image + 1), false) : QString(),
                       QStringLiteral("Next Image")};
    content += CRLF + QStringLiteral("<BR>&nbsp;")
        + getnavigationstring(previous, next, NavLink{gethtmlpagename(page), QStringLiteral("Index")}, false);
    return writePage(templates_.image(), outputFile, content, index, false);
}
