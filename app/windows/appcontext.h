#pragma once

#include "app/pages/pictorumstate.h"
#include "app/site/recenttemplates.h"
#include "app/site/sitestore.h"

#include "platform/services.h"

#include <QString>
#include <QStringList>

class TfrmMain;
class TdlgThumbOptions;
class TdlgAddImages;
class TdlgEditSite;

// The running program: its services, its state and its four long-lived windows.
struct AppContext {
    platform::Services services;
    QString programFileFolder;       // folder of the running executable, as the system gives it
    PictorumState state;
    RecentTemplates recentTemplates{}; // the editor's and the page options' template lists

    TfrmMain* frmMain = nullptr;
    TdlgThumbOptions* dlgThumbOptions = nullptr;
    TdlgAddImages* dlgAddImages = nullptr;
    TdlgEditSite* dlgEditSite = nullptr;

    SiteStore sites() const { return SiteStore(state.ProgramFolder); }
};

// Creates the four windows in their order: main window, page options, add images, editor.
// The main window owns the other three.
void createPictorumWindows(AppContext& context);
