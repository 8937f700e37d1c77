#include "fakes.h"
#include "scriptedsmtpserver.h"
#include "tests/rotation/rotationfixture.h"
#include "components/aboutbox.h"
#include "components/bitbtn.h"
#include "rotation/windows/buttonimages.h"
#include "rotation/windows/log.h"
#include "rotation/windows/mainform.h"
#include "rotation/windows/rotopt.h"
#include "platform/filenames.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Window {
    ProgramFolderFixture f;
    FakeServices fakes;
    std::unique_ptr<TfrmMain> frm;

    void open(const CommandLine& commandLine = {})
    {
        frm = std::make_unique<TfrmMain>(fakes.services, commandLine, f.prog.path());
        frm->show();
    }
    void select(int row) { frm->lbxsites->setCurrentRow(row); }
    QStringList status() const
    {
        return {frm->lblsitename->text(), frm->lbllocation->text(), frm->lblrotationcount->text(),
                frm->lblautorotate->text(), frm->lbllivepath->text(), frm->lblcurrentrotation->text()};
    }
};

CommandLine unattended()
{
    CommandLine line;
    line.RotateMode = true;
    return line;
}

// Standard error of this process, captured for the length of the object.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int fd = ::open(platform::encodeFileName(dir_.file("stderr")).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StderrCapture() { restore(); }
    QByteArray text()
    {
        restore();
        return dir_.read("stderr");
    }

private:
    void restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    TempFolder dir_;
    int saved_ = -1;
};

TEST(MainWindow, ShowsTheSiteListAndLoadsTheOptions)
{
    Window w;
    w.f.siteList({"Site_2=Second", "Site_1=First", "Site_5="});
    w.f.prog.write("options.ini", "[Options]\r\nMailHost=smtp.example.org\r\nLogging=False\r\nCreateBackups=True\r\n");
    w.open();
    EXPECT_EQ(w.frm->windowTitle(), QString("Pictorum Pro Rotation Site Tool"));
    EXPECT_EQ(w.frm->size(), QSize(513, 407));
    EXPECT_EQ(w.frm->Label7->text(),
              QString("Turnfold must be run with the the /Rotate parameter to automatically rotate your site!"));
    ASSERT_EQ(w.frm->lbxsites->count(), 3);
    EXPECT_EQ(w.frm->lbxsites->item(0)->text(), QString("Site_2"));
    EXPECT_EQ(w.frm->lbxsitename, (QStringList{"Second", "First", ""}));
    EXPECT_EQ(w.frm->dlgRotOpt->edthost->text(), QString("smtp.example.org"));
    EXPECT_FALSE(w.frm->dlgRotOpt->chklogging->isChecked());
    EXPECT_TRUE(w.frm->dlgRotOpt->chkcreatebackup->isChecked());
    EXPECT_EQ(w.frm->dlgRotOpt->edtfilename->text(), w.f.prog.file("log.txt"));
    EXPECT_FALSE(w.frm->Timer1.isActive());
    EXPECT_EQ(w.status(), QStringList(6, QString()));
    EXPECT_TRUE(w.fakes.prompts.calls().isEmpty());
}

TEST(MainWindow, RowsShowDisplayNamesRebuiltWhenTheListsDiffer)
{
    Window w;
    w.f.siteList({"Site_1=First"});
    w.open();
    w.frm->lbxsites->addItem("Site_9");  // a key whose name was never read
    QImage image(200, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    w.frm->lbxsitesDrawItem(painter, 1, QRect(0, 0, 200, 20), true);
    EXPECT_EQ(w.frm->lbxsitename, (QStringList{"First", "Error: Site_9"}));
}

TEST(MainWindow, StatusOfTheSelectedSite)
{
    Window w;
    w.f.siteList({"Site_1=One", "Site_2=Two", "Site_3=Three"});
    w.f.site("Site_1", {"Name=One", "Path=%/sites/one/", "LivePath=/var/www/one", "AutoRotate=True",
                        "CurrentRotationPosition=2", "RotationCount=x"});
    w.f.site("Site_2", {"Name=Two", "Path=%/sites/two/", "AutoRotate=True", "RotationCount=3"});
    w.open();
    w.select(0);
    EXPECT_EQ(w.status(), (QStringList{"One", w.f.prog.file("sites/one/"), "20", "Yes", "/var/www/one", "2"}));
    w.select(1);  // no live folder: never rotated
    EXPECT_EQ(w.status(), (QStringList{"Two", w.f.prog.file("sites/two/"), "3", "No", "", ""}));
    w.select(2);  // no settings file
    EXPECT_EQ(w.status(), (QStringList{"Name Error", "", "20", "No", "", ""}));
    w.frm->lbxsites->clearSelection();
    EXPECT_EQ(w.status(), QStringList(6, QString()));
    EXPECT_TRUE(w.frm->CurrentSite.SiteKey.isEmpty());
}

TEST(MainWindow, ClickingTheSelectedSiteAgainReadsItsFileAgain)
{
    Window w;
    w.f.siteList({"Site_1=One"});
    w.f.site("Site_1", {"Name=One", "Path=%/sites/one/", "RotationCount=2"});
    w.open();
    const QPoint row = w.frm->lbxsites->visualItemRect(w.frm->lbxsites->item(0)).center();
    QTest::mouseClick(w.frm->lbxsites->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(w.frm->lblrotationcount->text(), QString("2"));
    w.f.site("Site_1", {"Name=One", "Path=%/sites/one/", "RotationCount=5"});  // changed by Pictorum meanwhile
    QTest::mouseClick(w.frm->lbxsites->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(w.frm->lblrotationcount->text(), QString("5"));
}

TEST(MainWindow, EnterPressesRotateCurrentOrTheFocusedButton)
{
    Window w;
    w.f.siteList({"Site_1=One"});
    w.f.site("Site_1", {"Name=One", "Path=%/sites/one/"});
    w.open();
    w.select(0);
    w.frm->lbxsites->setFocus();
    QTest::keyClick(w.frm->lbxsites, Qt::Key_Return);
    EXPECT_EQ(w.fakes.prompts.promptTexts(),
              QStringList{"The site, One, does not have auto-rotation enabled so it will be skipped!"});
    w.frm->BitBtn1->setFocus();
    QTest::keyClick(w.frm->BitBtn1, Qt::Key_Enter);
    EXPECT_EQ(w.fakes.shell.helpContexts, QList<int>{42});
    EXPECT_EQ(w.fakes.prompts.promptTexts().size(), 1);
}

TEST(MainWindow, IrrelevantParameterWarnsAndRunsInteractively)
{
    Window w;
    w.open(parseCommandLine(QStringList{"-rotate", "/Rotate"}));
    EXPECT_FALSE(w.frm->RotateMode);
    EXPECT_EQ(w.fakes.prompts.promptTexts(), QStringList{"Parameter is not relevant: -rotate"});
    EXPECT_EQ(w.fakes.prompts.lastPrompt().caption, QString("Warning"));
    EXPECT_FALSE(w.frm->Timer1.isActive());
    EXPECT_TRUE(w.frm->isVisible());
}

TEST(MainWindow, CommandsHelpAboutAndOptions)
{
    Window w;
    w.open();
    QTest::mouseClick(w.frm->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(w.fakes.shell.helpContexts, QList<int>{42});

    QStringList about;
    w.fakes.dialogs.script([&](QDialog& d) {
        auto& box = static_cast<TAboutBox&>(d);
        about << box.windowTitle() << box.ProductName->text() << box.LBLVERSION->text() << box.OKbtn->text();
        emit box.lblWeb->linkActivated(QString(MakerWeb));
        QTest::mouseClick(box.OKbtn, Qt::LeftButton);
        return platform::mrNone;
    });
    QTest::mouseClick(w.frm->btnabout, Qt::LeftButton);
    EXPECT_EQ(about, (QStringList{"About Turnfold", "Turnfold", "Version 1.1", "&Close"}));
    EXPECT_EQ(w.fakes.shell.opened, QStringList{QString(MakerWeb)});

    w.fakes.dialogs.script([](QDialog& d) {
        QTest::mouseClick(static_cast<TdlgRotOpt&>(d).BitBtn1, Qt::LeftButton);
        return platform::mrNone;
    });
    QTest::mouseClick(w.frm->btnOptions, Qt::LeftButton);
    EXPECT_EQ(w.fakes.dialogs.shown, (QStringList{"TAboutBox", "TdlgRotOpt"}));
    EXPECT_EQ(w.fakes.shell.helpContexts, (QList<int>{42, 55}));
}

TEST(MainWindow, ButtonsOfTheToolsWindowsWithTheirPictures)
{
    Window w;
    w.open();
    const struct {
        TLmILBitBtn* button;
        const char* name;
        const char* caption;
        const char* hint;
        int image;
        TILBitBtnKind kind;
    } buttons[] = {
        {w.frm->btnRotateCurrent, "btnRotateCurrent", "Rotate Current",
         "Clicking this will copy the next available rotation of the selected suite", 0, bkCustom},
        {w.frm->btnrotateall, "btnrotateall", "Rotate All",
         "Clicking this will copy the next available rotation of all sites that have rotation enabled", 24, bkCustom},
        {w.frm->btnOptions, "btnOptions", "Options..", "Set Turnfold ", 21, bkCustom},
        {w.frm->btnabout, "btnabout", "About..", "About Pictorum Pro", 17, bkCustom},
        {w.frm->BitBtn2, "BitBtn2", "Close", "Close this application", 5, bkClose},
        {w.frm->BitBtn1, "BitBtn1", "Help", "Display Help information", 2, bkHelp},
        {w.frm->dlgLog->btnEmail, "btnEmail", "E-mail Log", "E-mail log to the e-mail recipient specified options", 25,
         bkCustom},
        {w.frm->dlgLog->btnSaveLog, "btnSaveLog", "Save Log", "Save log to the filename specified in options", 23,
         bkCustom},
        {w.frm->dlgLog->BitBtn1, "BitBtn1", "Close", "", 5, bkClose},
        {w.frm->dlgRotOpt->BitBtn3, "BitBtn3", "Browse..", "", 23, bkCustom},
        {w.frm->dlgRotOpt->btnsendtestmessage, "btnsendtestmessage", "Send Test Message", "", 25, bkCustom},
        {w.frm->dlgRotOpt->BitBtn1, "BitBtn1", "Help", "", 2, bkHelp},
        {w.frm->dlgRotOpt->BitBtn2, "BitBtn2", "Close", "", 5, bkClose},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->objectName(), QString(b.name));
        EXPECT_EQ(b.button->text(), QString(b.caption));
        EXPECT_EQ(b.button->toolTip(), QString(b.hint)) << b.name;
        EXPECT_EQ(b.button->ImageIndex(), b.image) << b.name;
        EXPECT_EQ(b.button->Kind(), b.kind) << b.name;
        // The picture comes from the tool's own list, with its disabled frame beside it.
        EXPECT_EQ(b.button->Glyph().size(), QSize(32, 16)) << b.name;
        EXPECT_EQ(b.button->Glyph().copy(0, 0, 16, 16), imgLmILButtons().Picture(b.image).convertToFormat(QImage::Format_ARGB32))
            << b.name;
    }
    EXPECT_GE(imgLmILButtons().Count(), 26);
    EXPECT_TRUE(w.frm->btnRotateCurrent->Default());
}

TEST(MainWindow, CloseButtonClosesTheWindowAndSavesTheOptions)
{
    Window w;
    w.open();
    QTest::mouseClick(w.frm->BitBtn2, Qt::LeftButton);
    EXPECT_FALSE(w.frm->isVisible());
    EXPECT_TRUE(w.f.prog.exists("options.ini"));
}

TEST(MainWindow, RotateCurrentNeedsASelectedSiteBeforeAnythingElse)
{
    Window w;
    w.f.siteList({"Site_1=One", "Site_2=Two"});
    w.f.site("Site_1", {"Name=One", "Path=%/sites/one/"});
    w.f.autoSite("Site_2", 1, 1);
    w.open();
    w.select(0);
    w.frm->lbxsites->clearSelection();  // the record still holds Site_1's values
    QTest::mouseClick(w.frm->btnRotateCurrent, Qt::LeftButton);
    EXPECT_TRUE(w.fakes.prompts.calls().isEmpty());
    EXPECT_TRUE(w.fakes.dialogs.shown.isEmpty());

    w.select(0);
    QTest::mouseClick(w.frm->btnRotateCurrent, Qt::LeftButton);
    EXPECT_EQ(w.fakes.prompts.promptTexts(),
              QStringList{"The site, One, does not have auto-rotation enabled so it will be skipped!"});
    EXPECT_EQ(w.fakes.prompts.lastPrompt().caption, QString("Information"));
    EXPECT_TRUE(w.fakes.dialogs.shown.isEmpty());
}

TEST(MainWindow, RotateCurrentShowsTheLogOfThatSite)
{
    Window w;
    w.f.siteList({"Site_1=One"});
    w.f.autoSite("Site_1", 2, 1);
    w.f.files("sites/Site_1/Rotation_1", {"index.html", "a.jpg"});
    w.f.prog.write("options.ini", "[Options]\r\nLogOnlyErrors=False\r\n");
    w.open();
    w.select(0);
    w.frm->log().addPlain("from an earlier run");
    QStringList seen;
    const auto capture = [&](QDialog& d) {
        auto& dlg = static_cast<TdlgLog&>(d);
        seen << dlg.Label1->text() << dlg.memwarning->toPlainText();
        return platform::mrCancel;
    };
    w.fakes.dialogs.script(capture);
    QTest::mouseClick(w.frm->btnRotateCurrent, Qt::LeftButton);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], QString("The current site has been updated!"));
    EXPECT_TRUE(seen[1].startsWith("* ")) << seen[1].toStdString();
    EXPECT_TRUE(seen[1].endsWith(" - Site_1 sucessfully updated to rotation 1")) << seen[1].toStdString();
    EXPECT_TRUE(w.frm->log().isEmpty());  // cleared when the dialog closed
    EXPECT_EQ(w.frm->lblcurrentrotation->text(), QString("2"));  // the next rotation now

    // Rotation 2 has no folder, rotation 1 is taken again... but its live folder is blocked.
    w.f.prog.write("blocked", "file");
    w.f.site("Site_1", {"Name=Site_1", "Path=%/sites/Site_1/", "LivePath=" + w.f.prog.file("blocked/live"),
                        "AutoRotate=True", "CurrentRotationPosition=1", "RotationCount=2"});
    w.frm->lbxsitesClick();
    seen.clear();
    w.fakes.dialogs.script(capture);
    QTest::mouseClick(w.frm->btnRotateCurrent, Qt::LeftButton);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], QString("The current site was not updated.  View log for details"));
    EXPECT_TRUE(seen[1].contains("Could not copy the file, ")) << seen[1].toStdString();
    EXPECT_FALSE(seen[1].contains("sucessfully")) << seen[1].toStdString();
}

TEST(MainWindow, RotateAllInteractiveShowsTheTotal)
{
    Window w;
    w.f.siteList({"Site_1=One", "Site_2=Two", "Site_3=Three"});
    w.f.autoSite("Site_1", 1, 1);
    w.f.files("sites/Site_1/Rotation_1", {"index.html"});
    w.f.autoSite("Site_2", 1, 1);  // no valid rotation: not counted
    w.f.site("Site_3", {"Name=Three", "Path=%/sites/three/"});
    w.open();
    QStringList seen;
    w.fakes.dialogs.script([&](QDialog& d) {
        seen << static_cast<TdlgLog&>(d).Label1->text();
        seen << (w.frm->btnrotateall->isEnabled() ? "enabled" : "disabled");
        seen << (w.frm->btnabout->isEnabled() ? "about enabled" : "about disabled");
        return platform::mrCancel;
    });
    QTest::mouseClick(w.frm->btnrotateall, Qt::LeftButton);
    EXPECT_EQ(seen, (QStringList{"Rotation of All sites is completed with a total of 1 updated!", "disabled",
                                 "about enabled"}));
    for (QWidget* c : std::initializer_list<QWidget*>{w.frm->btnOptions, w.frm->btnRotateCurrent, w.frm->btnrotateall,
                                                      w.frm->lbxsites, w.frm->BitBtn1})
        EXPECT_TRUE(c->isEnabled());
    EXPECT_EQ(w.frm->Label7->text(), QString());
    EXPECT_EQ(w.frm->selectedRow(), 2);
    EXPECT_EQ(w.frm->log().lines().size(), 2);  // not found, skipped
    EXPECT_FALSE(w.f.prog.exists("log.txt"));    // only unattended runs save the log
}

TEST(MainWindow, RotateAllByHandRotatesTheListedRowsInTheirOrder)
{
    Window w;
    w.f.siteList({"Site_2=Two", "Site_1=One"});
    for (const char* key : {"Site_1", "Site_2", "Site_3"}) {
        w.f.autoSite(key, 1, 1);
        w.f.files(QStringLiteral("sites/%1/Rotation_1").arg(key), {"index.html"});
    }
    w.f.prog.write("options.ini", "[Options]\r\nLogOnlyErrors=False\r\n");
    w.open();
    // Changed by Pictorum while the window is open: another site, another order.
    w.f.siteList({"Site_1=One", "Site_3=Three", "Site_2=Two"});
    QStringList log;
    w.fakes.dialogs.script([&](QDialog&) {
        log = w.frm->log().lines();
        return platform::mrCancel;
    });
    QTest::mouseClick(w.frm->btnrotateall, Qt::LeftButton);
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith(" - Site_2 sucessfully updated to rotation 1")) << log[0].toStdString();
    EXPECT_TRUE(log[1].endsWith(" - Site_1 sucessfully updated to rotation 1")) << log[1].toStdString();
    EXPECT_FALSE(w.f.prog.exists("live/Site_3"));
    EXPECT_EQ(w.frm->selectedRow(), 1);
    EXPECT_EQ(w.frm->lblsitename->text(), QString("Site_1"));
}

TEST(MainWindow, ASiteFileThatCannotBeReadIsNamedWhenItsRowIsChosen)
{
    Window w;
    w.f.siteList({"Site_1=One"});
    w.f.prog.mkdir("Site_1.ini");
    w.open();
    w.select(0);
    EXPECT_EQ(w.fakes.prompts.promptTexts(),
              QStringList{"Cannot read " + w.f.prog.file("Site_1.ini") + ": Is a directory"});
    EXPECT_EQ(w.status(), (QStringList{"Name Error", "", "20", "No", "", ""}));
}

TEST(MainWindow, UnattendedRunLogsOptionsThatCannotBeReadAndExitsWithOne)
{
    Window w;
    w.f.siteList({"Site_1=One"});
    w.f.autoSite("Site_1", 1, 1);
    w.f.files("sites/Site_1/Rotation_1", {"index.html"});
    w.f.prog.mkdir("options.ini");
    w.open(unattended());
    QTRY_VERIFY_WITH_TIMEOUT(!w.frm->isVisible(), 5000);
    // The defaults hold: the site rotates and the log goes to log.txt, errors only.
    EXPECT_EQ(w.f.prog.read("live/Site_1/index.html"), QByteArray("sites/Site_1/Rotation_1/index.html"));
    const QByteArray log = w.f.prog.read("log.txt");
    EXPECT_TRUE(log.startsWith("! ")) << log.toStdString();
    EXPECT_TRUE(log.endsWith(" - Cannot read " + w.f.prog.file("options.ini").toUtf8() + ": Is a directory\r\n"))
        << log.toStdString();
    EXPECT_EQ(log.count("\r\n"), 1);
    EXPECT_EQ(w.frm->exitCode(), 1);
    EXPECT_TRUE(w.fakes.prompts.calls().isEmpty());
}

TEST(MainWindow, ClosingSavesTheOptionsOnlyInteractively)
{
    Window w;
    w.f.prog.write("options.ini", "[Options]\r\nUseRotations=True\r\nMailPort=26\r\n");
    w.open();
    w.frm->dlgRotOpt->edthost->setText("smtp.example.org");
    w.frm->close();
    const QByteArray saved = w.f.prog.read("options.ini");
    EXPECT_TRUE(saved.startsWith("[Options]\r\nUseRotations=True\r\nMailPort=26\r\nMailFrom=turnfold@localhost\r\n"));
    EXPECT_TRUE(saved.contains("MailHost=smtp.example.org\r\n"));
    EXPECT_TRUE(saved.contains("LogFileName=" + w.f.prog.file("log.txt").toUtf8() + "\r\n"));
    EXPECT_TRUE(w.fakes.prompts.calls().isEmpty());

    // A folder in the file's place: it cannot be read when the window shows, nor written at the end.
    Window blocked;
    blocked.f.prog.mkdir("options.ini");
    blocked.open();
    blocked.frm->close();
    EXPECT_EQ(blocked.fakes.prompts.promptTexts(),
              (QStringList{"Cannot read " + blocked.f.prog.file("options.ini") + ": Is a directory",
                           "Error encountered saving your settings!  You may be out of disk space!"}));
    EXPECT_FALSE(blocked.frm->isVisible());
}

TEST(MainWindow, UnattendedRunRotatesSavesTheLogAndCloses)
{
    Window w;
    w.f.siteList({"Site_1=One"});
    w.f.autoSite("Site_1", 1, 1);
    w.f.files("sites/Site_1/Rotation_1", {"index.html"});
    const QByteArray options = "[Options]\r\nLogOnlyErrors=True\r\nEmailLog=True\r\nMailHost=127.0.0.1\r\nMailPort=1\r\n";
    w.f.prog.write("options.ini", options);
    w.open(unattended());
    EXPECT_TRUE(w.frm->Timer1.isActive());
    EXPECT_EQ(w.frm->Timer1.interval(), 300);
    QTRY_VERIFY_WITH_TIMEOUT(!w.frm->isVisible(), 5000);
    EXPECT_EQ(w.f.prog.read("live/Site_1/index.html"), QByteArray("sites/Site_1/Rotation_1/index.html"));
    // Only errors are logged and only errors are mailed: the log says so, no mail was tried.
    EXPECT_EQ(w.f.prog.read("log.txt"), QByteArray("Your site update completed without error!\r\n"));
    EXPECT_EQ(w.f.prog.read("options.ini"), options);
    EXPECT_TRUE(w.fakes.prompts.calls().isEmpty());
    EXPECT_TRUE(w.fakes.dialogs.shown.isEmpty());
}

TEST(MainWindow, UnattendedRunMailsTheLogWhenAsked)
{
    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    Window w;
    w.f.siteList({"Site_1=One"});
    w.f.autoSite("Site_1", 1, 1);
    w.f.files("sites/Site_1/Rotation_1", {"index.html"});
    w.f.prog.write("options.ini", "[Options]\r\nLogOnlyErrors=False\r\nEmailLog=True\r\nEmailOnlyErrors=False\r\n"
                                  "MailHost=127.0.0.1\r\nMailPort=" + QByteArray::number(server.port())
                                  + "\r\nMailTo=admin@example.org\r\nMailFrom=rotation@example.org\r\n"
                                  "LogFileName=%/not/expanded.txt\r\n");
    w.open(unattended());
    StderrCapture err;
    QTRY_VERIFY_WITH_TIMEOUT(!w.frm->isVisible(), 5000);
    const QByteArray transcript = server.transcript();
    EXPECT_TRUE(transcript.contains(" - Site_1 sucessfully updated to rotation 1\r\n.\r\nQUIT\r\n"))
        << transcript.toStdString();
    // "%/" names the program folder, whose "not" folder is missing; saving fails, quietly but
    // for one line on stderr.
    const QByteArray errors = err.text();
    EXPECT_TRUE(errors.contains("Turnfold: Error saving your log to " + w.f.prog.file("not/expanded.txt").toUtf8() + ": "))
        << errors.toStdString();
    EXPECT_EQ(errors.count("Turnfold: "), 1);
    EXPECT_TRUE(w.fakes.prompts.calls().isEmpty());
}

TEST(MainWindow, UnattendedRunMailsWhenAskedAndWhenErrorsCount)
{
    const struct {
        const char* what;
        bool emailLog;
        bool onlyErrors;
        bool errors;  // a site without a valid rotation
        bool mailed;
    } cases[] = {
        {"mail off, errors", false, false, true, false},
        {"errors only, none", true, true, false, false},
        {"errors only, errors", true, true, true, true},
        {"always, none", true, false, false, true},
    };
    for (const auto& c : cases) {
        ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
        Window w;
        w.f.siteList({"Site_1=One"});
        w.f.autoSite("Site_1", 1, 1);
        if (!c.errors)
            w.f.files("sites/Site_1/Rotation_1", {"index.html"});
        w.f.prog.write("options.ini", "[Options]\r\nLogOnlyErrors=True\r\nEmailLog=" + QByteArray(c.emailLog ? "True" : "False")
                                          + "\r\nEmailOnlyErrors=" + (c.onlyErrors ? "True" : "False")
                                          + "\r\nMailHost=127.0.0.1\r\nMailPort=" + QByteArray::number(server.port())
                                          + "\r\nMailTo=admin@example.org\r\nMailFrom=rotation@example.org\r\n");
        w.open(unattended());
        QTRY_VERIFY_WITH_TIMEOUT(!w.frm->isVisible(), 5000);
        server.stop();
        EXPECT_EQ(server.clientConnected(), c.mailed) << c.what;
        const QByteArray expectedLine = c.errors ? " - A valid rotation could not be found for the site, Site_1\r\n"
                                                 : "Your site update completed without error!\r\n";
        EXPECT_TRUE(w.f.prog.read("log.txt").endsWith(expectedLine)) << c.what;
        if (c.mailed) {
            EXPECT_TRUE(server.transcript().contains(expectedLine + ".\r\n")) << c.what;
        }
    }
}

TEST(MainWindow, UnattendedRunWithoutLoggingWritesNoLog)
{
    Window w;
    w.f.prog.write("options.ini", "[Options]\r\nLogging=False\r\n");
    w.open(unattended());
    QTRY_VERIFY_WITH_TIMEOUT(!w.frm->isVisible(), 5000);
    EXPECT_FALSE(w.f.prog.exists("log.txt"));
    EXPECT_EQ(w.frm->log().lines().size(), 1);
    EXPECT_TRUE(w.frm->log().lines().first().endsWith(" - There are no sites to rotate!"));
}

TEST(MainWindow, UnattendedRunExitsWithOneWhenAnythingFailed)
{
    const struct {
        const char* what;
        QStringList sites;     // keys of [Sites]; Site_1 is due, Site_2 is not
        bool rotationValid;
        QByteArray options;
        int exitCode;
    } cases[] = {
        {"everything done", {"Site_1=One"}, true, "", 0},
        {"no valid rotation", {"Site_1=One"}, false, "", 1},
        {"no sites at all", {}, true, "", 0},
        {"log cannot be saved", {"Site_1=One"}, true, "LogFileName=%p/options.ini/log.txt\r\n", 1},
        {"mail fails", {"Site_1=One"}, true, "EmailLog=True\r\nEmailOnlyErrors=False\r\nMailPort=%u\r\n", 1},
        {"mail not needed without errors", {"Site_1=One"}, true, "EmailLog=True\r\nMailPort=%u\r\n", 0},
    };
    for (const auto& c : cases) {
        Window w;
        w.f.siteList(c.sites);
        w.f.autoSite("Site_1", 1, 1);
        w.f.site("Site_2", {"Name=Two", "Path=%/sites/Site_2/"});
        if (c.rotationValid)
            w.f.files("sites/Site_1/Rotation_1", {"index.html"});
        QByteArray options = "[Options]\r\nMailHost=127.0.0.1\r\nMailTo=a@example.org\r\nMailFrom=b@example.org\r\n" + c.options;
        options.replace("%p", w.f.prog.path().toUtf8());
        options.replace("%u", QByteArray::number(unusedLoopbackPort()));
        w.f.prog.write("options.ini", options);
        w.open(unattended());
        StderrCapture err;
        QTRY_VERIFY_WITH_TIMEOUT(!w.frm->isVisible(), 10000);
        EXPECT_EQ(w.frm->exitCode(), c.exitCode) << c.what << "\n" << err.text().toStdString();
    }
    Window byHand;
    byHand.f.siteList({"Site_1=One"});
    byHand.f.autoSite("Site_1", 1, 1);
    byHand.open();
    byHand.frm->btnrotateallClick();
    EXPECT_EQ(byHand.frm->exitCode(), 0);  // a failure by hand is shown, not returned
}

} // namespace
