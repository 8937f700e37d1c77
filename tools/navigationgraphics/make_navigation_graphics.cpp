// Writes the sample navigation graphics: make_navigation_graphics <resources folder>. Run
// when the drawings change; the files it writes are kept in the repository.
#include "navigationgraphics.h"

#include "imaging/pgexceptions.h"
#include "imaging/pglibrary.h"
#include "platform/filenames.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_navigation_graphics <resources folder>\n");
        return 2;
    }
    InitPGraphic();
    try {
        WriteNavigationGraphics(platform::decodeFileName(argv[1]));
    } catch (const EPixelGraphic& e) {
        std::fprintf(stderr, "make_navigation_graphics: %s\n", e.what());
        return 1;
    }
    std::printf("%lld files written\n", static_cast<long long>(NavigationGraphicNames().size()));
    return 0;
}
