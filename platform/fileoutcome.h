#pragma once

#include <QString>

namespace platform {

// Result of a file operation: success, or failure with the reason a user can read.
struct FileOutcome {
    bool ok = true;
    QString reason;

    static FileOutcome success() { return {}; }
    static FileOutcome failure(QString why) { return {false, std::move(why)}; }
    // Failure whose reason is the text of the current errno, prefixed by what was attempted.
    static FileOutcome fromErrno(const QString& what);

    explicit operator bool() const { return ok; }
};

} // namespace platform
