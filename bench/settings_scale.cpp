// Times the settings files at scale: 100,000 sections in one file, a site with 100,000 rotation
// sections searched for its one valid rotation, and a site list of 100,000 sites read the way a
// rotation of all sites reads them (goal: under 2 s each).
//   settings_scale [work folder]
#include "rotation/engine/problemreport.h"
#include "rotation/engine/rotationengine.h"
#include "rotation/engine/runlog.h"
#include "rotation/engine/siterecord.h"

#include "platform/inifile.h"
#include "platform/prompts.h"
#include "platform/filenames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

constexpr int count = 100000;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.left(path.lastIndexOf('/')));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::exit(1);
}

double timeMs(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work(argc > 1 ? platform::decodeFileName(argv[1]) + "/settings-XXXXXX" : QString());
    const QString prog = work.path() + "/";

    // 100,000 unrelated sections: read, list, look each up, and one write into the file.
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "[Section_" + QByteArray::number(i) + "]\r\nKey=" + QByteArray::number(i) + "\r\n";
    writeFile(prog + "big.ini", text);
    int found = 0;
    const double sections = timeMs([&] {
        const platform::IniDocument doc = platform::IniFile(prog + "big.ini").read();
        for (const QString& name : doc.sections())
            found += doc.value(name, "Key").has_value();
        platform::IniFile(prog + "big.ini").writeInteger("Section_99999", "Key", 1);
    });
    std::printf("100,000 sections (read, list, look up each, write one key): %.0f ms (%d found)\n", sections, found);

    // A site with 100,000 rotation sections, as Pictorum writes them, whose only valid rotation is the last.
    text = "[General]\r\nName=Big\r\nPath=" + platform::encodeFileName(prog) + "site/\r\nLivePath=" + platform::encodeFileName(prog)
           + "live/\r\nAutoRotate=True\r\nRotationCount=" + QByteArray::number(count) + "\r\n";
    for (int i = 1; i <= count; ++i)
        text += "[Rotation_" + QByteArray::number(i) + "]\r\nStatus=2\r\nRotation_Path=%/site/Rotation_" + QByteArray::number(i)
                + "/\r\n";
    writeFile(prog + "Site_1.ini", text);
    writeFile(prog + "site/Rotation_" + QByteArray::number(count) + "/index.html", "page");
    platform::ScriptedPromptService prompts;
    RunLog log;
    ProblemReport report(log, prompts, true);
    SiteStore store(prog);
    RotationEngine engine(store, log, report);
    tsiterecord site;
    store.loadsite("Site_1", site);
    SiteRotation rotated;
    const double search = timeMs([&] { rotated = engine.rotateSite(site); });
    std::printf("100,000 rotation sections (search, copy the last, store the position): %.0f ms (rotation %d)\n", search,
                rotated.rotation);

    // 100,000 sites in the site list, each with its settings file, none due.
    text = "[Sites]\r\n";
    for (int i = 1; i <= count; ++i) {
        const QByteArray key = "Site_" + QByteArray::number(i);
        text += key + "=Site " + QByteArray::number(i) + "\r\n";
        if (i > 1)
            writeFile(prog + key + ".ini", "[General]\r\nName=Site " + QByteArray::number(i) + "\r\nPath=%/" + key + "/\r\n");
    }
    writeFile(prog + "sites.ini", text);
    int loaded = 0;
    const double sites = timeMs([&] {
        const QStringList keys = store.siteKeys();
        const QStringList names = store.displayNames(keys);
        for (const QString& key : keys) {
            tsiterecord record;
            loaded += store.loadsite(key, record);
        }
        loaded += names.size() == keys.size() ? 0 : -1;
    });
    std::printf("100,000 sites (list, names, load each site's file): %.0f ms (%d loaded)\n", sites, loaded);
    return 0;
}
