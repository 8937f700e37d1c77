#include "fakes.h"
#include "platform/fontfamilies.h"
#include "platform/hourglass.h"
#include "platform/modaldialog.h"
#include "platform/shell.h"
#include "tempfolder.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;

namespace {

class Dlg : public ModalDialog {
public:
    Dlg()
    {
        ok = new QPushButton("OK", this);
        ignore = new QPushButton("Ignore", this);
        bindResult(ok, mrOk);
        bindResult(ignore, mrIgnore);
    }
    QPushButton* ok;
    QPushButton* ignore;
};

TEST(ModalDialog, ResultsOfButtonsEscapeAndClose)
{
    ScriptedDialogRunner runner;
    struct Case { const char* what; std::function<void(Dlg&)> act; int expected; } cases[] = {
        {"ok", [](Dlg& d) { QTest::mouseClick(d.ok, Qt::LeftButton); }, mrOk},
        {"ignore", [](Dlg& d) { QTest::mouseClick(d.ignore, Qt::LeftButton); }, mrIgnore},
        {"escape", [](Dlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, mrCancel},
        {"close box", [](Dlg& d) { d.close(); }, mrCancel},
        {"set result", [](Dlg& d) { d.setModalResult(mrRetry); }, mrRetry},
    };
    for (const auto& c : cases) {
        Dlg dlg;
        runner.script([&](QDialog& d) {
            c.act(static_cast<Dlg&>(d));
            return mrNone;
        });
        EXPECT_EQ(runner.showModal(dlg), c.expected) << c.what;
        EXPECT_FALSE(dlg.isVisible()) << c.what;
    }
}

TEST(ModalDialog, UnscriptedDialogIsCancelled)
{
    ScriptedDialogRunner runner;
    Dlg dlg;
    EXPECT_EQ(runner.showModal(dlg), mrCancel);
    EXPECT_EQ(runner.shown, QStringList{"platform::ModalDialog"});
}

TEST(Shell, HelpPagesComeFromTheProgramFolder)
{
    TempFolder prog;
    prog.write("help/index.html", "<html></html>");
    prog.write("help/25.html", "<html></html>");
    EXPECT_EQ(helpPage(prog.path(), 0), prog.file("help/index.html"));
    EXPECT_EQ(helpPage(prog.path(), 25), prog.file("help/25.html"));
    EXPECT_EQ(helpPage(prog.path(), 99), prog.file("help/index.html"));
}

// An opener script that notes what it was given in "opened", then ends as told.
QString opener(const TempFolder& prog, const QByteArray& name, const QByteArray& ending)
{
    const QString path = prog.write("bin/" + name, "#!/bin/sh\necho \"$1\" > \"" + prog.file("opened").toUtf8() + "\"\n" + ending + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

TEST(Shell, HelpThatCannotBeShownGivesOneWarningNamingThePage)
{
    TempFolder prog;
    prog.write("help/index.html", "<html></html>");
    prog.write("help/26.html", "<html></html>");
    const struct {
        QString opener;
        QString warning;  // empty: shown
    } cases[] = {
        {opener(prog, "fails", "exit 3"), "The help page could not be shown (no program to open it was found).  You can "
                                          "open it in your web browser: " + prog.file("help/26.html")},
        {prog.file("bin/missing"), "The help page could not be shown (" + prog.file("bin/missing")
                                       + " was not found).  You can open it in your web browser: "
                                       + prog.file("help/26.html")},
        {opener(prog, "works", "exit 0"), ""},
    };
    for (const auto& c : cases) {
        QFile::remove(prog.file("opened"));
        ScriptedPromptService prompts;
        DesktopShell shell(prog.path(), c.opener);
        DialogRunner dialogs;
        showHelp(Services{prompts, shell, dialogs}, 26);
        if (!c.warning.isEmpty()) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !prompts.calls().isEmpty(); }, 5000)) << c.opener.toStdString();
        } else {
            EXPECT_TRUE(QTest::qWaitFor([&] { return prog.exists("opened"); }, 5000));
            QTest::qWait(200);  // the reply of an opener that ended well shows nothing
        }
        EXPECT_EQ(prompts.promptTexts(), c.warning.isEmpty() ? QStringList() : QStringList{c.warning});
        if (!c.warning.isEmpty()) {
            EXPECT_EQ(prompts.lastPrompt().icon, PromptIcon::Warning);
        }
        if (prog.exists("opened")) {
            EXPECT_EQ(prog.read("opened"), prog.file("help/26.html").toUtf8() + "\n");
        }
    }
}

TEST(Shell, OpenerEndingsGiveTheirReasons)
{
    TempFolder prog;
    const struct {
        QByteArray ending;
        QString reason;
    } cases[] = {
        {"exit 0", ""},
        {"exit 2", "the file does not exist"},
        {"exit 3", "no program to open it was found"},
        {"exit 4", "the program that opens it failed"},
        {"exit 9", "ender ended with status 9"},
        {"kill -9 $$", "ender was stopped by signal 9"},
    };
    for (const auto& c : cases) {
        std::optional<FileOutcome> outcome;
        runOpener(opener(prog, "ender", c.ending), "https://example.org/", [&](const FileOutcome& o) { outcome = o; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 5000)) << c.ending.constData();
        EXPECT_EQ(outcome->ok, c.reason.isEmpty()) << c.ending.constData();
        EXPECT_EQ(outcome->reason, c.reason);
    }
    EXPECT_EQ(prog.read("opened"), "https://example.org/\n");
}

TEST(Shell, MissingHelpPageIsNotHandedToTheOpener)
{
    TempFolder prog;  // no help folder at all
    DesktopShell shell(prog.path(), opener(prog, "works", "exit 0"));
    std::optional<FileOutcome> outcome;
    shell.showHelp(0, [&](const FileOutcome& o) { outcome = o; });
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->reason, "the file does not exist");
    EXPECT_FALSE(prog.exists("opened"));
}

TEST(FontFamilies, PlainNamesEachOnceSorted)
{
    EXPECT_EQ(plainFamilyNames({"Nimbus Sans [urw]", "DejaVu Sans", "Nimbus Sans [UKWN]", "arial", "Arial",
                                "Nimbus Sans", " [x]", "C059"}),
              (QStringList{"arial", "C059", "DejaVu Sans", "Nimbus Sans"}));
    const QStringList installed = installedFontFamilies();
    EXPECT_FALSE(installed.isEmpty());
    EXPECT_FALSE(installed.join(QString()).contains('['));
    EXPECT_EQ(plainFamilyNames(installed), installed);
}

TEST(Hourglass, SetsAndRestoresTheBusyCursor)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        Hourglass busy;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
