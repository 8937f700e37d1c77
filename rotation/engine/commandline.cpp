#include "commandline.h"

#include "platform/displayprobe.h"
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

bool xDisplayAnswers(const QByteArray& display)
{
    return platform::probeXDisplay(display, std::chrono::seconds(5)) == platform::DisplayAnswer::Accepted;
}

namespace {

// A platform may carry options after a colon ("offscreen:fontengine=..").
bool isPlatform(const QByteArray& entry, const QByteArray& name)
{
    const QByteArray p = entry.trimmed();
    return p == name || p.startsWith(name + ':');
}

} // namespace

QByteArray platformsToTry(const CommandLine& commandLine, const std::function<QByteArray(const char*)>& environment,
                          const std::function<bool(const QByteArray& display)>& displayAnswers)
{
    if (!commandLine.RotateMode)
        return {};
    const QByteArray offscreen("offscreen");
    const QByteArray xcb("xcb");
    const QByteArray display = environment("DISPLAY");
    QByteArrayList platforms;
    if (const QByteArray asked = environment("QT_QPA_PLATFORM"); !asked.isEmpty()) {
        platforms = asked.split(';');
    } else {
        if (!environment("WAYLAND_DISPLAY").isEmpty())
            platforms << "wayland";
        if (!display.isEmpty())
            platforms << xcb;
    }
    const auto isX = [&xcb](const QByteArray& p) { return isPlatform(p, xcb); };
    if (!display.isEmpty() && std::any_of(platforms.cbegin(), platforms.cend(), isX) && !displayAnswers(display))
        platforms.removeIf(isX);
    if (std::none_of(platforms.cbegin(), platforms.cend(), [&offscreen](const QByteArray& p) { return isPlatform(p, offscreen); }))
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
