#include "abstractsocket.h"

#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

bool abstractNameTaken(const QByteArray& name)
{
    sockaddr_un address{};
    if (name.isEmpty() || static_cast<std::size_t>(name.size()) > sizeof address.sun_path)
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const bool taken = ::bind(fd, reinterpret_cast<const sockaddr*>(&address),
                              static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size()))
                       != 0;
    ::close(fd);
    return taken;
}
