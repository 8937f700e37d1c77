#include "folderwatch.h"

#include "filenames.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSet>
#include <QSocketNotifier>

#include <cerrno>
#include <utility>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr quint32 nameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

quint32 kernelMask(quint32 filter)
{
    // A watch follows its folder when that is renamed: the path then names another one, or none.
    quint32 mask = IN_ONLYDIR | IN_MOVE_SELF;
    if (filter & (FileNameChanges | FolderNameChanges))
        mask |= nameEvents;
    if (filter & AttributeChanges)
        mask |= IN_ATTRIB;
    return mask;
}

bool passes(quint32 filter, quint32 mask)
{
    if ((mask & IN_ATTRIB) && (filter & AttributeChanges))
        return true;
    if (mask & nameEvents)
        return filter & ((mask & IN_ISDIR) ? FolderNameChanges : FileNameChanges);
    return false;
}

} // namespace

FolderWatchHub::FolderWatchHub(QObject* parent) : QObject(parent)
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &FolderWatchHub::readEvents);
    }
}

FolderWatchHub::~FolderWatchHub()
{
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

FolderWatchHub& FolderWatchHub::shared()
{
    static QPointer<FolderWatchHub> hub;
    if (!hub)
        hub = new FolderWatchHub(QCoreApplication::instance());
    return *hub;
}

bool FolderWatchHub::arm(const QString& folder, quint32 mask, int& watch, int* error)
{
    if (fd_ < 0) {
        if (error)
            *error = EMFILE;
        return false;
    }
    watch = ::inotify_add_watch(fd_, encodeFileName(folder).constData(), mask);
    if (watch < 0) {
        if (error)
            *error = errno;
        return false;
    }
    return true;
}

quint32 FolderWatchHub::unionFilter(int watch) const
{
    quint32 filter = 0;
    for (const quint64 id : byWatch_.value(watch))
        filter |= subscriptions_.value(id).filter;
    return filter;
}

// The last add set the kernel's mask to one subscriber's filter: widen it to all of them.
void FolderWatchHub::rearmUnion(int watch)
{
    const QList<quint64> ids = byWatch_.value(watch);
    if (ids.isEmpty())
        return;
    int again = -1;
    if (arm(subscriptions_.value(ids.first()).folder, kernelMask(unionFilter(watch)), again, nullptr)
        && again != watch && !byWatch_.contains(again))
        ::inotify_rm_watch(fd_, again);  // the path names another folder by now: not ours to watch
}

quint64 FolderWatchHub::subscribe(const QString& folder, quint32 filter, std::function<void()> changed, int* error)
{
    int watch = -1;
    if (!arm(folder, kernelMask(filter), watch, error))
        return 0;
    const quint64 id = nextId_++;
    subscriptions_.insert(id, {folder, -1, filter, std::move(changed)});
    attach(id, watch);
    return id;
}

void FolderWatchHub::attach(quint64 id, int watch)
{
    subscriptions_[id].watch = watch;
    QList<quint64>& shared = byWatch_[watch];
    if (!shared.contains(id))
        shared.append(id);
    if (shared.size() > 1)
        rearmUnion(watch);
}

void FolderWatchHub::detach(quint64 id)
{
    const auto it = subscriptions_.find(id);
    if (it == subscriptions_.end() || it->watch < 0)
        return;
    const int watch = std::exchange(it->watch, -1);
    QList<quint64>& ids = byWatch_[watch];
    ids.removeAll(id);
    if (ids.isEmpty()) {
        byWatch_.remove(watch);
        ::inotify_rm_watch(fd_, watch);
    } else {
        rearmUnion(watch);
    }
}

bool FolderWatchHub::setFilter(quint64 id, quint32 filter, int* error)
{
    auto it = subscriptions_.find(id);
    if (it == subscriptions_.end())
        return false;
    it->filter = filter;
    int watch = -1;
    if (!arm(it->folder, kernelMask(unionFilter(it->watch) | filter), watch, error)) {
        unsubscribe(id);
        return false;
    }
    if (watch != it->watch) {
        // The path now names another folder than the one first watched.
        detach(id);
        attach(id, watch);
    }
    rearmUnion(watch);
    return true;
}

void FolderWatchHub::unsubscribe(quint64 id)
{
    detach(id);
    subscriptions_.remove(id);
}

bool FolderWatchHub::isWatching(quint64 id) const
{
    const auto it = subscriptions_.constFind(id);
    return it != subscriptions_.cend() && it->watch >= 0;
}

void FolderWatchHub::relocate(int watch, bool kernelDropped)
{
    const QList<quint64> ids = byWatch_.take(watch);
    for (const quint64 id : ids)
        subscriptions_[id].watch = -1;
    for (const quint64 id : ids) {
        int again = -1;
        if (arm(subscriptions_.value(id).folder, kernelMask(subscriptions_.value(id).filter), again, nullptr))
            attach(id, again);
    }
    // A renamed folder keeps its kernel watch until we let go of it, unless a path still names it.
    if (!kernelDropped && !byWatch_.contains(watch))
        ::inotify_rm_watch(fd_, watch);
}

void FolderWatchHub::readEvents()
{
    QList<quint64> fired;
    QSet<quint64> seen;
    const auto fire = [&](quint64 id) {
        if (!seen.contains(id)) {
            seen.insert(id);
            fired.append(id);
        }
    };
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += sizeof(inotify_event) + event->len;
            if (event->mask & IN_Q_OVERFLOW) {
                for (auto it = subscriptions_.cbegin(); it != subscriptions_.cend(); ++it)
                    if (it->watch >= 0)
                        fire(it.key());
                continue;
            }
            if (event->mask & (IN_IGNORED | IN_MOVE_SELF)) {
                // The folder is gone or renamed (or we let go of it): each subscriber's path may
                // name a new folder by now, made again or renamed over the old one.
                const QList<quint64> ids = byWatch_.value(event->wd);
                relocate(event->wd, event->mask & IN_IGNORED);
                for (const quint64 id : ids)
                    fire(id);
                continue;
            }
            for (const quint64 id : byWatch_.value(event->wd))
                if (passes(subscriptions_.value(id).filter, event->mask))
                    fire(id);
        }
    }
    // A callback may drop other subscriptions: look each one up again before calling it.
    for (const quint64 id : fired) {
        const auto it = subscriptions_.constFind(id);
        if (it != subscriptions_.cend() && it->changed) {
            const std::function<void()> changed = it->changed;
            changed();
        }
    }
}

} // namespace platform
