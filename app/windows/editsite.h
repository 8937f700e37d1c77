#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The site editor: the site's rotations, their images, templates and the build.
class TdlgEditSite : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgEditSite(AppContext& context, QWidget* parent = nullptr);

    QComboBox* cmbstyle;            // index-page template, with its recent list
    QGroupBox* grpRotations;
    QLabel* lblstatus;
    QLineEdit* edtrotationdirectory;
    QPushButton* btnThumbnailOptions; // "Other Layout Settings"
    QPushButton* btnCopyFrom;         // "Copy settings.."

    // The rotation being edited: its number (-1: none) and build status.
    int currentRotation = -1;
    int rotationStatus = 0;

    // Reads [Rotation_<n>] of "<siteKey>.ini" into the rotation settings; with loadStatus it
    // becomes the rotation being edited, with loadFolder its folder is taken too.
    void LoadRotation(const QString& siteKey, int n, bool loadStatus, bool loadFolder);
    // Writes the rotation settings into [Rotation_<n>] of the current site's file, with the
    // status and folder when asked. False (after its message) when the file could not be written.
    bool SaveRotation(int n, bool withStatusAndFolder);
    // Fills the list with the rows of a site's rotations.
    void loadrotationlist(const QString& siteKey, QListWidget* list);
    void Displaycurrentstatus();

    void btnThumbnailOptionsClick();
    void btnCopyFromClick();
    QPushButton* btnteststyle;      // "Test Compliance"

    void cmbstyleChange();
    void btnteststyleClick();

    // File routines that live on this window.
    void docopyfile(const QString& source, const QString& destination, bool confirm);
    void dodeletedir(const QString& folder);

private:
    AppContext& context_;
};
