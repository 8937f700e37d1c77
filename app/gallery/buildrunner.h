#pragma once

#include "app/pages/pagegen.h"

#include <QString>
#include <QStringList>

namespace platform {
class PromptService;
}

// What the build dialog shows while a build runs; every member does nothing by default.
class BuildDisplay {
public:
    virtual ~BuildDisplay() = default;
    // A new maximum, the position back at 0.
    virtual void setProgressMaximum(int maximum) { Q_UNUSED(maximum); }
    virtual void stepProgress() {}
    virtual void resetProgress() {}
    virtual void showStatus(const QString& text) { Q_UNUSED(text); }
    // Lets pending input through (a click on Cancel); called at each cancel check.
    virtual void processPendingInput() {}
};

// One build of a rotation, as the build dialog hands it over.
struct BuildJob {
    PageInputs pages;                // the settings snapshot and the images, in build order
    QStringList requiredFileNames;   // upper-cased file names
    QStringList requiredFilePaths;   // the matching full paths
    int typedPageCount = 0;          // the page count of a site without thumbnails
    bool buildAll = false;           // no preview question
    bool skipExistingThumbnails = true;
    int threads = 1;                 // thumbnail workers; 1 makes them one by one
    // How image pages measure their pictures; unset: the program's own (measureImageFile).
    decltype(PageServices::measureImage) measureImage;
};

// The build run without widgets: page count, thumbnails folder, required files, page-number
// buttons, thumbnails, image pages and thumbnail pages, in that order, with every message
// through the prompt service and the progress through the display.
class BuildRunner {
public:
    BuildRunner(BuildJob job, platform::PromptService& prompts, BuildDisplay& display);
    ~BuildRunner();

    struct StartResult {
        bool built = false;
        bool ran = false;            // the build ran (the prefix was completed)
        bool previewWanted = false;  // the preview question answered Yes
    };
    // Start: refuses an empty image list, reads the descriptions when they are shown, builds,
    // and after a build asks whether to preview it (not under Build All).
    StartResult start();
    // The whole build: true when every step ran; false after a failure (its message shown)
    // or a cancel.
    bool build();

    // Cancel: asked about at the next cancel check.
    void requestCancel() { cancelRequested_ = true; }
    bool running() const { return running_; }

    // The page-number prefix the build used ("Page " when empty, ending in a space).
    QString pageNumberPrefix() const { return completedPageNumberPrefix(job_.pages.settings.edtpagenumberprefix); }
    int pageCount() const { return pageCount_; }

private:
    bool buildSteps();
    // False when the user confirmed the cancel.
    bool continueAfterCancelCheck();
    bool makeThumbnailsFolder();
    void copyRequiredFiles();
    bool createButtons(int page);
    bool createThumbnails();
    bool createImagePages();
    bool createThumbnailPages();

    BuildJob job_;
    platform::PromptService& prompts_;
    BuildDisplay& display_;
    PageGenerator pages_;
    bool cancelRequested_ = false;
    bool cancelled_ = false;
    bool running_ = false;
    int perPage_ = 1;
    int pageCount_ = 0;
    QString rotationFolder_;  // R
    QString thumbsFolder_;    // F
};
