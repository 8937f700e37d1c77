#pragma once

#include "programoptions.h"
#include "rotationsettings.h"
#include "siterecord.h"
#include "sitestore.h"

#include "platform/services.h"

#include <QString>
#include <QStringList>

class TfrmMain;
class TdlgThumbOptions;
class TdlgAddImages;
class TdlgEditSite;

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
};

// The running program: its services, its state and its four long-lived windows.
struct AppContext {
    platform::Services services;
    QString programFileFolder;       // folder of the running executable, as the system gives it
    PictorumState state;

    TfrmMain* frmMain = nullptr;
    TdlgThumbOptions* dlgThumbOptions = nullptr;
    TdlgAddImages* dlgAddImages = nullptr;
    TdlgEditSite* dlgEditSite = nullptr;

    SiteStore sites() const { return SiteStore(state.ProgramFolder); }
};

// Creates the four windows in their order: main window, page options, add images, editor.
// The main window owns the other three.
void createPictorumWindows(AppContext& context);
