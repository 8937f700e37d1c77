// Pictorum with dead shares in the home folder: a link to one, and a mount point that is the desktop.

#include "apptestutil.h"
#include "gatedfuse.h"
#include "app/windows/addimage.h"
#include "components/filelistbox.h"
#include "components/lmthumbgrid.h"
#include "components/shelltree.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString privateMountsRefused;
const bool privateMounts = enterPrivateMountNamespace(&privateMountsRefused);

TEST(RemoteSourceFolders, NothingWaitsForThemAndTheirFilesShowWhenTheyAnswer)
{
    if (!privateMounts)
        GTEST_SKIP() << qPrintable(privateMountsRefused);
    TempFolder place;
    PictorumFixture program;
    // Closed longer than the test takes: code that waits on them is slow, never hung.
    GatedFuse nas(place.mkdir("server"), {"sub", "a.gif", "notes.txt"}, std::chrono::seconds(60));
    GatedFuse remote(place.mkdir("home/remote"), {"b.jpg", "c.gif"}, std::chrono::seconds(60));
    if (!nas.mounted() || !remote.mounted())
        GTEST_SKIP() << qPrintable(nas.reason() + remote.reason());
    const auto openGates = qScopeGuard([&] { nas.open(), remote.open(); });  // before the windows go
    QFile::link(place.file("server"), place.file("home/nas"));
    place.write("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/remote\"\n");
    qputenv("XDG_CONFIG_HOME", place.file("home/.config").toUtf8());
    const auto restoreConfig = qScopeGuard([] { qunsetenv("XDG_CONFIG_HOME"); });
    StartedElsewhere home(place.path(), place.file("home"));

    QElapsedTimer clock;
    clock.start();
    program.start();  // which builds the dialog on the home folder
    TdlgAddImages& add = *program.context->dlgAddImages;
    add.show();
    EXPECT_LT(clock.restart(), 10000);
    qint64 mostLate = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { mostLate = std::max(mostLate, clock.restart() - 20); });
    beat.start(20);
    TShellnode* homeNode = add.dirSource->CurrentNode();
    ASSERT_EQ(homeNode->Path(), place.file("home"));
    for (int i = 0; i < homeNode->childCount(); ++i) {
        add.dirSource->setCurrentItem(homeNode->child(i));  // as a click does: nas, then remote
        QTest::qWait(300);
        EXPECT_EQ(add.fbxsource->count(), 0);
    }
    EXPECT_LE(mostLate, 250);
    nas.open(), remote.open();  // the one chosen last fills in
    QTRY_COMPARE_WITH_TIMEOUT(add.fbxsource->FileNames(), QStringList({"b.jpg", "c.gif"}), 10000);
    EXPECT_EQ(add.ThumbGrid->ItemCount(), 2);
}

} // namespace
