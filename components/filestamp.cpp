#include "filestamp.h"

#include "platform/filenames.h"

#include <sys/stat.h>

std::optional<FileStamp> StampOf(const QString& Path)
{
    struct stat st {};
    if (Path.isEmpty() || ::stat(platform::encodeFileName(Path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{std::int64_t(st.st_mtim.tv_sec), std::int32_t(st.st_mtim.tv_nsec), std::int64_t(st.st_size)};
}
