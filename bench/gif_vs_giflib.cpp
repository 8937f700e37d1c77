// Times the GIF image's encoding and decoding against giflib's on the same frames, in one run:
//   gif_vs_giflib [RUNS] [FRAMES] [WIDTH] [HEIGHT]      (defaults 5, 40, 1920, 1080)
// The frames alternate between a photograph-like picture reduced to 256 colours (moved a
// little each frame) and flat areas of a few colours. Encoding: the frames of a TGIFImage saved
// to memory, against giflib writing the same indices row by row. Decoding: the file we wrote,
// loaded into a TGIFImage, against giflib reading it row by row. Each figure is the median of
// RUNS, in processor time (user and system) so that other work on a shared machine does not
// weigh on one side only; the ratios are ours / giflib's (below 1: ours is faster).
#include "benchimages.h"
#include "giflibreference.h"

#include "imaging/formats/gif/gifimage.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>
#include <QCoreApplication>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Processor time of the whole process: both sides work on this thread only.
template <typename F> double milliseconds(F&& Work)
{
    const std::clock_t start = std::clock();
    Work();
    return double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC;
}

// The frames as indices with one 256-colour map.
ReferenceGif makeFrames(int Frames, int Width, int Height)
{
    TGIFImage reduced;
    const auto photo = MakePhotoLikeImage(Width + Frames * 4, Height);
    reduced.Assign(photo.get());
    const TGIFSubImage& picture = reduced.Images().Items(0);
    ReferenceGif gif;
    gif.width = Width;
    gif.height = Height;
    gif.globalMap = reduced.Header().ColorMap().Colors();
    gif.globalMap.resize(256, 0);
    for (int f = 0; f < Frames; ++f) {
        ReferenceFrame frame{0, 0, Width, Height, false, {}, std::vector<std::uint8_t>(std::size_t(Width) * std::size_t(Height))};
        for (int y = 0; y < Height; ++y) {
            std::uint8_t* row = frame.pixels.data() + std::size_t(y) * std::size_t(Width);
            if (f % 2 == 0) {
                std::memcpy(row, picture.Data() + std::int64_t(y) * picture.Width() + f * 4, std::size_t(Width));
            } else {
                for (int x = 0; x < Width; ++x)
                    row[x] = std::uint8_t(((x + f * 13) / 160 + (y / 120) * 3) % 6 * 40);
            }
        }
        gif.frames.push_back(std::move(frame));
    }
    return gif;
}

// The same frames as a GIF image of ours.
void fillImage(TGIFImage& Gif, const ReferenceGif& Frames)
{
    Gif.SetPalette(Frames.globalMap);
    Gif.Header().ScreenWidth = std::uint16_t(Frames.width);
    Gif.Header().ScreenHeight = std::uint16_t(Frames.height);
    for (const ReferenceFrame& source : Frames.frames) {
        auto frame = std::make_shared<TGIFSubImage>(&Gif);
        frame->SetSize(std::uint16_t(source.width), std::uint16_t(source.height));
        std::memcpy(frame->Data(), source.pixels.data(), source.pixels.size());
        Gif.Images().Add(frame);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitPGraphic();
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 40;
    const int width = argc > 3 ? std::atoi(argv[3]) : 1920;
    const int height = argc > 4 ? std::atoi(argv[4]) : 1080;
    const ReferenceGif reference = makeFrames(frames, width, height);
    TGIFImage ours;
    fillImage(ours, reference);

    std::vector<double> ourEncodes, theirEncodes, ourDecodes, theirDecodes;
    QByteArray ourFile, theirFile;
    for (int i = 0; i < runs; ++i) {
        ourEncodes.push_back(milliseconds([&] {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            ours.SaveToStream(buffer);
            ourFile = buffer.data();
        }));
        theirEncodes.push_back(milliseconds([&] { theirFile = GiflibEncode(reference); }));
    }
    std::size_t checked = 0;
    for (int i = 0; i < runs; ++i) {
        ourDecodes.push_back(milliseconds([&] {
            QBuffer buffer;
            buffer.setData(ourFile);
            buffer.open(QIODevice::ReadOnly);
            TGIFImage back;
            back.LoadFromStream(buffer);
            checked = std::size_t(back.Images().Count());
        }));
        theirDecodes.push_back(milliseconds([&] {
            if (!GiflibDecode(ourFile))
                std::fprintf(stderr, "giflib refused our file\n");
        }));
    }
    // The decoders agree on what they read.
    TGIFImage back;
    QBuffer buffer;
    buffer.setData(ourFile);
    buffer.open(QIODevice::ReadOnly);
    back.LoadFromStream(buffer);
    const auto theirs = GiflibDecode(ourFile);
    bool same = theirs && checked == reference.frames.size() && theirs->frames.size() == reference.frames.size();
    for (std::size_t f = 0; same && f < reference.frames.size(); ++f)
        same = theirs->frames[f].pixels == reference.frames[f].pixels
               && std::memcmp(back.Images().Items(int(f)).Data(), reference.frames[f].pixels.data(),
                              reference.frames[f].pixels.size()) == 0;

    const double encodeOurs = median(ourEncodes), encodeTheirs = median(theirEncodes);
    const double decodeOurs = median(ourDecodes), decodeTheirs = median(theirDecodes);
    std::printf("%d frames of %dx%d, %d runs; our file %lld bytes, giflib's %lld bytes; pixels %s\n", frames, width, height,
                runs, static_cast<long long>(ourFile.size()), static_cast<long long>(theirFile.size()),
                same ? "identical" : "DIFFER");
    std::printf("processor time, medians:\n");
    std::printf("encode: ours %.1f ms, giflib %.1f ms, ratio %.3f\n", encodeOurs, encodeTheirs, encodeOurs / encodeTheirs);
    std::printf("decode: ours %.1f ms, giflib %.1f ms, ratio %.3f\n", decodeOurs, decodeTheirs, decodeOurs / decodeTheirs);
    return same ? 0 : 1;
}
