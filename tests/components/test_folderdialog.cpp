#include "components/folderdialog.h"
#include "components/folderrootsmodel.h"
#include "components/widgetplacement.h"
#include "fakes.h"
#include "oddnames.h"
#include "tempfolder.h"

#include "platform/filenames.h"
#include "platform/folderlisting.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

namespace {

TEST(FolderDialogPosition, Rules)
{
    const QRect screen(0, 0, 1280, 1024);
    const QRect available(0, 0, 1280, 984);
    struct Case {
        const char* name;
        TFolderDialogOptions options;
        std::optional<QRect> owner;
        QSize frame;
        QSize client;
        QPoint expected;
    } cases[] = {
        {"parent centre, a quarter down", bfParentCenter, QRect(100, 50, 600, 400), {300, 200}, {290, 170}, {250, 150}},
        {"odd sizes truncate", bfParentCenter, QRect(101, 51, 601, 403), {301, 201}, {291, 171}, {251, 151}},
        {"parent centre before screen centre", bfParentCenter | bfScreenCenter, QRect(100, 50, 600, 400), {300, 200},
         {290, 170}, {250, 150}},
        {"screen centre, a third down the free height", bfScreenCenter, QRect(100, 50, 600, 400), {310, 230},
         {300, 201}, {490, 274}},
        {"parent centre without an owner", bfParentCenter | bfScreenCenter, std::nullopt, {310, 230}, {300, 201},
         {490, 274}},
        {"kept off the right and bottom edges", bfParentCenter, QRect(1100, 900, 300, 200), {300, 200}, {290, 170},
         {980, 784}},
        {"kept off the left and top edges", bfParentCenter, QRect(-200, -100, 100, 100), {300, 200}, {290, 170}, {0, 0}},
        {"larger than the screen", bfScreenCenter, std::nullopt, {1400, 1100}, {1390, 1080}, {0, 0}},
    };
    for (const Case& c : cases) {
        FolderDialogPlacement p;
        p.options = c.options;
        p.owner = c.owner;
        p.frame = c.frame;
        p.client = c.client;
        p.screen = screen;
        p.available = available;
        p.left = 368;
        p.top = 32;
        EXPECT_EQ(folderDialogPosition(p), c.expected) << c.name;
    }

    // Neither centring option: Left and Top, in the owner's client area when there is an owner.
    FolderDialogPlacement p;
    p.frame = {300, 200};
    p.screen = screen;
    p.available = available;
    p.left = 368;
    p.top = 32;
    EXPECT_EQ(folderDialogPosition(p), QPoint(368, 32));
    p.owner = QRect(100, 50, 600, 400);
    p.ownerClientOrigin = {104, 80};
    EXPECT_EQ(folderDialogPosition(p), QPoint(472, 112));
}

// A home folder of the test's own, with a desktop folder named in the user-folder file.
class FolderRoots : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_DATA_HOME")};
        qputenv("HOME", home_.path().chopped(1).toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.file(".config").toUtf8());
        qunsetenv("XDG_DATA_HOME");
    }
    void TearDown() override
    {
        qputenv("HOME", saved_[0]);
        qputenv("XDG_CONFIG_HOME", saved_[1]);
        if (!saved_[2].isEmpty())
            qputenv("XDG_DATA_HOME", saved_[2]);
    }
    QString home() const { return home_.path().chopped(1); }
    TempFolder home_;
    std::array<QByteArray, 3> saved_;
};

TEST_F(FolderRoots, EachRootChoice)
{
    // No desktop folder yet: the home folder stands for it and is listed once.
    FolderDialogRoots roots = folderDialogRoots(sfoDesktopExpanded);
    EXPECT_TRUE(roots.computerNode);
    EXPECT_EQ(roots.folders, (QStringList{home(), "/"}));

    home_.mkdir("Desk");
    home_.mkdir("Documents");
    home_.write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    struct Case {
        TShellFolder root;
        bool computer;
        QStringList folders;
        bool expandFirst;
    } cases[] = {
        {sfoDesktopExpanded, true, {home(), home() + "/Desk", "/"}, true},
        {sfoMyComputer, true, {home(), home() + "/Desk", "/"}, false},
        {sfoDesktop, false, {home() + "/Desk"}, false},
        {sfoDesktopDirectory, false, {home() + "/Desk"}, false},
        {sfoPersonal, false, {home() + "/Documents"}, false},
        {sfoTemplates, true, {home(), home() + "/Desk", "/"}, true},   // none on this machine
        {sfoAppData, true, {home(), home() + "/Desk", "/"}, true},     // not made yet
        {sfoPrinters, true, {home(), home() + "/Desk", "/"}, true},
        {sfoRecycleBin, true, {home(), home() + "/Desk", "/"}, true},
    };
    for (const Case& c : cases) {
        roots = folderDialogRoots(c.root);
        EXPECT_EQ(roots.computerNode, c.computer) << c.root;
        EXPECT_EQ(roots.folders, c.folders) << c.root;
        EXPECT_EQ(roots.expandFirst, c.expandFirst) << c.root;
    }
    home_.mkdir(".local/share");
    EXPECT_EQ(folderDialogRoots(sfoAppData).folders, QStringList{home() + "/.local/share"});
}

TEST(FolderRootsModel, BranchesOverTheFileSystem)
{
    TempFolder dir;
    dir.write("a/inner/file.txt", "x");
    dir.write("a/top.txt", "x");
    dir.mkdir("a/.hidden");
    const QString a = dir.file("a");
    struct Case {
        bool files;
        QStringList names;
    } cases[] = {{false, {"inner"}}, {true, {"inner", "top.txt"}}};
    for (const Case& c : cases) {
        // The same folder under two tops; a path is found under the first that holds it.
        FolderRootsModel model(true, {a + "/inner", a, dir.file("missing")}, c.files);
        const QModelIndex computer = model.index(0, 0);
        EXPECT_EQ(model.rowCount(), 1);
        EXPECT_EQ(computer.data().toString(), "Computer");
        EXPECT_EQ(model.filePath(computer), "");
        EXPECT_EQ(model.rowCount(computer), 2); // the missing folder is left out
        const QModelIndex top = model.index(1, 0, computer);
        EXPECT_EQ(top, model.branchTop(1));
        EXPECT_EQ(top.data().toString(), "a");
        EXPECT_EQ(model.parent(top), computer);
        model.fetchMore(top);
        QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(top), int(c.names.size()), 5000);
        QStringList names;
        for (int row = 0; row < model.rowCount(top); ++row) {
            const QModelIndex child = model.index(row, 0, top);
            EXPECT_EQ(model.parent(child), top);
            names << child.data().toString();
        }
        names.sort();
        EXPECT_EQ(names, c.names);

        const QModelIndex inner = model.indexForPath(a + "/inner/");
        EXPECT_EQ(inner, model.branchTop(0));
        EXPECT_EQ(model.filePath(inner), a + "/inner");
        const QModelIndex viaSecond = model.indexForPath(a + "/top.txt");
        EXPECT_EQ(model.filePath(viaSecond), c.files ? a + "/top.txt" : QString());
        if (c.files) {
            EXPECT_EQ(model.parent(viaSecond), top);
        }
        EXPECT_FALSE(model.indexForPath(dir.file("elsewhere")).isValid());
    }
    FolderRootsModel plain(false, {a}, false);
    EXPECT_EQ(plain.rowCount(), 1);
    EXPECT_FALSE(plain.computerIndex().isValid());
    EXPECT_EQ(plain.filePath(plain.index(0, 0)), a);
}

TEST(FolderRootsModel, NamesThatAreNotUtf8AreListedOpenedAndGivenBack)
{
    TempFolder dir;
    QStringList names;
    for (const OddName& odd : oddNames) {
        names << platform::decodeFileName(odd.bytes);
        dir.mkdir(names.back() + "/inner");
    }
    dir.mkdir(".hidden");
    dir.write("file.txt", "x");
    std::sort(names.begin(), names.end(), platform::listingLess);
    FolderRootsModel model(false, {dir.path()}, false);
    const QModelIndex top = model.branchTop(0);
    model.fetchMore(top);
    ASSERT_EQ(model.rowCount(top), int(names.size()));
    for (int row = 0; row < model.rowCount(top); ++row) {
        const QModelIndex folder = model.index(row, 0, top);
        SCOPED_TRACE(platform::encodeFileName(names[row]).toHex().constData());
        EXPECT_EQ(folder.data().toString(), platform::displayFileName(names[row]));
        ASSERT_TRUE(model.canFetchMore(folder));
        model.fetchMore(folder);
        ASSERT_EQ(model.rowCount(folder), 1);
        const QModelIndex inner = model.index(0, 0, folder);
        EXPECT_EQ(inner.data().toString(), "inner");
        model.fetchMore(inner);
        EXPECT_FALSE(model.hasChildren(inner)); // listed, and empty
        // The path, encoded, is the real folder's bytes.
        const QByteArray onDisk = platform::encodeFileName(model.filePath(inner));
        EXPECT_EQ(onDisk, platform::encodeFileName(dir.path()) + platform::encodeFileName(names[row]) + "/inner");
        struct stat st {};
        EXPECT_TRUE(::stat(onDisk.constData(), &st) == 0 && S_ISDIR(st.st_mode));
        EXPECT_EQ(model.indexForPath(model.filePath(inner)), inner);
    }
}

// The dialog over a scripted dialog runner, owned by a form with a button to lend.
class FolderDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.setGeometry(200, 50, 400, 300);
        auto* row = new QHBoxLayout(&form);
        row->addWidget(new QLabel("before", &form));
        custom = new QPushButton("New Folder", &form);
        row->addWidget(custom, 2);
        row->addWidget(new QLabel("after", &form));
        QObject::connect(custom, &QPushButton::clicked, [this] { ++customClicks; });
        form.show();
        home.mkdir("site");
    }
    // Runs the dialog; work gets its window.
    bool run(TFolderDialog& dialog, const std::function<int(TFolderDialogWindow&)>& work)
    {
        fake.dialogs.script([&](QDialog& d) { return work(static_cast<TFolderDialogWindow&>(d)); });
        return dialog.Execute();
    }
    QString folder() const { return home.file("site"); }

    FakeServices fake;
    TempFolder home;
    QWidget form;
    QPushButton* custom = nullptr;
    int customClicks = 0;
};

TEST_F(FolderDialog, OpensAQuarterDownTheOwnerAndCancelEmptiesDirectory)
{
    TFolderDialog dialog(&form, fake.dialogs);
    EXPECT_EQ(dialog.Title(), "Browse for Folder");
    EXPECT_EQ(dialog.Options, defaultFolderDialogOptions);
    EXPECT_EQ(dialog.RootFolder(), sfoDesktopExpanded);
    EXPECT_TRUE(dialog.Ctl3D);
    dialog.SetDirectory(folder());
    QStringList events;
    dialog.OnShow = [&](TFolderDialog& d) { events << "show " + d.Directory(); };
    dialog.OnChange = [&](TFolderDialog& d) { events << "change " + d.Directory(); };
    dialog.OnClose = [&](TFolderDialog& d) { events << "close " + d.Directory(); };
    const bool chosen = run(dialog, [&](TFolderDialogWindow& w) {
        EXPECT_EQ(w.windowTitle(), "Browse for Folder");
        const QRect owner = form.frameGeometry();
        const QRect at = w.frameGeometry();
        EXPECT_EQ(at.top(), owner.top() + owner.height() / 4);
        EXPECT_EQ(at.left(), owner.left() + owner.width() / 2 - at.width() / 2);
        EXPECT_EQ(w.selectedPath(), folder()); // the preset folder is selected
        EXPECT_EQ(w.status(), folder());
        EXPECT_TRUE(w.btnOK->isEnabled());
        EXPECT_TRUE(w.lblStatus->isVisibleTo(&w));
        EXPECT_FALSE(w.lblText->isVisibleTo(&w));
        dialog.SetTitle("Where?");
        EXPECT_EQ(w.windowTitle(), "Where?");
        QTest::mouseClick(w.btnCancel, Qt::LeftButton);
        return platform::mrNone;
    });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(dialog.Directory(), "");
    EXPECT_EQ(events, (QStringList{"change " + folder(), "show " + folder(), "close "}));
}

TEST_F(FolderDialog, OkTakesTheSelectionAndTheCloseBoxCancels)
{
    TFolderDialog dialog(&form, fake.dialogs);
    dialog.Text = "Pick the site's folder";
    dialog.Options = bfFileSysDirsOnly | bfScreenCenter;
    EXPECT_TRUE(run(dialog, [&](TFolderDialogWindow& w) {
        EXPECT_TRUE(w.lblText->isVisibleTo(&w));
        EXPECT_EQ(w.lblText->text(), "Pick the site's folder");
        EXPECT_FALSE(w.lblStatus->isVisibleTo(&w));
        EXPECT_TRUE(w.selectPath(folder()));
        EXPECT_EQ(dialog.Directory(), folder());
        QTest::mouseClick(w.btnOK, Qt::LeftButton);
        return platform::mrNone;
    }));
    EXPECT_EQ(dialog.Directory(), folder());
    EXPECT_EQ(dialog.DisplayName(), "site");

    EXPECT_FALSE(run(dialog, [&](TFolderDialogWindow& w) {
        EXPECT_EQ(w.selectedPath(), folder()); // the folder chosen last
        w.close();
        return platform::mrNone;
    }));
    EXPECT_EQ(dialog.Directory(), "");
}

TEST_F(FolderDialog, AFolderWhoseNameIsNotUtf8IsReturnedAsItsBytes)
{
    const QString archive = home.mkdir(platform::decodeFileName("d\xe9"));
    TFolderDialog dialog(&form, fake.dialogs);
    dialog.SetDirectory(archive);
    EXPECT_TRUE(run(dialog, [&](TFolderDialogWindow& w) {
        EXPECT_EQ(w.selectedPath(), archive);
        EXPECT_EQ(w.status(), platform::displayFileName(archive)); // shown, not carried
        return platform::mrOk;
    }));
    EXPECT_EQ(platform::encodeFileName(dialog.Directory()), platform::encodeFileName(home.path()) + "d\xe9");
    EXPECT_EQ(dialog.DisplayName(), "d\uFFFD");
}

TEST_F(FolderDialog, AnItemWithoutAPathCannotBeChosen)
{
    TFolderDialog dialog(&form, fake.dialogs);
    dialog.CustomButton = custom;
    int changes = 0;
    dialog.OnChange = [&](TFolderDialog&) { ++changes; };
    EXPECT_FALSE(run(dialog, [&](TFolderDialogWindow& w) {
        const QModelIndex computer = w.model()->computerIndex();
        EXPECT_EQ(w.tvFolders->currentIndex(), computer); // the top is selected at first
        EXPECT_FALSE(w.btnOK->isEnabled());
        EXPECT_FALSE(custom->isEnabled());
        EXPECT_EQ(w.status(), "");
        EXPECT_EQ(changes, 0);
        w.tvFolders->setCurrentIndex(w.model()->branchTop(0));
        EXPECT_TRUE(w.btnOK->isEnabled());
        EXPECT_TRUE(custom->isEnabled());
        EXPECT_EQ(w.status(), QDir::homePath());
        EXPECT_EQ(changes, 1);
        w.tvFolders->setCurrentIndex(computer);
        EXPECT_FALSE(w.btnOK->isEnabled());
        EXPECT_EQ(w.status(), "");
        return platform::mrCancel;
    }));
    EXPECT_TRUE(custom->isEnabled()); // its own state again

    // Without the file-system-only option the pathless top can be chosen: true, no folder.
    dialog.Options = bfStatusText;
    const bool chosen = run(dialog, [&](TFolderDialogWindow& w) {
        EXPECT_TRUE(w.btnOK->isEnabled());
        return platform::mrOk;
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.Directory(), "");
    EXPECT_EQ(dialog.DisplayName(), "Computer");
}

TEST_F(FolderDialog, TheCustomButtonGoesBackAfterEachEnding)
{
    custom->setEnabled(false);
    form.layout()->activate();
    const QRect geometry = custom->geometry();
    enum Ending { Ok, Cancel, CloseBox, Destroyed };
    for (Ending ending : {Ok, Cancel, CloseBox, Destroyed}) {
        SCOPED_TRACE(ending);
        auto* dialog = new TFolderDialog(&form, fake.dialogs);
        dialog->CustomButton = custom;
        dialog->Options |= bfResizeCustomButton;
        dialog->SetDirectory(folder());
        customClicks = 0;
        run(*dialog, [&](TFolderDialogWindow& w) {
            EXPECT_EQ(custom->parentWidget(), &w);
            EXPECT_EQ(layoutHolding(w.layout(), custom), w.buttonRow);
            EXPECT_EQ(w.buttonRow->indexOf(custom), 0);
            EXPECT_EQ(custom->size(), w.btnOK->size());
            EXPECT_TRUE(custom->isEnabled()); // with OK
            QTest::mouseClick(custom, Qt::LeftButton);
            EXPECT_EQ(customClicks, 1);
            switch (ending) {
            case Ok:
                QTest::mouseClick(w.btnOK, Qt::LeftButton);
                break;
            case Cancel:
                QTest::mouseClick(w.btnCancel, Qt::LeftButton);
                break;
            case CloseBox:
                w.close();
                break;
            case Destroyed:
                delete dialog;
                dialog = nullptr;
                break;
            }
            return platform::mrNone;
        });
        delete dialog;
        EXPECT_EQ(custom->parentWidget(), &form);
        EXPECT_EQ(form.layout()->indexOf(custom), 1);
        EXPECT_EQ(static_cast<QBoxLayout*>(form.layout())->stretch(1), 2);
        form.layout()->activate();
        EXPECT_EQ(custom->geometry(), geometry);
        EXPECT_TRUE(custom->isVisibleTo(&form));
        EXPECT_FALSE(custom->isEnabled());
        EXPECT_EQ(custom->minimumSize(), QSize(0, 0));
    }
}

TEST_F(FolderDialog, AnUnalignedCustomButtonKeepsItsPlaceAndSize)
{
    custom->hide();
    TFolderDialog dialog(&form, fake.dialogs);
    dialog.CustomButton = custom;
    dialog.Options = bfFileSysDirsOnly;
    const QSize size = custom->size();
    run(dialog, [&](TFolderDialogWindow& w) {
        EXPECT_EQ(custom->parentWidget(), &w);
        EXPECT_EQ(layoutHolding(w.layout(), custom), nullptr);
        EXPECT_TRUE(custom->isVisible());
        EXPECT_EQ(custom->size(), size);
        EXPECT_TRUE(w.rect().contains(custom->geometry()));
        return platform::mrCancel;
    });
    EXPECT_EQ(custom->parentWidget(), &form);
    EXPECT_TRUE(custom->isHidden());
}

} // namespace
