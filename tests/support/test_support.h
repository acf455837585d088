// Helpers shared by the test suites: temporary folders, files, environment
// variables, fake-free Wine prefixes and running code across a real
// permission boundary.
#pragma once

#include <string>

#include "cell/dynamic_string.h"

namespace test {

// A fresh folder under /tmp (mode 0755), removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Sets (or with null, removes) an environment variable until destroyed.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

// A Wine prefix in the way Wine lays one out: drive_c, and dosdevices with
// c: -> ../drive_c and z: -> /. WINEPREFIX points at it while it lives.
class WinePrefix {
public:
    WinePrefix();
    const std::string& path() const { return dir_.path(); }
    std::string driveC() const { return dir_ / "drive_c"; }
    // Adds a drive letter mapped onto a folder.
    void MapDrive(char letter, const std::string& target);

private:
    TempDir dir_;
    ScopedEnv env_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);

WString W(const std::string& utf8);
std::string U(const WChar* wide);
inline std::string U(const WString& w) { return U(w.CStr()); }

// Runs fn as the unprivileged user "nobody" in a child process when the
// tests run as root (otherwise in a child as ourselves) and returns its
// result, or -1 when the child failed to run.
int RunUnprivileged(int (*fn)(void*), void* context);
bool IsRoot();

}  // namespace test
