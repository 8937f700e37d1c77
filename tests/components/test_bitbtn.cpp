#include "components/bitbtn.h"
#include "fakes.h"

#include <QGroupBox>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Twelve 16 x 16 pictures, each its own opaque dark colour.
TImageList makeList(int width = 16, int height = 16)
{
    QImage strip(width * 12, height, QImage::Format_ARGB32);
    for (int i = 0; i < 12; ++i)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                strip.setPixelColor(i * width + x, y, QColor(10 * i, 40, 100));
    return TImageList(strip, width, height);
}

// A shown dialog holding buttons, and what their handlers did.
struct Dialog {
    TImageList images = makeList();
    platform::ModalDialog dialog;
    QStringList ran;

    TLmILBitBtn* add(const QString& name, TILBitBtnKind kind, QWidget* parent = nullptr)
    {
        TLmILBitBtn* button = TLmILBitBtn::Make(parent ? parent : &dialog, images, name, kind);
        QObject::connect(button, &TILBitBtn::OnClick, [this, name] { ran << name; });
        if (!parent)
            dialog.layout()->addWidget(button);
        return button;
    }
    Dialog()
    {
        new QVBoxLayout(&dialog);
    }
    void show()
    {
        dialog.show();
        QApplication::processEvents();
    }
};

TEST(BitBtn, EachKindGivesCaptionResultFlagsAndPicture)
{
    const struct {
        TILBitBtnKind kind;
        const char* caption;
        int modalResult;
        bool isDefault;
        bool isCancel;
    } kinds[] = {
        {bkOK, "OK", 1, true, false},     {bkCancel, "Cancel", 2, false, true}, {bkHelp, "Help", 0, false, false},
        {bkYes, "Yes", 6, true, false},   {bkNo, "No", 7, false, true},         {bkClose, "Close", 0, false, false},
        {bkAbort, "Abort", 3, false, false}, {bkRetry, "Retry", 4, false, false}, {bkIgnore, "Ignore", 5, false, false},
        {bkAll, "All", 8, false, false},
    };
    Dialog d;
    for (const auto& k : kinds) {
        TLmILBitBtn* b = d.add(k.caption, k.kind);
        EXPECT_EQ(b->text(), QString(k.caption));
        EXPECT_EQ(b->ModalResult(), k.modalResult) << k.caption;
        EXPECT_EQ(b->Default(), k.isDefault) << k.caption;
        EXPECT_EQ(b->isDefault(), k.isDefault) << k.caption;
        EXPECT_EQ(b->Cancel(), k.isCancel) << k.caption;
        EXPECT_EQ(b->ImageIndex(), int(k.kind) - 1) << k.caption;
        EXPECT_EQ(b->Glyph().pixelColor(0, 0), d.images.Picture(int(k.kind) - 1).pixelColor(0, 0)) << k.caption;
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(b->Kind(), k.kind) << k.caption;
    }
    // A kind keeps an image index given before it.
    TLmILBitBtn* own = TLmILBitBtn::Make(&d.dialog, d.images, "own", "Go", "Start it", 9);
    own->SetKind(bkOK);
    EXPECT_EQ(own->ImageIndex(), 9);
    EXPECT_EQ(own->objectName(), QString("own"));
    EXPECT_EQ(own->toolTip(), QString("Start it"));
    // A fresh button: the defaults.
    TLmILBitBtn fresh;
    EXPECT_EQ(fresh.Kind(), bkCustom);
    EXPECT_EQ(fresh.ImageIndex(), -1);
    EXPECT_EQ(fresh.NumGlyphs(), 2);
    EXPECT_EQ(fresh.Layout(), blGlyphLeft);
    EXPECT_EQ(fresh.Margin(), -1);
    EXPECT_EQ(fresh.Spacing(), 4);
    EXPECT_EQ(fresh.Style(), bsAutoDetect);
    EXPECT_TRUE(fresh.Glyph().isNull());
}

TEST(BitBtn, KindFallsBackToCustomOnlyForHandMadeChanges)
{
    TImageList images = makeList();
    TImageList other = makeList();
    const struct {
        const char* what;
        std::function<void(TLmILBitBtn&)> change;
        TILBitBtnKind after;
    } cases[] = {
        {"modal result set by hand", [](TLmILBitBtn& b) { b.SetModalResult(0); }, bkCustom},
        {"default flag cleared", [](TLmILBitBtn& b) { b.SetDefault(false); }, bkCustom},
        {"cancel flag set", [](TLmILBitBtn& b) { b.SetCancel(true); }, bkCustom},
        {"glyph set by hand", [](TLmILBitBtn& b) { b.SetGlyph(QImage(":/none.png")); }, bkCustom},
        {"image index changed", [](TLmILBitBtn& b) { b.SetImageIndex(7); }, bkOK},
        {"image list changed", [&](TLmILBitBtn& b) { b.SetImages(&other); }, bkOK},
        {"image list removed", [](TLmILBitBtn& b) { b.SetImages(nullptr); }, bkOK},
        {"caption changed", [](TLmILBitBtn& b) { b.setText("&Okay"); }, bkOK},
        {"layout and spacing", [](TLmILBitBtn& b) { b.SetLayout(blGlyphTop); b.SetSpacing(9); }, bkOK},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TLmILBitBtn> b(TLmILBitBtn::Make(nullptr, images, "b", bkOK));
        c.change(*b);
        EXPECT_EQ(b->Kind(), c.after) << c.what;
        // Once custom, it stays so even when the values match again.
        b->SetModalResult(1);
        b->SetDefault(true);
        b->SetCancel(false);
        EXPECT_EQ(b->Kind(), c.after) << c.what;
    }

    // Focus moving to another button moves the shown default, not the flag the kind reads.
    Dialog d;
    TLmILBitBtn* ok = d.add("ok", bkOK);
    TLmILBitBtn* cancel = d.add("cancel", bkCancel);
    d.show();
    QApplication::setActiveWindow(&d.dialog);
    cancel->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(cancel->hasFocus());
    EXPECT_FALSE(ok->isDefault());
    EXPECT_EQ(ok->Kind(), bkOK);
    EXPECT_EQ(cancel->Kind(), bkCancel);
}

TEST(BitBtn, StripIsThePictureAndItsEmbossedFormWhateverTheCellShape)
{
    for (const QSize cell : {QSize(16, 16), QSize(20, 10)}) {
        const TImageList images = makeList(cell.width(), cell.height());
        std::unique_ptr<TLmILBitBtn> b(TLmILBitBtn::Make(nullptr, images, "b", "Go", "", 4));
        const QImage strip = b->Glyph();
        ASSERT_EQ(strip.size(), QSize(2 * cell.width(), cell.height()));
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(strip.copy(0, 0, cell.width(), cell.height()), images.Picture(4).convertToFormat(strip.format()));
        // The right half: the embossed form, in white and mid grey on transparency.
        const QImage right = strip.copy(cell.width(), 0, cell.width(), cell.height());
        EXPECT_EQ(right.pixelColor(0, 0), QColor(0x80, 0x80, 0x80));
        EXPECT_EQ(qAlpha(right.pixel(cell.width() - 1, 0)), 255);
        bool onlyTwoTones = true;
        for (int y = 0; y < right.height(); ++y)
            for (int x = 0; x < right.width(); ++x) {
                const QRgb p = right.pixel(x, y);
                onlyTwoTones = onlyTwoTones && (qAlpha(p) == 0 || p == 0xFFFFFFFF || p == 0xFF808080);
            }
        EXPECT_TRUE(onlyTwoTones);
    }
}

TEST(BitBtn, AnIndexOutsideTheListShowsTheCaptionOnly)
{
    const TImageList images = makeList();
    for (int index : {12, 99, -1}) {
        std::unique_ptr<TLmILBitBtn> b(TLmILBitBtn::Make(nullptr, images, "b", "Browse..", "", index));
        EXPECT_TRUE(b->Glyph().isNull()) << index;
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(b->sizeHint(), b->QPushButton::sizeHint());
        const GlyphCaptionPlacement at = b->Placement(QRect(0, 0, 200, 30));
        EXPECT_TRUE(at.glyph.isEmpty());
        EXPECT_EQ(at.caption.center().x(), QRect(0, 0, 200, 30).center().x()) << "centred";
    }
    // Moving to a good index brings the picture back.
    std::unique_ptr<TLmILBitBtn> b(TLmILBitBtn::Make(nullptr, images, "b", "Browse..", "", 99));
    b->SetImageIndex(3);
    EXPECT_EQ(b->Glyph().size(), QSize(32, 16));
    EXPECT_GT(b->sizeHint().width(), b->QPushButton::sizeHint().width());
}

TEST(BitBtn, MarginBelowMinusOneIsIgnoredAndGlyphCountClamped)
{
    TLmILBitBtn b;
    b.SetMargin(4);
    b.SetMargin(-2);
    EXPECT_EQ(b.Margin(), 4);
    b.SetMargin(-1);
    EXPECT_EQ(b.Margin(), -1);
    b.SetNumGlyphs(0);
    EXPECT_EQ(b.NumGlyphs(), 1);
    b.SetNumGlyphs(5);
    EXPECT_EQ(b.NumGlyphs(), 4);
    b.SetStyle(bsWin31);
    EXPECT_EQ(b.Style(), bsWin31);
}

TEST(BitBtn, ClicksEndTheDialogWithTheButtonsResultAfterItsHandler)
{
    const struct {
        TILBitBtnKind kind;
        int result;
    } cases[] = {{bkOK, 1}, {bkCancel, 2}, {bkYes, 6}, {bkNo, 7}, {bkAbort, 3}, {bkAll, 8}};
    for (const auto& c : cases) {
        Dialog d;
        TLmILBitBtn* b = d.add("b", c.kind);
        d.show();
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_EQ(d.ran, QStringList{"b"});
        EXPECT_FALSE(d.dialog.isVisible());
        EXPECT_EQ(d.dialog.result(), c.result);
    }
    // A custom button without a result leaves the dialog open; a double click is two presses.
    Dialog d;
    TLmILBitBtn* b = TLmILBitBtn::Make(&d.dialog, d.images, "go", "Go", "", 0);
    QSignalSpy clicks(b, &TILBitBtn::OnClick);
    d.show();
    // What the system sends for a double click: press, release, double click, release.
    const QPointF at = QRectF(b->rect()).center();
    QTest::mouseClick(b, Qt::LeftButton, {}, at.toPoint());
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, b->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(b, &twice);
    QTest::mouseRelease(b, Qt::LeftButton, {}, at.toPoint());
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_TRUE(d.dialog.isVisible());
}

TEST(BitBtn, EscapeClicksTheCancelButtonElseGivesCancel)
{
    const struct {
        const char* what;
        QList<TILBitBtnKind> kinds;
        int result;
        QStringList ran;
    } cases[] = {
        {"cancel button", {bkOK, bkCancel}, 2, {"2"}},
        {"no button", {bkYes, bkNo}, 7, {"5"}},
        {"none with the flag", {bkOK, bkHelp}, 2, {}},
    };
    for (const auto& c : cases) {
        Dialog d;
        for (TILBitBtnKind kind : c.kinds)
            d.add(QString::number(int(kind)), kind);
        d.show();
        QTest::keyClick(&d.dialog, Qt::Key_Escape);
        EXPECT_EQ(d.dialog.result(), c.result) << c.what;
        EXPECT_EQ(d.ran, c.ran) << c.what;
    }
    // A disabled cancel button is passed over.
    Dialog d;
    d.add("cancel", bkCancel)->setEnabled(false);
    d.show();
    QTest::keyClick(&d.dialog, Qt::Key_Escape);
    EXPECT_EQ(d.dialog.result(), 2);
    EXPECT_EQ(d.ran, QStringList());
}

TEST(BitBtn, CloseKindClosesItsWindowWithoutItsHandler)
{
    Dialog d;
    TLmILBitBtn* close = d.add("BitBtn2", bkClose);
    EXPECT_EQ(close->ImageIndex(), 5);
    d.show();
    close->click();
    EXPECT_FALSE(d.dialog.isVisible());
    EXPECT_EQ(d.dialog.result(), 2);
    EXPECT_EQ(d.ran, QStringList());

    // A close button of its own (no window above it) runs its handler instead.
    const TImageList images = makeList();
    std::unique_ptr<TLmILBitBtn> alone(TLmILBitBtn::Make(nullptr, images, "alone", bkClose));
    QSignalSpy clicks(alone.get(), &TILBitBtn::OnClick);
    alone->click();
    EXPECT_EQ(clicks.count(), 1);
}

TEST(BitBtn, HelpKindShowsTheNearestHelpContext)
{
    FakeServices fakes;
    RecordingShell& shell = fakes.shell;
    Dialog d;
    SetHelpContext(&d.dialog, 55);
    auto* group = new QGroupBox(&d.dialog);
    d.dialog.layout()->addWidget(group);
    TLmILBitBtn* outer = d.add("outer", bkHelp);
    TLmILBitBtn* inner = d.add("inner", bkHelp, group);
    TLmILBitBtn* own = d.add("own", bkHelp, group);
    for (TLmILBitBtn* b : {outer, inner, own})
        b->SetHelp(fakes.services);
    own->SetHelp(fakes.services, 42);
    d.show();

    outer->click();
    inner->click();
    SetHelpContext(group, 31);
    inner->click();
    own->click();
    EXPECT_EQ(shell.helpContexts, (QList<int>{55, 55, 31, 42}));
    EXPECT_EQ(d.ran, QStringList());
    EXPECT_TRUE(d.dialog.isVisible());

    // Without any context, or without a shell, the ordinary click runs.
    SetHelpContext(&d.dialog, 0);
    SetHelpContext(group, 0);
    inner->click();
    TLmILBitBtn* unwired = d.add("unwired", bkHelp);
    unwired->click();
    EXPECT_EQ(d.ran, (QStringList{"inner", "unwired"}));
    EXPECT_EQ(shell.helpContexts.size(), 4);
    EXPECT_TRUE(fakes.prompts.calls().isEmpty());

    // A page that cannot be shown gives one warning that names it.
    shell.openFailure = "no program to open it was found";
    own->click();
    EXPECT_EQ(fakes.prompts.promptTexts(),
              QStringList{"The help page could not be shown (no program to open it was found).  You can open it in "
                          "your web browser: /prog/help/42.html"});
    EXPECT_EQ(fakes.prompts.lastPrompt().icon, platform::PromptIcon::Warning);
}

TEST(BitBtn, GlyphGoesToTheReadingSideOfRightToLeftText)
{
    const TImageList images = makeList();
    std::unique_ptr<TLmILBitBtn> b(TLmILBitBtn::Make(nullptr, images, "b", "Go", "", 0));
    b->setLayoutDirection(Qt::RightToLeft);
    const GlyphCaptionPlacement at = b->Placement(QRect(0, 0, 120, 40));
    EXPECT_GT(at.glyph.left(), at.caption.left());
    b->SetLayout(blGlyphTop);
    EXPECT_LT(b->Placement(QRect(0, 0, 120, 40)).glyph.top(), b->Placement(QRect(0, 0, 120, 40)).caption.top());
}

} // namespace
