#include "processparameters.h"

#include "filenames.h"

namespace platform {

QStringList processParameters(int argc, char** argv)
{
    QStringList parameters;
    for (int i = 1; i < argc; ++i)
        parameters << decodeFileName(argv[i]);
    return parameters;
}

} // namespace platform
