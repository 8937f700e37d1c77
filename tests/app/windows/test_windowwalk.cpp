// Every window of Pictorum as a new user meets it: its caption, and nothing outside the window,
// overlapping or cut at the default font.
#include "apptestutil.h"
#include "windowlayout.h"
#include "app/windows/addimage.h"
#include "app/windows/editsite.h"
#include "app/windows/siteop.h"
#include "app/windows/style.h"
#include "app/windows/thumbop.h"


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
};

TEST_F(WindowWalk, EveryWindowHasItsCaptionAndFits)
{
    AppContext& c = *context;
    const std::vector<WindowCase> cases = {
        {"Site Options", [&] { form().btnsiteoptionsClick(); }},
        {"Browse for Folder", [&] { TdlgSIteOptions(c, &form()).BitBtn4Click(); }},
        {"Options", [&] { form().btnOptionsClick(); }},
        {"Edit Site", [&] { form().btnedtsiteClick(); }},
        {"Settings", [&] { c.dlgEditSite->btnThumbnailOptionsClick(); }},
        {"Please select an image to use",
         [&] { c.dlgThumbOptions->btnbrowseimageClick(c.dlgThumbOptions->edtpreviousfile, true); }},
        {"Open", [&] { c.dlgThumbOptions->btnbrowseimageClick(c.dlgThumbOptions->edtSelectedImageButton, false); }},
        {"HTML Compliance", [&] { showTemplateCompliance(c, prog.file("Styles/page.htm"), true, &form()); }},
        {"Copy Settings", [&] { c.dlgEditSite->btnCopyFromClick(); }},
        {"Add Images to Current Rotation", [&] { c.services.dialogs.showModal(*c.dlgAddImages); }},
        {"About Pictorum Pro", [&] { form().btnaboutClick(); }},
    };

    EXPECT_EQ(form().windowTitle(), "Pictorum Pro");
    EXPECT_EQ(layoutProblemsOnEveryPage(form()), QStringList());
    expectWindowsFit(fake.dialogs, cases);
}

} // namespace
