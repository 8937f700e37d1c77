#include "app/site/siteoptionsrules.h"

#include <gtest/gtest.h>

namespace {

tsiterecord entered(const char* name, const char* folder, bool autoRotate, const char* liveFolder)
{
    tsiterecord site;
    site.Name = name;
    site.Path = folder;
    site.AutoRotate = autoRotate;
    site.LivePath = liveFolder;
    return site;
}

TEST(SiteOptionsRules, FirstMissingEntryWins)
{
    // Each missing entry alone gives its own text; with several, the earliest in the order
    // name, folder, live folder is the one shown.
    const auto noName = checkSiteOptions(entered("", "/s/", false, ""));
    const auto noFolder = checkSiteOptions(entered("A", "", false, ""));
    const auto noLive = checkSiteOptions(entered("A", "/s/", true, ""));
    ASSERT_TRUE(noName && noFolder && noLive);
    EXPECT_NE(*noName, *noFolder);
    EXPECT_NE(*noFolder, *noLive);
    EXPECT_EQ(checkSiteOptions(entered("", "", true, "")), noName);
    EXPECT_EQ(checkSiteOptions(entered("A", "", true, "")), noFolder);
}

TEST(SiteOptionsRules, CompleteEntriesPass)
{
    struct Case { const char* name; const char* folder; bool autoRotate; const char* live; } cases[] = {
        {"A", "/s/", false, ""},          // a live folder is needed only for rotation
        {"A", "/s/", true, "/var/www/"},
        {"A", "/s/", false, "/var/www/"},
        {" ", " ", true, " "},            // taken as typed, blanks included
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkSiteOptions(entered(c.name, c.folder, c.autoRotate, c.live)), std::nullopt)
            << c.name << c.folder << c.live;
}

} // namespace
