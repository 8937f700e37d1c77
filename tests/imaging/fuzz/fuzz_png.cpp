// libFuzzer target: PNG files.
#include "fuzzload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    return FuzzLoad(Data, Size, "png", std::int64_t(1) << 24);
}
