// Turnfold, the site rotation tool: by hand from its window, or unattended with "/Rotate".
#include "commandline.h"
#include "main.h"

#include "platform/modaldialog.h"
#include "platform/paths.h"
#include "platform/qtprompts.h"
#include "platform/shell.h"

#include <QApplication>
#include <QStyle>

#include <clocale>

int main(int argc, char** argv)
{
    // Qt takes its own options out of argv when the application starts; the first parameter
    // must be seen as it was passed.
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (needsOffscreenPlatform(commandLine))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setlocale(LC_TIME, "");  // log time stamps in the user's format

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Turnfold"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pictorum Pro Rotation Site Tool"));
    QApplication::setWindowIcon(app.style()->standardIcon(QStyle::SP_BrowserReload));

    const QString programFolder = platform::executableFolder();
    platform::QtPromptService prompts;
    platform::DesktopShell shell(programFolder);
    platform::DialogRunner dialogs;
    const platform::Services services{prompts, shell, dialogs};

    TfrmMain frmMain(services, commandLine, programFolder);
    frmMain.show();
    return app.exec();
}
