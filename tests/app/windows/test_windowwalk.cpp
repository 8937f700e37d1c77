// Every window of Pictorum as a new user meets it: its caption, and nothing outside the window,
// overlapping or cut at the default font.
#include "apptestutil.h"
#include "windowlayout.h"
#include "app/windows/addimage.h"
#include "app/windows/editsite.h"
#include "app/windows/style.h"
#include "app/windows/thumbop.h"

#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

class WindowWalk : public ::testing::Test, public PictorumFixture {
protected:
    void SetUp() override
    {
        prog.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        prog.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\n");
        prog.write("Site_1.ini", "[General]\r\nName=Alpha\r\nPath=%/Site_1/\r\nRotationCount=1\r\n");
        prog.mkdir("Site_1/Rotation_1");
        prog.write("Styles/page.htm", "<html><body>***CONTENT***</body></html>");
        start();
        clickRow(0);
    }

    // Each page of a window with tabs is looked at in turn.
    static QStringList problemsOnEveryPage(QWidget& window)
    {
        auto* tabs = window.findChild<QTabWidget*>();
        if (!tabs)
            return layoutProblems(window);
        QStringList problems;
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            for (const QString& problem : layoutProblems(window))
                problems.append(tabs->tabText(i) + QStringLiteral(": ") + problem);
        }
        tabs->setCurrentIndex(0);
        return problems;
    }
};

TEST_F(WindowWalk, EveryWindowHasItsCaptionAndFits)
{
    struct Case {
        QString caption;
        std::function<void()> open;
    };
    AppContext& c = *context;
    const Case cases[] = {
        {"Site Options", [&] { form().btnsiteoptionsClick(); }},
        {"Options", [&] { form().btnOptionsClick(); }},
        {"Edit Site", [&] { form().btnedtsiteClick(); }},
        {"Settings", [&] { c.dlgEditSite->btnThumbnailOptionsClick(); }},
        {"HTML Compliance", [&] { showTemplateCompliance(c, prog.file("Styles/page.htm"), true, &form()); }},
        {"Copy Settings", [&] { c.dlgEditSite->btnCopyFromClick(); }},
        {"Add Images to Current Rotation", [&] { c.services.dialogs.showModal(*c.dlgAddImages); }},
        {"About Pictorum Pro", [&] { form().btnaboutClick(); }},
    };

    EXPECT_EQ(form().windowTitle(), "Pictorum Pro");
    EXPECT_EQ(layoutProblems(form()), QStringList());
    for (const Case& walk : cases) {
        QString caption;
        QStringList problems;
        fake.dialogs.script([&](QDialog& dialog) {
            caption = dialog.windowTitle();
            problems = problemsOnEveryPage(dialog);
            return platform::mrCancel;
        });
        walk.open();
        EXPECT_EQ(caption, walk.caption);
        EXPECT_EQ(problems, QStringList()) << walk.caption.toStdString();
    }
    EXPECT_EQ(fake.dialogs.shown.size(), std::size(cases));
}

} // namespace
