#include "pglibrary.h"

#include "fileformats.h"
#include "pgmessages.h"
#include "pgsettings.h"
#include "imaging/formats/bmp/bmpformat.h"
#include "imaging/formats/icon/iconformat.h"
#include "imaging/formats/jpeg/jpegformat.h"
#include "imaging/formats/gif/gifformat.h"
#include "imaging/formats/gif/gifimage.h"
#include "imaging/formats/metafile/metafileformat.h"
#include "imaging/formats/pcx/pcxformat.h"
#include "imaging/formats/png/pngformat.h"
#include "imaging/formats/pnm/pnmformat.h"
#include "imaging/formats/tga/tgaformat.h"
#include "imaging/formats/tiff/tiffformat.h"

#include <memory>

PGInfoFont PixelGraphicInfoFont;

namespace {

int startCount = 0;
std::unique_ptr<FormatRegistry> libraryRegistry;

// Every format of the library, in the order the formats register (the order matters only
// between readers or writers of the same extension: the first registered stays first).
std::unique_ptr<FormatRegistry> buildRegistry()
{
    auto registry = std::make_unique<FormatRegistry>();
    RegisterBMPFormats(*registry);
    RegisterJPEGFormats(*registry);
    RegisterPNGFormats(*registry);
    RegisterPCXFormats(*registry);
    RegisterPxMFormats(*registry);
    RegisterTGAFormats(*registry);
    RegisterTIFFFormats(*registry);
    // The add-on formats: the GIF adapter, the metafile readers, the second GIF reader, the
    // icon reader.
    RegisterGIFFormats(*registry);
    RegisterMetafileFormats(*registry);
    RegisterSecondGIFReader(*registry);
    RegisterIconFormats(*registry);
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
        PixelGraphicInfoFont = PGInfoFont{};
        ResetPixelGraphicSettings();
        BuildGIFExtensionRegistry();
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
    FreeGIFExtensionRegistry();
}

bool PGraphicStarted()
{
    return startCount > 0;
}

const FormatRegistry& FileFormatRegistry()
{
    static const FormatRegistry empty;
    return libraryRegistry ? *libraryRegistry : empty;
}

std::span<const int, ClampTableSize> ClampTable()
{
    return kClampTable;
}
