#include "commandline.h"

#include "platform/processparameters.h"

#include <algorithm>

CommandLine parseCommandLine(const QStringList& parameters)
{
    CommandLine result;
    if (parameters.isEmpty() || parameters.first().isEmpty())
        return result;
    static const QStringList rotate = {
        QStringLiteral("/ROTATE"), QStringLiteral("/ROT"), QStringLiteral("/R"),
        QStringLiteral("ROTATE"),  QStringLiteral("ROT"),  QStringLiteral("R"),
        QStringLiteral("\"/ROTATE\""), QStringLiteral("\"/R\""),
    };
    const QString& first = parameters.first();
    if (rotate.contains(first.toUpper()))
        result.RotateMode = true;
    else
        result.irrelevantParameter = first;
    return result;
}

CommandLine parseCommandLine(int argc, char** argv)
{
    return parseCommandLine(platform::processParameters(argc, argv));
}

QByteArray platformsToTry(const CommandLine& commandLine, const std::function<QByteArray(const char*)>& environment)
{
    if (!commandLine.RotateMode)
        return {};
    const QByteArray offscreen("offscreen");
    QByteArrayList platforms;
    if (const QByteArray asked = environment("QT_QPA_PLATFORM"); !asked.isEmpty()) {
        platforms = asked.split(';');
    } else {
        if (!environment("WAYLAND_DISPLAY").isEmpty())
            platforms << "wayland";
        if (!environment("DISPLAY").isEmpty())
            platforms << "xcb";
    }
    // A platform may carry options after a colon ("offscreen:fontengine=..").
    const bool hasOffscreen = std::any_of(platforms.cbegin(), platforms.cend(), [&](const QByteArray& p) {
        return p.trimmed() == offscreen || p.trimmed().startsWith(offscreen + ':');
    });
    if (!hasOffscreen)
        platforms << offscreen;
    return platforms.join(';');
}

QString handOverProblem(const CommandLine& commandLine, bool runningCopyUnattended)
{
    if (!commandLine.RotateMode || runningCopyUnattended)
        return {};
    return QStringLiteral("Turnfold: a copy is open in a window, so this scheduled rotation was not run.");
}

QString irrelevantParameterText(const QString& parameter)
{
    return QStringLiteral("Parameter is not relevant: ") + parameter;
}
