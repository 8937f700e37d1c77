#include "fixtures.h"
#include "imagingtest.h"

#include "imaging/colorresolution.h"
#include "imaging/fileformats.h"
#include "imaging/loadsave.h"
#include "imaging/pgsettings.h"

#include "platform/prompts.h"
#include "fifo.h"
#include "tempfolder.h"

#include <QBuffer>
#include <QDir>

#include <cmath>
#include <stdexcept>
#include <atomic>
#include <thread>

namespace {

// What a fake writer was handed.
struct Written {
    int calls = 0;
    const TPixelGraphic* image = nullptr;
    int bitCountNum = -1;
    TPaletteIdent ident = pNone;
    int paletteCount = -1;
    int width = -1, height = -1;
};

class FakeWriter : public TFileFormatWriter {
public:
    FakeWriter(QString Extension, ColorResolutionSet Resolutions, Written* Record, QString Name = "TFakeWriter")
        : TFileFormatWriter(std::move(Name), std::move(Extension), QStringLiteral("Fake"), Resolutions), record_(Record)
    {
    }
    void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions&) const override
    {
        ++record_->calls;
        record_->image = &Graphic;
        record_->bitCountNum = Graphic.BitCountNum();
        record_->ident = Graphic.PaletteIdent();
        record_->paletteCount = Graphic.PaletteCount();
        record_->width = Graphic.Width();
        record_->height = Graphic.Height();
        Stream.write("FAKE");
        if (failAfterWriting)
            throw EPixelGraphic("Fake: disk on fire");
    }
    bool failAfterWriting = false;

private:
    Written* record_;
};

// Loads what the test put in: a copy of its image, with a file gamma.
class FakeReader : public TFileFormatReader {
public:
    FakeReader() : TFileFormatReader("TFakeReader", "fak", "Fake", true) {}
    bool CheckSignature(const SignatureProbe& Header) const override { return Header[0] == 'F' && Header[1] == 'K'; }
    void Load(QIODevice&, TPixelGraphic& Graphic, int) const override
    {
        if (fails)
            throw EPixelGraphic("Fake: broken");
        Graphic.Assign(source);
        Graphic.SetGamma(gamma);
    }
    TPixelGraphic* source = nullptr;
    long double gamma = 2.2L;
    bool fails = false;
};

TEST(ColorResolution, CurrentResolutionFollowsFormatAndPalette)
{
    const struct { int num; TPaletteIdent ident; TColorResolution current; } cases[] = {
        {0, pBlackWhite, crBlackWhite}, {0, pUnknown, cr2Colors},     {0, pGray4, cr2Colors},
        {1, pSys16, cr16SystemColors},  {1, pGray16, cr16Grays},      {1, pUnknown, cr16Colors},
        {2, pGray256, cr256Grays},      {2, pSpecial252, cr256Colors}, {3, pTrueColor, cr16MillionColors},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CurrentColorResolution(TBitCountNum(c.num), c.ident), c.current) << c.num << " " << int(c.ident);
}

TEST(ColorResolution, PreferenceRows)
{
    const int rows[8][8] = {
        {0, 1, 2, 3, 4, 5, 6, 7}, {1, 4, 6, 7, 3, 0, 2, 5}, {2, 4, 5, 6, 7, 3, 0, 1}, {3, 4, 6, 7, 2, 5, 0, 1},
        {4, 6, 7, 3, 2, 5, 0, 1}, {5, 6, 7, 2, 4, 3, 0, 1}, {6, 7, 4, 3, 5, 2, 0, 1}, {7, 6, 4, 3, 5, 2, 0, 1},
    };
    for (int current = 0; current < 8; ++current) {
        const auto row = ColorResolutionPreference(TColorResolution(current));
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(int(row[std::size_t(i)]), rows[current][i]) << "row " << current;
    }
    EXPECT_EQ(ChooseColorResolution(cr2Colors, {cr256Grays, cr16MillionColors}), cr16MillionColors);
    EXPECT_EQ(ChooseColorResolution(cr256Grays, {cr256Grays, cr16MillionColors}), cr256Grays);
    EXPECT_EQ(ChooseColorResolution(cr256Colors, {cr256Grays, cr16MillionColors}), cr16MillionColors);
    EXPECT_EQ(ChooseColorResolution(cr256Colors, {}), std::nullopt);
    EXPECT_EQ(ColorResolutionName(cr16Grays), "16 shades of gray");
    EXPECT_EQ(ColorResolutionName(cr16MillionColors), "16.7 million colors");
}

TEST(Gamma, PowerFunction)
{
    EXPECT_EQ(PixelGraphicPower(0.3L, 0), 1);
    EXPECT_EQ(PixelGraphicPower(0, 2), 0);
    EXPECT_EQ(PixelGraphicPower(1, 7), 1);
    EXPECT_NEAR(double(PixelGraphicPower(0.25L, 0.5L)), 0.5, 1e-15);
    EXPECT_PG_THROW(PixelGraphicPower(-1, 2), EPixelGraphic, "Invalid Argument");
}

class LoadSave : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        auto reader = std::make_unique<FakeReader>();
        fakeReader = reader.get();
        registry.AddReader(std::move(reader));
        registry.Freeze();
    }

    // A registry with one writer "fak" for the given resolutions.
    std::unique_ptr<FormatRegistry> writerFor(ColorResolutionSet Resolutions, FakeWriter** Writer = nullptr)
    {
        auto r = std::make_unique<FormatRegistry>();
        auto writer = std::make_unique<FakeWriter>("fak", Resolutions, &written);
        if (Writer)
            *Writer = writer.get();
        r->AddWriter(std::move(writer));
        r->Freeze();
        return r;
    }

    QByteArray save(TPixelGraphic& image, const FormatRegistry& r, const QString& extension = "fak")
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        SaveGraphicToStream(image, r, buffer, extension);
        return buffer.data();
    }

    void load(TPixelGraphic& image)
    {
        QBuffer buffer;
        buffer.setData("FK");
        buffer.open(QIODevice::ReadOnly);
        LoadGraphic(image, registry, buffer, {}, 0);
    }

    FormatRegistry registry;
    FakeReader* fakeReader = nullptr;
    Written written;
    platform::ScriptedPromptService prompts;
};

TEST_F(LoadSave, ConversionMatrix)
{
    const struct { TColorResolution target; int num; TPaletteIdent ident; int paletteCount; } targets[] = {
        {crBlackWhite, 0, pBlackWhite, 2}, {cr2Colors, 0, pUnknown, 2},     {cr16Grays, 1, pGray16, 16},
        {cr16SystemColors, 1, pSys16, 16}, {cr16Colors, 1, pUnknown, 16},   {cr256Grays, 2, pGray256, 256},
        {cr256Colors, 2, pUnknown, 252},   {cr16MillionColors, 3, pTrueColor, 0},
    };
    auto source = MakePatternImage(40, 30, bcn24Bit);
    const QImage before = source->ToQImage();
    for (const auto& t : targets) {
        written = {};
        auto r = writerFor({t.target});
        source->SetColorResConversion(crcConvert);
        EXPECT_EQ(save(*source, *r), QByteArray("FAKE"));
        EXPECT_EQ(written.calls, 1);
        EXPECT_EQ(written.bitCountNum, t.num) << "target " << int(t.target);
        EXPECT_EQ(written.ident, t.ident) << "target " << int(t.target);
        EXPECT_EQ(written.paletteCount, t.paletteCount) << "target " << int(t.target);
        EXPECT_EQ(written.width, 40);
        EXPECT_EQ(written.height, 30);
        EXPECT_EQ(written.image == source.get(), t.target == cr16MillionColors);
    }
    EXPECT_EQ(source->ToQImage(), before); // the graphic itself is never changed
    EXPECT_EQ(source->BitCountNum(), 3);
}

TEST_F(LoadSave, JpegResolutionsPickTheirTargets)
{
    const ColorResolutionSet jpeg{cr256Grays, cr16MillionColors};
    auto r = writerFor(jpeg);
    const struct { int num; TPaletteIdent ident; int targetNum; TPaletteIdent targetIdent; bool same; } cases[] = {
        {3, pTrueColor, 3, pTrueColor, true},   // directly
        {2, pSpecial216, 3, pTrueColor, false}, // 256 colours: tries 6, then 7
        {2, pGray256, 2, pGray256, true},       // stays gray
        {0, pUnknown, 3, pTrueColor, false},    // two colours: 1, 4, 6, 7
        {1, pGray16, 2, pGray256, false},       // 16 grays: 2, 4, 5
    };
    for (const auto& c : cases) {
        written = {};
        auto image = MakePatternImage(9, 4, TBitCountNum(c.num));
        image->SetPaletteIdent(c.ident);
        if (c.ident == pUnknown)
            image->SetPaletteEntry(0, RGBColor(200, 10, 10));
        image->SetColorResConversion(crcConvert);
        save(*image, *r);
        EXPECT_EQ(written.bitCountNum, c.targetNum) << c.num << " " << int(c.ident);
        EXPECT_EQ(written.ident, c.targetIdent);
        EXPECT_EQ(written.image == image.get(), c.same);
    }
}

TEST_F(LoadSave, ConvertedPixelsComeFromTheSource)
{
    auto r = writerFor({cr16MillionColors});
    auto image = MakePatternImage(5, 3, bcn8Bit); // gray indices
    image->SetColorResConversion(crcConvert);
    const TPixelGraphic* seen = nullptr;
    TColor corner = 0;
    // Peek at the converted image while it is written.
    class Peek : public TFileFormatWriter {
    public:
        Peek(const TPixelGraphic** Seen, TColor* Corner)
            : TFileFormatWriter("TPeek", "pk", "Peek", {cr16MillionColors}), seen_(Seen), corner_(Corner) {}
        void Save(QIODevice&, TPixelGraphic& Graphic, const SaveOptions&) const override
        {
            *seen_ = &Graphic;
            *corner_ = Graphic.GetPixelColor(4, 2);
        }
        const TPixelGraphic** seen_;
        TColor* corner_;
    };
    FormatRegistry peek;
    peek.AddWriter(std::make_unique<Peek>(&seen, &corner));
    peek.Freeze();
    save(*image, peek, "pk");
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(corner, image->GetPixelColor(4, 2));
}

TEST_F(LoadSave, ConversionModes)
{
    const QString question = "The graphic cannot be saved to a Fake file with the current color resolution "
                             "(256 colors).\r\rThe graphic will be saved with a different color resolution "
                             "(16.7 million colors).";
    const QString refusal = "The graphic cannot be saved with to a Fake file with the current color resolution "
                            "(256 colors)";
    auto r = writerFor({cr16MillionColors});
    auto image = MakePatternImage(4, 4, bcn8Bit);
    image->SetPaletteIdent(pSpecial216);
    image->SetPromptService(&prompts);

    // 0: no word.
    image->SetColorResConversion(crcConvert);
    EXPECT_EQ(save(*image, *r), "FAKE");
    EXPECT_TRUE(prompts.calls().isEmpty());

    // 1: told, then converted.
    image->SetColorResConversion(crcTellAndConvert);
    EXPECT_EQ(save(*image, *r), "FAKE");
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.lastPrompt().text, question);
    EXPECT_EQ(prompts.lastPrompt().icon, platform::PromptIcon::Warning);
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::Ok);

    // 2: asked; OK converts, Cancel refuses and writes nothing.
    prompts.clear();
    image->SetColorResConversion(crcAsk);
    prompts.answer(platform::mrOk);
    EXPECT_EQ(save(*image, *r), "FAKE");
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::OkCancel);
    EXPECT_EQ(prompts.lastPrompt().text, question);
    written = {};
    prompts.answer(platform::mrCancel);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_PG_THROW(SaveGraphicToStream(*image, *r, out, "fak"), EPGCannotWriteColorRes, refusal);
    EXPECT_EQ(written.calls, 0);
    EXPECT_TRUE(out.data().isEmpty());

    // 3: refused without a question.
    prompts.clear();
    image->SetColorResConversion(crcRefuse);
    EXPECT_PG_THROW(save(*image, *r), EPGCannotWriteColorRes, refusal);
    EXPECT_TRUE(prompts.calls().isEmpty());

    // Any other value converts.
    image->SetColorResConversion(TColorResConversion(9));
    EXPECT_EQ(save(*image, *r), "FAKE");
}

TEST_F(LoadSave, WithNobodyToAskTheQuestionRefuses)
{
    auto r = writerFor({cr16MillionColors});
    auto image = MakePatternImage(4, 4, bcn8Bit);
    image->SetPaletteIdent(pSpecial216);
    image->SetColorResConversion(crcAsk);
    EXPECT_THROW(save(*image, *r), EPGCannotWriteColorRes); // no prompt service at all

    // Off the user-interface thread a service is not asked: mode 2 refuses, mode 1 converts.
    image->SetPromptService(&prompts);
    prompts.answer(platform::mrOk);
    bool refused = false;
    std::thread([&] {
        try {
            save(*image, *r);
        } catch (const EPGCannotWriteColorRes&) {
            refused = true;
        }
    }).join();
    EXPECT_TRUE(refused);
    image->SetColorResConversion(crcTellAndConvert);
    QByteArray saved;
    std::thread([&] { saved = save(*image, *r); }).join();
    EXPECT_EQ(saved, "FAKE");
    EXPECT_TRUE(prompts.calls().isEmpty());
}

TEST_F(LoadSave, WriterFailures)
{
    auto image = MakePatternImage(2, 2, bcn24Bit);
    FormatRegistry noWriters;
    EXPECT_PG_THROW(save(*image, noWriters), EPGFileFormatWritersEmpty, "FileFormatWriters is empty");
    auto r = writerFor({cr16MillionColors});
    EXPECT_PG_THROW(save(*image, *r, ".XYZ"), EPGUnknownExtension, "Unknown file extension \"xyz\"");
    EXPECT_EQ(save(*image, *r, ".FAK"), "FAKE");
    FormatRegistry empty;
    empty.AddWriter(std::make_unique<FakeWriter>("fak", ColorResolutionSet{}, &written, "TEmptyWriter"));
    empty.Freeze();
    EXPECT_PG_THROW(save(*image, empty), EPGCanWriteResolutionsEmpty, "TEmptyWriter.CanWriteResolutions is empty");
}

TEST_F(LoadSave, AnImageWithoutPixelMemoryReachesNoWriter)
{
    TPixelGraphic sizeOnly;
    EXPECT_THROW(sizeOnly.Allocate(70000, 70000, bcn24Bit), EPixelGraphic);
    ASSERT_TRUE(sizeOnly.Empty());
    for (const char* extension : {"bmp", "jpg", "png", "tga", "ppm", "tif"}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_PG_THROW(sizeOnly.SaveToStreamAs(buffer, extension), EPixelGraphic, "Image is empty");
        EXPECT_TRUE(buffer.data().isEmpty()) << extension;
    }
}

TEST_F(LoadSave, SavingNeverDestroysAGoodFile)
{
    TempFolder folder;
    const QString target = folder.write("picture.fak", "old picture");
    FakeWriter* writer = nullptr;
    auto r = writerFor({cr16MillionColors}, &writer);
    auto image = MakePatternImage(3, 3, bcn24Bit);

    writer->failAfterWriting = true;
    EXPECT_PG_THROW(SaveGraphicToFile(*image, *r, target), EPixelGraphic, "Fake: disk on fire");
    EXPECT_EQ(readAll(target), "old picture");

    auto gray = MakePatternImage(3, 3, bcn8Bit);
    gray->SetPaletteIdent(pSpecial216);
    gray->SetColorResConversion(crcRefuse);
    EXPECT_THROW(SaveGraphicToFile(*gray, *r, target), EPGCannotWriteColorRes);
    EXPECT_EQ(readAll(target), "old picture");

    const QString fresh = folder.file("fresh.fak");
    EXPECT_THROW(SaveGraphicToFile(*image, *r, fresh), EPixelGraphic);
    EXPECT_FALSE(QFileInfo::exists(fresh));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"picture.fak"})); // no temporary left

    writer->failAfterWriting = false;
    SaveGraphicToFile(*image, *r, target);
    EXPECT_EQ(readAll(target), "FAKE");

    // A folder that cannot exist (under a regular file): the failure names the path.
    try {
        SaveGraphicToFile(*image, *r, target + "/inside.fak");
        ADD_FAILURE() << "saved under a file";
    } catch (const EPixelGraphic& e) {
        EXPECT_TRUE(e.Message().contains("inside.fak")) << e.Message().toStdString();
    }
}

TEST_F(LoadSave, LoadResetsTheImageAndRecognisesThePalette)
{
    auto gray = MakePatternImage(3, 2, bcn8Bit);
    gray->SetPaletteCount(256);
    for (int i = 0; i < 256; ++i)
        gray->SetPaletteEntry(i, RGBColor(i, i, i)); // pUnknown until recognised
    fakeReader->source = gray.get();
    TPixelGraphic image;
    image.Allocate(7, 7, bcn4Bit);
    image.SetPaletteIdent(pSys16);
    int changes = 0;
    image.SetOnChange([&](PGObject*) { ++changes; });
    load(image);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(image.PaletteIdent(), pGray256);
    EXPECT_TRUE(image.PaletteAllGray());
    EXPECT_TRUE(SamePixels(image, *gray));

    fakeReader->fails = true;
    changes = 0;
    EXPECT_PG_THROW(load(image), EPixelGraphic, "Fake: broken");
    EXPECT_EQ(changes, 1); // the update ends also on failure
    EXPECT_EQ(image.UpdateCount(), 0);
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.BitCountNum(), 3);
    EXPECT_EQ(image.PaletteIdent(), pTrueColor);

    QBuffer unknown;
    unknown.setData("??");
    unknown.open(QIODevice::ReadOnly);
    EXPECT_PG_THROW(LoadGraphic(image, registry, unknown, "fak", 0), EPGUnknownFileFormat, "Unknown file format");
}

TEST_F(LoadSave, AChangeHandlerThatRaisesIsHeardAfterTheLoad)
{
    auto source = MakePatternImage(2, 2, bcn24Bit);
    fakeReader->source = source.get();
    TPixelGraphic image;
    image.SetOnChange([](PGObject*) { throw std::runtime_error("handler"); });
    EXPECT_THROW(load(image), std::runtime_error); // not a terminated program
    EXPECT_EQ(image.UpdateCount(), 0);
    EXPECT_TRUE(SamePixels(image, *source));
    // A failed load reports its own failure, not the handler's.
    fakeReader->fails = true;
    EXPECT_PG_THROW(load(image), EPixelGraphic, "Fake: broken");
    EXPECT_EQ(image.UpdateCount(), 0);
}

TEST_F(LoadSave, GammaIsCorrectedBeyondFivePercent)
{
    auto source = MakePatternImage(2, 1, bcn24Bit);
    source->SetPixel(0, 0, RGBColor(128, 0, 255));
    source->SetPixel(1, 0, RGBColor(64, 200, 1));
    fakeReader->source = source.get();
    TPixelGraphic image;

    fakeReader->gamma = 2.2L * 1.04L;
    load(image);
    EXPECT_EQ(image.GetPixel(0, 0), RGBColor(128, 0, 255));
    EXPECT_EQ(image.Gamma(), 2.2L * 1.04L); // not corrected: the file's gamma stays

    // 255 * (v / 255)^1.06, rounded half to even: 128 -> 123, 64 -> 59, 200 -> 197, 1 -> 1.
    fakeReader->gamma = 2.2L * 1.06L;
    load(image);
    EXPECT_EQ(image.GetPixel(0, 0), RGBColor(123, 0, 255));
    EXPECT_EQ(image.GetPixel(1, 0), RGBColor(59, 197, 1));
    EXPECT_EQ(image.Gamma(), 2.2L);

    PixelGraphicGammaCorrection = false;
    load(image);
    EXPECT_EQ(image.GetPixel(0, 0), RGBColor(128, 0, 255));
    EXPECT_EQ(image.Gamma(), 2.2L * 1.06L);
    PixelGraphicGammaCorrection = true;
}

TEST_F(LoadSave, PaletteGammaAndAbsurdGamma)
{
    auto source = MakePatternImage(2, 1, bcn4Bit);
    source->SetPaletteEntry(3, RGBColor(128, 64, 200));
    fakeReader->source = source.get();
    TPixelGraphic image;
    fakeReader->gamma = 2.2L * 1.06L;
    load(image);
    EXPECT_EQ(image.GetPaletteEntry(3), RGBColor(123, 59, 197));
    EXPECT_EQ(image.GetPaletteEntry(0), 0u);

    for (long double absurd : {0.0L, -2.2L, 1e6L, std::numeric_limits<long double>::infinity(),
                               std::numeric_limits<long double>::quiet_NaN()}) {
        fakeReader->gamma = absurd;
        load(image);
        EXPECT_EQ(image.GetPaletteEntry(3), RGBColor(128, 64, 200)) << double(absurd);
        EXPECT_EQ(image.Gamma(), 2.2L);
    }
}

TEST_F(LoadSave, OnlyPlainFilesAreOpenedForReading)
{
    TempFolder folder;
    TPixelGraphic image;
    const QString pipe = MakeFifo(folder.file("pipe.bmp"));
    const struct { QString path; const char* reason; } refused[] = {
        {folder.file("missing.bmp"), "No such file or directory"},
        {folder.mkdir("folder.bmp"), "Is a directory"},
        {pipe, "Invalid argument"}, // a FIFO without a writer would block a plain open for good
    };
    for (const auto& r : refused) {
        QString message;
        EXPECT_TRUE(ReturnsWithoutWaitingOn(pipe, [&] {
            try {
                image.LoadFromFile(r.path);
            } catch (const EPixelGraphic& e) {
                message = e.Message();
            }
        }));
        EXPECT_EQ(message, "Cannot open file \"" + r.path + "\". " + r.reason);
    }
    const QString path = folder.write("pic.bmp", FormatExampleTrueColorBmp());
    image.LoadFromFileIndex(path, 0);
    EXPECT_EQ(image.Width(), 3);
}

TEST_F(LoadSave, DataIsACountThenABitmap)
{
    auto image = MakePatternImage(5, 3, bcn4Bit);
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    stream.write("xy");
    image->WriteData(stream);
    stream.write("tail");
    const QByteArray data = stream.data();
    const std::uint32_t count = std::uint8_t(data[2]) | std::uint8_t(data[3]) << 8 | std::uint8_t(data[4]) << 16
                                | std::uint32_t(std::uint8_t(data[5])) << 24;
    EXPECT_EQ(count, std::uint32_t(data.size() - 2 - 4 - 4));
    EXPECT_EQ(std::int64_t(count), image->DataSize() - 4);
    EXPECT_EQ(data.mid(6, 2), "BM");

    TPixelGraphic back;
    stream.seek(2);
    back.ReadData(stream);
    EXPECT_EQ(stream.pos(), 6 + qint64(count));
    EXPECT_TRUE(SamePixels(back, *image));

    QBuffer shortStream;
    shortStream.setData(data.left(40));
    shortStream.open(QIODevice::ReadOnly);
    shortStream.seek(2);
    EXPECT_PG_THROW(back.ReadData(shortStream), EPGBMPFileFormatReader, "BMP: Unexpected end of file");
}

TEST_F(LoadSave, ClipboardHoldsAPackedBitmap)
{
    auto image = MakePatternImage(6, 2, bcn8Bit);
    std::uint16_t format = 0;
    QByteArray data;
    std::uintptr_t palette = 99;
    image->SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, 8);
    EXPECT_EQ(palette, 0u);
    EXPECT_EQ(data.size(), 40 + 256 * 4 + image->ImageSize());
    EXPECT_EQ(data.left(4), QByteArray::fromHex("28000000"));

    for (std::uint16_t accepted : {std::uint16_t(2), std::uint16_t(8)}) {
        TPixelGraphic back;
        back.LoadFromClipboardFormat(accepted, &data, 0);
        EXPECT_TRUE(SamePixels(back, *image));
        EXPECT_EQ(back.PaletteIdent(), pGray256);
    }
    TPixelGraphic back;
    EXPECT_PG_THROW(back.LoadFromClipboardFormat(3, &data, 0), EPGUnknownClipboardFormat, "Unknown clipboard format");
    EXPECT_PG_THROW(back.LoadFromClipboardFormat(8, nullptr, 0), EPGUnknownClipboardFormat, "Unknown clipboard format");
}

TEST_F(LoadSave, GraphicsPassThroughABitmap)
{
    auto image = MakePatternImage(7, 5, bcn4Bit);
    TPixelGraphic copy;
    copy.LoadFromGraphic(*image);
    EXPECT_TRUE(SamePixels(copy, *image));
    EXPECT_EQ(copy.PaletteIdent(), pSys16);
    TPixelGraphic other;
    image->CopyToGraphic(other);
    EXPECT_TRUE(SamePixels(other, *image));
}

TEST_F(LoadSave, SaveToStreamIsAlwaysAnUnconvertedBitmap)
{
    auto image = MakePatternImage(3, 2, bcn1Bit);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image->SaveToStream(buffer);
    const QByteArray data = buffer.data();
    EXPECT_EQ(data.left(2), "BM");
    EXPECT_EQ(std::uint8_t(data[28]), 1); // bit count
}

// A preview thread loads while the user-interface thread does: the shared registry, readers
// and writers keep nothing of a call.
TEST_F(LoadSave, ConcurrentLoadsAndSavesAgree)
{
    auto photo = MakePatternImage(120, 80, bcn24Bit);
    auto drawing = MakePatternImage(90, 60, bcn4Bit);
    const QByteArray jpeg = SaveAs(*photo, "jpg");
    const QByteArray bmp = SaveAs(*drawing, "bmp");
    TPixelGraphic jpegAlone, bmpAlone;
    LoadBytes(jpegAlone, jpeg);
    LoadBytes(bmpAlone, bmp);
    std::atomic<int> mismatches = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                TPixelGraphic a, b;
                LoadBytes(a, jpeg);
                LoadBytes(b, bmp);
                if (!SamePixels(a, jpegAlone) || !SamePixels(b, bmpAlone) || SaveAs(a, "jpg") != SaveAs(jpegAlone, "jpg"))
                    ++mismatches;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}

} // namespace
