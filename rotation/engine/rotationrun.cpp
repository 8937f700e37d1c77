#include "rotationrun.h"

#include "problemreport.h"
#include "runlog.h"
#include "siterecord.h"

#include "platform/paths.h"

RotationRun::RotationRun(const SiteStore& sites, RunLog& log, ProblemReport& report, RotationEngine& engine)
    : sites_(sites)
    , log_(log)
    , report_(report)
    , engine_(engine)
    , mailer_(log, report)
{
}

void RotationRun::apply(const RotationOptions& options)
{
    engine_.setCreateBackups(options.CreateBackups);
    log_.setLogOnlyErrors(options.LogOnlyErrors);
}

RotationInput RotationRun::storedSites() const
{
    RotationInput input;
    platform::FileOutcome reading;
    input.siteKeys = sites_.siteKeys(&reading);
    if (!reading)
        input.unreadable << reading.reason;
    return input;
}

int RotationRun::rotateAll(const RotationInput& input, const RotationOptions& options, RotationHooks& hooks)
{
    apply(options);
    log_.resetErrorsLogged();
    tally_ = {};
    hooks.showStatus(QStringLiteral("Commencing Rotation of Sites.."));
    log_.clear();
    engine_.removeProgramFolderLeftovers();
    for (const QString& reason : input.unreadable) {
        log_.Addwarning(reason, true);
        ++tally_.unreadableFiles;
    }
    const QStringList& keys = input.siteKeys;
    int updated = 0;
    // A site list that could not be read is no empty one.
    if (keys.isEmpty() && input.unreadable.isEmpty())
        log_.Addwarning(QStringLiteral("There are no sites to rotate!"), true);
    for (int row = 0; row < keys.size(); ++row) {
        bool counted = false;
        try {
            tsiterecord site;
            platform::FileOutcome reading;
            sites_.loadsite(keys[row], site, &reading);
            hooks.showSite(row, site);
            if (!reading) {
                // Whether it was due cannot be told: it counts as due and not rotated.
                log_.Addwarning(reading.reason, true);
                ++tally_.due;
                ++tally_.failed;
                continue;
            }
            hooks.showStatus(QStringLiteral("Processing Site, ") + site.Name);
            if (!site.AutoRotate) {
                log_.Addwarning(QStringLiteral("Skipping site, ") + site.Name
                                    + QStringLiteral(", which does not have autorotation enabled!"), true);
                continue;
            }
            ++tally_.due;
            counted = true;
            if (engine_.rotateSite(site).succeeded())
                ++updated;
            else
                ++tally_.failed;
        } catch (...) {
            // A site that cannot even be looked at may well have been due.
            if (!counted)
                ++tally_.due;
            ++tally_.failed;
            log_.Addwarning(QStringLiteral("Error analysing the status of Site ") + QString::number(row), true);
        }
    }
    return updated;
}

SiteRotation RotationRun::rotateSite(const tsiterecord& site, const RotationOptions& options)
{
    apply(options);
    log_.clear();
    return engine_.rotateSite(site);
}

RunVerdict RotationRun::finishUnattended(const RotationOptions& options)
{
    RunVerdict verdict;
    verdict.failedSites = tally_.failed;
    verdict.unreadableFiles = tally_.unreadableFiles;
    const QString noErrors = QStringLiteral("Your site update completed without error!");
    if (log_.isEmpty())
        log_.addPlain(noErrors);
    if (options.EmailLog && (log_.ErrorsLogged() || !options.EmailOnlyErrors))
        verdict.mailFailed = !mailer_.sendmail(options);
    if (options.Logging) {
        if (log_.isEmpty())
            log_.addPlain(noErrors);
        verdict.logSaveFailed = !saveRunLog(log_, options.LogFileName, sites_.programFolder(), report_);
    }
    return verdict;
}

namespace {

// Where the log file of the options lies: a typed name may begin with "%" ("%log.txt"), and
// only the marker "%/" or "%\" means the program folder there.
QString logFilePath(const QString& fileName, const QString& programFolder)
{
    const QString name = fileName.trimmed();
    const bool marker = name.startsWith(QLatin1String("%/")) || name.startsWith(QLatin1String("%\\"));
    return platform::resolvepath(name.startsWith(QLatin1Char('%')) && !marker ? QStringLiteral("./") + name : name,
                                 programFolder);
}

} // namespace

bool saveRunLog(const RunLog& log, const QString& fileName, const QString& programFolder, const ProblemReport& report)
{
    const QString file = logFilePath(fileName, programFolder);
    const platform::FileOutcome saved = log.save(file);
    if (!saved)
        report.reportOutsideLog(QStringLiteral("Error saving your log to ") + file, saved.reason);
    return saved.ok;
}
