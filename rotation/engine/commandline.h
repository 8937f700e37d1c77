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

// A scheduled run without a display (cron) works on Qt's offscreen platform; an interactive
// start keeps whatever platform Qt would choose.
bool needsOffscreenPlatform(const CommandLine& commandLine,
                            const std::function<QByteArray(const char*)>& environment = qgetenv);

// "Parameter is not relevant: " and the parameter.
QString irrelevantParameterText(const QString& parameter);
