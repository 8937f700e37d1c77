#include "fakes.h"

#include <QCoreApplication>

bool RecordingShell::openDocument(const QString& fileOrUrl)
{
    opened.append(fileOrUrl);
    return true;
}

bool RecordingShell::startProgram(const QString& program, const QStringList&)
{
    started.append(program);
    return startSucceeds;
}

bool RecordingShell::showHelp(int context)
{
    helpContexts.append(context);
    return true;
}

int ScriptedDialogRunner::showModal(QDialog& dialog)
{
    shown.append(QString::fromLatin1(dialog.metaObject()->className()));
    dialog.setResult(platform::mrNone);
    dialog.show();
    QCoreApplication::processEvents();
    int result = platform::mrCancel;
    if (!handlers_.empty()) {
        Handler handler = std::move(handlers_.front());
        handlers_.pop_front();
        result = handler(dialog);
    }
    if (dialog.isVisible())
        dialog.done(result);
    return dialog.result();
}
