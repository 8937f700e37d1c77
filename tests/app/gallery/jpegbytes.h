#pragma once
// Reading a written JPEG file's markers in tests.

#include <QByteArray>
#include <QList>

// The marker codes up to the first scan (0xD8 first), and the first value of the first
// quantisation table; -1 when there is none.
struct JpegLayout {
    QList<int> markers;
    int firstQuantValue = -1;
    bool has(int marker) const { return markers.contains(marker); }
};

inline JpegLayout jpegLayout(const QByteArray& bytes)
{
    JpegLayout layout;
    const auto u8 = [&](qsizetype i) { return i < bytes.size() ? int(quint8(bytes[i])) : -1; };
    if (u8(0) != 0xFF || u8(1) != 0xD8)
        return layout;
    layout.markers << 0xD8;
    qsizetype i = 2;
    while (u8(i) == 0xFF && i + 3 < bytes.size()) {
        const int marker = u8(i + 1);
        const int length = u8(i + 2) << 8 | u8(i + 3);
        layout.markers << marker;
        if (marker == 0xDB && layout.firstQuantValue < 0)
            layout.firstQuantValue = u8(i + 5);
        if (marker == 0xDA)
            break;
        i += 2 + length;
    }
    return layout;
}
