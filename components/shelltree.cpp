#include "shelltree.h"

#include "discmonitor.h"
#include "itemprop.h"

#include "platform/filenames.h"
#include "platform/folderwatch.h"
#include "platform/hourglass.h"
#include "platform/modaldialog.h"
#include "platform/mounttable.h"
#include "platform/paths.h"
#include "platform/qtprompts.h"
#include "platform/safewrite.h"
#include "platform/services.h"
#include "platform/shell.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include <utility>

namespace {

constexpr int rereadDelayMs = 100;   // a burst of changes gives one re-read this long after it
constexpr int rereadLongestMs = 1000; // but a folder that never rests is still re-read
constexpr int answerPollMs = 250;     // how often a remote folder that outlasted its wait is asked again

QIcon withLinkOverlay(const QIcon& base)
{
    QIcon result;
    for (const int size : {16, 32}) {
        QPixmap pixmap = base.pixmap(size);
        if (pixmap.isNull()) {
            pixmap = QPixmap(size, size);
            pixmap.fill(Qt::transparent);
        }
        QPainter painter(&pixmap);
        const int s = pixmap.height() / 2;
        const QRect box(0, pixmap.height() - s, s, s);
        painter.fillRect(box, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.drawLine(box.left() + 2, box.bottom() - 2, box.right() - 2, box.top() + 2);
        painter.drawLine(box.right() - 2, box.top() + 2, box.right() - 2, box.top() + s / 2);
        painter.drawLine(box.right() - 2, box.top() + 2, box.right() - s / 2, box.top() + 2);
        result.addPixmap(pixmap);
    }
    return result;
}

} // namespace

// Label edits end in a rename on disk instead of a plain change of the text.
class RenameDelegate : public QStyledItemDelegate {
public:
    explicit RenameDelegate(TShellTree* tree) : QStyledItemDelegate(tree), tree_(tree) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        auto* node = static_cast<TShellnode*>(tree_->itemFromIndex(index));
        if (line && node)
            tree_->commitRename(node, line->text());
    }

private:
    TShellTree* tree_;
};

// ---- node ----

TShellnode::TShellnode(TShellTree* tree, ShellItem item, quint64 id)
    : QTreeWidgetItem(NodeType), tree_(tree), id_(id)
{
    take(std::move(item));
}

TShellnode::~TShellnode()
{
    monitor_.reset();
    if (tree_)
        tree_->forget(this);
}

TShellnode* TShellnode::ParentNode() const
{
    return static_cast<TShellnode*>(parent());
}

TShellnode* TShellnode::ChildNode(int index) const
{
    return static_cast<TShellnode*>(child(index));
}

void TShellnode::take(ShellItem item)
{
    item_ = std::move(item);
    setText(0, item_.label);
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (item_.attributes & saCanRename)
        f |= Qt::ItemIsEditable;
    setFlags(f);
    UpdateIcons();
}

void TShellnode::UpdateIcons()
{
    if (!tree_ || !tree_->showIcons_) {
        setIcon(0, QIcon());
        return;
    }
    QIcon icon = tree_->iconFor(item_, false);
    if (item_.isFolder()) {
        const QIcon open = tree_->iconFor(item_, true);
        for (const int size : {16, 32})
            icon.addPixmap(open.pixmap(size), QIcon::Selected);
    }
    // Nothing is shared on this platform, so links are the only overlay.
    if ((item_.attributes & saLink) && tree_->showLinkOverlay_)
        icon = withLinkOverlay(icon);
    setIcon(0, icon);
}

bool TShellnode::Rename(const QString& newName)
{
    if (newName == item_.label)
        return false;
    if (item_.kind != ShellItem::Kind::Entry || !(item_.attributes & saCanRename))
        return false;
    if (newName.isEmpty() || newName == QLatin1StringView(".") || newName == QLatin1StringView("..")
        || newName.contains(QLatin1Char('/')) || newName.contains(QChar(0)))
        return false;
    const QString oldPath = item_.path;
    const QString newPath = oldPath.left(oldPath.size() - item_.name.size()) + newName;
    if (!platform::renameNoReplace(oldPath, newPath))
        return false;
    item_.name = newName;
    item_.label = platform::displayFileName(newName);
    if (newName.startsWith(QLatin1Char('.')))
        item_.attributes |= saHidden;
    else
        item_.attributes &= ~quint32(saHidden);
    movePath(oldPath, newPath);
    setText(0, item_.label);
    if (QTreeWidgetItem* up = parent())
        up->sortChildren(0, Qt::AscendingOrder);
    if (tree_)
        emit tree_->Change(this);
    return true;
}

void TShellnode::movePath(const QString& oldPath, const QString& newPath)
{
    item_.path = newPath + item_.path.mid(oldPath.size());
    for (int i = 0; i < childCount(); ++i)
        ChildNode(i)->movePath(oldPath, newPath);
}

bool TShellnode::operator<(const QTreeWidgetItem& other) const
{
    if (other.type() != NodeType || !tree_)
        return QTreeWidgetItem::operator<(other);
    return compareShellItems(item_, static_cast<const TShellnode&>(other).item_, tree_->fileSortType_,
                             tree_->fileSortOrder_) < 0;
}

int WheelPager::feed(int angleDelta)
{
    if ((pending_ > 0 && angleDelta < 0) || (pending_ < 0 && angleDelta > 0))
        pending_ = 0;
    pending_ += angleDelta;
    const int pages = pending_ / 120;
    pending_ -= pages * 120;
    return pages;
}

// ---- tree ----

TShellTree::TShellTree(QWidget* parent, platform::MountWatcher* mounts, platform::FolderWatchHub* watches)
    : QTreeWidget(parent),
      ownMounts_(mounts ? nullptr : std::make_unique<platform::ProcMountWatcher>()),
      mounts_(mounts ? mounts : ownMounts_.get()),
      watches_(watches ? *watches : platform::FolderWatchHub::shared()),
      namespace_(*mounts_)
{
    setColumnCount(1);
    setHeaderHidden(true);
    resize(170, 270);
    // The selection stays visible while the tree has no focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegate(new RenameDelegate(this));

    rereadTimer_.setSingleShot(true);
    connect(&rereadTimer_, &QTimer::timeout, this, &TShellTree::runRereads);
    answerTimer_.setInterval(answerPollMs);
    connect(&answerTimer_, &QTimer::timeout, this, &TShellTree::takeAnswers);
    connect(this, &QTreeWidget::itemExpanded, this, &TShellTree::nodeExpanded);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (!quietSelection_)
            emit Change(static_cast<TShellnode*>(current));
    });
    connect(mounts_, &platform::MountWatcher::changed, this, &TShellTree::mountsChanged);
    Rebuild(RebuildMode::Root);
}

TShellTree::~TShellTree()
{
    rereadTimer_.stop();
    answerTimer_.stop();
    quietSelection_ = true;
    clear();
}

QString TShellTree::Path() const
{
    const TShellnode* node = CurrentNode();
    return node ? node->Path() : QString();
}

void TShellTree::SetPath(const QString& path)
{
    const QString target = namespace_.nearestFolder(path);
    if (target.isEmpty()) {
        if (rootNode_)
            setCurrentItem(rootNode_);
        return;
    }
    if (target != Path())
        Navigate(target);
}

TShellnode* TShellTree::CurrentNode() const
{
    return static_cast<TShellnode*>(currentItem());
}

void TShellTree::SetRootUsePIDL(bool value)
{
    if (value == rootUsePIDL_)
        return;
    rootUsePIDL_ = value;
    Rebuild(RebuildMode::Root);
}

void TShellTree::SetRootPIDL(TPidls value)
{
    if (value == rootPIDL_)
        return;
    rootPIDL_ = value;
    if (rootUsePIDL_)
        Rebuild(RebuildMode::Special);
}

void TShellTree::SetRootDir(const QString& value)
{
    const QString folder = namespace_.nearestFolder(value);
    if (folder.isEmpty() || folder == rootDir_)
        return;
    rootDir_ = folder;
    if (!rootUsePIDL_)
        Rebuild(RebuildMode::Folder);
}

quint32 TShellTree::NotifyFilter() const
{
    quint32 filter = platform::AttributeChanges;
    if (options_ & TF_FOLDERS)
        filter |= platform::FolderNameChanges;
    if (options_ & TF_NONFOLDERS)
        filter |= platform::FileNameChanges;
    return filter;
}

void TShellTree::SetOptions(TVisOptions value)
{
    if (value == options_)
        return;
    options_ = value;
    // Depth first through the root's subtree: running monitors take the new filter.
    std::function<void(QTreeWidgetItem*)> rearm = [&](QTreeWidgetItem* item) {
        auto* node = static_cast<TShellnode*>(item);
        if (node->monitor_ && !node->monitor_->Failed())
            node->monitor_->SetNotifyFilter(NotifyFilter());
        for (int i = 0; i < item->childCount(); ++i)
            rearm(item->child(i));
    };
    if (rootNode_)
        rearm(rootNode_);
    ReadAll();
}

void TShellTree::SetShowVirtualFolders(bool value)
{
    if (std::exchange(showVirtualFolders_, value) != value)
        ReadAll();
}

void TShellTree::SetShowSharedOverlay(bool value)
{
    if (std::exchange(showSharedOverlay_, value) != value)
        ReadAll();
}

void TShellTree::SetShowLinkOverlay(bool value)
{
    if (std::exchange(showLinkOverlay_, value) != value)
        ReadAll();
}

void TShellTree::SetShowIcons(bool value)
{
    if (std::exchange(showIcons_, value) != value && rootNode_)
        updateIconsBelow(rootNode_);
}

void TShellTree::SetFileMask(const QString& value)
{
    QString text = value.trimmed();
    if (text.isEmpty())
        text = QStringLiteral("*.*");
    maskList_.clear();
    for (const QString& piece : text.split(QLatin1Char(';'))) {
        if (!piece.trimmed().isEmpty())
            maskList_ << piece.trimmed();
    }
    if (options_ & TF_NONFOLDERS)
        ReadAll();
}

void TShellTree::SetFileMaskUse(bool value)
{
    if (std::exchange(fileMaskUse_, value) != value && (options_ & TF_NONFOLDERS))
        ReadAll();
}

void TShellTree::SetFileSortType(TFileSortType value)
{
    if (std::exchange(fileSortType_, value) != value && rootNode_)
        resortAll(rootNode_);
}

void TShellTree::SetFileSortOrder(TFileSortOrder value)
{
    if (std::exchange(fileSortOrder_, value) != value && rootNode_)
        resortAll(rootNode_);
}

void TShellTree::resortAll(QTreeWidgetItem* item)
{
    item->sortChildren(0, Qt::AscendingOrder);
    for (int i = 0; i < item->childCount(); ++i)
        resortAll(item->child(i));
}

void TShellTree::updateIconsBelow(QTreeWidgetItem* item)
{
    static_cast<TShellnode*>(item)->UpdateIcons();
    for (int i = 0; i < item->childCount(); ++i)
        updateIconsBelow(item->child(i));
}

QIcon TShellTree::iconFor(const ShellItem& item, bool open) const
{
    using Kind = ShellItem::Kind;
    switch (item.kind) {
    case Kind::Desktop: return iconProvider_.icon(QAbstractFileIconProvider::Desktop);
    case Kind::Computer: return iconProvider_.icon(QAbstractFileIconProvider::Computer);
    case Kind::Volume:
        return iconProvider_.icon(item.remote ? QAbstractFileIconProvider::Network : QAbstractFileIconProvider::Drive);
    case Kind::Home:
    case Kind::Entry: break;
    }
    if (item.isFolder()) {
        if (open)
            return style()->standardIcon(QStyle::SP_DirOpenIcon);
        return iconProvider_.icon(QAbstractFileIconProvider::Folder);
    }
    // The icon of a file is looked up on its file, which on a remote one could wait on the server.
    return item.remote ? iconProvider_.icon(QAbstractFileIconProvider::File) : iconProvider_.icon(QFileInfo(item.path));
}

TShellnode* TShellTree::makeNode(ShellItem item)
{
    const quint64 id = nextId_++;
    auto* node = new TShellnode(this, std::move(item), id);
    nodes_.insert(id, node);
    return node;
}

void TShellTree::forget(TShellnode* node)
{
    nodes_.remove(node->id_);
    pendingRereads_.remove(node->id_);
    awaitingAnswers_.remove(node->id_);
    if (node == rootNode_) {
        rootNode_ = nullptr;
        aboveRoot_.reset();
    }
}

void TShellTree::Rebuild(RebuildMode mode)
{
    const QString oldPath = Path();
    quietSelection_ = true;
    clear();
    quietSelection_ = false;
    expandAllowed_ = false;
    BuildRoot();
    if (mode == RebuildMode::Folder)
        SetPath(oldPath);
}

void TShellTree::BuildRoot()
{
    ShellItem item;
    if (rootUsePIDL_) {
        item = namespace_.special(rootPIDL_);
    } else {
        QString folder = namespace_.nearestFolder(rootDir_);
        if (folder.isEmpty())
            folder = QStringLiteral("/");
        item = namespace_.folder(folder);
        rootDir_ = folder;
    }
    TShellnode* node = makeNode(std::move(item));
    addTopLevelItem(node);
    node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    rootNode_ = node;
    expandAllowed_ = true;
    node->setExpanded(true);
    setCurrentItem(node);
}

void TShellTree::nodeExpanded(QTreeWidgetItem* item)
{
    auto* node = static_cast<TShellnode*>(item);
    if (!expandAllowed_)
        return;
    if (updAuto_ || !node->childrenListed_) {
        ReadChildren(node, updAutoRec_);
        node->childrenListed_ = true;
    }
}

void TShellTree::ReadChildren(TShellnode* node, bool recursive)
{
    const quint64 id = node->id_;
    ListChildren(node, true);
    if (!recursive || !nodes_.contains(id))
        return;
    for (int i = 0; i < node->childCount(); ++i) {
        TShellnode* child = node->ChildNode(i);
        if (child->childCount() > 0 && child->isExpanded())
            ReadChildren(child, true);
        else
            child->childrenListed_ = false;
    }
}

void TShellTree::ReadAll()
{
    if (rootNode_)
        ReadChildren(rootNode_, true);
}

bool TShellTree::acceptFile(const ShellItem& item)
{
    if (fileMaskUse_ && !MatchesMask(item.name, maskList_))
        return false;
    bool allow = true;
    if (OnFileAdd)
        OnFileAdd(item.path, item.attributes, allow);
    return allow;
}

int TShellTree::ListChildren(TShellnode* node, bool full)
{
    ShellNamespace::Request request;
    request.options = options_;
    request.withFolders = node == rootNode_;
    request.firstOnly = !full;
    request.takeFile = [this](const ShellItem& item) { return acceptFile(item); };

    ++listing_;
    const auto done = qScopeGuard([this] { --listing_; });
    QList<ShellItem> items;
    if (!full)
        return namespace_.children(node->item_, request, items) == ShellNamespace::Listing::Pending ? 1 : int(items.size());
    const platform::Hourglass busy;
    // A folder that cannot be read lists nothing; of one that has not answered yet nothing is
    // known: what it shows stays, and it may still have children. One that answered in part
    // is listed now and again once the rest is in.
    const ShellNamespace::Listing listing = namespace_.children(node->item_, request, items);
    if (listing == ShellNamespace::Listing::Pending) {
        if (node->childCount() == 0)
            node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        awaitAnswer(node->id_);
        return node->childCount();
    }
    if (listing == ShellNamespace::Listing::Partial)
        awaitAnswer(node->id_);

    QMultiHash<QString, TShellnode*> existing;
    for (int i = 0; i < node->childCount(); ++i) {
        node->ChildNode(i)->seen_ = false;
        existing.insert(node->ChildNode(i)->item_.name, node->ChildNode(i));
    }
    QList<QTreeWidgetItem*> added;
    for (ShellItem& item : items)
        AddChildItem(existing, std::move(item), added);
    node->addChildren(added);
    // By id: deleting the selected node fires Change, whose handler may list again.
    QList<quint64> vanished;
    for (int i = 0; i < node->childCount(); ++i) {
        if (!node->ChildNode(i)->seen_)
            vanished << node->ChildNode(i)->id_;
    }
    const quint64 self = node->id_;
    keepSelectionAbove(node);
    for (const quint64 id : vanished)
        delete nodes_.value(id);
    if (!nodes_.contains(self))
        return 0;
    node->setChildIndicatorPolicy(node->childCount() > 0 ? QTreeWidgetItem::DontShowIndicatorWhenChildless
                                                         : QTreeWidgetItem::DontShowIndicator);
    node->sortChildren(0, Qt::AscendingOrder);
    startMonitor(node);
    return node->childCount();
}

// The selection does not fall to a neighbour when its folder goes: the node being listed is
// the nearest one above it that is still there.
void TShellTree::keepSelectionAbove(TShellnode* node)
{
    for (QTreeWidgetItem* up = currentItem(); up; up = up->parent()) {
        if (up->parent() == node) {
            if (!static_cast<TShellnode*>(up)->seen_)
                setCurrentItem(node);
            return;
        }
    }
}

bool TShellTree::AddChildItem(const QMultiHash<QString, TShellnode*>& existing, ShellItem item,
                              QList<QTreeWidgetItem*>& added)
{
    TShellnode* child = nullptr;
    for (auto it = existing.find(item.name); it != existing.end() && it.key() == item.name && !child; ++it) {
        if (!it.value()->seen_ && it.value()->item_.sameItem(item))
            child = it.value();
    }
    if (!showVirtualFolders_ && !(item.attributes & (saFileSystem | saFileSysAncestor)))
        return false;  // an existing child stays unseen and goes
    if (child) {
        child->take(std::move(item));
    } else {
        child = makeNode(std::move(item));
        added << child;
    }
    child->seen_ = true;

    bool children = child->item_.attributes & saHasSubfolder;
    if ((options_ & TF_NONFOLDERS) && child->item_.isFolder())
        children = child->isExpanded() || ListChildren(child, false) > 0;  // a remote one is not looked into
    if (!children) {
        child->childrenListed_ = false;
        qDeleteAll(child->takeChildren());
        startMonitor(child);
    }
    child->setChildIndicatorPolicy(children ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicator);
    return true;
}

void TShellTree::startMonitor(TShellnode* node)
{
    // A monitor whose folder went starts afresh: the path may name a new folder by now.
    if (node->monitor_ && node->monitor_->Failed()) {
        node->monitor_.reset();
        node->monitorStarted_ = false;
    }
    if (node->monitorStarted_)
        return;
    node->monitorStarted_ = true;
    // Nothing on disk to watch; or a remote folder, whose watch would wait on the server (and
    // would not learn of changes made elsewhere anyway).
    if (node->Path().trimmed().isEmpty() || node->item_.remote)
        return;
    const quint64 id = node->id_;
    node->monitor_ = std::make_unique<TDiscMonitor>(watches_, node->Path(), NotifyFilter(),
                                                    [this, id] { scheduleReread(id); });
    if (node == rootNode_)
        watchAboveRoot();
}

// A root whose folder went has no parent to tell when it is back: the nearest folder above it
// does, and its root is then listed (and watched) again.
void TShellTree::watchAboveRoot()
{
    aboveRoot_.reset();
    if (!rootNode_->monitor_ || !rootNode_->monitor_->Failed())
        return;
    const QString path = rootNode_->Path();
    const QString above = namespace_.nearestFolder(path.left(qMax<qsizetype>(1, path.lastIndexOf(QLatin1Char('/')))));
    if (above.isEmpty())
        return;
    const quint64 id = rootNode_->id_;
    aboveRoot_ = std::make_unique<TDiscMonitor>(watches_, above, platform::FolderNameChanges,
                                                [this, id] { scheduleReread(id); });
}

void TShellTree::scheduleReread(quint64 id)
{
    if (!updAutoThread_)
        return;
    pendingRereads_.insert(id);
    if (!pendingSince_.isValid())
        pendingSince_.start();
    const qint64 left = rereadLongestMs - pendingSince_.elapsed();
    rereadTimer_.start(int(qBound<qint64>(0, left, qint64(rereadDelayMs))));
}

void TShellTree::runRereads()
{
    if (listing_ > 0) {
        // Never inside a listing (a handler of it may run an event loop).
        rereadTimer_.start(rereadDelayMs);
        return;
    }
    pendingSince_.invalidate();
    const QSet<quint64> ids = std::exchange(pendingRereads_, {});
    if (!updAutoThread_)
        return;
    for (const quint64 id : ids) {
        // Looked up each time: an earlier re-read may have deleted the node.
        TShellnode* node = nodes_.value(id);
        if (node && node->monitor_ && node->monitor_->Failed()) {
            // Its folder went with nothing in its place (yet): the parent tells whether it is
            // still there, and listing it again watches it again.
            if (TShellnode* up = node->ParentNode())
                ListChildren(up, true);
            node = nodes_.value(id);
        }
        if (node)
            ListChildren(node, true);
    }
}

void TShellTree::awaitAnswer(quint64 id)
{
    awaitingAnswers_.insert(id);
    if (!answerTimer_.isActive())
        answerTimer_.start();
}

void TShellTree::takeAnswers()
{
    if (listing_ > 0)
        return;  // asked again at the next turn
    const QSet<quint64> ids = awaitingAnswers_;
    for (const quint64 id : ids) {
        TShellnode* node = nodes_.value(id);
        if (!node || namespace_.answered(node->Path())) {
            awaitingAnswers_.remove(id);
            if (node)
                ListChildren(node, true);
        }
    }
    if (awaitingAnswers_.isEmpty())
        answerTimer_.stop();
}

void TShellTree::mountsChanged()
{
    QList<quint64> computers;
    for (auto it = nodes_.cbegin(); it != nodes_.cend(); ++it) {
        if (it.value()->item_.kind == ShellItem::Kind::Computer && it.value()->childrenListed_)
            computers << it.key();
    }
    for (const quint64 id : computers) {
        if (TShellnode* node = nodes_.value(id))
            ListChildren(node, true);
    }
}

void TShellTree::Navigate(const QString& path)
{
    if (!rootNode_)
        return;
    // How closely a node holds the target: its path's length + 1, -1 when it does not. The
    // desktop holds every path, "Computer" too, both more weakly than any folder.
    const auto holds = [&path](const TShellnode* node) -> qsizetype {
        const QString& p = node->item_.path;
        if (!p.isEmpty() && (p == path || p == QLatin1StringView("/") || path.startsWith(p + QLatin1Char('/'))))
            return p.size() + 1;
        if (node->item_.kind == ShellItem::Kind::Computer)
            return 1;
        return node->item_.kind == ShellItem::Kind::Desktop ? 0 : -1;
    };
    TShellnode* node = rootNode_;
    while (holds(node) >= 0 && node->item_.path != path) {
        node->setExpanded(true);
        // Only a child that holds the target more closely leads further down.
        TShellnode* best = nullptr;
        qsizetype bestLength = holds(node);
        for (int i = 0; i < node->childCount(); ++i) {
            TShellnode* child = node->ChildNode(i);
            const qsizetype length = holds(child);
            if (length > bestLength) {
                best = child;
                bestLength = length;
            }
        }
        if (!best)
            break;
        node = best;
    }
    node->setExpanded(true);
    setCurrentItem(node);
    scrollToItem(node);
}

bool TShellTree::DoPopupMenu(TShellnode* node, const QPoint& globalPos)
{
    if (!node)
        return false;
    bool allow = true;
    if (OnPopupMenu)
        OnPopupMenu(node, allow);
    if (!allow)
        return false;
    TShellnode* previous = CurrentNode();
    const quint64 previousId = previous ? previous->id_ : 0;
    const QString previousPath = previous ? previous->Path() : QString();
    {
        // The selection is the menu's only while it shows: nothing it passes through meanwhile
        // (a folder of it going, say) is a change.
        const QScopedValueRollback quiet(quietSelection_, true);
        setCurrentItem(node);
        if (popupMenuMode_ == pmm_PopupMenu) {
            if (popupMenu_)
                popupMenu_->exec(globalPos);
        } else {
            ShowSystemMenu(node, globalPos);
        }
        TShellnode* back = nodes_.value(previousId);
        setCurrentItem(back);
        if (back || !previousId)
            return true;
    }
    // The selected folder went while the menu showed: the nearest one above it takes its place.
    SetPath(previousPath);
    return true;
}

const platform::Services& TShellTree::Services() const
{
    static platform::DesktopShell shell(platform::executableFolder());
    static platform::QtPromptService prompts(QCoreApplication::applicationName());
    static platform::DialogRunner dialogs;
    static const platform::Services desktop{prompts, shell, dialogs};
    return services_ ? *services_ : desktop;
}

void TShellTree::ShowSystemMenu(TShellnode* node, const QPoint& globalPos)
{
    ShowItemContextMenu({node->Item()}, this, globalPos, Services());
}

void TShellTree::showEvent(QShowEvent* event)
{
    QTreeWidget::showEvent(event);
    // Shown again: what was listed may have changed meanwhile, also where no monitor follows it.
    if (!event->spontaneous())
        ReadAll();
}

void TShellTree::contextMenuEvent(QContextMenuEvent* event)
{
    TShellnode* node = nullptr;
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        node = CurrentNode();
        if (node)
            global = viewport()->mapToGlobal(visualItemRect(node).center());
    } else {
        node = static_cast<TShellnode*>(itemAt(event->pos()));
    }
    DoPopupMenu(node, global);
    event->accept();
}

void TShellTree::wheelEvent(QWheelEvent* event)
{
    const int pages = wheel_.feed(event->angleDelta().y());
    for (int i = 0; i < qAbs(pages); ++i)
        verticalScrollBar()->triggerAction(pages > 0 ? QAbstractSlider::SliderPageStepSub
                                                     : QAbstractSlider::SliderPageStepAdd);
    event->accept();
}

void TShellTree::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && !rightClickSelect_) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TShellTree::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeWidget::closeEditor(editor, hint);
    emit EditingOver();
}

bool TShellTree::commitRename(TShellnode* node, const QString& text)
{
    return node->Rename(text);
}
