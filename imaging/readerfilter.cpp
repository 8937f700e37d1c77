#include "readerfilter.h"

#include "pgmessages.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

// A frozen registry is sorted already; one still being filled is sorted here the same way.
std::vector<const TFileFormatReader*> enabledReaders(const FormatRegistry& Registry)
{
    std::vector<const TFileFormatReader*> readers;
    for (const TFileFormatReader* reader : Registry.Readers())
        if (reader->Enabled())
            readers.push_back(reader);
    std::stable_sort(readers.begin(), readers.end(), [](const TFileFormatReader* a, const TFileFormatReader* b) {
        return CompareFileFormatExtensions(a->Extension(), b->Extension()) < 0;
    });
    return readers;
}

QString pattern(const TFileFormatReader* reader)
{
    return QStringLiteral("*.") + reader->Extension().toLower();
}

} // namespace

QString BuildDefaultFilter(const FormatRegistry& Registry)
{
    const std::vector<const TFileFormatReader*> readers = enabledReaders(Registry);
    QString filter;
    if (!readers.empty()) {
        QStringList patterns;
        for (const TFileFormatReader* reader : readers)
            patterns << pattern(reader);
        filter = PGLangStr(PgMsg::ImageFiles) + u'|' + patterns.join(QStringLiteral("; ")) + u'|';
        for (const TFileFormatReader* reader : readers)
            filter += reader->Extension().toUpper() + QStringLiteral(" - ") + reader->Description() + u'|'
                      + pattern(reader) + u'|';
    }
    return filter + PGLangStr(PgMsg::AllFiles) + QStringLiteral("|*.*");
}

int GetEnabledReaderCount(const FormatRegistry& Registry)
{
    return int(std::count_if(Registry.Readers().begin(), Registry.Readers().end(),
                             [](const TFileFormatReader* reader) { return reader->Enabled(); }));
}

QString GetEnabledReaderExtension(int FilterIndex, const FormatRegistry& Registry)
{
    const std::vector<const TFileFormatReader*> readers = enabledReaders(Registry);
    const int k = FilterIndex - 1;
    if (k < 1 || k > int(readers.size()))
        return {};
    return readers[std::size_t(k - 1)]->Extension().toLower();
}

std::span<const TFileFormatReader* const> GetFileFormatReaders(const FormatRegistry& Registry)
{
    return Registry.Readers();
}
