// Runs the real Turnfold the way cron does: "/Rotate", no display, a program folder of its own.
#include "scriptedsmtpserver.h"
#include "smtpsink.h"
#include "tempfolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

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

    // Starts a scheduled run.
    void startRotate(QProcess& turnfold)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        turnfold.setProcessEnvironment(env);
        turnfold.setWorkingDirectory(QDir::rootPath());  // cron's working folder is not the program's
        turnfold.start(prog.file("Turnfold"), {"/Rotate"});
        EXPECT_TRUE(turnfold.waitForStarted(10000));
    }

    // One scheduled run; gives its standard error.
    QByteArray runRotate()
    {
        QProcess turnfold;
        startRotate(turnfold);
        EXPECT_TRUE(turnfold.waitForFinished(60000)) << "Turnfold did not end by itself";
        EXPECT_EQ(turnfold.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(turnfold.exitCode(), 0);
        return turnfold.readAllStandardError();
    }

    SmtpSink sink;
    TempFolder prog;
    QByteArray options;
};

// The log lines without their time stamps, which are the locale's.
QStringList unstamped(const QByteArray& log)
{
    static const QRegularExpression stamp(QStringLiteral("^([!*]) .* - "));
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
    startRotate(first);
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
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(position("Site_1"), 2);
    EXPECT_EQ(position("Site_2"), 4);
    const QStringList log = unstamped(read("log.txt"));
    EXPECT_EQ(log.mid(0, 3), (QStringList{"* Gallery One sucessfully updated to rotation 1",
                                          "* Gallery Two sucessfully updated to rotation 3",
                                          "! Skipping site, Draft, which does not have autorotation enabled!"}));
    EXPECT_EQ(log.filter("sucessfully updated").size(), 2);
}

} // namespace
