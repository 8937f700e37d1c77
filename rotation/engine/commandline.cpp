#include "commandline.h"

#include "platform/processparameters.h"

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

bool needsOffscreenPlatform(const CommandLine& commandLine,
                            const std::function<QByteArray(const char*)>& environment)
{
    return commandLine.RotateMode && environment("DISPLAY").isEmpty()
           && environment("WAYLAND_DISPLAY").isEmpty() && environment("QT_QPA_PLATFORM").isEmpty();
}

QString irrelevantParameterText(const QString& parameter)
{
    return QStringLiteral("Parameter is not relevant: ") + parameter;
}
