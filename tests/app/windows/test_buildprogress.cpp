// The Build Site dialog: its list of images, the list editing, Start with its question,
// Cancel while building, Build All, and the editor's Build! reaching it.

#include "apptestutil.h"
#include "tests/app/gallery/buildfixtures.h"
#include "app/windows/buildprogress.h"
#include "app/windows/editsite.h"
#include "components/bitbtn.h"
#include "imaging/pglibrary.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using platform::mrCancel;
using platform::mrNo;
using platform::mrOk;
using platform::mrYes;

QStringList rows(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

class BuildDialog : public ::testing::Test, public PictorumFixture {
protected:
    void SetUp() override
    {
        InitPGraphic();
        start();
        rotation = prog.mkdir("Site_1/");
        state().CurrentSite.BaseHTMLName = "index.html";
        state().ThumbTemplateTokens = {true, true, false, false};
        state().rotationSettings.cmbstyle = prog.write("Styles/t.htm", "<html>***CONTENT***</html>");
        request.rotation = 1;
        request.rotationFolder = rotation;
    }
    void TearDown() override { DonePGraphic(); }

    void photos(const QStringList& names)
    {
        for (const QString& name : names) {
            ASSERT_TRUE(writePicture(rotation + name, 64, 48));
            request.images << name;
        }
    }
    std::unique_ptr<TdlgBuildProgress> dialog()
    {
        auto d = std::make_unique<TdlgBuildProgress>(*context, request);
        d->threads = 1;
        d->preview = [this] { ++previews; };
        d->show();
        return d;
    }

    QString rotation;
    EditorBuildRequest request;
    int previews = 0;
};

TEST_F(BuildDialog, ListsTheImagesToBuildAndEditsTheList)
{
    request.images = {"x.jpg", "x_thb.jpg", "Page_Button_1.gif", "back.gif", "page_button_on_2.jpg", "y.gif", "z.jpe"};
    state().RequiredFileNames = {"BACK.GIF"};
    const auto d = dialog();
    EXPECT_EQ(d->windowTitle(), "Build Site");
    EXPECT_EQ(rows(*d->lbximages), QStringList({"x.jpg", "y.gif", "z.jpe"}));
    EXPECT_TRUE(d->chkNoThumbRecreate->isChecked());
    EXPECT_EQ(d->chkNoThumbRecreate->text(), "Do not create thumbnails if they already exist");
    EXPECT_EQ(d->btnok->text(), "Start");
    EXPECT_EQ(d->bkmkup->toolTip(), "Move the selected image further up the index");
    EXPECT_EQ(d->bkmkdown->toolTip(), "Move the selected image further down the index");
    EXPECT_FALSE(d->Timer1->isActive());

    // Up from the top goes last, down from the bottom goes first; the moved item is selected.
    d->lbximages->setCurrentRow(0);
    EXPECT_TRUE(d->bkmkup->isEnabled() && d->btnexclude->isEnabled());
    QTest::mouseClick(d->bkmkup, Qt::LeftButton);
    EXPECT_EQ(rows(*d->lbximages), QStringList({"y.gif", "z.jpe", "x.jpg"}));
    EXPECT_EQ(d->lbximages->selectedItems().size(), 1);
    EXPECT_EQ(d->lbximages->selectedItems().front()->text(), "x.jpg");
    QTest::mouseClick(d->bkmkdown, Qt::LeftButton);
    EXPECT_EQ(rows(*d->lbximages), QStringList({"x.jpg", "y.gif", "z.jpe"}));
    QTest::mouseClick(d->bkmkdown, Qt::LeftButton);
    EXPECT_EQ(rows(*d->lbximages), QStringList({"y.gif", "x.jpg", "z.jpe"}));

    // Exclude takes every selected item.
    d->lbximages->clearSelection();
    d->lbximages->item(0)->setSelected(true);
    d->lbximages->item(2)->setSelected(true);
    d->btnexclude->Click();
    EXPECT_EQ(rows(*d->lbximages), QStringList({"x.jpg"}));
    d->lbximages->clearSelection();
    d->btnexclude->Click();
    EXPECT_EQ(rows(*d->lbximages), QStringList({"x.jpg"}));
    // One item does not move.
    d->lbximages->setCurrentRow(0);
    QTest::mouseClick(d->bkmkup, Qt::LeftButton);
    EXPECT_EQ(rows(*d->lbximages), QStringList({"x.jpg"}));
}

TEST_F(BuildDialog, StartBuildsInTheListOrderAndOffersThePreview)
{
    photos({"a.jpg", "b.jpg", "c.jpg"});
    state().rotationSettings.edtpagenumberprefix = "";
    const auto d = dialog();
    d->lbximages->setCurrentRow(0);
    QTest::mouseClick(d->bkmkup, Qt::LeftButton); // a goes last
    fake.prompts.answer(mrYes);
    d->btnok->Click();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList({"Your build has been completed.  Would you like to preview it now?"}));
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(d->result(), mrOk);
    EXPECT_EQ(d->ProgressBar->value(), 0);
    EXPECT_TRUE(d->lblmessage->text().isEmpty());
    EXPECT_EQ(state().rotationSettings.edtpagenumberprefix, "Page ");
    const QByteArray page = readAll(rotation + "index.html");
    EXPECT_LT(page.indexOf("b_thb.jpg"), page.indexOf("c_thb.jpg"));
    EXPECT_LT(page.indexOf("c_thb.jpg"), page.indexOf("a_thb.jpg"));
    EXPECT_TRUE(QFileInfo::exists(rotation + "thumbs/a_thb.jpg"));

    // Answered No: no preview, the dialog still closes with OK.
    const auto again = dialog();
    fake.prompts.answer(mrNo);
    again->btnok->Click();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(again->result(), mrOk);
}

TEST_F(BuildDialog, CancelCloseBoxAndEscapeWhileBuildingOnlyAskToStop)
{
    photos({"a.jpg", "b.jpg", "c.jpg"});
    const auto d = dialog();
    using Stop = std::function<void(TdlgBuildProgress&)>;
    const Stop stops[] = {
        [](TdlgBuildProgress& b) { b.BitBtn2->Click(); },
        [](TdlgBuildProgress& b) { b.close(); },
        [](TdlgBuildProgress& b) { QTest::keyClick(&b, Qt::Key_Escape); },
    };
    for (const Stop& stop : stops) {
        fake.prompts.clear();
        fake.prompts.answer(mrYes);
        QTimer::singleShot(0, d.get(), [&] { stop(*d); });
        d->btnok->Click();
        EXPECT_EQ(fake.prompts.promptTexts(), QStringList({"Are you sure you want to cancel processing of your Site Build?"}));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->result(), 0);
        EXPECT_TRUE(d->btnok->isEnabled());
        EXPECT_FALSE(QFileInfo::exists(rotation + "index.html"));
    }
    // Not building, Cancel closes.
    d->BitBtn2->Click();
    EXPECT_EQ(d->result(), mrCancel);
}

TEST_F(BuildDialog, BuildAllStartsByItselfWithoutAQuestion)
{
    photos({"a.jpg"});
    request.buildAll = true;
    const auto d = dialog();
    EXPECT_TRUE(d->Timer1->isActive());
    EXPECT_EQ(d->Timer1->interval(), 300);
    QTRY_COMPARE_WITH_TIMEOUT(d->result(), int(mrOk), 10000);
    EXPECT_TRUE(fake.prompts.calls().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(rotation + "index.html"));
    EXPECT_FALSE(d->Timer1->isActive());
}

TEST_F(BuildDialog, EmptyListIsRefused)
{
    photos({"a.jpg"});
    const auto d = dialog();
    d->lbximages->setCurrentRow(0);
    d->btnexclude->Click();
    d->btnok->Click();
    EXPECT_EQ(fake.prompts.promptTexts(), QStringList({"The current Site or Rotation does not contain any images!"}));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(QDir(rotation).entryList(QDir::Files), QStringList({"a.jpg"}));
}

} // namespace
