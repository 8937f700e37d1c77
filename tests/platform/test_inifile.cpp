#include "platform/inifile.h"
#include "fifo.h"
#include "tempfolder.h"
#include "testnames.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <future>

using platform::IniDocument;
using platform::IniFile;

namespace {

struct ReadCase {
    const char* name;
    QByteArray file;
    const char* section;
    const char* key;
    const char* def;
    const char* expected;
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, ReadsValue)
{
    const ReadCase& c = GetParam();
    const IniDocument doc = IniDocument::parse(c.file);
    EXPECT_EQ(doc.readString(c.section, c.key, c.def).toStdString(), std::string(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Table, IniRead, ::testing::Values(
    ReadCase{"plain", "[A]\r\nk=v\r\n", "A", "k", "d", "v"},
    ReadCase{"section case", "[Sites]\nk=v\n", "SITES", "k", "d", "v"},
    ReadCase{"key case", "[A]\nRotationCount=3\n", "a", "rotationcount", "d", "3"},
    ReadCase{"trimmed", "[A]\n  k  =   spaced value   \n", "A", "k", "d", "spaced value"},
    ReadCase{"double quotes removed", "[A]\nk=\"quoted\"\n", "A", "k", "d", "quoted"},
    ReadCase{"single quotes removed", "[A]\nk='q'\n", "A", "k", "d", "q"},
    ReadCase{"one pair only", "[A]\nk=\"\"x\"\"\n", "A", "k", "d", "\"x\""},
    ReadCase{"unmatched quote kept", "[A]\nk=\"x\n", "A", "k", "d", "\"x"},
    ReadCase{"empty present", "[A]\nk=\n", "A", "k", "d", ""},
    ReadCase{"absent gets default", "[A]\nother=1\n", "A", "k", "d", "d"},
    ReadCase{"absent section", "[B]\nk=1\n", "A", "k", "d", "d"},
    ReadCase{"key of other section", "[A]\n[B]\nk=1\n", "A", "k", "d", "d"},
    ReadCase{"CR only", "[A]\rk=cr\r", "A", "k", "d", "cr"},
    ReadCase{"LF only", "[A]\nk=lf", "A", "k", "d", "lf"},
    ReadCase{"first of duplicates", "[A]\nk=1\nk=2\n", "A", "k", "d", "1"},
    ReadCase{"equals in value", "[A]\nk=a=b\n", "A", "k", "d", "a=b"},
    ReadCase{"comment ignored", "[A]\n;k=c\nk=real\n", "A", "k", "d", "real"},
    ReadCase{"utf8 bytes", "[A]\nk=Caf\xc3\xa9\n", "A", "k", "d", "Caf\xc3\xa9"}),
    NameOfCase());

TEST(IniDocument, ListsKeysInFileOrder)
{
    const IniDocument doc = IniDocument::parse("[Sites]\r\nSite_3=c\r\nSite_1=a\r\nsite_3=dup\r\nSite_2=\r\n[X]\r\ny=1\r\n");
    EXPECT_EQ(doc.sectionKeys("sites"), (QStringList{"Site_3", "Site_1", "Site_2"}));
    EXPECT_TRUE(doc.sectionKeys("missing").isEmpty());
    EXPECT_EQ(doc.sections(), (QStringList{"Sites", "X"}));
}

TEST(IniDocument, SectionValuesByFoldedKeyFirstWins)
{
    const IniDocument doc = IniDocument::parse("[Sites]\nSite_1=a\nSITE_1=b\nSite_2=\n[Other]\nSite_3=c\n");
    const auto values = doc.sectionValues("sites");
    EXPECT_EQ(values.size(), 2);
    EXPECT_EQ(values.value("site_1"), "a");
    EXPECT_EQ(values.value("site_2", "absent"), "");
    EXPECT_FALSE(values.contains("site_3"));
}

TEST(IniDocument, LargeSectionListsQuickly)
{
    QByteArray text = "[Sites]\n";
    for (int i = 0; i < 90000; ++i)
        text += "Site_" + QByteArray::number(i) + "=x\n";
    const IniDocument doc = IniDocument::parse(text);
    EXPECT_EQ(doc.sectionKeys("Sites").size(), 90000);
    EXPECT_EQ(doc.sectionValues("Sites").size(), 90000);
}

TEST(IniDocument, ManySectionsListAndLookUpInLinearTime)
{
    QByteArray text;
    for (int i = 0; i < 100000; ++i)
        text += "[Rotation_" + QByteArray::number(i) + "]\r\nRotation_Path=/r/" + QByteArray::number(i) + "\r\n";
    text += "[ROTATION_7]\r\nRotation_Path=second of its name\r\n";
    QElapsedTimer clock;
    clock.start();
    const IniDocument doc = IniDocument::parse(text);
    const QStringList names = doc.sections();
    for (int i = 0; i < 100000; i += 7)
        ASSERT_EQ(doc.readString(QStringLiteral("rotation_%1").arg(i), "Rotation_Path", ""), QStringLiteral("/r/%1").arg(i));
    EXPECT_LT(clock.elapsed(), 20000);  // once 72 s and more; a few seconds even under the sanitizers
    EXPECT_EQ(names.size(), 100000);
    EXPECT_EQ(names.last(), "Rotation_99999");
    EXPECT_EQ(doc.readString("Rotation_7", "Rotation_Path", ""), "/r/7");  // the first of a name wins
}

TEST(IniDocument, LookUpsFollowEveryChange)
{
    IniDocument doc = IniDocument::parse("[A]\nk=1\n[B]\nk=2\n[C]\nk=3\n");
    EXPECT_EQ(doc.readString("C", "k", ""), "3");
    doc.setValue("A", "new", "x");  // moves B and C down a line
    EXPECT_EQ(doc.readString("B", "k", ""), "2");
    EXPECT_EQ(doc.readString("C", "k", ""), "3");
    doc.eraseSection("B");
    EXPECT_FALSE(doc.hasSection("B"));
    EXPECT_EQ(doc.readString("C", "k", ""), "3");
    doc.setValue("D", "k", "4");
    EXPECT_EQ(doc.readString("d", "K", ""), "4");
    doc.deleteKey("A", "k");
    EXPECT_EQ(doc.readString("C", "k", ""), "3");
    EXPECT_EQ(doc.sections(), (QStringList{"A", "C", "D"}));
}

TEST(IniDocument, UpdatesInPlaceKeepingOtherBytes)
{
    IniDocument doc = IniDocument::parse("; note\r\n[General]\r\nName=Old\r\nPath=%/x/\r\n\r\n[Rotation_1]\r\nA=1\r\n");
    doc.setValue("general", "NAME", "New");
    EXPECT_EQ(doc.serialize(), QByteArray("; note\r\n[General]\r\nName=New\r\nPath=%/x/\r\n\r\n[Rotation_1]\r\nA=1\r\n"));
}

TEST(IniDocument, AppendsNewKeyToItsSectionBeforeBlankLines)
{
    IniDocument doc = IniDocument::parse("[General]\nName=A\n\n[Rotation_1]\nA=1\n");
    doc.setValue("General", "Path", "p");
    doc.setValue("Rotation_1", "B", "2");
    doc.setValue("Options", "C", "3");
    EXPECT_EQ(doc.serialize(),
              QByteArray("[General]\r\nName=A\r\nPath=p\r\n\r\n[Rotation_1]\r\nA=1\r\nB=2\r\n[Options]\r\nC=3\r\n"));
}

TEST(IniDocument, LineBreaksInValuesBecomeSpaces)
{
    IniDocument doc;
    doc.setValue("A", "k", "one\r\ntwo\nthree");
    EXPECT_EQ(doc.serialize(), QByteArray("[A]\r\nk=one  two three\r\n"));
}

TEST(IniDocument, DeletesKeyAndErasesSection)
{
    IniDocument doc = IniDocument::parse("[A]\nk=1\nj=2\nK=3\n[B]\nk=4\n[a]\nk=5\n");
    doc.deleteKey("a", "k");
    EXPECT_EQ(doc.serialize(), QByteArray("[A]\r\nj=2\r\n[B]\r\nk=4\r\n[a]\r\nk=5\r\n"));
    doc.eraseSection("A");
    EXPECT_EQ(doc.serialize(), QByteArray("[B]\r\nk=4\r\n"));
    doc.deleteKey("missing", "k"); // no effect, no crash
    EXPECT_EQ(doc.serialize(), QByteArray("[B]\r\nk=4\r\n"));
}

TEST(IniReadRules, BooleansCompareUpperCasedAgainstDefault)
{
    struct Case { const char* text; bool def; bool expected; } cases[] = {
        {"True", false, true}, {"TRUE", false, true}, {"true", false, true},
        {"yes", false, false}, {"1", false, false}, {"", false, false},
        {"False", true, false}, {"FALSE", true, false}, {"no", true, true}, {"", true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::iniBool(c.text, c.def), c.expected) << c.text << " def " << c.def;
}

TEST(IniReadRules, NumbersWithFallbacks)
{
    TempFolder dir;
    const QString path = dir.write("o.ini", "[Options]\nA=42\nB=x\nC=\nD= -7 \nE=$1F\nF=99999999999\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("Options", "A", 80, 17), 42);
    EXPECT_EQ(ini.readInteger("Options", "B", 80, 17), 17);
    EXPECT_EQ(ini.readInteger("Options", "C", 80, 17), 17);
    EXPECT_EQ(ini.readInteger("Options", "D", 80, 17), -7);
    EXPECT_EQ(ini.readInteger("Options", "E", 80, 17), 31);
    EXPECT_EQ(ini.readInteger("Options", "F", 80, 17), 17);
    EXPECT_EQ(ini.readInteger("Options", "Missing", 80, 17), 80);
    EXPECT_TRUE(ini.readBool("Options", "Missing", true));
}

TEST(IniFile, MissingFileReadsEmptyAndFirstWriteCreatesIt)
{
    TempFolder dir;
    IniFile ini(dir.file("sites.ini"));
    EXPECT_TRUE(ini.sectionKeys("Sites").isEmpty());
    EXPECT_EQ(ini.readString("Sites", "Site_1", "Error: Site_1"), "Error: Site_1");
    ASSERT_TRUE(ini.writeString("Sites", "Site_1", "New Site"));
    ASSERT_TRUE(ini.writeBool("Sites", "Flag", true));
    EXPECT_EQ(dir.read("sites.ini"), QByteArray("[Sites]\r\nSite_1=New Site\r\nFlag=True\r\n"));
}

TEST(IniFile, AFileThatIsThereButCannotBeReadNamesItselfAndTheReason)
{
    TempFolder dir;
    dir.mkdir("folder.ini");
    const QString fifo = dir.file("fifo.ini");
    ASSERT_FALSE(MakeFifo(fifo).isEmpty());
    const QString locked = dir.write("locked.ini", "[Sites]\r\nSite_1=One\r\n");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    const struct {
        const char* name;
        const char* reason;  // empty: read as empty without a failure
    } cases[] = {
        {"missing.ini", ""},
        {"folder.ini", "Is a directory"},
        {"fifo.ini", "Invalid argument"},  // refused at once, never waited for
    };
    for (const auto& c : cases) {
        const IniFile ini(dir.file(c.name));
        auto reading = std::async(std::launch::async, [&ini] { return ini.readChecked(); });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << c.name << " blocked the read";
            QFile writer(fifo);
            writer.open(QIODevice::WriteOnly);  // lets the blocked read end
            continue;
        }
        const IniFile::Reading r = reading.get();
        const QString expected = *c.reason ? "Cannot read " + dir.file(c.name) + ": " + c.reason : QString();
        EXPECT_EQ(r.outcome.reason, expected) << c.name;
        EXPECT_EQ(r.outcome.ok, !*c.reason) << c.name;
        EXPECT_TRUE(r.document.sections().isEmpty()) << c.name;
    }
    // File modes hold only for other users than root.
    const int rc = runUnprivileged([&] {
        const IniFile::Reading r = IniFile(locked).readChecked();
        return !r.outcome.ok && r.outcome.reason == "Cannot read " + locked + ": Permission denied" ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
    // A file that cannot be read is never written back as a whole.
    EXPECT_EQ(IniFile(dir.file("folder.ini")).writeString("Sites", "Site_1", "x").reason,
              "Cannot read " + dir.file("folder.ini") + ": Is a directory");
}

TEST(IniFile, WriteIntoMissingFolderFailsWithReason)
{
    TempFolder dir;
    IniFile ini(dir.file("nofolder/sites.ini"));
    const auto outcome = ini.writeString("Sites", "Site_1", "x");
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.reason.isEmpty());
}

TEST(IniFile, WriteUnderARegularFileFailsAndLeavesNoTemporaryFile)
{
    TempFolder dir;
    dir.write("plain", "x");
    IniFile ini(dir.file("plain/a.ini"));
    EXPECT_FALSE(ini.writeString("A", "k", "v").ok);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"plain"});
}

TEST(IniFile, DeleteAndEraseOnDisk)
{
    TempFolder dir;
    const QString path = dir.write("s.ini", "[Sites]\r\nSite_1=A\r\nSite_2=B\r\n[Other]\r\nx=1\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.deleteKey("Sites", "site_1"));
    ASSERT_TRUE(ini.eraseSection("other"));
    EXPECT_EQ(dir.read("s.ini"), QByteArray("[Sites]\r\nSite_2=B\r\n"));
}

TEST(IniFile, TwoProcessesWritingDifferentKeysLoseNothing)
{
    TempFolder dir;
    const QString path = dir.write("options.ini", "[Shared]\r\nkeep=1\r\n");
    constexpr int count = 150;
    QProcess a, b;
    a.start(INI_WRITER, {path, "A", QString::number(count)});
    b.start(INI_WRITER, {path, "B", QString::number(count)});
    ASSERT_TRUE(a.waitForFinished(60000));
    ASSERT_TRUE(b.waitForFinished(60000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();

    IniFile ini(path);
    const QStringList keys = ini.sectionKeys("Shared");
    EXPECT_EQ(keys.size(), 1 + 2 * count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(ini.readInteger("Shared", QStringLiteral("A%1").arg(i), -1, -2), i);
        EXPECT_EQ(ini.readInteger("Shared", QStringLiteral("B%1").arg(i), -1, -2), i);
    }
    EXPECT_EQ(ini.readString("Shared", "keep", ""), "1");
}

} // namespace
