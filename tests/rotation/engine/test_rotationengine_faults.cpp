// The rotation engine when things go wrong: links, unwritable settings, failed syncs,
// leftovers of killed runs, damaged paths.
#include "tests/rotation/engine/enginerig.h"

#include "platform/filenames.h"
#include "platform/writefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void link(const QString& target, const QString& name)
{
    ASSERT_EQ(::symlink(platform::encodeFileName(target).constData(), platform::encodeFileName(name).constData()), 0) << name.toStdString();
}

// The live folder's names that are not staged files, and the staged ones.
std::pair<QStringList, QStringList> liveNames(const QString& folder)
{
    std::pair<QStringList, QStringList> names;
    for (const QString& n : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
        (n.startsWith(".~staged.") ? names.second : names.first) << n;
    return names;
}

class FaultHook {
public:
    explicit FaultHook(platform::WriteFaultHook hook) { platform::setWriteFaultHook(std::move(hook)); }
    ~FaultHook() { platform::setWriteFaultHook({}); }
};

TEST(RotationEngineFaults, LinksThatLeadOutOfTheRotationAreNeverFollowed)
{
    const struct {
        const char* what;
        QStringList links;  // "name -> target", targets relative to the program folder
        QStringList live;   // what the live folder holds afterwards
        QStringList lines;  // error lines, "%r" standing for the rotation folder
    } cases[] = {
        {"thumbnails linked to a private folder", {"thumbs -> private"}, {"a.jpg", "index.html"},
         {"The link, %rthumbs, leads outside the rotation and was not copied for site, Site_1!"}},
        {"a file linked outside", {"passwd.txt -> private/secret.txt"}, {"a.jpg", "index.html", "thumbs/a_thb.jpg"},
         {"The link, %rpasswd.txt, leads outside the rotation and was not copied for site, Site_1!"}},
        {"a thumbnail linked outside", {"thumbs/b_thb.jpg -> private/secret.txt"}, {"a.jpg", "index.html", "thumbs/a_thb.jpg"},
         {"The link, %rthumbs/b_thb.jpg, leads outside the rotation and was not copied for site, Site_1!"}},
        {"a link that stays inside", {"copy.jpg -> sites/Site_1/Rotation_1/a.jpg", "thumbs/c_thb.jpg -> sites/Site_1/Rotation_1/a.jpg"},
         {"a.jpg", "copy.jpg", "index.html", "thumbs/a_thb.jpg", "thumbs/c_thb.jpg"}, {}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.f.autoSite("Site_1", 1, 1);
        rig.valid("Site_1", 1);
        rig.f.files("private", {"secret.txt", "b_thb.jpg"});
        const QString rotation = rig.f.prog.file("sites/Site_1/Rotation_1/");
        bool thumbsLinked = false;
        for (const QString& l : c.links)
            thumbsLinked = thumbsLinked || l.startsWith("thumbs ->");
        if (!thumbsLinked)
            rig.f.files("sites/Site_1/Rotation_1/thumbs", {"a_thb.jpg"});
        for (const QString& l : c.links) {
            const QStringList parts = l.split(" -> ");
            link(rig.f.prog.file(parts[1]), rotation + parts[0]);
        }
        const SiteRotation r = rig.engine.rotateSite(rig.load("Site_1"));
        QStringList lines;
        for (const QString& line : c.lines)
            lines << "! T - " + QString(line).replace("%r", rotation);
        if (lines.isEmpty())
            lines << "* T - Site_1 sucessfully updated to rotation 1";
        EXPECT_EQ(rig.log.lines(), lines) << c.what;
        EXPECT_EQ(r.succeeded(), c.lines.isEmpty()) << c.what;
        EXPECT_EQ(rig.stored("Site_1"), 2) << c.what;  // the rotation went ahead without the link
        EXPECT_EQ(rig.f.tree("live/Site_1"), c.live) << c.what;
        for (const QString& name : rig.f.tree("live/Site_1")) {
            EXPECT_FALSE(QFileInfo(rig.live("Site_1", name)).isSymLink()) << c.what << " " << name.toStdString();
            EXPECT_FALSE(rig.f.prog.read("live/Site_1/" + name).startsWith("private")) << c.what;
        }
    }
}

TEST(RotationEngineFaults, NewLiveFilesAreNoWiderThanTheirSource)
{
    Rig rig;
    rig.f.autoSite("Site_1", 1, 1);
    rig.valid("Site_1", 1);
    ASSERT_EQ(::chmod(platform::encodeFileName(rig.f.prog.file("sites/Site_1/Rotation_1/a.jpg")).constData(), 0600), 0);
    rig.f.prog.write("live/Site_1/index.html", "old");
    ASSERT_EQ(::chmod(platform::encodeFileName(rig.live("Site_1", "index.html")).constData(), 0664), 0);
    const mode_t saved = ::umask(022);
    const bool ok = rig.engine.rotateSite(rig.load("Site_1")).succeeded();
    ::umask(saved);
    ASSERT_TRUE(ok);
    EXPECT_EQ(QFileInfo(rig.live("Site_1", "a.jpg")).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_TRUE(QFileInfo(rig.live("Site_1", "index.html")).permissions() & QFile::WriteGroup);  // kept its own bits
}

TEST(RotationEngineFaults, EveryFileIsStagedBeforeTheFirstRename)
{
    Rig rig;
    rig.f.autoSite("Site_1", 1, 1);
    rig.valid("Site_1", 1, {"b.htm"});
    rig.f.files("sites/Site_1/Rotation_1/thumbs", {"a_thb.jpg"});
    rig.f.prog.write("live/Site_1/index.html", "old page");
    std::pair<QStringList, QStringList> atSync, thumbsAtSync;
    int syncs = 0;
    {
        FaultHook hook([&](platform::WriteStep step) {
            if (step == platform::WriteStep::Sync && syncs++ == 0) {
                atSync = liveNames(rig.f.prog.file("live/Site_1"));
                thumbsAtSync = liveNames(rig.f.prog.file("live/Site_1/thumbs"));
            }
            return 0;
        });
        ASSERT_TRUE(rig.engine.rotateSite(rig.load("Site_1")).succeeded());
    }
    EXPECT_EQ(syncs, 2);  // one for all the copies, one for the stored position
    EXPECT_EQ(atSync.first, QStringList{"index.html"});
    EXPECT_EQ(atSync.second.size(), 3);
    EXPECT_EQ(thumbsAtSync.first, QStringList{});
    EXPECT_EQ(thumbsAtSync.second.size(), 1);
    EXPECT_EQ(rig.f.tree("live/Site_1"), (QStringList{"a.jpg", "b.htm", "index.html", "thumbs/a_thb.jpg"}));
}

TEST(RotationEngineFaults, PathsThatAreNotUtf8ReachTheirFolders)
{
    const struct {
        const char* what;
        QByteArray general;  // lines of [General] after Name; "%p" is the program folder
        QByteArray more;
        QByteArray live;     // the live folder, and the rotation whose page it gets
        QByteArray from;
    } cases[] = {
        {"live folder", "Path=%/sites/Site_1/\r\nLivePath=%p/caf\xe9/\r\n", "", "caf\xe9", "sites/Site_1/Rotation_1"},
        {"rotation folder", "Path=%/sites/Site_1/\r\nLivePath=%p/live/\r\n", "[Rotation_1]\r\nRotation_Path=%p/r\xe9/\r\n",
         "live", "r\xe9"},
    };
    for (const auto& c : cases) {
        Rig rig;
        QByteArray prog = platform::encodeFileName(rig.f.prog.path());
        prog.chop(1);
        // The name that U+FFFD would have made of each is there too, and must stay untouched.
        for (const char* folder : {"caf\xe9", "r\xe9", "caf\xef\xbf\xbd", "r\xef\xbf\xbd", "sites/Site_1/Rotation_1"})
            rig.f.prog.write(platform::decodeFileName(QByteArray(folder) + "/index.html"), folder);
        QByteArray text = "[General]\r\nName=One\r\nAutoRotate=True\r\nRotationCount=1\r\n" + c.general + c.more;
        text.replace("%p", prog);
        rig.f.prog.write("Site_1.ini", text);
        const SiteRotation r = rig.engine.rotateSite(rig.load("Site_1"));
        EXPECT_EQ(rig.log.lines(), QStringList{"* T - One sucessfully updated to rotation 1"}) << c.what;
        EXPECT_TRUE(r.succeeded()) << c.what;
        EXPECT_EQ(rig.f.prog.read(platform::decodeFileName(c.live + "/index.html")), c.from) << c.what;
        EXPECT_EQ(rig.f.prog.read(platform::decodeFileName("caf\xef\xbf\xbd/index.html")), "caf\xef\xbf\xbd") << c.what;
    }
}

} // namespace
