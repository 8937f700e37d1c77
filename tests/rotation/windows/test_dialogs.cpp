// The options dialog and the log dialog.
#include "fakes.h"
#include "scriptedsmtpserver.h"
#include "tempfolder.h"
#include "rotation/engine/problemreport.h"
#include "rotation/engine/runlog.h"
#include "components/bitbtn.h"
#include "rotation/windows/log.h"
#include "rotation/windows/rotopt.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Dialogs {
    TempFolder prog;
    FakeServices fakes;
    RunLog log{[] { return QString("T"); }};
    ProblemReport report;
    TdlgRotOpt options;
    TdlgLog logDialog;

    explicit Dialogs(bool unattended = false)
        : report(log, fakes.prompts, unattended)
        , options(log, report, fakes.services)
        , logDialog(log, options, report, prog.path())
    {
        options.mailer().setTimeouts({2000, 500});
    }
};

RotationOptions complete()
{
    RotationOptions o;
    o.MailFrom = "rotation@example.org";
    o.MailTo = "admin@example.org";
    o.MailPort = "25";
    o.MailHost = "127.0.0.1";
    o.LogFileName = "/tmp/log.txt";
    return o;
}

TEST(OptionsDialog, PagesTextsAndRoundTrip)
{
    Dialogs d;
    EXPECT_EQ(d.options.windowTitle(), QString("Rotation Options"));
    EXPECT_EQ(d.options.PageControl1->tabText(0), QString("General"));
    EXPECT_EQ(d.options.PageControl1->tabText(1), QString("E-mail Settings"));
    EXPECT_EQ(d.options.chkcreatebackup->text(), QString("Create *.~* backups of overwritten files"));
    EXPECT_EQ(d.options.edtuserid->toolTip(), QString("User Id:  This can generally be left blank"));
    EXPECT_TRUE(d.options.lblTestmessage->isHidden());
    EXPECT_TRUE(d.options.edtTestmessage->isHidden());

    RotationOptions o = complete();
    o.MailUserID = "me";
    o.LogOnlyErrors = false;
    o.Logging = false;
    o.CreateBackups = true;
    o.EmailLog = true;
    o.EmailOnlyErrors = false;
    d.options.setOptions(o);
    const RotationOptions back = d.options.options();
    EXPECT_EQ(back.MailFrom, o.MailFrom);
    EXPECT_EQ(back.MailTo, o.MailTo);
    EXPECT_EQ(back.MailUserID, o.MailUserID);
    EXPECT_EQ(back.MailPort, o.MailPort);
    EXPECT_EQ(back.MailHost, o.MailHost);
    EXPECT_EQ(back.LogFileName, o.LogFileName);
    EXPECT_EQ(back.LogOnlyErrors, false);
    EXPECT_EQ(back.Logging, false);
    EXPECT_EQ(back.CreateBackups, true);
    EXPECT_EQ(back.EmailLog, true);
    EXPECT_EQ(back.EmailOnlyErrors, false);
    EXPECT_FALSE(d.log.logOnlyErrors());
}

TEST(OptionsDialog, EnablingFollowsTheChecks)
{
    Dialogs d;
    RotationOptions o = complete();
    o.Logging = false;
    o.EmailLog = false;
    d.options.setOptions(o);
    const auto loggingControls = [&d] {
        return QList<bool>{d.options.edtfilename->isEnabled(), d.options.Label11->isEnabled(),
                           d.options.BitBtn3->isEnabled(), d.options.chkonlylogerrors->isEnabled()};
    };
    EXPECT_EQ(loggingControls(), QList<bool>(4, false));
    EXPECT_FALSE(d.options.chkOnlyEmailErrors->isEnabled());
    d.options.chklogging->click();
    d.options.chkEmailLog->click();
    EXPECT_EQ(loggingControls(), QList<bool>(4, true));
    EXPECT_TRUE(d.options.chkOnlyEmailErrors->isEnabled());
    d.options.chkonlylogerrors->setChecked(false);
    EXPECT_FALSE(d.log.logOnlyErrors());
    d.options.chkonlylogerrors->setChecked(true);
    EXPECT_TRUE(d.log.logOnlyErrors());
}

TEST(OptionsDialog, ClosingChecksBothRequirements)
{
    Dialogs d;
    RotationOptions o;
    o.Logging = true;
    o.EmailLog = true;
    o.MailPort = "25";
    d.options.setOptions(o);
    d.options.show();
    QTest::mouseClick(d.options.BitBtn2, Qt::LeftButton);
    EXPECT_TRUE(d.options.isVisible());
    EXPECT_EQ(d.fakes.prompts.promptTexts(),
              (QStringList{"You have chosen to create a log file but have not entered a filename!",
                           "You have chosen to e-mail your log but have not entered values for all required e-mail "
                           "fields (only User ID is optional)"}));
    d.fakes.prompts.clear();
    QTest::keyClick(&d.options, Qt::Key_Escape);
    EXPECT_TRUE(d.options.isVisible());
    EXPECT_EQ(d.fakes.prompts.promptTexts().size(), 2);

    d.fakes.prompts.clear();
    d.options.chklogging->setChecked(false);
    d.options.edthost->setText("h");
    d.options.edtemailto->setText("t");
    d.options.edtemailfrom->setText("f");
    d.options.edtport->clear();  // the port is required too
    d.options.close();
    EXPECT_TRUE(d.options.isVisible());
    EXPECT_EQ(d.fakes.prompts.promptTexts().size(), 1);
    d.options.chkEmailLog->setChecked(false);
    d.options.close();
    EXPECT_FALSE(d.options.isVisible());
    EXPECT_EQ(d.fakes.prompts.promptTexts().size(), 1);
}

TEST(OptionsDialog, BrowseForTheLogFile)
{
    Dialogs d;
    d.options.setOptions(complete());
    d.fakes.prompts.answerFile(QString("/srv/logs/turnfold.txt"));
    d.options.BitBtn3->click();
    EXPECT_EQ(d.options.edtfilename->text(), QString("/srv/logs/turnfold.txt"));
    ASSERT_EQ(d.fakes.prompts.calls().size(), 1);
    EXPECT_EQ(d.fakes.prompts.calls()[0].kind, platform::ScriptedPromptService::Call::SaveFile);
    EXPECT_EQ(d.fakes.prompts.calls()[0].caption, QString("Please choose a filename"));
    EXPECT_EQ(d.fakes.prompts.calls()[0].detail, QString("Text Files (*.txt)"));
    d.fakes.prompts.answerFile(std::nullopt);
    d.options.BitBtn3->click();
    EXPECT_EQ(d.options.edtfilename->text(), QString("/srv/logs/turnfold.txt"));
}

TEST(OptionsDialog, TestMessageNeedsTheMailFields)
{
    Dialogs d;
    RotationOptions o = complete();
    o.MailHost.clear();
    d.options.setOptions(o);
    d.log.addPlain("kept");
    d.options.btnsendtestmessage->click();
    EXPECT_EQ(d.fakes.prompts.promptTexts(),
              QStringList{"You have not entered values for all required e-mail fields (only User ID is optional)"});
    EXPECT_EQ(d.log.lines(), QStringList{"kept"});
}

TEST(OptionsDialog, TestMessageMailsOneErrorLine)
{
    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    Dialogs d;
    RotationOptions o = complete();
    o.MailPort = QString::number(server.port());
    d.options.setOptions(o);
    d.log.addPlain("an earlier log");
    d.options.btnsendtestmessage->click();
    EXPECT_TRUE(server.transcript().contains("\r\n\r\n\r\n! T - Test message to admin@example.org\r\n.\r\n"));
    EXPECT_EQ(d.log.lines(), QStringList{"! T - Test message to admin@example.org"});
    EXPECT_TRUE(d.fakes.prompts.calls().isEmpty());
    EXPECT_EQ(d.options.edtTestmessage->text(), QString("Disconnected"));
    EXPECT_TRUE(d.options.lblTestmessage->isHidden());
    EXPECT_TRUE(d.options.edtTestmessage->isHidden());
}

TEST(OptionsDialog, FailedTestMessageShowsItsCauseThenTheFailure)
{
    Dialogs d;
    RotationOptions o = complete();
    o.MailPort = QString::number(unusedLoopbackPort());
    d.options.setOptions(o);
    d.options.btnsendtestmessage->click();
    EXPECT_EQ(d.fakes.prompts.promptTexts(), (QStringList{"Connection Failed!", "E-mail send failure!"}));
    EXPECT_TRUE(d.options.edtTestmessage->isHidden());
}

TEST(LogDialog, ShowsTheLogAsItGrows)
{
    Dialogs d;
    EXPECT_EQ(d.logDialog.windowTitle(), QString("Rotation Process Log"));
    d.log.Addwarning("first", true);
    d.log.addPlain("second");
    EXPECT_EQ(d.logDialog.memwarning->toPlainText(), QString("! T - first\nsecond"));
    d.log.clear();
    EXPECT_EQ(d.logDialog.memwarning->toPlainText(), QString());
}

TEST(LogDialog, SaveWritesTheLogFileOrSaysWhyNot)
{
    TempFolder dir;
    Dialogs d;
    RotationOptions o = complete();
    o.LogFileName = dir.file("log.txt");
    d.options.setOptions(o);
    d.log.addPlain("line one");
    d.logDialog.btnSaveLog->click();
    EXPECT_EQ(dir.read("log.txt"), QByteArray("line one\r\n"));

    dir.write("file", "x");
    d.options.edtfilename->setText(dir.file("file/log.txt"));
    d.logDialog.btnSaveLog->click();
    EXPECT_EQ(d.fakes.prompts.promptTexts(), QStringList{"Error saving your log to " + dir.file("file/log.txt")});
    EXPECT_EQ(d.log.lines(), QStringList{"line one"});

    Dialogs quiet(true);
    quiet.options.setOptions(o);
    quiet.options.edtfilename->setText(dir.file("file/log.txt"));
    quiet.logDialog.btnSaveLogClick();
    EXPECT_TRUE(quiet.fakes.prompts.calls().isEmpty());
    EXPECT_TRUE(quiet.log.isEmpty());
}

TEST(LogDialog, ARelativeNameIsTheProgramFolders)
{
    TempFolder elsewhere;
    StartedElsewhere started(elsewhere.path(), elsewhere.path());
    Dialogs d;
    d.options.setOptions(complete());
    d.options.edtfilename->setText("logs.txt");
    d.log.addPlain("line one");
    d.logDialog.btnSaveLog->click();
    EXPECT_EQ(d.prog.read("logs.txt"), QByteArray("line one\r\n"));
    EXPECT_FALSE(QFileInfo::exists(elsewhere.file("logs.txt")));
}

TEST(LogDialog, MailFailureNeverEscapes)
{
    Dialogs d;
    RotationOptions o = complete();
    o.MailPort = "25x";
    d.options.setOptions(o);
    d.logDialog.btnEmail->click();
    EXPECT_EQ(d.fakes.prompts.promptTexts(), (QStringList{"Port Error!", "E-mail send failure!"}));
    // An empty log was mailed as "No Entries!"... had it gone out; here the port stopped it first.
    EXPECT_TRUE(d.log.isEmpty());
}

TEST(LogDialog, CloseButtonClosesIt)
{
    Dialogs d;
    d.fakes.dialogs.script([&d](QDialog&) {
        d.logDialog.BitBtn1->click();
        return platform::mrNone;
    });
    EXPECT_EQ(d.fakes.dialogs.showModal(d.logDialog), platform::mrCancel);
    EXPECT_FALSE(d.logDialog.isVisible());
}

} // namespace
