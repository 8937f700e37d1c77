// Drag and drop between the add-images dialog and a real file manager (pcmanfm), driven by
// xdotool on an X server of the test's own. Run by ctest on the offscreen platform, the test
// starts Xvfb and runs itself again on it.

#include "../app/windows/apptestutil.h"
#include "app/windows/addimage.h"
#include "app/windows/editsite.h"
#include "components/bitbtn.h"
#include "components/filelistbox.h"
#include "components/shelltree.h"
#include "imaging/pglibrary.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QByteArray gifBytes("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                          35);

// Where the file manager's window is put, and the first icon in it.
const QPoint managerAt(950, 0);
const QPoint firstIcon = managerAt + QPoint(205, 100);
const QPoint emptySpace = managerAt + QPoint(400, 300);

// Runs xdotool while this process goes on answering the window system.
bool xdotool(const QStringList& arguments, QString* output = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), arguments);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Presses the left button at from, moves to to in steps as a hand would, and lets go there.
bool drag(QPoint from, QPoint to)
{
    QStringList a{"mousemove", QString::number(from.x()), QString::number(from.y()), "sleep", "0.3", "mousedown", "1"};
    for (int i = 1; i <= 20; ++i) {
        const QPoint at = from + (to - from) * i / 20;
        a << "sleep" << "0.05" << "mousemove" << QString::number(at.x()) << QString::number(at.y());
    }
    a << "sleep" << "0.5" << "mouseup" << "1";
    return xdotool(a);
}

bool installed(const char* program)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

class FileManagerDrag : public ::testing::Test, public PictorumFixture {
protected:
    void TearDown() override
    {
        for (QProcess* p : {&manager_, &server_}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    // Starts Xvfb on a free display and runs this test again there.
    void runOnOwnDisplay()
    {
        server_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return server_.canReadLine() || server_.state() == QProcess::NotRunning; }, 20000));
        const QByteArray display = server_.readLine().trimmed();
        ASSERT_FALSE(display.isEmpty()) << "Xvfb did not start";
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":" + QString::fromLatin1(display));
        env.insert("QT_QPA_PLATFORM", "xcb");
        // The file manager keeps its settings and its socket there, not in the user's home.
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            env.insert(QString::fromLatin1(name), home_.path());
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=FileManagerDrag.BothWays"});
        ASSERT_TRUE(run.waitForFinished(180000)) << "the run on the display did not end";
        const QByteArray output = run.readAll();
        EXPECT_EQ(run.exitCode(), 0) << output.constData();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.constData();
    }

    void walk(TdlgAddImages& add);

    QProcess server_, manager_;
    TempFolder source, managed, home_;
};

TEST_F(FileManagerDrag, BothWays)
{
    if (!installed("pcmanfm") || !installed("xdotool") || !installed("Xvfb"))
        GTEST_SKIP() << "needs pcmanfm, xdotool and Xvfb";
    if (QGuiApplication::platformName() != QLatin1StringView("xcb"))
        return runOnOwnDisplay();

    InitPGraphic();
    prog.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
    prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nRotationCount=1\r\n");
    prog.mkdir("Site_1/Rotation_1");
    start();
    clickRow(0);
    fake.dialogs.script([&](QDialog& d) {
        auto& editor = static_cast<TdlgEditSite&>(d);
        fake.dialogs.script([&](QDialog& dialog) {
            walk(static_cast<TdlgAddImages&>(dialog));
            return platform::mrCancel;
        });
        QTest::mouseClick(editor.btnAddFiles, Qt::LeftButton);
        return platform::mrCancel;
    });
    form().btnedtsiteClick();
    DonePGraphic();
}

void FileManagerDrag::walk(TdlgAddImages& add)
{
    source.write("a.gif", gifBytes);
    const QString shown = managed.mkdir("fmdir");
    managed.write("fmdir/c.gif", gifBytes);
    add.dirSource->SetPath(source.path());
    add.move(0, 0);
    add.resize(900, 600);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&add));

    manager_.start(QStringLiteral("pcmanfm"), {shown});
    QString window;
    ASSERT_TRUE(QTest::qWaitFor([&] { return xdotool({"search", "--name", "^fmdir$"}, &window); }, 20000));
    window = window.section(QLatin1Char('\n'), 0, 0);
    ASSERT_TRUE(xdotool({"windowmove", window, QString::number(managerAt.x()), QString::number(managerAt.y()),
                         "windowsize", window, "600", "450"}));
    QTest::qWait(1000);  // the file manager draws its icons

    // From the file manager onto the rotation's list: copied there, left where it was.
    const QString rotation = prog.file("Site_1/Rotation_1/");
    const QWidget* target = add.FileBox->viewport();
    ASSERT_TRUE(drag(firstIcon, target->mapToGlobal(target->rect().center())));
    ASSERT_TRUE(QTest::qWaitFor([&] { return add.FileBox->FileNames() == QStringList{"c.gif"}; }, 10000));
    EXPECT_EQ(readAll(rotation + "c.gif"), gifBytes);
    EXPECT_TRUE(QFile::exists(shown + "/c.gif"));

    // From the source list onto the file manager's folder: a copy too.
    ASSERT_EQ(add.fbxsource->FileNames(), QStringList{"a.gif"});
    const QWidget* list = add.fbxsource->viewport();
    ASSERT_TRUE(drag(list->mapToGlobal(add.fbxsource->visualItemRect(add.fbxsource->item(0)).center()), emptySpace));
    // The file manager writes the copy in place: it is done when all of it is there.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile(shown + "/a.gif").size() == gifBytes.size(); }, 10000));
    EXPECT_EQ(readAll(shown + "/a.gif"), gifBytes);
    EXPECT_TRUE(QFile::exists(source.file("a.gif")));
}

} // namespace
