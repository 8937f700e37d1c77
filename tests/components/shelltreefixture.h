#pragma once

#include "components/shelltree.h"
#include "platform/folderwatch.h"
#include "platform/mounttable.h"
#include "tempfolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <memory>

// A mount table the test sets.
class FakeMounts : public platform::MountWatcher {
public:
    QList<platform::MountEntry> list{{"/dev/root", "/", "ext4"}};
    QList<platform::MountEntry> mounts() const override { return list; }
    void set(QList<platform::MountEntry> entries)
    {
        list = std::move(entries);
        emit changed();
    }
};

// A home folder of the test's own (HOME and XDG_CONFIG_HOME point into it), fake mounts and
// a folder watch hub of its own.
class ShellTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME")};
        dir_.mkdir("home/.config");
        qputenv("HOME", home().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home() + "/.config").toUtf8());
    }
    void TearDown() override
    {
        qputenv("HOME", saved_[0]);
        qputenv("XDG_CONFIG_HOME", saved_[1]);
    }

    QString home() const { return dir_.path() + "home"; }
    QString folder(const QString& relative) const { return dir_.mkdir(relative); }

    std::unique_ptr<TShellTree> makeTree() { return std::make_unique<TShellTree>(nullptr, &mounts_, &hub_); }
    // A tree rooted at a folder of the test.
    std::unique_ptr<TShellTree> treeAt(const QString& root, TVisOptions options = TF_FOLDERS)
    {
        auto tree = makeTree();
        tree->SetOptions(options);
        tree->SetRootDir(root);
        tree->SetRootUsePIDL(false);
        return tree;
    }

    static QStringList labels(const QTreeWidgetItem* node)
    {
        QStringList texts;
        for (int i = 0; i < node->childCount(); ++i)
            texts << node->child(i)->text(0);
        return texts;
    }
    static TShellnode* child(const QTreeWidgetItem* node, const QString& label)
    {
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->text(0) == label)
                return static_cast<TShellnode*>(node->child(i));
        return nullptr;
    }

    TempFolder dir_;
    FakeMounts mounts_;
    platform::FolderWatchHub hub_;

private:
    std::array<QByteArray, 2> saved_;
};
