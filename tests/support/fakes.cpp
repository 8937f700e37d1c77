#include "fakes.h"

#include <QCoreApplication>

void RecordingShell::replyTo(const platform::OpenReply& reply) const
{
    if (reply)
        reply(openFailure.isEmpty() ? platform::FileOutcome::success() : platform::FileOutcome::failure(openFailure));
}

void RecordingShell::openDocument(const QString& fileOrUrl, platform::OpenReply reply)
{
    opened.append(fileOrUrl);
    replyTo(reply);
}

bool RecordingShell::startProgram(const QString& program, const QStringList&)
{
    started.append(program);
    return startSucceeds;
}

QString RecordingShell::helpFile(int context) const
{
    return context == 0 ? QStringLiteral("/prog/help/index.html") : QStringLiteral("/prog/help/%1.html").arg(context);
}

void RecordingShell::showHelp(int context, platform::OpenReply reply)
{
    helpContexts.append(context);
    replyTo(reply);
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
