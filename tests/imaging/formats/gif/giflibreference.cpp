#include "giflibreference.h"

#include <gif_lib.h>

#include <cstring>
#include <stdexcept>

namespace {

struct ReadCursor {
    const QByteArray* data;
    qsizetype at = 0;
};

int readFromBytes(GifFileType* gif, GifByteType* out, int count)
{
    auto* cursor = static_cast<ReadCursor*>(gif->UserData);
    const qsizetype n = std::min<qsizetype>(count, cursor->data->size() - cursor->at);
    std::memcpy(out, cursor->data->constData() + cursor->at, std::size_t(n));
    cursor->at += n;
    return int(n);
}

int writeToBytes(GifFileType* gif, const GifByteType* bytes, int count)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), count);
    return count;
}

std::vector<TColor> colorsOf(const ColorMapObject* map)
{
    std::vector<TColor> colors;
    if (map)
        for (int i = 0; i < map->ColorCount; ++i)
            colors.push_back(RGBColor(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
    return colors;
}

// Rows in the order an interlaced frame stores them.
std::vector<int> storedRowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            rows.push_back(y);
    return rows;
}

struct MapObject {
    explicit MapObject(const std::vector<TColor>& colors)
    {
        if (colors.empty())
            return;
        std::vector<GifColorType> entries;
        for (TColor c : colors)
            entries.push_back({GifByteType(RedOf(c)), GifByteType(GreenOf(c)), GifByteType(BlueOf(c))});
        map = GifMakeMapObject(int(entries.size()), entries.data());
        if (!map)
            throw std::invalid_argument("giflib takes maps of 2, 4, ..., 256 entries");
    }
    ~MapObject() { GifFreeMapObject(map); }
    ColorMapObject* map = nullptr;
};

} // namespace

std::optional<ReferenceGif> GiflibDecode(const QByteArray& File)
{
    ReadCursor cursor{&File};
    int error = 0;
    GifFileType* gif = DGifOpen(&cursor, readFromBytes, &error);
    if (!gif)
        return std::nullopt;
    ReferenceGif result;
    result.width = gif->SWidth;
    result.height = gif->SHeight;
    result.globalMap = colorsOf(gif->SColorMap);
    bool ok = true;
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    while (ok && type != TERMINATE_RECORD_TYPE) {
        if (DGifGetRecordType(gif, &type) != GIF_OK) {
            ok = false;
            break;
        }
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) != GIF_OK) {
                ok = false;
                break;
            }
            ReferenceFrame frame;
            frame.left = gif->Image.Left;
            frame.top = gif->Image.Top;
            frame.width = gif->Image.Width;
            frame.height = gif->Image.Height;
            frame.interlaced = gif->Image.Interlace;
            frame.localMap = colorsOf(gif->Image.ColorMap);
            frame.pixels.assign(std::size_t(frame.width) * std::size_t(frame.height), 0);
            for (int y : storedRowOrder(frame.height, frame.interlaced))
                if (frame.width > 0
                    && DGifGetLine(gif, frame.pixels.data() + std::size_t(y) * std::size_t(frame.width), frame.width) != GIF_OK) {
                    ok = false;
                    break;
                }
            result.frames.push_back(std::move(frame));
        } else if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK) {
                ok = false;
                break;
            }
            while (block)
                if (DGifGetExtensionNext(gif, &block) != GIF_OK) {
                    ok = false;
                    break;
                }
        }
    }
    DGifCloseFile(gif, &error);
    if (!ok)
        return std::nullopt;
    return result;
}

QByteArray GiflibEncode(const ReferenceGif& Gif)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToBytes, &error);
    if (!gif)
        throw std::runtime_error("EGifOpen failed");
    const MapObject global(Gif.globalMap);
    int resolution = 1;
    while (resolution < 8 && (1 << resolution) < int(Gif.globalMap.size()))
        ++resolution;
    bool ok = EGifPutScreenDesc(gif, Gif.width, Gif.height, resolution, 0, global.map) == GIF_OK;
    for (const ReferenceFrame& frame : Gif.frames) {
        const MapObject local(frame.localMap);
        ok = ok && EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local.map) == GIF_OK;
        std::vector<GifPixelType> row(std::size_t(std::max(frame.width, 1)));
        for (int y : storedRowOrder(frame.height, frame.interlaced)) {
            if (!ok)
                break;
            std::memcpy(row.data(), frame.pixels.data() + std::size_t(y) * std::size_t(frame.width), std::size_t(frame.width));
            ok = EGifPutLine(gif, row.data(), frame.width) == GIF_OK;
        }
    }
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        throw std::runtime_error("giflib could not write the file");
    return out;
}
