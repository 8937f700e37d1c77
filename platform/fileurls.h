#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// The MIME type under which desktops exchange lists of files.
inline constexpr QLatin1StringView uriListMimeType{"text/uri-list"};

// "file://" and the path's bytes percent-encoded ("/" kept), so that any name goes through.
QByteArray fileUrl(const QString& path);

// The absolute local path of a "file:" URL without a host, with "localhost" or with this
// machine's own name; "" for anything else (other schemes, other hosts, relative paths, a NUL
// byte).
QString localFileOfUrl(QByteArrayView url);

// A uri-list of the paths, one URL per line, each line ended by CR LF.
QByteArray uriList(const QStringList& paths);

// The local files of a uri-list in their order; comments, blank lines and other URLs are skipped.
QStringList localFilesOfUriList(const QByteArray& list);

} // namespace platform
