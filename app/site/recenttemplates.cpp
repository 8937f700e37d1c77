#include "recenttemplates.h"

#include "platform/safewrite.h"

#include <QFile>
#include <QRegularExpression>

std::optional<QStringList> readRecentTemplates(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = QString::fromUtf8(in.readAll()).split(lineEnd);
    lines.removeAll(QString());
    return lines;
}

platform::FileOutcome writeRecentTemplates(const QString& file, const QStringList& paths)
{
    QByteArray text;
    for (const QString& path : paths)
        text += path.toUtf8() + "\r\n";
    return platform::writeFileAtomically(file, text);
}
