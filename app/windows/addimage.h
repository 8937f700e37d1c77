#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

#include <QPoint>
#include <QStringList>

#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDropFileSource;
class TDropFileTarget;
class TFileListBox;
class TLmILBitBtn;
class TLmThumbGrid;
class TShellTree;

// A drag of files starts once the mouse, with exactly the left or exactly the right button
// held and no Shift, Control or Alt, is 10 pixels or more from where the button went down.
bool startsFileDrag(const QPoint& downAt, const QPoint& now, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

// Makes a rotation's file list take dropped files. The files are added after the drop has
// returned (so the drag's source is never kept waiting) and the list is read again.
TDropFileTarget* makeImageDropTarget(TFileListBox* list, AppContext& context, QObject* owner);

// Takes images from any folder into the current rotation.
class TdlgAddImages : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgAddImages(AppContext& context, QWidget* parent = nullptr);

    // ---- controls ----
    QGroupBox* grpSource;             // "Source Images"
    TShellTree* dirSource;            // folders only
    TFileListBox* fbxsource;          // image files of the source folder
    TLmThumbGrid* ThumbGrid;          // the same files as thumbnails
    QWidget* Panel4;                  // holds the copy button
    QPushButton* btncopy2site;
    QGroupBox* grpRotations;          // "Rotations"
    QWidget* Panel2;                  // the rotation side, fixed width
    QLabel* lblsite;
    QLabel* lblrotation;              // "Rotation:" or "Version:"
    QComboBox* cmbrotation;           // the site editor's rotations
    QLineEdit* edtrotationdirectory;  // the target folder
    QLabel* lblcontains;
    TFileListBox* FileBox;            // images of the target folder
    QLabel* lblcount;
    TDropFileTarget* DropFileTarget1;
    TDropFileSource* DropSource1;
    TLmILBitBtn* btnclose;

    // ---- handlers ----
    void FormShow();
    void dirSourceChange();
    void cmbrotationChange();
    void FileBoxChange();
    void ThumbGridSelectionChanged();
    void ThumbGridDblClick();
    void btncopy2siteClick();
    void FileBoxKeyUp(int key);
    // The drag out of the source list and of the grid: where a button went down, and each move.
    void fbxsourceMouseDown(const QPoint& at);
    void fbxsourceMouseMove(QWidget* from, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                            const QPoint& at);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildSourceGroup();
    QWidget* buildRotationGroup();
    void connectControls();
    void fillGrid();

    AppContext& context_;
    std::optional<QPoint> dragStart_;
};
