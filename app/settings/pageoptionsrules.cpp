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
    if (s.rdbshowdescription() && missing(s.edtdescripfile))
        return warning("You have elected to show descriptions for your thumbnails, however you have not specified a "
                       "description file or the file cannot be located!");
    if (s.cmbimageHeader.index() == ImageHTML && s.edtimageheaderhtml.isEmpty())
        return information("You have elected to insert a header, but have not provided any HTML!");
    if (s.cmbimageHeader.index() == ImageFile && missing(s.edtimageheaderfile))
        return warning("You have elected to insert custom headers, but you have not specified a file to use or the "
                       "file cannot be located!");
    if (s.cmbimageFooter.index() == ImageHTML && s.edtimagefooterhtml.isEmpty())
        return information("You have elected to insert a footer, but have not provided any HTML!");
    if (s.cmbimageFooter.index() == ImageFile && missing(s.edtimagefooterfile))
        return warning("You have elected to insert custom footers, but you have not specified a file to use or the "
                       "file cannot be located!");
    if (s.Chkusecustombuttons && (missing(s.edtnextfile) || missing(s.edtpreviousfile)))
        return warning("You have elected to use custom previous and next images, however one of the images you have "
                       "entered cannot be located!");
    if (s.chkImageButtons && (missing(s.edtSelectedImageButton) || missing(s.edtotherImageButton)))
        return warning("You have elected to use custom image buttons for your Index, however one of the images you "
                       "have entered cannot be located!");
    return std::nullopt;
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
