// Pictorum: builds image web sites and their rotations.
#include "app/windows/appcontext.h"
#include "app/windows/mainform.h"

#include "components/oneinstance.h"
#include "imaging/pglibrary.h"
#include "imaging/pgsettings.h"

#include "platform/helperprocess.h"
#include "platform/modaldialog.h"
#include "platform/paths.h"
#include "platform/processparameters.h"
#include "platform/qtprompts.h"
#include "platform/shell.h"

#include <QApplication>

#include <csignal>
#include <memory>

int main(int argc, char** argv)
{
    // A helper process (a remote folder's reader) is this program started again.
    if (const std::optional<int> status = platform::runHelperIfAsked(argc, argv))
        return *status;
    // A file-size limit makes a write fail with its error instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const QStringList parameters = platform::processParameters(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pictorum"));
    // The title goes to the boxes only: a display name would be appended to every caption.
    const QString title = QStringLiteral("Pictorum Pro");

    // Another copy running from this folder takes our parameters; this one ends unseen.
    const QString programFolder = platform::executableFolder();
    TOneInstance OneInstance1(QStringLiteral("Pictorum"), programFolder);
    if (const std::optional<int> status = OneInstance1.Check(parameters))
        return *status;

    platform::QtPromptService prompts(title);
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
