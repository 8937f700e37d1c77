#include "gatedfuse.h"
#include "platform/filenames.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <vector>

#include <fcntl.h>
#include <linux/fuse.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString lastError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

int threadCount()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    return -1;
}

// The node ids: the root is 1, name i is 2 + i.
fuse_attr nodeAttr(uint64_t node, bool file)
{
    fuse_attr attr{};
    attr.ino = node;
    attr.mode = file ? S_IFREG | 0644 : S_IFDIR | 0755;
    attr.nlink = file ? 1 : 2;
    attr.uid = ::getuid();
    attr.gid = ::getgid();
    attr.blksize = 4096;
    return attr;
}

class Replier {
public:
    Replier(int fd, const fuse_in_header& request) : fd_(fd), unique_(request.unique) {}

    void error(int code) { send(-code, nullptr, 0); }
    template <typename T> void with(const T& body) { send(0, &body, sizeof body); }
    void bytes(const std::vector<char>& body) { send(0, body.data(), body.size()); }

private:
    void send(int error, const void* body, size_t size)
    {
        std::vector<char> out(sizeof(fuse_out_header) + size);
        fuse_out_header header{uint32_t(out.size()), error, unique_};
        std::memcpy(out.data(), &header, sizeof header);
        if (size)
            std::memcpy(out.data() + sizeof header, body, size);
        [[maybe_unused]] const ssize_t written = ::write(fd_, out.data(), out.size());
    }

    int fd_;
    uint64_t unique_;
};

} // namespace

bool enterPrivateMountNamespace(QString* reason)
{
    if (threadCount() != 1) {
        *reason = QStringLiteral("threads are already running");
        return false;
    }
    if (::unshare(CLONE_NEWNS) != 0) {
        *reason = lastError("unshare");
        return false;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        *reason = lastError("private mounts");
        return false;
    }
    return true;
}

GatedFuse::GatedFuse(const QString& mountPoint, QStringList names, std::chrono::milliseconds openAfter)
    : mountPoint_(mountPoint), names_(std::move(names)), openAt_(std::chrono::steady_clock::now() + openAfter)
{
    fd_ = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        reason_ = lastError("/dev/fuse");
        return;
    }
    const QByteArray options = QStringLiteral("fd=%1,rootmode=40000,user_id=%2,group_id=%3")
                                   .arg(fd_).arg(::getuid()).arg(::getgid()).toLatin1();
    if (::mount("gated", platform::encodeFileName(mountPoint).constData(), "fuse.gated", MS_NOSUID | MS_NODEV,
                options.constData()) != 0) {
        reason_ = lastError("mount");
        ::close(fd_);
        fd_ = -1;
        return;
    }
    mounted_ = true;
    server_ = std::thread([this] { serve(); });
}

GatedFuse::~GatedFuse()
{
    if (!mounted_)
        return;
    stop_ = true;
    server_.join();  // closes the device: every call still waiting fails
    ::umount2(platform::encodeFileName(mountPoint_).constData(), MNT_DETACH);
}

void GatedFuse::serve()
{
    std::vector<char> buffer(1 << 20);
    std::deque<std::vector<char>> waiting;
    const auto answer = [this](const std::vector<char>& request) {
        fuse_in_header in{};
        std::memcpy(&in, request.data(), sizeof in);
        const char* body = request.data() + sizeof in;
        Replier reply(fd_, in);
        const uint64_t folders = uint64_t(names_.size());
        const auto isFile = [this](uint64_t node) { return node >= 2 && names_.value(qsizetype(node - 2)).contains('.'); };
        switch (in.opcode) {
        case FUSE_GETATTR:
            if (in.nodeid < 1 || in.nodeid > folders + 1)
                return reply.error(ENOENT);
            return reply.with(fuse_attr_out{0, 0, 0, nodeAttr(in.nodeid, isFile(in.nodeid))});
        case FUSE_LOOKUP: {
            const qsizetype at = in.nodeid == FUSE_ROOT_ID ? names_.indexOf(QString::fromUtf8(body)) : -1;
            if (at < 0)
                return reply.error(ENOENT);
            fuse_entry_out entry{};
            entry.nodeid = 2 + uint64_t(at);
            entry.attr = nodeAttr(entry.nodeid, isFile(entry.nodeid));
            return reply.with(entry);
        }
        case FUSE_OPENDIR: return reply.with(fuse_open_out{});
        case FUSE_RELEASEDIR:
        case FUSE_ACCESS: return reply.error(0);
        case FUSE_READDIR: {
            fuse_read_in read{};
            std::memcpy(&read, body, sizeof read);
            QStringList names{QStringLiteral("."), QStringLiteral("..")};
            if (in.nodeid == FUSE_ROOT_ID)
                names += names_;
            std::vector<char> out;
            for (uint64_t i = read.offset; i < uint64_t(names.size()); ++i) {
                const QByteArray name = names[qsizetype(i)].toUtf8();
                const size_t size = FUSE_DIRENT_ALIGN(FUSE_NAME_OFFSET + size_t(name.size()));
                if (out.size() + size > read.size)
                    break;
                std::vector<char> record(size, 0);
                auto* entry = reinterpret_cast<fuse_dirent*>(record.data());
                entry->ino = i < 2 ? in.nodeid : i;
                entry->off = i + 1;
                entry->namelen = uint32_t(name.size());
                entry->type = isFile(entry->ino) ? DT_REG : DT_DIR;
                std::memcpy(record.data() + FUSE_NAME_OFFSET, name.constData(), size_t(name.size()));
                out.insert(out.end(), record.begin(), record.end());
            }
            return reply.bytes(out);
        }
        default: return reply.error(ENOSYS);
        }
    };
    while (!stop_) {
        if (!open_ && std::chrono::steady_clock::now() >= openAt_)
            open_ = true;
        if (open_) {
            for (; !waiting.empty(); waiting.pop_front())
                answer(waiting.front());
        }
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
            continue;
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n < ssize_t(sizeof(fuse_in_header)))
            continue;
        std::vector<char> request(buffer.begin(), buffer.begin() + n);
        fuse_in_header in{};
        std::memcpy(&in, request.data(), sizeof in);
        if (in.opcode == FUSE_INIT) {
            fuse_init_in init{};
            std::memcpy(&init, request.data() + sizeof in, qMin(sizeof init, size_t(n) - sizeof in));
            fuse_init_out out{};
            out.major = FUSE_KERNEL_VERSION;
            out.minor = qMin<uint32_t>(init.minor, FUSE_KERNEL_MINOR_VERSION);
            out.max_readahead = init.max_readahead;
            out.max_background = 16;
            out.congestion_threshold = 12;
            out.max_write = 4096;
            out.time_gran = 1;
            Replier(fd_, in).with(out);
            continue;
        }
        if (in.opcode == FUSE_FORGET || in.opcode == FUSE_BATCH_FORGET || in.opcode == FUSE_INTERRUPT)
            continue;  // these want no answer
        ++requests_;
        if (open_)
            answer(request);
        else
            waiting.push_back(std::move(request));
    }
    ::close(fd_);
}
