#include "support/test_support.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "cell/core/text_convert.h"

namespace test {

ScopedTmpfs::ScopedTmpfs(const std::string& at, const char* size, bool readOnly) : at_(at) {
    const std::string options = std::string("size=") + size;
    ok_ = mount("tmpfs", at.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
}

ScopedTmpfs::~ScopedTmpfs() {
    if (ok_) umount(at_.c_str());
}

LogCapture::LogCapture() : previous_(SetLogSink(this)) {}

LogCapture::~LogCapture() { SetLogSink(previous_); }

void LogCapture::Append(const WString& text) { text_ += U(text); }

void LogCapture::Stamp(WString& stamp) { stamp.Assign(WTXT("[stamp] ")); }

bool WaitFor(const std::function<bool()>& condition, int boundMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the pace of checking, not a guess
    }
}

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

WinePrefix::WinePrefix() : env_("WINEPREFIX", nullptr) {
    MakeDirs(dir_ / "drive_c");
    MakeDirs(dir_ / "dosdevices");
    if (symlink("../drive_c", (dir_ / "dosdevices/c:").c_str()) != 0) {}
    if (symlink("/", (dir_ / "dosdevices/z:").c_str()) != 0) {}
    setenv("WINEPREFIX", dir_.path().c_str(), 1);
}

void WinePrefix::MapDrive(char letter, const std::string& target) {
    const std::string link = dir_ / (std::string("dosdevices/") + letter + ":");
    if (symlink(target.c_str(), link.c_str()) != 0) {}
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

void MakeDirs(const std::string& path) {
    const std::string command = "mkdir -p '" + path + "'";
    if (std::system(command.c_str()) != 0) {}
}

WString W(const std::string& utf8) {
    WString w;
    Utf8ToWide(utf8.c_str(), w);
    return w;
}

std::string U(const WChar* wide) {
    NString n;
    WideToUtf8(wide, n);
    return n.CStr();
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

namespace test {

DemoPrefix::DemoPrefix(const char* script, const std::string& user) : prefix(dir / "prefix") {
    const std::string command = std::string("'") + script + "' '" + prefix + "' '" + user + "' >/dev/null";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
}

std::string TreeSnapshot(const std::string& root, const std::string& leaveOut) {
    std::vector<std::string> lines;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec); !ec && it != std::filesystem::end(it);
         it.increment(ec)) {
        const std::string path = it->path().string().substr(root.size());
        if (!leaveOut.empty() && path.size() >= leaveOut.size() &&
            path.compare(path.size() - leaveOut.size(), leaveOut.size(), leaveOut) == 0)
            continue;
        if (it->is_symlink()) lines.push_back(path + " -> link");
        else if (it->is_directory()) lines.push_back(path + "/");
        else lines.push_back(path + " = " + ReadFile(it->path().string()));
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

}  // namespace test
