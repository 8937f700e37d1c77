#include "colorresolution.h"

#include "pgmessages.h"
#include "pixelgraphic.h"

namespace {

using Row = std::array<TColorResolution, ColorResolutionCount>;

constexpr Row kPreference[ColorResolutionCount] = {
    {crBlackWhite, cr2Colors, cr16Grays, cr16SystemColors, cr16Colors, cr256Grays, cr256Colors, cr16MillionColors},
    {cr2Colors, cr16Colors, cr256Colors, cr16MillionColors, cr16SystemColors, crBlackWhite, cr16Grays, cr256Grays},
    {cr16Grays, cr16Colors, cr256Grays, cr256Colors, cr16MillionColors, cr16SystemColors, crBlackWhite, cr2Colors},
    {cr16SystemColors, cr16Colors, cr256Colors, cr16MillionColors, cr16Grays, cr256Grays, crBlackWhite, cr2Colors},
    {cr16Colors, cr256Colors, cr16MillionColors, cr16SystemColors, cr16Grays, cr256Grays, crBlackWhite, cr2Colors},
    {cr256Grays, cr256Colors, cr16MillionColors, cr16Grays, cr16Colors, cr16SystemColors, crBlackWhite, cr2Colors},
    {cr256Colors, cr16MillionColors, cr16Colors, cr16SystemColors, cr256Grays, cr16Grays, crBlackWhite, cr2Colors},
    {cr16MillionColors, cr256Colors, cr16Colors, cr16SystemColors, cr256Grays, cr16Grays, crBlackWhite, cr2Colors},
};

} // namespace

TColorResolution CurrentColorResolution(TBitCountNum BitCountNum, TPaletteIdent Ident)
{
    switch (BitCountNum) {
    case bcn1Bit:
        return Ident == pBlackWhite ? crBlackWhite : cr2Colors;
    case bcn4Bit:
        return Ident == pSys16 ? cr16SystemColors : (Ident == pGray16 ? cr16Grays : cr16Colors);
    case bcn8Bit:
        return Ident == pGray256 ? cr256Grays : cr256Colors;
    default:
        return cr16MillionColors;
    }
}

std::span<const TColorResolution, ColorResolutionCount> ColorResolutionPreference(TColorResolution Current)
{
    return kPreference[Current];
}

std::optional<TColorResolution> ChooseColorResolution(TColorResolution Current, ColorResolutionSet Writable)
{
    for (TColorResolution r : ColorResolutionPreference(Current))
        if (Writable.Contains(r))
            return r;
    return std::nullopt;
}

QString ColorResolutionName(TColorResolution Resolution)
{
    return PGLangStr(int(PgMsg::ColorResolutionNames) + Resolution);
}

std::unique_ptr<TPixelGraphic> ConvertToColorResolution(TPixelGraphic& Source, TColorResolution Target)
{
    auto target = std::make_unique<TPixelGraphic>();
    target->SetOnProgress(Source.OnProgress());
    target->SetOnProgressBegin(Source.OnProgressBegin());
    target->SetOnProgressEnd(Source.OnProgressEnd());
    switch (Target) {
    case crBlackWhite:
        target->SetBitCountNum(bcn1Bit);
        target->SetPaletteIdent(pBlackWhite);
        break;
    case cr2Colors:
        target->SetBitCountNum(bcn1Bit);
        target->ReduceColorsFrom(Source, 2, false);
        break;
    case cr16Grays:
        target->SetBitCountNum(bcn4Bit);
        target->SetPaletteIdent(pGray16);
        break;
    case cr16SystemColors:
        target->SetBitCountNum(bcn4Bit);
        target->SetPaletteIdent(pSys16);
        break;
    case cr16Colors:
        target->SetBitCountNum(bcn4Bit);
        target->ReduceColorsFrom(Source, 16, false);
        break;
    case cr256Grays:
        target->SetBitCountNum(bcn8Bit);
        target->SetPaletteIdent(pGray256);
        break;
    case cr256Colors:
        target->SetBitCountNum(bcn8Bit);
        target->ReduceColorsFrom(Source, 252, true);
        break;
    case cr16MillionColors:
        target->SetBitCountNum(bcn24Bit);
        break;
    }
    target->SetWidth(Source.Width());
    target->SetHeight(Source.Height());
    target->StretchFrom(Source);
    target->RecognisePaletteIdent();
    return target;
}
