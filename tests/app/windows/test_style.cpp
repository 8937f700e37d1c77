#include "apptestutil.h"
#include "app/windows/editsite.h"
#include "app/windows/style.h"
#include "app/windows/thumbop.h"
#include "components/bitbtn.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using platform::mrCancel;
using platform::mrNo;
using platform::mrNone;
using platform::mrOk;
using platform::mrYes;

namespace {

const QString askToUse = QStringLiteral(
    "Some warning were raised while testing this HTML file for compliancy.  Are you sure you want to use it?");

class StyleDialog : public ::testing::Test, public PictorumFixture {
protected:
    TempFolder styles;
    QString goodTemplate()
    {
        styles.write("back.gif", "x");
        return styles.write("good.htm", "<html><body background=\"Back.gif\">***HEADER***\r\n***CONTENT***\r\n"
                                        "<img src=\"http://example.org/x.gif\">***FOOTER***</body></html>");
    }
    static QStringList results(const TdlgStyle& d)
    {
        return {d.lblcontentres->text(), d.lblIndexres->text(), d.lblHeaderres->text(), d.lblFooterres->text()};
    }
};

TEST_F(StyleDialog, ShowsTokensFilesAndStoresTheFlags)
{
    start();
    TdlgStyle d(*context, &form());
    EXPECT_TRUE(d.TestCompliancy(goodTemplate(), true));
    EXPECT_EQ(d.windowTitle(), "HTML Compliance");
    EXPECT_EQ(d.edthtmlfile->text(), styles.file("good.htm"));
    EXPECT_EQ(d.lblinform->text(), "(This text indicates where the Thumbnail grid should be inserted)");
    EXPECT_EQ(results(d), (QStringList{"- Found", "- NOT FOUND!", "- Found", "- Found"}));
    EXPECT_EQ(d.requiredFiles(), QStringList{"back.gif"});
    EXPECT_EQ(d.warnings(), QStringList());
    EXPECT_EQ(state().ThumbTemplateTokens, (TemplateTokens{true, false, true, true}));
    EXPECT_EQ(state().ImageTemplateTokens, TemplateTokens{});

    d.show();
    EXPECT_EQ((QStringList{d.lblcontent->text(), d.lblIndex->text(), d.lblHeader->text(), d.lblFooter->text()}),
              (QStringList{"***CONTENT***", "***INDEX***", "***HEADER***", "***FOOTER***"}));
}

TEST_F(StyleDialog, MissingContentTokenFailsWithItsWarning)
{
    start();
    const QString file = styles.write("lower.htm", "***content*** ***INDEX*** <img src=\"gone.gif\">.");
    TdlgStyle d(*context, &form());
    EXPECT_FALSE(d.TestCompliancy(file, false));
    EXPECT_EQ(d.lblinform->text(), "(This text indicates where the image should be inserted)");
    EXPECT_EQ(results(d), (QStringList{"- NOT FOUND!", "- Found", "- NOT FOUND!", "- NOT FOUND!"}));
    EXPECT_EQ(d.warnings(),
              (QStringList{"* The text, ***CONTENT***, could not be located in your HTML file.  This text is required so "
                           "that Pictorum Pro knows where to insert the thumbnails or image.",
                           "* The file, gone.gif, could not be located in the directory, " + styles.path()}));
    EXPECT_EQ(state().ImageTemplateTokens, (TemplateTokens{false, true, false, false}));
}

TEST_F(StyleDialog, AFailedReferenceScanIsSilent)
{
    // A quote as the very last character ends the scan: the names found so far stay listed,
    // no file is checked and the result rests on the content token alone.
    start();
    const QString file = styles.write("cut.htm", "***CONTENT*** <img src=\"gone.gif\"><img src=\"b.gif\"");
    TdlgStyle d(*context, &form());
    EXPECT_TRUE(d.TestCompliancy(file, true));
    EXPECT_EQ(d.requiredFiles(), QStringList{"gone.gif"});
    EXPECT_EQ(d.warnings(), QStringList());
    EXPECT_FALSE(d.GenerateRequiredFilesList(QStringLiteral("<img src=\"a.gif\"")));
    EXPECT_TRUE(d.GenerateRequiredFilesList(QStringLiteral("<img src=\"a.gif\">")));
}

TEST_F(StyleDialog, UnreadableTemplateKeepsThePreviousResults)
{
    start();
    styles.mkdir("folder.htm");
    TdlgStyle d(*context, &form());
    ASSERT_TRUE(d.TestCompliancy(goodTemplate(), true));
    for (const QString& bad : {styles.file("folder.htm"), styles.file("none.htm")}) {
        EXPECT_FALSE(d.TestCompliancy(bad, true));
        EXPECT_EQ(d.edthtmlfile->text(), bad);
        EXPECT_EQ(d.warnings(), QStringList{"* Error encountered loading the HTML file, " + bad});
        EXPECT_EQ(results(d), (QStringList{"- Found", "- NOT FOUND!", "- Found", "- Found"}));
        EXPECT_EQ(d.requiredFiles(), QStringList{"back.gif"});
        EXPECT_EQ(state().ThumbTemplateTokens, (TemplateTokens{true, false, true, true}));
    }
}

TEST_F(StyleDialog, OkAsksOnlyWhenThereAreWarnings)
{
    start();
    TdlgStyle clean(*context, &form());
    clean.TestCompliancy(goodTemplate(), true);
    fake.dialogs.script([&](QDialog&) {
        QTest::mouseClick(clean.BitBtn1, Qt::LeftButton);
        return mrNone;
    });
    EXPECT_EQ(fake.dialogs.showModal(clean), mrOk);
    EXPECT_TRUE(fake.prompts.calls().isEmpty());

    const QString file = styles.write("warn.htm", "***CONTENT*** <img src=\"gone.gif\">.");
    TdlgStyle d(*context, &form());
    d.TestCompliancy(file, true);
    fake.prompts.answer(mrNo);
    fake.prompts.answer(mrYes);
    fake.dialogs.script([&](QDialog&) {
        QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible()); // No keeps it open
        QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
        return mrNone;
    });
    EXPECT_EQ(fake.dialogs.showModal(d), mrOk);
    EXPECT_EQ(fake.prompts.promptTexts(), (QStringList{askToUse, askToUse}));
    EXPECT_EQ(fake.prompts.lastPrompt().caption, "Confirm");
    EXPECT_EQ(fake.prompts.lastPrompt().buttons, platform::PromptButtons::YesNo);
}

TEST_F(StyleDialog, CancelAndHelp)
{
    start();
    TdlgStyle d(*context, &form());
    d.TestCompliancy(goodTemplate(), true);
    fake.dialogs.script([&](QDialog&) {
        QTest::mouseClick(d.BitBtn3, Qt::LeftButton);
        QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
        return mrNone;
    });
    EXPECT_EQ(fake.dialogs.showModal(d), mrCancel);
    EXPECT_EQ(fake.shell.helpContexts, QList<int>{56});
}

TEST_F(StyleDialog, EditorsTestComplianceShowsTheDialog)
{
    start();
    TdlgEditSite& editor = *context->dlgEditSite;
    EXPECT_FALSE(editor.btnteststyle->isEnabled());
    editor.cmbstyle->setEditText(goodTemplate());
    EXPECT_TRUE(editor.btnteststyle->isEnabled());
    QStringList seen;
    fake.dialogs.script([&](QDialog& dialog) {
        auto& style = dynamic_cast<TdlgStyle&>(dialog);
        seen = style.requiredFiles();
        return mrOk;
    });
    QTest::mouseClick(editor.btnteststyle, Qt::LeftButton);
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TdlgStyle"});
    EXPECT_EQ(seen, QStringList{"back.gif"});
    EXPECT_FALSE(editor.btnteststyle->isEnabled());
    EXPECT_EQ(state().ThumbTemplateTokens, (TemplateTokens{true, false, true, true}));
}

TEST_F(StyleDialog, PageOptionsTestComplianceShowsTheDialogForTheImageTemplate)
{
    start();
    TdlgThumbOptions& options = *context->dlgThumbOptions;
    options.settings().cmbimagestyle = goodTemplate();
    QString inform;
    fake.dialogs.script([&](QDialog& dialog) {
        inform = dynamic_cast<TdlgStyle&>(dialog).lblinform->text();
        return mrOk;
    });
    options.btntestimagestyleClick();
    EXPECT_EQ(fake.dialogs.shown, QStringList{"TdlgStyle"});
    EXPECT_EQ(inform, "(This text indicates where the image should be inserted)");
    EXPECT_EQ(state().ImageTemplateTokens, (TemplateTokens{true, false, true, true}));
    EXPECT_EQ(state().ThumbTemplateTokens, TemplateTokens{});
}

} // namespace

namespace {

TEST_F(StyleDialog, WarningsWrapAndOpenAtTheFirstLine)
{
    QByteArray page = "<html><body>";
    for (int i = 0; i < 40; ++i)
        page += "<img src=\"images/a_picture_with_a_rather_long_name_number_" + QByteArray::number(i) + ".jpg\">";
    const QString file = styles.write("many.htm", page + "</body></html>");
    start();
    int horizontal = -1;
    int vertical = -1;
    fake.dialogs.script([&](QDialog& d) {
        auto& dlg = static_cast<TdlgStyle&>(d);
        EXPECT_EQ(dlg.memWarnings->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        horizontal = dlg.memWarnings->horizontalScrollBar()->value();
        vertical = dlg.memWarnings->verticalScrollBar()->value();
        EXPECT_EQ(dlg.memWarnings->textCursor().position(), 0);
        return mrCancel;
    });
    showTemplateCompliance(*context, file, true, &form());
    EXPECT_EQ(horizontal, 0);
    EXPECT_EQ(vertical, 0);
}

// The sample templates that ship beside the programs pass the check without a warning.
TEST_F(StyleDialog, ShippedSampleTemplatesPassWithoutWarnings)
{
    start();
    const struct {
        const char* name;
        bool index;
    } samples[] = {
        {"Sample_With_Index.htm", true},
        {"Sample_No_Index.htm", false},
        {"Blue_Border_With_Index.htm", true},
    };
    for (const auto& sample : samples) {
        TdlgStyle dlg(*context);
        const QString file = QStringLiteral(PICTORUM_STYLES_DIR "/") + sample.name;
        EXPECT_TRUE(dlg.TestCompliancy(file, true)) << sample.name;
        EXPECT_EQ(dlg.warnings(), QStringList()) << sample.name;
        EXPECT_EQ(results(dlg), (QStringList{"- Found", sample.index ? "- Found" : "- NOT FOUND!", "- Found", "- Found"}))
            << sample.name;
        EXPECT_EQ(dlg.requiredFiles(), QStringList()) << sample.name;
    }
}

} // namespace
