#include "sys/posix/posix_spawn.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

extern char** environ;

namespace {

// The environment for a child: ours, with the extra entries replacing their
// names.
void ChildEnvironment(const DynamicArray<const char*>& extraEnv, DynamicArray<char*>& env) {
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
}

bool WaitFor(pid_t pid, int* exitCode) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

// argv with its closing null, as the spawn call takes it.
void Arguments(const DynamicArray<const char*>& argv, DynamicArray<char*>& args) {
    for (int32_t i = 0; i < argv.count; ++i) args.Append(const_cast<char*>(argv[i]));
    args.Append(nullptr);
}

}  // namespace

bool PosixRun(const DynamicArray<const char*>& argv, const DynamicArray<const char*>& extraEnv, bool wait,
              int* exitCode) {
    if (argv.count == 0) return false;
    DynamicArray<char*> args, env;
    Arguments(argv, args);
    ChildEnvironment(extraEnv, env);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data, env.data) != 0) return false;
    if (!wait) {
        std::thread([pid] { WaitFor(pid, nullptr); }).detach();
        return true;
    }
    return WaitFor(pid, exitCode);
}

bool PosixRunOutput(const DynamicArray<const char*>& argv, NString& output, int* exitCode) {
    output.Assign("");
    if (argv.count == 0) return false;
    DynamicArray<char*> args, env;
    Arguments(argv, args);
    ChildEnvironment(DynamicArray<const char*>(), env);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data, env.data);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (started != 0) {
        close(fds[0]);
        return false;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) output.Append(buffer, int32_t(n));
        else if (n == 0 || errno != EINTR) break;
    }
    close(fds[0]);
    return WaitFor(pid, exitCode);
}
