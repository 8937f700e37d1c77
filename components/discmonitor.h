#pragma once

#include <QPointer>
#include <QString>

#include <functional>

namespace platform {
class FolderWatchHub;
}

// Watches the folder of one listed tree node (not its sub-folders) and calls back after
// changes that pass its filter (platform::FolderChange bits), and when the folder at its path
// is deleted, renamed or replaced. A folder that cannot be watched (missing, no access, no
// watches left), or that is gone with no other in its place, leaves the monitor Failed.
class TDiscMonitor {
public:
    TDiscMonitor(platform::FolderWatchHub& hub, const QString& folderPath, quint32 notifyFilter,
                 std::function<void()> changed);
    ~TDiscMonitor();
    TDiscMonitor(const TDiscMonitor&) = delete;
    TDiscMonitor& operator=(const TDiscMonitor&) = delete;

    // Re-arms the watch when the filter differs.
    void SetNotifyFilter(quint32 value);
    quint32 NotifyFilter() const { return notifyFilter_; }
    bool Failed() const;
    const QString& FolderPath() const { return folderPath_; }

private:
    QPointer<platform::FolderWatchHub> hub_;
    QString folderPath_;
    quint32 notifyFilter_;
    quint64 subscription_ = 0;
    bool failed_ = false;
};
