#include "rotationrun.h"

#include "problemreport.h"
#include "runlog.h"
#include "siterecord.h"

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

int RotationRun::rotateAll(const RotationOptions& options, RotationHooks& hooks)
{
    apply(options);
    log_.resetErrorsLogged();
    tally_ = {};
    hooks.showStatus(QStringLiteral("Commencing Rotation of Sites.."));
    log_.clear();
    engine_.removeProgramFolderLeftovers();
    const QStringList keys = sites_.siteKeys();
    int updated = 0;
    if (keys.isEmpty())
        log_.Addwarning(QStringLiteral("There are no sites to rotate!"), true);
    for (int row = 0; row < keys.size(); ++row) {
        bool counted = false;
        try {
            hooks.showSite(row);
            tsiterecord site;
            sites_.loadsite(keys[row], site);
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
    const QString noErrors = QStringLiteral("Your site update completed without error!");
    if (log_.isEmpty())
        log_.addPlain(noErrors);
    if (options.EmailLog && (log_.ErrorsLogged() || !options.EmailOnlyErrors))
        verdict.mailFailed = !mailer_.sendmail(options);
    if (options.Logging) {
        if (log_.isEmpty())
            log_.addPlain(noErrors);
        verdict.logSaveFailed = !saveRunLog(log_, options.LogFileName, report_);
    }
    return verdict;
}

bool saveRunLog(const RunLog& log, const QString& fileName, const ProblemReport& report)
{
    const platform::FileOutcome saved = log.save(fileName);
    if (!saved)
        report.reportOutsideLog(QStringLiteral("Error saving your log to ") + fileName, saved.reason);
    return saved.ok;
}
