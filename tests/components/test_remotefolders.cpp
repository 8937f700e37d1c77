// The folder tree on remote file systems: what leads into one is never looked at on the
// user-interface thread, shows as a folder that may have children, and is read on a worker
// that the tree never waits for. The server is a FUSE file system of the test
// that answers nothing until told to, found through the process's real mount table.

#include "gatedfuse.h"
#include "shelltreefixture.h"
#include "components/folderrootsmodel.h"
#include "components/folderscans.h"
#include "platform/folderlisting.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <atomic>
#include <future>

namespace {

QString privateMountsRefused;
const bool privateMounts = enterPrivateMountNamespace(&privateMountsRefused);

bool showsChildren(const QTreeWidgetItem* node)
{
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

class RemoteFolders : public ShellTreeTest {
protected:
    void SetUp() override
    {
        ShellTreeTest::SetUp();
        if (!privateMounts)
            GTEST_SKIP() << "no mount namespace of our own: " << qPrintable(privateMountsRefused);
        server_ = folder("server");
        fuse_ = std::make_unique<GatedFuse>(server_, QStringList{"a", "b"});
        if (!fuse_->mounted())
            GTEST_SKIP() << "FUSE cannot be mounted here: " << qPrintable(fuse_->reason());
        folder("home/Desktop");
        folder("home/pics");
        ASSERT_TRUE(QFile::link(server_, home() + "/Desktop/nas"));
        ASSERT_TRUE(QFile::link(server_, home() + "/share"));
    }
    void TearDown() override
    {
        fuse_.reset();
        ShellTreeTest::TearDown();
    }
    // The mounts as this process sees them, with the server among them.
    std::unique_ptr<TShellTree> realTree() { return std::make_unique<TShellTree>(nullptr, nullptr, &hub_); }

    QString server_;
    std::unique_ptr<GatedFuse> fuse_;
};

TEST_F(RemoteFolders, TheTreeNeverLooksIntoThemWhileItIsBuilt)
{
    QElapsedTimer clock;
    clock.start();
    auto tree = realTree();
    tree->SetPath(home());  // as the add-images dialog starts
    tree->show();           // which reads the tree again
    EXPECT_LT(clock.elapsed(), 1000);  // where the links lead is asked on workers, which wait

    TShellnode* homeNode = tree->CurrentNode();
    ASSERT_EQ(homeNode->Path(), home());
    EXPECT_EQ(labels(tree->RootNode()), (QStringList{"Computer", "home", "nas"}));
    EXPECT_EQ(labels(homeNode), (QStringList{"Desktop", "pics", "share"}));
    for (TShellnode* node : {child(tree->RootNode(), "nas"), child(homeNode, "share")}) {
        SCOPED_TRACE(qPrintable(node->Path()));
        EXPECT_EQ(node->Attributes() & (saLink | saFolder | saHasSubfolder), quint32(saLink | saFolder | saHasSubfolder));
        EXPECT_TRUE(node->Item().remote);
        EXPECT_TRUE(showsChildren(node));
        EXPECT_EQ(node->Monitor(), nullptr);  // a watch would wait on the server too
    }
    EXPECT_FALSE(child(homeNode, "pics")->Item().remote);
}

TEST_F(RemoteFolders, ExpandingOneNeverWaitsAndFillsItWhenTheServerAnswers)
{
    auto tree = realTree();
    tree->SetPath(home());
    TShellnode* share = child(tree->CurrentNode(), "share");
    ASSERT_NE(share, nullptr);

    // Going to a folder on the server expands what leads there, without a wait.
    QElapsedTimer clock;
    clock.start();
    tree->SetPath(home() + "/share/a");
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(tree->CurrentNode(), share);
    EXPECT_TRUE(share->isExpanded());
    QTRY_VERIFY_WITH_TIMEOUT(fuse_->requests() > 0, 5000);
    EXPECT_EQ(share->childCount(), 0);
    EXPECT_TRUE(showsChildren(share));

    // Asked again while the first read still waits on the server: no second read.
    clock.restart();
    share->setExpanded(false);
    share->setExpanded(true);
    tree->ReadAll();
    EXPECT_LT(clock.elapsed(), 500);

    fuse_->open();
    QTRY_COMPARE_WITH_TIMEOUT(labels(share), (QStringList{"a", "b"}), 5000);
    // Folders on the server are not opened to see whether they hold more.
    EXPECT_TRUE(showsChildren(child(share, "a")));
    EXPECT_TRUE(child(share, "a")->Item().remote);
    EXPECT_EQ(child(share, "a")->Path(), home() + "/share/a");

    child(share, "a")->setExpanded(true);
    QTRY_VERIFY_WITH_TIMEOUT(!showsChildren(child(share, "a")), 5000);
    EXPECT_EQ(child(share, "a")->childCount(), 0);
}

// The folder dialog's tree shows at once what needs no server and fills in the rest once the
// server answers; a path on the server is taken on trust meanwhile.
TEST_F(RemoteFolders, TheFolderDialogsTreeFillsInWithoutWaiting)
{
    QElapsedTimer clock;
    clock.start();
    FolderRootsModel model(false, {home()}, false);
    const QModelIndex top = model.branchTop(0);
    const auto names = [&](const QModelIndex& parent) {
        QStringList shown;
        for (int row = 0; row < model.rowCount(parent); ++row)
            shown << model.index(row, 0, parent).data().toString();
        return shown;
    };
    model.fetchMore(top);
    EXPECT_EQ(names(top), (QStringList{"Desktop", "pics"}));  // where "share" leads is asked on a worker
    const QModelIndex onServer = model.indexForPath(home() + "/share/a");
    const QModelIndex share = model.parent(onServer);
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(model.filePath(onServer), home() + "/share/a");
    EXPECT_EQ(names(share), QStringList{"a"});
    EXPECT_TRUE(model.hasChildren(share));

    fuse_->open();
    QTRY_COMPARE_WITH_TIMEOUT(names(share), (QStringList{"a", "b"}), 5000);
    EXPECT_EQ(names(top), (QStringList{"Desktop", "pics", "share"}));
    EXPECT_EQ(model.index(0, 0, share), onServer);
    EXPECT_EQ(model.filePath(model.index(1, 0, share)), home() + "/share/b");
}

// A program whose read of a dead server is stuck still ends, and lets go of its output: run
// through a pipe, as from a shell, which ends only once nothing holds the pipe.
TEST_F(RemoteFolders, AProgramEndsWhileOneOfItsReadsIsStuck)
{
    QProcess run;
    qputenv("STUCK_READ_FOLDER", server_.toUtf8());
    run.start("/bin/sh", {"-c", "\"$0\" --gtest_filter=StuckRead.* 2>&1 | cat", QCoreApplication::applicationFilePath()});
    qunsetenv("STUCK_READ_FOLDER");
    EXPECT_TRUE(run.waitForFinished(5000));
    EXPECT_GT(fuse_->requests(), 0);  // asked, and never answered
    fuse_->open();
    run.waitForFinished(10000);  // it ends now in any case
    EXPECT_TRUE(run.readAll().contains("[  PASSED  ] 1 test"));
}

TEST(StuckRead, EndsTheProgram)  // the program of the test above
{
    const QString folder = qEnvironmentVariable("STUCK_READ_FOLDER");
    if (folder.isEmpty())
        GTEST_SKIP();
    const ListingRead read{folder, platform::ListWhat::Files, {}};
    EXPECT_FALSE(FolderListings().scan(folder, [read] { return readApart(read); }, std::chrono::milliseconds(500)));
}

// The bounded wait itself, with a read that blocks until the test lets it go.
TEST(FolderScans, AReadThatOutlastsItsWaitIsNeverStartedTwiceAndIsKept)
{
    using namespace std::chrono_literals;
    FolderScans scans;
    std::atomic<int> started{0};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const auto blocked = [&started, released] {
        ++started;
        released.wait();
        FolderScan scan;
        scan.ok = true;
        scan.items.append(ShellItem{});
        return scan;
    };

    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(scans.scan("/srv", blocked, 200ms));
    EXPECT_GE(clock.elapsed(), 190);
    clock.restart();
    EXPECT_FALSE(scans.scan("/srv", blocked, 200ms));  // still running: not waited for again
    EXPECT_LT(clock.elapsed(), 100);
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(scans.finished("/srv"));

    release.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return scans.finished("/srv"); }, 5000));
    const std::optional<FolderScan> kept = scans.scan("/srv", blocked, 200ms);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->items.size(), 1);
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(scans.finished("/srv"));

    // Taken once: the next request reads again, and a quick read is waited for.
    const std::optional<FolderScan> again = scans.scan("/srv", blocked, 2000ms);
    ASSERT_TRUE(again);
    EXPECT_EQ(started, 2);
    EXPECT_TRUE(scans.scan("/other", [] { return FolderScan{}; }, 2000ms));
}

// Automount points count as remote: a table entry is enough, whatever the folder holds.
TEST_F(ShellTreeTest, AnAutomountPointIsReadLikeARemoteFolder)
{
    const QString point = folder("auto");
    folder("auto/inner");
    ASSERT_TRUE(QFile::link(point, home() + "/automounted"));
    mounts_.list << platform::MountEntry{"systemd-1", point, "autofs"};
    dir_.write("auto/f.gif", "x");
    for (const QString target : {"f.gif", "missing"})
        ASSERT_TRUE(QFile::link(point + "/" + target, home() + "/to " + target));
    auto tree = treeAt(home());
    // What a link into it leads to is looked at on a worker: only a folder is listed.
    QTRY_COMPARE_WITH_TIMEOUT(labels(tree->RootNode()), QStringList{"automounted"}, 5000);
    TShellnode* node = child(tree->RootNode(), "automounted");
    EXPECT_EQ(node->Attributes() & (saLink | saFolder), quint32(saLink | saFolder));
    EXPECT_TRUE(node->Item().remote);
    EXPECT_TRUE(showsChildren(node));
    node->setExpanded(true);
    QTRY_COMPARE_WITH_TIMEOUT(labels(node), QStringList{"inner"}, 5000);
    EXPECT_EQ(node->Monitor(), nullptr);
    EXPECT_TRUE(showsChildren(child(node, "inner")));
}

} // namespace
