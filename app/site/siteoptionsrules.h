#pragma once

#include "siterecord.h"

#include <QString>

#include <optional>

// The first entry that keeps the site options from closing with OK, as the text of its
// information box: a name, a folder, and a live folder when the site is rotated.
std::optional<QString> checkSiteOptions(const tsiterecord& entered);
