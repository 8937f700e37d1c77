#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace platform {

struct MountEntry {
    QString device;
    QString mountPoint;
    QString fsType;
};

// The lines of a mount table in the kernel's format: device, mount point, type and options
// separated by blanks, with space, tab, newline and backslash written as octal escapes.
// Lines with fewer than three fields are skipped.
QList<MountEntry> parseMountTable(const QByteArray& table);

// File systems whose files live elsewhere (network and user-space file systems) and automount
// points (a look at one mounts what it stands for): a dead server could block any look at them.
bool isRemoteFileSystem(const QString& fsType);

// Where volumes are mounted for the user: /mnt and below, /media/..., /run/media/<user>/...
bool isUserVolume(const QString& mountPoint, const QString& userName);

// A copy of a mount table, which may be handed to another thread.
class MountTable {
public:
    MountTable() = default;
    explicit MountTable(QList<MountEntry> entries) : entries_(std::move(entries)) {}
    // The mounts of this process now (/proc/self/mounts); empty when it cannot be read.
    static MountTable ofThisProcess();
    const QList<MountEntry>& entries() const { return entries_; }

    // The entry of the mount that holds the path (the longest mount point above it); the root
    // mount when the table names no better one.
    MountEntry mountOf(const QString& path) const;
    bool isMountPoint(const QString& path) const;
    // The path (taken as it is written) lies on a remote file system.
    bool isRemote(const QString& path) const { return isRemoteFileSystem(mountOf(path).fsType); }

    // Where an absolute path leads: its links followed one component at a time, each component
    // looked at only while it lies on a local file system, so that nothing here waits on a
    // server. With remote set the path leads into a remote mount, and what follows that mount
    // point is left as written.
    struct Reach {
        QString path;
        bool remote = false;
    };
    Reach reach(const QString& path) const;
    // As reach(folder + "/" + path) for a folder that was reached already (absolute, its links
    // resolved): its own levels are not walked again.
    Reach reachFrom(const QString& folder, const QString& path) const;

private:
    QList<MountEntry> entries_;
};

// The mounts of this process, told again whenever they change.
class MountWatcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual QList<MountEntry> mounts() const = 0;

    MountTable table() const { return MountTable(mounts()); }

signals:
    void changed();
};

// Reads /proc/self/mounts and watches it for changes.
class ProcMountWatcher : public MountWatcher {
    Q_OBJECT
public:
    explicit ProcMountWatcher(QObject* parent = nullptr);
    ~ProcMountWatcher() override;
    QList<MountEntry> mounts() const override { return mounts_; }

private:
    void reread();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QList<MountEntry> mounts_;
};

} // namespace platform
