#include "fixtures.h"
#include "imagingtest.h"

#include "imaging/fileformats.h"
#include "imaging/pglibrary.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"

#include "fifo.h"
#include "tempfolder.h"

#include <QBuffer>
#include <QMap>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

// A reader of the tests' own: a signature of a few leading bytes, or none.
class FakeReader : public TFileFormatReader {
public:
    FakeReader(QString Extension, QByteArray Magic, QString Name = QStringLiteral("TFakeReader"))
        : TFileFormatReader(std::move(Name), std::move(Extension), QStringLiteral("Fake"), !Magic.isEmpty()),
          magic_(std::move(Magic))
    {
    }
    bool CheckSignature(const SignatureProbe& Header) const override
    {
        if (seen)
            *seen = Header;
        if (throws)
            throw std::runtime_error("broken signature test");
        for (qsizetype i = 0; i < magic_.size(); ++i)
            if (Header[std::size_t(i)] != std::uint8_t(magic_[i]))
                return false;
        return true;
    }
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override
    {
        TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
        Stream.read(5); // moves the stream; the lookup puts it back
        if (throws)
            throw std::runtime_error("broken info");
        Info.Width = 7;
    }
    SignatureProbe* seen = nullptr; // where the test wants the probe
    bool throws = false;

private:
    QByteArray magic_;
};

class FakeWriter : public TFileFormatWriter {
public:
    explicit FakeWriter(QString Extension)
        : TFileFormatWriter(QStringLiteral("TFakeWriter"), std::move(Extension), QStringLiteral("Fake"),
                            ColorResolutionSet::All())
    {
    }
};

QStringList extensionsOf(auto list)
{
    QStringList out;
    for (const auto* item : list)
        out << item->Extension();
    return out;
}

QBuffer* openBuffer(QBuffer& buffer, const QByteArray& data)
{
    buffer.close();
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return &buffer;
}

TEST(FileFormats, LowerExtensionIsTakenAfterTheLastSeparator)
{
    const struct { const char* name; const char* extension; } cases[] = {
        {"a.BMP", "bmp"},          {"photo.tar.GZ", "gz"},      {".bmp", "bmp"},
        {"name.", ""},             {"name", ""},                {"", ""},
        {"dir.d/file", ""},        {"dir.d\\file", ""},         {"c:file", ""},
        {"dir/.hidden.PNG", "png"}, {"a:b.Jpg", "jpg"},          {"x.jpg:stream", ""},
        {"/home/u/pics.2024/img", ""}, {"/home/u/img.JPEG", "jpeg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetLowerExtension(QString::fromUtf8(c.name)), QString::fromUtf8(c.extension)) << c.name;
}

TEST(FileFormats, ExtensionsCompareByLowerCaseBytes)
{
    EXPECT_EQ(CompareFileFormatExtensions("bmp", "BMP"), 0);
    EXPECT_EQ(CompareFileFormatExtensions("bmp", "dib"), -1);
    EXPECT_EQ(CompareFileFormatExtensions("jpg", "jpeg"), 1);
    EXPECT_EQ(CompareFileFormatExtensions("tif", "tiff"), -1);
    EXPECT_EQ(CompareFileFormatExtensions("", "a"), -1);
}

TEST(FileFormats, FreezingSortsOnceAndKeepsRegistrationOrderOfEqualExtensions)
{
    FormatRegistry registry;
    registry.AddReader(std::make_unique<FakeReader>("png", "P"));
    registry.AddReader(std::make_unique<FakeReader>("gif", "G", "TFirstGIF"));
    registry.AddReader(std::make_unique<FakeReader>("bmp", "B"));
    registry.AddReader(std::make_unique<FakeReader>("gif", "G", "TSecondGIF"));
    registry.AddWriter(std::make_unique<FakeWriter>("tga"));
    registry.AddWriter(std::make_unique<FakeWriter>("bmp"));
    registry.Freeze();
    EXPECT_EQ(extensionsOf(registry.Readers()), QStringList({"bmp", "gif", "gif", "png"}));
    EXPECT_EQ(registry.Readers()[1]->ClassName(), "TFirstGIF");
    EXPECT_EQ(registry.Readers()[2]->ClassName(), "TSecondGIF");
    EXPECT_EQ(extensionsOf(registry.Writers()), QStringList({"bmp", "tga"}));
    EXPECT_THROW(registry.AddReader(std::make_unique<FakeReader>("pcx", "")), std::logic_error);
    // The first of two signature readers that both accept wins.
    QBuffer buffer;
    EXPECT_EQ(FindFileFormatReader(registry, *openBuffer(buffer, "GIF89a"), "")->ClassName(), "TFirstGIF");
}

TEST(FileFormats, ASortedListIsLeftAsItIs)
{
    FormatRegistry registry;
    registry.AddReader(std::make_unique<FakeReader>("a", "1", "TA"));
    registry.AddReader(std::make_unique<FakeReader>("A", "2", "TUpperA"));
    registry.AddReader(std::make_unique<FakeReader>("b", "3", "TB"));
    registry.Freeze();
    EXPECT_EQ(registry.Readers()[0]->ClassName(), "TA");
    EXPECT_EQ(registry.Readers()[1]->ClassName(), "TUpperA");
}

TEST(FileFormats, ReadersWithoutSignatureAreFoundByExtensionOnly)
{
    FormatRegistry registry;
    registry.AddReader(std::make_unique<FakeReader>("pcx", QByteArray(), "TPCX"));
    registry.AddReader(std::make_unique<FakeReader>("bmp", "BM", "TBMP"));
    registry.Freeze();
    const QByteArray pcx = QByteArray::fromHex("0A0501");
    QBuffer buffer;
    for (const char* extension : {"pcx", "PCX", ".Pcx"})
        EXPECT_EQ(FindFileFormatReader(registry, *openBuffer(buffer, pcx), extension), registry.Readers()[1])
            << extension;
    EXPECT_EQ(FindFileFormatReader(registry, *openBuffer(buffer, pcx), "tga"), nullptr);
    EXPECT_EQ(FindFileFormatReader(registry, *openBuffer(buffer, pcx), ""), nullptr);
    // A signature reader is never chosen by its extension alone.
    EXPECT_EQ(FindFileFormatReader(registry, *openBuffer(buffer, "not a bitmap"), "bmp"), nullptr);
    // And a signature beats the extension.
    EXPECT_EQ(FindFileFormatReader(registry, *openBuffer(buffer, "BM...."), "pcx")->ClassName(), "TBMP");
}

TEST(FileFormats, TheProbeIsZeroFilledAndTheStreamPutBack)
{
    FormatRegistry registry;
    auto reader = std::make_unique<FakeReader>("xyz", "AB");
    SignatureProbe seen;
    seen.fill(0xEE);
    reader->seen = &seen;
    registry.AddReader(std::move(reader));
    registry.Freeze();
    QBuffer buffer;
    openBuffer(buffer, "..AB");
    buffer.seek(2);
    EXPECT_NE(FindFileFormatReader(registry, buffer, ""), nullptr);
    EXPECT_EQ(buffer.pos(), 2);
    SignatureProbe expected{};
    expected[0] = 'A';
    expected[1] = 'B';
    EXPECT_EQ(seen, expected);
}

TEST(FileFormats, TheProbeReadsOnThroughShortReads)
{
    FormatRegistry registry;
    registry.AddReader(std::make_unique<FakeReader>("xyz", "0123456789ABCDEFG"));
    registry.Freeze();
    ChunkedDevice device("0123456789ABCDEFGH", {1});
    EXPECT_NE(FindFileFormatReader(registry, device, ""), nullptr);
    EXPECT_EQ(device.pos(), 0);
}

TEST(FileFormats, LookupsNeverRaise)
{
    FormatRegistry registry;
    auto reader = std::make_unique<FakeReader>("xyz", "AB");
    reader->throws = true;
    registry.AddReader(std::move(reader));
    registry.Freeze();
    QBuffer buffer;
    EXPECT_EQ(FindFileFormatReader(registry, *openBuffer(buffer, "AB"), "xyz"), nullptr);
    QString description = "old";
    GraphicFileInfo info;
    info.Width = 99;
    EXPECT_FALSE(ReadStreamFileInfo(registry, *openBuffer(buffer, "AB"), "xyz", 0, description, info));
    EXPECT_EQ(description, "");
    EXPECT_EQ(info.Width, 0);
    FormatRegistry empty;
    EXPECT_EQ(FindFileFormatReader(empty, *openBuffer(buffer, "AB"), "xyz"), nullptr);
}

TEST(FileFormats, FileInformationPutsTheStreamBack)
{
    FormatRegistry registry;
    registry.AddReader(std::make_unique<FakeReader>("xyz", "AB"));
    registry.Freeze();
    QBuffer buffer;
    openBuffer(buffer, "AB0123456789");
    QString description;
    GraphicFileInfo info;
    ASSERT_TRUE(ReadStreamFileInfo(registry, buffer, "", 0, description, info));
    EXPECT_EQ(description, "Fake");
    EXPECT_EQ(info.Width, 7);
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_EQ(buffer.pos(), 0);
}

class LibraryFormats : public LibraryTest {};

TEST_F(LibraryFormats, StartRegistersTheBuiltInFormatsSorted)
{
    // Every coder the library registers, by class name: extension, description, and for readers
    // whether they take part in the signature probe.
    const struct { const char* name; const char* ext; const char* description; bool signature; } known[] = {
        {"TBMPFileFormatReader", "bmp", "Bitmap", true},
        {"TDIBFileFormatReader", "dib", "Bitmap", true},
        {"TRLEFileFormatReader", "rle", "Bitmap", true},
        {"TJPGFileFormatReader", "jpg", "JPEG (JFIF compliant)", true},
        {"TJPEGFileFormatReader", "jpeg", "JPEG (JFIF compliant)", true},
        {"TJIFFileFormatReader", "jif", "JPEG (JFIF compliant)", true},
        {"TPNGFileFormatReader", "png", "Portable Network Graphics", true},
        {"TPCXFileFormatReader", "pcx", "Paintbrush", false},
        {"TPBMFileFormatReader", "pbm", "Portable Bitmap", true},
        {"TPGMFileFormatReader", "pgm", "Portable Graymap", true},
        {"TPPMFileFormatReader", "ppm", "Portable Pixelmap", true},
        {"TTGAFileFormatReader", "tga", "Truevision Targa", false},
        {"TTIFFileFormatReader", "tif", "Tagged Image File Format", true},
        {"TTIFFFileFormatReader", "tiff", "Tagged Image File Format", true},
        {"tWMFFileFormatReader", "wmf", "Windows Metafile", true},
        {"tEMFFileFormatReader", "emf", "Enhanced Metafile", true},
        {"tIcoFileFormatReader", "ico", "Windows Icon", true},
        {"TGIFFileFormatReader", "gif", "GIF-Format", true},
        {"tGifFileFormatReader", "gif", "GIF", true},
        {"TBMPFileFormatWriter", "bmp", "Bitmap", false},
        {"TDIBFileFormatWriter", "dib", "Bitmap", false},
        {"TJPGFileFormatWriter", "jpg", "JPEG (JFIF compliant)", false},
        {"TJPEGFileFormatWriter", "jpeg", "JPEG (JFIF compliant)", false},
        {"TJIFFileFormatWriter", "jif", "JPEG (JFIF compliant)", false},
        {"TPNGFileFormatWriter", "png", "Portable Network Graphics", false},
        {"TPBMFileFormatWriter", "pbm", "Portable Bitmap", false},
        {"TPGMFileFormatWriter", "pgm", "Portable Graymap", false},
        {"TPPMFileFormatWriter", "ppm", "Portable Pixelmap", false},
        {"TTGAFileFormatWriter", "tga", "Truevision Targa", false},
        {"TTIFFileFormatWriter", "tif", "Tagged Image File Format", false},
        {"TTIFFFileFormatWriter", "tiff", "Tagged Image File Format", false},
        {"TGIFFileFormatWriter", "gif", "GIF-Format", false},
    };
    auto expect = [&](const TFileFormatReaderWriter* coder, std::optional<bool> signature) {
        const auto* entry = std::find_if(std::begin(known), std::end(known),
                                         [&](const auto& k) { return coder->ClassName() == k.name; });
        ASSERT_NE(entry, std::end(known)) << coder->ClassName().toStdString();
        EXPECT_EQ(coder->Extension(), entry->ext) << entry->name;
        EXPECT_EQ(coder->Description(), entry->description) << entry->name;
        EXPECT_TRUE(coder->Enabled()) << entry->name;
        if (signature) {
            EXPECT_EQ(*signature, entry->signature) << entry->name;
        }
    };
    QStringList registered, expected;
    for (const TFileFormatReader* reader : FileFormatReaders()) {
        expect(reader, reader->HasSignature());
        registered << reader->ClassName();
    }
    for (const TFileFormatWriter* writer : FileFormatWriters()) {
        expect(writer, std::nullopt);
        registered << writer->ClassName();
    }
    // Every coder registered, and each once.
    for (const auto& k : known)
        expected << k.name;
    registered.sort();
    expected.sort();
    EXPECT_EQ(registered, expected);
    for (const QStringList& list : {extensionsOf(FileFormatReaders()), extensionsOf(FileFormatWriters())}) {
        QStringList sorted = list;
        std::stable_sort(sorted.begin(), sorted.end());
        EXPECT_EQ(list, sorted);
    }
    // Each coder registered once, none missing.
    QStringList names;
    for (const TFileFormatReader* reader : FileFormatReaders())
        names << reader->ClassName();
    for (const TFileFormatWriter* writer : FileFormatWriters())
        names << writer->ClassName();
    for (const auto& k : known)
        EXPECT_EQ(names.count(QLatin1String(k.name)), 1) << k.name;
    const QMap<QString, ColorResolutionSet> resolutions = {
        {"jpg", {cr256Grays, cr16MillionColors}},
        {"tif", {crBlackWhite, cr16Grays, cr16SystemColors, cr16Colors, cr256Grays, cr256Colors, cr16MillionColors}},
    };
    for (const TFileFormatWriter* writer : FileFormatWriters()) {
        const QString extension = writer->Extension() == "tiff" ? "tif" : writer->Extension();
        if (resolutions.contains(extension)) {
            EXPECT_EQ(writer->CanWriteResolutions(), resolutions[extension]) << extension.toStdString();
        }
    }
    EXPECT_EQ(FileFormatWriters()[0]->ClassName(), "TBMPFileFormatWriter");
}

TEST_F(LibraryFormats, StartAndStopNest)
{
    const std::size_t readers = FileFormatReaders().size();
    ASSERT_GT(readers, 0u);
    InitPGraphic();
    DonePGraphic();
    EXPECT_TRUE(PGraphicStarted());
    EXPECT_EQ(FileFormatReaders().size(), readers);
    DonePGraphic();
    EXPECT_FALSE(PGraphicStarted());
    EXPECT_TRUE(FileFormatReaders().empty());
    TPixelGraphic image;
    image.Allocate(1, 1, bcn24Bit);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_PG_THROW(image.SaveToStreamAs(buffer, "bmp"), EPGFileFormatWritersEmpty, "FileFormatWriters is empty");
    EXPECT_PG_THROW(LoadBytes(image, FormatExampleTrueColorBmp()), EPGUnknownFileFormat, "Unknown file format");
    InitPGraphic(); // for TearDown
}

TEST_F(LibraryFormats, StartPutsTheSettingsBack)
{
    DonePGraphic();
    PixelGraphicJPEGQuality = 12;
    PixelGraphicJPEGProgressive = true;
    PGLanguage = 3;
    InitPGraphic();
    EXPECT_EQ(PixelGraphicJPEGQuality, 80);
    EXPECT_FALSE(PixelGraphicJPEGProgressive);
    EXPECT_EQ(PGLanguage, 0);
    EXPECT_EQ(PixelGraphicDefaultGamma, 2.2L);
    EXPECT_EQ(PixelGraphicInfoFont.FaceName, "MS Sans Serif");
    EXPECT_EQ(PixelGraphicInfoFont.Height, 8);
}

TEST_F(LibraryFormats, ADotBmpFileThatIsNoBitmapFindsNoReader)
{
    TempFolder folder;
    const QString path = folder.write(".bmp", "no image at all"); // no signature claims it
    TPixelGraphic image;
    EXPECT_PG_THROW(image.LoadFromFile(path), EPGUnknownFileFormat, "Unknown file format");
}

TEST_F(LibraryFormats, GraphicFileInformation)
{
    TempFolder folder;
    const QString path = folder.write("pic.dat", FormatExampleTrueColorBmp());
    QString description;
    GraphicFileInfo info;
    ASSERT_TRUE(ReadGraphicFileInfo(path, 0, description, info));
    EXPECT_EQ(description, "Bitmap");
    EXPECT_EQ(info.SubFormat, "Windows, RGB");
    EXPECT_EQ(info.Width, 3);
    EXPECT_EQ(info.Height, 2);
    EXPECT_EQ(info.ColorsText, "16.7M");
    EXPECT_EQ(info.BitsPerPixel, 24);
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_FALSE(ReadGraphicFileInfo(folder.file("missing.bmp"), 0, description, info));
    EXPECT_EQ(description, "");
    EXPECT_FALSE(ReadGraphicFileInfo(folder.path(), 0, description, info));
    EXPECT_FALSE(ReadGraphicFileInfo("", 0, description, info));
    const QString pipe = MakeFifo(folder.file("pipe.bmp"));
    bool read = true;
    EXPECT_TRUE(ReturnsWithoutWaitingOn(pipe, [&] { read = ReadGraphicFileInfo(pipe, 0, description, info); }));
    EXPECT_FALSE(read);
    // An index past the file's images is a failure, not an exception.
    EXPECT_FALSE(ReadGraphicFileInfo(path, 1, description, info));
}

TEST(ClampTable, ClampsToAByte)
{
    const auto table = ClampTable();
    EXPECT_EQ(table[0], 0);           // -510
    EXPECT_EQ(table[509], 0);         // -1
    EXPECT_EQ(table[510], 0);         // 0
    EXPECT_EQ(table[510 + 128], 128);
    EXPECT_EQ(table[510 + 255], 255);
    EXPECT_EQ(table[510 + 256], 255);
    EXPECT_EQ(table[1020], 255);      // 510
}

} // namespace
