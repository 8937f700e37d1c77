#pragma once

#include "pagegen.h"
#include "pictorumstate.h"

// What a build of the rotation open in the site editor makes its pages from: the program's
// current rotation settings, options, site and template token flags, taken at this moment.
PageInputs pageInputsFor(const PictorumState& state, const QString& rotationFolder, const QStringList& images,
                         bool withoutThumbnails);
