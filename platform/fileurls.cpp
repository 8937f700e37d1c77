#include "fileurls.h"

#include "filenames.h"

#include <QSysInfo>

namespace platform {

namespace {

// Host parts that name this machine: none, "localhost", or its own name (which some file
// managers write into every URL they drag).
bool isThisHost(const QByteArray& host)
{
    return host.isEmpty() || host == "localhost" || host == QSysInfo::machineHostName().toUtf8().toLower();
}

} // namespace

QByteArray fileUrl(const QString& path)
{
    return QByteArrayLiteral("file://") + encodeFileName(path).toPercentEncoding("/");
}

QString localFileOfUrl(QByteArrayView url)
{
    url = url.trimmed();
    if (!url.first(qMin<qsizetype>(5, url.size())).toByteArray().toLower().startsWith("file:"))
        return {};
    QByteArrayView rest = url.sliced(5);
    if (rest.startsWith("//")) {
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf('/');
        if (slash < 0)
            return {};
        if (!isThisHost(rest.first(slash).toByteArray().toLower()))
            return {};
        rest = rest.sliced(slash);
    }
    if (!rest.startsWith('/'))
        return {};
    for (const char cut : {'?', '#'}) {
        const qsizetype at = rest.indexOf(cut);
        if (at >= 0)
            rest = rest.first(at);
    }
    const QByteArray bytes = QByteArray::fromPercentEncoding(rest.toByteArray());
    if (bytes.contains('\0'))
        return {};
    return decodeFileName(bytes);
}

QByteArray uriList(const QStringList& paths)
{
    QByteArray list;
    for (const QString& path : paths)
        list += fileUrl(path) + "\r\n";
    return list;
}

QStringList localFilesOfUriList(const QByteArray& list)
{
    QStringList files;
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray url = line.trimmed();
        if (url.isEmpty() || url.startsWith('#'))
            continue;
        const QString file = localFileOfUrl(url);
        if (!file.isEmpty())
            files << file;
    }
    return files;
}

} // namespace platform
