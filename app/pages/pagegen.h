#pragma once

#include "descriptions.h"
#include "pagetemplates.h"
#include "templatecheck.h"
#include "app/settings/rotationsettings.h"
#include "app/site/programoptions.h"
#include "app/site/siterecord.h"

#include "platform/fileoutcome.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What one build's pages are made from: a snapshot of the rotation's settings, the program
// options and the site, the token flags of the last template tests, and the build's images.
struct PageInputs {
    RotationSettings settings;
    ProgramOptions options;
    tsiterecord site;
    TemplateTokens ThumbTemplateTokens;
    TemplateTokens ImageTemplateTokens;
    QString rotationFolder;         // with one trailing "/"
    QStringList images;             // file names in build order
    bool withoutThumbnails = false; // a site of pages without images
};

// What the page making asks of its surroundings; an unset member takes the program's own.
struct PageServices {
    // Width and height of an image file; nothing when it cannot be read. The program's own
    // is measureImageFile (the image library).
    std::function<std::optional<QSize>(const QString& path)> measureImage;
    // Shows the build's status line (by default nowhere).
    std::function<void(const QString& text)> status;
    // Picks one of count lines of the link-back text (0 .. count - 1); by default at random.
    std::function<int(int count)> pickLine;
};

// A previous, next or index link of a navigation bar: no link gives an empty cell.
struct NavLink {
    QString link;
    QString text;
};

// The number of thumbnail pages for total images at perPage a page.
int thumbnailPageCount(int total, int perPage);

// The page-number prefix as a build uses it: "Page " when empty, else ending in one space.
QString completedPageNumberPrefix(const QString& prefix);

// The text side of a build: every fragment of the thumbnail (index) pages and the image
// pages, and the two pages themselves spliced into their templates. Plain logic over a
// snapshot; only the header and footer list positions change while pages are made.
class PageGenerator {
public:
    PageGenerator(PageInputs inputs, PageServices services);

    const PageInputs& inputs() const { return in_; }
    int imageCount() const { return int(in_.images.size()); }
    int thumbnailsPerPage() const;
    bool useImageButtons() const;

    // The descriptions in use (set by the build when descriptions are shown).
    void setDescriptions(ImageDescriptions descriptions) { descriptions_ = std::move(descriptions); }
    // ".gif" or ".jpg", as the last page-number button was saved.
    void setPageButtonExtension(const QString& extension) { buttonExtension_ = extension; }

    // ---- names and links ----
    QString L(const QString& x) const;
    QString gethtmlpagename(int n) const;
    QString imagePageName(const QString& image) const;
    // With forThumbnail the target as an href value (GetHREF), else the plain target.
    QString GetImageLinkName(const QString& image, bool forThumbnail) const;
    // The href value of a target by the image display method, escaped for the attribute.
    QString GetHREF(const QString& target) const;

    // ---- texts ----
    // The text under a thumbnail, ready for the page.
    QString GetDisplayFilename(const QString& image) const;
    QString imageDescription(const QString& image) const;
    static QString LumoraCredits();
    QString GetLumoraLink() const;
    QString CreateHeading(const QString& text) const;
    QString getfontstr(const QString& fontName, bool useDefault, bool index, bool noStyles, bool opening) const;
    static QString getcolourstr(const ColourChoice& colour, bool opening);
    QString getEnclosurecharacter(bool opening) const;
    QString getnavigationstring(const NavLink& previous, const NavLink& next, const NavLink& index, bool force) const;

    // ---- thumbnail pages ----
    QString thumbnailCell(int image) const;
    QString CreateThumbGrid(int page, int first, const NavLink& previous, const NavLink& next) const;
    QString CreateIndex(int current, int pageCount, bool imageButtons) const;
    // The index text a page gets: empty unless its template had the index token and the
    // index is wanted on that kind of page.
    QString indexText(int page, int pageCount, bool forImagePages) const;

    // ---- headers and footers ----
    // Both list positions start again at the first entry.
    void restartHeaderFooterLists();
    // Nothing when a list file cannot be read.
    std::optional<QByteArray> getnextheaderfooter(bool header, bool thumbnailPage);

    // ---- pages ----
    // Each writes one page and says why when it could not. The two templates are read at the
    // first page that needs them and kept for the rest of the build.
    platform::FileOutcome createHTMLThumbpage(const QString& outputFile, int page, const QString& index, int first,
                                              int pageCount);
    platform::FileOutcome createHTMLImagepage(const QString& outputFile, int image, const QString& index, int page);

private:
    struct EntryList {
        QString loadedFile;          // upper-cased path of the list loaded
        QList<QByteArray> entries;
        int next = 0;
    };

    QString pageFont(bool opening) const;
    QString navigationCell(const NavLink& nav, const QString& image, bool indexCell) const;
    QString imageSizeAttributes(const QString& image) const;
    std::optional<QByteArray> nextListEntry(EntryList& list, const QString& file);
    platform::FileOutcome writePage(const PageTemplates::Text& htmlTemplate, const QString& outputFile,
                                    const QString& content, const QString& index, bool thumbnailPage);

    PageInputs in_;
    PageServices services_;
    ImageDescriptions descriptions_;
    QString prefix_;
    QString buttonExtension_ = QStringLiteral(".gif");
    EntryList headers_;
    EntryList footers_;
    QString listFailure_;  // why the last header or footer list could not be read
    PageTemplates templates_;
};
