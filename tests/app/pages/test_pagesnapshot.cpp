#include "app/pages/pagesnapshot.h"

#include <gtest/gtest.h>

namespace {

TEST(PageSnapshotTest, TakesTheStateAsItIsNow)
{
    PictorumState state;
    state.rotationSettings.spnHorzCOunt.setValue(7);
    state.rotationSettings.cmbstyle = "/t/index.htm";
    state.options.ForceLowercase = true;
    state.CurrentSite.BaseHTMLName = "Default.htm";
    state.ThumbTemplateTokens = {true, true, false, false};
    state.ImageTemplateTokens = {true, false, false, true};

    const PageInputs in = pageInputsFor(state, "/site/rotation_1", {"a.jpg", "b.jpg"}, false);
    state.rotationSettings.spnHorzCOunt.setValue(2); // later edits do not reach a running build
    state.CurrentSite.BaseHTMLName = "Other.htm";

    EXPECT_EQ(in.settings.spnHorzCOunt.value(), 7);
    EXPECT_EQ(in.settings.cmbstyle, "/t/index.htm");
    EXPECT_TRUE(in.options.ForceLowercase);
    EXPECT_EQ(in.site.BaseHTMLName, "Default.htm");
    EXPECT_EQ(in.ThumbTemplateTokens, (TemplateTokens{true, true, false, false}));
    EXPECT_EQ(in.ImageTemplateTokens, (TemplateTokens{true, false, false, true}));
    EXPECT_EQ(in.rotationFolder, "/site/rotation_1/");
    EXPECT_EQ(in.images, (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_FALSE(in.withoutThumbnails);
    EXPECT_EQ(pageInputsFor(state, "/site/", {}, true).rotationFolder, "/site/");
    EXPECT_TRUE(pageInputsFor(state, "/site/", {}, true).withoutThumbnails);
}

TEST(PageSnapshotTest, ListSettingsWithoutAChoiceTakeTheirDefaults)
{
    PictorumState state;
    RotationSettings& s = state.rotationSettings;
    for (ListChoice* choice : {&s.Cmbheadingsize, &s.cmbLinkEnclosure, &s.cmbFontsize, &s.cmbindexFontsize,
                               &s.cmbimageHeader, &s.cmbimageFooter, &s.cmbImageDisplayMethod})
        choice->setIndex(-1);
    s.cmbHeader.setIndex(rotationentries::HeaderHTML);
    const PageInputs in = pageInputsFor(state, "/site/", {}, false);
    RotationSettings defaults;
    defaults.cmbHeader.setIndex(rotationentries::HeaderHTML); // a choice that was made stays
    EXPECT_EQ(in.settings, defaults);
    EXPECT_FALSE(s.cmbimageHeader.hasSelection()); // the program's own settings are left as they are
}

} // namespace
