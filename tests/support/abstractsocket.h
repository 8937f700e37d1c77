#pragma once

#include <QByteArray>

#include <sys/socket.h>
#include <sys/un.h>

// The socket address of an abstract local name (it starts with a zero byte); its length counts
// the name's bytes only. Zero when the name does not fit.
socklen_t abstractAddress(const QByteArray& name, sockaddr_un& address);

// Whether a process holds this abstract name: it cannot be bound again.
bool abstractNameTaken(const QByteArray& name);
