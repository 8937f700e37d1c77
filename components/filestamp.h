#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// What says that a file is still the one a thumbnail was made from: its modification time
// and size. Only plain files (links followed) have one.
struct FileStamp {
    std::int64_t seconds = 0;     // modification time, since 1970-01-01 UTC
    std::int32_t nanoseconds = 0;
    std::int64_t size = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

std::optional<FileStamp> StampOf(const QString& Path);
