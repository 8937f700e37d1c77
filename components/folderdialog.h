#pragma once

#include "platform/modaldialog.h"

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class FolderRootsModel;
class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTreeView;
class WidgetPlacement;

enum TFolderDialogOption {
    bfFileSysDirsOnly = 0x0001,      // only items with a file-system path can be chosen
    bfDontGoBelowDomain = 0x0002,    // kept; no effect here
    bfStatusText = 0x0004,           // the dialog has a status line
    bfFileSysAncestors = 0x0008,     // kept; no effect here
    bfBrowseForComputer = 0x0010,    // kept; no effect here
    bfBrowseForPrinter = 0x0020,     // kept; no effect here
    bfBrowseIncludeFiles = 0x0040,   // the tree lists files too
    bfShowPathInStatusArea = 0x0080, // the status line shows the selection's path
    bfSyncCustomButton = 0x0100,     // the custom button is enabled together with OK
    bfAlignCustomButton = 0x0200,    // the custom button stands in the row of OK and Cancel
    bfScreenCenter = 0x0400,
    bfParentCenter = 0x0800,
    bfResizeCustomButton = 0x1000,   // the custom button takes the size of OK
};
Q_DECLARE_FLAGS(TFolderDialogOptions, TFolderDialogOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFolderDialogOptions)

inline constexpr TFolderDialogOptions defaultFolderDialogOptions =
    TFolderDialogOptions(bfFileSysDirsOnly | bfStatusText | bfShowPathInStatusArea | bfSyncCustomButton
                         | bfAlignCustomButton | bfParentCenter);

// The top of the folder tree.
enum TShellFolder {
    sfoDesktopExpanded,
    sfoDesktop,
    sfoPrograms,
    sfoControlPanel,
    sfoPrinters,
    sfoPersonal,
    sfoFavorites,
    sfoStartup,
    sfoRecent,
    sfoSendto,
    sfoRecycleBin,
    sfoStartMenu,
    sfoDesktopDirectory,
    sfoMyComputer,
    sfoNetwork,
    sfoNetworkNeighborhood,
    sfoFonts,
    sfoTemplates,
    sfoCommonStartMenu,
    sfoCommonPrograms,
    sfoCommonStartup,
    sfoCommonDesktopDirectory,
    sfoAppData,
    sfoPrintHood,
};

// What a root choice shows: under a "Computer" node the home folder, the desktop folder and
// "/", or one folder of the user's as the only top. A folder this machine does not have gives
// the "Computer" tree.
struct FolderDialogRoots {
    bool computerNode = false;
    QStringList folders;
    bool expandFirst = false;        // open the first folder (the home folder) at the start
};
FolderDialogRoots folderDialogRoots(TShellFolder root);

// What the dialog's position is worked out from. Rectangles are in screen coordinates.
struct FolderDialogPlacement {
    TFolderDialogOptions options;
    std::optional<QRect> owner;      // the owner window with its frame
    QPoint ownerClientOrigin;        // the screen position of the owner's client area
    QSize frame;                     // the dialog window with its frame
    QSize client;                    // the dialog's client area
    QRect screen;
    QRect available;                 // the part of the screen windows may take
    int left = 0;
    int top = 0;
};
// Parent centre (a quarter down the owner), screen centre (a third down the free height) or
// Left/Top in the owner's client coordinates; then kept inside the available area.
QPoint folderDialogPosition(const FolderDialogPlacement& placement);

// The window of the folder dialog: the instruction text, the folder tree, the status line
// and the buttons.
class TFolderDialogWindow : public platform::ModalDialog {
    Q_OBJECT
public:
    TFolderDialogWindow(const FolderDialogRoots& roots, TFolderDialogOptions options, QWidget* parent);

    QLabel* lblText;
    QTreeView* tvFolders;
    QLabel* lblStatus;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QHBoxLayout* buttonRow;

    // The path of the selected item; "" for an item without one or no selection.
    QString selectedPath() const;
    QString selectedName() const;
    // Selects the folder when the tree holds it; false otherwise.
    bool selectPath(const QString& path);
    // The status line, cut with an ellipsis to its width.
    void setStatus(const QString& text);
    const QString& status() const { return status_; }

    FolderRootsModel* model() const { return model_; }

signals:
    void firstShown();
    void selectionChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showStatus();

    FolderRootsModel* model_;
    QString status_;
    bool shown_ = false;
};

// Lets the user pick a folder in a dialog of our own. Execute shows it modally; Directory
// then holds the chosen folder. The window exists only while Execute runs.
class TFolderDialog : public QObject {
    Q_OBJECT
public:
    TFolderDialog(QWidget* owner, platform::DialogRunner& runner);
    ~TFolderDialog() override;

    bool Ctl3D = true;                       // kept; no effect here
    int Top = 0;                             // position in the owner's client area, when
    int Left = 0;                            // neither centring option is set
    QString Text;                            // instruction above the tree
    TFolderDialogOptions Options = defaultFolderDialogOptions;
    QPointer<QAbstractButton> CustomButton;  // a button of the owner's form, lent to the dialog
    std::function<void(TFolderDialog&)> OnShow;    // the window is set up
    std::function<void(TFolderDialog&)> OnClose;   // the window is gone
    std::function<void(TFolderDialog&)> OnChange;  // the selection has a path now

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title);
    // While the window is shown, the path of the selection; otherwise the folder chosen last.
    QString Directory() const;
    void SetDirectory(const QString& directory);
    TShellFolder RootFolder() const { return rootFolder_; }
    void SetRootFolder(TShellFolder root) { rootFolder_ = root; }
    // The name of the item chosen by the last Execute that gave true.
    const QString& DisplayName() const { return displayName_; }

    // True when the user chose an item with OK; false (and Directory empty) after Cancel or
    // the close box.
    bool Execute();

    // The window while Execute runs.
    TFolderDialogWindow* window() const { return window_; }

private:
    void initialise();
    void place();
    void lendCustomButton();
    void returnCustomButton();
    void selectionChanged();
    QWidget* ownerWindow() const;

    QPointer<QWidget> owner_;
    platform::DialogRunner& runner_;
    QString title_ = QStringLiteral("Browse for Folder");
    QString directory_;
    QString displayName_;
    TShellFolder rootFolder_ = sfoDesktopExpanded;
    QPointer<TFolderDialogWindow> window_;
    std::unique_ptr<WidgetPlacement> lent_;
};
