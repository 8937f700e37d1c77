#pragma once

#include "appcontext.h"
#include "editsite.h"

#include "platform/modaldialog.h"

#include <functional>
#include <memory>

class BuildRunner;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QTimer;
class QToolButton;
class TLmILBitBtn;

// Build Site: lists the images to build, lets them be reordered or left out, and runs the
// build (BuildRunner) with a progress bar and a status line.
class TdlgBuildProgress : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgBuildProgress(AppContext& context, EditorBuildRequest request, QWidget* parent = nullptr);
    ~TdlgBuildProgress() override;

    // ---- controls ----
    QGroupBox* grpImages;             // "Site Images"
    QListWidget* lbximages;           // multi-select
    QToolButton* bkmkup;              // tag -1
    QToolButton* bkmkdown;            // tag 1
    TLmILBitBtn* btnexclude;
    QCheckBox* chkNoThumbRecreate;
    QGroupBox* grpProgress;           // "Build Progress"
    QProgressBar* ProgressBar;
    QLabel* lblmessage;
    TLmILBitBtn* btnok;               // "Start"
    TLmILBitBtn* BitBtn2;             // Cancel
    TLmILBitBtn* BitBtn1;             // Help
    QTimer* Timer1;                   // starts the build under Build All

    // Runs the site editor's preview after a build when the user asks for it.
    std::function<void()> preview;
    // Thumbnail workers of a build; 1 makes the thumbnails one by one.
    int threads;

    // ---- handlers ----
    void FormShow();
    void lbximagesClick();
    void btnexcludeClick();
    void bkmkupClick(QToolButton* sender);
    void btnokClick();
    void BitBtn2Click();
    void Timer1Timer();

    // True while a build runs.
    bool building() const;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    class Display;

    AppContext& context_;
    EditorBuildRequest request_;
    std::unique_ptr<Display> display_;
    BuildRunner* runner_ = nullptr; // the build running, if any
};
