#include "tempfolder.h"
#include "app/pages/descriptions.h"

#include "platform/prompts.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using platform::mrNo;
using platform::mrYes;

class Descriptions : public ::testing::Test {
protected:
    TempFolder folder;
    platform::ScriptedPromptService prompts;

    QString noEntries(const QString& file)
    {
        return "No valid entries were found in the file, " + file + ".  Do you still want to build this Site?";
    }
    QStringList folderContents() { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(Descriptions, CsvFirstCommaSeparatesNameFromDescription)
{
    const QString csv = folder.write("desc.csv", "pic.jpg,A <b>bold</b> view, with commas\r\n"
                                                 "Other.GIF,\"Quoted, kept whole\"\r\n"
                                                 "no comma line\r\n"
                                                 "\"quoted.jpg\",name keeps its quotes\n"
                                                 "empty.jpg,\n"
                                                 "/site/rotation_1/full.jpg,by path");
    const auto d = ConvertCSVtoINI(csv, prompts);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->lookup("pic.jpg"), "A <b>bold</b> view, with commas");
    EXPECT_EQ(d->lookup("OTHER.gif"), "Quoted, kept whole");
    EXPECT_EQ(d->lookup("quoted.jpg"), "");
    EXPECT_EQ(d->lookup("\"quoted.jpg\""), "name keeps its quotes");
    EXPECT_EQ(d->lookup("empty.jpg"), "");
    EXPECT_EQ(d->lookup("/site/rotation_1/full.jpg"), "by path");
    EXPECT_TRUE(prompts.calls().isEmpty());
    EXPECT_EQ(folderContents(), QStringList{"desc.csv"}); // nothing written beside it
}

TEST_F(Descriptions, CsvWithoutAnyCommaAsks)
{
    const QString csv = folder.write("names.txt", "pic.jpg\r\nother.jpg\r\n");
    prompts.answer(mrYes);
    const auto yes = ConvertCSVtoINI(csv, prompts);
    ASSERT_TRUE(yes);
    EXPECT_TRUE(yes->isEmpty());
    prompts.answer(mrNo);
    EXPECT_FALSE(ConvertCSVtoINI(csv, prompts));
    EXPECT_EQ(prompts.promptTexts(), (QStringList{noEntries(csv), noEntries(csv)}));
    EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Warning);
    EXPECT_EQ(prompts.lastPrompt().caption, "Warning");
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::YesNo);
    EXPECT_EQ(folderContents(), QStringList{"names.txt"});
}

TEST_F(Descriptions, EmptyOrUnreadableCsvFails)
{
    EXPECT_FALSE(ConvertCSVtoINI(folder.write("empty.csv", ""), prompts));
    EXPECT_FALSE(ConvertCSVtoINI(folder.file("missing.csv"), prompts));
    EXPECT_FALSE(ConvertCSVtoINI(folder.mkdir("dir.csv"), prompts));
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST_F(Descriptions, IniFilesAreReadAsTheyAre)
{
    const QString ini = folder.write("d.INI", "[Other]\r\npic.jpg=wrong\r\n[descriptions]\r\nPIC.jpg = \"Nice one\" \r\n");
    const auto d = loadDescriptionFile(ini, prompts);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->lookup("pic.jpg"), "Nice one");
    EXPECT_FALSE(loadDescriptionFile(folder.file("none.ini"), prompts));

    const auto csv = loadDescriptionFile(folder.write("d.Csv", "a.jpg,x"), prompts);
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->lookup("a.jpg"), "x");
}

TEST_F(Descriptions, ByteOrderMarkAndLatin1FilesKeepTheirBytes)
{
    // Files saved by other programs: a UTF-8 byte-order mark in front, or Latin-1 text, whose
    // names are matched as text (a Latin-1 "\xe9" is the "\u00e9" of a file name).
    struct Case { const char* name; QByteArray bytes; QByteArray description; } cases[] = {
        {"bom.csv", "\xef\xbb\xbf" "Caf\xc3\xa9.jpg,Caf\xc3\xa9 cr\xc3\xa8me\r\n", "Caf\xc3\xa9 cr\xc3\xa8me"},
        {"latin1.csv", "Caf\xe9.jpg,Caf\xe9 cr\xe8me\r\n", "Caf\xe9 cr\xe8me"},
        {"bom.ini", "\xef\xbb\xbf[Descriptions]\r\nCaf\xc3\xa9.jpg=Caf\xc3\xa9 cr\xc3\xa8me\r\n", "Caf\xc3\xa9 cr\xc3\xa8me"},
        {"latin1.ini", "[Descriptions]\r\nCaf\xe9.jpg=\"Caf\xe9 cr\xe8me\xa0\"\r\n", "Caf\xe9 cr\xe8me\xa0"},
        {"mixed.ini", "[Descriptions]\r\nCaf\xe9.jpg=\xc3\xa9 and \xe9\r\n", "\xc3\xa9 and \xe9"},
    };
    for (const Case& c : cases) {
        const auto d = loadDescriptionFile(folder.write(c.name, c.bytes), prompts);
        ASSERT_TRUE(d) << c.name;
        EXPECT_EQ(d->lookup(QStringLiteral(u"caf\u00e9.JPG")), c.description) << c.name;
    }
    EXPECT_TRUE(prompts.calls().isEmpty());
}

} // namespace
