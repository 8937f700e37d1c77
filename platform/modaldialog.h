#pragma once

#include "modalresult.h"

#include <QDialog>

#include <functional>

class QAbstractButton;
class QHBoxLayout;
class QPushButton;

namespace platform {

// Base of every modal dialog. Its result is one of the modal results; the close box gives
// Cancel (2). Escape clicks the enabled button whose "Cancel" property is true, else gives
// Cancel. Setting a result closes the dialog.
class ModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit ModalDialog(QWidget* parent = nullptr);

    int modalResult() const { return result(); }
    void setModalResult(int result) { done(result); }

    // A button that closes the dialog with the given result when clicked.
    void bindResult(QAbstractButton* button, int result);

    void accept() override { done(mrOk); }
    void reject() override { done(mrCancel); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The title bar shows the whole caption beside its icon and buttons.
    void fitCaption();
};

// A right-aligned row of new push buttons with these captions, for the foot of a dialog.
// The first one is the default button when firstIsDefault.
struct ButtonRow {
    QHBoxLayout* layout;
    QList<QPushButton*> buttons;
};
ButtonRow makeButtonRow(QWidget* parent, const QStringList& captions, bool firstIsDefault = true);

// Shows dialogs modally. The programs use exec(); tests replace it to drive the dialog.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual int showModal(QDialog& dialog);
};

} // namespace platform
