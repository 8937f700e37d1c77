#include "pagesnapshot.h"

#include "platform/paths.h"

PageInputs pageInputsFor(const PictorumState& state, const QString& rotationFolder, const QStringList& images,
                         bool withoutThumbnails)
{
    PageInputs in;
    in.settings = state.rotationSettings;
    // A list setting left without a choice (a hand-edited section) builds as its default.
    in.settings.SetDefaultValues();
    in.options = state.options;
    in.site = state.CurrentSite;
    in.ThumbTemplateTokens = state.ThumbTemplateTokens;
    in.ImageTemplateTokens = state.ImageTemplateTokens;
    in.rotationFolder = platform::addTrailingSeparator(rotationFolder);
    in.images = images;
    in.withoutThumbnails = withoutThumbnails;
    return in;
}
