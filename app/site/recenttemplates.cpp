#include "recenttemplates.h"

#include "platform/filecontent.h"
#include "platform/filenames.h"
#include "platform/programfiles.h"
#include "platform/safewrite.h"

#include <QRegularExpression>


std::optional<QStringList> readRecentTemplates(const QString& file)
{
    const std::optional<QByteArray> bytes = platform::readFileContent(file);
    if (!bytes)
        return std::nullopt;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = platform::decodeFileName(*bytes).split(lineEnd);
    lines.removeAll(QString());
    return lines;
}

platform::FileOutcome writeRecentTemplates(const QString& file, const QStringList& paths)
{
    QByteArray text;
    for (const QString& path : paths)
        text += platform::encodeFileName(path) + "\r\n";
    return platform::writeFileAtomically(file, text);
}

void RecentTemplates::load(const QString& programFolder)
{
    if (const auto lines = readRecentTemplates(programFolder + platform::programfile::recentTemplates))
        index.setStringList(*lines);
    if (const auto lines = readRecentTemplates(programFolder + platform::programfile::recentImageTemplates))
        images.setStringList(*lines);
}

platform::FileOutcome RecentTemplates::save(const QString& programFolder) const
{
    const auto save = [&](const QStringListModel& list, QLatin1String name) {
        const QStringList paths = list.stringList();
        return paths.isEmpty() ? platform::FileOutcome::success() : writeRecentTemplates(programFolder + name, paths);
    };
    const platform::FileOutcome savedImages = save(images, platform::programfile::recentImageTemplates);
    const platform::FileOutcome savedIndex = save(index, platform::programfile::recentTemplates);
    return savedImages ? savedIndex : savedImages;
}
