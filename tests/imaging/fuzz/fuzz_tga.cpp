// libFuzzer target: Targa files, found by extension.
#include "fuzzload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    return FuzzLoad(Data, Size, "tga", std::int64_t(1) << 24, true);
}
