#include "mounttable.h"

#include "filenames.h"

#include <QFile>
#include <QSocketNotifier>

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// "\040" -> " ": the kernel escapes blanks, newlines and backslashes in the table's fields.
QByteArray unescapeField(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (const char d : digits)
                ok = ok && d >= '0' && d <= '7';
            if (ok) {
                out.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

} // namespace

QList<MountEntry> parseMountTable(const QByteArray& table)
{
    QList<MountEntry> entries;
    for (const QByteArray& line : table.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3 || fields[0].isEmpty())
            continue;
        const QString mountPoint = decodeFileName(unescapeField(fields[1]));
        if (!mountPoint.startsWith(QLatin1Char('/')))
            continue;
        entries.append({decodeFileName(unescapeField(fields[0])), mountPoint, QString::fromUtf8(fields[2])});
    }
    return entries;
}

bool isRemoteFileSystem(const QString& fsType)
{
    static const QStringList remote{"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "coda",
                                    "9p", "ceph", "glusterfs", "davfs", "lustre", "gfs2", "ocfs2",
                                    "sshfs", "fuse", "fuseblk", "autofs"};
    return remote.contains(fsType) || fsType.startsWith(QLatin1StringView("fuse."));
}

bool isUserVolume(const QString& mountPoint, const QString& userName)
{
    if (mountPoint == QLatin1StringView("/mnt") || mountPoint.startsWith(QLatin1StringView("/mnt/")))
        return true;
    if (mountPoint.startsWith(QLatin1StringView("/media/")))
        return true;
    return !userName.isEmpty() && mountPoint.startsWith(QStringLiteral("/run/media/%1/").arg(userName));
}

MountEntry MountTable::mountOf(const QString& path) const
{
    MountEntry best{QString(), QStringLiteral("/"), QString()};
    qsizetype bestLength = -1;
    for (const MountEntry& m : entries_) {
        const qsizetype n = m.mountPoint.size();
        const bool holds = m.mountPoint == QLatin1StringView("/")
                           || (path.startsWith(m.mountPoint) && (path.size() == n || path[n] == QLatin1Char('/')));
        // A later mount on the same point hides the earlier one.
        if (holds && m.mountPoint.size() >= bestLength) {
            best = m;
            bestLength = m.mountPoint.size();
        }
    }
    return best;
}

bool MountTable::isMountPoint(const QString& path) const
{
    for (const MountEntry& m : entries_)
        if (m.mountPoint == path)
            return true;
    return false;
}

MountTable::Reach MountTable::reach(const QString& path) const
{
    return reachFrom(QStringLiteral("/"), path);
}

MountTable::Reach MountTable::reachFrom(const QString& folder, const QString& path) const
{
    // The kernel gives up after 40 links in one lookup; so does this walk.
    constexpr int mostLinks = 40;
    const auto joined = [](const QString& base, const QString& name) {
        return base == QLatin1StringView("/") ? base + name : base + QLatin1Char('/') + name;
    };
    const auto withRest = [&](QString at, const QStringList& rest) {
        for (const QString& part : rest)
            at = joined(at, part);
        return at;
    };
    QString at = folder;
    QStringList rest = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (isRemote(at))
        return {withRest(at, rest), true};
    int links = 0;
    while (!rest.isEmpty()) {
        const QString part = rest.takeFirst();
        if (part == QLatin1StringView("."))
            continue;
        if (part == QLatin1StringView("..")) {
            at.truncate(qMax<qsizetype>(1, at.lastIndexOf(QLatin1Char('/'))));
            continue;
        }
        const QString next = joined(at, part);
        if (isRemote(next))
            return {withRest(next, rest), true};
        const QByteArray native = encodeFileName(next);
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode) || ++links > mostLinks) {
            // Missing, no link, or a loop: nothing further to resolve that could block.
            at = next;
            continue;
        }
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(native.constData(), target.data(), target.size());
        if (n <= 0) {
            at = next;
            continue;
        }
        target.truncate(n);
        const QString text = decodeFileName(target);
        rest = text.split(QLatin1Char('/'), Qt::SkipEmptyParts) + rest;
        if (text.startsWith(QLatin1Char('/'))) {
            at = QStringLiteral("/");
            if (isRemote(at))
                return {withRest(at, rest), true};
        }
    }
    return {at, false};
}

ProcMountWatcher::ProcMountWatcher(QObject* parent) : MountWatcher(parent)
{
    fd_ = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0) {
        // The kernel marks the table with an exceptional condition when it changes.
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            reread();
            emit changed();
        });
    }
    reread();
}

ProcMountWatcher::~ProcMountWatcher()
{
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

MountTable MountTable::ofThisProcess()
{
    QFile table(QStringLiteral("/proc/self/mounts"));
    return table.open(QIODevice::ReadOnly) ? MountTable(parseMountTable(table.readAll())) : MountTable();
}

void ProcMountWatcher::reread()
{
    // The watched descriptor only signals; each read takes the table afresh (never empty: a
    // failed read keeps the last).
    if (const MountTable now = MountTable::ofThisProcess(); !now.entries().isEmpty())
        mounts_ = now.entries();
}

} // namespace platform
