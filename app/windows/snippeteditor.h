#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

#include <QFileDialog>
#include <QStringList>

class LimitedPlainTextEdit;
class QCheckBox;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class TLmILBitBtn;

// The texts of the snippet menu, in menu order.
const QStringList& htmlSnippets();

// The snippet editor's open dialog: our own, for its "Open as read-only" box.
class TOpenTextDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TOpenTextDialog(QWidget* parent = nullptr);
    QCheckBox* chkReadOnly;
};

// "Create HTML": one header or footer entry edited as lines, with a tool bar and a menu of
// HTML snippets.
class TfrmRichEdit : public platform::ModalDialog {
    Q_OBJECT
public:
    TfrmRichEdit(AppContext& context, QWidget* parent = nullptr);

    LimitedPlainTextEdit* Editor;   // at most 1000 characters typed or pasted
    QToolBar* ToolBar;
    QToolButton* OpenButton;
    QToolButton* PrintButton;
    QToolButton* UndoButton;
    QToolButton* CutButton;
    QToolButton* CopyButton;
    QToolButton* PasteButton;
    QToolButton* btnwrap;           // word wrap, down at start
    QToolButton* btninsert;         // the snippet menu, at the mouse release
    QToolButton* btnPreview;
    QMenu* puInsert;
    TLmILBitBtn* BitBtn1;           // OK
    TLmILBitBtn* BitBtn2;           // Cancel
    QPlainTextEdit* memsave;        // hidden: the preview file's lines

    // The edit's lines; setting them replaces the text.
    QStringList lines() const;
    void setLines(const QStringList& lines);

    void FormShow();
    void FileOpen();
    void FilePrint();
    void btnwrapClick();
    void insertSnippet(const QString& text);
    void btnPreviewClick();
    void SelectionChange();
    void RichEditChange();
    void UpdatePasteButton();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* addTool(const QString& name, const QString& themeIcon, const QString& hint);

    AppContext& context_;
};
