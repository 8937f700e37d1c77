#include "platform/copybatch.h"
#include "tempfolder.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform;

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

TEST(CopyBatch, NewFilesAreNoWiderThanTheirSourceAndReplacedFilesKeepTheirBits)
{
    const struct {
        const char* what;
        mode_t source;
        mode_t umask;
        int existing;  // -1: no live file
        mode_t expected;
    } cases[] = {
        {"private source", 0600, 022, -1, 0600},
        {"public source", 0644, 022, -1, 0644},
        {"umask narrows", 0666, 077, -1, 0600},
        {"run bits are not copied", 0755, 022, -1, 0644},
        {"replaced file keeps its bits", 0600, 022, 0664, 0664},
    };
    for (const auto& c : cases) {
        TempFolder src, live;
        src.write("a.jpg", "new");
        ASSERT_EQ(::chmod(QFile::encodeName(src.file("a.jpg")).constData(), c.source), 0);
        if (c.existing >= 0) {
            live.write("a.jpg", "old");
            ASSERT_EQ(::chmod(QFile::encodeName(live.file("a.jpg")).constData(), mode_t(c.existing)), 0);
        }
        const mode_t saved = ::umask(c.umask);
        CopyBatch batch(NewFileMode::NoWiderThanSource);
        int a = -1;
        const bool ok = batch.stage(src.file("a.jpg"), live.file("a.jpg"), a).ok && batch.sync().ok && batch.place(a).ok;
        ::umask(saved);
        ASSERT_TRUE(ok) << c.what;
        EXPECT_EQ(modeOf(live.file("a.jpg")), c.expected) << c.what;
    }
}

} // namespace
