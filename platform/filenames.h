#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// File names are bytes. Valid UTF-8 decodes as usual; each byte of an invalid sequence becomes
// the lone surrogate U+DC80 + byte, so that encoding gives back exactly the bytes read.
QString decodeFileName(QByteArrayView bytes);
QByteArray encodeFileName(QStringView name);

// The name as text to show: invalid bytes appear as U+FFFD.
QString displayFileName(QStringView name);

// The name as it goes into a link of a page: each invalid byte and each "%" percent-encoded
// ("caf%E9.jpg", "100%25.jpg"), so that a browser asks for exactly the file's bytes.
QString linkFileName(QStringView name);

} // namespace platform
