#include "pglibrary.h"

#include "bmp/bmpformat.h"
#include "fileformats.h"
#include "jpeg/jpegformat.h"
#include "pgmessages.h"
#include "pgsettings.h"

#include <memory>

TPGInfoFont PixelGraphicInfoFont;

namespace {

int startCount = 0;
std::unique_ptr<TFileFormatRegistry> libraryRegistry;

// Every format of the library, in the order the formats register (the order matters only
// between readers or writers of the same extension: the first registered stays first).
std::unique_ptr<TFileFormatRegistry> buildRegistry()
{
    auto registry = std::make_unique<TFileFormatRegistry>();
    RegisterBMPFormats(*registry);
    RegisterJPEGFormats(*registry);
    registry->Freeze();
    return registry;
}

constexpr std::array<int, ClampTableSize> makeClampTable()
{
    std::array<int, ClampTableSize> table{};
    for (int v = -510; v <= 510; ++v)
        table[std::size_t(v + 510)] = v < 0 ? 0 : (v > 255 ? 255 : v);
    return table;
}
constexpr std::array<int, ClampTableSize> kClampTable = makeClampTable();

} // namespace

void InitPGraphic()
{
    if (startCount++ > 0)
        return;
    try {
        CheckLangStrEntries();
        PGLanguage = 0;
        PixelGraphicInfoFont = TPGInfoFont{};
        ResetPixelGraphicSettings();
        libraryRegistry = buildRegistry();
    } catch (...) {
        --startCount;
        throw;
    }
}

void DonePGraphic()
{
    if (startCount == 0 || --startCount > 0)
        return;
    libraryRegistry.reset();
}

bool PGraphicStarted()
{
    return startCount > 0;
}

const TFileFormatRegistry& FileFormatRegistry()
{
    static const TFileFormatRegistry empty;
    return libraryRegistry ? *libraryRegistry : empty;
}

std::span<const int, ClampTableSize> ClampTable()
{
    return kClampTable;
}
