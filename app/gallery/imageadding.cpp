#include "imageadding.h"

#include "jpegsave.h"
#include "app/site/fileroutines.h"
#include "imaging/pixelgraphic.h"

#include "platform/fileidentity.h"
#include "platform/filemask.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/safewrite.h"

#include <exception>

using platform::PromptButtons;
using platform::PromptIcon;
using platform::PromptService;

namespace {

bool matchesPattern(const QString& fileName, const char* pattern)
{
    const QString name = platform::extractFileName(fileName);
    return !platform::extractExtension(name).isEmpty() && platform::FileMask(QLatin1String(pattern)).matches(name);
}

AddImageOutcome outcome(AddImageOutcome::Result result, bool goOn, const QString& file, const QString& reason = {})
{
    return {result, goOn, file, reason};
}

// Makes the new file, replacing any old one only when it is complete. Gives the reason of a failure.
QString writeImage(const QString& source, const QString& target, bool convert, int quality)
{
    if (!convert) {
        const platform::FileOutcome copied = platform::copyFileAtomically(source, target);
        return copied.ok ? QString() : copied.reason;
    }
    TPixelGraphic image;
    try {
        image.LoadFromFile(source);
    } catch (const EPixelGraphic& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
    if (!savetojpeg(image, target, quality, true))
        return QStringLiteral("Cannot save %1").arg(target);
    return {};
}

} // namespace

bool checksupportedformat(const QString& fileName)
{
    return matchesPattern(fileName, ImageFilePattern);
}

bool checkHTMLsupportedformat(const QString& fileName)
{
    return matchesPattern(fileName, BrowserReadyPattern);
}

AddImageOutcome addimage(const QString& source, const QString& destination, int jpegQuality, PromptService& prompts)
{
    if (source == destination || platform::isSameFile(source, destination))
        return outcome(AddImageOutcome::Skipped, true, destination, QStringLiteral("the file is already there"));
    if (!checksupportedformat(source)) {
        const int answer = prompts.messageBox(QStringLiteral("The file, ") + source
                                                  + QStringLiteral(", is not a supported image format"),
                                              platform::defaultCaption(PromptIcon::Information),
                                              PromptIcon::Information, PromptButtons::OkCancel);
        return outcome(AddImageOutcome::Skipped, answer == platform::mrOk, destination,
                       QStringLiteral("not a supported image format"));
    }

    // A conversion replaces "<name>.jpg", so that is the file the question names.
    const bool convert = !checkHTMLsupportedformat(destination);
    const QString target = convert ? platform::changeextension(destination, QStringLiteral(".jpg")) : destination;
    if (platform::isSameFile(source, target))
        return outcome(AddImageOutcome::Skipped, true, target, QStringLiteral("the file is already there"));
    if (platform::entryExists(target)) {
        const int answer = prompts.confirm(QStringLiteral("A file by the name of ") + target
                                               + QStringLiteral(" already exists.  Are you sure you want to overwrite it?"),
                                           PromptButtons::YesNoCancel);
        if (answer != platform::mrYes)
            return outcome(AddImageOutcome::Skipped, answer == platform::mrNo, target,
                           QStringLiteral("a file by that name is kept"));
    }

    QString why;
    if (platform::fileExists(target) && !dodeletefile(target, true, prompts))
        why = QStringLiteral("the old file may not be replaced");
    else
        why = writeImage(source, target, convert, jpegQuality);
    if (why.isEmpty())
        return outcome(convert ? AddImageOutcome::Converted : AddImageOutcome::Copied, true, target);
    const int answer = prompts.messageBox(
        QStringLiteral("Error encountered copying the file, ") + source
            + QStringLiteral("!  You may be out of disk space or do not have write access to the directory you are copying to"),
        platform::defaultCaption(PromptIcon::Warning), PromptIcon::Warning, PromptButtons::OkCancel);
    return outcome(AddImageOutcome::Failed, answer == platform::mrOk, target, why);
}

QList<AddImageOutcome> addimages(const QStringList& files, const QString& folder, int jpegQuality,
                                 PromptService& prompts)
{
    const QString target = platform::addTrailingSeparator(folder);
    QList<AddImageOutcome> outcomes;
    for (const QString& file : files) {
        outcomes.append(addimage(file, target + platform::extractFileName(file), jpegQuality, prompts));
        if (!outcomes.back().goOn)
            break;
    }
    return outcomes;
}

QList<AddImageOutcome> adddroppedimages(const QStringList& files, const QString& folder, int jpegQuality,
                                        PromptService& prompts)
{
    QList<AddImageOutcome> outcomes;
    for (const QString& file : files) {
        const QString from = platform::extractFilePath(file);
        if (from == platform::addTrailingSeparator(folder) || platform::isSameFile(from, folder)) {
            prompts.messageBox(QStringLiteral("The destination folder is the same as the source!"),
                               QStringLiteral("DropSource Demo"), PromptIcon::Error, PromptButtons::Ok);
            break;
        }
        outcomes.append(addimages({file}, folder, jpegQuality, prompts));
        if (!outcomes.back().goOn)
            break;
    }
    return outcomes;
}
