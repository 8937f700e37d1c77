// The item menu of the folder tree and the commands behind it: each verb, the menu with and
// without a choice, path and wildcard naming, items without a path, the Properties window.

#include "fakes.h"
#include "oddnames.h"
#include "shelltreefixture.h"
#include "components/itemprop.h"
#include "platform/filenames.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Picks a menu entry (or none, -1) as soon as the menu is up; counts the menus seen.
struct MenuPicker {
    int menus = 0;
    QStringList texts;
    QString defaultText;

    void pick(int index)
    {
        QTimer::singleShot(0, [this, index] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            ++menus;
            texts.clear();
            for (QAction* a : menu->actions())
                texts << a->text();
            defaultText = menu->defaultAction() ? menu->defaultAction()->text() : QString();
            if (index >= 0) {
                menu->setActiveAction(menu->actions().at(index));
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                QTest::keyClick(menu, Qt::Key_Escape);
            }
        });
    }
};

QList<ShellItem> itemsOf(const QStringList& paths)
{
    QList<ShellItem> items;
    for (const QString& path : paths) {
        ShellItem item;
        item.path = path;
        items << item;
    }
    return items;
}

TItemPropertiesWindow* propertiesWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<TItemPropertiesWindow*>(w); window && window->isVisible())
            return window;
    return nullptr;
}

class ItemMenu : public ShellTreeTest {
protected:
    void TearDown() override
    {
        while (TItemPropertiesWindow* w = propertiesWindow())
            delete w;
        ShellTreeTest::TearDown();
    }
    bool command(const QString& path, int action, const QString& verb = {})
    {
        return ShellItemCommand(path, {}, action, verb, nullptr, QPoint(10, 10), fakes.services);
    }

    FakeServices fakes;
    RecordingShell& shell = fakes.shell;
    MenuPicker picker;
};

TEST_F(ItemMenu, EachVerbByName)
{
    const QString folder = dir_.mkdir("photos/summer");
    QApplication::clipboard()->clear();
    EXPECT_TRUE(command(folder, iaVerb, "open"));
    EXPECT_TRUE(command(folder, iaVerb, "OpenContainingFolder"));
    EXPECT_EQ(shell.opened, QStringList({folder, dir_.file("photos")}));
    EXPECT_TRUE(command(folder, iaVerb, "copypath"));
    EXPECT_EQ(QApplication::clipboard()->text(), folder);
    EXPECT_FALSE(propertiesWindow());
    EXPECT_TRUE(command(folder, iaVerb, "properties"));
    ASSERT_TRUE(propertiesWindow());
    EXPECT_EQ(propertiesWindow()->windowTitle(), "summer Properties");
    for (const char* other : {"delete", "rename", "", "open "})
        EXPECT_FALSE(command(folder, iaVerb, other)) << other;
    EXPECT_TRUE(command(folder, iaDefault));
    EXPECT_EQ(shell.opened.size(), 3);
    EXPECT_FALSE(command(folder, 4));
    EXPECT_FALSE(command(folder, 255));
    EXPECT_EQ(shell.opened.size(), 3);
}

TEST_F(ItemMenu, TheMenuOffersFourEntriesAndRunsTheChosenOne)
{
    const QString file = dir_.write("a b#1.jpg", "x");
    const QList<ShellItem> items = itemsOf({file});
    picker.pick(-1);
    EXPECT_TRUE(ShowItemContextMenu(items, nullptr, QPoint(5, 5), fakes.services));
    EXPECT_EQ(picker.texts, QStringList({"Open", "Open Containing Folder", "Copy Path", "Properties"}));
    EXPECT_EQ(picker.defaultText, "Open");
    EXPECT_TRUE(shell.opened.isEmpty());

    picker.pick(0);
    EXPECT_TRUE(ShowItemContextMenu(items, nullptr, QPoint(5, 5), fakes.services));
    picker.pick(1);
    EXPECT_TRUE(ShowItemContextMenu(items, nullptr, QPoint(5, 5), fakes.services));
    EXPECT_EQ(shell.opened, QStringList({file, dir_.path().chopped(1)}));
    picker.pick(2);
    EXPECT_TRUE(ShowItemContextMenu(items, nullptr, QPoint(5, 5), fakes.services));
    EXPECT_EQ(QApplication::clipboard()->text(), file);
    picker.pick(3);
    EXPECT_TRUE(ShowItemContextMenu(items, nullptr, QPoint(5, 5), fakes.services));
    EXPECT_TRUE(propertiesWindow());
    EXPECT_EQ(picker.menus, 5);

    // What the desktop refuses to open is a failed command, and the user is told.
    EXPECT_TRUE(fakes.prompts.promptTexts().isEmpty());
    shell.openFailure = "No application is registered for this file";
    picker.pick(0);
    EXPECT_FALSE(ShowItemContextMenu(items, nullptr, QPoint(5, 5), fakes.services));
    EXPECT_EQ(fakes.prompts.promptTexts(),
              QStringList{"Could not open " + file + " (No application is registered for this file)."});
    EXPECT_EQ(fakes.prompts.lastPrompt().icon, platform::PromptIcon::Warning);
}

TEST_F(ItemMenu, AnOpenerThatFailsAfterItStartedIsReported)
{
    // An opener that starts, then finds no program for the file: its answer comes after the
    // command has returned.
    const QString opener = dir_.write("opener", "#!/bin/sh\nsleep 0.2\nexit 3\n");
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    platform::DesktopShell desktop(dir_.path(), opener);
    const platform::Services services{fakes.prompts, desktop, fakes.dialogs};
    const QString file = dir_.write("pics/a.jpg", "x");

    picker.pick(0);
    EXPECT_TRUE(ShowItemContextMenu(itemsOf({file}), nullptr, QPoint(5, 5), services));
    EXPECT_TRUE(fakes.prompts.promptTexts().isEmpty());
    // Two openers started at once may end in either order: the second starts after the first ended.
    (void)QTest::qWaitFor([&] { return !fakes.prompts.promptTexts().isEmpty(); }, 5000);
    picker.pick(1);
    EXPECT_TRUE(ShowItemContextMenu(itemsOf({file}), nullptr, QPoint(5, 5), services));
    QTRY_COMPARE_WITH_TIMEOUT(fakes.prompts.promptTexts().size(), 2, 5000);
    EXPECT_EQ(fakes.prompts.promptTexts(),
              (QStringList{"Could not open " + file + " (no program to open it was found).",
                           "Could not open " + dir_.file("pics") + " (no program to open it was found)."}));
}

TEST_F(ItemMenu, ItemsWithoutAPathOrNoItemsHaveNoVerbs)
{
    ShellItem computer;
    computer.kind = ShellItem::Kind::Computer;
    computer.label = "Computer";
    picker.pick(-1);
    for (int action : {iaContextMenu, iaProperties, iaDefault, iaVerb})
        EXPECT_FALSE(ShellItemCommand({}, {computer}, action, "open", nullptr, {}, fakes.services)) << action;
    EXPECT_FALSE(ShellItemCommand({}, {}, iaDefault, {}, nullptr, {}, fakes.services));
    EXPECT_FALSE(command(dir_.file("missing.jpg"), iaDefault));
    QCoreApplication::processEvents();
    EXPECT_EQ(picker.menus, 0);
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_FALSE(propertiesWindow());
}

TEST_F(ItemMenu, WildcardsNameEveryMatchButTheDots)
{
    dir_.write("w/a.jpg", "1");
    dir_.write("w/.hidden", "2");
    dir_.mkdir("w/sub");
    dir_.write("w/b.gif", "3");
    EXPECT_TRUE(command(dir_.file("w/*"), iaDefault));
    EXPECT_EQ(shell.opened, QStringList({dir_.file("w/.hidden"), dir_.file("w/a.jpg"), dir_.file("w/b.gif"),
                                         dir_.file("w/sub")}));
    shell.opened.clear();
    EXPECT_TRUE(command(dir_.file("w/?.jpg"), iaVerb, "copypath"));
    EXPECT_EQ(QApplication::clipboard()->text(), dir_.file("w/a.jpg"));
    EXPECT_TRUE(command(dir_.file("w/*.*"), iaVerb, "copypath"));
    EXPECT_FALSE(QApplication::clipboard()->text().split('\n').contains(dir_.file("w/..")));
    EXPECT_FALSE(QApplication::clipboard()->text().split('\n').contains(dir_.file("w/.")));

    picker.pick(-1);
    EXPECT_FALSE(command(dir_.file("w/*.png"), iaContextMenu));
    EXPECT_FALSE(command(dir_.file("gone/*"), iaContextMenu));
    QCoreApplication::processEvents();
    EXPECT_EQ(picker.menus, 0);
    EXPECT_TRUE(shell.opened.isEmpty());
}

TEST_F(ItemMenu, PropertiesOfAFileAndAFolder)
{
    const QString file = dir_.write("p/pic.gif", QByteArray(1234, 'x'));
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    dir_.write("p/.dot", "");
    dir_.write("p/deep/deeper/z", "");
    const auto rows = ItemPropertyRows(file);
    QStringList labels, values;
    for (const auto& [label, value] : rows)
        labels << label, values << value;
    EXPECT_EQ(labels, QStringList({"Name:", "Location:", "Type:", "Size:", "Modified:", "Permissions:", "Owner:"}));
    EXPECT_EQ(values[0], "pic.gif");
    EXPECT_EQ(values[1], dir_.file("p"));
    EXPECT_EQ(values[2], "GIF image");
    EXPECT_EQ(values[3], "1,234 bytes");
    EXPECT_EQ(values[4], QFileInfo(file).lastModified().toString("yyyy-MM-dd hh:mm:ss"));
    EXPECT_EQ(values[5], "rw-r----- (0640)");
    EXPECT_FALSE(values[6].isEmpty());

    // Only what lies directly inside a folder is counted.
    const auto folder = ItemPropertyRows(dir_.file("p/"));
    EXPECT_EQ(folder[0].second, "p");
    EXPECT_EQ(folder[2].second, "Folder");
    EXPECT_EQ(folder[3], qMakePair(QString("Contains:"), QString("3 items")));

    TItemPropertiesWindow window({file, dir_.file("p")});
    const QList<QLabel*> shown = window.findChildren<QLabel*>();
    QStringList texts;
    for (QLabel* l : shown)
        texts << l->text();
    EXPECT_TRUE(texts.contains("1,234 bytes"));
    EXPECT_TRUE(texts.contains("3 items"));
}

TEST_F(ItemMenu, TheTreeShowsTheItemMenuOfTheClickedFolder)
{
    folder("home/pictures");
    auto tree = treeAt(home());
    tree->SetServices(&fakes.services);
    tree->RootNode()->setExpanded(true);
    TShellnode* node = child(tree->RootNode(), "pictures");
    ASSERT_TRUE(node);
    EXPECT_EQ(tree->PopupMenuMode(), pmm_System);
    picker.pick(0);
    EXPECT_TRUE(tree->DoPopupMenu(node, QPoint(3, 3)));
    EXPECT_EQ(picker.menus, 1);
    EXPECT_EQ(shell.opened, QStringList{home() + "/pictures"});
}

// Each odd name as a folder: Open hands the opener its bytes, Copy Path puts them on the
// clipboard, Properties examines the folder itself.
TEST_F(ItemMenu, FoldersWithOddNamesAreReachedByTheirBytes)
{
    const QString opener =
        dir_.write("opener", "#!/bin/sh\n[ -d \"$1\" ] || exit 2\nprintf %s \"$1\" > \"$0.part\" && mv \"$0.part\" \"$0.out\"\n");
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    platform::DesktopShell desktop(dir_.path(), opener);
    const platform::Services services{fakes.prompts, desktop, fakes.dialogs};
    for (const OddName& name : oddNames) {
        const QString folder = dir_.mkdir(platform::decodeFileName(name.bytes));
        QFile::remove(opener + ".out");
        EXPECT_TRUE(ShellItemCommand(folder, {}, iaVerb, "open", nullptr, {}, services)) << name.what;
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(opener + ".out"); }, 5000)) << name.what;
        EXPECT_EQ(readAll(opener + ".out"), platform::encodeFileName(folder)) << name.what;

        EXPECT_TRUE(command(folder, iaVerb, "copypath")) << name.what;
        EXPECT_EQ(QApplication::clipboard()->mimeData()->data("text/plain"), platform::encodeFileName(folder)) << name.what;

        const auto rows = ItemPropertyRows(folder);
        EXPECT_EQ(rows.mid(2, 2), (QList<QPair<QString, QString>>{{"Type:", "Folder"}, {"Contains:", "0 items"}})) << name.what;
    }
    EXPECT_TRUE(fakes.prompts.promptTexts().isEmpty());
}

} // namespace
