// The sample navigation graphics: the files kept are what our GIF writer makes of the drawings.
#include "tools/navigationgraphics/navigationgraphics.h"
#include "tempfolder.h"
#include "tests/imaging/imagingtest.h"

#include "imaging/fileformats.h"

#include <QDir>

namespace {

class NavigationGraphics : public LibraryTest {};

TEST_F(NavigationGraphics, TheFilesKeptAreWhatTheWriterMakesOfTheDrawings)
{
    TempFolder folder;
    WriteNavigationGraphics(folder.path());
    const QDir resources(RESOURCES_DIR);
    const struct {
        const char* name;
        int width, height;
    } files[] = {
        {"Samples/Previous.gif", 32, 32}, {"Samples/Next.gif", 32, 32}, {"navgraph/Previous.gif", 48, 24},
        {"navgraph/Next.gif", 48, 24},    {"navgraph/Index.gif", 48, 24},
    };
    ASSERT_EQ(NavigationGraphicNames().size(), qsizetype(std::size(files)));
    for (const auto& file : files) {
        const QByteArray kept = readAll(resources.filePath(file.name));
        EXPECT_EQ(kept, folder.read(file.name)) << file.name << ": run make_navigation_graphics";
        EXPECT_EQ(kept.left(6), "GIF87a") << file.name;
        TPixelGraphic image;
        LoadBytes(image, kept);
        EXPECT_EQ(image.Width(), file.width) << file.name;
        EXPECT_EQ(image.Height(), file.height) << file.name;
        EXPECT_EQ(image.GetPixelColor(0, 0), RGBColor(255, 255, 255)) << file.name; // white paper
        EXPECT_EQ(image.GetPixelColor(file.width / 2, file.height / 2), RGBColor(255, 255, 255)) << file.name; // the sign
    }
    // Left and right arrows mirror each other.
    auto previous = DrawNavigationGraphic("navgraph/Previous.gif");
    auto next = DrawNavigationGraphic("navgraph/Next.gif");
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 48; ++x)
            ASSERT_EQ(previous->GetPixel(x, y), next->GetPixel(47 - x, y)) << x << "," << y;
}

} // namespace
