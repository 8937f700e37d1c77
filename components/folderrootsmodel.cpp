#include "folderrootsmodel.h"

#include "platform/filenames.h"
#include "platform/fileidentity.h"
#include "platform/mounttable.h"
#include "platform/specialfolders.h"

#include <QDir>

#include <algorithm>

namespace {

constexpr platform::ListWhat kindsShown[] = {platform::ListWhat::Folders, platform::ListWhat::Files};

// The user-interface thread never waits for a server: what it asks of one fills in once answered.
constexpr std::chrono::milliseconds noWait{0};
constexpr int answerPollMs = 250;

QString childPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

FolderRootsModel::FolderRootsModel(bool computerNode, const QStringList& folders, bool includeFiles, QObject* parent,
                                   platform::MountWatcher* mounts)
    : QAbstractItemModel(parent)
    , ownMounts_(mounts ? nullptr : std::make_unique<platform::ProcMountWatcher>())
    , mounts_(mounts ? mounts : ownMounts_.get())
    , includeFiles_(includeFiles)
    , root_(std::make_unique<Node>())
{
    root_->listed = true;
    Node* holder = root_.get();
    if (computerNode) {
        computer_ = addChild(holder, 0, QString(platform::computerNodeName), true);
        computer_->path.clear();
        computer_->listed = true;
        holder = computer_;
    }
    const platform::MountTable table = mounts_->table();
    for (const QString& folder : folders) {
        const QString path = QDir::cleanPath(folder);
        // Whether a folder on a server exists is the server's to say, on a worker.
        if (path.isEmpty() || (!table.reach(path).remote && !platform::folderExists(path)))
            continue;
        Node* top = addChild(holder, int(holder->children.size()), path, true);
        top->path = path;
        top->label = path == QLatin1String("/") ? path : platform::displayFileName(path.section(QLatin1Char('/'), -1));
    }
    renumber(holder, 0);
    answerTimer_.setInterval(answerPollMs);
    connect(&answerTimer_, &QTimer::timeout, this, &FolderRootsModel::takeAnswers);
}

FolderRootsModel::~FolderRootsModel() = default;

// ---- items ----

std::span<const platform::ListWhat> FolderRootsModel::kinds() const
{
    return std::span(kindsShown).first(includeFiles_ ? 2 : 1);
}

FolderRootsModel::Node* FolderRootsModel::addChild(Node* parent, int row, const QString& name, bool folder)
{
    auto child = std::make_unique<Node>();
    child->parent = parent;
    child->name = name;
    child->path = childPath(parent->path, name);
    child->label = platform::displayFileName(name);
    child->folder = folder;
    child->listed = !folder;
    Node* added = child.get();
    parent->children.insert(parent->children.begin() + row, std::move(child));
    return added;
}

void FolderRootsModel::renumber(Node* parent, int from)
{
    for (size_t i = size_t(from); i < parent->children.size(); ++i)
        parent->children[i]->row = int(i);
}

FolderRootsModel::Node* FolderRootsModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex FolderRootsModel::indexOf(const Node* node) const
{
    return node == root_.get() ? QModelIndex() : createIndex(node->row, 0, node);
}

const std::vector<std::unique_ptr<FolderRootsModel::Node>>& FolderRootsModel::tops() const
{
    return computer_ ? computer_->children : root_->children;
}

FolderRootsModel::Node* FolderRootsModel::childNamed(const Node* parent, const QString& name) const
{
    const auto found = std::find_if(parent->children.begin(), parent->children.end(),
                                    [&](const std::unique_ptr<Node>& child) { return child->name == name; });
    return found == parent->children.end() ? nullptr : found->get();
}

QModelIndex FolderRootsModel::branchTop(int branch) const
{
    if (branch < 0 || branch >= branchCount())
        return {};
    return indexOf(tops()[size_t(branch)].get());
}

QModelIndex FolderRootsModel::computerIndex() const
{
    return computer_ ? indexOf(computer_) : QModelIndex();
}

QString FolderRootsModel::filePath(const QModelIndex& index) const
{
    return index.isValid() ? nodeOf(index)->path : QString();
}

QModelIndex FolderRootsModel::indexForPath(const QString& path)
{
    if (path.trimmed().isEmpty())
        return {};
    const QString wanted = QDir::cleanPath(path);
    for (const std::unique_ptr<Node>& top : tops()) {
        const QString under = childPath(top->path, QString());
        if (wanted != top->path && !wanted.startsWith(under))
            continue;
        Node* node = top.get();
        for (const QString& name : wanted.mid(under.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            if (!node->listed)
                list(node);
            Node* next = childNamed(node, name);
            // Its folders are not known yet: a path that leads through it stands until they are.
            if (!next && (node->waitingFor & 1U)) {
                merge(node, platform::ListWhat::Folders, {name});
                next = childNamed(node, name);
            }
            node = next;
            if (!node)
                break;
        }
        if (node)
            return indexOf(node);
    }
    return {};
}

// ---- listings ----

void FolderRootsModel::list(Node* node)
{
    node->listed = true;
    const platform::MountTable table = mounts_->table();
    const platform::MountTable::Reach reach = table.reach(node->path);
    const auto leadsAway = [&](const QString& name) { return table.reachFrom(reach.path, name).remote; };
    for (size_t kind = 0; kind < kinds().size(); ++kind) {
        if (!reach.remote) {
            // What leads into a remote mount is left out here and comes with the worker's listing.
            const platform::FolderListing here = platform::listFolder(node->path, kinds()[kind], QString(), leadsAway);
            merge(node, kinds()[kind], here.names);
            if (here.unexamined == 0)
                continue;
        }
        if (!ask(node, kind))
            node->waitingFor |= 1U << kind;
    }
    if (node->waitingFor != 0) {
        waiting_.push_back(node);
        answerTimer_.start();
    }
}

bool FolderRootsModel::ask(Node* node, size_t kind)
{
    const platform::ListWhat what = kinds()[kind];
    const auto whole = [read = ListingRead{node->path, what, {}}] { return readApart(read); };
    // While a read of the folder runs this starts no other; once it has ended it gives its answer.
    const std::optional<platform::FolderListing> answer = readsOf(what).scan(node->path, whole, noWait);
    if (answer)
        merge(node, what, answer->names);  // a failed read lists nothing
    return answer.has_value();
}

void FolderRootsModel::takeAnswers()
{
    // A copy: a view may open more folders while it takes in the rows.
    for (Node* node : std::vector(waiting_)) {
        for (size_t kind = 0; kind < kinds().size(); ++kind) {
            if ((node->waitingFor & (1U << kind)) && ask(node, kind))
                node->waitingFor &= ~(1U << kind);
        }
    }
    std::erase_if(waiting_, [](const Node* node) { return node->waitingFor == 0; });
    if (waiting_.empty())
        answerTimer_.stop();
}

void FolderRootsModel::merge(Node* node, platform::ListWhat kind, const QStringList& names)
{
    const bool folder = kind != platform::ListWhat::Files;
    std::vector<std::unique_ptr<Node>>& children = node->children;
    // Folders first, each kind in listing order.
    const auto before = [folder](const std::unique_ptr<Node>& child, const QString& name) {
        return child->folder != folder ? child->folder : platform::listingLess(child->name, name);
    };
    const auto placeOf = [&](const QString& name) {
        return int(std::lower_bound(children.begin(), children.end(), name, before) - children.begin());
    };
    const auto shown = [&](const QString& name, int place) {
        return place < int(children.size()) && children[size_t(place)]->folder == folder
               && children[size_t(place)]->name == name;
    };
    QStringList fresh;
    for (const QString& name : names) {
        if (!shown(name, placeOf(name)))
            fresh.append(name);
    }
    if (fresh.isEmpty())
        return;
    const QModelIndex parent = indexOf(node);
    const int first = placeOf(fresh.front());
    // Nothing shown lies between them (a first listing): they go in as one block.
    if (first == placeOf(fresh.back())) {
        beginInsertRows(parent, first, first + int(fresh.size()) - 1);
        for (int i = 0; i < fresh.size(); ++i)
            addChild(node, first + i, fresh[i], folder);
        renumber(node, first);
        endInsertRows();
        return;
    }
    for (const QString& name : std::as_const(fresh)) {
        const int row = placeOf(name);
        beginInsertRows(parent, row, row);
        addChild(node, row, name, folder);
        renumber(node, row);
        endInsertRows();
    }
}

// ---- the item model ----

QModelIndex FolderRootsModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* p = nodeOf(parent);
    if (column != 0 || row < 0 || row >= int(p->children.size()))
        return {};
    return indexOf(p->children[size_t(row)].get());
}

QModelIndex FolderRootsModel::parent(const QModelIndex& child) const
{
    return child.isValid() ? indexOf(nodeOf(child)->parent) : QModelIndex();
}

int FolderRootsModel::rowCount(const QModelIndex& parent) const
{
    return parent.column() > 0 ? 0 : int(nodeOf(parent)->children.size());
}

int FolderRootsModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool FolderRootsModel::hasChildren(const QModelIndex& parent) const
{
    // A folder not listed yet, or whose listing is still to come, may have some.
    const Node* p = nodeOf(parent);
    return p->folder && (!p->listed || p->waitingFor != 0 || !p->children.empty());
}

bool FolderRootsModel::canFetchMore(const QModelIndex& parent) const
{
    return !nodeOf(parent)->listed;
}

void FolderRootsModel::fetchMore(const QModelIndex& parent)
{
    if (Node* p = nodeOf(parent); !p->listed)
        list(p);
}

QVariant FolderRootsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Node* n = nodeOf(index);
    if (role == Qt::DisplayRole)
        return n->label;
    if (role == Qt::DecorationRole) {
        if (n == computer_)
            return icons_.icon(QFileIconProvider::Computer);
        return icons_.icon(n->folder ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    return {};
}

Qt::ItemFlags FolderRootsModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
