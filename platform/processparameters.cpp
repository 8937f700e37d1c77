#include "processparameters.h"

namespace platform {

QStringList processParameters(int argc, char** argv)
{
    QStringList parameters;
    for (int i = 1; i < argc; ++i)
        parameters << QString::fromLocal8Bit(argv[i]);
    return parameters;
}

} // namespace platform
