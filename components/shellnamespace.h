#pragma once

#include <QFlags>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

template <typename Result> class FolderReads;

namespace platform {
class MountTable;
class MountWatcher;
}

// What the folder tree lists.
enum TVisOption { TF_FOLDERS = 32, TF_NONFOLDERS = 64, TF_HIDDEN = 128 };
Q_DECLARE_FLAGS(TVisOptions, TVisOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TVisOptions)

enum TFileSortType { so_Name, so_Size, so_Type, so_Date };
enum TFileSortOrder { so_Ascending, so_Descending };

// Root choices of the folder tree. The numbers are the ones stored in forms.
enum TPidls {
    PIDL_DESKTOP = 0, PIDL_PROGRAMS = 2, PIDL_CONTROLS = 3, PIDL_PRINTERS = 4, PIDL_PERSONAL = 5,
    PIDL_FAVORITES = 6, PIDL_STARTUP = 7, PIDL_RECENT = 8, PIDL_SENDTO = 9, PIDL_BITBUCKET = 10,
    PIDL_STARTMENU = 11, PIDL_DESKTOPDIRECTORY = 16, PIDL_DRIVES = 17, PIDL_NETWORK = 18,
    PIDL_NETHOOD = 19, PIDL_FONTS = 20, PIDL_TEMPLATES = 21, PIDL_USERDEFINED = -1,
};

// Attribute bits of a tree item, as the tree's events publish them.
enum TShellAttribute : quint32 {
    saCanRename = 0x10,
    saLink = 0x10000,
    saShare = 0x20000,  // never set here
    saHidden = 0x80000,
    saFileSysAncestor = 0x10000000,
    saFolder = 0x20000000,
    saFileSystem = 0x40000000,
    saHasSubfolder = 0x80000000,
};

// One item of the namespace the tree shows: the file system, topped by the desktop and a
// "Computer" item without a path that holds "/" and the user's volumes.
struct ShellItem {
    enum class Kind { Desktop, Computer, Home, Volume, Entry };
    Kind kind = Kind::Entry;
    QString name;   // the item within its parent: an entry's name, a volume's mount point
    QString path;   // "" without one
    QString label;
    quint32 attributes = 0;
    qint64 size = 0;
    qint64 modified = 0;  // ns since the epoch
    // On a remote file system, or leading into one: never looked at on the user-interface
    // thread. Its folders show as having children until they are read.
    bool remote = false;

    bool isFolder() const { return attributes & saFolder; }
    bool isFile() const { return (attributes & saFileSystem) && !(attributes & saFolder); }
    bool sameItem(const ShellItem& other) const
    {
        return kind == other.kind && name == other.name && isFolder() == other.isFolder();
    }
};

// A file name against the tree's mask list: an empty list takes every name.
bool MatchesMask(const QString& name, const QStringList& masks);

// Order of items among their siblings: the desktop's own items and volumes first, folders
// by name in listing order, then files by the chosen key (name breaking ties).
int compareShellItems(const ShellItem& a, const ShellItem& b, TFileSortType type, TFileSortOrder order);

// What one read of a folder gave: its entries, or ok false when it could not be read.
struct FolderScan {
    bool ok = false;
    QList<ShellItem> items;
};

// A remote folder's entries, each looked at but none of its sub-folders opened; ok false when
// it cannot be read. Waits on the server: never on the user-interface thread.
FolderScan readRemoteFolder(const platform::MountTable& mounts, const QString& path, bool hidden);
// What links of a local folder (leading to realFolder) into remote mounts lead to, looked at
// as entries on the server, which this waits on as well.
FolderScan examineRemoteLinks(const platform::MountTable& mounts, const QString& folder, const QString& realFolder,
                              const QList<ShellItem>& links);

// Reads items of the namespace. Looks at mounts (never into remote ones) through the watcher.
class ShellNamespace {
public:
    explicit ShellNamespace(const platform::MountWatcher& mounts);
    ~ShellNamespace();

    ShellItem desktop() const;
    ShellItem computer() const;
    // A special root; a choice this machine has no folder for gives the desktop.
    ShellItem special(TPidls which) const;
    // An existing folder as a root item (its label the whole path).
    ShellItem folder(const QString& path) const;
    // The deepest existing folder of an absolute path, without a trailing "/" (except "/"
    // itself); "" for an empty or relative path. A path into a remote mount is only cleaned:
    // whether it exists is asked of its server, which may not answer.
    QString nearestFolder(const QString& path) const;

    struct Request {
        TVisOptions options;
        bool withFolders = true;      // the root lists folders whatever the options say
        bool firstOnly = false;        // stop at the first item taken
        std::function<bool(const ShellItem&)> takeFile;  // null: every file
    };
    enum class Listing { Read, Unreadable, Pending, Partial };
    // The children of an item in no particular order. A remote folder is read on a worker, never
    // waited for: Pending (nothing listed) until it has answered, and answered tells when a new
    // call lists it at once. A probe (firstOnly) of a remote folder never looks into it and is
    // Pending too. In a local folder, what a link into a remote mount leads to is looked at on
    // a worker as well: Partial lists the folder with such links as they were last seen (a
    // folder, before they ever were) until answered; a desktop on a remote folder lists its own
    // items before that folder's entries come in.
    Listing children(const ShellItem& parent, const Request& request, QList<ShellItem>& out);
    bool answered(const QString& path) const;

private:
    ShellItem volume(const platform::MountTable& table, const QString& mountPoint) const;
    Listing takeRemoteLinks(const QString& folder, const QString& realFolder, const QList<ShellItem>& links,
                            const std::function<bool(ShellItem)>& take);

    const platform::MountWatcher& mounts_;
    std::unique_ptr<FolderReads<FolderScan>> remoteScans_;
    QHash<QString, ShellItem> linkTargets_;  // links into remote mounts as last examined, by path
};
