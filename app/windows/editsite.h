#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

#include <functional>

class SettingsBinder;
class TFileListBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TLmILBitBtn;
class TDropFileTarget;

// What the build dialog is given once the editor's checks have passed and the two
// required-files lists are filled.
struct EditorBuildRequest {
    int rotation = 0;
    QString rotationFolder;          // with one trailing "/"
    QStringList images;              // the names the rotation's file list shows, in its order
    bool buildAll = false;           // started by "Build All": the dialog starts by itself
    bool noThumbnails = false;       // a site without images: pageCount pages
    int pageCount = 0;
};

// The site editor: the site's rotations, their images, templates and the build.
class TdlgEditSite : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgEditSite(AppContext& context, QWidget* parent = nullptr);

    // ---- controls ----
    QLineEdit* edtsite;               // the site's name
    QListWidget* lbxrotations;        // one row per rotation
    TLmILBitBtn* btnNewRotation;
    TLmILBitBtn* btndeleterotation;
    QGroupBox* grpRotations;
    QLabel* lblstatus;
    QLineEdit* edtrotationdirectory;  // the rotation folder
    QLabel* Label9;
    TFileListBox* FileBox;            // the images in the rotation folder
    QLabel* lblfilecount;
    TLmILBitBtn* btnAddFiles;         // "Select Images"
    QComboBox* cmbstyle;              // index-page template, with its recent list
    TLmILBitBtn* btnnewstyle;         // "Browse.."
    TLmILBitBtn* btnteststyle;        // "Test Compliance"
    TLmILBitBtn* btnviewhtml;         // "View Page"
    QComboBox* cmbHeader;
    QComboBox* cmbFooter;
    TLmILBitBtn* btneditheader;
    TLmILBitBtn* btneditfooter;
    QLineEdit* edtheaderhtml;         // hidden
    QLineEdit* edtfooterhtml;         // hidden
    QLineEdit* edtheaderfile;         // hidden
    QLineEdit* edtfooterfile;         // hidden
    TLmILBitBtn* btnThumbnailOptions; // "Other Layout Settings"
    TLmILBitBtn* btnCopyFrom;         // "Copy settings.."
    TLmILBitBtn* btnbuild;            // "Build!"
    TLmILBitBtn* btnpreview;
    TLmILBitBtn* btnBuildAll;
    TLmILBitBtn* btnApplytoAll;
    TFileListBox* fbxtemp;            // hidden: counts the images of a folder
    TLmILBitBtn* BitBtn1;             // Help
    TLmILBitBtn* BitBtn2;             // Close
    TDropFileTarget* DropFileTarget1; // files dropped on FileBox are added to the rotation

    // ---- editor state ----
    int currentRotation = -1;         // the rotation being edited; -1: none
    int rotationStatus = 0;           // its build status
    bool buildAll = false;
    bool noThumbnails = false;        // the build makes pageCount pages without images
    int pageCount = 0;

    // The build dialog: shown at the end of a build's checks; true when the rotation was
    // built. Until it is set the build ends after the checks and lists.
    std::function<bool(const EditorBuildRequest&)> runBuild;

    // ---- handlers ----
    void FormShow();
    void FormClose();
    void lbxrotationsClick();
    void btnNewRotationClick();
    void btndeleterotationClick();
    void Displaycurrentstatus();
    void edtrotationdirectoryChange();
    void FileBoxChange();
    void FileBoxKeyUp(int key);
    void cmbstyleChange();
    void cmbstyleExit();
    void btnnewstyleClick();
    void btnteststyleClick();
    void btnpreviewClick(QPushButton* sender);
    void cmbHeaderChange(QComboBox* sender);
    void btneditheaderClick(QPushButton* sender);
    // sender is btnbuild, or nullptr from "Build All".
    void btnbuildClick(QPushButton* sender);
    void btnBuildAllClick();
    void btnApplytoAllClick();
    void btnCopyFromClick();
    void btnThumbnailOptionsClick();
    void btnAddFilesClick();

    // Reads [Rotation_<n>] of "<siteKey>.ini" into the rotation settings; with loadStatus it
    // becomes the rotation being edited, with loadFolder its folder is taken too.
    void LoadRotation(const QString& siteKey, int n, bool loadStatus, bool loadFolder);
    // Writes the rotation settings into [Rotation_<n>] of the current site's file, with the
    // status and folder when asked. False (after its message) when the file could not be written.
    bool SaveRotation(int n, bool withStatusAndFolder);
    // Fills the list with the rows of a site's rotations; for the editor's own list the
    // add-images dialog's choices follow.
    void loadrotationlist(const tsiterecord& site, QListWidget* list);

    // File routines that live on this window.
    void docopyfile(const QString& source, const QString& destination, bool confirm);
    void dodeletedir(const QString& folder);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void buildControls();
    QLayout* buildRotationControls();
    QWidget* buildStyleGroup();
    void connectControls();
    // Build!, Select Images, Apply to All and Preview wait for a loaded rotation.
    void enableRotationCommands();
    void selectRowQuietly(int row);
    void showRotationSettings();
    bool testTemplate(const QString& file, bool isThumbnailPage);

    AppContext& context_;
    SettingsBinder* binder_;
    bool selecting_ = false;
};
