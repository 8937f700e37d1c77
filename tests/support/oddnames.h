#pragma once
// File names whose bytes must reach the file system as they are, with the link a page gives
// each one's base name.

#include <QByteArray>

struct OddName {
    const char* what;
    QByteArray bytes;
    const char* link;  // the base name (before ".jpg") as a page links it
};

inline const OddName oddNames[] = {
    {"a Latin-1 byte", "caf\xe9.jpg", "caf%E9"},
    {"a lone continuation byte", "\x80" "ab.jpg", "%80ab"},
    {"an over-long form", "\xc0\xaf" "x.jpg", "%C0%AFx"},
    {"plain UTF-8", "caf\xc3\xa9.jpg", "caf\xc3\xa9"},
    {"plain ASCII", "cafe.jpg", "cafe"},
};
