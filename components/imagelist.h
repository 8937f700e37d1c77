#pragma once

#include <QImage>
#include <QString>

// A list of equally sized pictures kept side by side in one strip, read by index.
class TImageList {
public:
    TImageList() = default;
    // The strip's cells are width x height; a strip that is not as high as a cell holds none.
    TImageList(const QImage& strip, int width, int height);
    // Reads the strip from a file or a resource (":/..."); an unreadable one gives an empty list.
    static TImageList fromFile(const QString& file, int width = 16, int height = 16);
    // One list per file for the whole program, read on first use (user-interface thread only).
    static const TImageList& shared(const QString& file, int width = 16, int height = 16);

    int Count() const { return count_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The picture at index; null outside the list.
    QImage Picture(int index) const;

private:
    QImage strip_;
    int width_ = 16;
    int height_ = 16;
    int count_ = 0;
};
