#pragma once

#include <functional>

// Runs body as an unprivileged user, so that file modes hold (root ignores them): in a forked
// child that drops to "nobody" when the tests run as root, directly otherwise. Gives the
// body's result, or -1 when the child could not run it.
int runUnprivileged(const std::function<int()>& body);
