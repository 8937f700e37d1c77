#include "fileroutines.h"

#include "platform/fileidentity.h"
#include "platform/filenames.h"
#include "platform/foldertree.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/safewrite.h"

#include <sys/stat.h>

using platform::PromptService;

namespace {

// Paths that cannot be a folder to make (the root itself or nothing).
bool tooShortForFolder(const QString& path)
{
    const QString t = path.trimmed();
    return t.isEmpty() || t == QLatin1String("/");
}

bool makeLevels(const QString& completed)
{
    return platform::createFolderLevels(platform::missingFolderLevels(completed)).ok;
}

bool isReadOnly(const struct stat& st)
{
    return (st.st_mode & S_IWUSR) == 0;
}

// dodeletefile; without ownFailureBoxes a failure is left for the caller to name, so that it
// shows one box. A symbolic link is deleted as a link: it has no read-only state of its own, and
// its target, wherever it lies, keeps its mode and content.
bool deleteFile(const QString& name, bool overwriting, PromptService& prompts, bool ownFailureBoxes)
{
    const QByteArray encoded = platform::encodeFileName(name);
    struct stat st {};
    if (::lstat(encoded.constData(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) {
        prompts.warning(QStringLiteral("Unable to locate the file, ") + name);
        return true;
    }
    const bool link = S_ISLNK(st.st_mode);
    if (!link && isReadOnly(st)) {
        if (prompts.confirm(QStringLiteral("Are you sure you want to delete the file, ") + name + QStringLiteral("?")
                            + QStringLiteral("  This file is marked READ ONLY!"))
            != platform::mrYes)
            return false;
        if (::chmod(encoded.constData(), (st.st_mode & 07777) | S_IWUSR) != 0) {
            if (ownFailureBoxes)
                prompts.warning(QStringLiteral("Error encountered resetting the read-only tag on the file, ") + name);
            return false;
        }
    }
    // A write over a link would land in its target: the link goes now, and the new file takes
    // its name. A plain file stays until the caller's copy renames the new one over it.
    if (overwriting && !link)
        return true;
    if (!platform::removeFile(name)) {
        if (ownFailureBoxes)
            prompts.warning(QStringLiteral("Pictorum Pro encountered an error ")
                            + (overwriting ? QStringLiteral("overwriting") : QStringLiteral("deleting or overwriting"))
                            + QStringLiteral(" the file, ") + name);
        return false;
    }
    return true;
}

} // namespace

QString AddBackslash(const QString& path)
{
    return platform::addTrailingSeparator(path);
}

bool CreateFolderPath(const QString& path, bool askFirst, bool reportFailure, PromptService& prompts)
{
    if (tooShortForFolder(path))
        return false;
    if (askFirst
        && prompts.messageBox(QStringLiteral("The folder, %1, does not exist.  Would you like to create it?").arg(path),
                              platform::defaultCaption(platform::PromptIcon::Information),
                              platform::PromptIcon::Information, platform::PromptButtons::OkCancel)
               != platform::mrOk)
        return false;
    if (makeLevels(AddBackslash(path)))
        return true;
    if (reportFailure)
        prompts.warning(QStringLiteral("An error was encountered whilst trying to create the folder, %1.").arg(path));
    return false;
}

bool createnewdirectory(const QString& path, const QString& programFolder, PromptService& prompts)
{
    if (tooShortForFolder(path))
        return false;
    if (makeLevels(platform::fixpath(path, true, programFolder)))
        return true;
    prompts.warning(QStringLiteral("An error was encountered whilst trying to create the directory, ") + path);
    return false;
}

bool dodeletefile(const QString& name, bool overwriting, PromptService& prompts)
{
    return deleteFile(name, overwriting, prompts, true);
}

void docopyfile(const QString& source, const QString& destination, bool confirm, PromptService& prompts)
{
    const auto copyFailed = [&] {
        prompts.warning(QStringLiteral("An error was encountered copying the file, ") + source + QStringLiteral("!"));
    };
    if (source == destination || platform::isSameFile(source, destination))
        return;
    if (platform::fileExists(destination)) {
        if (confirm
            && prompts.confirm(QStringLiteral("A file already exists by the name of ") + destination
                               + QStringLiteral(".  Are you sure you want to overwrite it?"))
                   != platform::mrYes)
            return;
        // A destination that may not be replaced (read-only kept) makes the copy fail, and
        // the user hears so, as with a copy that refuses an existing file.
        if (!dodeletefile(destination, true, prompts)) {
            copyFailed();
            return;
        }
    }
    if (!platform::copyFileAtomically(source, destination))
        copyFailed();
}

void dodeletedir(const QString& folder, const QString& programFolder, PromptService& prompts)
{
    if (folder.trimmed().isEmpty())
        return;
    if (!platform::removeFolderTree(folder, programFolder))
        prompts.warning(QStringLiteral("Cannot remove directory, it may be not be empty or it may be marked read-only."));
}

void deleteChosenFiles(const QStringList& files, PromptService& prompts, bool reportFailure)
{
    const auto remove = [&](const QString& file) {
        if (!deleteFile(file, false, prompts, !reportFailure) && reportFailure)
            prompts.warning(QStringLiteral("Error encountered deleting the file, ") + file + QStringLiteral("?"));
    };
    if (files.size() == 1) {
        if (prompts.confirm(QStringLiteral("Are you sure you want to delete the file, ") + files.front()
                            + QStringLiteral("?"))
            == platform::mrYes)
            remove(files.front());
        return;
    }
    if (files.isEmpty()
        || prompts.confirm(QStringLiteral("Are you sure you want to delete these %1 files?").arg(files.size()))
               == platform::mrNo)
        return;
    for (auto file = files.crbegin(); file != files.crend(); ++file)
        remove(*file);
}
