#include "abstractsocket.h"
#include "components/instanceguard.h"
#include "tempfolder.h"
#include "unprivileged.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A guard name of its own for each test, so that parallel runs never meet.
QByteArray uniqueName()
{
    return QByteArray("\0/pictorum-guard-test/", 22) + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
}

// A raw client of a guard name; -1 when nothing could be connected.
int connectTo(const QByteArray& name)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address;
    const socklen_t length = abstractAddress(name, address);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the listener answers to a raw peer: the byte, 0 for a closed connection, -1 for none in time.
int answerWithin(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0)
        return -1;
    char byte = 0;
    return ::recv(fd, &byte, 1, 0) == 1 ? byte : 0;
}

// Collects what a first copy's listener delivers.
struct Inbox {
    std::mutex mutex;
    std::condition_variable arrived;
    QList<InstanceRecord> records;

    InstanceGuard::Deliver deliver()
    {
        return [this](InstanceRecord record) {
            std::lock_guard lock(mutex);
            records << std::move(record);
            arrived.notify_all();
        };
    }
    bool waitFor(qsizetype count, std::chrono::milliseconds limit = 5s)
    {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, limit, [&] { return records.size() >= count; });
    }
};

struct FirstCopy {
    QByteArray name = uniqueName();
    InstanceGuard guard{name};
    Inbox inbox;

    explicit FirstCopy(InstanceGuard::Running running = InstanceGuard::Running::Interactive)
    {
        EXPECT_EQ(guard.elect(), InstanceGuard::Election::First);
        EXPECT_TRUE(guard.listen(inbox.deliver(), running));
    }
};

TEST(InstanceGuardName, OneInstallationWhateverItsSpellingTwoInstallationsApart)
{
    TempFolder dir;
    dir.mkdir("install");
    dir.mkdir("other");
    ASSERT_TRUE(QFile::link(dir.file("install"), dir.file("link")));
    struct stat st {};
    ASSERT_EQ(::stat(platform::encodeFileName(dir.file("install")).constData(), &st), 0);

    const InstanceGuardName name = instanceGuardName(dir.file("install/"), "Turnfold");
    EXPECT_TRUE(name.failure.isEmpty());
    EXPECT_EQ(name.name, QByteArray("\0/pictorum-guard/", 17) + QByteArray::number(qulonglong(st.st_dev)) + '-'
                             + QByteArray::number(qulonglong(st.st_ino)) + "/Turnfold");
    for (const char* spelling : {"link/", "install/../install", "./install/."})
        EXPECT_EQ(instanceGuardName(spelling[0] == '.' ? QDir(dir.path()).filePath(spelling) : dir.file(spelling),
                                    "Turnfold").name,
                  name.name)
            << spelling;
    EXPECT_NE(instanceGuardName(dir.file("other/"), "Turnfold").name, name.name);
    EXPECT_NE(instanceGuardName(dir.file("install/"), "Pictorum").name, name.name);

    const InstanceGuardName missing = instanceGuardName(dir.file("missing/"), "Turnfold");
    EXPECT_TRUE(missing.name.isEmpty());
    EXPECT_TRUE(missing.failure.startsWith("cannot examine the program folder: ")) << missing.failure.toStdString();
}

TEST(InstanceGuard, FirstHoldsTheNameUntilItGoes)
{
    const QByteArray name = uniqueName();
    auto first = std::make_unique<InstanceGuard>(name);
    ASSERT_EQ(first->elect(), InstanceGuard::Election::First);
    InstanceGuard later(name);
    EXPECT_EQ(later.elect(), InstanceGuard::Election::Later);
    first.reset();
    EXPECT_EQ(later.elect(), InstanceGuard::Election::First);
    EXPECT_EQ(InstanceGuard(QByteArray()).elect(), InstanceGuard::Election::Unguarded);
}

TEST(InstanceGuard, HandOverIsAcknowledgedWithHowTheFirstCopyRunsAndDelivered)
{
    for (const InstanceGuard::Running running : {InstanceGuard::Running::Unattended, InstanceGuard::Running::Interactive}) {
        FirstCopy first(running);
        InstanceGuard later(first.name);
        ASSERT_EQ(later.elect(), InstanceGuard::Election::Later);
        const auto started = Clock::now();
        EXPECT_EQ(later.handOver(encodeInstanceRecord({77, {"/Rotate", "x"}}), 10s), InstanceGuard::HandOver::Delivered);
        EXPECT_LT(Clock::now() - started, 1s);
        EXPECT_EQ(later.firstCopyRunning(), running);
        ASSERT_TRUE(first.inbox.waitFor(1));
        EXPECT_EQ(first.inbox.records[0].senderPid, 77);
        EXPECT_EQ(first.inbox.records[0].parameters, (QStringList{"/Rotate", "x"}));
    }
}

TEST(InstanceGuard, AnAnswerThatIsNoAcknowledgementIsNoHandOver)
{
    // A holder of the name that reads the whole record and answers something else.
    const QByteArray name = uniqueName();
    const int holder = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address;
    const socklen_t length = abstractAddress(name, address);
    ASSERT_EQ(::bind(holder, reinterpret_cast<const sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(holder, 1), 0);
    std::thread impostor([holder] {
        const int fd = ::accept4(holder, nullptr, nullptr, SOCK_CLOEXEC);
        char buffer[InstanceRecordSize];
        std::size_t got = 0;
        while (fd >= 0 && got < InstanceRecordSize) {
            const ssize_t n = ::recv(fd, buffer, InstanceRecordSize - got, 0);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        const char wrong = 0x06 + 0x10;
        [[maybe_unused]] const ssize_t sent = ::send(fd, &wrong, 1, MSG_NOSIGNAL);
        ::close(fd);
    });
    EXPECT_EQ(InstanceGuard(name).handOver(encodeInstanceRecord({3, {}}), 2s), InstanceGuard::HandOver::NoAnswer);
    impostor.join();
    ::close(holder);
}

TEST(InstanceGuard, NobodyListeningMeansTheNameIsFree)
{
    InstanceGuard later(uniqueName());
    EXPECT_EQ(later.handOver(encodeInstanceRecord({1, {}}), 1s), InstanceGuard::HandOver::NameFree);
}

TEST(InstanceGuard, AHolderThatNeverAnswersTimesOut)
{
    const QByteArray name = uniqueName();
    InstanceGuard holder(name);
    ASSERT_EQ(holder.elect(), InstanceGuard::Election::First);  // bound and listening, but not serving
    const auto started = Clock::now();
    EXPECT_EQ(InstanceGuard(name).handOver(encodeInstanceRecord({1, {}}), 300ms), InstanceGuard::HandOver::NoAnswer);
    const auto waited = Clock::now() - started;
    EXPECT_GE(waited, 290ms);
    EXPECT_LT(waited, 2s);
}

TEST(InstanceGuard, ShortAndSilentPeersAreDroppedWithoutBlockingOthers)
{
    FirstCopy first;
    // Too little, then closed: dropped, nothing delivered, no answer.
    const int shortPeer = connectTo(first.name);
    ASSERT_GE(shortPeer, 0);
    const QByteArray record = encodeInstanceRecord({5, {"short"}});
    ASSERT_EQ(::send(shortPeer, record.constData(), 3017, MSG_NOSIGNAL), 3017);
    ::shutdown(shortPeer, SHUT_WR);
    EXPECT_EQ(answerWithin(shortPeer, 3000), 0);
    ::close(shortPeer);

    // Silent: a later copy is served meanwhile; the silent one is dropped after the timeout.
    const int silent = connectTo(first.name);
    ASSERT_GE(silent, 0);
    const auto started = Clock::now();
    EXPECT_EQ(InstanceGuard(first.name).handOver(encodeInstanceRecord({6, {"served"}}), 10s),
              InstanceGuard::HandOver::Delivered);
    EXPECT_LT(Clock::now() - started, 1s);
    EXPECT_EQ(answerWithin(silent, 5000), 0);
    EXPECT_GE(Clock::now() - started, InstanceGuard::peerTimeout - 100ms);
    ::close(silent);

    // More than a record: answered once, the rest never read.
    const int chatty = connectTo(first.name);
    const QByteArray more = encodeInstanceRecord({8, {"more"}}) + QByteArray(5000, 'z');
    ASSERT_EQ(::send(chatty, more.constData(), static_cast<size_t>(more.size()), MSG_NOSIGNAL), more.size());
    EXPECT_EQ(answerWithin(chatty, 3000), static_cast<int>(InstanceGuard::Running::Interactive));
    ::close(chatty);

    ASSERT_TRUE(first.inbox.waitFor(2));
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(first.inbox.records.size(), 2);
    EXPECT_EQ(first.inbox.records[0].parameters, QStringList{"served"});
    EXPECT_EQ(first.inbox.records[1].parameters, QStringList{"more"});
}

TEST(InstanceGuard, ASenderThatGaveUpIsNotActedOn)
{
    const QByteArray name = uniqueName();
    InstanceGuard holder(name);
    ASSERT_EQ(holder.elect(), InstanceGuard::Election::First);
    // The record waits in the queue while nobody serves it; its sender times out and goes.
    EXPECT_EQ(InstanceGuard(name).handOver(encodeInstanceRecord({9, {"late"}}), 200ms), InstanceGuard::HandOver::NoAnswer);
    Inbox inbox;
    ASSERT_TRUE(holder.listen(inbox.deliver()));
    EXPECT_FALSE(inbox.waitFor(1, 500ms));
}

TEST(InstanceGuard, PeersOfAnotherUserAreRefusedBothWays)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    FirstCopy first;
    // A raw peer of another user sends a whole record: the listener closes without a word.
    const int raw = runUnprivileged([&] {
        const int fd = connectTo(first.name);
        const QByteArray record = encodeInstanceRecord({1, {"intruder"}});
        if (fd < 0)
            return 10;
        // Closed at once: the send may already find the connection gone.
        if (::send(fd, record.constData(), InstanceRecordSize, MSG_NOSIGNAL) < 0)
            return errno == EPIPE || errno == ECONNRESET ? 0 : 11;
        return answerWithin(fd, 3000) == 0 ? 0 : 12;
    });
    EXPECT_EQ(raw, 0);
    // A later copy of another user sees whose name it is and sends nothing.
    const int later = runUnprivileged([&] {
        InstanceGuard guard(first.name);
        if (guard.elect() != InstanceGuard::Election::Later)
            return 20;
        return guard.handOver(encodeInstanceRecord({2, {"other"}}), 2s) == InstanceGuard::HandOver::OtherUser ? 0 : 21;
    });
    EXPECT_EQ(later, 0);
    EXPECT_FALSE(first.inbox.waitFor(1, 300ms));
}

TEST(InstanceGuard, EndingWakesTheListenerWhileAPeerWaits)
{
    auto first = std::make_unique<FirstCopy>();
    const int silent = connectTo(first->name);
    ASSERT_GE(silent, 0);
    const auto started = Clock::now();
    first.reset();
    EXPECT_LT(Clock::now() - started, 500ms);
    EXPECT_EQ(answerWithin(silent, 1000), 0);
    ::close(silent);
}

} // namespace
