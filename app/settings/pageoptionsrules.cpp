#include "pageoptionsrules.h"

#include "platform/fileidentity.h"

namespace {

bool isOwnChoice(const ListChoice& choice)
{
    return choice.index() == rotationentries::ImageHTML || choice.index() == rotationentries::ImageFile;
}

bool missing(const QString& file)
{
    return file.isEmpty() || !platform::fileExists(file);
}

PageOptionsProblem warning(const char* text)
{
    return {platform::PromptIcon::Warning, QString::fromLatin1(text)};
}

PageOptionsProblem information(const char* text)
{
    return {platform::PromptIcon::Information, QString::fromLatin1(text)};
}

// The checks of one header or footer: its own HTML, or a list file.
std::optional<PageOptionsProblem> headerFooterProblem(bool header, bool htmlChosen, const QString& html, bool fileChosen,
                                                      const QString& file)
{
    if (htmlChosen && html.isEmpty())
        return information(header ? "You have elected to insert a header, but have not provided any HTML!"
                                  : "You have elected to insert a footer, but have not provided any HTML!");
    if (fileChosen && missing(file))
        return warning(header ? "You have elected to insert custom headers, but you have not specified a file to use "
                                "or the file cannot be located!"
                              : "You have elected to insert custom footers, but you have not specified a file to use "
                                "or the file cannot be located!");
    return std::nullopt;
}

std::optional<PageOptionsProblem> descriptionProblem(const RotationSettings& s)
{
    if (s.rdbshowdescription() && missing(s.edtdescripfile))
        return warning("You have elected to show descriptions for your thumbnails, however you have not specified a "
                       "description file or the file cannot be located!");
    return std::nullopt;
}

} // namespace

PageOptionsEnabled pageOptionsEnabled(const RotationSettings& s)
{
    const bool H = s.rdbHTMLImageWindow;
    const bool C = s.Chkusecustombuttons;
    PageOptionsEnabled e;
    e.imagePages = H;
    e.editImageHeader = H && isOwnChoice(s.cmbimageHeader);
    e.editImageFooter = H && isOwnChoice(s.cmbimageFooter);
    e.viewImageTemplate = H && !s.cmbimagestyle.isEmpty();
    e.customButtons = C;
    e.returnToIndex = C && H;
    e.useSameNavGraphics = C && s.chkimagenavigationbar && H;
    e.indexImageButtons = s.chkImageButtons;
    e.indexFontSize = !s.chkImageButtons;
    e.linkEnclosureColour = s.cmbLinkEnclosure.index() > 0;
    e.fontName = s.rdbfontcustom();
    e.indexFontName = s.rdbindexfontcustom();
    e.descriptionFile = s.rdbshowdescription();
    e.maxImageSize = s.chkmaximagesize;
    return e;
}

std::optional<PageOptionsProblem> checkPageOptions(const RotationSettings& s)
{
    using namespace rotationentries;
    if (s.rdbHTMLImageWindow && missing(s.cmbimagestyle))
        return warning("You have elected to create HTML pages, however you have not specified a template file or "
                       "the file cannot be located!");
    if (auto problem = descriptionProblem(s))
        return problem;
    const int header = s.cmbimageHeader.index();
    if (auto problem = headerFooterProblem(true, header == ImageHTML, s.edtimageheaderhtml, header == ImageFile,
                                           s.edtimageheaderfile))
        return problem;
    const int footer = s.cmbimageFooter.index();
    if (auto problem = headerFooterProblem(false, footer == ImageHTML, s.edtimagefooterhtml, footer == ImageFile,
                                           s.edtimagefooterfile))
        return problem;
    if (s.Chkusecustombuttons && (missing(s.edtnextfile) || missing(s.edtpreviousfile)))
        return warning("You have elected to use custom previous and next images, however one of the images you have "
                       "entered cannot be located!");
    if (s.chkImageButtons && (missing(s.edtSelectedImageButton) || missing(s.edtotherImageButton)))
        return warning("You have elected to use custom image buttons for your Index, however one of the images you "
                       "have entered cannot be located!");
    return std::nullopt;
}

std::optional<PageOptionsProblem> checkBuildSettings(const RotationSettings& s)
{
    using namespace rotationentries;
    if (missing(s.cmbstyle))
        return information("You have not specified a HTML template file for your thumbnail page or the file cannot be "
                           "located!");
    if (s.rdbHTMLImageWindow && missing(s.cmbimagestyle))
        return information("You have not specified a HTML template file for your image display page or the file "
                           "cannot be located!");
    if (auto problem = descriptionProblem(s))
        return problem;
    const int header = s.cmbHeader.index();
    if (auto problem = headerFooterProblem(true, header == HeaderHTML, s.edtheaderhtml, header == HeaderFile,
                                           s.edtheaderfile))
        return problem;
    const int footer = s.cmbFooter.index();
    return headerFooterProblem(false, footer == HeaderHTML, s.edtfooterhtml, footer == HeaderFile, s.edtfooterfile);
}

std::optional<int> pageCountFromText(const QString& text)
{
    bool ok = false;
    const int count = text.trimmed().toInt(&ok);
    if (!ok || count < 1)
        return std::nullopt;
    return count;
}

void fillNavigationGraphics(RotationSettings& s, const QString& programFolder)
{
    const auto fill = [&](QString& box, const char* name) {
        if (!box.isEmpty())
            return;
        const QString file = programFolder + QStringLiteral("navgraph/") + QLatin1String(name);
        if (platform::fileExists(file))
            box = file;
    };
    fill(s.edtnextfile, "Next.gif");
    fill(s.edtpreviousfile, "Previous.gif");
    fill(s.edtindexfile, "Index.gif");
}
