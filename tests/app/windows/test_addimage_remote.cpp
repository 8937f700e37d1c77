// The add-images dialog with network shares in the home folder (a link to one and a mount point,
// the desktop on one too) whose server answers nothing: the program starts, the dialog opens
// and a remote folder is chosen while the user-interface thread keeps answering; the files
// show once the server does.

#include "apptestutil.h"
#include "gatedfuse.h"
#include "app/windows/addimage.h"
#include "app/windows/editsite.h"
#include "components/bitbtn.h"
#include "components/filelistbox.h"
#include "components/lmthumbgrid.h"
#include "components/shelltree.h"
#include "imaging/pglibrary.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

QString privateMountsRefused;
const bool privateMounts = enterPrivateMountNamespace(&privateMountsRefused);

// How late a timer on the user-interface thread fires at most, while it runs.
class Heartbeat {
public:
    static constexpr int beatMs = 20;
    Heartbeat()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { mostLate_ = std::max(mostLate_, since_.restart() - beatMs); });
        since_.start();
        timer_.start(beatMs);
    }
    qint64 mostLate() const { return mostLate_; }

private:
    QTimer timer_;
    QElapsedTimer since_;
    qint64 mostLate_ = 0;
};

TShellnode* child(TShellnode* node, const QString& label)
{
    for (int i = 0; node && i < node->childCount(); ++i)
        if (node->ChildNode(i)->text(0) == label)
            return node->ChildNode(i);
    return nullptr;
}

class RemoteSourceFolders : public ::testing::Test, public PictorumFixture {
protected:
    void SetUp() override
    {
        if (!privateMounts)
            GTEST_SKIP() << "no mount namespace of our own: " << qPrintable(privateMountsRefused);
        InitPGraphic();
        home_ = place_.mkdir("home");
        place_.mkdir("home/pics");
        // Closed for longer than the test takes: code that waits on them shows as slow, never hangs.
        nas_ = std::make_unique<GatedFuse>(place_.mkdir("server"), QStringList{"sub"}, 60s,
                                           QStringList{"a.gif", "notes.txt"});
        remote_ = std::make_unique<GatedFuse>(place_.mkdir("home/remote"), QStringList{}, 60s,
                                              QStringList{"b.jpg", "c.gif"});
        if (!nas_->mounted() || !remote_->mounted())
            GTEST_SKIP() << "FUSE cannot be mounted here: " << qPrintable(nas_->reason() + remote_->reason());
        ASSERT_TRUE(QFile::link(place_.file("server"), home_ + "/nas"));
        place_.write("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/remote\"\n");
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", place_.file("config").toUtf8());
        elsewhere_ = std::make_unique<StartedElsewhere>(place_.path(), home_);

        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nRotationCount=1\r\n");
        prog.mkdir("Site_1/Rotation_1");
    }
    void TearDown() override
    {
        // Nothing may stay waiting on them, whatever the test did.
        for (GatedFuse* server : {nas_.get(), remote_.get()})
            if (server)
                server->open();
        if (elsewhere_) {
            elsewhere_.reset();
            qputenv("XDG_CONFIG_HOME", savedConfig_);
            DonePGraphic();
        }
    }
    void inAddImages(const std::function<void(TdlgAddImages&)>& work)
    {
        fake.dialogs.script([&](QDialog& editor) {
            fake.dialogs.script([&](QDialog& add) {
                work(static_cast<TdlgAddImages&>(add));
                return platform::mrCancel;
            });
            QTest::mouseClick(static_cast<TdlgEditSite&>(editor).btnAddFiles, Qt::LeftButton);
            return platform::mrCancel;
        });
        form().btnedtsiteClick();
    }

    TempFolder place_;
    QString home_;
    QByteArray savedConfig_;
    std::unique_ptr<GatedFuse> nas_, remote_;
    std::unique_ptr<StartedElsewhere> elsewhere_;
};

TEST_F(RemoteSourceFolders, TheProgramNeverWaitsForThemAndShowsTheirFilesWhenTheyAnswer)
{
    QElapsedTimer clock;
    clock.start();
    start();
    clickRow(0);
    EXPECT_LT(clock.elapsed(), 10000);  // not held until the servers open

    inAddImages([&](TdlgAddImages& add) {
        std::optional<Heartbeat> heartbeat(std::in_place);
        TShellnode* homeNode = add.dirSource->CurrentNode();
        ASSERT_NE(homeNode, nullptr);
        ASSERT_EQ(homeNode->Path(), home_);
        EXPECT_EQ(add.dirSource->RootNode()->text(0), "Desktop");
        EXPECT_EQ(add.fbxsource->count(), 0);
        QTest::qWait(300);

        for (const QString name : {"nas", "remote"}) {
            TShellnode* node = child(homeNode, name);
            ASSERT_NE(node, nullptr) << qPrintable(name);
            add.dirSource->setCurrentItem(node);  // as a click does
            EXPECT_EQ(add.fbxsource->Directory(), home_ + "/" + name + "/");
            QTest::qWait(500);
            EXPECT_EQ(add.fbxsource->count(), 0);
            EXPECT_EQ(add.ThumbGrid->ItemCount(), 0);
        }
        EXPECT_LE(heartbeat->mostLate(), 250);
        heartbeat.reset();

        nas_->open();
        remote_->open();
        QTRY_COMPARE_WITH_TIMEOUT(add.fbxsource->FileNames(), QStringList({"b.jpg", "c.gif"}), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(add.ThumbGrid->ItemCount(), 2, 5000);
        EXPECT_EQ(add.btncopy2site->text(), "Copy these 1 images to the current Site");
        add.dirSource->setCurrentItem(child(homeNode, "nas"));
        QTRY_COMPARE_WITH_TIMEOUT(add.fbxsource->FileNames(), QStringList{"a.gif"}, 10000);
    });
}

} // namespace
