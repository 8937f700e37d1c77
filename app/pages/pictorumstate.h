#pragma once

#include "app/pages/templatecheck.h"
#include "app/settings/rotationsettings.h"
#include "app/site/programoptions.h"
#include "app/site/siterecord.h"

#include <QString>
#include <QStringList>

// What the main window owns and the other windows read: the program folder, the program
// options, the current site and the two required-files lists.
struct PictorumState {
    QString ProgramFolder;           // with one trailing "/"
    ProgramOptions options;
    tsiterecord CurrentSite;
    // Set when the position was given here (new site, site options); otherwise saving leaves
    // the stored value alone, since the rotation tool advances it.
    bool CurrentRotationPositionChanged = false;
    QStringList RequiredFileNames;   // upper-cased file names
    QStringList RequiredFilePaths;   // the matching full paths
    // The settings of the rotation open in the site editor: the page options dialog and the
    // editor edit them, the rotation section is loaded into them and saved from them, and
    // the build reads them.
    RotationSettings rotationSettings;
    // The site editor's rotations as the add-images dialog offers them ("Rotation <n>" or
    // "Current Site"), row for row with the editor's list, and the row selected there.
    QStringList rotationChoices;
    int rotationChoice = -1;
    // What the last successful test of each kind of template found; the build reads them.
    TemplateTokens ThumbTemplateTokens;
    TemplateTokens ImageTemplateTokens;
};
