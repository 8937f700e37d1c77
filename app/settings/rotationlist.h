#pragma once

#include "app/site/siterecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One rotation of a site as its list shows it.
struct RotationListEntry {
    int n = 0;
    // "Rotation <n>" (or "Current Site " for a site with a single version), then
    // " : ERROR! Not found!" for a missing folder, else " : <count> Images" and " : Built" or
    // " : NOT BUILT".
    QString row;
    // What the add-images dialog offers: "Rotation <n>" or "Current Site".
    QString choice;
    // Its folder (Rotation_Path, else defaultRotationFolder), expanded and, when it exists,
    // found case-insensitively.
    QString folder;
    bool found = false;
};

// The rotations of a site: as many as its record counts (a site with a single version lists
// its first rotation only), with their folders read from "<SiteKey>.ini" in the program folder.
// countImages counts the images of an existing folder; by default its files that match
// RotationImageMask.
QList<RotationListEntry> rotationList(const QString& programFolder, const tsiterecord& site, bool useRotations,
                                      const std::function<int(const QString& folder)>& countImages = {});
// The same for a site that is not the current one, read as loadsite reads it.
QList<RotationListEntry> rotationList(const QString& programFolder, const QString& siteKey, bool useRotations,
                                      const std::function<int(const QString& folder)>& countImages = {});

// The row texts of rotationList, as the site editor and the copy-settings dialog show them.
QStringList rotationListRows(const QString& programFolder, const QString& siteKey, bool useRotations);

// More rotations than rotation positions cannot be rotated; a larger stored count is cut.
inline constexpr int LargestRotationCount = 99999;

// The rotations a site has: its record's count, cut to 0..LargestRotationCount. The list, New,
// Delete and Apply to All go by this one count.
int rotationCount(const tsiterecord& site);
// How many rows a site's rotation list has: rotationCount, and 1 for a site with a single
// version that counts more.
int listedRotationCount(const tsiterecord& site, bool useRotations);

// The images a rotation folder lists.
inline constexpr const char* RotationImageMask = "*.gif;*.jpe;*.jpg";
