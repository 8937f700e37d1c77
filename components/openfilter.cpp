#include "openfilter.h"

QString OpenFilterEntry::NameFilter() const
{
    return Description + QStringLiteral(" (") + Patterns.join(u' ') + u')';
}

platform::FileMask OpenFilterEntry::Mask() const
{
    return platform::FileMask(Patterns.join(u';'));
}

QList<OpenFilterEntry> ParseOpenFilter(const QString& Filter)
{
    const QStringList parts = Filter.split(u'|');
    QList<OpenFilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        OpenFilterEntry entry{parts[i], {}};
        for (const QString& part : parts[i + 1].split(u';')) {
            const QString pattern = part.trimmed();
            if (pattern == QLatin1String("*.*"))
                entry.Patterns << QStringLiteral("*"); // every name, with a dot or without
            else if (!pattern.isEmpty())
                entry.Patterns << pattern;
        }
        if (!entry.Patterns.isEmpty())
            entries << entry;
    }
    return entries;
}
