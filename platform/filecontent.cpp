#include "filecontent.h"

#include "fileidentity.h"

#include <QFile>

namespace platform {

std::optional<QByteArray> readFileContent(const QString& path)
{
    QFile file(path);
    if (!fileExists(path) || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace platform
