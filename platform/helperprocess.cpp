#include "helperprocess.h"

#include "spawnprogram.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char helperMarker[] = "--helper";
constexpr int unknownHelper = 127;

// Filled by static objects, so made on first use whatever order they run in.
std::map<std::string, HelperMain, std::less<>>& helpers()
{
    static std::map<std::string, HelperMain, std::less<>> registry;
    return registry;
}

// argv[0] of the program that serves helpers, so that its helpers show under its name;
// empty until runHelperIfAsked let it go on.
std::string& servingProgram()
{
    static std::string name;
    return name;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { ::close(fd_); }
    int get() const { return fd_; }

private:
    int fd_;
};

HelperAnswer failure(QString reason)
{
    return {false, std::move(reason), {}};
}

QString systemError(const char* what, int error)
{
    return QStringLiteral("%1: %2").arg(QLatin1StringView(what), QString::fromLocal8Bit(std::strerror(error)));
}

// The helper's standard input and output are channel, its error output /dev/null; nothing
// else of the program stays open in it. 0 or the error.
int spawnHelper(const char* name, int channel, pid_t& child)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, channel, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

    std::string program = servingProgram();
    std::string marker = helperMarker;
    std::string helper = name;
    char* argv[] = {program.data(), marker.data(), helper.data(), nullptr};
    // posix_spawn, unlike fork, runs nothing of ours in the child before the exec.
    const int error = spawnProgram(child, "/proc/self/exe", actions, argv);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

bool sendAll(int channel, const QByteArray& bytes)
{
    for (qsizetype sent = 0; sent < bytes.size();) {
        // Not a signal that ends the program when the helper went before it read it all.
        const ssize_t n = ::send(channel, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR)
            return false;
        sent += std::max<ssize_t>(n, 0);
    }
    return ::shutdown(channel, SHUT_WR) == 0;
}

// Everything until the helper's end closes the channel; false on an error first.
bool receiveAll(int channel, QByteArray& bytes)
{
    char buffer[65536];
    for (ssize_t n; (n = ::read(channel, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno != EINTR)
            return false;
        if (n > 0)
            bytes.append(buffer, n);
    }
    return true;
}

QString endReason(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0 ? QString() : QStringLiteral("ended with status %1").arg(WEXITSTATUS(status));
    return QStringLiteral("was ended by signal %1").arg(WTERMSIG(status));
}

} // namespace

void registerHelper(const char* name, HelperMain main)
{
    helpers()[name] = main;
}

std::optional<int> runHelperIfAsked(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], helperMarker) == 0) {
        const auto helper = argc > 2 ? helpers().find(std::string_view(argv[2])) : helpers().end();
        return helper != helpers().end() ? helper->second() : unknownHelper;
    }
    servingProgram() = argc > 0 && argv[0][0] != '\0' ? argv[0] : "helper";
    return std::nullopt;
}

bool servesHelpers()
{
    return !servingProgram().empty();
}

QByteArray helperRequest()
{
    QFile input;
    return input.open(STDIN_FILENO, QIODevice::ReadOnly) ? input.readAll() : QByteArray();
}

bool giveHelperAnswer(const QByteArray& answer)
{
    QFile output;
    return output.open(STDOUT_FILENO, QIODevice::WriteOnly) && output.write(answer) == answer.size() && output.flush();
}

HelperAnswer runHelper(const char* name, const QByteArray& request)
{
    const QString helper = QStringLiteral("The helper \"%1\"").arg(QLatin1StringView(name));
    if (!servesHelpers())
        return failure(QStringLiteral("This program runs no helpers"));
    if (!helpers().contains(std::string_view(name)))
        return failure(helper + QStringLiteral(" does not exist"));
    int ends[2];
    // One socket both ways: unlike a pipe, a send to a helper that is gone fails without a signal.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return failure(systemError("socketpair", errno));
    const Descriptor channel(ends[0]);
    pid_t child = 0;
    {
        const Descriptor theirs(ends[1]);
        if (const int error = spawnHelper(name, theirs.get(), child))
            return failure(helper + QStringLiteral(" could not be started: ") + systemError("posix_spawn", error));
    }
    const bool sent = sendAll(channel.get(), request);
    const int sendError = errno;
    HelperAnswer result{true, {}, {}};
    const bool received = receiveAll(channel.get(), result.answer);
    const int receiveError = errno;
    // The channel closes when the helper ends, so this does not wait: a helper that hangs
    // never gets here.
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (const QString ended = endReason(status); !ended.isEmpty())
        return failure(helper + QLatin1Char(' ') + ended);
    if (!sent)
        return failure(helper + QStringLiteral(" did not take its request: ") + systemError("send", sendError));
    if (!received)
        return failure(helper + QStringLiteral(" gave no whole answer: ") + systemError("read", receiveError));
    return result;
}

} // namespace platform
