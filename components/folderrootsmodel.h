#pragma once

#include "folderscans.h"

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <span>
#include <vector>

namespace platform {
class MountWatcher;
}

// A folder tree with several tops: each given folder is a top of its own (under an optional
// "Computer" node that has no path), and below each top the file system, each folder listed
// when it is first opened: its folders, then (with includeFiles) its files, each group in
// listing order. Names that are not UTF-8 are kept (as decodeFileName carries them). One
// folder may appear under two tops (the home folder and "/"), as items of their own.
// A folder on a remote file system, or what leads into one, is read on a worker that is never
// waited for: the folder shows what could be had at once and fills in when the answer comes.
class FolderRootsModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Folders that do not exist are left out. With includeFiles the branches list files too.
    // Without mounts the model watches this process's mounts itself.
    FolderRootsModel(bool computerNode, const QStringList& folders, bool includeFiles, QObject* parent = nullptr,
                     platform::MountWatcher* mounts = nullptr);
    ~FolderRootsModel() override;

    // The path of an item; "" for the "Computer" node.
    QString filePath(const QModelIndex& index) const;
    // The item of a path, under the first top that holds it; invalid when none does. Folders on
    // the way are listed; in one whose listing has not come yet the path is taken on trust.
    QModelIndex indexForPath(const QString& path);
    // The top of each branch, in order, and the "Computer" node (invalid without one).
    QModelIndex branchTop(int branch) const;
    int branchCount() const { return int(tops().size()); }
    QModelIndex computerIndex() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Node {
        Node* parent = nullptr;
        int row = 0;
        QString name;                // within the parent; a top's is its whole path
        QString path;                // "" for the "Computer" node and the invisible root
        QString label;
        bool folder = true;
        bool listed = false;         // its listing was asked for
        unsigned waitingFor = 0;     // kinds whose listing is still on a worker
        std::vector<std::unique_ptr<Node>> children;
    };
    // The kinds of entries a folder lists, in the order they are shown; bit i of waitingFor
    // stands for the i-th.
    std::span<const platform::ListWhat> kinds() const;
    FolderListings& readsOf(platform::ListWhat kind) { return kind == platform::ListWhat::Files ? fileReads_ : folderReads_; }

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    const std::vector<std::unique_ptr<Node>>& tops() const;
    // Rows from the given one on are numbered by renumber once all have gone in.
    Node* addChild(Node* parent, int row, const QString& name, bool folder);
    static void renumber(Node* parent, int from);
    Node* childNamed(const Node* parent, const QString& name) const;
    // Shows at once what needs no server; the rest is asked of workers.
    void list(Node* node);
    // Asks a worker for one kind of the folder's entries; true when the answer is in.
    bool ask(Node* node, size_t kind);
    // Adds the names of one kind that the folder does not show yet, each in its place.
    void merge(Node* node, platform::ListWhat kind, const QStringList& names);
    void takeAnswers();

    std::unique_ptr<platform::MountWatcher> ownMounts_;
    platform::MountWatcher* mounts_;
    bool includeFiles_;
    std::unique_ptr<Node> root_;     // holds the "Computer" node or the tops
    Node* computer_ = nullptr;
    FolderListings folderReads_;
    FolderListings fileReads_;
    std::vector<Node*> waiting_;     // folders whose listings are on a worker
    QTimer answerTimer_;
    QFileIconProvider icons_;
};
