#include "platform/copybatch.h"
#include "platform/inifile.h"
#include "platform/safewrite.h"
#include "filesizelimit.h"
#include "smallfilesystem.h"
#include "tempfolder.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sys/stat.h>

using namespace platform;

namespace {

QStringList entries(const TempFolder& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(SafeWrite, ReplacesContentAndKeepsPermissions)
{
    TempFolder dir;
    const QString path = dir.write("page.htm", "old");
    ASSERT_EQ(::chmod(platform::encodeFileName(path).constData(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(path, QByteArray("new")).ok);
    EXPECT_EQ(dir.read("page.htm"), QByteArray("new"));
    struct stat st {};
    ASSERT_EQ(::stat(platform::encodeFileName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir), QStringList{"page.htm"});
}

TEST(SafeWrite, FailingWriterKeepsOldFileAndLeavesNoTemporary)
{
    TempFolder dir;
    const QString path = dir.write("page.htm", "old");
    const FileOutcome outcome = writeFileAtomically(path, [](QIODevice& out, QString& why) {
        out.write("partial");
        why = "generator failed";
        return false;
    });
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.reason, "generator failed");
    EXPECT_EQ(dir.read("page.htm"), QByteArray("old"));
    EXPECT_EQ(entries(dir), QStringList{"page.htm"});
}

TEST(SafeWrite, DisposableFilesReplaceWholeOrFailLeavingNothing)
{
    TempFolder dir;
    const QString path = dir.write("cache.jpg", "old");
    ASSERT_TRUE(writeDisposableFile(path, "new").ok);
    EXPECT_EQ(dir.read("cache.jpg"), QByteArray("new"));
    const FileOutcome outcome = writeDisposableFile(dir.file("missing/cache.jpg"), "x");
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.reason.startsWith("Cannot write " + dir.file("missing/cache.jpg") + ": ")) << outcome.reason.toStdString();
    dir.mkdir("taken.jpg"); // a folder where the file should go
    EXPECT_FALSE(writeDisposableFile(dir.file("taken.jpg"), "x").ok);
    EXPECT_EQ(entries(dir), QStringList({"cache.jpg", "taken.jpg"}));
}

TEST(SafeWrite, CopyOverExistingAndFromMissingSource)
{
    TempFolder dir;
    dir.write("src.jpg", QByteArray(3 << 20, 'x'));
    dir.write("dst.jpg", "old");
    ASSERT_TRUE(copyFileAtomically(dir.file("src.jpg"), dir.file("dst.jpg")).ok);
    EXPECT_EQ(dir.read("dst.jpg").size(), 3 << 20);

    const FileOutcome missing = copyFileAtomically(dir.file("none.jpg"), dir.file("dst.jpg"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(dir.read("dst.jpg").size(), 3 << 20);
    EXPECT_FALSE(copyFileAtomically(dir.file("src.jpg"), dir.file("no/such/folder/x.jpg")).ok);
}

TEST(SafeWrite, CopyReplacesALinkInsteadOfWritingThroughIt)
{
    // A link planted where the copy goes must not send the copy to the file it names.
    for (const char* linkTarget : {"elsewhere.txt", "missing.txt"}) {
        TempFolder dir;
        dir.write("src.htm", "new page");
        dir.write("elsewhere.txt", "must stay");
        ASSERT_TRUE(QFile::link(dir.file(linkTarget), dir.file("dst.htm")));
        ASSERT_TRUE(copyFileAtomically(dir.file("src.htm"), dir.file("dst.htm")).ok) << linkTarget;
        EXPECT_FALSE(QFileInfo(dir.file("dst.htm")).isSymLink()) << linkTarget;
        EXPECT_EQ(dir.read("dst.htm"), QByteArray("new page")) << linkTarget;
        EXPECT_EQ(dir.read("elsewhere.txt"), QByteArray("must stay")) << linkTarget;
        EXPECT_FALSE(dir.exists("missing.txt")) << linkTarget;
        EXPECT_EQ(entries(dir), (QStringList{"dst.htm", "elsewhere.txt", "src.htm"})) << linkTarget;
    }
}

TEST(SafeWrite, CopyKeepsTheReplacedFilesPermissionsAndGivesNewFilesTheUsualOnes)
{
    TempFolder dir;
    dir.write("src.jpg", "picture");
    ASSERT_EQ(::chmod(platform::encodeFileName(dir.file("src.jpg")).constData(), 0600), 0);
    dir.write("old.jpg", "old");
    ASSERT_EQ(::chmod(platform::encodeFileName(dir.file("old.jpg")).constData(), 0640), 0);
    const mode_t saved = ::umask(022);
    const bool replaced = copyFileAtomically(dir.file("src.jpg"), dir.file("old.jpg")).ok;
    const bool created = copyFileAtomically(dir.file("src.jpg"), dir.file("new.jpg")).ok;
    ::umask(saved);
    ASSERT_TRUE(replaced && created);
    struct stat st {};
    ASSERT_EQ(::stat(platform::encodeFileName(dir.file("old.jpg")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ASSERT_EQ(::stat(platform::encodeFileName(dir.file("new.jpg")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(dir.read("new.jpg"), QByteArray("picture"));
}

TEST(SafeWrite, RenameNoReplaceNeverOverwrites)
{
    TempFolder dir;
    dir.write("index.html", "new");
    dir.write("index.~htm", "first backup");
    const FileOutcome outcome = renameNoReplace(dir.file("index.html"), dir.file("index.~htm"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(dir.read("index.~htm"), QByteArray("first backup"));
    EXPECT_EQ(dir.read("index.html"), QByteArray("new"));
    EXPECT_TRUE(renameNoReplace(dir.file("index.html"), dir.file("other.~htm")).ok);
    EXPECT_FALSE(dir.exists("index.html"));
}

TEST(SafeWrite, LinkNoReplaceKeepsBothNamesAndNeverOverwrites)
{
    TempFolder dir;
    dir.write("index.html", "live");
    ASSERT_TRUE(linkNoReplace(dir.file("index.html"), dir.file("index.~htm")).ok);
    EXPECT_EQ(dir.read("index.~htm"), QByteArray("live"));
    EXPECT_EQ(dir.read("index.html"), QByteArray("live"));

    dir.write("photo.jpg", "second");
    const FileOutcome again = linkNoReplace(dir.file("photo.jpg"), dir.file("index.~htm"));
    EXPECT_FALSE(again.ok);
    EXPECT_FALSE(again.reason.isEmpty());
    EXPECT_EQ(dir.read("index.~htm"), QByteArray("live"));
}

TEST(SafeWrite, CopyNoReplaceNeverOverwritesAndLeavesNoTemporary)
{
    TempFolder dir;
    dir.write("a.jpg", QByteArray(2 << 20, 'a'));
    ASSERT_EQ(::chmod(platform::encodeFileName(dir.file("a.jpg")).constData(), 0644), 0);
    ASSERT_TRUE(copyFileNoReplace(dir.file("a.jpg"), dir.file("a.~jp")).ok);
    EXPECT_EQ(dir.read("a.~jp"), dir.read("a.jpg"));
    struct stat st {};
    ASSERT_EQ(::stat(platform::encodeFileName(dir.file("a.~jp")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    dir.write("b.jpg", "other");
    EXPECT_FALSE(copyFileNoReplace(dir.file("b.jpg"), dir.file("a.~jp")).ok);
    EXPECT_EQ(dir.read("a.~jp"), dir.read("a.jpg"));
    EXPECT_FALSE(copyFileNoReplace(dir.file("none.jpg"), dir.file("n.~jp")).ok);
    EXPECT_EQ(entries(dir), (QStringList{"a.jpg", "a.~jp", "b.jpg"}));
}

TEST(SafeWrite, RemoveFileReportsMissing)
{
    TempFolder dir;
    dir.write("a", "x");
    EXPECT_TRUE(removeFile(dir.file("a")).ok);
    const FileOutcome again = removeFile(dir.file("a"));
    EXPECT_FALSE(again.ok);
    EXPECT_TRUE(again.reason.contains(dir.file("a")));
}


// ---- failures at every step ----

namespace faults {

// Counts each step, and fails one chosen occurrence of one step with a chosen error.
struct FaultPlan {
    std::map<WriteStep, int> seen;
    std::optional<WriteStep> failStep;
    int failAt = 0;
    int error = ENOSPC;
    bool named = false;  // as on a file system without unnamed files

    int operator()(WriteStep step)
    {
        const int n = ++seen[step];
        if (step == WriteStep::Unnamed && named)
            return EOPNOTSUPP;
        return failStep == step && n == failAt ? error : 0;
    }
};

class HookScope {
public:
    explicit HookScope(FaultPlan& plan) { setWriteFaultHook([&plan](WriteStep s) { return plan(s); }); }
    ~HookScope() { setWriteFaultHook({}); }
};

QByteArray pattern(int size, char seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(seed + i % 61);
    return bytes;
}

// One kind of safe write into a folder that holds "old.dat" (and, for copies, "src.dat").
struct Operation {
    const char* what;
    std::function<FileOutcome(const TempFolder&)> run;
    QStringList targets;  // what the write changes
};

QList<Operation> operations()
{
    return {
        {"streamed write",
         [](const TempFolder& d) {
             return writeFileAtomically(d.file("old.dat"), [](QIODevice& out, QString&) {
                 const QByteArray chunk = pattern(1000, 'n');
                 for (int i = 0; i < 200; ++i)
                     out.write(chunk);  // a writer that never looks at what write gave
                 return true;
             });
         },
         {"old.dat"}},
        {"copy", [](const TempFolder& d) { return copyFileAtomically(d.file("src.dat"), d.file("old.dat")); },
         {"old.dat"}},
        {"batch",
         [](const TempFolder& d) {
             CopyBatch batch;
             int a = -1, b = -1;
             FileOutcome outcome = batch.stage(d.file("src.dat"), d.file("old.dat"), a);
             if (outcome)
                 outcome = batch.stage(d.file("src.dat"), d.file("new.dat"), b);
             if (outcome)
                 outcome = batch.sync();
             if (outcome)
                 outcome = batch.place(a);
             if (outcome)
                 outcome = batch.place(b);
             if (outcome)
                 outcome = batch.syncFolders();
             return outcome;
         },
         {"old.dat", "new.dat"}},
    };
}

void prepare(const TempFolder& dir)
{
    dir.write("old.dat", pattern(3000, 'o'));
    dir.write("src.dat", pattern(300 * 1000, 's'));
}

TEST(SafeWriteFaults, EveryStepThatFailsLeavesTheOldFilesAndNoTemporary)
{
    const QList<WriteStep> steps{WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Sync,
                                 WriteStep::Close,  WriteStep::Place, WriteStep::SyncFolder};
    for (const Operation& op : operations()) {
        for (const bool named : {false, true}) {
            const std::string label = std::string(op.what) + (named ? ", named temporary" : "");
            // A clean run tells how often each step comes.
            FaultPlan counting;
            counting.named = named;
            {
                TempFolder dir;
                prepare(dir);
                HookScope hook(counting);
                ASSERT_TRUE(op.run(dir).ok) << label;
            }
            int cases = 0;
            for (const WriteStep step : steps) {
                for (int k = 1; k <= counting.seen[step]; ++k) {
                    TempFolder dir;
                    prepare(dir);
                    const QStringList before = entries(dir);
                    const QByteArray old = dir.read("old.dat");
                    FaultPlan plan;
                    plan.named = named;
                    plan.failStep = step;
                    plan.failAt = k;
                    FileOutcome outcome;
                    {
                        HookScope hook(plan);
                        outcome = op.run(dir);
                    }
                    const std::string where = label + ", step " + std::to_string(int(step)) + " #" + std::to_string(k);
                    ++cases;
                    EXPECT_FALSE(outcome.ok) << where;
                    EXPECT_TRUE(outcome.reason.endsWith(": No space left on device")) << where << ": "
                                                                                        << outcome.reason.toStdString();
                    if (step == WriteStep::SyncFolder) {
                        // The new name was in place already; it just may not be durable.
                        QStringList after = before;
                        for (const QString& t : op.targets)
                            if (!after.contains(t))
                                after << t;
                        after.sort();
                        EXPECT_EQ(entries(dir), after) << where;
                        continue;
                    }
                    EXPECT_EQ(entries(dir), before) << where;  // nothing new, no temporary
                    // In a batch the first file is in place when the last rename fails.
                    const bool firstPlaced = QString(op.what) == "batch" && step == WriteStep::Place
                                             && k == counting.seen[WriteStep::Place];
                    EXPECT_TRUE(firstPlaced || dir.read("old.dat") == old) << where;
                }
            }
            // Every kind of step was tried at least once.
            EXPECT_GE(cases, 6) << label;
            EXPECT_GE(counting.seen[WriteStep::Write] + counting.seen[WriteStep::Flush], 1) << label;
        }
    }
}

TEST(SafeWriteFaults, FileSizeLimitFailsTheWriteWithItsReason)
{
    for (const Operation& op : operations()) {
        TempFolder dir;
        prepare(dir);
        const QStringList before = entries(dir);
        const QByteArray old = dir.read("old.dat");
        FileOutcome outcome;
        {
            FileSizeLimit limit(4000);  // the written and copied files are all larger
            ASSERT_TRUE(limit.ok());
            outcome = op.run(dir);
        }
        EXPECT_FALSE(outcome.ok) << op.what;
        EXPECT_TRUE(outcome.reason.endsWith(": File too large")) << op.what << ": " << outcome.reason.toStdString();
        EXPECT_EQ(entries(dir), before) << op.what;
        EXPECT_TRUE(dir.read("old.dat") == old) << op.what;
    }
}

TEST(SafeWriteFaults, FullDiskLeavesTheOldFileWhole)
{
    SmallFileSystem disk(256 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "no small file system to fill: " << disk.reason().toStdString();
    const QString settings = disk.path() + "Site_1.ini";
    const QByteArray old = "[General]\r\nName=One\r\nPath=%/sites/one/\r\nCurrentRotationPosition=2\r\n";
    writeAll(settings, old);
    writeAll(disk.path() + "src.dat", pattern(20000, 's'));
    ASSERT_TRUE(disk.fill());

    const FileOutcome ini = IniFile(settings).writeInteger("General", "CurrentRotationPosition", 3);
    EXPECT_FALSE(ini.ok);
    EXPECT_EQ(ini.reason, "Cannot write " + settings + ": No space left on device");
    const FileOutcome big = writeFileAtomically(settings, pattern(50000, 'n'));
    EXPECT_EQ(big.reason, "Cannot write " + settings + ": No space left on device");
    const FileOutcome copy = copyFileAtomically(disk.path() + "src.dat", settings);
    EXPECT_EQ(copy.reason, "Cannot write " + settings + ": No space left on device");
    EXPECT_EQ(readAll(settings), old);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{"Site_1.ini", "filler", "src.dat"}));
}

} // namespace faults

TEST(SafeWrite, TheTemporaryHasNoNameUntilItIsComplete)
{
    for (const bool named : {false, true}) {
        TempFolder dir;
        dir.write("page.htm", "old");
        faults::FaultPlan plan;
        plan.named = named;
        faults::HookScope hook(plan);
        QStringList during;
        ASSERT_TRUE(writeFileAtomically(dir.file("page.htm"), [&](QIODevice& out, QString&) {
                        out.write(QByteArray(200000, 'x'));
                        during = entries(dir);
                        return true;
                    }).ok);
        if (named) {
            ASSERT_EQ(during.size(), 2);
            EXPECT_TRUE(during[0].startsWith(".~staged.")) << during[0].toStdString();
        } else {
            EXPECT_EQ(during, QStringList{"page.htm"});
        }
        EXPECT_EQ(entries(dir), QStringList{"page.htm"});
        EXPECT_EQ(dir.read("page.htm").size(), 200000);
    }
}

TEST(SafeWrite, LeftoversOfKilledWritesGoButNothingElse)
{
    TempFolder dir;
    dir.write(".~staged.abc", "killed half way");
    dir.write(".~staged.", "killed early");
    dir.write(".tmp.abc", "not ours");
    dir.write("x.~staged.abc", "not ours either");
    dir.mkdir(".~staged.folder");
    ASSERT_TRUE(QFile::link(dir.file("x.~staged.abc"), dir.file(".~staged.link")));
    // A write still at work under a name of the prefix.
    faults::FaultPlan plan;
    plan.named = true;
    int removedDuring = -1;
    {
        faults::HookScope hook(plan);
        ASSERT_TRUE(writeFileAtomically(dir.file("page.htm"), [&](QIODevice& out, QString&) {
                        out.write("new page");
                        removedDuring = removeStagingLeftovers(dir.path());
                        return true;
                    }).ok);
    }
    EXPECT_EQ(removedDuring, 2);
    EXPECT_EQ(dir.read("page.htm"), QByteArray("new page"));
    EXPECT_EQ(entries(dir), (QStringList{".tmp.abc", ".~staged.folder", ".~staged.link", "page.htm", "x.~staged.abc"}));
    EXPECT_EQ(removeStagingLeftovers(dir.file("missing")), 0);
}

} // namespace
