// Pictorum: builds image web sites and their rotations.
#include "appcontext.h"
#include "mainform.h"

#include "imaging/pglibrary.h"
#include "imaging/pgsettings.h"
#include "platform/modaldialog.h"
#include "platform/paths.h"
#include "platform/qtprompts.h"
#include "platform/shell.h"

#include <QApplication>

#include <csignal>
#include <memory>

int main(int argc, char** argv)
{
    // A file-size limit makes a write fail with its error instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pictorum"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pictorum Pro"));

    const QString programFolder = platform::executableFolder();
    platform::QtPromptService prompts;
    platform::DesktopShell shell(programFolder);
    platform::DialogRunner dialogs;

    // The image library starts before the windows: they load images as they open.
    InitPGraphic();
    PixelGraphicPrompts = &prompts;

    int exitCode = 0;
    {
        AppContext context{platform::Services{prompts, shell, dialogs}, programFolder, {}};
        createPictorumWindows(context);
        std::unique_ptr<TfrmMain> mainWindow(context.frmMain);
        mainWindow->show();
        exitCode = app.exec();
    }
    PixelGraphicPrompts = nullptr;
    DonePGraphic();
    return exitCode;
}
