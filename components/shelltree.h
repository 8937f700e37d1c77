#pragma once

#include "shellnamespace.h"

#include <QElapsedTimer>
#include <QFileIconProvider>
#include <QHash>
#include <QMultiHash>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

class TDiscMonitor;
class TShellTree;

namespace platform {
struct Services;
class FolderWatchHub;
class MountWatcher;
}

enum TPopupMenuMode { pmm_System, pmm_PopupMenu };

// One item of the folder tree. Its children are listed the first time it expands.
class TShellnode : public QTreeWidgetItem {
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 1;

    ~TShellnode() override;

    const ShellItem& Item() const { return item_; }
    QString Path() const { return item_.path; }
    quint32 Attributes() const { return item_.attributes; }
    bool ChildrenListed() const { return childrenListed_; }
    bool MonitorStarted() const { return monitorStarted_; }
    TDiscMonitor* Monitor() const { return monitor_.get(); }
    quint64 Id() const { return id_; }
    TShellTree* Tree() const { return tree_; }
    TShellnode* ParentNode() const;
    TShellnode* ChildNode(int index) const;

    QString GetDisplayName() const { return item_.label; }
    void UpdateIcons();
    // Renames the item on disk, never over an existing name; false (label kept) otherwise.
    bool Rename(const QString& newName);

    bool operator<(const QTreeWidgetItem& other) const override;

private:
    friend class TShellTree;
    TShellnode(TShellTree* tree, ShellItem item, quint64 id);
    void take(ShellItem item);
    void movePath(const QString& oldPath, const QString& newPath);

    TShellTree* tree_;
    ShellItem item_;
    quint64 id_;
    bool childrenListed_ = false;
    bool seen_ = false;
    bool monitorStarted_ = false;
    std::unique_ptr<TDiscMonitor> monitor_;
};

// Pages a view once per whole notch of wheel turn in one direction; a turn the other way
// starts counting afresh. feed gives the pages to move: positive up, negative down.
class WheelPager {
public:
    int feed(int angleDelta);

private:
    int pending_ = 0;
};

// A tree of the desktop's namespace (desktop, "Computer", home, folders, optionally files),
// filled lazily and kept up to date with the folders it has listed.
class TShellTree : public QTreeWidget {
    Q_OBJECT
public:
    // Mounts and folder watches default to the process's own.
    explicit TShellTree(QWidget* parent = nullptr, platform::MountWatcher* mounts = nullptr,
                        platform::FolderWatchHub* watches = nullptr);
    ~TShellTree() override;

    // The path of the selected node; "" with nothing selected or for a node without one.
    QString Path() const;
    // Selects the nearest existing folder of the path; "" selects the root.
    void SetPath(const QString& path);

    bool RootUsePIDL() const { return rootUsePIDL_; }
    void SetRootUsePIDL(bool value);
    TPidls RootPIDL() const { return rootPIDL_; }
    void SetRootPIDL(TPidls value);
    QString RootDir() const { return rootDir_; }
    void SetRootDir(const QString& value);

    TVisOptions Options() const { return options_; }
    void SetOptions(TVisOptions value);
    // Every item here is a folder or holds folders, so no item is virtual.
    bool ShowVirtualFolders() const { return showVirtualFolders_; }
    void SetShowVirtualFolders(bool value);
    // Kept for forms that set it: no item is shared here, so it changes no icon.
    bool ShowSharedOverlay() const { return showSharedOverlay_; }
    void SetShowSharedOverlay(bool value);
    bool ShowLinkOverlay() const { return showLinkOverlay_; }
    void SetShowLinkOverlay(bool value);
    bool ShowIcons() const { return showIcons_; }
    void SetShowIcons(bool value);
    // Kept for forms that set it: the tree itself shows no messages.
    bool ShowMessages() const { return showMessages_; }
    void SetShowMessages(bool value) { showMessages_ = value; }

    bool UpdAutoThread() const { return updAutoThread_; }
    void SetUpdAutoThread(bool value) { updAutoThread_ = value; }
    bool UpdAuto() const { return updAuto_; }
    void SetUpdAuto(bool value) { updAuto_ = value; }
    bool UpdAutoRec() const { return updAutoRec_; }
    void SetUpdAutoRec(bool value) { updAutoRec_ = value; }

    // ";"-separated patterns for listed files; "" becomes "*.*".
    QString FileMask() const { return maskList_.join(QLatin1Char(';')); }
    void SetFileMask(const QString& value);
    bool FileMaskUse() const { return fileMaskUse_; }
    void SetFileMaskUse(bool value);
    TFileSortType FileSortType() const { return fileSortType_; }
    void SetFileSortType(TFileSortType value);
    TFileSortOrder FileSortOrder() const { return fileSortOrder_; }
    void SetFileSortOrder(TFileSortOrder value);

    TPopupMenuMode PopupMenuMode() const { return popupMenuMode_; }
    void SetPopupMenuMode(TPopupMenuMode value) { popupMenuMode_ = value; }
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    // Where the item menu opens items and tells what could not be opened; the desktop's own
    // opener and message boxes unless set.
    const platform::Services& Services() const;
    void SetServices(const platform::Services* services) { services_ = services; }
    bool RightClickSelect() const { return rightClickSelect_; }
    void SetRightClickSelect(bool value) { rightClickSelect_ = value; }

    // Asked before a file node is added: (full path, attributes, allow).
    std::function<void(const QString& fileName, quint32 attributes, bool& allow)> OnFileAdd;
    // Asked before a right-click menu: (node, allow).
    std::function<void(TShellnode* node, bool& allow)> OnPopupMenu;
    // Kept for forms that set it; the menu of this platform has no handle to give.
    std::function<void(TShellnode* node, quint32& menu)> OnSystemContextMenu;

    TShellnode* RootNode() const { return rootNode_; }
    TShellnode* NodeById(quint64 id) const { return nodes_.value(id); }
    TShellnode* CurrentNode() const;
    // The change filter the tree gives its monitors (platform::FolderChange bits).
    quint32 NotifyFilter() const;

    // Lists a node's children (full), or only finds out whether it has any (a probe), and gives
    // their number. A remote folder that has not answered within the wait keeps what it shows
    // and is listed again once it answers; a probe of one gives 1 without looking.
    int ListChildren(TShellnode* node, bool full);
    void ReadChildren(TShellnode* node, bool recursive);
    // Re-reads every expanded level.
    void ReadAll();
    // Shows the right-click menu of a node at a screen point; false without a node or when
    // OnPopupMenu refuses.
    bool DoPopupMenu(TShellnode* node, const QPoint& globalPos);

signals:
    // The selected node changed, or a node was renamed.
    void Change(TShellnode* node);
    // A label edit ended, committed or not.
    void EditingOver();

protected:
    virtual void BuildRoot();
    // The item menu of pmm_System (ShowItemContextMenu).
    virtual void ShowSystemMenu(TShellnode* node, const QPoint& globalPos);

    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class TShellnode;
    friend class RenameDelegate;

    enum class RebuildMode { Root, Special, Folder };
    void Rebuild(RebuildMode mode);
    void Navigate(const QString& path);
    TShellnode* makeNode(ShellItem item);
    void forget(TShellnode* node);
    // Takes an item into the listing: an existing unseen child of the same name and kind, or a new node.
    bool AddChildItem(const QMultiHash<QString, TShellnode*>& existing, ShellItem item, QList<QTreeWidgetItem*>& added);
    bool acceptFile(const ShellItem& item);
    bool hasChildren(TShellnode* node);
    void startMonitor(TShellnode* node);
    void watchAboveRoot();
    void scheduleReread(quint64 id);
    void runRereads();
    void awaitAnswer(quint64 id);
    void takeAnswers();
    void keepSelectionAbove(TShellnode* node);
    void nodeExpanded(QTreeWidgetItem* item);
    void refilter();
    void resortAll(QTreeWidgetItem* item);
    void updateIconsBelow(QTreeWidgetItem* item);
    void mountsChanged();
    bool commitRename(TShellnode* node, const QString& text);
    QIcon iconFor(const ShellItem& item, bool open) const;

    std::unique_ptr<platform::MountWatcher> ownMounts_;
    platform::MountWatcher* mounts_;
    platform::FolderWatchHub& watches_;
    ShellNamespace namespace_;
    QFileIconProvider iconProvider_;

    bool showVirtualFolders_ = true;
    bool showSharedOverlay_ = true;
    bool showLinkOverlay_ = true;
    bool rootUsePIDL_ = true;
    TPidls rootPIDL_ = PIDL_DESKTOP;
    QString rootDir_ = QStringLiteral("/");
    TVisOptions options_ = TF_FOLDERS;
    bool updAutoThread_ = true;
    bool updAuto_ = true;
    bool updAutoRec_ = false;
    bool showIcons_ = true;
    bool showMessages_ = true;
    QStringList maskList_{QStringLiteral("*.*")};
    bool fileMaskUse_ = false;
    TFileSortType fileSortType_ = so_Name;
    TFileSortOrder fileSortOrder_ = so_Ascending;
    TPopupMenuMode popupMenuMode_ = pmm_System;
    QPointer<QMenu> popupMenu_;
    const platform::Services* services_ = nullptr;
    bool rightClickSelect_ = false;

    TShellnode* rootNode_ = nullptr;
    std::unique_ptr<TDiscMonitor> aboveRoot_;  // while the root's folder is gone
    bool expandAllowed_ = false;
    bool quietSelection_ = false;
    int listing_ = 0;
    quint64 nextId_ = 1;
    QHash<quint64, TShellnode*> nodes_;
    QSet<quint64> pendingRereads_;
    QTimer rereadTimer_;
    QSet<quint64> awaitingAnswers_;  // remote folders whose listing outlasted the wait
    QTimer answerTimer_;
    QElapsedTimer pendingSince_;
    WheelPager wheel_;
};
