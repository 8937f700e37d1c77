#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class QComboBox;
class QLabel;

// Takes images from any folder into the current rotation.
class TdlgAddImages : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgAddImages(AppContext& context, QWidget* parent = nullptr);

    QLabel* lblrotation;
    QComboBox* cmbrotation;         // the site editor's rotations

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext& context_;
};
