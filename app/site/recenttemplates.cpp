#include "recenttemplates.h"

#include "platform/filecontent.h"
#include "platform/filenames.h"
#include "platform/safewrite.h"

#include <QRegularExpression>

namespace {
const QLatin1String indexFile("recent_styles.txt");
const QLatin1String imagesFile("recent_image_styles.txt");
} // namespace

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
    if (const auto lines = readRecentTemplates(programFolder + indexFile))
        index.setStringList(*lines);
    if (const auto lines = readRecentTemplates(programFolder + imagesFile))
        images.setStringList(*lines);
}

platform::FileOutcome RecentTemplates::save(const QString& programFolder) const
{
    const auto save = [&](const QStringListModel& list, QLatin1String name) {
        const QStringList paths = list.stringList();
        return paths.isEmpty() ? platform::FileOutcome::success() : writeRecentTemplates(programFolder + name, paths);
    };
    const platform::FileOutcome savedImages = save(images, imagesFile);
    const platform::FileOutcome savedIndex = save(index, indexFile);
    return savedImages ? savedIndex : savedImages;
}
