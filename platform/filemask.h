#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// File masks such as "*.gif;*.jpe;*.jpg": case-insensitive, "*" and "?" wildcards. A mask
// whose extension is three plain letters also takes longer extensions that begin with them
// ("*.jpe" takes "photo.jpeg"), as short file names once did.
class FileMask {
public:
    explicit FileMask(const QString& masks);
    bool matches(const QString& fileName) const;
    const QStringList& patterns() const { return patterns_; }

private:
    QStringList patterns_;
};

// One pattern against one name; exposed for the tests.
bool wildcardMatch(const QString& pattern, const QString& name);

} // namespace platform
