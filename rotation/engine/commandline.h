#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What Turnfold's command line asks for. Only the first parameter counts.
struct CommandLine {
    bool RotateMode = false;       // an unattended rotation of all sites
    QString irrelevantParameter;   // a first parameter that means nothing, exactly as passed
};

// Reads the parameters that follow the program name, before Qt takes its own options out.
CommandLine parseCommandLine(const QStringList& parameters);
CommandLine parseCommandLine(int argc, char** argv);

// Whether the X display answers a new client within a few seconds and would take it.
bool xDisplayAnswers(const QByteArray& display);

// The platforms Qt is to try in order, as QT_QPA_PLATFORM lists them; empty leaves Qt's own
// choice. A scheduled run tries the platform asked for, else the displays it was given, and
// ends with the offscreen platform, so that a display that cannot be opened (none under cron,
// a stale variable, a closed session) never stops it. An X display that does not answer in
// time or refuses us is left out beforehand: the X library would wait for it for ever, or
// print its refusal, which cron mails. An interactive start keeps Qt's choice.
QByteArray platformsToTry(const CommandLine& commandLine,
                          const std::function<QByteArray(const char*)>& environment = qgetenv,
                          const std::function<bool(const QByteArray& display)>& displayAnswers = xDisplayAnswers);

// What a copy that handed its parameters to the running copy must still say: a scheduled
// rotation that a copy open in a window took over was not run. Empty when nothing is wrong
// (the running copy is itself an unattended run, or this copy was started by hand).
QString handOverProblem(const CommandLine& commandLine, bool runningCopyUnattended);

// "Parameter is not relevant: " and the parameter.
QString irrelevantParameterText(const QString& parameter);
