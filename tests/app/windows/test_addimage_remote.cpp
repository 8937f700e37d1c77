// The add-images dialog with dead shares in the home folder (a link to one, a mount point that is
// also the desktop): Pictorum starts and the dialog follows a remote folder without waiting.

#include "apptestutil.h"
#include "gatedfuse.h"
#include "app/windows/addimage.h"
#include "components/filelistbox.h"
#include "components/lmthumbgrid.h"
#include "components/shelltree.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

QString privateMountsRefused;
const bool privateMounts = enterPrivateMountNamespace(&privateMountsRefused);

class RemoteSourceFolders : public ::testing::Test, public PictorumFixture {
protected:
    void SetUp() override
    {
        if (!privateMounts)
            GTEST_SKIP() << qPrintable(privateMountsRefused);
        // Closed longer than the test takes: code that waits on them is slow, never hung.
        nas_.emplace(place_.mkdir("server"), QStringList{"sub", "a.gif", "notes.txt"}, 60s);
        remote_.emplace(place_.mkdir("home/remote"), QStringList{"b.jpg", "c.gif"}, 60s);
        if (!nas_->mounted() || !remote_->mounted())
            GTEST_SKIP() << qPrintable(nas_->reason() + remote_->reason());
        ASSERT_TRUE(QFile::link(place_.file("server"), place_.file("home/nas")));
        place_.write("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/remote\"\n");
        qputenv("XDG_CONFIG_HOME", place_.file("home/.config").toUtf8());
        home_.emplace(place_.path(), place_.file("home"));
    }
    void TearDown() override
    {
        for (auto* server : {&nas_, &remote_})
            if (*server)
                (*server)->open();  // nothing waits on them any more, whatever the test did
        home_.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }

    TempFolder place_;
    std::optional<GatedFuse> nas_, remote_;
    std::optional<StartedElsewhere> home_;
};

TEST_F(RemoteSourceFolders, NothingWaitsForThemAndTheirFilesShowWhenTheyAnswer)
{
    QElapsedTimer clock;
    clock.start();
    start();  // builds the dialog, which shows the home folder
    TdlgAddImages& add = *context->dlgAddImages;
    add.show();
    EXPECT_LT(clock.elapsed(), 10000);
    qint64 mostLate = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { mostLate = std::max(mostLate, clock.restart() - 20); });
    clock.restart();
    beat.start(20);

    TShellnode* home = add.dirSource->CurrentNode();
    ASSERT_EQ(home->Path(), place_.file("home"));
    EXPECT_EQ(add.dirSource->RootNode()->text(0), "Desktop");
    for (const char* name : {"nas", "remote"}) {
        TShellnode* node = nullptr;
        for (int i = 0; i < home->childCount() && !node; ++i)
            node = home->ChildNode(i)->text(0) == name ? home->ChildNode(i) : nullptr;
        ASSERT_NE(node, nullptr) << name;
        add.dirSource->setCurrentItem(node);  // as a click does
        QTest::qWait(500);
        EXPECT_EQ(add.fbxsource->Directory(), node->Path() + "/");
        EXPECT_EQ(add.fbxsource->count(), 0);
    }
    EXPECT_LE(mostLate, 250);

    nas_->open();
    remote_->open();
    QTRY_COMPARE_WITH_TIMEOUT(add.fbxsource->FileNames(), QStringList({"b.jpg", "c.gif"}), 10000);
    EXPECT_EQ(add.ThumbGrid->ItemCount(), 2);
    add.dirSource->SetPath(place_.file("home/nas"));
    QTRY_COMPARE_WITH_TIMEOUT(add.fbxsource->FileNames(), QStringList{"a.gif"}, 10000);
}

} // namespace
