#pragma once

#include "instancerecord.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <thread>

// The name a program's copies meet under: an abstract local socket named from the program and
// the identity (device and inode) of its program folder, so that one installation is guarded
// whatever spelling or link starts it and across users, and two installations are not.
// The name starts with a zero byte. Empty, with the reason, when the folder cannot be examined.
struct InstanceGuardName {
    QByteArray name;
    QString failure;
};
InstanceGuardName instanceGuardName(const QString& programFolder, const QString& programName);

// The election and the hand-over between copies of one program. The first copy holds the name
// (the kernel frees it when the process ends) and serves later copies from a listener thread
// that only reads, acknowledges and passes records on. No widgets, no files.
class InstanceGuard {
public:
    enum class Election {
        First,      // this copy holds the name
        Later,      // another copy holds it
        Unguarded,  // no socket could be made: failure() says why
    };
    enum class HandOver {
        Delivered,  // the first copy acknowledged the record
        NameFree,   // nobody listens (the first copy is ending): elect again
        OtherUser,  // the name is held by a copy of another user
        NoAnswer,   // no acknowledgement within the time allowed
    };
    // How the first copy runs; its one-byte acknowledgement says which.
    enum class Running : char {
        Interactive = 0x06,  // a user works at its windows
        Unattended = 0x07,   // by itself, ending when its work is done
    };
    using Deliver = std::function<void(InstanceRecord)>;

    explicit InstanceGuard(QByteArray name);
    ~InstanceGuard();  // wakes and joins the listener; the name is freed
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    Election elect();
    // First copy: starts the listener, which acknowledges each record with how this copy runs.
    // deliver runs on the listener thread, after the sender has its acknowledgement.
    bool listen(Deliver deliver, Running running = Running::Interactive);
    // Later copy: sends the record and waits for the acknowledgement until the timeout.
    HandOver handOver(const QByteArray& record, std::chrono::milliseconds timeout);
    // After a delivered hand-over: how the first copy said it runs.
    Running firstCopyRunning() const { return firstCopyRunning_; }

    const QString& failure() const { return failure_; }

    // How long the listener waits for a peer's whole record.
    static constexpr std::chrono::milliseconds peerTimeout{2000};

private:
    void serve();

    QByteArray name_;
    QString failure_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    Deliver deliver_;
    Running running_ = Running::Interactive;
    Running firstCopyRunning_ = Running::Interactive;
    std::thread listener_;
};
