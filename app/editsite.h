#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class QComboBox;
class QPushButton;

// The site editor: the site's rotations, their images, templates and the build.
class TdlgEditSite : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgEditSite(AppContext& context, QWidget* parent = nullptr);

    QComboBox* cmbstyle;            // index-page template, with its recent list
    QPushButton* btnteststyle;      // "Test Compliance"

    void cmbstyleChange();
    void btnteststyleClick();

    // File routines that live on this window.
    void docopyfile(const QString& source, const QString& destination, bool confirm);
    void dodeletedir(const QString& folder);

private:
    AppContext& context_;
};
