#include "shell.h"

#include "fileidentity.h"
#include "prompts.h"
#include "services.h"

#include <QProcess>

#include <memory>

namespace platform {

QString helpPage(const QString& programFolder, int context)
{
    const QString index = programFolder + QStringLiteral("help/index.html");
    if (context == 0)
        return index;
    const QString page = programFolder + QStringLiteral("help/%1.html").arg(context);
    return fileExists(page) ? page : index;
}

void DesktopShell::openDocument(const QString& fileOrUrl, OpenReply reply)
{
    runOpener(opener_, fileOrUrl, std::move(reply));
}

bool DesktopShell::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

void DesktopShell::showHelp(int context, OpenReply reply)
{
    const QString page = helpFile(context);
    if (!fileExists(page)) {
        if (reply)
            reply(FileOutcome::failure(QStringLiteral("the file does not exist")));
        return;
    }
    openDocument(page, std::move(reply));
}

QString helpNotShownText(const QString& page, const QString& reason)
{
    return QStringLiteral("The help page could not be shown (%1).  You can open it in your web browser: %2")
        .arg(reason, page);
}

QString documentNotOpenedText(const QString& fileOrUrl, const QString& reason)
{
    return QStringLiteral("Could not open %1 (%2).").arg(fileOrUrl, reason);
}

void showHelp(const Services& services, int context)
{
    PromptService& prompts = services.prompts;
    const QString page = services.shell.helpFile(context);
    services.shell.showHelp(context, [&prompts, page](const FileOutcome& shown) {
        if (!shown)
            prompts.warning(helpNotShownText(page, shown.reason));
    });
}

bool openDocument(const Services& services, const QString& fileOrUrl)
{
    PromptService& prompts = services.prompts;
    // A reply that comes later finds this call gone: only the flag outlives it.
    const auto failed = std::make_shared<bool>(false);
    services.shell.openDocument(fileOrUrl, [&prompts, fileOrUrl, failed](const FileOutcome& opened) {
        if (!opened) {
            *failed = true;
            prompts.warning(documentNotOpenedText(fileOrUrl, opened.reason));
        }
    });
    return !*failed;
}

} // namespace platform
