#include "filemask.h"

namespace platform {

bool wildcardMatch(const QString& pattern, const QString& name)
{
    // Iterative matcher with one backtrack point: linear in practice, never recursive.
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size()
                   && (pattern[p] == QLatin1Char('?') || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

namespace {

// "*.jpe" -> "jpe"; empty when the pattern's extension is not three plain characters.
QString shortExtension(const QString& pattern)
{
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    const QString ext = pattern.mid(dot + 1);
    if (ext.size() != 3 || ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')))
        return {};
    return ext;
}

bool matchesOne(const QString& pattern, const QString& name)
{
    if (wildcardMatch(pattern, name))
        return true;
    if (shortExtension(pattern).isEmpty())
        return false;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || name.size() - dot - 1 <= 3)
        return false;
    return wildcardMatch(pattern, name.left(dot + 4));
}

} // namespace

FileMask::FileMask(const QString& masks)
{
    for (const QString& part : masks.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString p = part.trimmed();
        if (!p.isEmpty())
            patterns_.append(p);
    }
}

bool FileMask::matches(const QString& fileName) const
{
    for (const QString& p : patterns_)
        if (matchesOne(p, fileName))
            return true;
    return false;
}

} // namespace platform
