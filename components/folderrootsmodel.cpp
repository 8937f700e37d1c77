#include "folderrootsmodel.h"

#include "platform/specialfolders.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>

FolderRootsModel::FolderRootsModel(bool computerNode, const QStringList& folders, bool includeFiles, QObject* parent)
    : QAbstractItemModel(parent)
    , computerNode_(computerNode)
{
    const QDir::Filters filter = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot
                                 | (includeFiles ? QDir::Files : QDir::Filters());
    for (const QString& folder : folders) {
        const QString path = QDir::cleanPath(folder);
        if (path.isEmpty() || !QFileInfo(path).isDir())
            continue;
        Branch branch;
        branch.path = path;
        branch.label = path == QLatin1String("/") ? path : QFileInfo(path).fileName();
        branch.fs = std::make_unique<QFileSystemModel>();
        branch.fs->setReadOnly(true);
        // A short-lived picker needs no watches; the folder monitor owns the change notices.
        branch.fs->setOption(QFileSystemModel::DontWatchForChanges);
        branch.fs->setFilter(filter);
        branch.fs->setRootPath(path);
        branches_.push_back(std::move(branch));
    }
    for (int b = 0; b < int(branches_.size()); ++b) {
        Branch& branch = branches_[size_t(b)];
        branch.top = node(b, branch.fs->index(branch.path));
        connectBranch(b);
    }
}

FolderRootsModel::~FolderRootsModel() = default;

// ---- items ----

FolderRootsModel::Node* FolderRootsModel::node(int branch, const QModelIndex& source) const
{
    const QModelIndex first = source.siblingAtColumn(0);
    std::unique_ptr<Node>& entry = nodes_[{branch, first.internalPointer()}];
    if (!entry)
        entry = std::make_unique<Node>();
    // An entry left by a removed item may meet a new item at the same address: it is that item now.
    if (entry->source != first) {
        entry->branch = branch;
        entry->source = first;
    }
    return entry.get();
}

QModelIndex FolderRootsModel::indexOf(Node* n) const
{
    if (n == &computer_)
        return createIndex(0, 0, n);
    const Branch& branch = branches_[size_t(n->branch)];
    if (n == branch.top)
        return createIndex(n->branch, 0, n);
    return n->source.isValid() ? createIndex(n->source.row(), 0, n) : QModelIndex();
}

bool FolderRootsModel::inBranch(int branch, QModelIndex source) const
{
    const QModelIndex top = branches_[size_t(branch)].top->source;
    for (; source.isValid(); source = source.parent()) {
        if (source.siblingAtColumn(0) == top)
            return true;
    }
    return false;
}

std::optional<QModelIndex> FolderRootsModel::mapFromSource(int branch, const QModelIndex& source) const
{
    if (!source.isValid() || !inBranch(branch, source))
        return std::nullopt;
    return indexOf(node(branch, source));
}

QModelIndex FolderRootsModel::branchTop(int branch) const
{
    if (branch < 0 || branch >= branchCount())
        return {};
    return indexOf(branches_[size_t(branch)].top);
}

QModelIndex FolderRootsModel::computerIndex() const
{
    return computerNode_ ? indexOf(&computer_) : QModelIndex();
}

QString FolderRootsModel::filePath(const QModelIndex& index) const
{
    const Node* n = index.isValid() ? nodeOf(index) : nullptr;
    if (!n || n == &computer_ || !n->source.isValid())
        return {};
    return branches_[size_t(n->branch)].fs->filePath(n->source);
}

QModelIndex FolderRootsModel::indexForPath(const QString& path) const
{
    if (path.trimmed().isEmpty())
        return {};
    const QString wanted = QDir::cleanPath(path);
    for (int b = 0; b < branchCount(); ++b) {
        const Branch& branch = branches_[size_t(b)];
        const QString under = branch.path == QLatin1String("/") ? branch.path : branch.path + QLatin1Char('/');
        if (wanted != branch.path && !wanted.startsWith(under))
            continue;
        if (const auto found = mapFromSource(b, branch.fs->index(wanted)))
            return *found;
    }
    return {};
}

// ---- the item model ----

QModelIndex FolderRootsModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0)
        return {};
    const Node* p = parent.isValid() ? nodeOf(parent) : nullptr;
    if (!p && computerNode_) // the "Computer" node is the only top
        return row == 0 ? indexOf(&computer_) : QModelIndex();
    if (!p || p == &computer_)
        return row < branchCount() ? indexOf(branches_[size_t(row)].top) : QModelIndex();
    const QModelIndex source = branches_[size_t(p->branch)].fs->index(row, 0, p->source);
    return source.isValid() ? createIndex(row, 0, node(p->branch, source)) : QModelIndex();
}

QModelIndex FolderRootsModel::parent(const QModelIndex& child) const
{
    Node* n = child.isValid() ? nodeOf(child) : nullptr;
    if (!n || n == &computer_)
        return {};
    if (n == branches_[size_t(n->branch)].top)
        return computerIndex();
    return mapFromSource(n->branch, n->source.parent()).value_or(QModelIndex());
}

int FolderRootsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const Node* p = parent.isValid() ? nodeOf(parent) : nullptr;
    if (!p)
        return computerNode_ ? 1 : branchCount();
    if (p == &computer_)
        return branchCount();
    return p->source.isValid() ? branches_[size_t(p->branch)].fs->rowCount(p->source) : 0;
}

int FolderRootsModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool FolderRootsModel::hasChildren(const QModelIndex& parent) const
{
    const Node* p = parent.isValid() ? nodeOf(parent) : nullptr;
    if (!p || p == &computer_)
        return rowCount(parent) > 0;
    return p->source.isValid() && branches_[size_t(p->branch)].fs->hasChildren(p->source);
}

bool FolderRootsModel::canFetchMore(const QModelIndex& parent) const
{
    const Node* p = parent.isValid() ? nodeOf(parent) : nullptr;
    if (!p || p == &computer_ || !p->source.isValid())
        return false;
    return branches_[size_t(p->branch)].fs->canFetchMore(p->source);
}

void FolderRootsModel::fetchMore(const QModelIndex& parent)
{
    const Node* p = parent.isValid() ? nodeOf(parent) : nullptr;
    if (p && p != &computer_ && p->source.isValid())
        branches_[size_t(p->branch)].fs->fetchMore(p->source);
}

QVariant FolderRootsModel::data(const QModelIndex& index, int role) const
{
    const Node* n = index.isValid() ? nodeOf(index) : nullptr;
    if (!n)
        return {};
    if (n == &computer_) {
        if (role == Qt::DisplayRole)
            return QString(platform::computerNodeName);
        if (role == Qt::DecorationRole)
            return QFileIconProvider().icon(QFileIconProvider::Computer);
        return {};
    }
    const Branch& branch = branches_[size_t(n->branch)];
    if (n == branch.top && role == Qt::DisplayRole)
        return branch.label;
    return n->source.isValid() ? branch.fs->data(n->source, role) : QVariant();
}

Qt::ItemFlags FolderRootsModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void FolderRootsModel::sort(int, Qt::SortOrder order)
{
    for (Branch& branch : branches_)
        branch.fs->sort(0, order);
}

// ---- changes of the file system models ----

bool FolderRootsModel::popPending(int branch)
{
    std::vector<bool>& pending = branches_[size_t(branch)].pending;
    if (pending.empty())
        return false;
    const bool begun = pending.back();
    pending.pop_back();
    return begun;
}

void FolderRootsModel::connectBranch(int b)
{
    QFileSystemModel* fs = branches_[size_t(b)].fs.get();
    connect(fs, &QAbstractItemModel::rowsAboutToBeInserted, this, [this, b](const QModelIndex& parent, int first, int last) {
        const auto mapped = mapFromSource(b, parent);
        branches_[size_t(b)].pending.push_back(mapped.has_value());
        if (mapped)
            beginInsertRows(*mapped, first, last);
    });
    connect(fs, &QAbstractItemModel::rowsInserted, this, [this, b] {
        if (popPending(b))
            endInsertRows();
    });
    connect(fs, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this, b](const QModelIndex& parent, int first, int last) {
        const auto mapped = mapFromSource(b, parent);
        branches_[size_t(b)].pending.push_back(mapped.has_value());
        if (mapped)
            beginRemoveRows(*mapped, first, last);
    });
    connect(fs, &QAbstractItemModel::rowsRemoved, this, [this, b] {
        if (popPending(b))
            endRemoveRows();
    });
    connect(fs, &QAbstractItemModel::dataChanged, this,
            [this, b](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
                if (topLeft.column() > 0)
                    return;
                // The top of a branch lies in its parent's rows, outside the branch.
                const QModelIndex top = branches_[size_t(b)].top->source;
                if (top.parent() == topLeft.parent() && top.row() >= topLeft.row() && top.row() <= bottomRight.row()) {
                    const QModelIndex i = indexOf(branches_[size_t(b)].top);
                    emit dataChanged(i, i, roles);
                }
                if (!mapFromSource(b, topLeft.parent()))
                    return;
                emit dataChanged(indexOf(node(b, topLeft)), indexOf(node(b, bottomRight)), roles);
            });
    connect(fs, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
        emit layoutAboutToBeChanged();
        layoutIndexes_ = persistentIndexList();
        layoutNodes_.clear();
        for (const QModelIndex& i : std::as_const(layoutIndexes_))
            layoutNodes_.append(nodeOf(i));
    });
    connect(fs, &QAbstractItemModel::layoutChanged, this, [this] {
        QModelIndexList to;
        for (Node* n : std::as_const(layoutNodes_))
            to.append(indexOf(n));
        changePersistentIndexList(layoutIndexes_, to);
        layoutIndexes_.clear();
        layoutNodes_.clear();
        emit layoutChanged();
    });
    connect(fs, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(fs, &QAbstractItemModel::modelReset, this, [this, b] {
        Branch& branch = branches_[size_t(b)];
        branch.top->source = branch.fs->index(branch.path);
        endResetModel();
    });
}
