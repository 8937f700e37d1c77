#pragma once

namespace platform {

// Shows the busy cursor for the lifetime of the object (nothing without a GUI application).
class Hourglass {
public:
    Hourglass();
    ~Hourglass();
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    bool active_ = false;
};

} // namespace platform
