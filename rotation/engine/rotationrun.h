#pragma once

#include "logmail.h"
#include "rotationengine.h"
#include "rotationoptions.h"
#include "runverdict.h"

#include <QString>
#include <QStringList>

class ProblemReport;
class RunLog;
class SiteStore;

// The sites of the last rotation of all sites that were due (marked for automatic rotation, or
// unreadable) and how many of them did not rotate completely; and how many settings files
// besides the sites' own could not be read.
struct RotationTally {
    int due = 0;
    int failed = 0;
    int unreadableFiles = 0;
};

// What a rotation of all sites starts from: the site keys in the order to rotate them, and the
// reason for each settings file that was there but could not be read.
struct RotationInput {
    QStringList siteKeys;
    QStringList unreadable;
};

// What a rotation of all sites shows to whoever watches it.
class RotationHooks {
public:
    virtual ~RotationHooks() = default;
    virtual void showStatus(const QString& text) = 0;
    // The site of that row, as just read from its file, is about to be rotated or skipped.
    virtual void showSite(int row, const tsiterecord& site) = 0;
};

// A rotation by hand or unattended, with no window: it walks the stored sites, rotates those
// that are due through the engine and, unattended, mails and saves the log. Every choice comes
// from the options it is given, never from a dialog.
class RotationRun {
public:
    RotationRun(const SiteStore& sites, RunLog& log, ProblemReport& report, RotationEngine& engine);

    // Rotates every site of the input marked for automatic rotation, in its order, after an
    // error line for each unreadable file; gives the number of sites whose rotation succeeded.
    // A site whose file cannot be read gets an error line and counts as due and failed.
    int rotateAll(const RotationInput& input, const RotationOptions& options, RotationHooks& hooks);
    // The sites as the site list file holds them now.
    RotationInput storedSites() const;
    const RotationTally& tally() const { return tally_; }

    // Rotates one site on a fresh log.
    SiteRotation rotateSite(const tsiterecord& site, const RotationOptions& options);

    // The end of an unattended rotation of all sites: the log is mailed and saved as the
    // options ask. Gives what the exit code reports.
    RunVerdict finishUnattended(const RotationOptions& options);

    LogMailer& mailer() { return mailer_; }

private:
    void apply(const RotationOptions& options);

    const SiteStore& sites_;
    RunLog& log_;
    const ProblemReport& report_;
    RotationEngine& engine_;
    LogMailer mailer_;
    RotationTally tally_;
};

// Saves the log to the file, a relative name being the program folder's (cron starts the program
// elsewhere); a failure is reported outside the log (it could not tell).
bool saveRunLog(const RunLog& log, const QString& fileName, const QString& programFolder, const ProblemReport& report);
