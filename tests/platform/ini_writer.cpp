// Writes keys <prefix>0 .. <prefix>N-1 of one section, one locked write each.
#include "platform/inifile.h"
#include "platform/filenames.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    platform::IniFile ini(platform::decodeFileName(argv[1]));
    const QString prefix = platform::decodeFileName(argv[2]);
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        if (!ini.writeInteger(QStringLiteral("Shared"), prefix + QString::number(i), i)) {
            std::fprintf(stderr, "write %d failed\n", i);
            return 1;
        }
    }
    return 0;
}
