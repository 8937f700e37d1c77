#include "fakes.h"
#include "platform/hourglass.h"
#include "platform/modaldialog.h"
#include "platform/shell.h"
#include "tempfolder.h"

#include <QApplication>
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
