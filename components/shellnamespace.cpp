#include "shellnamespace.h"

#include "folderscans.h"

#include "platform/filemask.h"
#include "platform/filenames.h"
#include "platform/folderlisting.h"
#include "platform/mounttable.h"
#include "platform/specialfolders.h"

#include <QDir>
#include <QSet>

#include <algorithm>

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString& path)
{
    return platform::encodeFileName(path);
}

bool isFolderPath(const QString& path)
{
    const QByteArray native = nativePath(path);
    struct stat st {};
    return !native.contains('\0') && ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString childPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString userName()
{
    if (const passwd* pw = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

int nameOrder(const ShellItem& a, const ShellItem& b)
{
    if (platform::listingLess(a.name, b.name))
        return -1;
    return platform::listingLess(b.name, a.name) ? 1 : 0;
}

int rank(const ShellItem& item)
{
    switch (item.kind) {
    case ShellItem::Kind::Desktop:
    case ShellItem::Kind::Computer: return 0;
    case ShellItem::Kind::Home: return 1;
    case ShellItem::Kind::Volume: return item.name == QLatin1StringView("/") ? 2 : 3;
    case ShellItem::Kind::Entry: return item.isFile() ? 5 : 4;
    }
    return 5;
}

// The user-interface thread never waits for a server: what it asks of one fills in once answered.
constexpr std::chrono::milliseconds noWait{0};

template <typename T> int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A read of the folder that stops at its first sub-folder (not hidden unless asked). What
// leads into a remote mount counts as one, unlooked at. realPath is where the path leads.
bool holdsSubfolder(const platform::MountTable& mounts, const QString& path, const QString& realPath, bool hidden)
{
    DIR* dir = ::opendir(nativePath(path).constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (!hidden || name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (e->d_type == DT_DIR) {
            found = true;
        } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st {};
            found = mounts.reachFrom(realPath, platform::decodeFileName(name)).remote
                    || (::fstatat(::dirfd(dir), name, &st, 0) == 0 && S_ISDIR(st.st_mode));
        }
        if (found)
            break;
    }
    ::closedir(dir);
    return found;
}

// A folder that is not looked at: it may hold anything.
void markUnexamined(ShellItem& item)
{
    item.remote = true;
    item.attributes |= saFolder | saFileSysAncestor | saHasSubfolder;
}

// One entry of a folder (or, with an empty name, the folder itself). realFolder is where the
// folder's path leads with its links resolved, so that mount points are known by their names.
ShellItem makeEntry(const platform::MountTable& mounts, const QString& folder, const QString& realFolder,
                    const QString& name, bool onRemote, bool folderWritable)
{
    ShellItem item;
    item.kind = ShellItem::Kind::Entry;
    item.name = name;
    item.path = name.isEmpty() ? folder : childPath(folder, name);
    item.label = platform::displayFileName(name);
    item.attributes = saFileSystem;
    if (name.startsWith(QLatin1Char('.')))
        item.attributes |= saHidden;
    const QString real = name.isEmpty() ? realFolder : childPath(realFolder, name);
    if (!mounts.isMountPoint(real) && folderWritable)
        item.attributes |= saCanRename;
    if (!onRemote && mounts.isRemote(real)) {
        markUnexamined(item);  // a dead server would block the look
        return item;
    }
    item.remote = onRemote;
    const QByteArray native = nativePath(item.path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        item.attributes = 0;  // gone meanwhile
        return item;
    }
    if (S_ISLNK(st.st_mode)) {
        item.attributes |= saLink;
        if (!onRemote && mounts.reachFrom(realFolder, name).remote) {
            markUnexamined(item);
            return item;
        }
        struct stat target {};
        if (::stat(native.constData(), &target) == 0)
            st = target;  // a dangling or looping link stays a file
    }
    item.size = st.st_size;
    item.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (S_ISDIR(st.st_mode)) {
        item.attributes |= saFolder | saFileSysAncestor;
        if (onRemote)
            item.attributes |= saHasSubfolder;  // not opened to find out
    }
    return item;
}

// Reads a folder's entries one at a time into sink, which returns true to stop; false when the
// folder cannot be read. realPath is where the path leads (links resolved); in a remote folder
// (onRemote) it is the path itself. Touches only the disk and the given table, so it may run
// on any thread. In a local folder nothing that leads into a remote mount is looked at; in a
// remote one every entry is, but no sub-folder is opened. With subfolderHints a local folder
// entry is looked into for a sub-folder (hidden ones with hidden).
bool scanFolder(const platform::MountTable& mounts, const QString& path, const QString& realPath, bool onRemote,
                bool hidden, bool subfolderHints, const std::function<bool(ShellItem)>& sink)
{
    const QByteArray native = nativePath(path);
    DIR* dir = ::opendir(native.constData());
    if (!dir)
        return false;
    const bool writable = ::access(native.constData(), W_OK) == 0;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray raw(e->d_name);
        if (raw == "." || raw == ".." || (raw.startsWith('.') && !hidden))
            continue;
        ShellItem item = makeEntry(mounts, path, realPath, platform::decodeFileName(raw), onRemote, writable);
        if (item.attributes == 0)
            continue;
        if (subfolderHints && !item.remote && item.isFolder() && !(item.attributes & saHasSubfolder)
            && holdsSubfolder(mounts, item.path, mounts.reachFrom(realPath, item.name).path, hidden))
            item.attributes |= saHasSubfolder;
        if (sink(std::move(item)))
            break;
    }
    ::closedir(dir);
    return true;
}

QString typeKey(const ShellItem& item)
{
    const qsizetype dot = item.name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? item.name.mid(dot + 1).toCaseFolded() : QString();
}

} // namespace

FolderScan readRemoteFolder(const platform::MountTable& mounts, const QString& path, bool hidden)
{
    FolderScan scan;
    scan.ok = scanFolder(mounts, path, path, true, hidden, false, [&scan](ShellItem item) {
        scan.items.append(std::move(item));
        return false;
    });
    return scan;
}

FolderScan examineRemoteLinks(const platform::MountTable& mounts, const QString& folder, const QString& realFolder,
                              const QList<ShellItem>& links)
{
    FolderScan scan;
    scan.ok = true;
    for (const ShellItem& link : links)
        scan.items.append(makeEntry(mounts, folder, realFolder, link.name, true, link.attributes & saCanRename));
    return scan;
}

bool MatchesMask(const QString& name, const QStringList& masks)
{
    return masks.isEmpty() || platform::FileMask(masks.join(QLatin1Char(';'))).matches(name);
}

int compareShellItems(const ShellItem& a, const ShellItem& b, TFileSortType type, TFileSortOrder order)
{
    if (!a.isFile() || !b.isFile()) {
        const int byRank = threeWay(rank(a), rank(b));
        return byRank != 0 ? byRank : nameOrder(a, b);
    }
    int c = 0;
    switch (type) {
    case so_Name: break;
    case so_Size: c = threeWay(a.size, b.size); break;
    case so_Type: c = threeWay(typeKey(a), typeKey(b)); break;
    case so_Date: c = threeWay(a.modified, b.modified); break;
    }
    if (c == 0)
        c = nameOrder(a, b);
    return order == so_Descending ? -c : c;
}

ShellNamespace::ShellNamespace(const platform::MountWatcher& mounts)
    : mounts_(mounts), remoteScans_(std::make_unique<FolderScans>())
{
}

ShellNamespace::~ShellNamespace() = default;

ShellItem ShellNamespace::desktop() const
{
    ShellItem item;
    item.kind = ShellItem::Kind::Desktop;
    // Without a desktop folder of its own the desktop holds only "Computer" and the home
    // folder, rather than the home folder's entries a second time.
    const platform::MountTable table = mounts_.table();
    const QString folder = platform::specialFolderPath(platform::SpecialFolder::Desktop, table);
    if (folder != platform::specialFolderPath(platform::SpecialFolder::Home, table)) {
        item.path = folder;
        item.remote = table.reach(folder).remote;
    }
    item.label = QStringLiteral("Desktop");
    item.attributes = saFileSystem | saFileSysAncestor | saFolder | saHasSubfolder;
    return item;
}

ShellItem ShellNamespace::computer() const
{
    ShellItem item;
    item.kind = ShellItem::Kind::Computer;
    item.name = platform::computerNodeName;
    item.label = platform::computerNodeName;
    item.attributes = saFileSysAncestor | saFolder | saHasSubfolder;
    return item;
}

ShellItem ShellNamespace::special(TPidls which) const
{
    using platform::SpecialFolder;
    const platform::MountTable table = mounts_.table();
    QString path;
    switch (which) {
    case PIDL_DRIVES: return computer();
    case PIDL_PERSONAL: path = platform::specialFolderPath(SpecialFolder::Documents, table); break;
    case PIDL_DESKTOPDIRECTORY: path = platform::specialFolderPath(SpecialFolder::Desktop, table); break;
    case PIDL_FONTS: path = platform::specialFolderPath(SpecialFolder::Fonts, table); break;
    case PIDL_TEMPLATES: path = platform::specialFolderPath(SpecialFolder::Templates, table); break;
    default: break;
    }
    return path.isEmpty() ? desktop() : folder(path);
}

ShellItem ShellNamespace::folder(const QString& path) const
{
    const platform::MountTable table = mounts_.table();
    ShellItem item = makeEntry(table, path, table.reach(path).path, QString(), false, false);
    item.name = path;
    item.path = path;
    // A root shows its whole path, except a folder called "desktop", which shows "Desktop".
    const QString last = path.section(QLatin1Char('/'), -1);
    item.label = last.toUpper() == QLatin1StringView("DESKTOP") ? QStringLiteral("Desktop")
                                                                 : platform::displayFileName(path);
    item.attributes &= ~quint32(saCanRename | saHidden);
    return item;
}

ShellItem ShellNamespace::volume(const platform::MountTable& table, const QString& mountPoint) const
{
    ShellItem item;
    item.kind = ShellItem::Kind::Volume;
    item.name = mountPoint;
    item.path = mountPoint;
    item.label = mountPoint == QLatin1StringView("/") ? mountPoint
                                                      : platform::displayFileName(mountPoint.section(QLatin1Char('/'), -1));
    item.attributes = saFileSystem | saFileSysAncestor | saFolder;
    item.remote = table.isRemote(mountPoint);
    if (item.remote || holdsSubfolder(table, mountPoint, mountPoint, false))
        item.attributes |= saHasSubfolder;
    return item;
}

bool ShellNamespace::answered(const QString& path) const
{
    return remoteScans_->finished(path);
}

QString ShellNamespace::nearestFolder(const QString& path) const
{
    if (!path.startsWith(QLatin1Char('/')))
        return {};
    QString p = QDir::cleanPath(path);
    if (mounts_.table().reach(path).remote)
        return p;
    while (p.size() > 1 && !isFolderPath(p))
        p.truncate(qMax<qsizetype>(1, p.lastIndexOf(QLatin1Char('/'))));
    return isFolderPath(p) ? p : QString();
}

ShellNamespace::Listing ShellNamespace::children(const ShellItem& parent, const Request& request, QList<ShellItem>& out)
{
    const bool folders = request.withFolders || (request.options & TF_FOLDERS);
    const bool files = request.options & TF_NONFOLDERS;
    const bool hidden = request.options & TF_HIDDEN;
    const auto take = [&](ShellItem item) {
        if (item.isFolder() ? !folders : (!files || (request.takeFile && !request.takeFile(item))))
            return false;
        out.append(std::move(item));
        return request.firstOnly;
    };
    const platform::MountTable table = mounts_.table();

    if (parent.kind == ShellItem::Kind::Computer) {
        if (take(volume(table, QStringLiteral("/"))))
            return Listing::Read;
        const QString user = userName();
        QStringList seen;
        for (const platform::MountEntry& m : table.entries()) {
            if (!platform::isUserVolume(m.mountPoint, user) || seen.contains(m.mountPoint))
                continue;
            seen << m.mountPoint;
            if (take(volume(table, m.mountPoint)))
                return Listing::Read;
        }
        return Listing::Read;
    }
    if (parent.kind == ShellItem::Kind::Desktop) {
        if (take(computer()))
            return Listing::Read;
        ShellItem home = folder(platform::specialFolderPath(platform::SpecialFolder::Home, table));
        home.kind = ShellItem::Kind::Home;
        home.name = home.path;
        home.label = platform::displayFileName(home.path.section(QLatin1Char('/'), -1));
        if (!home.remote && holdsSubfolder(table, home.path, table.reach(home.path).path, hidden))
            home.attributes |= saHasSubfolder;
        if (take(home))
            return Listing::Read;
    }
    if (parent.path.isEmpty())
        return Listing::Read;

    // Looked at again each time: a mount may have come over the folder since it was listed.
    if (!parent.remote) {
        const platform::MountTable::Reach reach = table.reach(parent.path);
        if (!reach.remote) {
            QList<ShellItem> links;  // into remote mounts: what they lead to is looked at on a worker
            const bool read = scanFolder(table, parent.path, reach.path, false, hidden, !files, [&](ShellItem item) {
                if (request.firstOnly || !item.remote || !(item.attributes & saLink))
                    return take(std::move(item));
                links.append(std::move(item));
                return false;
            });
            if (!read)
                return Listing::Unreadable;
            return links.isEmpty() ? Listing::Read : takeRemoteLinks(parent.path, reach.path, links, take);
        }
    }
    if (request.firstOnly)
        return Listing::Pending;
    const std::optional<FolderScan> scan = remoteScans_->scan(
        parent.path, [read = RemoteFolderRead{parent.path, hidden}] { return readApart(read); }, noWait);
    if (!scan) // the desktop's own items are listed whatever its folder's server does
        return parent.kind == ShellItem::Kind::Desktop ? Listing::Partial : Listing::Pending;
    for (const ShellItem& item : scan->items)
        take(item);
    return scan->ok ? Listing::Read : Listing::Unreadable;
}

ShellNamespace::Listing ShellNamespace::takeRemoteLinks(const QString& folder, const QString& realFolder,
                                                        const QList<ShellItem>& links,
                                                        const std::function<bool(ShellItem)>& take)
{
    const auto examine = [&] {
        const RemoteLinksRead read{folder, realFolder, links};
        return remoteScans_->scan(folder, [read] { return readApart(read); }, noWait);
    };
    bool answered = false;
    if (const std::optional<FolderScan> examined = examine()) {
        QSet<QString> paths;
        for (const ShellItem& item : examined->items) {
            linkTargets_.insert(item.path, item);
            paths.insert(item.path);
        }
        // A reader that failed is not asked again at once: the links stay as they were.
        answered = !examined->ok
                   || std::all_of(links.cbegin(), links.cend(), [&](const ShellItem& link) { return paths.contains(link.path); });
        if (!answered)
            examine();  // a link made since it was asked about is looked at afresh
    }
    // Until then each shows as it did last, or as a folder not looked into.
    for (const ShellItem& link : links) {
        const ShellItem shown = linkTargets_.value(link.path, link);
        if (shown.attributes != 0 && take(shown))
            break;
    }
    return answered ? Listing::Read : Listing::Partial;
}
