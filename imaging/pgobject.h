#pragma once

#include <functional>

// Common base of the library's objects that send events (images, readers, writers), so that a
// handler can tell who reported.
class PGObject {
public:
    virtual ~PGObject() = default;
};

using TNotifyEvent = std::function<void(PGObject* Sender)>;
// Done rows, rows in all less one; setting Abort stops the work.
using TProgressEvent = std::function<void(PGObject* Sender, int Done, int Total, bool& Abort)>;
