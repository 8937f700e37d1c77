#include "imagingtest.h"

#include "imaging/fileformats.h"
#include "imaging/pgmessages.h"
#include "imaging/readerfilter.h"

#include <QStringList>

#include <map>

namespace {

class NamedReader : public TFileFormatReader {
public:
    NamedReader(QString Extension, QString Description, bool Enabled = true)
        : TFileFormatReader(QStringLiteral("TNamedReader"), std::move(Extension), std::move(Description), false)
    {
        SetEnabled(Enabled);
    }
};

struct ReaderSpec {
    const char* extension;
    const char* description;
};

// Every format, in the order the library registers them: its own readers, then the GIF
// adapter, the metafiles, the second GIF reader and the icons.
const ReaderSpec kEveryFormat[] = {
    {"bmp", "Bitmap"},   {"dib", "Bitmap"},   {"rle", "Bitmap"},  {"jpg", "JPEG"},      {"jpeg", "JPEG"},
    {"jif", "JPEG"},     {"png", "PNG"},      {"pcx", "PCX"},     {"pbm", "Bitmap P1"}, {"pgm", "Graymap"},
    {"ppm", "Pixmap"},   {"tga", "Targa"},    {"tif", "TIFF"},    {"tiff", "TIFF"},     {"gif", "GIF first"},
    {"wmf", "Metafile"}, {"emf", "Enhanced"}, {"gif", "GIF second"}, {"ico", "Icon"},
};

void fill(FormatRegistry& registry, std::initializer_list<NamedReader*> readers)
{
    for (NamedReader* reader : readers)
        registry.AddReader(std::unique_ptr<TFileFormatReader>(reader));
}

TEST(ReaderFilter, EveryFormatSortedWithBothGifReaders)
{
    FormatRegistry registry;
    for (const ReaderSpec& spec : kEveryFormat)
        registry.AddReader(std::make_unique<NamedReader>(spec.extension, spec.description));
    registry.Freeze();
    EXPECT_EQ(BuildDefaultFilter(registry),
              "Image files|*.bmp; *.dib; *.emf; *.gif; *.gif; *.ico; *.jif; *.jpeg; *.jpg; *.pbm; *.pcx; *.pgm; "
              "*.png; *.ppm; *.rle; *.tga; *.tif; *.tiff; *.wmf|"
              "BMP - Bitmap|*.bmp|DIB - Bitmap|*.dib|EMF - Enhanced|*.emf|GIF - GIF first|*.gif|"
              "GIF - GIF second|*.gif|ICO - Icon|*.ico|JIF - JPEG|*.jif|JPEG - JPEG|*.jpeg|JPG - JPEG|*.jpg|"
              "PBM - Bitmap P1|*.pbm|PCX - PCX|*.pcx|PGM - Graymap|*.pgm|PNG - PNG|*.png|PPM - Pixmap|*.ppm|"
              "RLE - Bitmap|*.rle|TGA - Targa|*.tga|TIF - TIFF|*.tif|TIFF - TIFF|*.tiff|WMF - Metafile|*.wmf|"
              "All files|*.*");
    EXPECT_EQ(GetEnabledReaderCount(registry), 19);

    // Filter entries count from 1; entry 1 is all image files, the last all files.
    const struct { int index; const char* extension; } entries[] = {
        {0, ""}, {1, ""}, {2, "bmp"}, {5, "gif"}, {6, "gif"}, {10, "jpg"}, {20, "wmf"}, {21, ""}, {-3, ""},
    };
    for (const auto& entry : entries)
        EXPECT_EQ(GetEnabledReaderExtension(entry.index, registry), entry.extension) << entry.index;
}

TEST(ReaderFilter, DisabledReadersAreLeftOutAndNoneLeavesAllFiles)
{
    FormatRegistry some;
    // Registered out of order and not frozen: the filter sorts for itself.
    fill(some, {new NamedReader("PNG", "Portable"), new NamedReader("bmp", "Bitmap", false),
                new NamedReader("gif", "GIF")});
    EXPECT_EQ(BuildDefaultFilter(some), "Image files|*.gif; *.png|GIF - GIF|*.gif|PNG - Portable|*.png|All files|*.*");
    EXPECT_EQ(GetEnabledReaderCount(some), 2);
    EXPECT_EQ(GetEnabledReaderExtension(2, some), "gif");
    EXPECT_EQ(GetEnabledReaderExtension(3, some), "png");
    EXPECT_EQ(GetFileFormatReaders(some).size(), 3u);

    FormatRegistry none;
    EXPECT_EQ(BuildDefaultFilter(none), "All files|*.*");
    FormatRegistry disabled;
    fill(disabled, {new NamedReader("bmp", "Bitmap", false)});
    EXPECT_EQ(BuildDefaultFilter(disabled), "All files|*.*");
    EXPECT_EQ(GetEnabledReaderCount(disabled), 0);
    EXPECT_EQ(GetEnabledReaderExtension(2, disabled), "");

    // The two texts are the library's messages, in its language.
    PGLanguage = 1;
    EXPECT_EQ(BuildDefaultFilter(some).left(12), "Bilddateien|");
    EXPECT_EQ(BuildDefaultFilter(none), "Alle Dateien|*.*");
    PGLanguage = 0;
}

class LibraryReaderFilter : public LibraryTest {};

// The formats arrive one by one: the library's pattern list must be the full list with the
// formats not yet registered left out, each registered reader in it.
TEST_F(LibraryReaderFilter, PatternsAreTheFullListOfWhatIsRegistered)
{
    const QStringList full = QString("*.bmp; *.dib; *.emf; *.gif; *.gif; *.ico; *.jif; *.jpeg; *.jpg; *.pbm; *.pcx; "
                                     "*.pgm; *.png; *.ppm; *.rle; *.tga; *.tif; *.tiff; *.wmf")
                                 .split("; ");
    std::map<QString, int> registered;
    for (const TFileFormatReader* reader : GetFileFormatReaders())
        ++registered["*." + reader->Extension()];
    QStringList expected;
    for (const QString& pattern : full)
        if (registered[pattern]-- > 0)
            expected << pattern;
    for (const auto& [pattern, left] : registered)
        EXPECT_LE(left, 0) << pattern.toStdString() << " is registered but not in the list";

    const QString filter = BuildDefaultFilter();
    ASSERT_TRUE(filter.startsWith("Image files|")) << filter.toStdString();
    EXPECT_EQ(filter.section('|', 1, 1), expected.join("; "));
    EXPECT_TRUE(filter.endsWith("|All files|*.*"));
    EXPECT_EQ(GetEnabledReaderCount(), int(GetFileFormatReaders().size()));
}

} // namespace
