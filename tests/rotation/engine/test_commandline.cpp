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

TEST(CommandLine, AScheduledRunEndsItsPlatformListWithOffscreen)
{
    const struct {
        bool rotate;
        std::map<std::string, QByteArray> environment;
        const char* platforms;
    } cases[] = {
        {true, {}, "offscreen"},
        {true, {{"DISPLAY", ":0"}}, "xcb;offscreen"},
        {true, {{"WAYLAND_DISPLAY", "wayland-0"}}, "wayland;offscreen"},
        {true, {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}, "wayland;xcb;offscreen"},
        {true, {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}}, "xcb;offscreen"},
        {true, {{"QT_QPA_PLATFORM", "vnc;minimal"}}, "vnc;minimal;offscreen"},
        {true, {{"QT_QPA_PLATFORM", "xcb;offscreen:fontengine=freetype"}}, "xcb;offscreen:fontengine=freetype"},
        {true, {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":0"}}, "offscreen"},
        {false, {}, ""},
        {false, {{"DISPLAY", ":0"}}, ""},
        {true, {{"DISPLAY", ":9"}, {"QT_QPA_PLATFORM", "xcb:nograb;offscreen"}}, "offscreen"},  // ":9" does not answer
    };
    for (const auto& c : cases) {
        CommandLine line;
        line.RotateMode = c.rotate;
        const auto environment = [&c](const char* name) {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? QByteArray() : found->second;
        };
        const auto answers = [](const QByteArray& display) { return display != ":9"; };
        EXPECT_EQ(platformsToTry(line, environment, answers), QByteArray(c.platforms)) << c.platforms;
    }
}

TEST(CommandLine, OnlyAScheduledRunTakenOverByAWindowIsAProblem)
{
    CommandLine scheduled;
    scheduled.RotateMode = true;
    EXPECT_FALSE(handOverProblem(scheduled, false).isEmpty());  // its text: the whole-program test
    EXPECT_EQ(handOverProblem(scheduled, true), QString());
    EXPECT_EQ(handOverProblem(CommandLine{}, false), QString());
    EXPECT_EQ(handOverProblem(CommandLine{}, true), QString());
}

} // namespace
