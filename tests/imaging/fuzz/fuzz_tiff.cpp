// libFuzzer target: TIFF files, with the directory chain walked.
#include "fuzzload.h"

#include "imaging/pglibrary.h"
#include "imaging/pgsettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    // Started here first, so that FuzzLoad's start only counts and keeps the setting.
    static const bool walkChain = [] {
        InitPGraphic();
        TIFFReadAllDirectories = true;
        return true;
    }();
    (void)walkChain;
    return FuzzLoad(Data, Size, "tif", std::int64_t(1) << 22);
}
