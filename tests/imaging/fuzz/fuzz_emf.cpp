// libFuzzer target: EMF files, text drawn through an offscreen GUI application.
#include "fuzzload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    FuzzStartGui();
    return FuzzLoad(Data, Size, "emf", std::int64_t(1) << 18);
}
