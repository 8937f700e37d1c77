#include "tempfolder.h"
#include "unprivileged.h"
#include "app/site/fileroutines.h"

#include "platform/prompts.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::ScriptedPromptService;

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::stat(platform::encodeFileName(path).constData(), &st);
    return st.st_mode & 07777;
}

void setMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(platform::encodeFileName(path).constData(), mode), 0);
}

TEST(AddBackslash, Table)
{
    EXPECT_EQ(AddBackslash("/a/b"), "/a/b/");
    EXPECT_EQ(AddBackslash("/a/b/"), "/a/b/");
    EXPECT_EQ(AddBackslash("/a/b\\"), "/a/b\\");
    EXPECT_EQ(AddBackslash("   "), "");
    EXPECT_EQ(AddBackslash(""), "");
}

TEST(CreateFolderPath, CreatesOnlyMissingLevels)
{
    TempFolder dir;
    dir.mkdir("A");
    ScriptedPromptService prompts;
    EXPECT_TRUE(CreateFolderPath(dir.file("A/B"), false, true, prompts));
    EXPECT_TRUE(QDir(dir.file("A/B")).exists());
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST(CreateFolderPath, RootAndEmptyGiveFalseSilently)
{
    ScriptedPromptService prompts;
    EXPECT_FALSE(CreateFolderPath("/", true, true, prompts));
    EXPECT_FALSE(CreateFolderPath("", true, true, prompts));
    EXPECT_FALSE(createnewdirectory("/", "/prog/", prompts));
    EXPECT_FALSE(createnewdirectory("  ", "/prog/", prompts));
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST(CreateFolderPath, AsksFirstAndCancelCreatesNothing)
{
    TempFolder dir;
    ScriptedPromptService prompts;
    prompts.answer(platform::mrCancel);
    EXPECT_FALSE(CreateFolderPath(dir.file("New"), true, true, prompts));
    EXPECT_FALSE(dir.exists("New"));
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.lastPrompt().text, "The folder, " + dir.file("New") + ", does not exist.  Would you like to create it?");
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::OkCancel);
    EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Information);

    prompts.answer(platform::mrOk);
    EXPECT_TRUE(CreateFolderPath(dir.file("New"), true, true, prompts));
    EXPECT_TRUE(dir.exists("New"));
}

TEST(CreateFolderPath, FailureRollsBackAndReportsOnlyWhenAsked)
{
    TempFolder dir;
    dir.write("A/file", "blocks");
    ScriptedPromptService prompts;
    EXPECT_FALSE(CreateFolderPath(dir.file("A/file/Y"), false, false, prompts));
    EXPECT_TRUE(prompts.calls().isEmpty());

    // X and X/Y can be made, the over-long name cannot: X must go again.
    const QString path = dir.file("A/X/Y/" + QString(300, 'n') + "/Z");
    EXPECT_FALSE(CreateFolderPath(path, false, true, prompts));
    EXPECT_FALSE(dir.exists("A/X"));
    EXPECT_EQ(prompts.promptTexts(), QStringList{"An error was encountered whilst trying to create the folder, " + path + "."});
}

TEST(CreateNewDirectory, ExpandsMarkerAndReportsWithItsOwnText)
{
    TempFolder prog;
    ScriptedPromptService prompts;
    EXPECT_TRUE(createnewdirectory("%/Site_1/Rotation_1", prog.path(), prompts));
    EXPECT_TRUE(prog.exists("Site_1/Rotation_1"));
    prog.write("plain", "x");
    EXPECT_FALSE(createnewdirectory(prog.file("plain/sub"), prog.path(), prompts));
    EXPECT_EQ(prompts.promptTexts(),
              QStringList{"An error was encountered whilst trying to create the directory, " + prog.file("plain/sub")});
    EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Warning);
}

TEST(DoDeleteFile, MissingFileWarnsAndCountsAsDone)
{
    TempFolder dir;
    ScriptedPromptService prompts;
    EXPECT_TRUE(dodeletefile(dir.file("gone.jpg"), false, prompts));
    EXPECT_EQ(prompts.promptTexts(), QStringList{"Unable to locate the file, " + dir.file("gone.jpg")});
}

TEST(DoDeleteFile, ReadOnlyQuestion)
{
    TempFolder dir;
    const QString file = dir.write("ro.jpg", "x");
    setMode(file, 0444);
    ScriptedPromptService prompts;
    prompts.answer(platform::mrNo);
    EXPECT_FALSE(dodeletefile(file, false, prompts));
    EXPECT_TRUE(dir.exists("ro.jpg"));
    EXPECT_EQ(modeOf(file), 0444u);
    EXPECT_EQ(prompts.lastPrompt().text,
              "Are you sure you want to delete the file, " + file + "?  This file is marked READ ONLY!");
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::YesNo);

    prompts.answer(platform::mrYes);
    EXPECT_TRUE(dodeletefile(file, false, prompts));
    EXPECT_FALSE(dir.exists("ro.jpg"));
}

TEST(DoDeleteFile, ClearingReadOnlyKeepsOtherBits)
{
    TempFolder dir;
    const QString file = dir.write("ro.jpg", "x");
    setMode(file, 0454);
    ScriptedPromptService prompts;
    prompts.answer(platform::mrYes);
    EXPECT_TRUE(dodeletefile(file, true, prompts)); // overwriting: made ready, not removed
    EXPECT_TRUE(dir.exists("ro.jpg"));
    EXPECT_EQ(modeOf(file), 0654u);
}

TEST(DoDeleteFile, FailureShowsOneDeleteMessage)
{
    TempFolder dir;
    const QString file = dir.write("locked/a.jpg", "x");
    setMode(dir.path(), 0755);
    setMode(dir.file("locked"), 0555); // nobody may unlink from here
    const int rc = runUnprivileged([&] {
        const QString failure = "Pictorum Pro encountered an error deleting or overwriting the file, " + file;
        ScriptedPromptService prompts;
        if (dodeletefile(file, false, prompts) || prompts.promptTexts() != QStringList{failure})
            return 1;
        // The Delete key: the editor's list shows the routine's box, the add-images list its own.
        const QString question = "Are you sure you want to delete the file, " + file + "?";
        for (const bool addImagesList : {false, true}) {
            ScriptedPromptService keyed;
            keyed.answer(platform::mrYes);
            deleteChosenFiles({file}, keyed, addImagesList);
            const QString shown = addImagesList ? "Error encountered deleting the file, " + file + "?" : failure;
            if (keyed.promptTexts() != QStringList({question, shown}))
                return 2;
        }
        return 0;
    });
    setMode(dir.file("locked"), 0755);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(dir.exists("locked/a.jpg"));
}

TEST(DoCopyFile, SameFileUnderTwoSpellingsIsLeftAlone)
{
    TempFolder dir;
    const QString file = dir.write("a/pic.jpg", "original");
    ScriptedPromptService prompts;
    docopyfile(file, file, true, prompts);
    docopyfile(file, dir.file("a/../a/pic.jpg"), true, prompts);
    docopyfile(file, dir.file("a//pic.jpg"), true, prompts);
    EXPECT_EQ(dir.read("a/pic.jpg"), QByteArray("original"));
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST(DoCopyFile, OverwriteAsksAndNoKeepsTheFile)
{
    TempFolder dir;
    const QString src = dir.write("src.jpg", "new");
    const QString dst = dir.write("dst.jpg", "old");
    ScriptedPromptService prompts;
    prompts.answer(platform::mrNo);
    docopyfile(src, dst, true, prompts);
    EXPECT_EQ(dir.read("dst.jpg"), QByteArray("old"));
    EXPECT_EQ(prompts.promptTexts(),
              QStringList{"A file already exists by the name of " + dst + ".  Are you sure you want to overwrite it?"});

    prompts.answer(platform::mrYes);
    docopyfile(src, dst, true, prompts);
    EXPECT_EQ(dir.read("dst.jpg"), QByteArray("new"));

    dir.write("src.jpg", "newer");
    docopyfile(src, dst, false, prompts); // no confirmation asked
    EXPECT_EQ(dir.read("dst.jpg"), QByteArray("newer"));
    EXPECT_EQ(prompts.calls().size(), 2);
}

TEST(DoCopyFile, FailedOverwriteKeepsTheOldFile)
{
    TempFolder dir;
    const QString dst = dir.write("dst.jpg", "old");
    ScriptedPromptService prompts;
    docopyfile(dir.file("missing.jpg"), dst, false, prompts);
    EXPECT_EQ(dir.read("dst.jpg"), QByteArray("old"));
    EXPECT_EQ(prompts.promptTexts(), QStringList{"An error was encountered copying the file, " + dir.file("missing.jpg") + "!"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"dst.jpg"});
}

TEST(DoCopyFile, ReadOnlyDestinationAnsweredNoIsKept)
{
    TempFolder dir;
    const QString src = dir.write("src.jpg", "new");
    const QString dst = dir.write("dst.jpg", "old");
    setMode(dst, 0444);
    ScriptedPromptService prompts;
    prompts.answer(platform::mrYes); // overwrite?
    prompts.answer(platform::mrNo);  // read only: delete?
    docopyfile(src, dst, true, prompts);
    EXPECT_EQ(dir.read("dst.jpg"), QByteArray("old"));
    EXPECT_EQ(modeOf(dst), 0444u);
    // The kept destination makes the copy fail, and that is reported after the question.
    EXPECT_EQ(prompts.promptTexts(),
              QStringList({"A file already exists by the name of " + dst + ".  Are you sure you want to overwrite it?",
                           "Are you sure you want to delete the file, " + dst + "?  This file is marked READ ONLY!",
                           "An error was encountered copying the file, " + src + "!"}));
}

TEST(DoCopyFile, ReadOnlyDestinationAnsweredYesIsReplaced)
{
    TempFolder dir;
    const QString src = dir.write("src.jpg", "new");
    const QString dst = dir.write("dst.jpg", "old");
    setMode(dst, 0444);
    ScriptedPromptService prompts;
    prompts.answer(platform::mrYes); // read only: delete?
    docopyfile(src, dst, false, prompts);
    EXPECT_EQ(dir.read("dst.jpg"), QByteArray("new"));
    EXPECT_EQ(prompts.promptTexts(),
              QStringList{"Are you sure you want to delete the file, " + dst + "?  This file is marked READ ONLY!"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"dst.jpg", "src.jpg"}));
}

TEST(DoDeleteFile, ALinkIsDeletedOrReplacedAsALinkAndItsTargetKeepsModeAndContent)
{
    TempFolder dir;
    const QString target = dir.write("outside/precious.jpg", "precious");
    setMode(target, 0444);
    const QString source = dir.write("src.jpg", "new");
    const struct {
        const char* what;
        std::function<void(const QString& link, ScriptedPromptService&)> run;
        const char* left;  // what the link's name holds afterwards, "" for nothing
    } cases[] = {
        {"delete", [](const QString& link, ScriptedPromptService& p) { EXPECT_TRUE(dodeletefile(link, false, p)); }, ""},
        {"make ready for overwriting", [](const QString& link, ScriptedPromptService& p) { EXPECT_TRUE(dodeletefile(link, true, p)); }, ""},
        {"copy over", [&](const QString& link, ScriptedPromptService& p) { docopyfile(source, link, false, p); }, "new"},
    };
    for (const auto& c : cases) {
        const QString link = dir.file("site/link.jpg");
        QDir().mkpath(dir.file("site"));
        ASSERT_EQ(::symlink(platform::encodeFileName(target).constData(), platform::encodeFileName(link).constData()), 0) << c.what;
        ScriptedPromptService prompts;
        c.run(link, prompts);
        EXPECT_TRUE(prompts.calls().isEmpty()) << c.what;  // a link is never read-only
        EXPECT_EQ(dir.read("outside/precious.jpg"), QByteArray("precious")) << c.what;
        EXPECT_EQ(modeOf(target), 0444u) << c.what;
        EXPECT_FALSE(QFileInfo(link).isSymLink()) << c.what;
        EXPECT_EQ(readAll(link), QByteArray(c.left)) << c.what;
        QFile::remove(link);
    }
    // A dangling link is there to be deleted.
    const QString dangling = dir.file("site/dangling.jpg");
    ASSERT_EQ(::symlink("gone.jpg", platform::encodeFileName(dangling).constData()), 0);
    ScriptedPromptService prompts;
    EXPECT_TRUE(dodeletefile(dangling, false, prompts));
    EXPECT_TRUE(prompts.calls().isEmpty());
    EXPECT_FALSE(QFileInfo(dangling).isSymLink());
}

TEST(DoDeleteDir, DeletesForGoodAndRefusesProtectedFolders)
{
    TempFolder dir;
    const QString prog = dir.mkdir("prog/");
    dir.write("prog/Site_1/rotation_1/a.jpg", "x");
    ScriptedPromptService prompts;
    dodeletedir(dir.file("prog/Site_1/"), prog, prompts);
    EXPECT_FALSE(dir.exists("prog/Site_1"));
    EXPECT_TRUE(prompts.calls().isEmpty());

    for (const QString& protectedFolder : {prog, dir.path(), QString("/"), QDir::homePath()}) {
        prompts.clear();
        dodeletedir(protectedFolder, prog, prompts);
        EXPECT_EQ(prompts.promptTexts(),
                  QStringList{"Cannot remove directory, it may be not be empty or it may be marked read-only."})
            << protectedFolder.toStdString();
    }
    EXPECT_TRUE(dir.exists("prog"));
    prompts.clear();
    dodeletedir("", prog, prompts);
    EXPECT_TRUE(prompts.calls().isEmpty());
}

} // namespace
