// The GIF image model: its load and save rules byte for byte, its bitmaps, palette and copies.
#include "fixtures.h"
#include "giflibreference.h"
#include "tests/imaging/imagingtest.h"

#include "imaging/bytestream.h"
#include "imaging/formats/gif/gifcanvas.h"
#include "imaging/formats/gif/gifimage.h"
#include "imaging/palettes.h"

#include <QBuffer>
#include <QPainter>

namespace {

using Pixels = std::vector<std::uint8_t>;
using Colors = std::vector<TColor>;

constexpr TColor kBlack = RGBColor(0, 0, 0), kWhite = RGBColor(255, 255, 255), kRed = RGBColor(255, 0, 0),
                 kGreen = RGBColor(0, 255, 0), kBlue = RGBColor(0, 0, 255);

class GifImage : public LibraryTest {
protected:
    // Loads, noting warnings; the text of a failure goes to Error.
    std::unique_ptr<TGIFImage> load(const QByteArray& bytes, QString* error = nullptr)
    {
        auto gif = std::make_unique<TGIFImage>();
        watch(*gif);
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        try {
            gif->LoadFromStream(buffer);
            if (error)
                error->clear();
        } catch (const GIFException& e) {
            if (!error)
                ADD_FAILURE() << e.what();
            else
                *error = e.Message();
        }
        return gif;
    }
    void watch(TGIFImage& gif)
    {
        gif.SetOnWarning([this](PGObject* sender, int severity, const QString& text) {
            warnings << text;
            senders.push_back(sender);
            EXPECT_EQ(severity, 1);
        });
    }
    static QByteArray saved(TGIFImage& gif)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        gif.SaveToStream(buffer);
        return buffer.data();
    }
    static Pixels pixelsOf(const TGIFSubImage& frame)
    {
        return frame.Empty() ? Pixels() : Pixels(frame.Data(), frame.Data() + frame.Width() * frame.Height());
    }
    // A frame of the image with the given pixels (and no map of its own).
    static TGIFSubImage& addFrame(TGIFImage& gif, int width, int height, const Pixels& pixels, int left = 0, int top = 0)
    {
        auto frame = std::make_shared<TGIFSubImage>(&gif);
        frame->Left = std::uint16_t(left);
        frame->Top = std::uint16_t(top);
        frame->SetSize(std::uint16_t(width), std::uint16_t(height));
        std::copy(pixels.begin(), pixels.end(), frame->Data());
        gif.Images().Add(frame);
        return *frame;
    }

    QStringList warnings;
    std::vector<PGObject*> senders;
};

TEST_F(GifImage, TheWorkedExampleFileByteForByte)
{
    TGIFImage gif;
    gif.SetPalette({kBlack, kWhite});
    gif.Header().ScreenWidth = 4;
    gif.Header().ScreenHeight = 1;
    addFrame(gif, 4, 1, Pixels(4, 0));
    EXPECT_EQ(saved(gif), FormatExampleGif());

    // The same from a two-colour pixel image.
    TPixelGraphic blackWhite;
    blackWhite.Allocate(4, 1, bcn1Bit);
    blackWhite.SetPaletteIdent(pBlackWhite);
    TGIFImage converted;
    converted.Assign(&blackWhite);
    EXPECT_EQ(saved(converted), FormatExampleGif());

    const auto back = load(FormatExampleGif());
    EXPECT_EQ(back->Width(), 4);
    EXPECT_EQ(back->Height(), 1);
    EXPECT_EQ(back->Header().ColorMap().Colors(), Colors({kBlack, kWhite}));
    ASSERT_EQ(back->Images().Count(), 1);
    EXPECT_EQ(pixelsOf(back->Images().Items(0)), Pixels(4, 0));
    EXPECT_EQ(back->Version(), gv87a);
    EXPECT_TRUE(warnings.isEmpty());
}

// The frame of a 2 x 2 screen with a black/white map, as blocks.
QByteArray smallFrame()
{
    return GifImageBlock(0, 0, 2, 2, 0, {}, {0, 1, 1, 0}, 2);
}

TEST_F(GifImage, LoadRules)
{
    const Colors bw{kBlack, kWhite};
    const QByteArray good = GifFile(2, 2, bw, smallFrame());
    QByteArray lower = good;
    lower.replace(0, 3, "gif");
    QByteArray otherVersion = good;
    otherVersion.replace(3, 3, "12x");
    QByteArray wrongSignature = good;
    wrongSignature.replace(0, 3, "FIG");
    const struct {
        const char* what;
        QByteArray file;
        int frames;
        QStringList warnings;
        QString error;
    } cases[] = {
        {"lower-case signature", lower, 1, {}, ""},
        {"any version bytes", otherVersion, 1, {}, ""},
        {"a signature other than GIF", wrongSignature, 0, {}, "Invalid GIF signature"},
        {"no trailer at the end of the stream", GifFile(2, 2, bw, smallFrame(), false), 1, {}, ""},
        {"a wrong byte where the trailer should be", GifFile(2, 2, bw, smallFrame() + "U", false), 1,
         {"Unknown GIF block type"}, ""},
        {"a stray byte, then the trailer", GifFile(2, 2, bw, smallFrame() + "U"), 1, {"Unknown GIF block type"}, ""},
        {"a stray byte, then another", GifFile(2, 2, bw, smallFrame() + "UV", false), 1,
         {"Unknown GIF block type", "Invalid Image trailer"}, ""},
        {"zero bytes between blocks", GifFile(2, 2, bw, QByteArray(3, '\0') + smallFrame() + QByteArray(2, '\0')), 1, {}, ""},
        {"a frame of width 0", GifFile(2, 2, bw, GifImageBlock(0, 0, 0, 5, 0, {}, {1, 0, 0, 1}, 2)), 1,
         {"Image exceeds Logical Screen size"}, ""},
        {"a byte that introduces no extension", GifFile(2, 2, bw, GifControlBlock(0, 0) + "\x99"), 1,
         {"Invalid extension introducer", "Unknown GIF block type"}, ""},
        {"an unknown extension label", GifFile(2, 2, bw, smallFrame() + QByteArray::fromHex("2102") + smallFrame()), 1, {},
         "Unknown extension type"},
        {"an application block of 10 bytes", GifFile(2, 2, bw, QByteArray::fromHex("21FF0A") + "NETSCAPE2." + smallFrame()),
         0, {}, "Unsupported Application Extension block size"},
        {"a loop block with another sub-block", GifFile(2, 2, bw, QByteArray::fromHex("21FF0B") + "NETSCAPE2.0" +
                                                                        QByteArray::fromHex("03020A0000")),
         0, {}, "Invalid GIF data"},
        {"a file cut inside the global map", good.left(16), 0, {}, "Premature end of data"},
        {"a file cut inside a descriptor", good.left(20), 0, {}, "Premature end of data"},
        {"minimum code size 12", GifFile(2, 2, bw, QByteArray::fromHex("2C000000000200020000") + QByteArray::fromHex("0C0100")),
         0, {}, "Invalid GIF data"},
        {"a frame of 65535 x 65535", GifFile(2, 2, bw, QByteArray::fromHex("2C00000000FFFFFFFF00020100")), 0, {},
         "Failed to allocate memory for GIF DIB"},
    };
    for (const auto& c : cases) {
        warnings.clear();
        QString error;
        const auto gif = load(c.file, &error);
        EXPECT_EQ(error, c.error) << c.what;
        EXPECT_EQ(gif->Images().Count(), c.frames) << c.what;
        EXPECT_EQ(warnings, c.warnings) << c.what;
    }
}

TEST_F(GifImage, AFrameOfWidth0TakesTheScreenSize)
{
    const auto gif = load(GifFile(2, 2, {kBlack, kWhite}, GifImageBlock(0, 0, 0, 5, 0, {}, {1, 0, 0, 1}, 2)));
    const TGIFSubImage& frame = gif->Images().Items(0);
    EXPECT_EQ(frame.Width(), 2);
    EXPECT_EQ(frame.Height(), 2);
    EXPECT_EQ(pixelsOf(frame), Pixels({1, 0, 0, 1}));
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], &frame); // the frame warns, through the image
}

TEST_F(GifImage, ASubBlockPastTheEndWarnsOnceAndKeepsThePixels)
{
    Pixels pixels(100 * 30);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t((i * 7 + i / 100) % 256);
    QByteArray file = GifFile(100, 30, Colors(256, kRed), GifImageBlock(0, 0, 100, 30, 0, {}, pixels, 8), false);
    file.chop(300); // inside the last sub-block
    const auto gif = load(file);
    EXPECT_EQ(warnings, QStringList({"Premature end of data"}));
    const Pixels back = pixelsOf(gif->Images().Items(0));
    const auto firstZero = std::mismatch(back.begin(), back.end(), pixels.begin()).first;
    EXPECT_GT(firstZero - back.begin(), 500);
    EXPECT_LT(firstZero - back.begin(), 3000);
    EXPECT_TRUE(std::all_of(firstZero + 1, back.end(), [](std::uint8_t v) { return v == 0; }));
}

TEST_F(GifImage, InterlacedFramesFillTheirRowsInPassOrder)
{
    // Rows 0..9 hold their row number; stored in pass order: 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    Pixels stored;
    for (int row : {0, 8, 4, 2, 6, 1, 3, 5, 7, 9})
        stored.insert(stored.end(), 3, std::uint8_t(row));
    const auto gif = load(GifFile(3, 10, Colors(16, kBlue), GifImageBlock(0, 0, 3, 10, 0x40, {}, stored, 4)));
    Pixels rows;
    for (int row = 0; row < 10; ++row)
        rows.insert(rows.end(), 3, std::uint8_t(row));
    EXPECT_EQ(pixelsOf(gif->Images().Items(0)), rows);
}

TEST_F(GifImage, ExtensionsReadAndWriteBackUnchanged)
{
    TGIFImage gif;
    gif.SetPalette({kBlack, kWhite, kRed, kGreen});
    gif.Header().ScreenWidth = 3;
    gif.Header().ScreenHeight = 2;
    TGIFSubImage& first = addFrame(gif, 3, 2, {0, 1, 2, 3, 2, 1});
    auto loop = std::make_unique<TGIFAppExtNSLoop>(&first);
    loop->Loops = 5;
    first.Extensions().Add(std::move(loop));
    auto comment = std::make_unique<TGIFCommentExtension>(&first);
    comment->Text = QStringList({"first", QString(300, 'c')});
    first.Extensions().Add(std::move(comment));
    auto control = std::make_unique<TGIFGraphicControlExtension>(&first);
    control->SetDisposal(dmBackground);
    control->Delay = 7;
    control->SetTransparent(true);
    control->SetTransparentIndex(3);
    first.Extensions().Add(std::move(control));
    TGIFSubImage& second = addFrame(gif, 2, 1, {1, 0}, 1, 1);
    second.ColorMap().Assign({kBlue, kRed});
    auto text = std::make_unique<TGIFTextExtension>(&second);
    text->Header = {0, 0, 0, 0, 8, 0, 8, 0, 4, 4, 1, 0};
    text->Text = QStringList({"hi"});
    second.Extensions().Add(std::move(text));
    auto unknown = std::make_unique<TGIFUnknownAppExtension>(&second);
    unknown->Identifier = "ABCDEFGH";
    unknown->Authentication = "XYZ";
    unknown->Blocks = {"abc", "de"};
    second.Extensions().Add(std::move(unknown));
    const QByteArray file = saved(gif);
    EXPECT_EQ(file.left(6), "GIF89a");

    const auto back = load(file);
    ASSERT_EQ(back->Images().Count(), 2);
    const TGIFExtensionList& extensions = back->Images().Items(0).Extensions();
    ASSERT_EQ(extensions.Count(), 3);
    EXPECT_EQ(dynamic_cast<TGIFAppExtNSLoop&>(extensions.Items(0)).Loops, 5);
    EXPECT_EQ(dynamic_cast<TGIFCommentExtension&>(extensions.Items(1)).Text,
              QStringList({"first", QString(255, 'c'), QString(45, 'c')})); // one string per sub-block
    const auto& readControl = dynamic_cast<TGIFGraphicControlExtension&>(extensions.Items(2));
    EXPECT_EQ(readControl.Disposal(), dmBackground);
    EXPECT_EQ(readControl.Delay, 7);
    EXPECT_TRUE(readControl.Transparent());
    EXPECT_EQ(readControl.TransparentColorIndex, 3);
    const TGIFSubImage& readSecond = back->Images().Items(1);
    EXPECT_EQ(readSecond.BoundsRect(), QRect(1, 1, 2, 1));
    EXPECT_EQ(readSecond.ColorMap().Colors(), Colors({kBlue, kRed}));
    const auto& readText = dynamic_cast<TGIFTextExtension&>(readSecond.Extensions().Items(0));
    EXPECT_EQ(readText.Header[8], 4);
    EXPECT_EQ(readText.Text, QStringList({"hi"}));
    const auto& readUnknown = dynamic_cast<TGIFUnknownAppExtension&>(readSecond.Extensions().Items(1));
    EXPECT_EQ(readUnknown.Identifier + readUnknown.Authentication, "ABCDEFGHXYZ");
    EXPECT_EQ(readUnknown.Blocks, std::vector<QByteArray>({"abc", "de"}));
    EXPECT_EQ(saved(*back), file);

    // "ANIMEXTS1.0" is a loop block too.
    QByteArray animexts = file;
    animexts.replace("NETSCAPE2.0", "ANIMEXTS1.0");
    EXPECT_EQ(dynamic_cast<TGIFAppExtNSLoop&>(load(animexts)->Images().Items(0).Extensions().Items(0)).Loops, 5);
}

TEST_F(GifImage, AnExtensionLoadedAsAnotherClassRaises)
{
    TGIFImage gif;
    TGIFSubImage& frame = addFrame(gif, 1, 1, {0});
    TGIFCommentExtension comment(&frame);
    QBuffer buffer;
    buffer.setData(GifControlBlock(0, 0));
    buffer.open(QIODevice::ReadOnly);
    ByteReader reader(buffer, RaiseGIFPrematureEnd);
    EXPECT_PG_THROW(comment.LoadFromStream(reader), GIFException,
                    "Internal error: Extension Instance does not match Extension Label");
}

TEST_F(GifImage, TheVersionWrittenIsTheHighestTheFramesNeed)
{
    TGIFImage gif;
    EXPECT_PG_THROW(saved(gif), GIFException, "Unsupported GIF version");
    gif.SetPalette({kBlack, kWhite});
    TGIFSubImage& frame = addFrame(gif, 2, 1, {0, 1});
    EXPECT_EQ(saved(gif).mid(3, 3), "87a");
    frame.ColorMap().Assign({kRed, kBlue});
    EXPECT_EQ(saved(gif).mid(3, 3), "87a");
    frame.ColorMap().SetSorted(true);
    EXPECT_EQ(saved(gif).mid(3, 3), "89a");
    frame.ColorMap().SetSorted(false);
    frame.Extensions().Add(std::make_unique<TGIFCommentExtension>(&frame));
    EXPECT_EQ(saved(gif).mid(3, 3), "89a");
}

TEST_F(GifImage, DescriptorsAreRebuiltOnSaving)
{
    // Global maps: 2 entries as 2, 3 padded to 4; the colour resolution from the largest map.
    TGIFImage gif;
    gif.Header().ScreenWidth = 2;
    gif.Header().ScreenHeight = 1;
    gif.SetPalette({kBlack, kWhite});
    addFrame(gif, 2, 1, {1, 0});
    QByteArray file = saved(gif);
    EXPECT_EQ(file.mid(10, 9), QByteArray::fromHex("800000" "000000FFFFFF"));
    gif.SetPalette({kRed, kGreen, kBlue});
    addFrame(gif, 2, 1, {1, 0}); // SetPalette dropped nothing: the frames stay
    file = saved(gif);
    EXPECT_EQ(file.mid(10, 15), QByteArray::fromHex("910000" "FF000000FF000000FF000000")); // resolution 1
    gif.Images().Items(1).ColorMap().Assign(Colors(16, kRed));
    EXPECT_EQ(quint8(saved(gif)[10]), 0x80 | 0x30 | 0x01); // resolution 4 bits - 1

    // The interlace flag stays only on frames without a local map; the data follows the flag.
    Pixels rows;
    for (int row = 0; row < 10; ++row)
        rows.insert(rows.end(), 2, std::uint8_t(row % 3));
    for (bool local : {false, true}) {
        TGIFImage interlaced;
        interlaced.SetPalette({kBlack, kWhite, kRed});
        interlaced.Header().ScreenWidth = 2;
        interlaced.Header().ScreenHeight = 10;
        TGIFSubImage& frame = addFrame(interlaced, 2, 10, rows);
        frame.Packed = 0x40 | 0x18 | 0x07;
        if (local)
            frame.ColorMap().Assign({kBlue, kGreen, kWhite});
        const QByteArray written = saved(interlaced);
        const auto theirs = GiflibDecode(written);
        ASSERT_TRUE(theirs);
        EXPECT_EQ(theirs->frames[0].interlaced, !local);
        EXPECT_EQ(theirs->frames[0].pixels, rows) << "local map " << local;
        const QByteArray descriptorEnd = written.mid(13 + 12 + 9, 1);
        EXPECT_EQ(quint8(descriptorEnd[0]), local ? 0x81 : 0x58) << "local map " << local;
    }
}

TEST_F(GifImage, NoIndexReachesTheClearCode)
{
    TGIFImage gif;
    gif.SetPalette({kBlack, kWhite});
    addFrame(gif, 3, 1, {0, 5, 1});
    const QByteArray file = saved(gif);
    EXPECT_EQ(file[13 + 6 + 10], char(3)); // minimum code size: the bits of index 5
    const auto theirs = GiflibDecode(file);
    ASSERT_TRUE(theirs);
    EXPECT_EQ(theirs->frames[0].pixels, Pixels({0, 5, 1}));
}

TEST_F(GifImage, ColorMaps)
{
    TGIFColorMap map;
    const struct { int count, bits; } sizes[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {128, 7}, {129, 8}, {256, 8}};
    for (const auto& size : sizes) {
        map.Assign(Colors(std::size_t(size.count), kRed));
        EXPECT_EQ(map.BitsPerEntry(), size.bits) << size.count;
    }
    EXPECT_PG_THROW(map.Add(kBlue), GIFException, "Color table overflow");
    EXPECT_PG_THROW(map.Assign(Colors(257, kRed)), GIFException, "Color table overflow");
    EXPECT_PG_THROW(map.Color(256), GIFException, "Invalid color index");
    EXPECT_PG_THROW(map.SetColor(-1, kRed), GIFException, "Invalid color index");
    map.Assign({kRed, kBlue});
    EXPECT_EQ(map.IndexOf(kBlue), 1);
    EXPECT_EQ(map.IndexOf(kGreen), -1);

    TGIFImage gif;
    gif.SetPalette({kRed, kBlue, kGreen});
    TGIFSubImage& frame = addFrame(gif, 1, 1, {0});
    TGIFGraphicControlExtension control(&frame);
    control.SetTransparentIndex(2);
    EXPECT_PG_THROW(control.SetTransparentIndex(3), GIFException, "Invalid color index");
}

TEST_F(GifImage, FrameBitmapsPadTheirTableWithBlack)
{
    TGIFImage gif;
    gif.SetPalette({kRed, kGreen});
    TGIFSubImage& frame = addFrame(gif, 3, 1, {0, 1, 3});
    TPixelGraphic& bitmap = frame.Bitmap();
    EXPECT_EQ(bitmap.BitCountNum(), bcn8Bit);
    EXPECT_EQ(bitmap.Palette(), Colors({kRed, kGreen, kBlack, kBlack}));
    EXPECT_EQ(bitmap.GetPixelColor(2, 0), kBlack);
    EXPECT_EQ(bitmap.GetPixel(2, 0), 3u);
    EXPECT_EQ(frame.Mask(), nullptr);

    auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
    control->SetTransparent(true);
    control->TransparentColorIndex = 1;
    frame.Extensions().Add(std::move(control));
    ASSERT_NE(frame.Mask(), nullptr);
    EXPECT_EQ(frame.Mask()->GetPixel(0, 0), 0u);
    EXPECT_EQ(frame.Mask()->GetPixel(1, 0), 1u);
}

TEST_F(GifImage, TheFirstFrameBitmap)
{
    // A frame covering the screen brings its own map.
    TGIFImage covering;
    covering.SetPalette({kRed, kGreen});
    covering.Header().ScreenWidth = 2;
    covering.Header().ScreenHeight = 1;
    TGIFSubImage& frame = addFrame(covering, 2, 1, {1, 0});
    frame.ColorMap().Assign({kBlue, kWhite});
    ASSERT_NE(covering.Bitmap(), nullptr);
    EXPECT_EQ(covering.Bitmap()->Palette(), Colors({kBlue, kWhite}));
    EXPECT_EQ(covering.Bitmap()->GetPixel(0, 0), 1u);

    // A smaller one lies at its place on index 0 of the global map, in the nearest colours.
    TGIFImage smaller;
    smaller.SetPalette({kBlack, kWhite, RGBColor(250, 0, 0)});
    smaller.Header().ScreenWidth = 4;
    smaller.Header().ScreenHeight = 3;
    TGIFSubImage& inner = addFrame(smaller, 2, 1, {0, 1}, 1, 1);
    inner.ColorMap().Assign({kWhite, RGBColor(240, 10, 0)});
    TPixelGraphic* bitmap = smaller.Bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 4);
    EXPECT_EQ(bitmap->Height(), 3);
    EXPECT_EQ(bitmap->Palette(), Colors({kBlack, kWhite, RGBColor(250, 0, 0)}));
    std::vector<std::uint32_t> indices;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            indices.push_back(bitmap->GetPixel(x, y));
    EXPECT_EQ(indices, std::vector<std::uint32_t>({0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0}));

    // A screen side of 0 is the first frame's edge.
    TGIFImage unsized;
    unsized.SetPalette({kBlack, kWhite});
    addFrame(unsized, 3, 2, Pixels(6, 1), 2, 1);
    EXPECT_EQ(unsized.Width(), 5);
    EXPECT_EQ(unsized.Height(), 3);
    EXPECT_EQ(unsized.Bitmap()->Width(), 5);
    EXPECT_EQ(unsized.Bitmap()->GetPixel(4, 2), 1u);

    TGIFImage empty;
    EXPECT_EQ(empty.Bitmap(), nullptr);
    TPixelGraphic target;
    EXPECT_PG_THROW(empty.AssignTo(target), GIFException, "Image has no DIB");
}

TEST_F(GifImage, ThePalette)
{
    TGIFImage gif;
    EXPECT_TRUE(gif.GetPalette().empty());
    TGIFSubImage& frame = addFrame(gif, 2, 1, {0, 1});
    frame.ColorMap().Assign({kBlue, kWhite});
    EXPECT_EQ(gif.GetPalette(), Colors({kBlue, kWhite})); // no global map: the frame's
    gif.SetPalette({kRed, kGreen});
    EXPECT_EQ(gif.GetPalette(), Colors({kRed, kGreen}));
    gif.SetDrawOptions(gif.DrawOptions() & ~GIFDrawOption(doFixedPaletteLowColor));
    gif.Changed();
    EXPECT_EQ(gif.GetPalette(), *FixedPalette(pSpecial216));

    // Asked again while the palette is being made.
    TGIFImage nested;
    addFrame(nested, 1, 1, {0});
    QString inner;
    nested.SetOnProgress([&](PGObject*, int, const QString& text) {
        if (text == "Rendering..." && inner.isEmpty()) {
            try {
                nested.GetPalette();
            } catch (const GIFException& e) {
                inner = e.Message();
            }
        }
    });
    EXPECT_EQ(nested.GetPalette(), Colors({kBlack}));
    EXPECT_EQ(inner, "No global or local color table defined");
}

TEST_F(GifImage, TheScreenHoldsItsFrames)
{
    TGIFImage gif;
    gif.Header().ScreenWidth = 10;
    gif.Header().ScreenHeight = 10;
    addFrame(gif, 4, 3, Pixels(12, 0), 5, 6);
    EXPECT_PG_THROW(gif.SetWidth(8), GIFException, "Image width too small for contained frames");
    EXPECT_PG_THROW(gif.SetHeight(8), GIFException, "Image height too small for contained frames");
    gif.SetWidth(9);
    gif.SetHeight(9);
    EXPECT_EQ(gif.Width(), 9);
    EXPECT_EQ(gif.Height(), 9);
}

TEST_F(GifImage, AddingAFrameGrowsTheScreen)
{
    TGIFImage gif;
    watch(gif);
    int changes = 0;
    gif.SetOnChange([&](PGObject*) { ++changes; });
    gif.Header().ScreenWidth = 2;
    gif.Header().ScreenHeight = 2;
    TPixelGraphic bitmap;
    bitmap.Allocate(3, 4, bcn4Bit);
    bitmap.SetPaletteIdent(pSys16);
    EXPECT_EQ(gif.Add(bitmap), 0);
    EXPECT_EQ(gif.Width(), 3);
    EXPECT_EQ(gif.Height(), 4);
    EXPECT_EQ(warnings, QStringList({"Image width too small for contained frames",
                                     "Image height too small for contained frames", "Image exceeds Logical Screen size"}));
    ASSERT_EQ(senders.size(), 3u);
    EXPECT_EQ(senders[0], &gif);
    EXPECT_EQ(senders[2], &gif.Images().Items(0));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(gif.Images().Items(0).ColorMap().Count(), 16); // its own map

    warnings.clear();
    EXPECT_EQ(gif.Add(gif.Images().Items(0)), 1); // a copy of a frame
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(changes, 2);

    TGIFColorMap notAFrame;
    EXPECT_PG_THROW(gif.Add(notAFrame), GIFException, "Object type not supported for operation");
    EXPECT_PG_THROW(gif.Assign(&notAFrame), GIFException, "Object type not supported for operation");
}

TEST_F(GifImage, CopiesAndConversions)
{
    const auto source = load(GifFile(2, 2, {kBlack, kWhite}, GifControlBlock(1, 5) + smallFrame() + smallFrame()));
    TGIFImage copy;
    QStringList progress;
    copy.SetOnProgress([&](PGObject*, int percent, const QString& text) { progress << QString("%1 %2").arg(text).arg(percent); });
    copy.Assign(source.get());
    EXPECT_EQ(progress, QStringList({"Copying... 50", "Copying... 100"}));
    EXPECT_EQ(saved(copy), saved(*source));
    EXPECT_TRUE(copy.Equals(copy));
    EXPECT_FALSE(copy.Equals(*source)); // the same content is not the same image
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());

    // Pixel rows unpacked; indices past the palette become 0; progress every 32 rows.
    TPixelGraphic bitmap;
    bitmap.Allocate(3, 70, bcn4Bit);
    bitmap.SetPaletteCount(5);
    for (int i = 0; i < 5; ++i)
        bitmap.SetPaletteEntry(i, RGBColor(i, i, i));
    bitmap.SetPixel(0, 0, 4);
    bitmap.SetPixel(1, 0, 9);
    bitmap.SetPixel(2, 69, 3);
    progress.clear();
    copy.Assign(&bitmap);
    EXPECT_EQ(progress, QStringList({"Converting... 0", "Converting... 45", "Converting... 91"}));
    EXPECT_EQ(copy.Header().ColorMap().Count(), 5);
    const TGIFSubImage& frame = copy.Images().Items(0);
    EXPECT_EQ(frame.ColorMap().Count(), 0);
    EXPECT_EQ(frame.Data()[0], 4);
    EXPECT_EQ(frame.Data()[1], 0);
    EXPECT_EQ(frame.Data()[69 * 3 + 2], 3);

    TPixelGraphic oneBit;
    oneBit.Allocate(10, 1, bcn1Bit);
    oneBit.SetPaletteIdent(pBlackWhite);
    oneBit.SetPixel(0, 0, 1);
    oneBit.SetPixel(9, 0, 1);
    copy.Assign(&oneBit);
    EXPECT_EQ(pixelsOf(copy.Images().Items(0)), Pixels({1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));

    // 24 bits are reduced to a palette first.
    auto photo = MakePatternImage(40, 30, bcn24Bit);
    copy.Assign(photo.get());
    EXPECT_LE(copy.Header().ColorMap().Count(), 256);
    EXPECT_GT(copy.Header().ColorMap().Count(), 16);
    TPixelGraphic back;
    copy.AssignTo(back);
    ASSERT_EQ(back.Width(), 40);
    ASSERT_EQ(back.BitCountNum(), bcn8Bit);
    std::int64_t distance = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            distance += ColorDistance(back.GetPixelColor(x, y), photo->GetPixelColor(x, y));
    EXPECT_LT(distance / (40 * 30), 3 * 20 * 20); // within some 20 levels a channel on average
}

TEST_F(GifImage, ClipboardHoldsThePlainFile)
{
    const auto gif = load(FormatExampleGif());
    QByteArray data;
    gif->SaveToClipboardFormat(data);
    EXPECT_EQ(data, FormatExampleGif());
    TGIFImage back;
    back.LoadFromClipboardFormat(data);
    EXPECT_EQ(back.Width(), 4);
}

TEST_F(GifImage, DrawingScalesTheFirstFrameAndKeepsTransparentPixels)
{
    TGIFImage gif;
    gif.SetPalette({kRed, kBlue});
    gif.Header().ScreenWidth = 2;
    gif.Header().ScreenHeight = 1;
    TGIFSubImage& frame = addFrame(gif, 2, 1, {0, 1});
    QImage target(8, 4, QImage::Format_RGB32);
    target.fill(Qt::green);
    {
        TGIFImageCanvas canvas(target);
        gif.Draw(canvas, QRect(2, 1, 4, 2));
    }
    EXPECT_EQ(target.pixel(1, 1), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(2, 1), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(3, 2), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(4, 1), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(5, 2), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(6, 2), qRgb(0, 255, 0));

    auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
    control->SetTransparent(true);
    control->TransparentColorIndex = 1;
    frame.Extensions().Add(std::move(control));
    target.fill(Qt::green);
    QPainter painter(&target);
    gif.Draw(painter, QRect(0, 0, 2, 1));
    painter.end();
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(1, 0), qRgb(0, 255, 0)); // transparent: the canvas shows
}

TEST_F(GifImage, GiflibFilesReadInOursAndOursInGiflib)
{
    ReferenceGif reference;
    reference.width = 20;
    reference.height = 12;
    reference.globalMap = {kBlack, kWhite, kRed, kGreen};
    ReferenceFrame plain{0, 0, 20, 12, false, {}, Pixels(240)};
    for (std::size_t i = 0; i < plain.pixels.size(); ++i)
        plain.pixels[i] = std::uint8_t((i / 5 + i % 3) % 4);
    ReferenceFrame local{3, 2, 9, 9, true, Colors(16, kBlue), Pixels(81)};
    for (std::size_t i = 0; i < local.pixels.size(); ++i)
        local.pixels[i] = std::uint8_t(i % 16);
    reference.frames = {plain, local};
    const auto ours = load(GiflibEncode(reference));
    ASSERT_EQ(ours->Images().Count(), 2);
    EXPECT_EQ(pixelsOf(ours->Images().Items(0)), plain.pixels);
    EXPECT_EQ(pixelsOf(ours->Images().Items(1)), local.pixels);
    EXPECT_EQ(ours->Images().Items(1).BoundsRect(), QRect(3, 2, 9, 9));

    const auto theirs = GiflibDecode(saved(*ours));
    ASSERT_TRUE(theirs);
    ASSERT_EQ(theirs->frames.size(), 2u);
    EXPECT_EQ(theirs->frames[0].pixels, plain.pixels);
    EXPECT_EQ(theirs->frames[1].pixels, local.pixels);
    EXPECT_EQ(theirs->frames[1].localMap, Colors(16, kBlue));
    EXPECT_EQ(theirs->globalMap, reference.globalMap);
}

TEST_F(GifImage, ShortReadsGiveTheSameFrames)
{
    TGIFImage gif;
    gif.SetPalette(Colors(64, kRed));
    Pixels pixels(120 * 50);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t((i % 120 + i / 360) % 64);
    addFrame(gif, 120, 50, pixels);
    addFrame(gif, 50, 20, Pixels(pixels.begin(), pixels.begin() + 1000), 3, 4);
    const QByteArray file = saved(gif);
    for (const auto& pattern : ShortReadPatterns()) {
        ChunkedDevice device(file, pattern);
        TGIFImage back;
        back.LoadFromStream(device);
        ASSERT_EQ(back.Images().Count(), 2);
        EXPECT_EQ(pixelsOf(back.Images().Items(0)), pixels) << "chunks of " << pattern.front();
        EXPECT_EQ(pixelsOf(back.Images().Items(1)), Pixels(pixels.begin(), pixels.begin() + 1000));
    }
}

} // namespace
