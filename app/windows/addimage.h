#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

// Takes images from any folder into the current rotation.
class TdlgAddImages : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgAddImages(AppContext& context, QWidget* parent = nullptr);

private:
    AppContext& context_;
};
