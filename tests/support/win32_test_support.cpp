// The helpers on Windows (the test programs run under Wine): temporary
// folders in the user's temporary folder, the environment, and the system
// standing for a Wine prefix.
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "support/test_support.h"

namespace test {

TempDir::TempDir() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    std::random_device random;
    for (int tries = 0; tries < 100 && path_.empty(); ++tries) {
        const std::filesystem::path made = base / ("veldo-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(made, ec)) path_ = Utf8(made);
    }
}

// Read-only files (some tests make them) are made writable first: Windows
// deletes no read-only file, nor a program that a test started and that
// is still ending (waited for, a few seconds at most).
TempDir::~TempDir() {
    if (path_.empty()) return;
    const std::filesystem::path root = FsPath(path_);
    WaitFor(
        [&] {
            std::error_code ec, ignored;
            for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
                 !ec && it != std::filesystem::end(it); it.increment(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                             std::filesystem::perm_options::add, ignored);
            std::filesystem::remove_all(root, ignored);
            return !std::filesystem::exists(root, ignored);
        },
        5000);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) {
        had_ = true;
        old_ = old;
    }
    _putenv_s(name, value ? value : "");  // an empty value removes the variable
}

ScopedEnv::~ScopedEnv() { _putenv_s(name_.c_str(), had_ ? old_.c_str() : ""); }

WinePrefix::WinePrefix() : env_("WINEPREFIX", getenv("WINEPREFIX")) {}

std::string WinePrefix::driveC() const { return "C:"; }

std::string WindowsForm(const std::string& native) {
    std::string path = native;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace test
