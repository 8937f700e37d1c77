#pragma once

#include <QByteArray>

// File names whose bytes must reach the file system as they are, and how a page links each
// one's base name (before ".jpg").
struct OddName {
    const char* what;
    QByteArray bytes;
    const char* link;
};

inline const OddName oddNames[] = {
    {"a Latin-1 byte", "caf\xe9.jpg", "caf%E9"},
    {"a lone continuation byte", "\x80" "ab.jpg", "%80ab"},
    {"an over-long form", "\xc0\xaf" "x.jpg", "%C0%AFx"},
    {"plain UTF-8", "caf\xc3\xa9.jpg", "caf\xc3\xa9"},
    {"plain ASCII", "cafe.jpg", "cafe"},
};
