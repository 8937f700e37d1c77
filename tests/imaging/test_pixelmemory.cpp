#include "imaging/pixelgraphic.h"
#include "imaging/pixelmemory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(PixelMemory, BlocksOfEverySizeAreZeroedAndWhollyUsable)
{
    for (std::size_t size : {std::size_t(1), std::size_t(4095), std::size_t(4) << 20, (std::size_t(9) << 20) + 3}) {
        std::uint8_t* memory = AllocatePixelMemory(size);
        ASSERT_NE(memory, nullptr) << size;
        EXPECT_TRUE(std::all_of(memory, memory + size, [](std::uint8_t b) { return b == 0; })) << size;
        memory[0] = 1;
        memory[size - 1] = 2;
        FreePixelMemory(memory, size);
    }
    FreePixelMemory(nullptr, 100);
}

TEST(PixelMemory, LargeImagesStartBlackAndCopy)
{
    TPixelGraphic image;
    image.Allocate(2500, 1500, bcn24Bit);
    const std::uint8_t* bits = image.Bits();
    EXPECT_TRUE(std::all_of(bits, bits + image.ImageSize(), [](std::uint8_t b) { return b == 0; }));
    image.SetPixel(2499, 0, RGBColor(1, 2, 3));
    TPixelGraphic copy;
    copy.Assign(&image);
    EXPECT_EQ(copy.GetPixel(2499, 0), RGBColor(1, 2, 3));
    image.Allocate(10, 10, bcn24Bit); // the large block goes back
    EXPECT_EQ(image.ImageSize(), 10 * 32);
}

} // namespace
