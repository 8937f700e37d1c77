#pragma once

#include "platform/fileoutcome.h"

#include <QString>

// Turnfold's eleven keys in [Options] of the program options file, which Pictorum's keys
// share.
struct RotationOptions {
    QString MailFrom;
    QString MailTo;
    QString MailUserID;
    QString MailPort;
    QString MailHost;
    QString LogFileName;
    bool LogOnlyErrors = true;
    bool Logging = true;
    bool CreateBackups = false;
    bool EmailLog = false;
    bool EmailOnlyErrors = true;
};

// The sender address of the log mail until the user gives one.
inline constexpr QLatin1StringView defaultMailFrom{"turnfold@localhost"};

QString optionsFile(const QString& programFolder);

// Reads the keys with their defaults; a missing file gives all defaults, and so does one that
// cannot be read, which reading reports when given.
RotationOptions loadRotationOptions(const QString& programFolder, platform::FileOutcome* reading = nullptr);

// Writes the eleven keys in one locked update, leaving every other key of the file alone.
platform::FileOutcome saveRotationOptions(const QString& programFolder, const RotationOptions& options);
