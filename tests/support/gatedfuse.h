#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <thread>

// Gives this process a mount namespace of its own, so that what a test mounts is seen by
// nobody else and goes with the process. Must run before any thread starts (from a static
// initializer); false, with the reason, where that is not allowed.
bool enterPrivateMountNamespace(QString* reason);

// A FUSE file system served by a thread of the test, standing for a network server: a root
// folder holding empty sub-folders, and empty files for names with a dot (never opened).
// While its gate is closed it answers nothing, as a dead
// server would, and every look at it waits; opening the gate answers what waits and all that
// follows. The gate opens by itself after openAfter, so that a test whose code wrongly waits
// on it still ends. Where FUSE cannot be mounted, mounted() is false and reason() says why.
class GatedFuse {
public:
    GatedFuse(const QString& mountPoint, QStringList names,
              std::chrono::milliseconds openAfter = std::chrono::seconds(10));
    ~GatedFuse();  // what still waits fails; unmounted
    GatedFuse(const GatedFuse&) = delete;
    GatedFuse& operator=(const GatedFuse&) = delete;

    bool mounted() const { return mounted_; }
    const QString& reason() const { return reason_; }
    void open() { open_ = true; }
    // Requests of the file system's users so far (not those the kernel makes to set it up).
    int requests() const { return requests_; }

private:
    void serve();

    QString mountPoint_;
    QStringList names_;
    std::chrono::steady_clock::time_point openAt_;
    QString reason_;
    bool mounted_ = false;
    int fd_ = -1;
    std::atomic<bool> open_{false};
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread server_;
};
