#include "components/openpreviewlayout.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(PreviewFit, PicturesLargerThanTheBoxShrinkToItNeverBelowOne)
{
    const struct { QSize picture, box; std::optional<QSize> fitted; } cases[] = {
        {{400, 100}, {100, 100}, QSize(100, 25)},
        {{1, 1000}, {100, 100}, QSize(1, 100)},
        {{1000, 1}, {100, 100}, QSize(100, 1)},
        {{50, 40}, {100, 100}, QSize(50, 40)},   // smaller: its own size
        {{100, 100}, {100, 100}, QSize(100, 100)},
        {{400, 10}, {100, 100}, QSize(100, 2)},  // 2.5: halves go to the even neighbour
        {{200, 300}, {100, 50}, QSize(33, 50)},
        {{0, 10}, {100, 100}, std::nullopt},     // no area: nothing, no division by zero
        {{10, 0}, {100, 100}, std::nullopt},
        {{400, 100}, {0, 100}, std::nullopt},
        {{400, 100}, {100, -3}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreviewFitSize(c.picture, c.box), c.fitted) << c.picture.width() << "x" << c.picture.height();
}

TEST(PreviewFit, PlacementFitsTheRoomInsideTheFrameAndCentres)
{
    const struct { QSize client, picture; QRect place; } cases[] = {
        {{104, 94}, {20, 10}, QRect(42, 42, 20, 10)},
        {{104, 94}, {100, 90}, QRect(2, 2, 100, 90)},  // exactly the room
        {{104, 94}, {200, 90}, QRect(2, 24, 100, 45)}, // wider than the room
        {{104, 94}, {50, 180}, QRect(39, 2, 25, 90)},  // higher than the room
        {{4, 94}, {20, 10}, QRect()},                  // no room
        {{104, 94}, {0, 10}, QRect()},
        {{104, 94}, {1000, 1}, QRect()},               // fitted to no height: nothing drawn
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreviewPlacement(c.client, c.picture), c.place) << c.picture.width() << "x" << c.picture.height();
}

TEST(ProgressClock, HandsMoveClockwiseFromTwelve)
{
    const struct { int step, percent; QPoint longEnd, shortEnd; } cases[] = {
        {1, 0, {7, 0}, {7, 1}},
        {1, 50, {7, 14}, {9, 1}},
        {1, 25, {14, 7}, {8, 1}},
        {2, 0, {7, 0}, {10, 2}},   // a new step moves the short hand a twelfth
        {3, 100, {7, 0}, {13, 7}},
    };
    for (const auto& c : cases) {
        const ClockHands hands = ProgressClockHands(c.step, c.percent);
        EXPECT_EQ(hands.Long, c.longEnd) << c.step << " " << c.percent;
        EXPECT_EQ(hands.Short, c.shortEnd) << c.step << " " << c.percent;
    }
    EXPECT_EQ(ProgressClockOrigin(QSize(104, 94)), QPoint(44, 39));
}

TEST(InfoBox, LinesLeaveOutWhatIsEmptyAndSpreadOverTheBox)
{
    GraphicFileInfo info;
    info.SubFormat = "Baseline";
    info.Width = 640;
    info.Height = 480;
    info.ColorsText = "16.7M";
    info.BitsPerPixel = 24;
    info.ImageCount = 1;
    EXPECT_EQ(InfoBoxLines("JPEG (JFIF compliant)", info),
              (QStringList{"JPEG (JFIF compliant)", "Baseline", "640x480x16.7M 24 bit"}));
    info.SubFormat.clear();
    info.Chunks = "gAMA";
    info.ImageCount = 3;
    EXPECT_EQ(InfoBoxLines(QString(), info), (QStringList{"gAMA", "640x480x16.7M 24 bit, 3"}));
    EXPECT_EQ(InfoBoxLines(QString(), GraphicFileInfo{}), QStringList{"0x0x 0 bit"});

    const struct { int index, count, height, top; } tops[] = {
        {0, 4, 53, 0}, {1, 4, 53, 13}, {2, 4, 53, 26}, {3, 4, 53, 39}, {1, 3, 53, 17}, {0, 0, 53, 0},
    };
    for (const auto& t : tops)
        EXPECT_EQ(InfoLineTop(t.index, t.count, t.height), t.top) << t.index << "/" << t.count;
}

TEST(OpenDialogLayout, DialogUnitsAndPlaceOnTheScreen)
{
    // A font 6 wide and 13 high: 4 units across make 6 pixels, 8 down 13.
    EXPECT_EQ(DialogUnitsToPixels(QRect(192, 20, 92, 85), QSize(6, 13)), QRect(288, 33, 138, 138));
    EXPECT_EQ(DialogUnitsToPixels(QRect(193, 110, 92, 33), QSize(7, 15)), QRect(338, 206, 161, 62));
    EXPECT_EQ(OpenDialogPosition(QRect(0, 0, 1024, 768), QSize(600, 400)), QPoint(212, 122));
    EXPECT_EQ(OpenDialogPosition(QRect(1920, 0, 1280, 1024), QSize(601, 401)), QPoint(1920 + 339, 207));
    EXPECT_EQ(OpenDialogPosition(QRect(0, 0, 800, 600), QSize(900, 700)), QPoint(-50, -33)); // larger than the screen
}

} // namespace
