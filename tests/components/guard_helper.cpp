// A small program guarded like Pictorum and Turnfold, for the process tests of the guard.
//   guard_helper <folder> <mode> [more parameters]
// The folder is its program folder; the mode says what it does besides:
//   normal     shows a window
//   minimised  shows a minimised window
//   ignore     skips the check (OnCheckInstances sets its flag)
//   halt       ends a later copy by halting (UseHaltToExit)
//   spawn      starts "sleep 60" and ends, leaving it running
// Each event is appended to <folder>/events.txt as one line: "first <pid>", "window <pid>",
// "child <pid> <child's pid>", "started <pid> <minimised 0|1> <parameters joined by |>".
#include "components/oneinstance.h"
#include "platform/processparameters.h"
#include "platform/filenames.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace {

QString eventsFile;

void event(const char* kind, const QString& details = {})
{
    QString text = QLatin1String(kind) + QLatin1Char(' ') + QString::number(::getpid());
    if (!details.isEmpty())
        text += QLatin1Char(' ') + details;
    const QByteArray line = (text + QLatin1Char('\n')).toUtf8();
    const int fd = ::open(platform::encodeFileName(eventsFile).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
        ::close(fd);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList parameters = platform::processParameters(argc, argv);
    QApplication app(argc, argv);
    const QString folder = parameters.value(0);
    const QString mode = parameters.value(1);
    eventsFile = folder + QStringLiteral("/events.txt");

    QWidget window;
    TOneInstance guard(QStringLiteral("GuardHelper"), folder);
    guard.UseHaltToExit = mode == QLatin1String("halt");
    if (mode == QLatin1String("ignore"))
        guard.OnCheckInstances = [](TOneInstance&, bool& ignore) { ignore = true; };
    guard.OnInstanceStarted = [&window](TOneInstance&, const QStringList& handed) {
        const bool minimised = window.windowState() & Qt::WindowMinimized;
        event("started", (minimised ? QStringLiteral("1 ") : QStringLiteral("0 ")) + handed.join(QLatin1Char('|')));
    };
    if (const std::optional<int> status = guard.Check(parameters))
        return *status;
    event("first");

    if (mode == QLatin1String("spawn")) {
        pid_t child = 0;
        char sleep[] = "sleep";
        char seconds[] = "60";
        char* childArgv[] = {sleep, seconds, nullptr};
        if (::posix_spawnp(&child, "sleep", nullptr, nullptr, childArgv, environ) != 0)
            return 2;
        event("child", QString::number(child));
        return 0;
    }
    window.setWindowTitle(QStringLiteral("GuardHelper"));
    window.resize(200, 100);
    if (mode == QLatin1String("minimised"))
        window.showMinimized();
    else
        window.show();
    event("window");
    return app.exec();
}
