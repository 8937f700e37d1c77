#pragma once

#include <QByteArray>

#include <chrono>

namespace platform {

// How an X display answers a new client, by the first byte of the server's answer to the
// connection setup.
enum class DisplayAnswer {
    Accepted,     // the server would take a client with this cookie
    Refused,      // it answered, but refused (no or a wrong authorization)
    Silent,       // connected, but no answer within the time allowed
    Unreachable,  // no server there, or a name that is no X display
};

// Connects to the X display named as DISPLAY names it (":0", "unix:0.1", "host:10", "tcp/host:0"),
// sends the connection setup with the display's cookie from the Xauthority file (XAUTHORITY,
// else ~/.Xauthority) and waits for the server's answer until the timeout, which bounds the
// name lookup and the connecting as well. Closes the connection again and prints nothing.
DisplayAnswer probeXDisplay(const QByteArray& display, std::chrono::milliseconds timeout);

} // namespace platform
