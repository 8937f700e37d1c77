#pragma once
// Pictures the build tests make for themselves.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QString>

// A photo-like picture: a gradient with a few blocks, so that scaling shows.
inline QImage testPicture(int width, int height, int seed = 0)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x * 255 / std::max(1, width - 1) + seed * 40) & 0xFF, y * 255 / std::max(1, height - 1),
                          (x + y + seed * 17) & 0xFF);
    }
    QPainter painter(&image);
    painter.fillRect(width / 4, height / 4, width / 3, height / 3, QColor::fromHsv((seed * 37) % 360, 200, 220));
    return image;
}

inline bool writePicture(const QString& path, int width, int height, const char* format = "JPEG", int seed = 0)
{
    return testPicture(width, height, seed).save(path, format, 90);
}

inline QByteArray jpegBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// A progressive colour JPEG whose frame header claims 30000 x 30000, ending right after its
// first scan header: its coefficients alone pass the memory limit, at any decode scale.
inline QByteArray hugeHeaderJpeg()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    writer.write(testPicture(16, 16));
    const qsizetype sof = bytes.indexOf("\xff\xc2");
    for (qsizetype at : {sof + 5, sof + 7}) { // height, width
        bytes[at] = char(30000 >> 8);
        bytes[at + 1] = char(30000 & 0xFF);
    }
    const qsizetype sos = bytes.indexOf("\xff\xda");
    return bytes.left(sos + 2 + (quint8(bytes[sos + 2]) << 8 | quint8(bytes[sos + 3])));
}

// A JPEG whose first segment has become a Huffman table of nonsense.
inline QByteArray damagedJpeg()
{
    QByteArray bytes = jpegBytes(testPicture(64, 64));
    bytes[3] = char(0xC4);
    return bytes;
}
