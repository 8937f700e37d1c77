#pragma once

#include <QString>

// A small tmpfs of its own, for a real full disk. Mounting needs root and a system that allows
// it; where it cannot be had, mounted() is false and reason() says why, so the test can skip.
class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const QString& reason() const { return reason_; }
    QString path() const { return path_; }  // ends in "/"

    // Fills what is left with one file, so that the next block anybody writes fails.
    bool fill(const QString& name = QStringLiteral("filler"));

private:
    QString path_;
    QString reason_;
    bool mounted_ = false;
};
