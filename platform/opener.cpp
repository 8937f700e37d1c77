#include "opener.h"

#include "filenames.h"
#include "spawnprogram.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QObject>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

namespace platform {

namespace {

// Polls one child for its end; the opener is not our QProcess, so that nothing kills it
// when the program ends.
class OpenerWatch : public QObject {
public:
    OpenerWatch(pid_t pid, QString opener, OpenReply reply)
        : QObject(QCoreApplication::instance())
        , pid_(pid)
        , opener_(std::move(opener))
        , reply_(std::move(reply))
    {
        connect(&timer_, &QTimer::timeout, this, &OpenerWatch::poll);
        timer_.start(quickInterval);
    }

private:
    // Openers that hand the file to a running desktop end within moments; one that runs the
    // browser itself ends with it, so the polling slows down.
    static constexpr int quickInterval = 50;
    static constexpr int slowInterval = 1000;
    static constexpr int quickPolls = 100;

    void poll()
    {
        int status = 0;
        const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
        if (ended == 0) {
            if (++polls_ == quickPolls)
                timer_.setInterval(slowInterval);
            return;
        }
        timer_.stop();
        const QString reason = ended < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : openerExitReason(opener_, status);
        if (reply_)
            reply_(reason.isEmpty() ? FileOutcome::success() : FileOutcome::failure(reason));
        deleteLater();
    }

    pid_t pid_;
    QString opener_;
    OpenReply reply_;
    QTimer timer_;
    int polls_ = 0;
};

void replyNow(const OpenReply& reply, const FileOutcome& outcome)
{
    if (reply)
        reply(outcome);
}

} // namespace

QString openerExitReason(const QString& opener, int waitStatus)
{
    const QString name = QFileInfo(opener).fileName();
    if (WIFSIGNALED(waitStatus))
        return QStringLiteral("%1 was stopped by signal %2").arg(name).arg(WTERMSIG(waitStatus));
    if (!WIFEXITED(waitStatus))
        return QStringLiteral("%1 ended abnormally").arg(name);
    switch (WEXITSTATUS(waitStatus)) {
    case 0: return {};
    case 2: return QStringLiteral("the file does not exist");
    case 3: return QStringLiteral("no program to open it was found");
    case 4: return QStringLiteral("the program that opens it failed");
    default: return QStringLiteral("%1 ended with status %2").arg(name).arg(WEXITSTATUS(waitStatus));
    }
}

void runOpener(const QString& opener, const QString& target, OpenReply reply)
{
    const QString program = QFileInfo(opener).isAbsolute() ? opener : QStandardPaths::findExecutable(opener);
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        replyNow(reply, FileOutcome::failure(QStringLiteral("%1 was not found").arg(opener)));
        return;
    }
    const QByteArray path = encodeFileName(program);
    const QByteArray argument = encodeFileName(target);
    char* argv[] = {const_cast<char*>(path.constData()), const_cast<char*>(argument.constData()), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int failed = spawnProgram(pid, path.constData(), actions, argv);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        replyNow(reply, FileOutcome::failure(QStringLiteral("%1 could not be started: %2")
                                                 .arg(QFileInfo(program).fileName(),
                                                      QString::fromLocal8Bit(std::strerror(failed)))));
        return;
    }
    new OpenerWatch(pid, program, std::move(reply));
}

} // namespace platform
