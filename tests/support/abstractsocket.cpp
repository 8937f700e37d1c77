#include "abstractsocket.h"

#include <cstddef>
#include <cstring>
#include <unistd.h>

socklen_t abstractAddress(const QByteArray& name, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || static_cast<std::size_t>(name.size()) > sizeof address.sun_path)
        return 0;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
}

bool abstractNameTaken(const QByteArray& name)
{
    sockaddr_un address;
    const socklen_t length = abstractAddress(name, address);
    if (length == 0)
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool taken = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0;
    ::close(fd);
    return taken;
}
