#pragma once

#include <QStringList>

namespace platform {

// The parameters that follow the program name, as the process received them (before Qt takes
// its own options out of argv).
QStringList processParameters(int argc, char** argv);

} // namespace platform
