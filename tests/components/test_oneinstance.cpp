// Whole processes guarded by TOneInstance: the helper program stands for either program.
#include "abstractsocket.h"
#include "components/instanceguard.h"
#include "tempfolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

class GuardedProcesses : public ::testing::Test {
protected:
    ~GuardedProcesses() override
    {
        for (QProcess* p : processes_) {
            ::kill(static_cast<pid_t>(p->processId()), SIGCONT);
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        for (qint64 pid : strays_)
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }

    QProcess& start(const QString& mode, const QStringList& more = {}, const QString& program = GUARD_HELPER)
    {
        auto* p = new QProcess;
        processes_ << p;
        p->start(program, QStringList{folder.path(), mode} + more);
        EXPECT_TRUE(p->waitForStarted(5000));
        return *p;
    }
    QProcess& startFirst(const QString& mode = QStringLiteral("normal"))
    {
        QProcess& p = start(mode);
        EXPECT_TRUE(waitForEvent(QStringLiteral("window %1").arg(p.processId()))) << events().join('\n').toStdString();
        return p;
    }

    QStringList events() const
    {
        return QString::fromUtf8(folder.read("events.txt")).split('\n', Qt::SkipEmptyParts);
    }
    bool waitForEvent(const QString& line, int ms = 5000) const
    {
        QElapsedTimer timer;
        timer.start();
        while (!events().contains(line)) {
            if (timer.elapsed() > ms)
                return false;
            QThread::msleep(20);
        }
        return true;
    }
    QStringList eventsOf(qint64 pid) const
    {
        QStringList mine;
        for (const QString& e : events())
            if (e.section(' ', 1, 1) == QString::number(pid))
                mine << e.section(' ', 0, 0);
        return mine;
    }
    // The lines the guard wrote to standard error (Qt may add notes of its own about the desktop).
    static QByteArray guardLines(const QByteArray& err)
    {
        QByteArray mine;
        for (const QByteArray& line : err.split('\n'))
            if (line.startsWith("GuardHelper: "))
                mine += line + '\n';
        return mine;
    }
    // Waits for a process's end; its exit code, or -1 when it did not end normally in time.
    static int finish(QProcess& p, int ms = 15000)
    {
        if (!p.waitForFinished(ms) || p.exitStatus() != QProcess::NormalExit)
            return -1;
        return p.exitCode();
    }
    bool nameIsBound() const { return abstractNameTaken(instanceGuardName(folder.path(), "GuardHelper").name); }

    TempFolder folder;
    QList<QProcess*> processes_;
    QList<qint64> strays_;
};

TEST_F(GuardedProcesses, LaterCopiesHandOverTheirParametersAndEndUnseen)
{
    QProcess& first = startFirst(QStringLiteral("minimised"));
    const QStringList more{"/Rotate", "two words", QStringLiteral("caf\u00e9")};
    QElapsedTimer timer;
    timer.start();
    QProcess& later = start(QStringLiteral("normal"), more);
    EXPECT_EQ(finish(later), 0);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(guardLines(later.readAllStandardError()), QByteArray());
    EXPECT_EQ(eventsOf(later.processId()), QStringList());  // neither first copy nor window

    // Restored before its handler ran, so the handler sees the window no longer minimised.
    const QString handed = (QStringList{folder.path(), "normal"} + more).join('|');
    EXPECT_TRUE(waitForEvent(QStringLiteral("started %1 0 %2").arg(first.processId()).arg(handed)))
        << events().join('\n').toStdString();

    // Ending by halt looks the same from outside.
    QProcess& halting = start(QStringLiteral("halt"));
    EXPECT_EQ(finish(halting), 0);
    EXPECT_EQ(eventsOf(halting.processId()), QStringList());
    EXPECT_TRUE(waitForEvent(QStringLiteral("started %1 0 %2|halt").arg(first.processId()).arg(folder.path())));
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(GuardedProcesses, IgnoringTheCheckLetsEveryCopyRunWithoutTheName)
{
    QProcess& a = startFirst(QStringLiteral("ignore"));
    QProcess& b = startFirst(QStringLiteral("ignore"));
    EXPECT_EQ(eventsOf(a.processId()), (QStringList{"first", "window"}));
    EXPECT_EQ(eventsOf(b.processId()), (QStringList{"first", "window"}));
    EXPECT_FALSE(nameIsBound());
}

TEST_F(GuardedProcesses, AStoppedFirstCopyMakesTheLaterOneGiveUpAfterTenSeconds)
{
    QProcess& first = startFirst();
    ASSERT_EQ(::kill(static_cast<pid_t>(first.processId()), SIGSTOP), 0);
    QElapsedTimer timer;
    timer.start();
    QProcess& later = start(QStringLiteral("normal"), {"lost"});
    EXPECT_EQ(finish(later, 30000), 1);
    EXPECT_GE(timer.elapsed(), 9900);
    EXPECT_LT(timer.elapsed(), 25000); // the wait is ten seconds; starting the process may take long on a busy machine
    EXPECT_EQ(guardLines(later.readAllStandardError()),
              QByteArray("GuardHelper: the running copy did not answer within 10 seconds; this copy ends\n"));
    EXPECT_EQ(eventsOf(later.processId()), QStringList());

    // Woken again, the first copy does not act on the copy that gave up, but serves the next.
    ::kill(static_cast<pid_t>(first.processId()), SIGCONT);
    EXPECT_EQ(finish(start(QStringLiteral("normal"), {"next"})), 0);
    EXPECT_TRUE(waitForEvent(QStringLiteral("started %1 0 %2|normal|next").arg(first.processId()).arg(folder.path())));
    EXPECT_EQ(eventsOf(first.processId()), (QStringList{"first", "window", "started"}));
}

TEST_F(GuardedProcesses, AKilledFirstCopyLeavesTheNameFree)
{
    QProcess& first = startFirst();
    first.kill();
    first.waitForFinished(5000);
    QProcess& next = startFirst();
    EXPECT_EQ(eventsOf(next.processId()), (QStringList{"first", "window"}));
}

TEST_F(GuardedProcesses, AProgramStartedByTheFirstCopyDoesNotHoldItsName)
{
    QProcess& spawner = start(QStringLiteral("spawn"));
    EXPECT_EQ(finish(spawner), 0);
    const QStringList lines = events().filter(QStringLiteral("child "));
    ASSERT_EQ(lines.size(), 1);
    strays_ << lines[0].section(' ', 2, 2).toLongLong();
    ASSERT_EQ(::kill(static_cast<pid_t>(strays_[0]), 0), 0) << "the child should still run";
    QProcess& next = startFirst();
    EXPECT_EQ(eventsOf(next.processId()), (QStringList{"first", "window"}));
}

TEST_F(GuardedProcesses, ASilentPeerDoesNotHoldUpAHandOver)
{
    QProcess& first = startFirst();
    const QByteArray name = instanceGuardName(folder.path(), "GuardHelper").name;
    const int silent = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address;
    const socklen_t length = abstractAddress(name, address);
    ASSERT_EQ(::connect(silent, reinterpret_cast<const sockaddr*>(&address), length), 0);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(finish(start(QStringLiteral("normal"), {"after"})), 0);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(waitForEvent(QStringLiteral("started %1 0 %2|normal|after").arg(first.processId()).arg(folder.path())));
    ::close(silent);
}

TEST_F(GuardedProcesses, AFirstCopyEndingDuringTheHandOverLeavesTheLaterOneFirst)
{
    // A holder of the name that goes with the later copy's record unread, resetting the connection.
    const int holder = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address;
    const socklen_t length = abstractAddress(instanceGuardName(folder.path(), "GuardHelper").name, address);
    ASSERT_EQ(::bind(holder, reinterpret_cast<const sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(holder, 1), 0);
    QProcess& later = start(QStringLiteral("normal"), {"/Rotate"});
    pollfd waiting{holder, POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 10000), 1);
    const int peer = ::accept4(holder, nullptr, nullptr, SOCK_CLOEXEC);
    pollfd record{peer, POLLIN, 0};
    ASSERT_EQ(::poll(&record, 1, 10000), 1);
    ::close(holder);
    ::close(peer);

    EXPECT_TRUE(waitForEvent(QStringLiteral("window %1").arg(later.processId()))) << events().join('\n').toStdString();
    EXPECT_EQ(eventsOf(later.processId()), (QStringList{"first", "window"}));
}

TEST_F(GuardedProcesses, ACopyOfAnotherUserEndsWithoutHandingOver)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to start a copy as another user";
    // The other user must be able to reach the program folder and the helper.
    ASSERT_TRUE(QFile::setPermissions(folder.path(), QFile::permissions(folder.path()) | QFile::ExeOther
                                                         | QFile::ReadOther));
    QProcess& first = startFirst();
    auto* other = new QProcess;
    processes_ << other;
    other->start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", GUARD_HELPER, folder.path(), "normal",
                             "foreign"});
    ASSERT_TRUE(other->waitForStarted(5000));
    EXPECT_EQ(finish(*other), 1);
    EXPECT_EQ(guardLines(other->readAllStandardError()),
              QByteArray("GuardHelper: a copy of another user is running from this folder; this copy ends\n"));
    QThread::msleep(200);
    EXPECT_EQ(eventsOf(first.processId()), (QStringList{"first", "window"}));
}

TEST_F(GuardedProcesses, AnUnusableFolderRunsUnguardedWithOneLine)
{
    // A program folder that cannot be examined gives no guard name: the copy goes on.
    QProcess& lone = *processes_.emplace_back(new QProcess);
    lone.start(GUARD_HELPER, {folder.file("missing"), "normal"});
    ASSERT_TRUE(lone.waitForStarted(5000));
    QByteArray err;
    QElapsedTimer timer;
    timer.start();
    while (guardLines(err).isEmpty() && timer.elapsed() < 5000) {
        lone.waitForReadyRead(100);
        err += lone.readAllStandardError();
    }
    EXPECT_EQ(guardLines(err),
              QByteArray("GuardHelper: running without the single-instance guard (cannot examine the program "
                         "folder: No such file or directory)\n"));
    QThread::msleep(300);
    EXPECT_EQ(lone.state(), QProcess::Running);
}

} // namespace
