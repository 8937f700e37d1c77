#include "spawnprogram.h"

#include <signal.h>

extern char** environ;

namespace platform {

int spawnProgram(pid_t& pid, const char* path, const posix_spawn_file_actions_t& actions, char* const argv[])
{
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const int error = posix_spawn(&pid, path, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    return error;
}

} // namespace platform
