#pragma once

#include <QByteArray>
#include <QDeadlineTimer>

#include <functional>
#include <memory>
#include <netdb.h>

namespace platform {

// A blocking name lookup with getaddrinfo's arguments and result.
using HostResolver = std::function<int(const char* host, const char* port, const addrinfo* hints, addrinfo** found)>;

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

struct HostLookup {
    AddressList addresses;  // the stream addresses found, in the resolver's order
    int error = 0;          // the resolver's code when it failed
    bool timedOut = false;  // no answer before the deadline
};

// Looks up the stream addresses of a host and port on a thread of its own, so that a name
// server that never answers costs no more than the deadline; a lookup still running then ends
// by itself and its result is dropped. The resolver is getaddrinfo unless one is given.
HostLookup lookUpHost(const QByteArray& host, const QByteArray& port, const QDeadlineTimer& deadline,
                      HostResolver resolver = {});

// Waits until the socket is ready for the poll events or the deadline passes; false on the
// deadline or an error.
bool waitForSocket(int fd, short events, const QDeadlineTimer& deadline);

// A non-blocking, close-on-exec stream socket connected to the first of the addresses that
// takes it before the deadline; -1 when none did, errno then telling why the last one failed
// (ETIMEDOUT for the deadline, EADDRNOTAVAIL for no address at all).
int connectToFirst(const addrinfo* addresses, const QDeadlineTimer& deadline);

} // namespace platform
