#pragma once

#include "shellnamespace.h"

#include "platform/folderlisting.h"

#include <QHash>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Reads of folders that may block (remote file systems), each on a worker thread of its own
// that the caller waits for only a bounded time (none at all on the user-interface thread).
// A read that outlasts the wait goes on and its result is kept (for a few seconds) for the
// next request of that folder; a folder is never read twice at once, so a dead server holds
// one thread per folder however often it is asked.
template <typename Result> class FolderReads {
public:
    using Work = std::function<Result()>;

    FolderReads() = default;
    FolderReads(const FolderReads&) = delete;
    FolderReads& operator=(const FolderReads&) = delete;
    ~FolderReads();

    // The folder's entries: a kept result at once, else a new read waited for at most wait.
    // Nothing when that read has not ended by then, nor when an earlier one still runs (that
    // one is not waited for again). Work runs on the worker: it must own everything it uses.
    std::optional<Result> scan(const QString& folder, Work work, std::chrono::milliseconds wait);
    // A read of the folder ended and its result waits to be taken.
    bool finished(const QString& folder) const;

private:
    struct Job;
    QHash<QString, std::shared_ptr<Job>> jobs_;  // reads that outlasted their wait
};

// The reads made apart, each a request that a reader process can be sent.
// A remote folder's entries for the tree (see readRemoteFolder).
struct RemoteFolderRead {
    QString path;
    bool hidden = false;
};
// What the links of a local folder into remote mounts lead to (see examineRemoteLinks).
struct RemoteLinksRead {
    QString folder;
    QString realFolder;
    QList<ShellItem> links;
};
// A folder's names, as platform::listFolder gives them.
struct ListingRead {
    QString folder;
    platform::ListWhat what = platform::ListWhat::Files;
    QString masks;
};

// Runs a read in a process of its own (the program started again as a reader, which finds
// the mounts itself) and gives what it read. A read stuck on a dead server then holds only
// that process, which has none of the program's descriptors: the program itself can still
// end. A reader that cannot be started, or that ends without its whole answer, gives a read
// that failed. A program that serves no helpers reads on the calling thread.
FolderScan readApart(const RemoteFolderRead& read);
FolderScan readApart(const RemoteLinksRead& read);
platform::FolderListing readApart(const ListingRead& read);

// The folder tree's reads, and the file list's.
using FolderScans = FolderReads<FolderScan>;
using FolderListings = FolderReads<platform::FolderListing>;
