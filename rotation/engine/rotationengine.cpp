#include "rotationengine.h"

#include "runlog.h"

#include "platform/copybatch.h"
#include "platform/fileidentity.h"
#include "platform/filenames.h"
#include "platform/foldertree.h"
#include "platform/inifile.h"
#include "platform/pathresolver.h"
#include "platform/paths.h"
#include "platform/safewrite.h"

#include <exception>
#include <optional>
#include <sys/stat.h>

namespace {

bool isPage(const QString& name)
{
    const QString ext = platform::extractExtension(name).toUpper();
    return ext == QLatin1String(".HTML") || ext == QLatin1String(".HTM");
}

bool isLink(const QString& path)
{
    struct stat st {};
    return ::lstat(platform::encodeFileName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The rotation's thumbnail folder, if it has one, in the spelling the pages were built with.
std::optional<QString> thumbsFolder(const QString& source)
{
    const auto thumbs = platform::findPathIgnoringCase(source + QStringLiteral("thumbs/"));
    if (thumbs && platform::folderExists(*thumbs))
        return thumbs;
    return std::nullopt;
}

QString thumbsName(const QString& thumbs)
{
    return platform::extractFileName(thumbs.chopped(1)) + QLatin1Char('/');
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

void RotationEngine::removeProgramFolderLeftovers()
{
    if (programFolderCleaned_)
        return;
    programFolderCleaned_ = true;
    platform::removeStagingLeftovers(sites_.programFolder());
}

SiteRotation RotationEngine::rotateSite(const tsiterecord& site)
{
    SiteRotation result;
    removeProgramFolderLeftovers();
    const platform::IniDocument doc = sites_.siteDocument(site.SiteKey);
    int start = site.CurrentRotationPosition;
    if (start < 1 || start > site.RotationCount)
        start = 1;
    // Cyclic order from the start position; positions that cannot hold a rotation are left out,
    // which changes nothing but keeps a damaged count from costing billions of lookups.
    const QList<int> candidates = sites_.rotationCandidates(site, doc);
    const auto from = std::lower_bound(candidates.cbegin(), candidates.cend(), start);
    QList<int> order(from, candidates.cend());
    order.append(QList<int>(candidates.cbegin(), from));
    platform::PathLookup lookup;
    for (int n : std::as_const(order)) {
        if (!rotationExists(site, n, doc, &lookup))
            continue;
        result.found = true;
        result.rotation = n;
        const QString programFolder = sites_.programFolder();
        const QString source = platform::fixpath(lister_.folder(), true, programFolder);
        const QString target = platform::fixpath(site.LivePath, true, programFolder);
        if (const auto forbidden = forbiddenLiveFolder(source, target)) {
            log_.Addwarning(QStringLiteral("Refusing to rotate the site, ") + site.Name + QStringLiteral(", into the folder, ")
                                + *forbidden + QStringLiteral(", which must never be written!"), true);
            return result;
        }
        copies_.clear();
        result.complete = RotateCurrentRotation(site, n);
        result.copies = copies_;
        const platform::FileOutcome saved = sites_.savecurrentsiterotation(site.SiteKey, n + 1);
        result.positionSaved = saved.ok;
        if (!saved)
            log_.Addwarning(QStringLiteral("Could not store the next rotation, ") + QString::number(n + 1)
                                + QStringLiteral(", for site, ") + site.Name + QStringLiteral("! ") + saved.reason, true);
        return result;
    }
    log_.Addwarning(QStringLiteral("A valid rotation could not be found for the site, ") + site.Name, true);
    return result;
}

std::optional<QString> RotationEngine::forbiddenLiveFolder(const QString& source, const QString& target) const
{
    const auto forbidden = [&](const QString& folder) {
        return platform::isProtectedFolder(folder, sites_.programFolder())
               || platform::isWithinFolder(folder, source);
    };
    if (forbidden(target))
        return target;
    // The thumbnails go into their own folder of the live folder, which may be a link.
    if (const auto thumbs = thumbsFolder(source)) {
        const QString liveThumbs = target + thumbsName(*thumbs);
        if (platform::entryExists(liveThumbs) && forbidden(liveThumbs))
            return liveThumbs;
    }
    return std::nullopt;
}

bool RotationEngine::RotationExists(const tsiterecord& site, int n)
{
    return rotationExists(site, n, sites_.siteDocument(site.SiteKey));
}

bool RotationEngine::rotationExists(const tsiterecord& site, int n, const platform::IniDocument& doc,
                                    platform::PathLookup* lookup)
{
    const QString folder = sites_.rotationFolder(site, n, doc, lookup);
    const bool isFolder = lookup ? lookup->isFolder(folder) : platform::folderExists(folder);
    if (folder.isEmpty() || !isFolder)
        return false;
    if (!lister_.setFolder(folder))
        return false;
    const QString basePage = platform::resolvePathIgnoringCase(folder + site.BaseHTMLName);
    return !site.BaseHTMLName.isEmpty() && platform::fileExists(basePage) && !lister_.files().isEmpty();
}

bool RotationEngine::leadsOutside(const tsiterecord& site, const QString& path, const QString& rotationFolder)
{
    if (!isLink(path) || platform::isWithinFolder(path, rotationFolder))
        return false;
    log_.Addwarning(QStringLiteral("The link, ") + path + QStringLiteral(", leads outside the rotation and was not copied for site, ")
                        + site.Name + QStringLiteral("!"), true);
    return true;
}

QList<FileCopy> RotationEngine::plannedCopies(const tsiterecord& site, const QString& source, const QString& target,
                                              bool& complete)
{
    QList<FileCopy> plan;
    const auto add = [&](const QString& from, const QString& to) {
        FileCopy copy;
        copy.source = from;
        copy.target = to;
        if (leadsOutside(site, from, source)) {
            copy.result = FileCopy::LinkOutside;
            complete = false;
        }
        plan << copy;
    };
    if (const auto thumbs = thumbsFolder(source)) {
        if (leadsOutside(site, thumbs->chopped(1), source)) {
            complete = false;
        } else {
            complete = lister_.setFolder(*thumbs) && complete;
            for (const QString& name : lister_.files())
                add(*thumbs + name, target + thumbsName(*thumbs) + name);
        }
    }
    complete = lister_.setFolder(source) && complete;
    const QStringList files = lister_.files();
    for (const bool pages : {false, true})
        for (const QString& name : files)
            if (isPage(name) == pages)
                add(source + name, target + name);
    return plan;
}

bool RotationEngine::RotateCurrentRotation(const tsiterecord& site, int n)
{
    bool complete = true;
    try {
        const QString programFolder = sites_.programFolder();
        const QString source = platform::fixpath(lister_.folder(), true, programFolder);
        const QString target = platform::fixpath(site.LivePath, true, programFolder);
        QList<FileCopy> plan = plannedCopies(site, source, target, complete);

        // What an earlier run left when it was killed goes first.
        QStringList folders{target};
        for (const FileCopy& copy : std::as_const(plan))
            if (!folders.contains(platform::extractFilePath(copy.target)))
                folders << platform::extractFilePath(copy.target);
        for (const QString& folder : std::as_const(folders))
            platform::removeStagingLeftovers(folder);

        platform::CopyBatch batch(platform::NewFileMode::NoWiderThanSource);
        QList<int> staged(plan.size(), -1);
        for (qsizetype i = 0; i < plan.size(); ++i)
            if (plan[i].result != FileCopy::LinkOutside)
                complete = CopyRotationFile(site, plan[i], batch, staged[i]) && complete;
        if (batch.size() > 0) {
            const platform::FileOutcome synced = batch.sync();
            for (qsizetype i = 0; i < plan.size(); ++i) {
                if (staged[i] < 0)
                    continue;
                if (synced) {
                    complete = placeRotationFile(site, plan[i], batch, staged[i]) && complete;
                } else {
                    copyFailed(site, plan[i], synced.reason);
                    complete = false;
                }
            }
            if (synced) {
                if (const platform::FileOutcome durable = batch.syncFolders(); !durable) {
                    complete = false;
                    log_.Addwarning(QStringLiteral("The copies for site, ") + site.Name
                                        + QStringLiteral(", may not have reached the disk! ") + durable.reason, true);
                }
            }
        }
        copies_ = plan;

        if (complete)
            log_.Addwarning(site.Name + QStringLiteral(" sucessfully updated to rotation ") + QString::number(n), false);
    } catch (...) {
        complete = false;
        log_.Addwarning(QStringLiteral("Unspecified error encountered whilst updaing the ") + site.Name
                            + QStringLiteral(", rotation ") + QString::number(n) + QStringLiteral(" (")
                            + currentExceptionText() + QLatin1Char(')'),
                        true);
    }
    return complete;
}

void RotationEngine::copyFailed(const tsiterecord& site, FileCopy& copy, const QString& reason, bool raised)
{
    copy.result = FileCopy::Failed;
    copy.reason = reason;
    log_.Addwarning(QStringLiteral("Could not copy the file, ") + copy.source + QStringLiteral(", for site, ") + site.Name
                        + QStringLiteral("!") + (raised ? QStringLiteral(" (") + reason + QLatin1Char(')') : QString()),
                    true);
}

bool RotationEngine::CopyRotationFile(const tsiterecord& site, FileCopy& copy, platform::CopyBatch& batch, int& staged)
{
    try {
        const QString targetFolder = platform::extractFilePath(copy.target);
        if (!platform::folderExists(targetFolder))
            createnewdirectory(targetFolder);
        const platform::FileOutcome outcome = batch.stage(copy.source, copy.target, staged);
        if (outcome)
            return true;
        copyFailed(site, copy, outcome.reason);
    } catch (...) {
        // What an exception says goes into the line: nothing else would tell.
        copyFailed(site, copy, currentExceptionText(), true);
    }
    return false;
}

bool RotationEngine::placeRotationFile(const tsiterecord& site, FileCopy& copy, platform::CopyBatch& batch, int staged)
{
    platform::FileOutcome outcome;
    if (createBackups_ && platform::entryExists(copy.target)) {
        copy.backup = BackupExistingFile(copy.target);
        // Replacing a file whose backup was asked for but could not be made would lose it.
        if (copy.backup == FileCopy::BackupFailed)
            outcome = platform::FileOutcome::failure(QStringLiteral("Cannot back up %1").arg(copy.target));
    }
    if (outcome)
        outcome = batch.place(staged);
    if (!outcome) {
        copyFailed(site, copy, outcome.reason);
        return false;
    }
    copy.result = FileCopy::Copied;
    return true;
}

FileCopy::Backup RotationEngine::BackupExistingFile(const QString& file)
{
    const QString backup = platform::extractFilePath(file) + backupName(platform::extractFileName(file));
    // The first backup of a file is the one that survives.
    if (platform::entryExists(backup))
        return FileCopy::EarlierBackupKept;
    if (platform::linkNoReplace(file, backup))
        return FileCopy::BackupMade;
    if (platform::entryExists(backup))
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
