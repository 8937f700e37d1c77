// Runs the real Turnfold the way cron does: "/Rotate", no display, a program folder of its own.
#include "abstractsocket.h"
#include "components/instanceguard.h"
#include "scriptedsmtpserver.h"
#include "smallfilesystem.h"
#include "smtpsink.h"
#include "tempfolder.h"
#include "platform/filenames.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <functional>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class TurnfoldRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sink.started()) << sink.startError().toStdString();
        const QString exe = prog.file("Turnfold");
        ASSERT_TRUE(QFile::copy(QStringLiteral(TURNFOLD_EXE), exe));
        ASSERT_TRUE(QFile::setPermissions(exe, QFile::permissions(QStringLiteral(TURNFOLD_EXE))));

        write("sites.ini", "[Sites]\r\nSite_1=Gallery One\r\nSite_2=Gallery Two\r\nSite_3=Draft\r\n");
        // Site 1: folders named as Pictorum names them, under the program folder.
        write("Site_1.ini", "[General]\r\nName=Gallery One\r\nPath=%/sites/one/\r\nLivePath=" + www("one")
                                + "\r\nAutoRotate=True\r\nCurrentRotationPosition=1\r\nBaseHTMLName=index.html\r\n"
                                  "RotationCount=3\r\n[Rotation_1]\r\nStatus=2\r\nRotation_Path=%/sites/one/Rotation_1/\r\n");
        for (int n = 1; n <= 3; ++n)
            rotation(QStringLiteral("sites/one/Rotation_%1").arg(n), true);
        // Site 2: a Path stored without separator, a rotation kept elsewhere, one without its
        // base page, and a live folder that does not exist yet.
        write("Site_2.ini", "[General]\r\nName=Gallery Two\r\nPath=%/sites/two\r\nLivePath=" + www("two/live")
                                + "\r\nAutoRotate=True\r\nCurrentRotationPosition=2\r\nBaseHTMLName=index.html\r\n"
                                  "RotationCount=3\r\n[Rotation_1]\r\nRotation_Path=%/elsewhere/two-first/\r\n");
        rotation("elsewhere/two-first", true);
        rotation("sites/two/rotation_2", false);
        rotation("sites/two/rotation_3", true);
        // Site 3: not rotated automatically.
        write("Site_3.ini", "[General]\r\nName=Draft\r\nPath=%/sites/three/\r\nAutoRotate=False\r\n");

        options = "[Options]\r\nDefaultJPEGCompression=80\r\nUseRotations=True\r\nMailFrom=rotation@example.org\r\n"
                  "MailTo=Site Admin <admin@example.org>\r\nMailUserID=\r\nMailPort="
                  + QByteArray::number(sink.port()) + "\r\nMailHost=127.0.0.1\r\nLogFileName=" + prog.file("log.txt").toUtf8()
                  + "\r\nLogOnlyErrors=False\r\nLogging=True\r\nEmailLog=True\r\nCreateBackups=True\r\n"
                    "EmailOnlyErrors=False\r\n";
        prog.write("options.ini", options);
    }

    void write(const QString& name, const QString& text) { prog.write(name, text.toUtf8()); }
    QString www(const QString& name) const { return prog.file("www/" + name); }

    // A built rotation: pages, a picture and its thumbnail, each holding its own path.
    void rotation(const QString& folder, bool withBasePage)
    {
        QStringList files{"page2.htm", "pic.jpg", "thumbs/pic_thb.jpg"};
        if (withBasePage)
            files << "index.html";
        for (const QString& f : files)
            prog.write(folder + "/" + f, (folder + "/" + f).toUtf8());
    }

    QByteArray read(const QString& relative) const { return prog.read(relative); }
    int position(const QString& key) const
    {
        const QRegularExpression re(QStringLiteral("CurrentRotationPosition=(\\d+)"));
        return re.match(QString::fromUtf8(read(key + ".ini"))).captured(1).toInt();
    }
    QStringList liveFiles(const QString& name) const
    {
        QStringList found;
        const QString root = www(name) + "/";
        for (const QString& sub : {QString(), QString("thumbs/")})
            for (const QString& f : QDir(root + sub).entryList(QDir::Files, QDir::Name))
                found << sub + f;
        return found;
    }

    // One scheduled run that should end with the given exit code; gives its standard error.
    QByteArray runRotate(int expectedExit = 0, const QString& programFolder = QString(),
                         const std::function<void()>& inChild = {})
    {
        QProcess turnfold;
        startScheduled(turnfold, (programFolder.isEmpty() ? prog.path() : programFolder) + "Turnfold", inChild,
                       workingFolder);
        EXPECT_TRUE(turnfold.waitForFinished(60000)) << "Turnfold did not end by itself";
        EXPECT_EQ(turnfold.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(turnfold.exitCode(), expectedExit);
        return turnfold.readAllStandardError();
    }

    // Starts Turnfold as cron does (no display unless given), by default in a working folder that is not the program's.
    static void startScheduled(QProcess& turnfold, const QString& exe, const std::function<void()>& inChild = {},
                               const QString& workingFolder = QDir::rootPath(),
                               const QList<std::pair<QString, QString>>& display = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY"})
            env.remove(name);
        for (const auto& [name, value] : display)
            env.insert(name, value);
        turnfold.setProcessEnvironment(env);
        turnfold.setWorkingDirectory(workingFolder);
        if (inChild)
            turnfold.setChildProcessModifier(inChild);
        turnfold.start(exe, {"/Rotate"});
        EXPECT_TRUE(turnfold.waitForStarted(10000));
    }

    static bool copyProgram(const QString& folder)
    {
        return QFile::copy(QStringLiteral(TURNFOLD_EXE), folder + "Turnfold")
               && QFile::setPermissions(folder + "Turnfold", QFile::permissions(QStringLiteral(TURNFOLD_EXE)));
    }

    SmtpSink sink;
    TempFolder prog;
    QByteArray options;
    QString workingFolder = QDir::rootPath();
};

// The log lines without their time stamps, which are the locale's.
QStringList unstamped(const QByteArray& log)
{
    static const QRegularExpression stamp(QStringLiteral("^([!*]) .*? - "));
    QStringList lines = QString::fromUtf8(log).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.takeLast(), QString());  // every line ends in CR LF
    for (QString& line : lines)
        line.replace(stamp, QStringLiteral("\\1 "));
    return lines;
}

TEST_F(TurnfoldRun, TwoScheduledRunsRotateBackUpLogAndMail)
{
    // Cron mails whatever a job prints: a run that went well prints nothing.
    EXPECT_EQ(runRotate(), QByteArray());

    EXPECT_EQ(liveFiles("one"), (QStringList{"index.html", "page2.htm", "pic.jpg", "thumbs/pic_thb.jpg"}));
    EXPECT_EQ(read("www/one/index.html"), QByteArray("sites/one/Rotation_1/index.html"));
    EXPECT_EQ(read("www/one/thumbs/pic_thb.jpg"), QByteArray("sites/one/Rotation_1/thumbs/pic_thb.jpg"));
    // Site 2 starts at 2, whose folder lacks the base page: rotation 3 goes live.
    EXPECT_EQ(liveFiles("two/live"), (QStringList{"index.html", "page2.htm", "pic.jpg", "thumbs/pic_thb.jpg"}));
    EXPECT_EQ(read("www/two/live/index.html"), QByteArray("sites/two/rotation_3/index.html"));
    EXPECT_EQ(position("Site_1"), 2);
    EXPECT_EQ(position("Site_2"), 4);
    const QStringList firstLog{"* Gallery One sucessfully updated to rotation 1",
                               "* Gallery Two sucessfully updated to rotation 3",
                               "! Skipping site, Draft, which does not have autorotation enabled!"};
    EXPECT_EQ(unstamped(read("log.txt")), firstLog);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\* \\S.* - Gallery One")).match(QString::fromUtf8(read("log.txt"))).hasMatch());

    EXPECT_EQ(runRotate(), QByteArray());

    // The replaced files keep backups; the live files are the next rotation's.
    EXPECT_EQ(liveFiles("one"), (QStringList{"index.html", "index.~htm", "page2.htm", "page2.~ht", "pic.jpg", "pic.~jp",
                                             "thumbs/pic_thb.jpg", "thumbs/pic_thb.~jp"}));
    EXPECT_EQ(read("www/one/index.html"), QByteArray("sites/one/Rotation_2/index.html"));
    EXPECT_EQ(read("www/one/index.~htm"), QByteArray("sites/one/Rotation_1/index.html"));
    EXPECT_EQ(read("www/one/thumbs/pic_thb.~jp"), QByteArray("sites/one/Rotation_1/thumbs/pic_thb.jpg"));
    // Position 4 is past the count: the search starts again at 1, kept elsewhere.
    EXPECT_EQ(read("www/two/live/index.html"), QByteArray("elsewhere/two-first/index.html"));
    EXPECT_EQ(read("www/two/live/index.~htm"), QByteArray("sites/two/rotation_3/index.html"));
    EXPECT_EQ(position("Site_1"), 3);
    EXPECT_EQ(position("Site_2"), 2);
    EXPECT_EQ(unstamped(read("log.txt")), (QStringList{"* Gallery One sucessfully updated to rotation 2",
                                                       "* Gallery Two sucessfully updated to rotation 1",
                                                       "! Skipping site, Draft, which does not have autorotation enabled!"}));

    // Unattended runs never write the options; only the positions changed in the site files.
    EXPECT_EQ(read("options.ini"), options);
    EXPECT_EQ(read("sites.ini"), QByteArray("[Sites]\r\nSite_1=Gallery One\r\nSite_2=Gallery Two\r\nSite_3=Draft\r\n"));
    EXPECT_TRUE(read("Site_1.ini").endsWith("RotationCount=3\r\n[Rotation_1]\r\nStatus=2\r\n"
                                            "Rotation_Path=%/sites/one/Rotation_1/\r\n"));

    const QList<SmtpSink::Mail> mails = sink.mails(2);
    ASSERT_EQ(mails.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(mails[i].sender, QString("rotation@example.org"));
        EXPECT_EQ(mails[i].recipients, QStringList{"admin@example.org"});
        const QString data = QString::fromUtf8(mails[i].data);
        EXPECT_TRUE(data.startsWith("From: Turnfold<rotation@example.org>\r\nTo: Site Admin <admin@example.org>\r\n"
                                    "Subject: Turnfold Rotation Log for "))
            << data.toStdString();
        EXPECT_TRUE(data.contains("\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n\r\n* ")) << data.toStdString();
        EXPECT_TRUE(data.contains(QStringLiteral(" - Gallery One sucessfully updated to rotation %1\r\n").arg(i + 1)));
        EXPECT_TRUE(data.endsWith(" - Skipping site, Draft, which does not have autorotation enabled!\r\n"));
    }
}

TEST_F(TurnfoldRun, ASecondScheduledRunWhileTheFirstIsBusyOnlyHandsOver)
{
    // The first run's mail server never greets: the run stays busy until the server goes.
    ScriptedSmtpServer silentServer({ScriptedSmtpServer::silent()});
    prog.write("options.ini", QByteArray(options).replace("MailPort=" + QByteArray::number(sink.port()),
                                                          "MailPort=" + QByteArray::number(silentServer.port())));
    QProcess first;
    startScheduled(first, prog.file("Turnfold"));
    QElapsedTimer timer;
    timer.start();
    while (!silentServer.clientConnected() && timer.elapsed() < 30000)
        QThread::msleep(20);
    ASSERT_TRUE(silentServer.clientConnected());

    timer.restart();
    EXPECT_EQ(runRotate(), QByteArray());  // ends at once, with status 0 and nothing printed
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(first.state(), QProcess::Running);

    silentServer.stop();
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 1);  // its mail never went out
    EXPECT_EQ(position("Site_1"), 2);
    EXPECT_EQ(position("Site_2"), 4);
    const QStringList log = unstamped(read("log.txt"));
    EXPECT_EQ(log.mid(0, 3), (QStringList{"* Gallery One sucessfully updated to rotation 1",
                                          "* Gallery Two sucessfully updated to rotation 3",
                                          "! Skipping site, Draft, which does not have autorotation enabled!"}));
    EXPECT_EQ(log.filter("sucessfully updated").size(), 2);
}

QStringList everything(const QString& folder)
{
    QStringList found;
    const QDir root(folder);
    for (const QString& name : root.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        found << name;
        if (QFileInfo(folder + "/" + name).isDir())
            for (const QString& inner : everything(folder + "/" + name))
                found << name + "/" + inner;
    }
    return found;
}

TEST_F(TurnfoldRun, AFullProgramFolderKeepsTheSiteFileAndTheLogAndExitsWithOne)
{
    for (const bool realDisk : {true, false}) {
        SmallFileSystem disk(QFileInfo(QStringLiteral(TURNFOLD_EXE)).size() + 4 * 1024 * 1024);
        if (realDisk && !disk.mounted()) {
            std::printf("[ SKIPPED  ] a real full disk: %s (the file size limit stands in)\n", qPrintable(disk.reason()));
            continue;
        }
        const QString folder = realDisk ? disk.path() : prog.mkdir("limited") + "/";
        ASSERT_TRUE(copyProgram(folder));
        const QByteArray sites = "[Sites]\r\nSite_1=Gallery One\r\n";
        const QByteArray site1 = "[General]\r\nName=Gallery One\r\nPath=" + prog.file("sites/one/").toUtf8()
                                 + "\r\nLivePath=" + www("full").toUtf8()
                                 + "\r\nAutoRotate=True\r\nCurrentRotationPosition=1\r\nBaseHTMLName=index.html\r\nRotationCount=3\r\n";
        const QByteArray oldLog = "! an earlier run's log\r\n";
        writeAll(folder + "sites.ini", sites);
        writeAll(folder + "Site_1.ini", site1);
        writeAll(folder + "log.txt", oldLog);
        writeAll(folder + "options.ini", QByteArray(options).replace(prog.file("log.txt").toUtf8(), (folder + "log.txt").toUtf8()));
        const QString reason = realDisk ? "No space left on device" : "File too large";
        QByteArray err;
        if (realDisk) {
            ASSERT_TRUE(disk.fill());
            err = runRotate(1, folder);
        } else {
            // Every file Turnfold writes is limited to 150 bytes: the live pages pass, the settings do not.
            err = runRotate(1, folder, [] {
                rlimit small{150, 150};
                ::setrlimit(RLIMIT_FSIZE, &small);
            });
        }
        EXPECT_EQ(readAll(folder + "Site_1.ini"), site1) << reason.toStdString();
        EXPECT_EQ(readAll(folder + "log.txt"), oldLog) << reason.toStdString();
        EXPECT_EQ(readAll(folder + "sites.ini"), sites) << reason.toStdString();
        EXPECT_EQ(read("www/full/index.html"), QByteArray("sites/one/Rotation_1/index.html"));
        for (const QString& name : everything(folder))
            EXPECT_FALSE(name.startsWith(".~staged.")) << name.toStdString();
        EXPECT_EQ(QString::fromLocal8Bit(err), "Turnfold: Error saving your log to " + folder + "log.txt: Cannot write "
                                                   + folder + "log.txt: " + reason + "\n");
        const QList<SmtpSink::Mail> mails = sink.mails(realDisk ? 1 : 2);
        ASSERT_FALSE(mails.isEmpty());
        EXPECT_TRUE(mails.last().data.contains(" - Could not store the next rotation, 2, for site, Gallery One! Cannot write "
                                               + (folder + "Site_1.ini: " + reason).toUtf8() + "\r\n"))
            << mails.last().data.toStdString();
        EXPECT_TRUE(mails.last().data.contains(" - Gallery One sucessfully updated to rotation 1\r\n"));
    }
}

TEST_F(TurnfoldRun, BrokenLinksAreLeftOutAndLinksOutOfTheRotationAreNotPublished)
{
    const QString one = prog.file("sites/one/Rotation_1/");
    ASSERT_TRUE(QFile::link(one + "gone.jpg", one + "dangling.jpg"));
    ASSERT_TRUE(QFile::link(one + "loop2", one + "loop1"));
    ASSERT_TRUE(QFile::link(one + "loop1", one + "loop2"));
    prog.write("private/secret.txt", "not for the web");
    const QString three = prog.file("sites/two/rotation_3/");
    ASSERT_TRUE(QDir(three + "thumbs").removeRecursively());
    ASSERT_TRUE(QFile::link(prog.file("private"), three + "thumbs"));

    EXPECT_EQ(runRotate(1), QByteArray());
    EXPECT_EQ(liveFiles("one"), (QStringList{"index.html", "page2.htm", "pic.jpg", "thumbs/pic_thb.jpg"}));
    EXPECT_EQ(liveFiles("two/live"), (QStringList{"index.html", "page2.htm", "pic.jpg"}));
    EXPECT_FALSE(QFileInfo::exists(www("two/live/thumbs")));
    EXPECT_EQ(unstamped(read("log.txt")),
              (QStringList{"* Gallery One sucessfully updated to rotation 1",
                           "! The link, " + three + "thumbs, leads outside the rotation and was not copied for site, Gallery Two!",
                           "! Skipping site, Draft, which does not have autorotation enabled!"}));
    EXPECT_EQ(position("Site_2"), 4);
}

TEST_F(TurnfoldRun, LiveFoldersThatMustNeverBeWrittenAreRefusedWithOneLineEach)
{
    const QString page = QStringLiteral("guard-%1.html").arg(::getpid());
    QString parent = prog.path();
    parent.chop(1);
    parent = QFileInfo(parent).path();
    // Live folders, and where one is fine, a live thumbnail folder that is not.
    ASSERT_TRUE(QFile::link(prog.file("sites/g/rotation_1"), prog.file("link")));
    prog.mkdir("www/ok");
    ASSERT_TRUE(QFile::link(prog.path(), prog.file("www/ok/thumbs")));
    const QStringList forbidden{prog.path(), "/", QDir::homePath(), prog.file("sites/g/rotation_1"),
                                prog.file("sites/g/./rotation_1/"), prog.file("link"),
                                prog.file("sites/g/rotation_1/thumbs/"), parent, "%/", prog.file("www/ok")};
    QByteArray sites = "[Sites]\r\n";
    for (int i = 0; i < forbidden.size(); ++i) {
        const QString key = QStringLiteral("Site_%1").arg(i + 1);
        sites += key.toUtf8() + "=Guard " + QByteArray::number(i + 1) + "\r\n";
        write(key + ".ini", "[General]\r\nName=Guard " + QString::number(i + 1) + "\r\nPath=%/sites/g/\r\nLivePath="
                                + forbidden[i] + "\r\nAutoRotate=True\r\nRotationCount=1\r\nBaseHTMLName=" + page + "\r\n");
    }
    write("sites.ini", QString::fromUtf8(sites));
    prog.write("sites/g/rotation_1/" + page, "guarded page");
    prog.write("sites/g/rotation_1/thumbs/" + page, "guarded thumbnail");
    QStringList settings;
    for (const QString& name : QDir(prog.path()).entryList({"*.ini"}, QDir::Files, QDir::Name))
        settings << name + ":" + QString::fromUtf8(read(name));

    EXPECT_EQ(runRotate(1), QByteArray());
    QStringList expected;
    for (int i = 0; i < forbidden.size(); ++i) {
        QString shown = forbidden[i].endsWith('/') ? forbidden[i] : forbidden[i] + "/";
        shown.replace("%/", prog.path());
        if (shown.endsWith("www/ok/"))
            shown += "thumbs/";
        expected << QStringLiteral("! Refusing to rotate the site, Guard %1, into the folder, %2, which must never be written!")
                        .arg(i + 1)
                        .arg(shown);
    }
    EXPECT_EQ(unstamped(read("log.txt")), expected);
    QStringList after;
    for (const QString& name : QDir(prog.path()).entryList({"*.ini"}, QDir::Files, QDir::Name))
        after << name + ":" + QString::fromUtf8(read(name));
    EXPECT_EQ(after, settings);
    for (const QString& folder : {prog.path(), QString("/"), QDir::homePath() + "/", parent + "/"}) {
        if (QFileInfo::exists(folder + page)) {
            ADD_FAILURE() << "wrote into " << folder.toStdString();
            QFile::remove(folder + page);
        }
    }
    EXPECT_EQ(everything(prog.file("sites/g/rotation_1")), (QStringList{page, "thumbs", "thumbs/" + page}));
}

TEST_F(TurnfoldRun, HostileSiteKeysReachNoFileAndNamesWithLineEndsForgeNoLines)
{
    const QString outsideName = QFileInfo(prog.path().chopped(1)).fileName() + "-outside";
    const QString outside = QFileInfo(prog.path().chopped(1)).path() + "/" + outsideName + ".ini";
    const QByteArray outsideText = "[General]\r\nName=Outside\r\nPath=%/sites/one/\r\nLivePath=" + www("evil").toUtf8()
                                   + "\r\nAutoRotate=True\r\nRotationCount=1\r\n";
    writeAll(outside, outsideText);
    write("sites.ini", "[Sites]\r\n../" + outsideName + "=Evil\r\nSite_1=Gallery One\r\n");
    prog.write("private/x", "private");
    const QString one = prog.file("sites/one/Rotation_1/");
    ASSERT_TRUE(QFile::link(prog.file("private/x"), one + "a\n! 01-01-70 00:00:00 - forged.jpg"));

    EXPECT_EQ(runRotate(1), QByteArray());
    EXPECT_EQ(readAll(outside), outsideText);
    QFile::remove(outside);
    EXPECT_FALSE(QFileInfo::exists(www("evil")));
    EXPECT_EQ(unstamped(read("log.txt")),
              (QStringList{"! Skipping site, Name Error, which does not have autorotation enabled!",
                           "! The link, " + one + "a?! 01-01-70 00:00:00 - forged.jpg, leads outside the rotation and was "
                                                  "not copied for site, Gallery One!"}));
    const QList<SmtpSink::Mail> mails = sink.mails(1);
    ASSERT_EQ(mails.size(), 1);
    EXPECT_TRUE(mails[0].data.contains("- The link, " + one.toUtf8() + "a?! 01-01-70 00:00:00 - forged.jpg, leads"));
}

TEST_F(TurnfoldRun, RelativeFoldersAreTheProgramFoldersWhicheverFolderItStartsIn)
{
    // Started from a folder that holds a site of the same names: that one must stay untouched.
    TempFolder cronHome;
    cronHome.write("sites/alpha/first/index.html", "the working folder's copy");
    workingFolder = cronHome.path();
    write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
    write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=sites/alpha/\r\nLivePath=www/alpha\r\nAutoRotate=True\r\n"
                        "CurrentRotationPosition=1\r\nBaseHTMLName=index.html\r\nRotationCount=2\r\n"
                        "[Rotation_1]\r\nRotation_Path=sites/alpha/first/\r\n");
    rotation("sites/alpha/first", true);
    rotation("sites/alpha/rotation_2", true);

    EXPECT_EQ(runRotate(), QByteArray());
    EXPECT_EQ(read("www/alpha/index.html"), QByteArray("sites/alpha/first/index.html"));
    EXPECT_EQ(read("www/alpha/thumbs/pic_thb.jpg"), QByteArray("sites/alpha/first/thumbs/pic_thb.jpg"));
    EXPECT_EQ(everything(cronHome.path()), (QStringList{"sites", "sites/alpha", "sites/alpha/first", "sites/alpha/first/index.html"}));
    EXPECT_EQ(position("Site_1"), 2);

    EXPECT_EQ(runRotate(), QByteArray());
    EXPECT_EQ(read("www/alpha/index.html"), QByteArray("sites/alpha/rotation_2/index.html"));
    EXPECT_EQ(unstamped(read("log.txt")), QStringList{"* Alpha sucessfully updated to rotation 2"});
}

// Waits until Turnfold has a temporary file in the live folder (open without a name, or named with
// the staging prefix), then kills it. False when it ended first.
bool killOnceStaged(QProcess& turnfold, const QString& live, bool waitForAName)
{
    const QString fds = QStringLiteral("/proc/%1/fd/").arg(turnfold.processId());
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        bool staged = false;
        if (waitForAName) {
            for (const QString& name : QDir(live).entryList(QDir::Files | QDir::Hidden))
                staged = staged || name.startsWith(".~staged.");
        } else {
            for (const QString& fd : QDir(fds).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
                const QString target = QFile::symLinkTarget(fds + fd);
                staged = staged || (target.startsWith(live) && (target.contains(" (deleted)") || target.contains(".~staged.")));
            }
        }
        if (staged) {
            ::kill(pid_t(turnfold.processId()), SIGKILL);
            return true;
        }
        if (turnfold.state() == QProcess::NotRunning || turnfold.waitForFinished(0))
            return false;
        ::usleep(100);
    }
    return false;
}

TEST_F(TurnfoldRun, AKilledRunLeavesNothingBehindOnceTheNextRunIsDone)
{
    write("sites.ini", "[Sites]\r\nSite_1=Gallery One\r\n");
    prog.write("options.ini", QByteArray(options).replace("CreateBackups=True", "CreateBackups=False"));
    const QString source = prog.file("sites/one/Rotation_1/");
    for (const char* big : {"big1.jpg", "big2.jpg"})
        prog.write(QString("sites/one/Rotation_1/") + big, QByteArray(40 * 1024 * 1024, big[3]));
    const QStringList rotationFiles{"big1.jpg", "big2.jpg", "index.html", "page2.htm", "pic.jpg", "thumbs", "thumbs/pic_thb.jpg"};
    const QString live = www("one") + "/";
    for (const bool named : {false, true}) {
        prog.write("www/one/big1.jpg", "the old big picture");
        prog.write("www/one/index.html", "the old page");
        QProcess turnfold;
        startScheduled(turnfold, prog.file("Turnfold"));
        ASSERT_TRUE(killOnceStaged(turnfold, live, named)) << "Turnfold ended before it could be killed";
        ASSERT_TRUE(turnfold.waitForFinished(10000));
        EXPECT_EQ(turnfold.exitStatus(), QProcess::CrashExit);
        // Under the live names only whole files: the old ones or the new ones.
        for (const QString& name : everything(live)) {
            if (name.startsWith(".~staged.") || name.startsWith("thumbs/.~staged.") || QFileInfo(live + name).isDir())
                continue;
            const QByteArray content = readAll(live + name);
            EXPECT_TRUE(content == readAll(source + name) || content == "the old big picture" || content == "the old page")
                << name.toStdString() << (named ? " (named)" : "");
        }
        EXPECT_EQ(position("Site_1"), 1);

        prog.write(".~staged.k1ll3d", "what a killed write left among the settings");
        runRotate(0);
        EXPECT_FALSE(prog.exists(".~staged.k1ll3d"));
        EXPECT_EQ(everything(live), rotationFiles) << (named ? "named" : "unnamed");
        for (const QString& name : rotationFiles) {
            if (!name.endsWith("thumbs")) {
                EXPECT_TRUE(readAll(live + name) == readAll(source + name)) << name.toStdString();
            }
        }
        EXPECT_EQ(position("Site_1"), 2);
        write("Site_1.ini", QString::fromUtf8(read("Site_1.ini")).replace("CurrentRotationPosition=2", "CurrentRotationPosition=1"));
    }
}

// A file that is there but cannot be read, as the scheduler's run meets it.
TEST_F(TurnfoldRun, AFolderInPlaceOfASiteFileIsAnErrorLineAndTheOtherSiteStillRotates)
{
    QFile::remove(prog.file("Site_1.ini"));
    prog.mkdir("Site_1.ini");
    EXPECT_EQ(runRotate(1), QByteArray());
    EXPECT_EQ(unstamped(read("log.txt")), (QStringList{"! Cannot read " + prog.file("Site_1.ini") + ": Is a directory",
                                                       "* Gallery Two sucessfully updated to rotation 3",
                                                       "! Skipping site, Draft, which does not have autorotation enabled!"}));
    EXPECT_EQ(read("www/two/live/index.html"), QByteArray("sites/two/rotation_3/index.html"));
    EXPECT_FALSE(QFileInfo::exists(www("one")));
    EXPECT_TRUE(sink.mails(1).value(0).data.contains(" - Cannot read " + prog.file("Site_1.ini").toUtf8() + ": Is a directory\r\n"));
}

TEST_F(TurnfoldRun, ADisplayThatCannotBeOpenedStillRotates)
{
    // Display numbers with no server behind them, as a stale crontab or a closed session leaves them.
    int free = 90;
    while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(free)))
        ++free;
    const QList<QList<std::pair<QString, QString>>> displays = {
        {{"DISPLAY", QStringLiteral(":%1").arg(free)}},
        {{"WAYLAND_DISPLAY", "wayland-stale-" + QString::number(::getpid())}},
        {{"DISPLAY", QStringLiteral(":%1").arg(free)}, {"QT_QPA_PLATFORM", "xcb"}},
    };
    int run = 0;
    for (const auto& display : displays) {
        QProcess turnfold;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        for (const auto& [name, value] : display)
            env.insert(name, value);
        turnfold.setProcessEnvironment(env);
        turnfold.setWorkingDirectory(QDir::rootPath());
        turnfold.start(prog.file("Turnfold"), {"/Rotate"});
        ASSERT_TRUE(turnfold.waitForFinished(60000)) << display.first().second.toStdString();
        EXPECT_EQ(turnfold.exitStatus(), QProcess::NormalExit) << display.first().second.toStdString();
        EXPECT_EQ(turnfold.exitCode(), 0) << display.first().second.toStdString();
        EXPECT_EQ(turnfold.readAllStandardError(), QByteArray()) << display.first().second.toStdString();
        ++run;
        EXPECT_EQ(position("Site_1"), 1 + run) << display.first().second.toStdString();
    }
}

TEST_F(TurnfoldRun, AScheduledRunWhileAWindowIsOpenSaysSoAndEndsWithOne)
{
    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(env);
    window.start(prog.file("Turnfold"), {});
    ASSERT_TRUE(window.waitForStarted(10000));
    const QByteArray guard = instanceGuardName(prog.path(), "Turnfold").name;
    const QDeadlineTimer ready(20000);
    while (!abstractNameTaken(guard) && !ready.hasExpired())
        QThread::msleep(20);
    ASSERT_TRUE(abstractNameTaken(guard)) << "the window's copy never took its guard";

    EXPECT_EQ(runRotate(1), QByteArray("Turnfold: a copy is open in a window, so this scheduled rotation was not run.\n"));
    EXPECT_EQ(position("Site_1"), 1);
    EXPECT_FALSE(QFileInfo::exists(www("one")));
    EXPECT_FALSE(prog.exists("log.txt"));
    EXPECT_EQ(window.state(), QProcess::Running);
    window.kill();
    window.waitForFinished(10000);
}

// The edges a new user meets from cron, each with what a run (or several at once) shows.
class SchedulerEdges;
struct SchedulerEdge {
    const char* name;
    std::function<void(SchedulerEdges&)> prepare;
    int starts;         // copies started at once
    int exit;           // the status of each
    const char* error;  // what each prints; "%1" is the program folder
    const char* logFile;
    QStringList log;    // its lines without their stamps; "%1" is the program folder
    std::function<void(SchedulerEdges&)> check = [](SchedulerEdges&) {};
};

class SchedulerEdges : public TurnfoldRun, public ::testing::WithParamInterface<SchedulerEdge> {
public:
    using TurnfoldRun::options, TurnfoldRun::prog, TurnfoldRun::read, TurnfoldRun::sink, TurnfoldRun::write;

    ~SchedulerEdges() override { ::close(silentX); }

    // A display that takes connections and never answers: a local X socket nobody accepts on.
    QString silentDisplay()
    {
        silentX = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        for (int n = 700 + ::getpid() % 2000;; ++n) {
            const QByteArray name = "/tmp/.X11-unix/X" + QByteArray::number(n);
            sockaddr_un a;
            if (!QFileInfo::exists(name) && ::bind(silentX, reinterpret_cast<sockaddr*>(&a), abstractAddress('\0' + name, a)) == 0)
                return ::listen(silentX, 8) == 0 ? ":" + QString::number(n) : QString();
        }
    }
    // An X server that takes only clients with the cookie of "cookie.auth" and logs each one.
    QString cookieDisplay()
    {
        // An entry for any address and display: family, address, number, name and cookie.
        prog.write("cookie.auth", QByteArray("\xff\xff\0\0\0\0\0\x12" "MIT-MAGIC-COOKIE-1" "\0\x10" "0123456789abcdef", 44));
        xserver.start("Xvfb", {"-displayfd", "1", "-auth", prog.file("cookie.auth"), "-nolisten", "tcp", "-audit", "4"});
        while (!xserver.canReadLine() && xserver.waitForReadyRead(20000)) {}
        return ":" + QString::fromLatin1(xserver.readLine().trimmed());
    }
    QList<std::pair<QString, QString>> display;
    int silentX = -1;
    QProcess xserver;  // ends with the test
};

TEST_P(SchedulerEdges, ShowInTheStatusTheLogAndWhatTheRunPrints)
{
    const SchedulerEdge& edge = GetParam();
    edge.prepare(*this);
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < edge.starts; ++i)
        startScheduled(*runs.emplace_back(std::make_unique<QProcess>()), prog.file("Turnfold"), {}, QDir::rootPath(), display);
    for (const auto& run : runs) {
        ASSERT_TRUE(run->waitForFinished(60000)) << "Turnfold did not end by itself";
        EXPECT_EQ(run->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run->exitCode(), edge.exit);
        EXPECT_EQ(QString::fromLocal8Bit(run->readAllStandardError()), QString(edge.error).arg(prog.path()));
    }
    QStringList log = edge.log;
    EXPECT_EQ(unstamped(read(edge.logFile)), log.replaceInStrings("%1", prog.path()));
    edge.check(*this);
}

const QStringList rotatedLog{"* Gallery One sucessfully updated to rotation 1", "* Gallery Two sucessfully updated to rotation 3",
                             "! Skipping site, Draft, which does not have autorotation enabled!"};

const SchedulerEdge schedulerEdges[] = {
    {"QuotedSenderAndBodyNotAscii",
     [](SchedulerEdges& t) {
         t.prog.write("options.ini", QByteArray(t.options).replace("rotation@", "\"Rotation, Web\" <rot@").replace("\r\nMailTo", ">\r\nMailTo"));
         t.write("Site_1.ini", QString::fromUtf8(t.read("Site_1.ini")).replace("Name=Gallery One", "Name=\u00c9t\u00e9"));
     },
     1, 0, "", "log.txt", {"* \u00c9t\u00e9 sucessfully updated to rotation 1", rotatedLog[1], rotatedLog[2]},
     [](SchedulerEdges& t) {
         const SmtpSink::Mail mail = t.sink.mails(1).value(0);
         EXPECT_EQ(mail.sender, QString("rot@example.org"));
         EXPECT_EQ(mail.parsed["from"], QJsonArray({QJsonArray{"Rotation, Web", "rot@example.org"}}));
         EXPECT_EQ(mail.parsed["transferEncoding"], QString("quoted-printable"));
         EXPECT_TRUE(mail.parsed["sevenBit"].toBool());
         EXPECT_TRUE(mail.parsed["text"].toString().contains(" - \u00c9t\u00e9 sucessfully updated to rotation 1\r\n"));
     }},
    {"ADisplayThatNeverAnswersHoldsUpNoRun", [](SchedulerEdges& t) { t.display = {{"DISPLAY", t.silentDisplay()}}; },
     2, 0, "", "log.txt", rotatedLog},
    {"ADisplayThatRefusesUsPrintsNothing",
     [](SchedulerEdges& t) { t.display = {{"DISPLAY", t.cookieDisplay()}, {"XAUTHORITY", t.prog.file("none")}}; },
     1, 0, "", "log.txt", rotatedLog},
    {"ADisplayThatTakesUsShowsTheWindow",
     [](SchedulerEdges& t) { t.display = {{"DISPLAY", t.cookieDisplay()}, {"XAUTHORITY", t.prog.file("cookie.auth")}}; },
     1, 0, "", "log.txt", rotatedLog,
     [](SchedulerEdges& t) {
         t.xserver.waitForReadyRead(500);  // takes in what the server logged meanwhile
         EXPECT_EQ(t.xserver.readAllStandardError().count(" connected from local host "), 2);  // the look, the window
     }},
    {"ADanglingSiteList",
     [](SchedulerEdges& t) { QFile::remove(t.prog.file("sites.ini")), QFile::link(t.prog.file("gone"), t.prog.file("sites.ini")); },
     1, 1, "", "log.txt", {"! Cannot read %1sites.ini: No such file or directory"}},
    {"AnUnreadableOptionsFile", [](SchedulerEdges& t) { QFile::remove(t.prog.file("options.ini")), t.prog.mkdir("options.ini"); },
     1, 1, "Turnfold: Cannot read %1options.ini: Is a directory\n", "log.txt",
     {"! Cannot read %1options.ini: Is a directory", rotatedLog[2]}},
    {"ALogFileNameBeginningWithPercent",
     [](SchedulerEdges& t) { t.prog.write("options.ini", QByteArray(t.options).replace(t.prog.file("log.txt").toUtf8(), "%log4.txt")); },
     1, 0, "", "%log4.txt", rotatedLog,
     [](SchedulerEdges& t) { EXPECT_EQ(everything(t.prog.path()).filter("log"), QStringList{"%log4.txt"}); }},
};

INSTANTIATE_TEST_SUITE_P(Cron, SchedulerEdges, ::testing::ValuesIn(schedulerEdges),
                         [](const ::testing::TestParamInfo<SchedulerEdge>& info) { return std::string(info.param.name); });

// A name server that takes every question and never answers, on port 53 of a loopback address.
class SilentNameServer {
public:
    SilentNameServer()
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        ::inet_pton(AF_INET, address_, &address.sin_addr);
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~SilentNameServer() { ::close(fd_); }
    bool bound() const { return bound_; }
    QByteArray resolvConf() const { return QByteArray("nameserver ") + address_ + "\noptions timeout:30 attempts:5\n"; }

private:
    const char* address_ = "127.0.0.153";
    int fd_ = -1;
    bool bound_ = false;
};

// In the child: its own view of the files, in which the name server is the silent one.
bool useResolvConf(const QByteArray& file)
{
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
           && ::mount(file.constData(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0;
}

TEST_F(TurnfoldRun, AMailServerWhoseNameIsNeverAnsweredCostsNoMoreThanTheConnectLimit)
{
    SilentNameServer names;
    const QByteArray conf = platform::encodeFileName(prog.write("resolv.conf", names.resolvConf()));
    const pid_t probe = ::fork();
    if (probe == 0)
        ::_exit(useResolvConf(conf) ? 0 : 1);
    int status = -1;
    ::waitpid(probe, &status, 0);
    if (!names.bound() || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        GTEST_SKIP() << "needs root to serve port 53 and to give a process its own resolv.conf";

    prog.write("options.ini", QByteArray(options).replace("MailHost=127.0.0.1", "MailHost=mail.example.org"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(runRotate(1, QString(), [conf] {
                  if (!useResolvConf(conf))
                      ::_exit(97);
              }),
              QByteArray());
    // The lookup alone would take minutes; the connect limit of 30 s ends it, and the run.
    EXPECT_GE(clock.elapsed(), 29000);
    EXPECT_LT(clock.elapsed(), 45000);
    const QStringList log = unstamped(read("log.txt"));
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{"! E-mail posting of Log encountered an error; Invalid Host!",
                                                    "! E-mail posting of Log failed!"}));
    EXPECT_EQ(position("Site_1"), 2);
}

} // namespace
