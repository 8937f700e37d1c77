#pragma once

#include "rotationsettings.h"

#include "platform/prompts.h"

#include <QString>

#include <optional>

// Which controls of the page options can be used with the record as it stands.
struct PageOptionsEnabled {
    bool imagePages = false;          // image template, its buttons, image heading, image header
                                      // and footer, navigation bar, index in image pages
    bool editImageHeader = false;     // "Edit Header": image pages with their own header
    bool editImageFooter = false;
    bool viewImageTemplate = false;   // "View Page" (and "Test Compliance" until it has run)
    bool customButtons = false;       // previous and next images
    bool returnToIndex = false;       // "Return to Index" image
    bool useSameNavGraphics = false;
    bool indexImageButtons = false;   // button images, their font size, other pages' colour
    bool indexFontSize = false;
    bool linkEnclosureColour = false;
    bool fontName = false;
    bool indexFontName = false;
    bool descriptionFile = false;
    bool maxImageSize = false;
};

PageOptionsEnabled pageOptionsEnabled(const RotationSettings& s);

// The first entry that keeps the page options from closing with OK, with the box it shows.
struct PageOptionsProblem {
    platform::PromptIcon icon = platform::PromptIcon::Warning;
    QString text;
};
std::optional<PageOptionsProblem> checkPageOptions(const RotationSettings& s);

// The first setting that keeps the site editor from building, with the box it shows: the
// templates, the description file, the header and the footer.
std::optional<PageOptionsProblem> checkBuildSettings(const RotationSettings& s);

// The page count typed for a site without thumbnails: a whole number of 1 or more.
std::optional<int> pageCountFromText(const QString& text);

// The navigation images shipped in "navgraph/" of the program folder, each taken only by an
// empty box and only when the file is there.
void fillNavigationGraphics(RotationSettings& s, const QString& programFolder);
