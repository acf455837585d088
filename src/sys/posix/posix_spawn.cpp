#include "sys/posix/posix_spawn.h"

#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

extern char** environ;

bool PosixRun(const DynamicArray<const char*>& argv, const DynamicArray<const char*>& extraEnv, bool wait,
              int* exitCode) {
    if (argv.count == 0) return false;
    DynamicArray<char*> args;
    for (int32_t i = 0; i < argv.count; ++i) args.Append(const_cast<char*>(argv[i]));
    args.Append(nullptr);

    // The environment: ours, with the extra entries replacing their names.
    DynamicArray<char*> env;
    for (char** e = environ; e && *e; ++e) {
        bool replaced = false;
        for (int32_t i = 0; i < extraEnv.count; ++i) {
            const char* eq = std::strchr(extraEnv[i], '=');
            const size_t n = eq ? size_t(eq - extraEnv[i]) + 1 : std::strlen(extraEnv[i]);
            if (std::strncmp(*e, extraEnv[i], n) == 0) replaced = true;
        }
        if (!replaced) env.Append(*e);
    }
    for (int32_t i = 0; i < extraEnv.count; ++i) env.Append(const_cast<char*>(extraEnv[i]));
    env.Append(nullptr);

    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data, env.data) != 0) return false;
    if (!wait) {
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        }).detach();
        return true;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}
