#include "imagelist.h"

#include <map>

TImageList::TImageList(const QImage& strip, int width, int height)
    : strip_(strip.convertToFormat(QImage::Format_ARGB32))
    , width_(width)
    , height_(height)
    , count_(width > 0 && height > 0 && strip.height() >= height ? strip.width() / width : 0)
{
}

TImageList TImageList::fromFile(const QString& file, int width, int height)
{
    return TImageList(QImage(file), width, height);
}

const TImageList& TImageList::shared(const QString& file, int width, int height)
{
    static std::map<QString, TImageList> lists;
    auto found = lists.find(file);
    if (found == lists.end())
        found = lists.emplace(file, fromFile(file, width, height)).first;
    return found->second;
}

QImage TImageList::Picture(int index) const
{
    if (index < 0 || index >= count_)
        return {};
    return strip_.copy(index * width_, 0, width_, height_);
}
