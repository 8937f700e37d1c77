// The rotation run without any window: what the stored options decide.
#include "scriptedsmtpserver.h"
#include "tests/rotation/engine/enginerig.h"
#include "rotation/engine/rotationoptions.h"
#include "rotation/engine/rotationrun.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(RotationRun, TheStoredOptionsDecideLogMailAndVerdict)
{
    const QByteArray updated = "* T - Site_1 sucessfully updated to rotation 1\r\n";
    const QByteArray notFound = "! T - A valid rotation could not be found for the site, Site_1\r\n";
    const QByteArray noErrors = "Your site update completed without error!\r\n";
    const struct {
        const char* what;
        QByteArray options;
        bool errors;  // Site_1 has no valid rotation
        std::optional<QByteArray> logFile;
        bool mailed;
        RunVerdict verdict;
    } cases[] = {
        {"defaults: errors only logged, no mail", "", false, noErrors, false, {}},
        {"every line logged, always mailed", "LogOnlyErrors=False\r\nEmailLog=True\r\nEmailOnlyErrors=False\r\n", false,
         updated, true, {}},
        {"mail for errors, none", "EmailLog=True\r\n", false, noErrors, false, {}},
        {"mail for errors, one", "EmailLog=True\r\n", true, notFound, true, {1, false, false}},
        {"no log file", "Logging=False\r\nEmailLog=True\r\nEmailOnlyErrors=False\r\n", false, std::nullopt, true, {}},
        {"log cannot be saved", "LogFileName=%p/sites.ini/log.txt\r\n", false, std::nullopt, false, {0, true, false}},
        {"mail fails", "EmailLog=True\r\nEmailOnlyErrors=False\r\nMailPort=%u\r\n", false,
         noErrors + "! T - E-mail posting of Log encountered a Connection Failure!\r\n"
                    "! T - E-mail posting of Log failed!\r\n",
         false, {0, false, true}},
    };
    for (const auto& c : cases) {
        ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
        Rig rig;
        rig.run.mailer().setTimeouts({2000, 500});
        rig.f.siteList({"Site_1=One"});
        rig.f.autoSite("Site_1", 1, 1);
        if (!c.errors)
            rig.valid("Site_1", 1);
        // The case's keys come first: of two equal keys the first counts.
        QByteArray options = "[Options]\r\n" + c.options + "MailHost=127.0.0.1\r\nMailTo=a@example.org\r\n"
                             "MailFrom=b@example.org\r\nMailPort=" + QByteArray::number(server.port()) + "\r\n";
        options.replace("%p", rig.f.prog.path().chopped(1).toUtf8());
        options.replace("%u", QByteArray::number(unusedLoopbackPort()));
        rig.f.prog.write("options.ini", options);

        const RotationOptions stored = loadRotationOptions(rig.f.prog.path());
        FakeHooks hooks;
        rig.run.rotateAll(rig.run.storedSites(), stored, hooks);
        const RunVerdict verdict = rig.run.finishUnattended(stored);
        server.stop();

        if (c.logFile)
            EXPECT_EQ(rig.f.prog.read("log.txt"), *c.logFile) << c.what;
        else
            EXPECT_FALSE(rig.f.prog.exists("log.txt")) << c.what;
        EXPECT_EQ(server.clientConnected(), c.mailed) << c.what;
        EXPECT_EQ(verdict.failedSites, c.verdict.failedSites) << c.what;
        EXPECT_EQ(verdict.logSaveFailed, c.verdict.logSaveFailed) << c.what;
        EXPECT_EQ(verdict.mailFailed, c.verdict.mailFailed) << c.what;
        EXPECT_EQ(verdict.exitCode(), c.verdict.failedSites || c.verdict.logSaveFailed || c.verdict.mailFailed ? 1 : 0)
            << c.what;
        EXPECT_EQ(rig.f.prog.read("options.ini"), options) << c.what;  // an unattended run never writes them
    }
}

TEST(RotationRun, OneSiteTakesBackupsFromTheOptionsOnAFreshLog)
{
    Rig rig;
    rig.f.autoSite("Site_1", 2, 1);
    rig.valid("Site_1", 1);
    rig.valid("Site_1", 2);
    RotationOptions options = Rig::everyLine();
    rig.log.addPlain("from an earlier site");
    EXPECT_TRUE(rig.run.rotateSite(rig.load("Site_1"), options).succeeded());
    EXPECT_EQ(rig.log.lines(), QStringList{"* T - Site_1 sucessfully updated to rotation 1"});

    options.CreateBackups = true;
    options.LogOnlyErrors = true;
    EXPECT_TRUE(rig.run.rotateSite(rig.load("Site_1"), options).succeeded());
    EXPECT_EQ(rig.log.lines(), QStringList{});
    EXPECT_EQ(rig.f.tree("live/Site_1"), (QStringList{"a.jpg", "a.~jp", "index.html", "index.~htm"}));
    EXPECT_EQ(rig.f.prog.read("live/Site_1/index.~htm"), QByteArray("sites/Site_1/Rotation_1/index.html"));
}

} // namespace

namespace {

TEST(RotationRun, SettingsThatCannotBeReadAreErrorsAndTheOtherSitesStillRotate)
{
    const QByteArray rotated = "* T - Site_2 sucessfully updated to rotation 1\r\n";
    const struct {
        const char* what;
        const char* folderInPlace;  // made a folder; empty: every file readable
        QByteArray logFile;
        int failedSites;
        int unreadableFiles;
        int site2Position;  // stored after the run
    } cases[] = {
        {"all readable", "", "* T - Site_1 sucessfully updated to rotation 1\r\n" + rotated, 0, 0, 2},
        {"a site file", "Site_1.ini", "! T - Cannot read %p/Site_1.ini: Is a directory\r\n" + rotated, 1, 0, 2},
        {"the site list", "sites.ini", "! T - Cannot read %p/sites.ini: Is a directory\r\n", 0, 1, 1},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.f.siteList({"Site_1=One", "Site_2=Two"});
        for (const char* key : {"Site_1", "Site_2"}) {
            rig.f.autoSite(key, 1, 1);
            rig.valid(key, 1);
        }
        if (*c.folderInPlace) {
            QFile::remove(rig.f.prog.file(c.folderInPlace));
            rig.f.prog.mkdir(c.folderInPlace);
        }
        rig.f.prog.write("options.ini", "[Options]\r\nLogOnlyErrors=False\r\n");
        const RotationOptions options = loadRotationOptions(rig.f.prog.path());
        FakeHooks hooks;
        rig.run.rotateAll(rig.run.storedSites(), options, hooks);
        const RunVerdict verdict = rig.run.finishUnattended(options);
        EXPECT_EQ(rig.f.prog.read("log.txt"), QByteArray(c.logFile).replace("%p", rig.f.prog.path().chopped(1).toUtf8()))
            << c.what;
        EXPECT_EQ(verdict.failedSites, c.failedSites) << c.what;
        EXPECT_EQ(verdict.unreadableFiles, c.unreadableFiles) << c.what;
        EXPECT_EQ(verdict.exitCode(), c.failedSites + c.unreadableFiles ? 1 : 0) << c.what;
        EXPECT_EQ(rig.stored("Site_2"), c.site2Position) << c.what;
    }
}

TEST(RotationRun, SitesAreRotatedInTheOrderGivenAfterTheLinesOfUnreadableFiles)
{
    Rig rig;
    rig.f.siteList({"Site_1=One", "Site_2=Two", "Site_3=Three"});
    for (const char* key : {"Site_1", "Site_2", "Site_3"}) {
        rig.f.autoSite(key, 1, 1);
        rig.valid(key, 1);
    }
    FakeHooks hooks;
    const RotationInput input{{"Site_3", "Site_1"}, {"Cannot read options.ini: Input/output error"}};
    EXPECT_EQ(rig.run.rotateAll(input, Rig::everyLine(), hooks), 2);
    EXPECT_EQ(hooks.rows, (QList<int>{0, 1}));
    EXPECT_EQ(rig.log.lines(), (QStringList{"! T - Cannot read options.ini: Input/output error",
                                            "* T - Site_3 sucessfully updated to rotation 1",
                                            "* T - Site_1 sucessfully updated to rotation 1"}));
    EXPECT_EQ(rig.stored("Site_2"), 1);  // not listed: not rotated
    EXPECT_EQ(rig.run.tally().unreadableFiles, 1);
}

} // namespace
