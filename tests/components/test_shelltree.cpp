#include "shelltreefixture.h"

#include "components/discmonitor.h"
#include "platform/filenames.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Tree = ShellTreeTest;

// Records the selection while its item menu would be showing.
class MenuTree : public TShellTree {
public:
    using TShellTree::TShellTree;
    QList<TShellnode*> shownFor;
    QList<TShellnode*> selectedDuring;
    std::function<void()> whileShown;

protected:
    void ShowSystemMenu(TShellnode* node, const QPoint&) override
    {
        shownFor << node;
        selectedDuring << CurrentNode();
        if (whileShown)
            whileShown();
    }
};


TEST_F(Tree, DesktopRootListsComputerHomeAndTheDesktopFolders)
{
    const QString desktop = folder("home/Schreibtisch");
    dir_.write("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    folder("home/Schreibtisch/b");
    folder("home/Schreibtisch/A/inner");
    folder("home/Schreibtisch/.hidden");
    dir_.write("home/Schreibtisch/notes.txt", "x");
    mounts_.list << platform::MountEntry{"/dev/sdb1", "/media/USB", "vfat"};

    auto tree = makeTree();
    EXPECT_EQ(tree->width(), 170);
    EXPECT_EQ(tree->height(), 270);
    TShellnode* root = tree->RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), "Desktop");
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(tree->CurrentNode(), root);
    EXPECT_EQ(tree->Path(), desktop);
    EXPECT_EQ(labels(root), (QStringList{"Computer", "home", "A", "b"}));
    EXPECT_EQ(child(root, "home")->Path(), home());
    EXPECT_EQ(child(root, "A")->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(child(root, "b")->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);

    TShellnode* computer = child(root, "Computer");
    EXPECT_EQ(computer->Path(), "");
    EXPECT_FALSE(computer->Attributes() & saFileSystem);
    computer->setExpanded(true);
    EXPECT_EQ(labels(computer), (QStringList{"/", "USB"}));
    tree->setCurrentItem(computer);
    EXPECT_EQ(tree->Path(), "");  // no path of its own

    // Hidden folders come with TF_HIDDEN.
    tree->SetOptions(TF_FOLDERS | TF_HIDDEN);
    EXPECT_EQ(labels(root), (QStringList{"Computer", "home", ".hidden", "A", "b"}));
}

TEST_F(Tree, WithoutADesktopFolderTheDesktopHoldsComputerAndHomeOnly)
{
    folder("home/pics/2024");
    folder("home/docs");
    auto tree = makeTree();
    TShellnode* root = tree->RootNode();
    EXPECT_EQ(root->text(0), "Desktop");
    EXPECT_EQ(labels(root), (QStringList{"Computer", "home"}));
    EXPECT_EQ(tree->Path(), "");  // no folder of its own
    tree->SetPath(home() + "/pics");
    EXPECT_EQ(tree->CurrentNode()->Path(), home() + "/pics");
    EXPECT_EQ(tree->CurrentNode()->ParentNode(), child(root, "home"));
    EXPECT_EQ(labels(child(root, "home")), (QStringList{"docs", "pics"}));
}

TEST_F(Tree, ComputerFollowsMountsWithoutLookingIntoRemoteOnes)
{
    auto tree = makeTree();
    TShellnode* computer = child(tree->RootNode(), "Computer");
    computer->setExpanded(true);
    EXPECT_EQ(labels(computer), (QStringList{"/"}));

    const QString user = qEnvironmentVariable("USER", "root");
    mounts_.set({{"/dev/root", "/", "ext4"},
                 {"server:/x", "/mnt/nas", "nfs4"},  // not there at all: never looked at
                 {"/dev/sdc1", "/run/media/someone-else/STICK", "vfat"},
                 {"/dev/sdd1", "/media/CARD", "vfat"}});
    EXPECT_EQ(labels(computer), (QStringList{"/", "CARD", "nas"}));
    EXPECT_TRUE(child(computer, "nas")->Attributes() & saHasSubfolder);
    EXPECT_FALSE(child(computer, "CARD")->Attributes() & saHasSubfolder);

    mounts_.set({{"/dev/root", "/", "ext4"}});
    EXPECT_EQ(labels(computer), (QStringList{"/"}));
}

TEST_F(Tree, PathSelectsTheNearestListedFolder)
{
    folder("home/Desktop/pics/2024");
    folder("home/docs");
    auto tree = makeTree();
    QSignalSpy changes(tree.get(), &TShellTree::Change);

    const struct {
        QString set;
        QString path;
    } cases[] = {
        {home() + "/Desktop/pics/2024", home() + "/Desktop/pics/2024"},
        {home() + "/Desktop/pics/missing/deeper/", home() + "/Desktop/pics"},
        {home() + "/docs/", home() + "/docs"},
        {home() + "//docs/../Desktop/./pics", home() + "/Desktop/pics"},
        {"", home() + "/Desktop"},               // the root
        {"relative/pics", home() + "/Desktop"},  // no folder: the root
        {"/", "/"},
        {dir_.path() + "home", home()},
    };
    for (const auto& c : cases) {
        tree->SetPath(c.set);
        EXPECT_EQ(tree->Path(), c.path) << qPrintable(c.set);
    }
    // "/" is reached through "Computer", the home folder through its own node.
    TShellnode* computer = child(tree->RootNode(), "Computer");
    EXPECT_TRUE(computer->isExpanded());
    EXPECT_EQ(tree->CurrentNode(), child(tree->RootNode(), "home"));
    EXPECT_EQ(changes.count(), 7);  // "relative" left the root selected
}

TEST_F(Tree, RootChoices)
{
    folder("home/Desktop");
    folder("home/Documents");
    folder("elsewhere/sub");
    dir_.write("home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    auto tree = makeTree();
    EXPECT_EQ(tree->RootDir(), "/");

    const struct {
        TPidls pidl;
        QString label;
        QString path;
    } cases[] = {
        {PIDL_DRIVES, "Computer", ""},
        {PIDL_PERSONAL, home() + "/Documents", home() + "/Documents"},
        {PIDL_DESKTOPDIRECTORY, "Desktop", home() + "/Desktop"},
        {PIDL_TEMPLATES, "Desktop", home() + "/Desktop"},  // none here: the desktop
        {PIDL_NETWORK, "Desktop", home() + "/Desktop"},
        {PIDL_USERDEFINED, "Desktop", home() + "/Desktop"},
    };
    for (const auto& c : cases) {
        tree->SetRootPIDL(c.pidl);
        EXPECT_EQ(tree->RootNode()->text(0), c.label) << c.pidl;
        EXPECT_EQ(tree->Path(), c.path) << c.pidl;
    }
    EXPECT_EQ(tree->RootNode()->Item().kind, ShellItem::Kind::Desktop);

    // A folder root: a missing one roots at its nearest existing folder; a root folder named
    // "desktop" in any case reads "Desktop".
    tree->SetRootDir(dir_.path() + "elsewhere/sub/gone/away");
    tree->SetRootUsePIDL(false);
    EXPECT_EQ(tree->RootDir(), dir_.path() + "elsewhere/sub");
    EXPECT_EQ(tree->RootNode()->text(0), dir_.path() + "elsewhere/sub");
    tree->SetRootDir(home() + "/Desktop");
    EXPECT_EQ(tree->RootNode()->text(0), "Desktop");
    tree->SetRootDir("not/absolute");
    EXPECT_EQ(tree->RootDir(), home() + "/Desktop");
}

TEST_F(Tree, FilesByMaskOrderAndHandler)
{
    const QString photos = folder("photos");
    for (const char* name : {"a.jpg", "B.GIF", "x.jpg.jpg", "photo.jpeg", "note.txt", "gif", "README", "ab", "abc", "abcd"})
        dir_.write(QString("photos/") + name, "x");
    folder("photos/zfolder");
    auto tree = treeAt(photos, TF_FOLDERS | TF_NONFOLDERS);
    TShellnode* root = tree->RootNode();
    EXPECT_EQ(labels(root), (QStringList{"zfolder", "a.jpg", "ab", "abc", "abcd", "B.GIF", "gif", "note.txt",
                                         "photo.jpeg", "README", "x.jpg.jpg"}));

    tree->SetFileMaskUse(true);
    EXPECT_EQ(tree->FileMask(), "*.*");
    EXPECT_EQ(labels(root), (QStringList{"zfolder", "a.jpg", "B.GIF", "note.txt", "photo.jpeg", "x.jpg.jpg"}));
    tree->SetFileMask(" *.JPG ; ;*.gif;");
    EXPECT_EQ(tree->FileMask(), "*.JPG;*.gif");
    EXPECT_EQ(labels(root), (QStringList{"zfolder", "a.jpg", "B.GIF", "x.jpg.jpg"}));
    tree->SetFileMask("a?;a*c");
    EXPECT_EQ(labels(root), (QStringList{"zfolder", "ab", "abc"}));
    tree->SetFileMask("  ");
    EXPECT_EQ(tree->FileMask(), "*.*");

    // The handler sees each file with its full path and may refuse it.
    QStringList offered;
    tree->OnFileAdd = [&](const QString& file, quint32 attributes, bool& allow) {
        offered << file;
        EXPECT_EQ(attributes & (saFileSystem | saFolder), quint32(saFileSystem));
        allow = !file.endsWith(".txt");
    };
    tree->SetFileMaskUse(false);
    EXPECT_TRUE(offered.contains(photos + "/note.txt"));
    EXPECT_FALSE(labels(root).contains("note.txt"));

    // Files sort by the chosen key; folders stay first.
    tree->OnFileAdd = nullptr;
    tree->SetFileMask("*.jpg;*.jpe");
    tree->SetFileMaskUse(true);
    dir_.write("photos/a.jpg", "12345");
    dir_.write("photos/x.jpg.jpg", "123");
    tree->ReadAll();
    tree->SetFileSortType(so_Size);
    EXPECT_EQ(labels(root), (QStringList{"zfolder", "photo.jpeg", "x.jpg.jpg", "a.jpg"}));
    tree->SetFileSortOrder(so_Descending);
    EXPECT_EQ(labels(root), (QStringList{"zfolder", "a.jpg", "x.jpg.jpg", "photo.jpeg"}));

    // With only folders listed, no file ever shows.
    tree->SetOptions(TF_FOLDERS);
    EXPECT_EQ(labels(root), (QStringList{"zfolder"}));
}

TEST_F(Tree, RereadKeepsExpandedNodesAndDropsTheVanishedOne)
{
    const QString top = folder("top");
    for (const char* name : {"a/s", "b/s", "c/s"})
        folder(QString("top/") + name);
    auto tree = treeAt(top);
    TShellnode* root = tree->RootNode();
    for (const char* name : {"a", "b", "c"})
        child(root, name)->setExpanded(true);
    TShellnode* keptA = child(root, "a");
    TShellnode* keptS = child(keptA, "s");
    tree->setCurrentItem(child(root, "b"));

    QDir(top + "/b").removeRecursively();
    tree->ReadChildren(root, false);
    EXPECT_EQ(labels(root), (QStringList{"a", "c"}));
    EXPECT_EQ(child(root, "a"), keptA);
    EXPECT_EQ(child(keptA, "s"), keptS);
    EXPECT_TRUE(child(root, "a")->isExpanded());
    EXPECT_TRUE(child(root, "c")->isExpanded());
    EXPECT_NE(tree->CurrentNode(), nullptr);

    // A folder that turned into a file goes when only folders are listed.
    QDir(top + "/c").removeRecursively();
    dir_.write("top/c", "now a file");
    tree->ReadChildren(root, false);
    EXPECT_EQ(labels(root), (QStringList{"a"}));
    // And the whole listing goes with a root that became unreadable (here: a file).
    QDir(top).removeRecursively();
    dir_.write("top", "x");
    tree->ReadAll();
    EXPECT_EQ(root->childCount(), 0);
    // Made again, it is listed and watched again: the folder above tells of its return.
    QFile::remove(top);
    for (const QStringList& made : {QStringList{"d"}, QStringList{"d", "e"}}) {
        folder("top/" + made.last());
        QTRY_COMPARE_WITH_TIMEOUT(labels(root), made, 5000);
    }
}

TEST_F(Tree, ShownAgainTheTreeIsReadAgain)
{
    const QString top = folder("top");
    folder("top/a/old");
    auto tree = treeAt(top);
    tree->SetUpdAutoThread(false);  // only the showing can tell
    TShellnode* a = child(tree->RootNode(), "a");
    a->setExpanded(true);
    folder("top/b");
    folder("top/a/new");
    QCoreApplication::processEvents();
    EXPECT_EQ(labels(tree->RootNode()), QStringList{"a"});
    tree->show();
    EXPECT_EQ(labels(tree->RootNode()), (QStringList{"a", "b"}));
    EXPECT_EQ(labels(a), (QStringList{"new", "old"}));

    tree->hide();
    QDir(top + "/b").removeRecursively();
    tree->show();
    EXPECT_EQ(labels(tree->RootNode()), QStringList{"a"});
    EXPECT_EQ(child(tree->RootNode(), "a"), a);
}

// The selected folder goes: the selection moves up to the nearest folder still there, with
// one Change, never to a neighbour or to nothing. Also while the item menu of another folder
// (or of the selected one) shows, where the menu's selection must not count as a change.
TEST_F(Tree, SelectionWhoseFolderGoesMovesToTheNearestFolderAbove)
{
    const QString top = folder("top");
    const struct {
        const char* what;
        const char* selected;
        const char* menuOn;  // nullptr: no menu, the tree is read again
        const char* removed;
        QString after;
        int changes;
    } cases[] = {
        {"re-read", "a/b/c", nullptr, "a/b", top + "/a", 1},
        {"menu of another folder", "a/b/c", "z", "a/b", top + "/a", 1},
        {"menu of the selected folder", "a/b", "a/b", "a", top, 1},
        {"menu of a folder that goes", "a/b", "z", "z", top + "/a/b", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(top).removeRecursively();
        folder("top/a/b/c");
        folder("top/a/sibling");
        folder("top/z");
        MenuTree tree(nullptr, &mounts_, &hub_);
        tree.SetUpdAutoThread(false);  // the re-reads below are the test's own
        tree.SetRootDir(top);
        tree.SetRootUsePIDL(false);
        tree.SetPath(top + "/" + c.selected);
        ASSERT_EQ(tree.Path(), top + "/" + c.selected);
        QSignalSpy changes(&tree, &TShellTree::Change);
        const auto remove = [&] {
            QDir(top + "/" + c.removed).removeRecursively();
            tree.ReadAll();
        };
        if (c.menuOn) {
            tree.whileShown = remove;
            tree.SetPath(top + "/" + c.menuOn);
            tree.SetPath(top + "/" + c.selected);
            changes.clear();
            TShellnode* menuNode = nullptr;
            for (TShellnode* n = tree.RootNode(); n;) {
                TShellnode* next = nullptr;
                for (int i = 0; i < n->childCount(); ++i)
                    if ((top + "/" + c.menuOn).startsWith(n->ChildNode(i)->Path()))
                        next = n->ChildNode(i);
                if (!next)
                    break;
                menuNode = n = next;
            }
            ASSERT_NE(menuNode, nullptr);
            EXPECT_TRUE(tree.DoPopupMenu(menuNode, QPoint(1, 1)));
            EXPECT_EQ(tree.shownFor.size(), 1);
        } else {
            remove();
        }
        EXPECT_EQ(tree.Path(), c.after);
        EXPECT_EQ(changes.count(), c.changes);
        if (c.changes > 0) {
            EXPECT_EQ(changes.last().at(0).value<TShellnode*>(), tree.CurrentNode());
        }
    }
}

TEST_F(Tree, LinksAndLinkLoops)
{
    const QString top = folder("top");
    folder("top/real/inner");
    ASSERT_TRUE(QFile::link(top, top + "/loop"));
    ASSERT_TRUE(QFile::link(top + "/self", top + "/self"));
    ASSERT_TRUE(QFile::link(top + "/nowhere", top + "/dangling"));
    auto tree = treeAt(top);
    TShellnode* root = tree->RootNode();
    EXPECT_EQ(labels(root), (QStringList{"loop", "real"}));
    TShellnode* loop = child(root, "loop");
    EXPECT_TRUE(loop->Attributes() & saLink);
    EXPECT_FALSE(child(root, "real")->Attributes() & saLink);
    loop->setExpanded(true);
    child(loop, "loop")->setExpanded(true);
    EXPECT_EQ(labels(child(loop, "loop")), (QStringList{"loop", "real"}));
    EXPECT_EQ(child(child(loop, "loop"), "real")->Path(), top + "/loop/loop/real");

    tree->SetOptions(TF_FOLDERS | TF_NONFOLDERS);
    EXPECT_EQ(labels(root), (QStringList{"loop", "real", "dangling", "self"}));

    // Links carry an overlay; without icons no node has one.
    EXPECT_FALSE(child(root, "loop")->icon(0).isNull());
    tree->SetShowIcons(false);
    EXPECT_TRUE(child(root, "loop")->icon(0).isNull());
    EXPECT_TRUE(root->icon(0).isNull());
}

TEST_F(Tree, UpdAutoOffListsOnlyAtTheFirstExpansion)
{
    const QString top = folder("top");
    folder("top/a/one");
    auto tree = treeAt(top);
    tree->SetUpdAutoThread(false);
    tree->SetUpdAuto(false);
    TShellnode* a = child(tree->RootNode(), "a");
    a->setExpanded(true);
    EXPECT_TRUE(a->ChildrenListed());
    folder("top/a/two");
    a->setExpanded(false);
    a->setExpanded(true);
    EXPECT_EQ(labels(a), QStringList{"one"});
    tree->SetUpdAuto(true);
    a->setExpanded(false);
    a->setExpanded(true);
    EXPECT_EQ(labels(a), (QStringList{"one", "two"}));
}

TEST_F(Tree, RenameRefusesBadNamesAndNeverReplaces)
{
    const QString top = folder("top");
    folder("top/old/child");
    folder("top/taken");
    auto tree = treeAt(top);
    TShellnode* root = tree->RootNode();
    TShellnode* node = child(root, "old");
    node->setExpanded(true);
    EXPECT_TRUE(node->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(root->flags() & Qt::ItemIsEditable);
    QSignalSpy changes(tree.get(), &TShellTree::Change);

    for (const QString& bad : {QString(), QString("."), QString(".."), QString("a/b"), QString("/"),
                               QString("nul") + QChar(0) + "x", QString("taken"), QString("old")}) {
        EXPECT_FALSE(node->Rename(bad)) << qPrintable(bad);
        EXPECT_EQ(node->text(0), "old");
    }
    EXPECT_TRUE(QDir(top + "/old/child").exists());
    EXPECT_TRUE(QDir(top + "/taken").exists());
    EXPECT_EQ(changes.count(), 0);

    EXPECT_TRUE(node->Rename("a new #1"));
    EXPECT_EQ(node->text(0), "a new #1");
    EXPECT_EQ(node->Path(), top + "/a new #1");
    EXPECT_EQ(child(node, "child")->Path(), top + "/a new #1/child");
    EXPECT_TRUE(QDir(top + "/a new #1/child").exists());
    EXPECT_EQ(labels(root), (QStringList{"a new #1", "taken"}));
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(Tree, NamesThatAreNotUtf8KeepTheirBytes)
{
    const QString top = folder("top");
    const QByteArray native = platform::encodeFileName(top) + "/caf\xe9";
    ASSERT_EQ(::mkdir(native.constData(), 0755), 0);
    auto tree = treeAt(top);
    TShellnode* node = tree->RootNode()->child(0) ? static_cast<TShellnode*>(tree->RootNode()->child(0)) : nullptr;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0), QString::fromUtf8("caf\xef\xbf\xbd"));
    EXPECT_EQ(platform::encodeFileName(node->Path()), native);
    tree->SetPath(node->Path());
    EXPECT_EQ(tree->CurrentNode(), node);
    EXPECT_TRUE(node->Rename("cafe"));
    EXPECT_TRUE(QDir(top + "/cafe").exists());
}

TEST(WheelPager, PagesPerWholeNotchInItsOwnDirection)
{
    const struct {
        std::vector<int> deltas;
        std::vector<int> pages;
    } cases[] = {
        {{120}, {1}},
        {{-120}, {-1}},
        {{136, -16}, {1, 0}},           // past one notch: one page up, never down
        {{240}, {2}},
        {{40, 40, 40}, {0, 0, 1}},      // a touchpad adds up
        {{100, -30, -90}, {0, 0, -1}},  // turning back starts afresh
        {{-119, 0, -1}, {0, 0, -1}},
    };
    for (const auto& c : cases) {
        WheelPager pager;
        std::vector<int> pages;
        for (const int d : c.deltas)
            pages.push_back(pager.feed(d));
        EXPECT_EQ(pages, c.pages);
    }
}

TEST_F(Tree, ClickedExpandedRightClickedAndEditedThroughTheMouse)
{
    const QString top = folder("top");
    folder("top/a/inner");
    folder("top/b");
    MenuTree tree(nullptr, &mounts_, &hub_);
    tree.SetRootDir(top);
    tree.SetRootUsePIDL(false);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    QSignalSpy changes(&tree, &TShellTree::Change);
    TShellnode* a = child(tree.RootNode(), "a");
    TShellnode* b = child(tree.RootNode(), "b");
    const auto centre = [&](QTreeWidgetItem* item) { return tree.visualItemRect(item).center(); };

    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, centre(a));
    EXPECT_EQ(tree.Path(), top + "/a");
    EXPECT_EQ(changes.count(), 1);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, centre(a));
    EXPECT_TRUE(a->isExpanded());
    EXPECT_EQ(labels(a), (QStringList{"inner"}));

    // A right click neither selects nor changes; the menu's node is selected only meanwhile.
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, centre(b));
    EXPECT_EQ(tree.CurrentNode(), a);
    QList<TShellnode*> asked;
    tree.OnPopupMenu = [&](TShellnode* node, bool&) { asked << node; };
    QContextMenuEvent onB(QContextMenuEvent::Mouse, centre(b), tree.viewport()->mapToGlobal(centre(b)));
    QCoreApplication::sendEvent(tree.viewport(), &onB);
    EXPECT_EQ(asked, QList<TShellnode*>{b});
    EXPECT_EQ(tree.shownFor, QList<TShellnode*>{b});
    EXPECT_EQ(tree.selectedDuring, QList<TShellnode*>{b});
    EXPECT_EQ(tree.CurrentNode(), a);
    EXPECT_EQ(changes.count(), 1);

    // Empty space has no menu; a refused one shows nothing.
    const QPoint below(5, tree.viewport()->height() - 3);
    QContextMenuEvent onNothing(QContextMenuEvent::Mouse, below, tree.viewport()->mapToGlobal(below));
    QCoreApplication::sendEvent(tree.viewport(), &onNothing);
    tree.OnPopupMenu = [](TShellnode*, bool& allow) { allow = false; };
    QCoreApplication::sendEvent(tree.viewport(), &onB);
    EXPECT_EQ(tree.shownFor.size(), 1);

    // An ordinary popup menu in its mode; the tree lets go of it when it is destroyed.
    tree.OnPopupMenu = nullptr;
    auto* menu = new QMenu;
    tree.SetPopupMenuMode(pmm_PopupMenu);
    tree.SetPopupMenu(menu);
    TShellnode* during = nullptr;
    QObject::connect(menu, &QMenu::aboutToShow, [&] {
        during = tree.CurrentNode();
        QTimer::singleShot(0, menu, &QMenu::close);
    });
    menu->addAction("x");
    QCoreApplication::sendEvent(tree.viewport(), &onB);
    EXPECT_EQ(during, b);
    EXPECT_EQ(tree.CurrentNode(), a);
    delete menu;
    EXPECT_EQ(tree.PopupMenu(), nullptr);
    EXPECT_EQ(changes.count(), 1);

    // F2 edits the label; Enter renames on disk; Escape ends an edit without one.
    QSignalSpy editsOver(&tree, &TShellTree::EditingOver);
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_F2);
    auto* editor = tree.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("renamed");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(editsOver.count(), 1);
    EXPECT_EQ(a->text(0), "renamed");
    EXPECT_TRUE(QDir(top + "/renamed/inner").exists());
    EXPECT_EQ(changes.count(), 2);
    QTest::keyClick(&tree, Qt::Key_F2);
    editor = tree.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("ignored");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(editsOver.count(), 2);
    EXPECT_TRUE(QDir(top + "/renamed").exists());

    // One whole notch pages up; 136 pages up once, never down.
    for (int i = 0; i < 60; ++i)
        folder(QString("top/b/f%1").arg(i));
    b->setExpanded(true);
    tree.verticalScrollBar()->setValue(tree.verticalScrollBar()->maximum());
    const int bottom = tree.verticalScrollBar()->value();
    ASSERT_GT(bottom, 0);
    QWheelEvent wheel(QPointF(10, 10), tree.viewport()->mapToGlobal(QPoint(10, 10)), QPoint(), QPoint(0, 136),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(tree.viewport(), &wheel);
    EXPECT_EQ(tree.verticalScrollBar()->value(), bottom - tree.verticalScrollBar()->pageStep());
}

} // namespace
