#include "rotation/engine/commandline.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(CommandLine, FirstParameterChoosesTheMode)
{
    const struct {
        QStringList parameters;
        bool rotate;
        const char* irrelevant;
    } cases[] = {
        {{}, false, ""},
        {{""}, false, ""},
        {{"/Rotate"}, true, ""},
        {{"/ROTATE"}, true, ""},
        {{"/rot"}, true, ""},
        {{"/r"}, true, ""},
        {{"rotate"}, true, ""},
        {{"ROT"}, true, ""},
        {{"r"}, true, ""},
        {{"\"/Rotate\""}, true, ""},
        {{"\"/r\""}, true, ""},
        {{"\"rotate\""}, false, "\"rotate\""},
        {{"\"/rot\""}, false, "\"/rot\""},
        {{"-rotate"}, false, "-rotate"},
        {{"/Rotate "}, false, "/Rotate "},
        {{"/Rotatex"}, false, "/Rotatex"},
        {{"--platform"}, false, "--platform"},
        {{"/r", "-rotate"}, true, ""},             // only the first parameter counts
        {{"now", "/Rotate"}, false, "now"},
    };
    for (const auto& c : cases) {
        const CommandLine line = parseCommandLine(c.parameters);
        EXPECT_EQ(line.RotateMode, c.rotate) << c.parameters.join(' ').toStdString();
        EXPECT_EQ(line.irrelevantParameter, QString(c.irrelevant)) << c.parameters.join(' ').toStdString();
    }
}

TEST(CommandLine, ReadsTheRawArgumentsAfterTheProgramName)
{
    char program[] = "Turnfold";
    char first[] = "-platform";
    char second[] = "/Rotate";
    char* argv[] = {program, first, second, nullptr};
    const CommandLine line = parseCommandLine(3, argv);
    EXPECT_FALSE(line.RotateMode);
    EXPECT_EQ(line.irrelevantParameter, QString("-platform"));
    EXPECT_EQ(irrelevantParameterText(line.irrelevantParameter), QString("Parameter is not relevant: -platform"));
    char* none[] = {program, nullptr};
    EXPECT_FALSE(parseCommandLine(1, none).RotateMode);
}

TEST(CommandLine, OnlyAScheduledRunWithoutDisplayGoesOffscreen)
{
    const struct {
        bool rotate;
        std::map<std::string, QByteArray> environment;
        bool offscreen;
    } cases[] = {
        {true, {}, true},
        {true, {{"DISPLAY", ":0"}}, false},
        {true, {{"WAYLAND_DISPLAY", "wayland-0"}}, false},
        {true, {{"QT_QPA_PLATFORM", "xcb"}}, false},
        {false, {}, false},
    };
    for (const auto& c : cases) {
        CommandLine line;
        line.RotateMode = c.rotate;
        const auto environment = [&c](const char* name) {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? QByteArray() : found->second;
        };
        EXPECT_EQ(needsOffscreenPlatform(line, environment), c.offscreen);
    }
}

} // namespace
