// Every window of Turnfold as a new user meets it: its caption, and nothing outside the window,
// overlapping or cut at the default font.
#include "fakes.h"
#include "windowlayout.h"
#include "tests/rotation/rotationfixture.h"
#include "components/bitbtn.h"
#include "rotation/windows/log.h"
#include "rotation/windows/mainform.h"
#include "rotation/windows/rotopt.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Tool {
    ProgramFolderFixture f;
    FakeServices fakes;
    std::unique_ptr<TfrmMain> frm;

    Tool()
    {
        frm = std::make_unique<TfrmMain>(fakes.services, CommandLine{}, f.prog.path());
        frm->show();
    }
};

TEST(WindowWalk, EveryWindowHasItsCaptionAndFits)
{
    Tool t;
    const std::vector<WindowCase> cases = {
        {"Rotation Options", [&] { t.frm->btnOptionsClick(); }},
        {"Rotation Process Log", [&] { t.frm->btnrotateallClick(); }},
        {"About Turnfold", [&] { t.frm->btnaboutClick(); }},
    };

    EXPECT_EQ(t.frm->windowTitle(), "Pictorum Pro Rotation Site Tool");
    EXPECT_EQ(layoutProblemsOnEveryPage(*t.frm), QStringList());
    expectWindowsFit(t.fakes.dialogs, cases);
}

TEST(WindowWalk, MailFieldsShowAFortyCharacterAddress)
{
    Tool t;
    t.fakes.dialogs.script([&](QDialog& dialog) {
        auto& options = static_cast<TdlgRotOpt&>(dialog);
        options.PageControl1->setCurrentIndex(1);
        for (QLineEdit* edit : {options.edthost, options.edtemailto, options.edtemailfrom}) {
            edit->setText(QString(FortyCharacterAddress));
            edit->setCursorPosition(0);
            EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(edit->text()) + 8) << edit->objectName().toStdString();
        }
        return platform::mrCancel;
    });
    t.frm->btnOptionsClick();
}

TEST(WindowWalk, ButtonsStayWhereTheyAreWhenTheStatusLineEmpties)
{
    Tool t;
    const QList<QPushButton*> buttons{t.frm->btnRotateCurrent, t.frm->btnrotateall, t.frm->btnOptions, t.frm->btnabout,
                                      t.frm->BitBtn1, t.frm->BitBtn2};
    const auto places = [&] {
        QList<QRect> rects;
        for (QPushButton* b : buttons)
            rects.append(b->geometry());
        rects.append(t.frm->lbxsites->geometry());
        return rects;
    };
    const QList<QRect> before = places();
    t.frm->btnrotateallClick();  // empties the status line at its end
    ASSERT_TRUE(t.frm->Label7->text().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(places(), before);
}

TEST(WindowWalk, LogOpensAtItsFirstLineWithLongLinesWrapped)
{
    Tool t;
    for (int i = 0; i < 60; ++i)
        t.frm->log().Addwarning(QStringLiteral("Could not copy the file, /srv/sites/a/very/long/folder/name/%1.jpg, for "
                                               "site, Alpha!")
                                    .arg(i),
                                true);
    int horizontal = -1;
    int vertical = -1;
    t.fakes.dialogs.script([&](QDialog& dialog) {
        auto& log = static_cast<TdlgLog&>(dialog);
        horizontal = log.memwarning->horizontalScrollBar()->value();
        vertical = log.memwarning->verticalScrollBar()->value();
        return platform::mrCancel;
    });
    t.fakes.services.dialogs.showModal(*t.frm->dlgLog);
    EXPECT_EQ(horizontal, 0);
    EXPECT_EQ(vertical, 0);
    EXPECT_EQ(t.frm->dlgLog->memwarning->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

} // namespace
