#pragma once

#include <QString>
#include <QStringList>

// The rows of a site's rotation list, as the site editor and the copy-settings dialog show
// them: "Rotation <n>" (or "Current Site " for a site with a single version), then
// " : ERROR! Not found!" for a missing folder, else " : <count> Images" and " : Built" or
// " : NOT BUILT". Read from "<siteKey>.ini" in the program folder.
QStringList rotationListRows(const QString& programFolder, const QString& siteKey, bool useRotations);

// More rotations than rotation positions cannot be rotated; a larger stored count is cut.
inline constexpr int LargestRotationCount = 99999;

// The images a rotation folder lists.
inline constexpr const char* RotationImageMask = "*.gif;*.jpe;*.jpg";
