#include "platform/mounttable.h"
#include "tempfolder.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(MountTable, ParsesEscapesAndSkipsDamagedLines)
{
    const QByteArray table = "/dev/sda1 / ext4 rw,relatime 0 0\n"
                             "server:/share /mnt/my\\040share nfs4 rw 0 0\n"
                             "/dev/sdb1 /media/joe/back\\134slash\\012nl vfat rw 0 0\n"
                             "broken-line\n"
                             "\n"
                             "x relative ext4 rw 0 0\n"
                             "/dev/sdc1 /media/\\7 vfat rw 0 0\n"
                             "sshfs#me@host: /home/joe/remote fuse.sshfs rw 0 0";
    const QList<MountEntry> mounts = parseMountTable(table);
    ASSERT_EQ(mounts.size(), 5);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].fsType, "ext4");
    EXPECT_EQ(mounts[1].device, "server:/share");
    EXPECT_EQ(mounts[1].mountPoint, "/mnt/my share");
    EXPECT_EQ(mounts[2].mountPoint, "/media/joe/back\\slash\nnl");
    EXPECT_EQ(mounts[3].mountPoint, "/media/\\7");  // a short escape stays as it is
    EXPECT_EQ(mounts[4].fsType, "fuse.sshfs");
}

TEST(MountTable, RemoteTypesAndUserVolumes)
{
    for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "sshfs", "fuse", "fuse.sshfs", "fuse.gvfsd-fuse", "9p", "autofs"})
        EXPECT_TRUE(isRemoteFileSystem(type)) << type;
    for (const char* type : {"ext4", "btrfs", "vfat", "tmpfs", "overlay", "fusectl", ""})
        EXPECT_FALSE(isRemoteFileSystem(type)) << type;

    for (const char* point : {"/mnt", "/mnt/usb", "/media/cdrom", "/media/joe/STICK", "/run/media/joe/STICK"})
        EXPECT_TRUE(isUserVolume(point, "joe")) << point;
    for (const char* point : {"/", "/mntx", "/run/media/ann/STICK", "/home", "/run/media/joe"})
        EXPECT_FALSE(isUserVolume(point, "joe")) << point;
}

TEST(MountTable, MountOfTakesTheDeepestAndTheLastOnOnePoint)
{
    const MountTable m({{"a", "/", "ext4"}, {"b", "/mnt/nas", "nfs"}, {"c", "/mnt/nas", "ext4"}, {"d", "/mnt/nas/x", "nfs"}});
    EXPECT_EQ(m.mountOf("/mnt/nas/file").device, "c");
    EXPECT_EQ(m.mountOf("/mnt/nas").device, "c");
    EXPECT_EQ(m.mountOf("/mnt/nas/x/y").device, "d");
    EXPECT_EQ(m.mountOf("/mnt/nasty").device, "a");
    EXPECT_TRUE(m.isMountPoint("/mnt/nas"));
    EXPECT_FALSE(m.isMountPoint("/mnt"));
}

// Links are followed on local file systems only: a link into a remote mount is known as such
// from the mount table, whatever lies beyond it (here nothing at all: it is never looked at).
TEST(MountTable, ReachFollowsLinksButStopsAtRemoteMounts)
{
    TempFolder dir;
    const QString base = dir.path().chopped(1);
    dir.mkdir("local/deep");
    const auto link = [&](const char* target, const char* name) {
        ASSERT_TRUE(QFile::link(QString::fromUtf8(target), dir.file(name)));
    };
    link("local", "rel");
    link("../local/deep", "local/up");
    link((base + "/nas").toUtf8().constData(), "abs");
    link("rel/../nas/x", "via");
    link("auto/share", "automounted");
    link("loop", "loop");
    MountTable table({{"/dev/root", "/", "ext4"}, {"server:/", base + "/nas", "nfs4"}, {"systemd-1", base + "/auto", "autofs"}});

    const struct {
        const char* path;
        QString reach;
        bool remote;
    } cases[] = {
        {"local/deep", base + "/local/deep", false},
        {"rel/deep", base + "/local/deep", false},
        {"local/up/./", base + "/local/deep", false},
        {"abs", base + "/nas", true},
        {"abs/a/b", base + "/nas/a/b", true},
        {"via/y", base + "/nas/x/y", true},
        {"automounted", base + "/auto/share", true},
        {"nas", base + "/nas", true},
        {"missing/more", base + "/missing/more", false},
        {"loop/x", base + "/loop/x", false},
    };
    for (const auto& c : cases) {
        const MountTable::Reach r = table.reach(dir.file(c.path));
        EXPECT_EQ(r.path, c.reach) << c.path;
        EXPECT_EQ(r.remote, c.remote) << c.path;
    }
    // A remote root holds everything.
    EXPECT_TRUE(MountTable({{"server:/", "/", "nfs"}}).reach(dir.file("local")).remote);
}

TEST(MountTable, ProcWatcherSeesTheRootMount)
{
    ProcMountWatcher watcher;
    EXPECT_EQ(watcher.table().mountOf("/").mountPoint, "/");
    EXPECT_FALSE(watcher.mounts().isEmpty());
}

} // namespace
