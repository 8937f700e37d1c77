// The GIF format adapter: GIF files through the library's registry, load and save.
#include "fixtures.h"
#include "giflibreference.h"
#include "tests/imaging/formattest.h"
#include "tests/imaging/imagingtest.h"

#include "imaging/fileformats.h"
#include "imaging/formats/gif/gifformat.h"
#include "imaging/formats/gif/gifimage.h"
#include "platform/prompts.h"
#include "tempfolder.h"

#include <QBuffer>

namespace {

using Colors = std::vector<TColor>;
using Pixels = std::vector<std::uint8_t>;

constexpr TColor kBlack = RGBColor(0, 0, 0), kWhite = RGBColor(255, 255, 255), kRed = RGBColor(255, 0, 0),
                 kBlue = RGBColor(0, 0, 255);

class GifAdapter : public LibraryTest {
protected:
    // Progress events as "begin", "done/total", "end", each checked to come from a GIF coder.
    void record(TPixelGraphic& image)
    {
        const auto fromCoder = [](PGObject* sender) {
            return dynamic_cast<TGIFFileFormatReader*>(sender) || dynamic_cast<TGIFFileFormatWriter*>(sender);
        };
        image.SetOnProgressBegin([=, this](PGObject* sender) { events << (fromCoder(sender) ? "begin" : "?"); });
        image.SetOnProgressEnd([=, this](PGObject* sender) { events << (fromCoder(sender) ? "end" : "?"); });
        image.SetOnProgress([this](PGObject*, int done, int total, bool& abort) {
            events << QString("%1/%2").arg(done).arg(total);
            abort = done == abortAt;
        });
    }
    QStringList events;
    int abortAt = -1;
};

std::vector<std::uint32_t> indicesOf(TPixelGraphic& image)
{
    std::vector<std::uint32_t> out;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            out.push_back(image.GetPixel(x, y));
    return out;
}

const TFileFormatReader* readerFor(const QByteArray& bytes, const QString& extension = {})
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return FindFileFormatReader(buffer, extension);
}

TEST_F(GifAdapter, TheRegistryOffersBothReadersTheAdapterFirst)
{
    std::vector<const TFileFormatReader*> gifReaders;
    for (const TFileFormatReader* reader : FileFormatReaders())
        if (reader->Extension() == "gif")
            gifReaders.push_back(reader);
    ASSERT_EQ(gifReaders.size(), 2u);
    EXPECT_EQ(gifReaders[0]->ClassName(), "TGIFFileFormatReader");
    EXPECT_EQ(gifReaders[0]->Description(), "GIF-Format");
    EXPECT_EQ(gifReaders[1]->ClassName(), "tGifFileFormatReader");
    EXPECT_EQ(gifReaders[1]->Description(), "GIF");
    for (const TFileFormatReader* reader : gifReaders) {
        EXPECT_TRUE(reader->HasSignature());
        EXPECT_TRUE(reader->Enabled());
    }
    const TFileFormatWriter* writer = FileFormatRegistry().FindWriter(".GIF");
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->ClassName(), "TGIFFileFormatWriter");
    EXPECT_EQ(writer->Description(), "GIF-Format");
    EXPECT_EQ(writer->CanWriteResolutions(), ColorResolutionSet({cr256Colors}));

    // The probe: three bytes adding up to 214 belong to the adapter, whatever the name says.
    EXPECT_EQ(readerFor(FormatExampleGif()), gifReaders[0]);
    EXPECT_EQ(readerFor(QByteArray::fromHex("D60000") + "rest"), gifReaders[0]);
    EXPECT_EQ(readerFor("IGF89a"), gifReaders[0]);
    EXPECT_EQ(readerFor("GIE89a", "gif"), nullptr); // never chosen by extension
    TPixelGraphic image;
    EXPECT_PG_THROW(LoadBytes(image, "IGF89a" + FormatExampleGif().mid(6)), GIFException, "Invalid GIF signature");
}

TEST_F(GifAdapter, LoadsTheFirstFrameAsEightBitIndices)
{
    TPixelGraphic image;
    LoadBytes(image, FormatExampleGif());
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Height(), 1);
    EXPECT_EQ(image.BitCountNum(), bcn8Bit);
    EXPECT_EQ(image.Palette(), Colors({kBlack, kWhite}));
    EXPECT_EQ(image.PaletteIdent(), pBlackWhite);
    EXPECT_EQ(indicesOf(image), std::vector<std::uint32_t>(4, 0));

    // An animation loads as its first frame; a smaller first frame lies at its place on index 0;
    // a transparent index keeps its colour.
    const QByteArray animation = GifFile(5, 4, {kBlack, kWhite, kRed},
                                         GifControlBlock(0, 10, 1) + GifImageBlock(2, 1, 2, 2, 0, {kRed, kWhite}, {0, 1, 1, 0}, 2)
                                             + GifImageBlock(0, 0, 5, 4, 0, {}, Pixels(20, 2), 2));
    LoadBytes(image, animation);
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 4);
    EXPECT_EQ(image.Palette(), Colors({kBlack, kWhite, kRed, kBlack})); // the map as the file has it
    EXPECT_EQ(indicesOf(image),
              std::vector<std::uint32_t>({0, 0, 0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0}));
}

TEST_F(GifAdapter, ImageIndexAndFileInformation)
{
    const QByteArray animation = GifFile(30, 20, {kBlack, kWhite},
                                         GifImageBlock(0, 0, 3, 2, 0x40, {}, Pixels(6, 1), 2)
                                             + GifImageBlock(1, 1, 2, 2, 0, Colors(16, kRed), Pixels(4, 9), 4));
    TPixelGraphic first, second;
    QBuffer buffer;
    buffer.setData(animation);
    buffer.open(QIODevice::ReadOnly);
    first.LoadFromStreamIndex(buffer, "gif", 0);
    buffer.seek(0);
    second.LoadFromStreamIndex(buffer, "gif", 1);
    EXPECT_TRUE(SamePixels(first, second));
    buffer.seek(0);
    EXPECT_PG_THROW(second.LoadFromStreamIndex(buffer, "gif", 2), EPixelGraphic, "Index > 1");

    buffer.seek(0);
    QString description;
    GraphicFileInfo info;
    ASSERT_TRUE(ReadStreamFileInfo(buffer, "gif", 1, description, info));
    EXPECT_EQ(description, "GIF-Format");
    EXPECT_EQ(info.Width, 30);
    EXPECT_EQ(info.Height, 20);
    EXPECT_EQ(info.BitsPerPixel, 8);
    EXPECT_EQ(info.ColorsText, "256");
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_EQ(info.SubFormat, "");
    EXPECT_EQ(info.Chunks, "");
    EXPECT_FALSE(ReadStreamFileInfo(buffer, "gif", 2, description, info));
    EXPECT_PG_THROW(TGIFFileFormatReader().GetInfo(buffer, 2, info), EPixelGraphic, "Index > 1");
}

TEST_F(GifAdapter, ProgressOnLoadAndSave)
{
    TPixelGraphic image;
    record(image);
    LoadBytes(image, FormatExampleGif());
    EXPECT_EQ(events, QStringList({"begin", "10/100", "90/100", "100/100", "100/100", "end"}));

    events.clear();
    image.SetColorResConversion(crcConvert);
    SaveAs(image, "gif");
    EXPECT_EQ(events, QStringList({"begin", "10/100", "50/100", "90/100", "100/100", "end"}));

    events.clear(); // a failure still ends the progress
    EXPECT_THROW(LoadBytes(image, "IGF89a" + FormatExampleGif().mid(6)), GIFException);
    EXPECT_EQ(events, QStringList({"begin", "10/100", "100/100", "end"}));

    events.clear(); // stopped at 90: the image stays as the load began it
    abortAt = 90;
    LoadBytes(image, FormatExampleGif());
    EXPECT_EQ(events, QStringList({"begin", "10/100", "90/100", "100/100", "100/100", "end"}));
    EXPECT_TRUE(image.Empty());
}

TEST_F(GifAdapter, SavingWritesThePaletteAsTheGlobalMap)
{
    // A two-colour image handed to the writer directly: the worked example.
    TPixelGraphic blackWhite;
    blackWhite.Allocate(4, 1, bcn1Bit);
    blackWhite.SetPaletteIdent(pBlackWhite);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TGIFFileFormatWriter().Save(buffer, blackWhite, CurrentSaveOptions());
    EXPECT_EQ(buffer.data(), FormatExampleGif());

    // Indices past the palette go out as 0, as the image reads them.
    TPixelGraphic image;
    image.Allocate(3, 2, bcn8Bit);
    image.SetPaletteCount(3);
    for (int i = 0; i < 3; ++i)
        image.SetPaletteEntry(i, RGBColor(i * 100, 0, 0));
    image.SetPixel(0, 0, 2);
    image.SetPixel(1, 0, 200);
    image.SetPixel(2, 1, 1);
    const auto theirs = GiflibDecode(SaveAs(image, "gif"));
    ASSERT_TRUE(theirs);
    EXPECT_EQ(theirs->globalMap, Colors({0, RGBColor(100, 0, 0), RGBColor(200, 0, 0), 0}));
    ASSERT_EQ(theirs->frames.size(), 1u);
    EXPECT_EQ(theirs->frames[0].pixels, Pixels({2, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(theirs->frames[0].localMap.empty());

    // 24 bits: through the 256-colour conversion of the save, or reduced by the writer itself.
    auto photo = MakePatternImage(33, 17, bcn24Bit);
    photo->SetColorResConversion(crcConvert);
    for (const QByteArray& file : {SaveAs(*photo, "gif"), [&] {
             QBuffer direct;
             direct.open(QIODevice::WriteOnly);
             TGIFFileFormatWriter().Save(direct, *photo, CurrentSaveOptions());
             return direct.data();
         }()}) {
        TPixelGraphic back;
        LoadBytes(back, file);
        EXPECT_EQ(back.Width(), 33);
        EXPECT_EQ(back.BitCountNum(), bcn8Bit);
        EXPECT_GT(back.PaletteCount(), 16);
    }
    EXPECT_EQ(photo->BitCountNum(), bcn24Bit); // the image saved stays as it was
}

// The model's warnings stay inside it: whatever the warning action, nothing is asked or raised
// and the picture comes out as the model read it.
TEST_F(GifAdapter, WarningsOfTheModelNeverReachThePixelImage)
{
    platform::ScriptedPromptService prompts;
    for (const GifWithWarnings& c : GifsWithWarnings()) {
        TGIFImage model;
        QStringList warnings;
        model.SetOnWarning([&](PGObject*, int, const QString& text) { warnings << text; });
        QBuffer buffer;
        buffer.setData(c.data);
        buffer.open(QIODevice::ReadOnly);
        model.LoadFromStream(buffer);
        ASSERT_FALSE(warnings.isEmpty()) << c.name.toStdString();
        EXPECT_EQ(warnings.first(), c.warning) << c.name.toStdString();

        for (const TWarningAction action : {waRaise, waShow, waAskAbort}) {
            TPixelGraphic image;
            image.SetPromptService(&prompts);
            image.SetWarningAction(action);
            ASSERT_NO_THROW(LoadBytes(image, c.data)) << c.name.toStdString();
            EXPECT_EQ(QSize(image.Width(), image.Height()), QSize(c.width, c.height)) << c.name.toStdString();
            EXPECT_EQ(indicesOf(image), std::vector<std::uint32_t>(c.indices.begin(), c.indices.end()))
                << c.name.toStdString();
        }
    }
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST_F(GifAdapter, AnEmptyImageIsRefusedBeforeAnythingIsWritten)
{
    TempFolder folder;
    for (const QSize size : {QSize(0, 0), QSize(0, 3), QSize(3, 0)}) {
        TPixelGraphic image;
        image.Allocate(size.width(), size.height(), bcn8Bit);
        image.SetColorResConversion(crcConvert);
        const QString target = folder.file("empty.gif");
        EXPECT_PG_THROW(image.SaveToFile(target), GIFException, "Width = 0 or Height = 0");
        EXPECT_TRUE(folder.entries().isEmpty()) << size.width() << "x" << size.height();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_PG_THROW(TGIFFileFormatWriter().Save(buffer, image, CurrentSaveOptions()), GIFException,
                        "Width = 0 or Height = 0");
        EXPECT_TRUE(buffer.data().isEmpty());
    }
}

TEST_F(GifAdapter, NoFrameWithPixelsIsNoImage)
{
    TPixelGraphic image;
    EXPECT_PG_THROW(LoadBytes(image, GifFile(4, 1, {kBlack, kWhite}, {})), GIFException, "Image has no DIB");
    EXPECT_PG_THROW(LoadBytes(image, GifFile(4, 1, {kBlack, kWhite}, GifControlBlock(0, 5))), GIFException,
                    "Image has no DIB");
}

TEST_F(GifAdapter, ShortReadsGiveTheSameImage)
{
    for (const Seed& file : SeedsFor("fuzz_gif")) {
        TPixelGraphic whole;
        try {
            LoadBytes(whole, file.data);
        } catch (const EPixelGraphic&) {
            continue; // the damaged seeds
        }
        ExpectShortReadsGive(file.data, whole, {}, file.name.toStdString());
    }
}

// Damaged files kept in tests/imaging/crashers fail cleanly with the format's message (or load,
// where the damage is one the decoder works round); the second reader raises nothing.
TEST_F(GifAdapter, CrashersFailCleanly)
{
    const QMap<QString, QString> expected = {
        {"frame_of_65535_squared.gif", "Failed to allocate memory for GIF DIB"},
        {"lzw_minimum_code_size_12.gif", "Invalid GIF data"},
        {"lzw_prefix_chain_loops.gif", "Circular decoder table entry"},
        {"no_frame.gif", "Image has no DIB"},
        {"signature_fig89a.gif", "Invalid GIF signature"},
        {"sub_block_past_the_end.gif", ""},
        {"unknown_extension_label.gif", "Unknown extension type"},
    };
    ExpectCrashersFailCleanly(QDir(CRASHERS_DIR), {"*.gif"}, expected);
    // The second reader stops quietly where the adapter raises.
    for (const QString& name : expected.keys()) {
        QFile file(QDir(CRASHERS_DIR).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        TPixelGraphic second;
        EXPECT_NO_THROW(tGifFileFormatReader().Load(file, second, 0)) << name.toStdString();
    }
}

} // namespace
