#include "buildrunner.h"

#include "jpegsave.h"
#include "pagebuttons.h"
#include "thumbnailahead.h"
#include "thumbnails.h"
#include "app/pages/imagefit.h"
#include "app/site/fileroutines.h"

#include "platform/fileidentity.h"
#include "platform/modalresult.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/safewrite.h"

#include <exception>

namespace {

QString number(int n)
{
    return QString::number(n);
}

} // namespace

BuildRunner::BuildRunner(BuildJob job, platform::PromptService& prompts, BuildDisplay& display)
    : job_(std::move(job))
    , prompts_(prompts)
    , display_(display)
    , pages_(job_.pages, PageServices{job_.measureImage, [this](const QString& text) { display_.showStatus(text); }, {}})
{
}

BuildRunner::~BuildRunner() = default;

BuildRunner::StartResult BuildRunner::start()
{
    const RotationSettings& s = job_.pages.settings;
    if (!job_.pages.withoutThumbnails && job_.pages.images.isEmpty()) {
        prompts_.warning(QStringLiteral("The current Site or Rotation does not contain any images!"));
        return {};
    }
    if (s.rdbshowdescription()) {
        auto descriptions = loadDescriptionFile(s.edtdescripfile, prompts_);
        if (!descriptions) {
            prompts_.warning(QStringLiteral("An error was encountered reading your description file!"));
            return {};
        }
        pages_.setDescriptions(std::move(*descriptions));
    }
    StartResult result;
    result.ran = true;
    result.built = build();
    if (result.built && !job_.buildAll)
        result.previewWanted = prompts_.confirm(QStringLiteral("Your build has been completed.  Would you like to "
                                                               "preview it now?"))
                               == platform::mrYes;
    return result;
}

bool BuildRunner::build()
{
    cancelRequested_ = false;
    cancelled_ = false;
    running_ = true;
    bool ok = false;
    try {
        ok = buildSteps();
    } catch (const std::exception&) {
        ok = false; // an unexpected failure ends the build without a further message
    }
    display_.showStatus(QString());
    display_.resetProgress();
    running_ = false;
    return ok;
}

bool BuildRunner::continueAfterCancelCheck()
{
    display_.processPendingInput();
    if (!cancelRequested_)
        return true;
    cancelRequested_ = false;
    if (prompts_.confirm(QStringLiteral("Are you sure you want to cancel processing of your Site Build?")) == platform::mrYes) {
        cancelled_ = true;
        return false;
    }
    return true;
}

bool BuildRunner::buildSteps()
{
    const PageInputs& in = job_.pages;
    const RotationSettings& s = in.settings;
    pages_.restartHeaderFooterLists();
    const int total = int(in.images.size());
    perPage_ = pages_.thumbnailsPerPage();
    pageCount_ = in.withoutThumbnails ? job_.typedPageCount : thumbnailPageCount(total, perPage_);
    const bool buttons = pages_.useImageButtons();

    int maximum = int(job_.requiredFilePaths.size()) + (s.rdbHTMLImageWindow ? 2 * total : total) + pageCount_;
    if (buttons)
        maximum += pageCount_;
    display_.setProgressMaximum(maximum);

    rotationFolder_ = platform::addTrailingSeparator(in.rotationFolder);
    thumbsFolder_ = in.options.UseThumbsDirectory && !in.withoutThumbnails ? rotationFolder_ + QStringLiteral("thumbs/")
                                                                           : rotationFolder_;
    if (!makeThumbnailsFolder() || !continueAfterCancelCheck())
        return false;

    copyRequiredFiles();
    if (cancelled_)
        return false;
    if (buttons)
        for (int p = 1; p <= pageCount_; ++p)
            if (!createButtons(p) || !continueAfterCancelCheck())
                return false;
    if (!in.withoutThumbnails && !createThumbnails())
        return false;
    if (s.rdbHTMLImageWindow && !in.withoutThumbnails && !createImagePages())
        return false;
    return createThumbnailPages();
}

bool BuildRunner::makeThumbnailsFolder()
{
    if (platform::folderExists(thumbsFolder_) || CreateFolderPath(thumbsFolder_, false, false, prompts_))
        return true;
    prompts_.warning(QStringLiteral("Error encountered creating the directory, ") + thumbsFolder_
                     + QStringLiteral(".  Building will terminate!"));
    return false;
}

void BuildRunner::copyRequiredFiles()
{
    // Copied flat into the rotation folder, whatever folder the template names them in.
    for (const QString& path : job_.requiredFilePaths) {
        display_.showStatus(QStringLiteral("Copying file, ") + path);
        docopyfile(path, rotationFolder_ + platform::extractFileName(path), false, prompts_);
        if (!continueAfterCancelCheck())
            return;
    }
}

bool BuildRunner::createButtons(int page)
{
    const RotationSettings& s = job_.pages.settings;
    display_.stepProgress();
    display_.showStatus(QStringLiteral("Creating Buttons for page ") + number(page));
    const ButtonFont font{s.indexFontName, s.SpnindexImageFontsize.value(), s.chkindexBold, s.chkindexitalics};
    const QString text = pageNumberPrefix() + number(page);
    struct Kind {
        bool current;
        const QString& blank;
        const QString& otherBlank;
        const ColourChoice& colour;
    };
    QString extensions[2];
    for (const Kind& kind : {Kind{true, s.edtSelectedImageButton, s.edtotherImageButton, s.cmbIndexTextColour},
                             Kind{false, s.edtotherImageButton, s.edtSelectedImageButton, s.cmbNonCurrentIndexText}}) {
        const QString output = rotationFolder_ + GetPageButtonName(page, kind.current, QStringLiteral(".gif"));
        const auto extension = createbutton(kind.blank.isEmpty() ? kind.otherBlank : kind.blank, output,
                                            kind.colour.IsColour(), text, font);
        if (!extension) {
            prompts_.warning(QStringLiteral("Error encountered creating the page button, ") + output);
            return false;
        }
        extensions[kind.current ? 0 : 1] = *extension;
    }
    pages_.setPageButtonExtensions(extensions[0], extensions[1]);
    return true;
}

bool BuildRunner::createThumbnails()
{
    const PageInputs& in = job_.pages;
    const RotationSettings& s = in.settings;
    const int width = s.SpnThumbW.value(), height = s.SpnThumbH.value(), quality = s.spnJPEGQuality.value();
    const auto thumbnailOf = [this](const QString& image) { return thumbsFolder_ + GetThumbnailName(image); };
    const auto skipped = [&](const QString& image) {
        return job_.skipExistingThumbnails && platform::fileExists(thumbnailOf(image));
    };

    std::unique_ptr<ThumbnailAhead> ahead;
    if (job_.threads > 1) {
        QStringList sources;
        std::vector<bool> wanted;
        for (const QString& image : in.images) {
            sources << rotationFolder_ + image;
            wanted.push_back(!skipped(image));
        }
        ahead = std::make_unique<ThumbnailAhead>(sources, wanted, width, height, jpegSaveOptions(quality, true),
                                                 job_.threads);
    }
    for (int i = 0; i < in.images.size(); ++i) {
        const QString& image = in.images[i];
        display_.stepProgress();
        if (skipped(image)) {
            if (ahead)
                ahead->pass(i);
        } else {
            display_.showStatus(QStringLiteral("Creating Thumbnail for ") + image);
            const QString source = rotationFolder_ + image;
            bool made;
            if (ahead) {
                const auto bytes = ahead->take(i);
                made = bytes && platform::writeOutputFile(thumbnailOf(image), *bytes);
            } else {
                made = createthumbnail(source, thumbnailOf(image), width, height, quality);
            }
            if (!made)
                prompts_.message(QStringLiteral("Error encountered creating the thumbnail, ") + source);
        }
        if (!continueAfterCancelCheck())
            return false;
    }
    return true;
}

bool BuildRunner::createImagePages()
{
    const QStringList& images = job_.pages.images;
    for (int p = 1; p <= pageCount_; ++p) {
        const QString index = pages_.indexText(p, pageCount_, true);
        for (int i = (p - 1) * perPage_; i < p * perPage_ && i < images.size(); ++i) {
            display_.showStatus(QStringLiteral("Creating Image Display page for the image, ") + images[i]);
            if (!pages_.createHTMLImagepage(rotationFolder_ + pages_.imagePageName(images[i]), i, index, p)) {
                prompts_.warning(QStringLiteral("Error encountered creating your Image Display pages.  Please ensure "
                                                "you have enough disk space"));
                return false;
            }
            display_.stepProgress();
            if (!continueAfterCancelCheck())
                return false;
        }
    }
    return true;
}

bool BuildRunner::createThumbnailPages()
{
    pages_.restartHeaderFooterLists();
    for (int p = 1; p <= pageCount_; ++p) {
        const QString index = pages_.indexText(p, pageCount_, false);
        const QString name = pages_.gethtmlpagename(p);
        display_.showStatus(QStringLiteral("Creating the HTML Page, ") + name);
        if (!pages_.createHTMLThumbpage(rotationFolder_ + name, p, index, (p - 1) * perPage_, pageCount_)) {
            prompts_.warning(QStringLiteral("Error encountered creating your HTML pages.  Please ensure you have "
                                            "enough disk space"));
            return false;
        }
        display_.stepProgress();
        if (!continueAfterCancelCheck())
            return false;
    }
    return true;
}
