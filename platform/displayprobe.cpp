#include "displayprobe.h"

#include "filecontent.h"
#include "filenames.h"
#include "hostlookup.h"

#include <QDeadlineTimer>
#include <QDir>

#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// Where a display is: a local socket when host is empty, else TCP port 6000 + number of host.
struct DisplayAddress {
    QByteArray host;
    QByteArray number;
};

constexpr int firstTcpPort = 6000;

std::optional<DisplayAddress> parseDisplay(QByteArray display)
{
    // "tcp/host:0" and "unix/:0" name the transport first.
    QByteArray transport;
    if (const qsizetype slash = display.indexOf('/'); slash > 0) {
        transport = display.left(slash);
        display = display.mid(slash + 1);
    }
    const qsizetype colon = display.lastIndexOf(':');
    if (colon < 0 || (colon > 0 && display[colon - 1] == ':'))
        return std::nullopt;  // no display number, or a DECnet name ("host::0")
    DisplayAddress address{display.left(colon), display.mid(colon + 1)};
    if (const qsizetype point = address.number.indexOf('.'); point >= 0)
        address.number.truncate(point);  // the screen
    const bool digits = !address.number.isEmpty() && address.number.size() <= 5
                        && std::all_of(address.number.cbegin(), address.number.cend(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || address.number.toInt() > 65535 - firstTcpPort)
        return std::nullopt;
    if (transport == "unix" || address.host == "unix")
        address.host.clear();
    else if (!transport.isEmpty() && transport != "tcp" && transport != "inet" && transport != "inet6")
        return std::nullopt;
    return address;
}

// The server's local socket: its abstract name first, then the file, as the X library tries them.
int connectLocal(const QByteArray& number)
{
    const QByteArray path = "/tmp/.X11-unix/X" + number;
    for (const qsizetype lead : {1, 0}) {  // the abstract name starts with a zero byte
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + lead, path.constData(), std::size_t(path.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + lead + path.size());
        // Not blocking: a server whose queue is full fails here at once instead of holding us.
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0)
            return fd;
        ::close(fd);
    }
    return -1;
}

// The address an Xauthority entry must name for this connection: the host name for a local
// or loopback connection (family "local"), else the server's own address.
struct AuthAddress {
    quint16 family;
    QByteArray address;
};

constexpr quint16 familyInternet = 0;
constexpr quint16 familyInternet6 = 6;
constexpr quint16 familyLocal = 256;
constexpr quint16 familyWild = 65535;

AuthAddress localAuthAddress()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return {familyLocal, QByteArray(name)};
}

AuthAddress peerAuthAddress(int fd)
{
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return localAuthAddress();
    if (peer.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(peer);
        const QByteArray bytes(reinterpret_cast<const char*>(&in.sin_addr), 4);
        return uchar(bytes[0]) == 127 ? localAuthAddress() : AuthAddress{familyInternet, bytes};
    }
    if (peer.ss_family != AF_INET6)
        return localAuthAddress();
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(peer);
    const QByteArray bytes(reinterpret_cast<const char*>(&in6.sin6_addr), 16);
    if (IN6_IS_ADDR_LOOPBACK(&in6.sin6_addr))
        return localAuthAddress();
    if (IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr))
        return uchar(bytes[12]) == 127 ? localAuthAddress() : AuthAddress{familyInternet, bytes.right(4)};
    return {familyInternet6, bytes};
}

struct Cookie {
    QByteArray name;
    QByteArray data;
};

// The display's cookie from the Xauthority file: entries of a family and four counted byte
// strings (address, display number, name, data), all counts big-endian; the first entry for
// this address (or any address) and display number (or any) of the one kind we speak.
Cookie displayCookie(const AuthAddress& address, const QByteArray& number)
{
    const QByteArray variable = qgetenv("XAUTHORITY");
    const QString file = variable.isEmpty() ? QDir::homePath() + QStringLiteral("/.Xauthority") : decodeFileName(variable);
    const QByteArray bytes = readFileContent(file).value_or(QByteArray());
    qsizetype at = 0;
    const auto count = [&bytes, &at](quint16& value) {
        if (at + 2 > bytes.size())
            return false;
        value = quint16(uchar(bytes[at]) << 8 | uchar(bytes[at + 1]));
        at += 2;
        return true;
    };
    const auto counted = [&](QByteArray& text) {
        quint16 size = 0;
        if (!count(size) || at + size > bytes.size())
            return false;
        text = bytes.mid(at, size);
        at += size;
        return true;
    };
    quint16 family = 0;
    QByteArray entryAddress, entryNumber, name, data;
    while (count(family) && counted(entryAddress) && counted(entryNumber) && counted(name) && counted(data)) {
        const bool forAddress = family == familyWild || (family == address.family && entryAddress == address.address);
        if (forAddress && (entryNumber.isEmpty() || entryNumber == number) && name == "MIT-MAGIC-COOKIE-1")
            return {name, data};
    }
    return {};
}

void appendPadded(QByteArray& bytes, const QByteArray& text)
{
    bytes += text;
    bytes += QByteArray((4 - text.size() % 4) % 4, '\0');
}

// The connection setup of the X protocol: byte order ("l": least significant byte first),
// version 11.0, the lengths of the authorization's name and data, both then padded to four.
QByteArray connectionSetup(const Cookie& cookie)
{
    QByteArray setup("l\0", 2);
    for (const qsizetype value : {qsizetype(11), qsizetype(0), cookie.name.size(), cookie.data.size(), qsizetype(0)}) {
        setup += char(value & 0xFF);
        setup += char((value >> 8) & 0xFF);
    }
    appendPadded(setup, cookie.name);
    appendPadded(setup, cookie.data);
    return setup;
}

DisplayAnswer answerOf(int fd, const QByteArray& setup, const QDeadlineTimer& deadline)
{
    if (!waitForSocket(fd, POLLOUT, deadline))
        return DisplayAnswer::Silent;
    if (::send(fd, setup.constData(), std::size_t(setup.size()), MSG_NOSIGNAL) != setup.size())
        return DisplayAnswer::Unreachable;
    if (!waitForSocket(fd, POLLIN, deadline))
        return DisplayAnswer::Silent;
    char status = 0;
    const ssize_t got = ::recv(fd, &status, 1, MSG_DONTWAIT);
    // 1 is success; 0 (failed) and 2 (authenticate further) both mean this client is refused.
    if (got == 1)
        return status == 1 ? DisplayAnswer::Accepted : DisplayAnswer::Refused;
    return got == 0 ? DisplayAnswer::Refused : DisplayAnswer::Unreachable;
}

} // namespace

DisplayAnswer probeXDisplay(const QByteArray& display, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    const std::optional<DisplayAddress> address = parseDisplay(display);
    if (!address)
        return DisplayAnswer::Unreachable;
    int fd = -1;
    if (address->host.isEmpty()) {
        fd = connectLocal(address->number);
    } else {
        const HostLookup lookup = lookUpHost(address->host, QByteArray::number(firstTcpPort + address->number.toInt()),
                                             deadline);
        if (lookup.timedOut)
            return DisplayAnswer::Silent;
        fd = connectToFirst(lookup.addresses.get(), deadline);
        if (fd < 0 && errno == ETIMEDOUT)
            return DisplayAnswer::Silent;
    }
    if (fd < 0)
        return DisplayAnswer::Unreachable;
    const AuthAddress authAddress = address->host.isEmpty() ? localAuthAddress() : peerAuthAddress(fd);
    const DisplayAnswer answer = answerOf(fd, connectionSetup(displayCookie(authAddress, address->number)), deadline);
    ::close(fd);
    return answer;
}

} // namespace platform
