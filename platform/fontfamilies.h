#pragma once

#include <QStringList>

namespace platform {

// Font family names the way a word processor's font box lists them: each once, sorted, without
// the foundry that tells apart two families of one name ("Nimbus Sans [urw]").
QStringList plainFamilyNames(const QStringList& families);

// The installed families, as plainFamilyNames gives them.
QStringList installedFontFamilies();

} // namespace platform
