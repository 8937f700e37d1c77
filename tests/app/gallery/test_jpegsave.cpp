// The JPEG save of thumbnails and converted images: quality, progressive switch, silent colour
// conversion, and a failed save that leaves the old file alone.

#include "jpegbytes.h"
#include "tempfolder.h"
#include "app/gallery/jpegsave.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"
#include "platform/prompts.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace {

class JpegSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitPGraphic();
        PixelGraphicPrompts = &prompts;
    }
    void TearDown() override
    {
        PixelGraphicPrompts = nullptr;
        DonePGraphic();
    }

    // A 24-bit picture, or an 8-bit one with a grey palette.
    void make(TPixelGraphic& image, TBitCountNum bits)
    {
        image.Allocate(64, 48, bits);
        if (bits != bcn24Bit)
            image.SetPaletteIdent(pGray256);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                image.SetPixelColor(x, y, TColor((x * 4) | (y * 5) << 8 | ((x + y) & 0xFF) << 16));
    }

    TempFolder folder;
    platform::ScriptedPromptService prompts;
};

TEST_F(JpegSave, QualityAndProgressiveReachTheFile)
{
    TPixelGraphic image;
    make(image, bcn24Bit);
    const std::uint8_t quality = PixelGraphicJPEGQuality;
    // Quality scales libjpeg's standard luminance table, whose first value is 16.
    struct Case {
        int quality;
        bool progressive;
        int firstQuant;
        int frameMarker;
    } cases[] = {{50, true, 16, 0xC2}, {75, false, 8, 0xC0}, {99, false, 1, 0xC0}, {250, false, 1, 0xC0}};
    for (const Case& c : cases) {
        const QString file = folder.file(QString("q%1.jpg").arg(c.quality));
        ASSERT_TRUE(savetojpeg(image, file, c.quality, c.progressive));
        const JpegLayout layout = jpegLayout(readAll(file));
        EXPECT_TRUE(layout.has(c.frameMarker)) << c.quality;
        EXPECT_FALSE(layout.has(c.frameMarker == 0xC0 ? 0xC2 : 0xC0)) << c.quality;
        EXPECT_EQ(layout.firstQuantValue, c.firstQuant) << c.quality;
        EXPECT_EQ(QImage(file).size(), QSize(64, 48));
    }
    EXPECT_EQ(PixelGraphicJPEGQuality, quality); // the library's settings stay as they were
    EXPECT_FALSE(PixelGraphicJPEGProgressive);
}

TEST_F(JpegSave, PaletteImagesAreConvertedWithoutAQuestion)
{
    TPixelGraphic image;
    make(image, bcn8Bit);
    image.SetColorResConversion(crcAsk);
    ASSERT_TRUE(savetojpeg(image, folder.file("gray.jpg"), 80, true));
    EXPECT_TRUE(prompts.calls().isEmpty());
    EXPECT_EQ(QImage(folder.file("gray.jpg")).size(), QSize(64, 48));
}

TEST_F(JpegSave, AFailedSaveLeavesTheOldFileAndNoTemporaryFile)
{
    const QString file = folder.write("old.jpg", "old content");
    TPixelGraphic empty;
    EXPECT_FALSE(savetojpeg(empty, file, 80, true));
    EXPECT_EQ(readAll(file), "old content");

    TPixelGraphic image;
    make(image, bcn24Bit);
    folder.write("plain", "a file, not a folder");
    EXPECT_FALSE(savetojpeg(image, folder.file("plain/x.jpg"), 80, true));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

} // namespace
