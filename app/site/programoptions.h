#pragma once

#include "platform/fileoutcome.h"

#include <QtGlobal>

namespace platform {
class IniFile;
}

// Pictorum's five program-wide options, kept in [Options] of "options.ini".
struct ProgramOptions {
    qint16 DefaultJPEGCompression = 80;  // 1..100
    qint16 MaxFilenameLength = 15;       // 999: names are never cut
    bool UseThumbsDirectory = true;
    bool ForceLowercase = false;
    bool UseRotations = false;
};

inline constexpr qint16 NoFilenameLimit = 999;

// Reads the five keys in their order with their fallbacks; Turnfold's keys are not touched.
ProgramOptions loadProgramOptions(const platform::IniFile& file);
platform::FileOutcome saveProgramOptions(platform::IniFile& file, const ProgramOptions& options);
