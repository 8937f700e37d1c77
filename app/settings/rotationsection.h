#pragma once

#include "rotationsettings.h"

#include "platform/fileoutcome.h"

#include <QString>

namespace platform {
class IniDocument;
class IniFile;
} // namespace platform

// The [Rotation_<n>] sections of a site settings file "<SiteKey>.ini": one per rotation,
// holding its build status, its folder and every setting of the record. Paths inside the
// program folder are stored with the "%/" marker.

// Build status and folder of a rotation, kept beside its settings.
struct RotationPlace {
    int Status = 0;             // 0 or 1: not built; 2: built
    QString Rotation_Path;      // the rotation folder, expanded
};

inline constexpr int RotationNotBuilt = 0;
inline constexpr int RotationBuilt = 2;

// "Rotation_" + n
QString rotationSectionName(int n);

// The folder of rotation n when its section names none: the site folder itself while the
// site has a single version, else "Rotation_" + n inside it ("" without a site folder).
// Looked up case-insensitively, so that a "rotation_<n>" folder is found too.
QString defaultRotationFolder(const QString& sitePath, bool useRotations, int n);

// Writes every key of section n in its fixed order into the document; Status and
// Rotation_Path only when place is given. Nothing for a negative n.
void writeRotationSection(platform::IniDocument& doc, const QString& programFolder, int n,
                          const RotationSettings& settings, const RotationPlace* place);

// The same as one locked update of the file.
platform::FileOutcome SaveRotation(platform::IniFile& file, const QString& programFolder, int n,
                                   const RotationSettings& settings, const RotationPlace* place);

// Writes the settings (no status, no folder) into sections 1 to count in one update.
platform::FileOutcome SaveRotationToAll(platform::IniFile& file, const QString& programFolder, int count,
                                        const RotationSettings& settings);

// Reads section n into the record. A missing key keeps its setting or, when the key has a
// default of its own (the header and footer keys among them), takes it; a number key whose text
// is no number counts as missing. Paths are resolved against the program folder. Derived settings (custom
// navigation buttons, index image buttons, the font radios) follow what was read.
void LoadRotation(const platform::IniDocument& doc, const QString& programFolder, int n, RotationSettings& settings);

// Status of section n: a missing key gives 0; a text that is no number keeps status.
void LoadRotationStatus(const platform::IniDocument& doc, int n, int& status);

// Folder of section n, expanded; a missing key gives defaultRotationFolder.
QString rotationFolderText(const platform::IniDocument& doc, const QString& programFolder, int n,
                           const QString& sitePath, bool useRotations);

// The same, found case-insensitively when it exists.
QString LoadRotationFolder(const platform::IniDocument& doc, const QString& programFolder, int n,
                           const QString& sitePath, bool useRotations);
