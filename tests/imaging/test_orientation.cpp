#include "imaging/orientation.h"
#include "tests/imaging/imagingtest.h"

#include <QStringList>

namespace {

class Orientation : public LibraryTest {};

// Rows of letters, "abc/def": each letter one pixel, a..f standing for the values 1..6.
std::unique_ptr<TPixelGraphic> imageOf(const QString& rows, TBitCountNum format)
{
    const QStringList lines = rows.split('/');
    auto image = std::make_unique<TPixelGraphic>();
    image->Allocate(int(lines[0].size()), int(lines.size()), format);
    const bool oneBit = format == bcn1Bit; // a single set pixel: "a" is 1, the rest 0
    for (int y = 0; y < image->Height(); ++y)
        for (int x = 0; x < image->Width(); ++x) {
            const std::uint32_t letter = std::uint32_t(lines[y][x].unicode() - 'a' + 1);
            const std::uint32_t value = oneBit ? (letter == 1 ? 1 : 0) : format == bcn24Bit ? letter * 0x010203 : letter;
            image->SetPixel(x, y, value);
        }
    return image;
}

QString rowsOf(TPixelGraphic& image, TBitCountNum format)
{
    QStringList lines;
    for (int y = 0; y < image.Height(); ++y) {
        QString line;
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint32_t value = image.GetPixel(x, y);
            const std::uint32_t letter = format == bcn24Bit ? value / 0x010203 : value;
            line += format == bcn1Bit ? QChar(value ? 'a' : '.') : QChar(char('a' + letter - 1));
        }
        lines << line;
    }
    return lines.join('/');
}

TEST_F(Orientation, EachValueTurnsTheStoredFrameUpright)
{
    // The stored frame abc/def as each orientation asks it to be shown.
    const struct { int orientation; const char* upright; } cases[] = {
        {1, "abc/def"}, {2, "cba/fed"}, {3, "fed/cba"}, {4, "def/abc"},
        {5, "ad/be/cf"}, {6, "da/eb/fc"}, {7, "fc/eb/da"}, {8, "cf/be/ad"},
        {0, "abc/def"}, {9, "abc/def"}, // not an orientation: as stored
    };
    for (const TBitCountNum format : {bcn1Bit, bcn4Bit, bcn8Bit, bcn24Bit})
        for (const auto& c : cases) {
            auto image = imageOf("abc/def", format);
            TurnUpright(*image, c.orientation);
            auto expected = imageOf(c.upright, format);
            EXPECT_EQ(rowsOf(*image, format), rowsOf(*expected, format))
                << "orientation " << c.orientation << ", " << image->BitCount() << " bits";
            EXPECT_EQ(QSize(image->Width(), image->Height()), UprightSize(QSize(3, 2), c.orientation));
            EXPECT_EQ(image->BitCountNum(), format);
        }
    // A single column after the turn.
    auto line = imageOf("ab", bcn24Bit);
    TurnUpright(*line, 6);
    EXPECT_EQ(rowsOf(*line, bcn24Bit), "a/b");
}

TEST_F(Orientation, ThePaletteAndSettingsStay)
{
    auto image = imageOf("abc/def", bcn8Bit);
    image->SetPaletteIdent(pGray256);
    image->SetWarningAction(waIgnore);
    image->SetStretchMode(smMedium);
    int changes = 0;
    image->SetOnChange([&](PGObject*) { ++changes; });
    TurnUpright(*image, 8);
    EXPECT_EQ(image->PaletteIdent(), pGray256);
    EXPECT_EQ(image->GetPixelColor(0, 0), TColor(0x030303)); // "c" through the gray palette
    EXPECT_EQ(image->WarningAction(), waIgnore);
    EXPECT_EQ(image->StretchMode(), smMedium);
    EXPECT_EQ(changes, 1);

    TPixelGraphic empty;
    TurnUpright(empty, 6);
    EXPECT_TRUE(empty.Empty());
}

} // namespace
