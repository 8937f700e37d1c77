#pragma once

#include "imaging/pgsettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "imaging/memorybudget.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Thumbnails encoded ahead by worker threads, handed out in list order. Workers only compute
// (decode, fit, encode into memory), within one memory budget, a few images ahead of the one
// taken last; writing the files stays with the caller. What is not taken (a skipped image, a
// cancelled build) is dropped with the object, which stops the decodes still running.
class ThumbnailAhead {
public:
    // sources: the image files in build order; wanted: which of them to work on ahead (the
    // others are made on request by take). threads > 0.
    ThumbnailAhead(QStringList sources, std::vector<bool> wanted, int boxWidth, int boxHeight, SaveOptions options,
                   int threads);
    ~ThumbnailAhead();
    ThumbnailAhead(const ThumbnailAhead&) = delete;
    ThumbnailAhead& operator=(const ThumbnailAhead&) = delete;

    // The JPEG content of image i's thumbnail, nothing when it could not be made. Waits for its
    // worker; an image not worked on ahead is made here. Images are taken in rising order.
    std::optional<QByteArray> take(int i);
    // Image i is not wanted: the workers move on past it.
    void pass(int i);

private:
    enum class State { Waiting, Working, Done, NotAhead };
    struct Slot {
        State state = State::Waiting;
        std::optional<QByteArray> bytes;
    };

    void work();
    void release(int i); // everything up to i is taken
    std::optional<QByteArray> encodeCharged(const QString& source); // under the budget

    const QStringList sources_;
    const int boxWidth_;
    const int boxHeight_;
    const SaveOptions options_;
    const int window_;
    std::vector<Slot> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int next_ = 0;       // the next image a worker takes up
    int released_ = 0;   // images before this one were taken or passed
    bool stopping_ = false;
    std::atomic<bool> cancelled_{false}; // the running decodes stop
    MemoryBudget budget_;
    std::vector<std::thread> workers_;
};
