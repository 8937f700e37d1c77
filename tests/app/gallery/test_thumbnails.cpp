// Thumbnails and page-number buttons as files: names, sizes, JPEG layout, the reduced JPEG
// decode, and what a blank of each kind gives.

#include "buildfixtures.h"
#include "fifo.h"
#include "fixtures.h"
#include "jpegbytes.h"
#include "tempfolder.h"
#include "app/gallery/pagebuttons.h"
#include "app/gallery/thumbnails.h"
#include "app/pages/imagefit.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include <QDir>
#include <QBuffer>
#include <QFontMetrics>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

class Thumbnails : public ::testing::Test {
protected:
    void SetUp() override { InitPGraphic(); }
    void TearDown() override { DonePGraphic(); }

    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    TempFolder folder;
};

TEST(ThumbnailNames, JpegNamesAndButtonNames)
{
    struct Case { const char* name; bool jpeg; } cases[] = {
        {"a.jpg", true}, {"A.JPEG", true}, {"b.Jpe", true}, {"c.jpg.gif", false}, {"d.jp", false},
        {"e.jpeg2", false}, {"jpg", false}, {"dir.jpg/f.png", false}, {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsJpegFileName(c.name), c.jpeg) << c.name;
    EXPECT_EQ(GetPageButtonName(7, true), "Page_Button_On_7");
    EXPECT_EQ(GetPageButtonName(12, false, ".jpg"), "Page_Button_12.jpg");
}

TEST_F(Thumbnails, SizeLayoutAndQuality)
{
    struct Case {
        const char* name;
        int width, height, boxWidth, boxHeight;
        const char* format;
        QSize expected;
    } cases[] = {
        {"wide.jpg", 400, 300, 100, 100, "JPEG", {100, 75}},
        {"tall.JPG", 300, 500, 100, 100, "JPEG", {60, 100}},
        {"small.jpg", 50, 40, 100, 100, "JPEG", {50, 40}},
        {"photo.jpeg", 3000, 2000, 150, 150, "JPEG", {150, 100}},
        {"odd.jpg", 123, 77, 15, 10, "JPEG", {15, 9}},
        {"bitmap.bmp", 400, 300, 120, 50, "BMP", {66, 50}},
        {"bmp-named.jpg", 200, 100, 100, 100, "BMP", {100, 50}},
        {"png-named.jpg", 90, 60, 30, 30, "PNG", {30, 20}},
    };
    for (const Case& c : cases) {
        const QString source = folder.file(c.name);
        ASSERT_TRUE(writePicture(source, c.width, c.height, c.format)) << c.name;
        const QString thumbnail = GetThumbnailName(source);
        ASSERT_TRUE(createthumbnail(source, thumbnail, c.boxWidth, c.boxHeight, 60)) << c.name;
        const QByteArray bytes = readAll(thumbnail);
        const JpegLayout layout = jpegLayout(bytes);
        EXPECT_TRUE(layout.has(0xC2)) << c.name; // progressive
        EXPECT_EQ(layout.firstQuantValue, 13) << c.name; // libjpeg's 16 at quality 60
        EXPECT_EQ(QImage::fromData(bytes).size(), c.expected) << c.name;
    }
}

// A thumbnail whose fitted size equals the reduced decode is that decode unchanged: the
// reader's own DCT scaling (fast integer method), compared with libjpeg's djpeg.
TEST_F(Thumbnails, JpegSourcesAreDecodedReducedAsLibjpegDoes)
{
    if (QStandardPaths::findExecutable("djpeg").isEmpty())
        GTEST_SKIP() << "djpeg is not installed";
    struct Case { int width, height, boxWidth, boxHeight, scale; } cases[] = {
        {800, 600, 200, 150, 4}, {800, 640, 400, 320, 2}, {1600, 800, 200, 100, 8}, {120, 80, 120, 80, 1},
    };
    for (const Case& c : cases) {
        const QString source = folder.file("p.jpg");
        ASSERT_TRUE(writePicture(source, c.width, c.height));
        const auto thumbnail = makeThumbnailGraphic(source, c.boxWidth, c.boxHeight);
        ASSERT_EQ(QSize(thumbnail->Width(), thumbnail->Height()), QSize(c.boxWidth, c.boxHeight));
        QProcess djpeg;
        djpeg.start("djpeg", {"-scale", QString("1/%1").arg(c.scale), "-dct", "fast", "-bmp", source});
        ASSERT_TRUE(djpeg.waitForFinished(20000));
        const QImage reference = QImage::fromData(djpeg.readAllStandardOutput(), "BMP").convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(reference.size(), QSize(c.boxWidth, c.boxHeight)) << c.scale;
        EXPECT_EQ(thumbnail->ToQImage().convertToFormat(QImage::Format_RGB32), reference) << c.scale;
    }
}

TEST_F(Thumbnails, UnreadableSourcesFailAndLeaveNothing)
{
    const struct { const char* name; QByteArray content; } cases[] = {
        {"damaged.jpg", damagedJpeg()}, {"empty.jpg", {}}, {"huge.jpg", hugeHeaderJpeg()}, {"text.bmp", "BM not a bitmap"},
        {"no_data.jpg", BaselineJpegWithoutData(2000, 1500)}, // not one row to show
    };
    for (const auto& c : cases) {
        const QString source = folder.write(c.name, c.content);
        EXPECT_FALSE(createthumbnail(source, GetThumbnailName(source), 100, 100, 70)) << c.name;
        EXPECT_FALSE(encodeThumbnail(source, 100, 100, CurrentSaveOptions())) << c.name;
    }
    EXPECT_EQ(files(), QStringList({"damaged.jpg", "empty.jpg", "huge.jpg", "no_data.jpg", "text.bmp"}));
    EXPECT_FALSE(createthumbnail(folder.file("missing.jpg"), folder.file("missing_thb.jpg"), 100, 100, 70));
    // A FIFO by either name: by the JPEG decoder or by the library, never waiting for a writer.
    for (const char* name : {"pipe.jpg", "pipe.png"}) {
        const QString pipe = MakeFifo(folder.file(name));
        bool made = true;
        EXPECT_TRUE(ReturnsWithoutWaitingOn(pipe, [&] { made = createthumbnail(pipe, GetThumbnailName(pipe), 100, 100, 70); }));
        EXPECT_FALSE(made) << name;
        QFile::remove(pipe);
    }
    EXPECT_EQ(files(), QStringList({"damaged.jpg", "empty.jpg", "huge.jpg", "no_data.jpg", "text.bmp"}));
}

// 19000 x 19000 would take 1.08 GB at full size, past the library's limit; its 1/8 decode is small.
TEST_F(Thumbnails, VeryLargeJpegsGetTheirThumbnail)
{
    const QString source = folder.write("large.jpg", FlatBaselineJpeg(19000, 19000));
    ASSERT_TRUE(createthumbnail(source, folder.file("large_thb.jpg"), 150, 150, 75));
    const QImage thumbnail = QImage::fromData(folder.read("large_thb.jpg"));
    EXPECT_EQ(thumbnail.size(), QSize(150, 150));
    EXPECT_EQ(thumbnail.pixel(75, 75), qRgb(128, 128, 128));
}

// A phone's portrait photo: stored 3000 x 2000 on its side, tagged to be turned a quarter round
// clockwise; red marks the stored top-left corner.
TEST_F(Thumbnails, PhotosStandAsTheirExifOrientationSays)
{
    QImage sideways(3000, 2000, QImage::Format_RGB32);
    sideways.fill(Qt::gray);
    QPainter(&sideways).fillRect(0, 0, 400, 400, Qt::red);
    const QByteArray stored = WithApp1(jpegBytes(sideways), ExifOrientationPayload(6));
    const QString source = folder.write("portrait.jpg", stored);
    ASSERT_TRUE(createthumbnail(source, folder.file("portrait_thb.jpg"), 150, 150, 75));
    const QImage thumbnail = QImage::fromData(folder.read("portrait_thb.jpg"));
    ASSERT_EQ(thumbnail.size(), QSize(100, 150));
    EXPECT_GT(qRed(thumbnail.pixel(95, 4)), 200); // top right
    EXPECT_LT(qRed(thumbnail.pixel(4, 4)), 180);
    EXPECT_EQ(folder.read("portrait.jpg"), stored);
}

TEST_F(Thumbnails, ButtonsFromTrueColourBlanksAreBaselineJpegs)
{
    ASSERT_TRUE(testPicture(80, 30).save(folder.file("on.jpg"), "JPEG"));
    ASSERT_TRUE(testPicture(64, 24).save(folder.file("off.bmp"), "BMP"));
    const ButtonFont font{QString(), 10, true, true};
    EXPECT_EQ(createbutton(folder.file("on.jpg"), folder.file("Page_Button_On_1.gif"), clBlack, "Page 1", font), ".jpg");
    EXPECT_EQ(createbutton(folder.file("off.bmp"), folder.file("Page_Button_1.gif"), rgbColour(255, 255, 255),
                           "Page 1", ButtonFont{"No Such Face", 12, false, false}),
              ".jpg");
    for (const auto& [name, size] : {std::pair{"Page_Button_On_1.jpg", QSize(80, 30)}, {"Page_Button_1.jpg", QSize(64, 24)}}) {
        const QByteArray bytes = folder.read(name);
        const JpegLayout layout = jpegLayout(bytes);
        EXPECT_TRUE(layout.has(0xC0)) << name; // baseline
        EXPECT_EQ(layout.firstQuantValue, 1) << name; // quality 99
        EXPECT_EQ(QImage::fromData(bytes).size(), size) << name;
    }
    EXPECT_EQ(files(), QStringList({"Page_Button_1.jpg", "Page_Button_On_1.jpg", "off.bmp", "on.jpg"}));
}

// Colours of an image by pixel count.
QHash<QRgb, int> colourCounts(const QImage& image)
{
    QHash<QRgb, int> counts;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[rgb.pixel(x, y)];
    return counts;
}

// The pixels the letters themselves cover, drawn plainly in the button's face and size.
int glyphPixels(const QString& text, QSize size)
{
    QFont font("Arial");
    font.setPixelSize(13); // 10 points
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font, &image);
    painter.drawText(size.width() / 2 - metrics.horizontalAdvance(text) / 2,
                     size.height() / 2 - metrics.height() / 2 + metrics.ascent(), text);
    painter.end();
    return colourCounts(image).value(qRgb(0, 0, 0));
}

// Only the letters land on the blank: no cell behind them, no edge in the bitmap's background
// colour (white, or lime for white text), and a white number shows; a JPEG button keeps the
// letters' colour.
TEST_F(Thumbnails, ButtonsHoldTheBlankAndTheLettersOnly)
{
    const QSize size(90, 30);
    const QRgb blue = qRgb(0x20, 0x40, 0xC0);
    QImage flat(size, QImage::Format_RGB32);
    flat.fill(blue);
    ASSERT_TRUE(flat.convertToFormat(QImage::Format_Indexed8).save(folder.file("palette.bmp"), "BMP"));
    ASSERT_TRUE(flat.save(folder.file("true.bmp"), "BMP"));
    ASSERT_TRUE(flat.save(folder.file("true.jpg"), "JPEG", 95));
    {
        TPixelGraphic gif;
        gif.Allocate(size.width(), size.height(), bcn24Bit);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                gif.SetPixelColor(x, y, RGBColor(0x20, 0x40, 0xC0));
        gif.SetColorResConversion(crcConvert);
        ASSERT_NO_THROW(gif.SaveToFile(folder.file("palette.gif"), CurrentSaveOptions()));
    }

    const QString text = "Page 12";
    const int glyphs = glyphPixels(text, size);
    ASSERT_GT(glyphs, 60);
    const ButtonFont font{QString(), 10, true, false};
    struct Blank { const char* name; bool trueColour; } blanks[] = {
        {"palette.gif", false}, {"palette.bmp", false}, {"true.bmp", true}, {"true.jpg", true},
    };
    const QRgb colours[] = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 255, 0), qRgb(255, 0, 0)};
    for (const Blank& b : blanks) {
        for (const QRgb textColour : colours) {
            const TColor colour = RGBColor(qRed(textColour), qGreen(textColour), qBlue(textColour));
            const QString label = QString("%1 text %2").arg(b.name).arg(textColour, 6, 16);
            const PageButton button = drawPageButton(folder.file(b.name), colour, text, font);
            EXPECT_EQ(button.trueColour, b.trueColour) << qPrintable(label);
            const QImage drawn = button.image->ToQImage();
            const QRgb face = drawn.pixel(0, 0);
            const QHash<QRgb, int> counts = colourCounts(drawn);
            EXPECT_EQ(QSet<QRgb>(counts.keyBegin(), counts.keyEnd()), (QSet<QRgb>{face, textColour})) << qPrintable(label);
            const int letters = counts.value(textColour);
            EXPECT_NEAR(letters, glyphs, glyphs / 10) << qPrintable(label);
            const QString output = folder.file("Page_Button_On_12.gif");
            ASSERT_EQ(createbutton(folder.file(b.name), output, colour, text, font), b.trueColour ? ".jpg" : ".gif")
                << qPrintable(label);
            if (b.trueColour) {
                // The JPEG keeps a colour for each pixel: the letters' mean is the text colour.
                const QImage written(folder.file("Page_Button_On_12.jpg"));
                int red = 0, green = 0, blue = 0;
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x)
                        if (drawn.pixel(x, y) == textColour) {
                            red += qRed(written.pixel(x, y));
                            green += qGreen(written.pixel(x, y));
                            blue += qBlue(written.pixel(x, y));
                        }
                EXPECT_NEAR(red / letters, qRed(textColour), 40) << qPrintable(label);
                EXPECT_NEAR(green / letters, qGreen(textColour), 40) << qPrintable(label);
                EXPECT_NEAR(blue / letters, qBlue(textColour), 40) << qPrintable(label);
                continue;
            }
            // The GIF as written holds the same two colours, pixel for pixel (the library's
            // colour reduction moves each by a step of its histogram at most).
            TPixelGraphic saved;
            saved.LoadFromFile(output);
            EXPECT_EQ(saved.BitCountNum(), bcn8Bit) << qPrintable(label);
            const QImage written = saved.ToQImage().convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(written.size(), size);
            const auto near = [](QRgb a, QRgb b) {
                return std::abs(qRed(a) - qRed(b)) <= 4 && std::abs(qGreen(a) - qGreen(b)) <= 4
                    && std::abs(qBlue(a) - qBlue(b)) <= 4;
            };
            int mismatches = 0;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    mismatches += !near(written.pixel(x, y), drawn.pixel(x, y));
            EXPECT_EQ(colourCounts(written).size(), 2) << qPrintable(label);
            EXPECT_EQ(mismatches, 0) << qPrintable(label);
        }
    }
}

// A palette blank makes a GIF button; without a GIF writer that fails and leaves no file. An
// unreadable blank fails the same way.
TEST_F(Thumbnails, ButtonsThatCannotBeMadeLeaveNothing)
{
    QImage palette = testPicture(40, 20).convertToFormat(QImage::Format_Indexed8);
    ASSERT_TRUE(palette.save(folder.file("blank8.bmp"), "BMP"));
    folder.write("broken.gif", "GIF89a");
    const ButtonFont font;
    const bool gifWriter = [] {
        TPixelGraphic probe;
        probe.Allocate(1, 1, bcn8Bit);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        try {
            probe.SaveToStreamAs(out, "gif");
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }();
    const auto made = createbutton(folder.file("blank8.bmp"), folder.file("Page_Button_2.gif"), clBlack, "2", font);
    if (gifWriter)
        EXPECT_EQ(made, ".gif");
    else
        EXPECT_EQ(made, std::nullopt);
    EXPECT_EQ(createbutton(folder.file("broken.gif"), folder.file("Page_Button_3.gif"), clBlack, "3", font), std::nullopt);
    EXPECT_EQ(createbutton(folder.file("none.bmp"), folder.file("Page_Button_4.gif"), clBlack, "4", font), std::nullopt);
    QStringList expected{"blank8.bmp", "broken.gif"};
    if (gifWriter)
        expected.insert(0, "Page_Button_2.gif");
    EXPECT_EQ(files(), expected);
}

} // namespace
