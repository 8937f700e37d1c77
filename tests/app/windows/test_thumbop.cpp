#include "apptestutil.h"
#include "app/settings/rotationsection.h"
#include "app/windows/colourbox.h"
#include "app/windows/editsite.h"
#include "app/windows/entryedit.h"
#include "app/windows/headerfootercomposer.h"
#include "app/windows/headerfooterlisteditor.h"
#include "app/windows/thumbop.h"
#include "components/bitbtn.h"

#include "components/pgopendialog.h"
#include "imaging/readerfilter.h"
#include "platform/fontfamilies.h"
#include "platform/inifile.h"

#include "filedialogdriver.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class PageOptions : public ::testing::Test, public PictorumFixture {
protected:
    TdlgThumbOptions& dialog() { return *context->dlgThumbOptions; }
    RotationSettings& settings() { return state().rotationSettings; }

    // Shows the dialog as the editor does, runs the handler, and gives the modal result.
    int showWith(std::function<void(TdlgThumbOptions&)> handler)
    {
        fake.dialogs.script([this, handler](QDialog&) {
            handler(dialog());
            return platform::mrNone;
        });
        return fake.dialogs.showModal(dialog());
    }
};

TEST_F(PageOptions, SixTabsAndTheControlsDefaults)
{
    start();
    TdlgThumbOptions& d = dialog();
    EXPECT_EQ(d.windowTitle(), "Settings");
    QStringList tabs;
    for (int i = 0; i < d.PageControl1->count(); ++i)
        tabs.append(d.PageControl1->tabText(i));
    EXPECT_EQ(tabs, QStringList({"Thumbnails", "Page Index", "Page Index 2", "Image Display", "Page Text", "Other"}));

    struct Spin { QSpinBox* box; int value, min, max, step; } spins[] = {
        {d.SpnThumbW, 100, 20, 900, 10},  {d.SpnThumbH, 100, 20, 900, 10},  {d.spnJPEGQuality, 70, 1, 100, 1},
        {d.spnHorzCOunt, 5, 1, 100, 1},   {d.spnVertCOunt, 4, 1, 100, 1},   {d.spnImageborder, 2, 0, 9, 1},
        {d.spnCellPadding, 10, 0, 30, 1}, {d.spnCellSpacing, 3, 0, 20, 1},  {d.SpnindexImageFontsize, 10, 2, 144, 1},
        {d.spnImageWidth, 100, 100, 5000, 100}, {d.SpnImageHeight, 100, 100, 5000, 100},
    };
    for (const Spin& s : spins) {
        EXPECT_EQ(s.box->value(), s.value);
        EXPECT_EQ(s.box->minimum(), s.min);
        EXPECT_EQ(s.box->maximum(), s.max);
        EXPECT_EQ(s.box->singleStep(), s.step);
    }
    EXPECT_TRUE(d.rdbshowfilenamenoext->isChecked());
    EXPECT_TRUE(d.chkShowFIlenameWhenNoDesc->isChecked());
    EXPECT_EQ(d.rgpIndexLayout->checkedId(), 0);
    EXPECT_EQ(d.edtpagenumberprefix->text(), "Page");
    EXPECT_TRUE(d.chkIndexInThumbPages->isChecked());
    EXPECT_TRUE(d.rdbindexfontdefault->isChecked());
    EXPECT_EQ(d.cmbindexFontsize->currentText(), "Default");
    EXPECT_EQ(d.cmbLinkEnclosure->currentText(), "None");
    EXPECT_TRUE(d.rdbDisplayasimage->isChecked());
    EXPECT_EQ(d.cmbimageHeader->currentIndex(), 1);
    EXPECT_EQ(d.cmbimageFooter->itemText(3), "Different Footer on each created page");
    EXPECT_TRUE(d.chkUseSameNavGraphics->isChecked());
    EXPECT_TRUE(d.rdbfontdefault->isChecked());
    EXPECT_EQ(d.Cmbheadingsize->currentText(), "H1 (Largest)");
    EXPECT_EQ(d.cmbImageDisplayMethod->count(), 4);
    for (ColourBox* box : {d.cmbIndexTextColour, d.cmbNonCurrentIndexText, d.cmbLinkEncColour, d.cmbHeadingColour}) {
        EXPECT_EQ(box->count(), 15);
        EXPECT_EQ(box->currentIndex(), 0);
        EXPECT_EQ(box->itemText(0), "Default Page Colour");
        EXPECT_EQ(box->itemText(14), "Other..");
    }
    EXPECT_FALSE(d.edtindexTextColour->isEnabled());
    EXPECT_TRUE(d.edtindexTextColour->isReadOnly());
}

TEST_F(PageOptions, ControlsEditTheRecordLive)
{
    start();
    TdlgThumbOptions& d = dialog();
    d.SpnThumbW->setValue(250);
    d.rdbshowdescription->setChecked(true);
    d.rgpIndexLayout->button(1)->setChecked(true);
    d.rdbHTMLImageWindow->setChecked(true);
    d.rdbfontcustom->setChecked(true);
    d.FontName->setEditText("Verdana,Arial");
    d.cmbLinkEnclosure->setCurrentIndex(2);
    d.edtpagenumberprefix->setText("Seite");
    EXPECT_EQ(settings().SpnThumbW.value(), 250);
    EXPECT_TRUE(settings().rdbshowdescription());
    EXPECT_EQ(settings().rgpIndexLayout.index(), 1);
    EXPECT_TRUE(settings().rdbHTMLImageWindow);
    EXPECT_FALSE(settings().rdbfontdefault);
    EXPECT_EQ(settings().FontName, "Verdana,Arial");
    EXPECT_EQ(settings().cmbLinkEnclosure.text(), "> <");
    EXPECT_EQ(settings().edtpagenumberprefix, "Seite");

    // Cancel closes without undoing anything: the controls are the settings.
    EXPECT_EQ(showWith([](TdlgThumbOptions& t) { QTest::mouseClick(t.BitBtn2, Qt::LeftButton); }), platform::mrCancel);
    EXPECT_EQ(settings().SpnThumbW.value(), 250);

    // And a record changed elsewhere shows once it is loaded.
    settings().SpnThumbH.setValue(40);
    settings().rdbHTMLImageWindow = false;
    d.showSettings();
    EXPECT_EQ(d.SpnThumbH->value(), 40);
    EXPECT_TRUE(d.rdbDisplayasimage->isChecked());
}

TEST_F(PageOptions, ColourListEntriesShowTheirHtmlText)
{
    start();
    TdlgThumbOptions& d = dialog();
    const char* html[] = {"#000000", "#FFFFFF", "#808080", "#C0C0C0", "#FFFF00", "#008080", "#008000",
                          "#FF0000", "#800080", "#000080", "#800000", "#0000FF", "#FF00FF"};
    const std::pair<ColourBox*, QLineEdit*> boxes[] = {{d.cmbIndexTextColour, d.edtindexTextColour},
                                                       {d.cmbNonCurrentIndexText, d.edtNonCurrentIndexText},
                                                       {d.cmbLinkEncColour, d.edtLinkEncColour},
                                                       {d.cmbHeadingColour, d.EdtHeadingColour}};
    for (const auto& [box, text] : boxes) {
        for (int entry = 1; entry <= 13; ++entry) {
            box->setCurrentIndex(entry);
            EXPECT_EQ(text->text(), html[entry - 1]) << entry;
            EXPECT_FALSE(d.IsDefault(box));
            EXPECT_EQ(htmlColourText(d.IsColour(box)), html[entry - 1]);
        }
        box->setCurrentIndex(0);
        EXPECT_EQ(text->text(), QString());
        EXPECT_TRUE(d.IsDefault(box));
        EXPECT_EQ(d.IsColour(box), clBlack);
    }
    d.cmbHeadingColour->setCurrentIndex(12);
    EXPECT_EQ(settings().cmbHeadingColour.IsColour(), rgbColour(0, 0, 0xFF));
    EXPECT_EQ(fake.prompts.calls().size(), 0);
}

TEST_F(PageOptions, OtherPicksAColourOrFallsBackToTheDefault)
{
    start();
    TdlgThumbOptions& d = dialog();
    d.cmbLinkEncColour->setCurrentIndex(8);
    fake.prompts.answerColor(0x123456u);
    d.cmbLinkEncColour->setCurrentIndex(14);
    ASSERT_EQ(fake.prompts.calls().size(), 1);
    EXPECT_EQ(fake.prompts.calls()[0].kind, platform::ScriptedPromptService::Call::Color);
    EXPECT_EQ(d.cmbLinkEncColour->currentIndex(), -1);
    EXPECT_EQ(d.edtLinkEncColour->text(), "#123456");
    EXPECT_EQ(settings().cmbLinkEncColour.kind(), ColourChoice::Kind::Picked);
    EXPECT_EQ(d.IsColour(d.cmbLinkEncColour), rgbColour(0x12, 0x34, 0x56));

    fake.prompts.answerColor(std::nullopt); // Cancel
    d.cmbLinkEncColour->setCurrentIndex(14);
    EXPECT_EQ(d.cmbLinkEncColour->currentIndex(), 0);
    EXPECT_EQ(d.edtLinkEncColour->text(), QString());
    EXPECT_TRUE(settings().cmbLinkEncColour.IsDefault());
}

TEST_F(PageOptions, APickedColourSurvivesShowingSavingAndLoading)
{
    prog.write("Site_1.ini", "[General]\r\nName=A\r\nPath=%/Site_1/\r\n");
    start();
    state().CurrentSite.SiteKey = "Site_1";
    TdlgThumbOptions& d = dialog();
    fake.prompts.answerColor(0xABCDEFu);
    d.cmbHeadingColour->setCurrentIndex(14);

    showWith([](TdlgThumbOptions& t) {
        EXPECT_EQ(t.cmbHeadingColour->currentIndex(), -1); // SetDefaultValues on show keeps it
        EXPECT_EQ(t.EdtHeadingColour->text(), "#ABCDEF");
    });
    d.SetDefaultValues(); // as the editor does before a build
    EXPECT_EQ(settings().cmbHeadingColour.IsColour(), rgbColour(0xAB, 0xCD, 0xEF));

    ASSERT_TRUE(context->dlgEditSite->SaveRotation(1, false));
    EXPECT_EQ(platform::IniFile(prog.file("Site_1.ini")).readString("Rotation_1", "Heading_Colour", ""), "$00EFCDAB");
    settings().cmbHeadingColour.setDefault();
    context->dlgEditSite->LoadRotation("Site_1", 1, false, false);
    EXPECT_EQ(d.cmbHeadingColour->currentIndex(), -1);
    EXPECT_EQ(d.EdtHeadingColour->text(), "#ABCDEF");
    EXPECT_FALSE(d.IsDefault(d.cmbHeadingColour));

    d.SetDefaultSetColour(d.cmbHeadingColour, false, rgbColour(0xFF, 0, 0));
    EXPECT_EQ(d.cmbHeadingColour->currentIndex(), 8);
    EXPECT_EQ(d.EdtHeadingColour->text(), "#FF0000");
}

TEST_F(PageOptions, ImagePageRules)
{
    start();
    showWith([](TdlgThumbOptions& t) {
        const auto imageControls = [&] {
            return QList<bool>{t.cmbimagestyle->isEnabled(),   t.lblimagestyle->isEnabled(),
                               t.btnimagestyle->isEnabled(),   t.chkImageHeading->isEnabled(),
                               t.cmbimageHeader->isEnabled(),  t.cmbimageFooter->isEnabled(),
                               t.lblimageFooter->isEnabled(),  t.chkimagenavigationbar->isEnabled(),
                               t.chkIndexInImagePages->isEnabled()};
        };
        EXPECT_EQ(imageControls(), QList<bool>(9, false));
        EXPECT_FALSE(t.btntestimagestyle->isEnabled());

        t.rdbHTMLImageWindow->setChecked(true);
        EXPECT_EQ(imageControls(), QList<bool>(9, true));
        // header and footer at "same as thumbnail page": nothing to edit
        EXPECT_FALSE(t.btneditimageheader->isEnabled());
        EXPECT_FALSE(t.btneditimagefooter->isEnabled());
        EXPECT_FALSE(t.btnviewimagestyle->isEnabled()); // no template yet
        for (int entry : {0, 1, 2, 3}) {
            t.cmbimageHeader->setCurrentIndex(entry);
            t.cmbimageFooter->setCurrentIndex(3 - entry);
            EXPECT_EQ(t.btneditimageheader->isEnabled(), entry >= 2) << entry;
            EXPECT_EQ(t.btneditimagefooter->isEnabled(), entry <= 1) << entry;
        }

        t.cmbimagestyle->setEditText("/t/image.htm");
        EXPECT_TRUE(t.btntestimagestyle->isEnabled());
        EXPECT_TRUE(t.btnviewimagestyle->isEnabled());
        QTest::mouseClick(t.btntestimagestyle, Qt::LeftButton);
        EXPECT_FALSE(t.btntestimagestyle->isEnabled()); // until the text changes
        t.cmbimagestyle->setEditText("/t/image2.htm");
        EXPECT_TRUE(t.btntestimagestyle->isEnabled());
        t.cmbimagestyle->setEditText("/t/image.htm"); // the tested text again: a change too
        EXPECT_TRUE(t.btntestimagestyle->isEnabled());

        t.rdbDisplayasimage->setChecked(true);
        EXPECT_EQ(imageControls(), QList<bool>(9, false));
        EXPECT_FALSE(t.btneditimageheader->isEnabled());
        EXPECT_FALSE(t.btnviewimagestyle->isEnabled());
    });
    EXPECT_EQ(fake.shell.opened, QStringList());
}

TEST_F(PageOptions, TestComplianceRestsOnlyWhileItsTemplateStaysTheSame)
{
    start();
    settings().rdbHTMLImageWindow = true;
    settings().cmbimagestyle = "/t/a.htm";
    showWith([](TdlgThumbOptions& t) {
        EXPECT_TRUE(t.btntestimagestyle->isEnabled());
        t.btntestimagestyleClick();
        EXPECT_FALSE(t.btntestimagestyle->isEnabled());
        // Image pages switched off and on again run the rule afresh too.
        t.rdbDisplayasimage->setChecked(true);
        t.rdbHTMLImageWindow->setChecked(true);
        EXPECT_TRUE(t.btntestimagestyle->isEnabled());
    });
    // Showing the dialog again runs the rules afresh.
    showWith([](TdlgThumbOptions& t) {
        EXPECT_TRUE(t.btntestimagestyle->isEnabled());
        t.btntestimagestyleClick();
    });
    // Another rotation's template, loaded while the dialog is closed, can be tested at once.
    settings().cmbimagestyle = "/t/b.htm";
    dialog().showSettings();
    EXPECT_TRUE(dialog().btntestimagestyle->isEnabled());
    dialog().btntestimagestyleClick();
    EXPECT_FALSE(dialog().btntestimagestyle->isEnabled());
}

TEST_F(PageOptions, NavigationButtonRules)
{
    start();
    showWith([](TdlgThumbOptions& t) {
        struct Case { bool custom, bar, html; bool prev, index, same; } cases[] = {
            {false, false, false, false, false, false},
            {true, false, false, true, false, false},
            {true, false, true, true, true, false},
            {true, true, false, true, false, false},
            {true, true, true, true, true, true},
            {false, true, true, false, false, false},
        };
        for (const Case& c : cases) {
            t.Chkusecustombuttons->setChecked(c.custom);
            t.chkimagenavigationbar->setChecked(c.bar);
            (c.html ? t.rdbHTMLImageWindow : t.rdbDisplayasimage)->setChecked(true);
            for (QWidget* w : std::initializer_list<QWidget*>{t.edtpreviousfile, t.btnpreviousfile, t.lblpreviousfile,
                                                             t.edtnextfile, t.btnnextfile, t.lblnextfile})
                EXPECT_EQ(w->isEnabled(), c.prev);
            for (QWidget* w : std::initializer_list<QWidget*>{t.edtindexfile, t.btnindexfile, t.lblindexfile,
                                                             t.lblindexfilenote})
                EXPECT_EQ(w->isEnabled(), c.index);
            EXPECT_EQ(t.chkUseSameNavGraphics->isEnabled(), c.same);
        }
        t.Chkusecustombuttons->setChecked(true);
        t.chkUseSameNavGraphics->setChecked(true);
        t.Chkusecustombuttons->setChecked(false); // unchecking clears it
        EXPECT_FALSE(t.chkUseSameNavGraphics->isChecked());
    });
    EXPECT_FALSE(settings().chkUseSameNavGraphics);
}

TEST_F(PageOptions, IndexFontDescriptionAndSizeRules)
{
    start();
    showWith([](TdlgThumbOptions& t) {
        const QList<QWidget*> buttons = {t.SpnindexImageFontsize, t.edtSelectedImageButton, t.btnSelectedImageButton,
                                         t.lblSelectedImageButton, t.edtotherImageButton,  t.btnotherImageButton,
                                         t.lblotherImageButton,    t.cmbNonCurrentIndexText, t.lblNonCurrentIndexText};
        for (bool on : {false, true, false}) {
            t.chkImageButtons->setChecked(on);
            for (QWidget* w : buttons)
                EXPECT_EQ(w->isEnabled(), on);
            EXPECT_EQ(t.cmbindexFontsize->isEnabled(), !on);
            EXPECT_EQ(t.lblindexFontsize->isEnabled(), !on);
        }
        for (int entry : {0, 1, 4, 0}) {
            t.cmbLinkEnclosure->setCurrentIndex(entry);
            EXPECT_EQ(t.cmbLinkEncColour->isEnabled(), entry > 0);
            EXPECT_EQ(t.edtLinkEncColour->isEnabled(), entry > 0);
            EXPECT_EQ(t.lblLinkEncColour->isEnabled(), entry > 0);
        }
        EXPECT_FALSE(t.FontName->isEnabled());
        t.rdbfontcustom->setChecked(true);
        EXPECT_TRUE(t.FontName->isEnabled());
        EXPECT_TRUE(t.lblFontNameHint->isEnabled());
        EXPECT_FALSE(t.indexFontName->isEnabled());
        t.rdbindexfontcustom->setChecked(true);
        EXPECT_TRUE(t.indexFontName->isEnabled());

        for (QRadioButton* r : {t.rdbshownothing, t.rdbshowdescription, t.rdbshowfilenamewithext}) {
            r->setChecked(true);
            const bool on = r == t.rdbshowdescription;
            EXPECT_EQ(t.edtdescripfile->isEnabled(), on);
            EXPECT_EQ(t.btndescripfile->isEnabled(), on);
            EXPECT_EQ(t.chkShowFIlenameWhenNoDesc->isEnabled(), on);
        }
        for (bool on : {true, false}) {
            t.chkmaximagesize->setChecked(on);
            for (QWidget* w : std::initializer_list<QWidget*>{t.spnImageWidth, t.SpnImageHeight, t.lblImageWidth,
                                                             t.lblImageHeight})
                EXPECT_EQ(w->isEnabled(), on);
        }
        EXPECT_TRUE(t.chkAddLumoraLink->isEnabled());
    });
}

TEST_F(PageOptions, OkChecksInOrderWithTheirTexts)
{
    start();
    const QString template_ = prog.write("Styles/Image.htm", "<html>***CONTENT***</html>");
    const QString desc = prog.write("desc.csv", "a.jpg,An image\r\n");
    const QString list = prog.write("heads.txt", "<b>x</b>\r\n");
    const QString gif = prog.write("b.gif", "GIF89a");

    const QString texts[] = {
        "You have elected to create HTML pages, however you have not specified a template file or the file cannot be located!",
        "You have elected to show descriptions for your thumbnails, however you have not specified a description file or the file cannot be located!",
        "You have elected to insert a header, but have not provided any HTML!",
        "You have elected to insert custom headers, but you have not specified a file to use or the file cannot be located!",
        "You have elected to insert a footer, but have not provided any HTML!",
        "You have elected to insert custom footers, but you have not specified a file to use or the file cannot be located!",
        "You have elected to use custom previous and next images, however one of the images you have entered cannot be located!",
        "You have elected to use custom image buttons for your Index, however one of the images you have entered cannot be located!",
    };
    const int result = showWith([&](TdlgThumbOptions& t) {
        t.rdbHTMLImageWindow->setChecked(true);
        t.cmbimagestyle->setEditText(prog.file("Styles/Missing.htm"));
        t.rdbshowdescription->setChecked(true);
        t.cmbimageHeader->setCurrentIndex(2);
        t.cmbimageFooter->setCurrentIndex(2);
        t.Chkusecustombuttons->setChecked(true);
        t.edtpreviousfile->setText(gif);
        t.edtnextfile->setText(prog.file("missing.gif"));
        t.chkImageButtons->setChecked(true);
        t.edtSelectedImageButton->setText(gif); // only one of the two

        const std::function<void()> fixes[] = {
            [&] { t.cmbimagestyle->setEditText(template_); },
            [&] { t.edtdescripfile->setText(desc); },
            [&] { t.cmbimageHeader->setCurrentIndex(3); },       // now needs a list file
            [&] { t.edtimageheaderfile->setText(list); },
            [&] { t.cmbimageFooter->setCurrentIndex(3); },
            [&] { t.edtimagefooterfile->setText(list); },
            [&] { t.edtnextfile->setText(gif); },
            [&] { t.edtotherImageButton->setText(gif); },
        };
        for (int i = 0; i < 8; ++i) {
            fake.prompts.clear();
            QTest::mouseClick(t.BitBtn1, Qt::LeftButton);
            ASSERT_TRUE(t.isVisible()) << i;
            ASSERT_EQ(fake.prompts.calls().size(), 1) << i;
            const platform::Prompt& p = fake.prompts.lastPrompt();
            EXPECT_EQ(p.text, texts[i]);
            const bool info = i == 2 || i == 4;
            EXPECT_EQ(p.icon, info ? platform::PromptIcon::Information : platform::PromptIcon::Warning) << i;
            EXPECT_EQ(p.caption, info ? "Information" : "Warning") << i;
            EXPECT_EQ(p.buttons, platform::PromptButtons::Ok);
            fixes[i]();
        }
        fake.prompts.clear();
        QTest::mouseClick(t.BitBtn1, Qt::LeftButton);
        EXPECT_TRUE(fake.prompts.calls().isEmpty());
    });
    EXPECT_EQ(result, platform::mrOk);
}

TEST_F(PageOptions, ChecksIgnoreSwitchedOffOptions)
{
    start();
    settings().cmbimagestyle.clear();
    settings().Chkusecustombuttons = false;
    settings().edtnextfile = "/nowhere/next.gif";
    settings().cmbimageHeader.setIndex(2); // the header checks hold whatever the display choice
    EXPECT_EQ(showWith([](TdlgThumbOptions& t) { QTest::mouseClick(t.BitBtn1, Qt::LeftButton); }), platform::mrNone);
    EXPECT_EQ(fake.prompts.promptTexts(),
              QStringList{"You have elected to insert a header, but have not provided any HTML!"});
    settings().cmbimageHeader.setIndex(0);
    fake.prompts.clear();
    EXPECT_EQ(showWith([](TdlgThumbOptions& t) { QTest::mouseClick(t.BitBtn1, Qt::LeftButton); }), platform::mrOk);
    EXPECT_TRUE(fake.prompts.calls().isEmpty());
}

TEST_F(PageOptions, NavigationGraphicsFillEmptyBoxesOnShow)
{
    prog.write("navgraph/Next.gif", "GIF89a");
    prog.write("navgraph/Index.gif", "GIF89a");
    start();
    settings().edtpreviousfile.clear();
    settings().edtnextfile.clear();
    settings().edtindexfile = "/mine/index.gif";
    showWith([&](TdlgThumbOptions& t) {
        EXPECT_EQ(t.edtnextfile->text(), prog.file("navgraph/Next.gif"));
        EXPECT_EQ(t.edtpreviousfile->text(), QString()); // no navgraph/Previous.gif
        EXPECT_EQ(t.edtindexfile->text(), "/mine/index.gif"); // never replaced
    });
    EXPECT_EQ(settings().edtnextfile, prog.file("navgraph/Next.gif"));
    settings().edtindexfile.clear();
    showWith([&](TdlgThumbOptions& t) { EXPECT_EQ(t.edtindexfile->text(), prog.file("navgraph/Index.gif")); });
}

TEST_F(PageOptions, ShowFillsListsWithoutSelectionAndTakesTheRecentTemplates)
{
    start();
    context->dlgEditSite->cmbstyle->addItems({"/t/a.htm", "/t/b.htm"});
    settings().cmbimagestyle = "/t/mine.htm";
    settings().cmbFontsize.setIndex(-1);
    settings().cmbimageFooter.setIndex(-1);
    settings().Cmbheadingsize.setIndex(3);
    showWith([](TdlgThumbOptions& t) {
        EXPECT_EQ(t.cmbFontsize->currentIndex(), 2);
        EXPECT_EQ(t.cmbimageFooter->currentIndex(), 1);
        EXPECT_EQ(t.Cmbheadingsize->currentIndex(), 3);
        ASSERT_EQ(t.cmbimagestyle->count(), 2);
        EXPECT_EQ(t.cmbimagestyle->itemText(1), "/t/b.htm");
        EXPECT_EQ(t.cmbimagestyle->currentText(), "/t/mine.htm");
        t.cmbimagestyleExit(); // leaving the box remembers the template
        EXPECT_EQ(t.cmbimagestyle->count(), 3);
        t.cmbimagestyleExit();
        EXPECT_EQ(t.cmbimagestyle->count(), 3);
    });
    EXPECT_EQ(settings().cmbimagestyle, "/t/mine.htm");
}

TEST_F(PageOptions, HelpFollowsTheTab)
{
    start();
    showWith([](TdlgThumbOptions& t) {
        for (int tab = 0; tab < 6; ++tab) {
            t.PageControl1->setCurrentIndex(tab);
            QTest::mouseClick(t.BitBtn3, Qt::LeftButton);
        }
    });
    EXPECT_EQ(fake.shell.helpContexts, QList<int>({31, 32, 32, 33, 34, 36}));
}

TEST_F(PageOptions, BrowseButtonsFillTheirBoxes)
{
    start();
    TdlgThumbOptions& d = dialog();
    const QString prev = prog.write("img/prev.gif", "GIF89a");
    const QString on = prog.write("img/on.png", "png");
    const QString old = prog.write("old/old.gif", "GIF89a");

    // The previous, next and "Return to Index" buttons: browser images only.
    d.Chkusecustombuttons->setChecked(true);
    fake.dialogs.script([&](QDialog& shown) {
        auto& open = dynamic_cast<TPGOpenDialog&>(shown);
        EXPECT_EQ(open.objectName(), "PGOpenHTMLImage");
        EXPECT_EQ(open.windowTitle(), "Please select an image to use");
        EXPECT_FALSE(open.UseDefaultFilter());
        EXPECT_EQ(open.Filter(), "Image files|*.gif; *.jpeg; *.jpg;|GIF Files|*.gif|JPEG Files|*.jpeg; *.jpg;");
        typeFileName(*open.FileDialog, prev);
        acceptFileDialog(*open.FileDialog);
        return platform::mrNone;
    });
    QTest::mouseClick(d.btnpreviousfile, Qt::LeftButton);
    EXPECT_EQ(d.edtpreviousfile->text(), prev);
    d.edtnextfile->setText("/keep.gif");
    fake.dialogs.script([](QDialog&) { return platform::mrCancel; });
    QTest::mouseClick(d.btnnextfile, Qt::LeftButton);
    EXPECT_EQ(d.edtnextfile->text(), "/keep.gif");

    // The index buttons: any picture the readers know, starting at the box's file.
    d.edtSelectedImageButton->setText(old);
    fake.dialogs.script([&](QDialog& shown) {
        auto& open = dynamic_cast<TPGOpenDialog&>(shown);
        EXPECT_EQ(open.objectName(), "dlgopenimage");
        EXPECT_EQ(open.windowTitle(), "Open");
        EXPECT_TRUE(open.UseDefaultFilter());
        EXPECT_EQ(open.Filter(), BuildDefaultFilter());
        EXPECT_EQ(open.FileDialog->directory().absolutePath() + "/", prog.file("old/"));
        typeFileName(*open.FileDialog, on);
        acceptFileDialog(*open.FileDialog);
        return platform::mrNone;
    });
    d.btnbrowseimageClick(d.edtSelectedImageButton, false);
    EXPECT_EQ(settings().edtSelectedImageButton, on);
    EXPECT_EQ(fake.dialogs.shown, (QStringList{"TPGOpenDialog", "TPGOpenDialog", "TPGOpenDialog"}));

    fake.prompts.answerFile(QString("/texts/desc.ini"));
    d.btndescripfileClick();
    EXPECT_EQ(settings().edtdescripfile, "/texts/desc.ini");
    const auto& calls = fake.prompts.calls();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0].caption, "Please select a description file");
    EXPECT_TRUE(calls[0].detail.contains("INI file format (*.ini)"));
}

TEST_F(PageOptions, TemplateBrowseTestAndView)
{
    start();
    TdlgThumbOptions& d = dialog();
    d.rdbHTMLImageWindow->setChecked(true);
    d.hooks.openHTMLTemplate = [](const platform::FileChoice&) { return std::optional<QString>("/t/new.htm"); };

    QList<std::pair<QString, bool>> checks;
    int answer = platform::mrCancel;
    d.hooks.runTemplateCheck = [&](const QString& file, bool thumbnailPage) {
        checks.append({file, thumbnailPage});
        return answer;
    };
    d.btnimagestyleClick();
    EXPECT_EQ(settings().cmbimagestyle, QString()); // the check was cancelled
    answer = platform::mrOk;
    d.btnimagestyleClick();
    EXPECT_EQ(settings().cmbimagestyle, "/t/new.htm");
    EXPECT_EQ(checks, (QList<std::pair<QString, bool>>{{"/t/new.htm", false}, {"/t/new.htm", false}}));

    d.btntestimagestyleClick();
    EXPECT_EQ(checks.size(), 3);
    EXPECT_FALSE(d.btntestimagestyle->isEnabled());

    d.btnviewimagestyleClick();
    EXPECT_EQ(fake.shell.opened, QStringList{"/t/new.htm"});

    // Without the check dialog wired, the chosen template is taken as it is.
    d.hooks.runTemplateCheck = nullptr;
    d.hooks.openHTMLTemplate = [](const platform::FileChoice&) { return std::optional<QString>("/t/plain.htm"); };
    d.btnimagestyleClick();
    EXPECT_EQ(settings().cmbimagestyle, "/t/plain.htm");
}

TEST_F(PageOptions, EditHeaderAndFooterOpenTheirEditors)
{
    start();
    TdlgThumbOptions& d = dialog();
    d.rdbHTMLImageWindow->setChecked(true);
    QStringList calls;
    d.hooks.composeHeaderFooter = [&](bool isHeader, const QString& html) {
        calls.append(QString("compose %1 %2").arg(isHeader).arg(html));
        return std::optional<QString>(html + "<br>");
    };
    d.hooks.editHeaderFooterList = [&](bool isHeader, const QString& file) {
        calls.append(QString("list %1 %2").arg(isHeader).arg(file));
        return isHeader ? std::optional<QString>("/lists/heads.txt") : std::nullopt;
    };
    d.cmbimageHeader->setCurrentIndex(2);
    d.edtimageheaderhtml->setText("<b>a</b>");
    d.cmbimageFooter->setCurrentIndex(3);
    d.edtimagefooterfile->setText("/lists/old.txt");
    QTest::mouseClick(d.btneditimageheader, Qt::LeftButton);
    QTest::mouseClick(d.btneditimagefooter, Qt::LeftButton);
    d.cmbimageHeader->setCurrentIndex(3);
    QTest::mouseClick(d.btneditimageheader, Qt::LeftButton);
    EXPECT_EQ(calls, QStringList({"compose 1 <b>a</b>", "list 0 /lists/old.txt", "list 1 "}));
    EXPECT_EQ(settings().edtimageheaderhtml, "<b>a</b><br>");
    EXPECT_EQ(settings().edtimagefooterfile, "/lists/old.txt"); // cancelled
    EXPECT_EQ(settings().edtimageheaderfile, "/lists/heads.txt");
}

TEST_F(PageOptions, EditHeaderAndFooterShowTheComposerAndTheListEditor)
{
    start();
    TdlgThumbOptions& d = dialog();
    d.rdbHTMLImageWindow->setChecked(true);
    d.cmbimageFooter->setCurrentIndex(2);
    d.edtimagefooterhtml->setText("<i>old</i>");
    fake.dialogs.script([](QDialog& dlg) {
        auto& composer = dynamic_cast<TdlgNewHeaderFooter&>(dlg);
        EXPECT_EQ(composer.windowTitle(), "Edit Footer");
        composer.edtRawHTML->setText(composer.edtRawHTML->text() + "<br>");
        composer.BitBtn1Click();
        return platform::mrNone;
    });
    QTest::mouseClick(d.btneditimagefooter, Qt::LeftButton);
    EXPECT_EQ(settings().edtimagefooterhtml, "<i>old</i><br>");

    const QString list = prog.file("image_heads.txt");
    d.cmbimageHeader->setCurrentIndex(3);
    for (bool ok : {false, true}) {
        fake.dialogs.script([&](QDialog& dlg) {
            auto& editor = dynamic_cast<TdlgHeaderFooter&>(dlg);
            editor.lbxheaders->addItem("<b>head</b>");
            editor.edtheaderfile->setText(list);
            if (ok)
                editor.BitBtn3Click();
            return ok ? platform::mrNone : platform::mrCancel;
        });
        QTest::mouseClick(d.btneditimageheader, Qt::LeftButton);
        EXPECT_EQ(settings().edtimageheaderfile, ok ? list : QString());
    }
    EXPECT_EQ(prog.read("image_heads.txt"), "<b>head</b>\r\n");
}

TEST_F(PageOptions, FontListsHoldTheInstalledFontsAndKeepAStoredMissingFace)
{
    prog.write("Site_1.ini", "[Rotation_1]\r\nIndex_Font=No Such Face Here\r\nDefault_Font=Another Absent Face\r\n");
    start();
    state().CurrentSite.SiteKey = "Site_1";
    TdlgThumbOptions& d = dialog();
    // Plain family names, each once: no foundry in brackets.
    const QStringList families = platform::installedFontFamilies();
    for (QComboBox* box : {d.FontName, d.indexFontName}) {
        QStringList listed;
        for (int i = 0; i < box->count(); ++i)
            listed.append(box->itemText(i));
        EXPECT_EQ(listed, families);
        EXPECT_FALSE(listed.join(QString()).contains('['));
        EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()).size(), listed.size());
    }

    context->dlgEditSite->LoadRotation("Site_1", 1, false, false);
    EXPECT_EQ(d.indexFontName->currentText(), "No Such Face Here");
    EXPECT_TRUE(d.rdbindexfontcustom->isChecked());
    EXPECT_EQ(d.FontName->currentText(), "Another Absent Face");
    ASSERT_TRUE(context->dlgEditSite->SaveRotation(1, false));
    const platform::IniFile file(prog.file("Site_1.ini"));
    EXPECT_EQ(file.readString("Rotation_1", "Index_Font", ""), "No Such Face Here");
    EXPECT_EQ(file.readString("Rotation_1", "Default_Font", ""), "Another Absent Face");

    if (!families.isEmpty()) {
        d.indexFontName->setCurrentIndex(0);
        EXPECT_EQ(settings().indexFontName, families.front());
    }
}

TEST_F(PageOptions, StartUpSampleButtonsReachTheRecord)
{
    prog.write("Samples/Previous.gif", "GIF89a");
    prog.write("Samples/Next.gif", "GIF89a");
    prog.write("recent_image_styles.txt", "/t/img.htm\r\n");
    start();
    EXPECT_EQ(settings().edtpreviousfile, prog.file("Samples/Previous.gif"));
    EXPECT_EQ(settings().edtnextfile, prog.file("Samples/Next.gif"));
    EXPECT_TRUE(settings().Chkusecustombuttons);
    // loading the recent list does not make its first entry the template
    EXPECT_EQ(settings().cmbimagestyle, QString());
    EXPECT_EQ(dialog().cmbimagestyle->currentText(), QString());
}

} // namespace
