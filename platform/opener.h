#pragma once

#include "fileoutcome.h"

#include <QString>

#include <functional>

namespace platform {

// How an open ended: shown, or the reason it was not.
using OpenReply = std::function<void(const FileOutcome&)>;

// Runs the desktop's opener (such as "xdg-open") on one file or link without waiting for it,
// and replies once: at once when it cannot be started, else when it has ended, with the reason
// its exit status gives. The opener is never stopped by us: it may run as long as the program
// it started, and outlives this process if need be.
void runOpener(const QString& opener, const QString& target, OpenReply reply);

// The reason an opener's exit status stands for; empty for success.
QString openerExitReason(const QString& opener, int waitStatus);

} // namespace platform
