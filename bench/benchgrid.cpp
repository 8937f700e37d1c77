#include "benchgrid.h"

#include "benchimages.h"

#include "components/lmthumbgrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <cstdio>

std::unique_ptr<TLmThumbGrid> MakeBenchGrid(const QString& CacheFolder, int MemorySlots, int DiskSlots)
{
    auto grid = std::make_unique<TLmThumbGrid>(nullptr, MemorySlots);
    grid->SetThumbDisplayType(tdtLargeIcon);
    grid->SetSupportedFormats(
        "*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;*.jpeg;*.TIFF");
    grid->SetMemoryCacheMaxCacheCount(MemorySlots);
    grid->SetDiskCacheMaxCacheCount(DiskSlots);
    grid->SetDiskCacheDirectory(CacheFolder);
    grid->resize(1024, 768);
    grid->show();
    QImage text(200, 50, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&text);
    painter.setFont(grid->font());
    painter.drawText(QPoint(0, 20), QStringLiteral("img0000.jpg bad0.jpg photo"));
    painter.end();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 200)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return grid;
}

QStringList WriteBenchPhotos(const QString& Folder, int Count)
{
    QDir().mkpath(Folder);
    QStringList photos;
    for (int i = 0; i < Count; ++i) {
        const QString photo = Folder + QStringLiteral("photo%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        if (!QFile::exists(photo)) {
            std::fprintf(stderr, "making %s\n", qPrintable(photo));
            WritePhotoLikeJpeg(photo, 4000, 3000, 85, 1000u + unsigned(i));
        }
        photos << photo;
    }
    return photos;
}
