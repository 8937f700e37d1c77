// Turnfold, the site rotation tool: by hand from its window, or unattended with "/Rotate".
#include "rotation/engine/commandline.h"
#include "rotation/windows/mainform.h"

#include "components/oneinstance.h"
#include "platform/modaldialog.h"
#include "platform/paths.h"
#include "platform/processparameters.h"
#include "platform/qtprompts.h"
#include "platform/shell.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

#include <clocale>
#include <cstdio>
#include <csignal>

namespace {

QtMessageHandler qtHandler = nullptr;

// Cron mails whatever a job prints. A scheduled run reports through its log; Qt's notes about
// the missing desktop (runtime folder, fonts) would only make every run mail its owner.
void onlySeriousMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if ((type == QtCriticalMsg || type == QtFatalMsg) && qtHandler)
        qtHandler(type, context, text);
}

// Another copy running from this folder takes our parameters: the status this copy must then
// end with, before it makes any window.
std::optional<int> handOverToRunningCopy(TOneInstance& guard, const QStringList& parameters, const CommandLine& commandLine)
{
    const std::optional<int> status = guard.Check(parameters);
    if (!status || *status != 0)
        return status;
    const QString problem = handOverProblem(commandLine, guard.RunningCopyUnattended());
    if (problem.isEmpty())
        return 0;
    std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Qt takes its own options out of argv when the application starts; the first parameter
    // must be seen as it was passed.
    const QStringList parameters = platform::processParameters(argc, argv);
    const CommandLine commandLine = parseCommandLine(parameters);
    // A file-size limit makes a write fail with its error instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::setlocale(LC_TIME, "");  // log time stamps in the user's format
    if (commandLine.RotateMode)
        qtHandler = qInstallMessageHandler(onlySeriousMessages);

    const QString programFolder = platform::executableFolder();
    TOneInstance OneInstance1(QStringLiteral("Turnfold"), programFolder);
    OneInstance1.RunsUnattended = commandLine.RotateMode;
    // A scheduled run holds the guard before it looks for a display: one that never answers
    // then holds up this run alone, and the next runs hand over to it instead of piling up.
    if (commandLine.RotateMode)
        if (const std::optional<int> status = handOverToRunningCopy(OneInstance1, parameters, commandLine))
            return *status;
    if (const QByteArray platforms = platformsToTry(commandLine); !platforms.isEmpty())
        qputenv("QT_QPA_PLATFORM", platforms);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Turnfold"));
    // The title goes to the boxes only: a display name would be appended to every caption.
    const QString title = QStringLiteral("Pictorum Pro Rotation Site Tool");
    QApplication::setWindowIcon(app.style()->standardIcon(QStyle::SP_BrowserReload));

    if (!commandLine.RotateMode)
        if (const std::optional<int> status = handOverToRunningCopy(OneInstance1, parameters, commandLine))
            return *status;

    platform::QtPromptService prompts(title);
    platform::DesktopShell shell(programFolder);
    platform::DialogRunner dialogs;
    const platform::Services services{prompts, shell, dialogs};

    TfrmMain frmMain(services, commandLine, programFolder);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frmMain.move(screen->availableGeometry().center() - frmMain.rect().center());
    frmMain.show();
    const int code = app.exec();
    return code != 0 ? code : frmMain.exitCode();
}
