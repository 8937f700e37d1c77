#pragma once
// The rotation engine over a program folder of its own, for the engine's tests.

#include "tests/rotation/rotationfixture.h"
#include "rotation/engine/problemreport.h"
#include "rotation/engine/rotationengine.h"
#include "rotation/engine/rotationrun.h"
#include "rotation/engine/runlog.h"

#include "platform/inifile.h"
#include "platform/prompts.h"

#include <stdexcept>

namespace {

// A program folder, an unattended log with every line kept, the engine and a run over it.
struct Rig {
    ProgramFolderFixture f;
    platform::ScriptedPromptService prompts;
    RunLog log{[] { return QString("T"); }};
    ProblemReport report{log, prompts, true};
    SiteStore store{f.prog.path()};
    std::function<platform::FolderListing(const QString&)> listing;  // replaces the real lister when set
    RotationEngine engine{store, log, report, [this](const QString& folder) {
                              return listing ? listing(folder) : platform::listFolder(folder, platform::ListWhat::Files);
                          }};
    RotationRun run{store, log, report, engine};

    Rig() { log.setLogOnlyErrors(false); }

    // Options that keep every line, as the log here does.
    static RotationOptions everyLine()
    {
        RotationOptions o;
        o.LogOnlyErrors = false;
        return o;
    }

    tsiterecord load(const QString& key)
    {
        tsiterecord site;
        store.loadsite(key, site);
        return site;
    }
    int stored(const QString& key) const
    {
        return platform::IniFile(f.prog.file(key + ".ini")).readInteger("General", "CurrentRotationPosition", 0, -1);
    }
    // A valid rotation n of a site: its base page and a picture.
    void valid(const QString& key, int n, const QStringList& more = {}) const
    {
        f.files(QStringLiteral("sites/%1/Rotation_%2").arg(key).arg(n), QStringList{"index.html", "a.jpg"} + more);
    }
    // An existing folder without the base page.
    void invalid(const QString& key, int n) const
    {
        f.files(QStringLiteral("sites/%1/Rotation_%2").arg(key).arg(n), {"a.jpg"});
    }
    QString live(const QString& key, const QString& name) const { return f.prog.file("live/" + key + "/" + name); }
};


// Records what a rotation of all sites shows; one row can be made to fail.
class FakeHooks : public RotationHooks {
public:
    void showStatus(const QString& text) override { statuses << text; }
    void showSite(int row, const tsiterecord&) override
    {
        if (row == throwAt)
            throw std::runtime_error("broken row");
        rows << row;
    }
    QStringList statuses;
    QList<int> rows;
    int throwAt = -1;
};

} // namespace
