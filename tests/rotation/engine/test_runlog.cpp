#include "tempfolder.h"
#include "rotation/engine/runlog.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

namespace {

// Pins the time zone and the time locale for the length of a test.
class PinnedLocale {
public:
    explicit PinnedLocale(const char* locale)
    {
        saved_ = std::setlocale(LC_TIME, nullptr);
        savedTz_ = qgetenv("TZ");
        qputenv("TZ", "UTC");
        ::tzset();
        ok_ = std::setlocale(LC_TIME, locale) != nullptr;
    }
    ~PinnedLocale()
    {
        std::setlocale(LC_TIME, saved_.c_str());
        if (savedTz_.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", savedTz_);
        ::tzset();
    }
    bool ok() const { return ok_; }

private:
    std::string saved_;
    QByteArray savedTz_;
    bool ok_ = false;
};

constexpr std::time_t stampTime = 1796791994;  // 2026-12-09 04:53:14 UTC

TEST(RunLog, TimeStampIsTheLocalesShortDateAndLongTime)
{
    PinnedLocale pinned("C");
    ASSERT_TRUE(pinned.ok());
    EXPECT_EQ(logTimeStamp(stampTime), QString("12/09/26 04:53:14"));
    PinnedLocale utf8("C.UTF-8");
    ASSERT_TRUE(utf8.ok());
    EXPECT_EQ(logTimeStamp(stampTime), QString("12/09/26 04:53:14"));
}

TEST(RunLog, LineFormatWithAndWithoutOnlyErrors)
{
    PinnedLocale pinned("C");
    ASSERT_TRUE(pinned.ok());
    RunLog log([] { return logTimeStamp(stampTime); });
    EXPECT_TRUE(log.logOnlyErrors());  // the option's default
    log.Addwarning("One sucessfully updated to rotation 2", false);
    log.Addwarning("Could not copy the file, /r/a.jpg, for site, One!", true);
    log.addPlain("No Entries!");
    EXPECT_EQ(log.lines(), (QStringList{"! 12/09/26 04:53:14 - Could not copy the file, /r/a.jpg, for site, One!",
                                        "No Entries!"}));
    log.clear();
    log.setLogOnlyErrors(false);
    log.Addwarning("One sucessfully updated to rotation 2", false);
    log.Addwarning("A valid rotation could not be found for the site, Two", true);
    EXPECT_EQ(log.lines(), (QStringList{"* 12/09/26 04:53:14 - One sucessfully updated to rotation 2",
                                        "! 12/09/26 04:53:14 - A valid rotation could not be found for the site, Two"}));
}

TEST(RunLog, ErrorsLoggedSurvivesClearingUntilReset)
{
    RunLog log([] { return QString("T"); });
    EXPECT_FALSE(log.ErrorsLogged());
    log.setLogOnlyErrors(false);
    log.Addwarning("info", false);
    EXPECT_FALSE(log.ErrorsLogged());
    log.Addwarning("error", true);
    log.clear();
    EXPECT_TRUE(log.ErrorsLogged());
    EXPECT_TRUE(log.isEmpty());
    log.resetErrorsLogged();
    EXPECT_FALSE(log.ErrorsLogged());
}

TEST(RunLog, SignalsEveryLineAndEveryClear)
{
    RunLog log([] { return QString("T"); });
    QSignalSpy added(&log, &RunLog::lineAdded);
    QSignalSpy cleared(&log, &RunLog::cleared);
    log.Addwarning("dropped", false);
    log.Addwarning("kept", true);
    log.addPlain("plain");
    log.clear();
    ASSERT_EQ(added.size(), 2);
    EXPECT_EQ(added[0][0].toString(), QString("! T - kept"));
    EXPECT_EQ(added[1][0].toString(), QString("plain"));
    EXPECT_EQ(cleared.size(), 1);
}

TEST(RunLog, SavedFileHasOneCrLfLinePerLineAndReplacesTheOld)
{
    TempFolder dir;
    RunLog log([] { return QString("12/09/26 04:53:14"); });
    dir.write("log.txt", "an old log that is much longer than the new one\r\n");
    log.Addwarning("Größe", true);
    log.addPlain("Your site update completed without error!");
    ASSERT_TRUE(log.save(dir.file("log.txt")));
    EXPECT_EQ(dir.read("log.txt"), QByteArray("! 12/09/26 04:53:14 - Gr\xC3\xB6\xC3\x9F" "e\r\n"
                                              "Your site update completed without error!\r\n"));
    log.clear();
    ASSERT_TRUE(log.save(dir.file("log.txt")));
    EXPECT_EQ(dir.read("log.txt"), QByteArray());
}

TEST(RunLog, ControlCharactersInTextsShowAsQuestionMarks)
{
    TempFolder dir;
    RunLog log([] { return QString("T"); });
    log.setLogOnlyErrors(false);
    QSignalSpy added(&log, &RunLog::lineAdded);
    log.Addwarning("Could not copy the file, /r/evil\n! T - forged.jpg, for site, One!", true);
    log.Addwarning(QString("tab\tcr\rnul") + QChar(0) + "esc\x1b" + QChar(31) + "del\x7f\u00e9", false);
    log.addPlain("plain\r\n* T - forged too");
    const QStringList expected{"! T - Could not copy the file, /r/evil?! T - forged.jpg, for site, One!",
                               "* T - tab?cr?nul?esc??del\x7f\u00e9", "plain??* T - forged too"};
    EXPECT_EQ(log.lines(), expected);
    ASSERT_EQ(added.size(), 3);
    EXPECT_EQ(added[2][0].toString(), expected[2]);
    ASSERT_TRUE(log.save(dir.file("log.txt")));
    EXPECT_EQ(dir.read("log.txt"), (expected.join("\r\n") + "\r\n").toUtf8());
}

TEST(RunLog, SaveFailureLeavesTheOldFile)
{
    TempFolder dir;
    RunLog log([] { return QString("T"); });
    log.addPlain("line");
    dir.write("log.txt", "old");
    EXPECT_FALSE(log.save(dir.file("log.txt/inside.txt")));  // a path under a regular file
    EXPECT_FALSE(log.save(QString()));
    EXPECT_EQ(dir.read("log.txt"), QByteArray("old"));
}

} // namespace
