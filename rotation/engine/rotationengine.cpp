#include "rotationengine.h"

#include "runlog.h"

#include "platform/fileidentity.h"
#include "platform/foldertree.h"
#include "platform/pathresolver.h"
#include "platform/paths.h"
#include "platform/safewrite.h"

#include <QFileInfo>

#include <exception>

namespace {

bool isPage(const QString& name)
{
    const QString ext = platform::extractExtension(name).toUpper();
    return ext == QLatin1String(".HTML") || ext == QLatin1String(".HTM");
}

// Anything at all under that name, a dangling link included.
bool entryPresent(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// What the exception being handled says about itself.
QString currentExceptionText()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

} // namespace

RotationEngine::RotationEngine(const SiteStore& sites, RunLog& log, ProblemReport& report,
                               FolderLister::ListFunction list)
    : sites_(sites)
    , log_(log)
    , lister_(report, std::move(list))
{
}

int RotationEngine::rotateAll(int siteCount, RotationHooks& hooks)
{
    log_.resetErrorsLogged();
    hooks.showStatus(QStringLiteral("Commencing Rotation of Sites.."));
    log_.clear();
    int updated = 0;
    if (siteCount <= 0)
        log_.Addwarning(QStringLiteral("There are no sites to rotate!"), true);
    for (int row = 0; row < siteCount; ++row) {
        try {
            const tsiterecord& site = hooks.selectSite(row);
            hooks.showStatus(QStringLiteral("Processing Site, ") + site.Name);
            if (!site.AutoRotate)
                log_.Addwarning(QStringLiteral("Skipping site, ") + site.Name
                                    + QStringLiteral(", which does not have autorotation enabled!"), true);
            else if (rotateSite(site).succeeded())
                ++updated;
        } catch (...) {
            log_.Addwarning(QStringLiteral("Error analysing the status of Site ") + QString::number(row), true);
        }
    }
    return updated;
}

SiteRotation RotationEngine::rotateSite(const tsiterecord& site)
{
    SiteRotation result;
    int start = site.CurrentRotationPosition;
    if (start < 1 || start > site.RotationCount)
        start = 1;
    // Cyclic order from the start position; positions that cannot hold a rotation are left out,
    // which changes nothing but keeps a damaged count from costing billions of lookups.
    const QList<int> candidates = sites_.rotationCandidates(site);
    const auto from = std::lower_bound(candidates.cbegin(), candidates.cend(), start);
    QList<int> order(from, candidates.cend());
    order.append(QList<int>(candidates.cbegin(), from));
    for (int n : std::as_const(order)) {
        if (!RotationExists(site, n))
            continue;
        copies_.clear();
        result.found = true;
        result.rotation = n;
        result.complete = RotateCurrentRotation(site, n);
        result.copies = copies_;
        sites_.savecurrentsiterotation(site.SiteKey, n + 1);
        return result;
    }
    log_.Addwarning(QStringLiteral("A valid rotation could not be found for the site, ") + site.Name, true);
    return result;
}

bool RotationEngine::RotationExists(const tsiterecord& site, int n)
{
    const QString folder = sites_.rotationFolder(site, n);
    if (folder.isEmpty() || !platform::folderExists(folder))
        return false;
    lister_.setFolder(folder);
    const QString basePage = platform::resolvePathIgnoringCase(folder + site.BaseHTMLName);
    return !site.BaseHTMLName.isEmpty() && platform::fileExists(basePage) && !lister_.files().isEmpty();
}

bool RotationEngine::RotateCurrentRotation(const tsiterecord& site, int n)
{
    bool complete = true;
    try {
        const QString programFolder = sites_.programFolder();
        const QString source = platform::fixpath(lister_.folder(), true, programFolder);
        const QString target = platform::fixpath(site.LivePath, true, programFolder);

        const auto thumbs = platform::findPathIgnoringCase(source + QStringLiteral("thumbs/"));
        if (thumbs && platform::folderExists(*thumbs)) {
            // The live folder takes the spelling the pages were built with.
            const QString thumbsName = platform::extractFileName(thumbs->chopped(1)) + QLatin1Char('/');
            complete = lister_.setFolder(*thumbs) && complete;
            const QStringList files = lister_.files();
            for (const QString& name : files)
                complete = CopyRotationFile(site, *thumbs + name, target + thumbsName + name) && complete;
        }

        complete = lister_.setFolder(source) && complete;
        const QStringList files = lister_.files();
        for (const bool pages : {false, true})
            for (const QString& name : files)
                if (isPage(name) == pages)
                    complete = CopyRotationFile(site, source + name, target + name) && complete;

        if (complete)
            log_.Addwarning(site.Name + QStringLiteral(" sucessfully updated to rotation ") + QString::number(n), false);
    } catch (...) {
        complete = false;
        log_.Addwarning(QStringLiteral("Unspecified error encountered whilst updaing the ") + site.Name
                            + QStringLiteral(", rotation ") + QString::number(n), true);
    }
    return complete;
}

bool RotationEngine::CopyRotationFile(const tsiterecord& site, const QString& source, const QString& target)
{
    FileCopy copy;
    copy.source = source;
    copy.target = target;
    QString raised; // an exception's text, for the log line
    try {
        const QString targetFolder = platform::extractFilePath(target);
        if (platform::isSameFile(platform::extractFilePath(source), targetFolder)) {
            copy.result = FileCopy::SameFolder;
            copies_ << copy;
            return true;
        }
        if (!platform::folderExists(targetFolder))
            createnewdirectory(targetFolder);
        platform::FileOutcome outcome;
        if (createBackups_ && entryPresent(target)) {
            copy.backup = BackupExistingFile(target);
            // Replacing a file whose backup was asked for but could not be made would lose it.
            if (copy.backup == FileCopy::BackupFailed)
                outcome = platform::FileOutcome::failure(QStringLiteral("Cannot back up %1").arg(target));
        }
        if (outcome)
            outcome = platform::copyFileAtomically(source, target);
        copy.result = outcome ? FileCopy::Copied : FileCopy::Failed;
        copy.reason = outcome.reason;
    } catch (...) {
        copy.result = FileCopy::Failed;
        copy.reason = currentExceptionText();
        raised = QStringLiteral(" (") + copy.reason + QLatin1Char(')');
    }
    copies_ << copy;
    if (copy.result == FileCopy::Failed)
        log_.Addwarning(QStringLiteral("Could not copy the file, ") + source + QStringLiteral(", for site, ")
                            + site.Name + QStringLiteral("!") + raised, true);
    return copy.result != FileCopy::Failed;
}

FileCopy::Backup RotationEngine::BackupExistingFile(const QString& file)
{
    const QString backup = platform::extractFilePath(file) + backupName(platform::extractFileName(file));
    // The first backup of a file is the one that survives.
    if (entryPresent(backup))
        return FileCopy::EarlierBackupKept;
    if (platform::linkNoReplace(file, backup))
        return FileCopy::BackupMade;
    if (entryPresent(backup))
        return FileCopy::EarlierBackupKept;
    // No hard links here (some file systems have none): a copy serves as well.
    return platform::copyFileNoReplace(file, backup) ? FileCopy::BackupMade : FileCopy::BackupFailed;
}

bool RotationEngine::createnewdirectory(const QString& path)
{
    if (path.size() < 4)
        return false;
    const QString folder = platform::fixpath(path, true, sites_.programFolder());
    const QStringList levels = platform::missingFolderLevels(folder);
    if (levels.isEmpty() || platform::createFolderLevels(levels))
        return true;
    log_.Addwarning(QStringLiteral("An error was encountered whilst trying to create the directory, ") + folder, true);
    return platform::folderExists(folder);
}

QString RotationEngine::ExtensionWithoutDot(const QString& name)
{
    return platform::extractExtension(name).mid(1);
}

QString RotationEngine::backupName(const QString& name)
{
    if (platform::extractExtension(name).isEmpty())
        return name + QLatin1Char('.');
    const QString ext = ExtensionWithoutDot(name);
    return platform::changeextension(name, QStringLiteral(".~") + (ext.isEmpty() ? ext : ext.chopped(1)));
}
