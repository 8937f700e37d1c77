#include "shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace platform {

QString helpPage(const QString& programFolder, int context)
{
    const QString index = programFolder + QStringLiteral("help/index.html");
    if (context == 0)
        return index;
    const QString page = programFolder + QStringLiteral("help/%1.html").arg(context);
    return QFileInfo::exists(page) ? page : index;
}

bool DesktopShell::openDocument(const QString& fileOrUrl)
{
    const QUrl url = QFileInfo::exists(fileOrUrl) ? QUrl::fromLocalFile(fileOrUrl)
                                                   : QUrl::fromUserInput(fileOrUrl);
    return QDesktopServices::openUrl(url);
}

bool DesktopShell::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool DesktopShell::showHelp(int context)
{
    return openDocument(helpPage(programFolder_, context));
}

} // namespace platform
