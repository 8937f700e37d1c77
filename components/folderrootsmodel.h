#pragma once

#include <QAbstractItemModel>
#include <QPersistentModelIndex>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QFileSystemModel;

// A folder tree with several tops: each given folder is a top of its own (under an optional
// "Computer" node that has no path), and below each top the file system as a QFileSystemModel
// shows it. Each top has a model of its own, so that one folder can appear under two tops
// (the home folder and "/") and every change reaches exactly one branch.
class FolderRootsModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Folders that do not exist are left out. With includeFiles the branches list files too.
    FolderRootsModel(bool computerNode, const QStringList& folders, bool includeFiles, QObject* parent = nullptr);
    ~FolderRootsModel() override;

    // The path of an item; "" for the "Computer" node.
    QString filePath(const QModelIndex& index) const;
    // The item of a path, under the first top that holds it; invalid when none does.
    QModelIndex indexForPath(const QString& path) const;
    // The top of each branch, in order, and the "Computer" node (invalid without one).
    QModelIndex branchTop(int branch) const;
    int branchCount() const { return int(branches_.size()); }
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
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // One item of a branch: the file system model's index it stands for.
    struct Node {
        int branch = -1;             // -1: the "Computer" node
        QPersistentModelIndex source;
    };
    struct Branch {
        QString path;
        QString label;
        std::unique_ptr<QFileSystemModel> fs;
        Node* top = nullptr;
        std::vector<bool> pending;   // begun row changes, to end in step
    };

    Node* nodeOf(const QModelIndex& index) const { return static_cast<Node*>(index.internalPointer()); }
    Node* node(int branch, const QModelIndex& source) const;
    QModelIndex indexOf(Node* node) const;
    // The index of a source index of a branch; nothing when it lies outside the branch.
    std::optional<QModelIndex> mapFromSource(int branch, const QModelIndex& source) const;
    bool inBranch(int branch, QModelIndex source) const;
    bool popPending(int branch);
    void connectBranch(int branch);

    bool computerNode_;
    mutable Node computer_;
    std::vector<Branch> branches_;
    mutable std::map<std::pair<int, const void*>, std::unique_ptr<Node>> nodes_;
    QModelIndexList layoutIndexes_;
    QList<Node*> layoutNodes_;
};
