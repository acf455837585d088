// The helpers only Linux has, or has in its own way: temporary folders under
// /tmp, the environment, Wine prefixes, tmpfs mounts and the unprivileged
// user.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <cstdlib>

#include "support/test_support.h"

namespace test {

TempDir::TempDir() {
    char pattern[] = "/tmp/veldo-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made ? made : "/tmp";
    chmod(path_.c_str(), 0755);
}

TempDir::~TempDir() {
    if (path_.size() > 5) {
        const std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
        if (std::system(command.c_str()) != 0) {}
    }
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) {
        had_ = true;
        old_ = old;
    }
    if (value) setenv(name, value, 1);
    else unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (had_) setenv(name_.c_str(), old_.c_str(), 1);
    else unsetenv(name_.c_str());
}

ScopedTmpfs::ScopedTmpfs(const std::string& at, const char* size, bool readOnly) : at_(at) {
    const std::string options = std::string("size=") + size;
    ok_ = mount("tmpfs", at.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
}

ScopedTmpfs::~ScopedTmpfs() {
    if (ok_) umount(at_.c_str());
}

WinePrefix::WinePrefix() : env_("WINEPREFIX", nullptr) {
    MakeDirs(dir_ / "drive_c");
    MakeDirs(dir_ / "dosdevices");
    if (symlink("../drive_c", (dir_ / "dosdevices/c:").c_str()) != 0) {}
    if (symlink("/", (dir_ / "dosdevices/z:").c_str()) != 0) {}
    setenv("WINEPREFIX", dir_.path().c_str(), 1);
}

std::string WinePrefix::driveC() const { return dir_ / "drive_c"; }

void WinePrefix::MapDrive(char letter, const std::string& target) {
    const std::string link = dir_ / (std::string("dosdevices/") + letter + ":");
    if (symlink(target.c_str(), link.c_str()) != 0) {}
}

DemoPrefix::DemoPrefix(const char* script, const std::string& user) : prefix(dir / "prefix") {
    const std::string command = std::string("'") + script + "' '" + prefix + "' '" + user + "' >/dev/null";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
}

std::string DemoPrefix::HostSnapshot(const std::string& folders) const {
    std::string out;
    size_t start = 0;
    for (size_t bar = folders.find('|');; bar = folders.find('|', start)) {
        const std::string folder = folders.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        out += folder + ":\n" + TreeSnapshot(C(folder));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return out;
}

CommandResult RunCommand(const std::string& command) {
    CommandResult r;
    FILE* p = popen(command.c_str(), "r");
    char buffer[512];
    while (p && fgets(buffer, sizeof buffer, p)) r.out += buffer;
    const int status = p ? pclose(p) : -1;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return r;
}

std::string PackDemoPayload(const std::string& packer, const std::string& from, const std::string& payload,
                            const std::string& output) {
    const CommandResult copy =
        RunCommand("mkdir -p '" + payload + "' && cd '" + from +
                   "' && cp -r LightWave 3DSMax Cinema4D Presets InstallerData license.txt '" + payload + "/' 2>&1");
    if (copy.code != 0) return "copy: " + copy.out;
    const CommandResult pack = RunCommand(packer + " -pack '" + payload + "' '" + output + "' 2>&1");
    return pack.code == 0 ? "" : "pack: " + pack.out;
}

bool AnswerDialog(const std::string& window, const std::vector<std::string>& steps,
                  const std::function<bool()>& answered, int tries, int boundMs) {
    for (int i = 0; i < tries; ++i) {
        if (answered()) return true;
        std::system(("xdotool windowfocus --sync " + window).c_str());
        for (const std::string& step : steps) std::system(("xdotool " + step).c_str());
        if (WaitFor(answered, boundMs)) return true;
    }
    return answered();
}

std::string WindowsForm(const std::string& native) {
    std::string path = "Z:" + native;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool IsRoot() { return geteuid() == 0; }

int RunUnprivileged(int (*fn)(void*), void* context) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(125);
        }
        _exit(fn(context) & 0x7F);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace test
