#include "platform/prompts.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(Prompts, BoxesCarryTheirKindAsCaption)
{
    ScriptedPromptService p;
    p.warning("w");
    p.information("i");
    p.error("e");
    p.message("m");
    p.answer(mrYes);
    EXPECT_EQ(p.confirm("c?"), mrYes);
    ASSERT_EQ(p.calls().size(), 5);
    const struct { PromptIcon icon; const char* caption; PromptButtons buttons; } expected[] = {
        {PromptIcon::Warning, "Warning", PromptButtons::Ok},
        {PromptIcon::Information, "Information", PromptButtons::Ok},
        {PromptIcon::Error, "Error", PromptButtons::Ok},
        {PromptIcon::None, "", PromptButtons::Ok},
        {PromptIcon::Confirmation, "Confirm", PromptButtons::YesNo},
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(p.calls()[i].prompt.icon, expected[i].icon);
        EXPECT_EQ(p.calls()[i].prompt.caption, expected[i].caption);
        EXPECT_EQ(p.calls()[i].prompt.buttons, expected[i].buttons);
    }
    EXPECT_EQ(p.promptTexts(), (QStringList{"w", "i", "e", "m", "c?"}));
    EXPECT_EQ(p.unanswered(), 0);
}

TEST(Prompts, UnscriptedQuestionsGetTheCautiousAnswerAndAreCounted)
{
    ScriptedPromptService p;
    EXPECT_EQ(p.confirm("delete?"), mrNo);
    EXPECT_EQ(p.confirm("create?", PromptButtons::OkCancel), mrCancel);
    EXPECT_EQ(p.confirm("save?", PromptButtons::YesNoCancel), mrCancel);
    EXPECT_FALSE(p.chooseOpenFile({"Open", "/", ""}).has_value());
    EXPECT_EQ(p.unanswered(), 4);
    p.warning("ok boxes need no script");
    EXPECT_EQ(p.unanswered(), 4);
}

TEST(Prompts, ChoosersAnswerInOrder)
{
    ScriptedPromptService p;
    p.answerFile(QString("/a"));
    p.answerFile(std::nullopt);
    p.answerColor(0x123456u);
    p.answerText(QString("typed"));
    EXPECT_EQ(p.chooseOpenFile({"t", "s", ""}), QString("/a"));
    EXPECT_FALSE(p.chooseOpenFile({"t", "s", ""}).has_value());
    EXPECT_EQ(p.chooseColor(0), 0x123456u);
    EXPECT_EQ(p.inputText("c", "l", "i"), QString("typed"));
    EXPECT_EQ(p.calls().size(), 4);
    EXPECT_EQ(p.calls()[0].kind, ScriptedPromptService::Call::OpenFile);
    EXPECT_EQ(p.calls()[0].caption, "t");
}

} // namespace
