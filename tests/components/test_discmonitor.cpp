#include "shelltreefixture.h"

#include "components/discmonitor.h"
#include "platform/filenames.h"

#include <QFile>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

using Monitor = ShellTreeTest;

// Kernel watches of the hub, as /proc tells them.
int kernelWatches(const platform::FolderWatchHub& hub)
{
    QFile info(QStringLiteral("/proc/self/fdinfo/%1").arg(hub.descriptor()));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    return int(info.readAll().count("inotify wd:"));
}

// The node shows that it can be expanded.
bool showsChildren(const QTreeWidgetItem* node)
{
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator
           || (node->childIndicatorPolicy() == QTreeWidgetItem::DontShowIndicatorWhenChildless && node->childCount() > 0);
}

TEST_F(Monitor, NewFolderAppearsWhileUpdAutoThreadIsOn)
{
    const QString top = folder("top");
    auto tree = treeAt(top);
    TShellnode* root = tree->RootNode();
    ASSERT_NE(root->Monitor(), nullptr);
    EXPECT_FALSE(root->Monitor()->Failed());
    EXPECT_EQ(root->Monitor()->FolderPath(), top);

    folder("top/new one");
    QTRY_COMPARE(labels(root), QStringList{"new one"});

    tree->SetUpdAutoThread(false);
    folder("top/unseen");
    QTest::qWait(300);
    EXPECT_EQ(labels(root), QStringList{"new one"});

    // An empty folder is watched too, so that it learns of its first sub-folder.
    tree->SetUpdAutoThread(true);
    TShellnode* empty = child(root, "new one");
    EXPECT_FALSE(showsChildren(empty));
    folder("top/new one/first");
    QTRY_VERIFY(showsChildren(empty));
}

TEST_F(Monitor, ChangeTwoLevelsDownLeavesUpperNodesAlone)
{
    const QString top = folder("top");
    folder("top/a/b");
    dir_.write("top/t.txt", "x");
    dir_.write("top/a/a.txt", "x");
    auto tree = treeAt(top, TF_FOLDERS | TF_NONFOLDERS);
    TShellnode* a = child(tree->RootNode(), "a");
    a->setExpanded(true);
    child(a, "b")->setExpanded(true);
    QStringList offered;
    tree->OnFileAdd = [&](const QString& file, quint32, bool&) { offered << file; };

    dir_.write("top/a/b/deep.txt", "x");
    QTRY_COMPARE(labels(child(a, "b")), QStringList{"deep.txt"});
    QTest::qWait(250);
    EXPECT_EQ(offered, QStringList{top + "/a/b/deep.txt"});
}

TEST_F(Monitor, FiveHundredFilesGiveOneReread)
{
    const QString top = folder("top");
    const QString many = folder("top/many");
    auto tree = treeAt(top, TF_FOLDERS | TF_NONFOLDERS);
    TShellnode* node = child(tree->RootNode(), "many");
    node->setExpanded(true);
    int offered = 0;
    tree->OnFileAdd = [&](const QString& file, quint32, bool&) {
        if (file.startsWith(many + "/"))
            ++offered;
    };
    for (int i = 0; i < 500; ++i)
        dir_.write(QString("top/many/file %1.jpg").arg(i, 3, 10, QChar('0')), "x");
    QTRY_COMPARE_WITH_TIMEOUT(node->childCount(), 500, 5000);
    QTest::qWait(300);
    EXPECT_EQ(offered, 500);
    EXPECT_EQ(node->child(0)->text(0), "file 000.jpg");
    EXPECT_EQ(node->child(499)->text(0), "file 499.jpg");
}

TEST_F(Monitor, DeletedNodesLeaveNoWatch)
{
    const QString top = folder("top");
    folder("top/a/x");
    folder("top/b");
    {
        auto tree = treeAt(top);
        child(tree->RootNode(), "a")->setExpanded(true);
        // top, a (listed), x and b (empty): one watch each
        EXPECT_EQ(hub_.watchCount(), 4);
        EXPECT_EQ(kernelWatches(hub_), 4);

        QDir(top + "/a").removeRecursively();
        QTRY_COMPARE(labels(tree->RootNode()), QStringList{"b"});
        QTRY_COMPARE(hub_.watchCount(), 2);
        EXPECT_EQ(kernelWatches(hub_), 2);

        // A rebuild lets go of every watch of the old nodes.
        tree->SetRootDir(top + "/b");
        EXPECT_EQ(hub_.watchCount(), 1);
    }
    EXPECT_EQ(hub_.watchCount(), 0);
    EXPECT_EQ(kernelWatches(hub_), 0);
}

TEST_F(Monitor, OptionsRearmEveryRunningMonitor)
{
    const QString top = folder("top");
    folder("top/sub");
    auto tree = treeAt(top);
    TShellnode* root = tree->RootNode();
    EXPECT_EQ(tree->NotifyFilter(), quint32(platform::AttributeChanges | platform::FolderNameChanges));

    tree->SetOptions(TF_FOLDERS | TF_NONFOLDERS);
    const quint32 both = platform::AttributeChanges | platform::FolderNameChanges | platform::FileNameChanges;
    EXPECT_EQ(root->Monitor()->NotifyFilter(), both);
    EXPECT_EQ(child(root, "sub")->Monitor()->NotifyFilter(), both);
    dir_.write("top/sub/late.txt", "x");
    dir_.write("top/late.txt", "x");
    QTRY_COMPARE(labels(root), (QStringList{"sub", "late.txt"}));
    QTRY_VERIFY(showsChildren(child(root, "sub")));
}

TEST_F(Monitor, FolderThatCannotBeWatchedFailsQuietly)
{
    TDiscMonitor missing(hub_, dir_.path() + "missing", platform::FolderNameChanges, [] {});
    EXPECT_TRUE(missing.Failed());
    missing.SetNotifyFilter(platform::FileNameChanges);
    EXPECT_TRUE(missing.Failed());
    EXPECT_EQ(hub_.watchCount(), 0);

    // A watched folder that is gone when re-armed fails then.
    const QString gone = folder("gone");
    TDiscMonitor monitor(hub_, gone, platform::FolderNameChanges, [] {});
    EXPECT_FALSE(monitor.Failed());
    QDir(gone).removeRecursively();
    monitor.SetNotifyFilter(platform::FileNameChanges);
    EXPECT_TRUE(monitor.Failed());
    QTRY_COMPARE(hub_.watchCount(), 0);
}

// A listed folder whose folder goes and comes back: made again at once, a moment later, or
// another renamed over it. Each time the tree ends up following the folder there now.
TEST_F(Monitor, FolderMadeAgainOrRenamedOverIsFollowedAgain)
{
    const QString top = folder("top");
    const auto rename = [](const QString& from, const QString& to) {
        ASSERT_EQ(::rename(platform::encodeFileName(from).constData(), platform::encodeFileName(to).constData()), 0);
    };
    const struct {
        const char* what;
        std::function<void(TShellTree&)> replace;
        QStringList inside;  // what the new folder holds
    } cases[] = {
        {"made again at once",
         [&](TShellTree&) {
             QDir(top + "/a").removeRecursively();
             folder("top/a");
         },
         {}},
        {"made again after the watch was lost",
         [&](TShellTree& tree) {
             TShellnode* a = child(tree.RootNode(), "a");
             QDir(top + "/a").removeRecursively();
             QTRY_VERIFY(!child(tree.RootNode(), "a") || a->Monitor()->Failed());
             folder("top/a");
         },
         {}},
        {"renamed over",
         [&](TShellTree&) {
             QDir(top + "/a").removeRecursively();
             folder("top/a");
             folder("top/b/inner");
             rename(top + "/b", top + "/a");
         },
         {"inner"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(top).removeRecursively();
        folder("top/a/x");
        auto tree = treeAt(top);
        child(tree->RootNode(), "a")->setExpanded(true);
        ASSERT_EQ(labels(child(tree->RootNode(), "a")), QStringList{"x"});

        c.replace(*tree);
        QTRY_COMPARE(labels(tree->RootNode()), QStringList{"a"});
        QTRY_COMPARE(labels(child(tree->RootNode(), "a")), c.inside);
        folder("top/a/new");
        QTRY_COMPARE(labels(child(tree->RootNode(), "a")), c.inside + QStringList{"new"});
        EXPECT_FALSE(child(tree->RootNode(), "a")->Monitor()->Failed());
    }
}

TEST_F(Monitor, AFolderGoneForGoodLeavesItsMonitorFailed)
{
    const QString gone = folder("gone");
    int calls = 0;
    TDiscMonitor monitor(hub_, gone, platform::FolderNameChanges, [&] { ++calls; });
    ASSERT_FALSE(monitor.Failed());
    QDir(gone).removeRecursively();
    QTRY_COMPARE(calls, 1);
    EXPECT_TRUE(monitor.Failed());
    EXPECT_EQ(hub_.watchCount(), 0);
}

} // namespace
