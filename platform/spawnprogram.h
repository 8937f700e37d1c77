#pragma once

#include <spawn.h>
#include <sys/types.h>

namespace platform {

// posix_spawn with this program's environment and an empty signal mask, so that the child
// does not inherit the signals a thread of ours blocks. 0 or the error number.
int spawnProgram(pid_t& pid, const char* path, const posix_spawn_file_actions_t& actions, char* const argv[]);

} // namespace platform
