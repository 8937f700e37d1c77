#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace platform {

// Which changes of a folder's entries a watch reports. Names split by what the entry is.
enum FolderChange : quint32 {
    FileNameChanges = 0x1,    // files created, deleted or renamed
    FolderNameChanges = 0x2,  // folders created, deleted or renamed
    AttributeChanges = 0x4,   // permissions, times, owners, links of entries or the folder
};

// Watches folders (never their sub-folders) through one inotify descriptor read on the thread
// that made the hub. One folder watched by several subscribers (reached by two paths, say) is
// one kernel watch with the union of their filters; it goes when the last subscriber leaves.
class FolderWatchHub : public QObject {
    Q_OBJECT
public:
    explicit FolderWatchHub(QObject* parent = nullptr);
    ~FolderWatchHub() override;

    // The hub of the application's thread, made on first use.
    static FolderWatchHub& shared();

    // Calls changed (later, from the event loop) after each batch of changes that passes the
    // filter, after the kernel dropped events, and when the folder at the path was deleted,
    // renamed or replaced: the watch then moves to the folder that the path names now, or,
    // with none there, is lost (isWatching false). Gives 0 and the errno when the folder
    // cannot be watched (missing, not a folder, no access, no watches left).
    quint64 subscribe(const QString& folder, quint32 filter, std::function<void()> changed, int* error = nullptr);
    // Re-arms the watch with a new filter; false (and the subscription gone) when the folder
    // can no longer be watched.
    bool setFilter(quint64 id, quint32 filter, int* error = nullptr);
    void unsubscribe(quint64 id);
    // The subscription still follows its folder.
    bool isWatching(quint64 id) const;

    int descriptor() const { return fd_; }
    int watchCount() const { return int(byWatch_.size()); }

private:
    struct Subscription {
        QString folder;
        int watch = -1;   // -1 once the kernel dropped the watch
        quint32 filter = 0;
        std::function<void()> changed;
    };

    bool arm(const QString& folder, quint32 mask, int& watch, int* error);
    quint32 unionFilter(int watch) const;
    void rearmUnion(int watch);
    void attach(quint64 id, int watch);
    void detach(quint64 id);
    // The kernel's watch no longer stands for the folders at its subscribers' paths.
    void relocate(int watch, bool kernelDropped);
    void readEvents();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    quint64 nextId_ = 1;
    QHash<quint64, Subscription> subscriptions_;
    QHash<int, QList<quint64>> byWatch_;
};

} // namespace platform
