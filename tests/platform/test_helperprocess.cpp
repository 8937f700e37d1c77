// Helper processes: this test executable started again, running one of the helpers below.
#include "platform/helperprocess.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Answers its request backwards, then what it holds open: the descriptors above standard
// error and where standard error leads.
int reverseAndTellDescriptors()
{
    QByteArray answer = platform::helperRequest();
    std::reverse(answer.begin(), answer.end());
    int above = 0;
    for (int fd = STDERR_FILENO + 1; fd < 1024; ++fd)
        above += ::fcntl(fd, F_GETFD) != -1;
    answer += QByteArray("|open above 2: ") + QByteArray::number(above) + " | 2: "
              + QFile::symLinkTarget(QStringLiteral("/proc/self/fd/2")).toUtf8();
    return platform::giveHelperAnswer(answer) ? 0 : 1;
}

int answerAndFail()
{
    platform::giveHelperAnswer("half an answer");
    return 3;
}

const platform::HelperRegistration reverser("reverse", reverseAndTellDescriptors);
const platform::HelperRegistration failing("fail", answerAndFail);

TEST(HelperProcesses, AnswerFromAProcessHoldingNothingElseOrFailWithTheReason)
{
    // More than a socket buffer holds each way, every byte value among it.
    QByteArray request(300000, '\0');
    for (qsizetype i = 0; i < request.size(); ++i)
        request[i] = char(i % 251);
    QByteArray expected = request;
    std::reverse(expected.begin(), expected.end());
    const int leaked = ::open("/dev/null", O_RDONLY);  // inherited by a bare exec
    ASSERT_GE(leaked, 0);

    const platform::HelperAnswer answer = platform::runHelper("reverse", request);
    ::close(leaked);
    EXPECT_TRUE(answer.ok) << qPrintable(answer.reason);
    EXPECT_EQ(answer.reason, "");
    EXPECT_TRUE(answer.answer.startsWith(expected));
    EXPECT_EQ(answer.answer.mid(expected.size()), "|open above 2: 0 | 2: /dev/null");

    const struct {
        const char* helper;
        const char* reason;
    } failures[] = {
        {"fail", "The helper \"fail\" ended with status 3"},  // what it wrote does not count
        {"missing", "The helper \"missing\" does not exist"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.helper);
        const platform::HelperAnswer failed = platform::runHelper(failure.helper, "request");
        EXPECT_FALSE(failed.ok);
        EXPECT_EQ(failed.reason, failure.reason);
        EXPECT_EQ(failed.answer, "");
    }
}

} // namespace
