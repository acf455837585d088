// The helpers every platform shares: waiting, files, text, the log and
// tree snapshots. Temporary folders, the environment and what only Linux
// has (Wine prefixes, tmpfs mounts, other users) are in posix_test_support.cpp
// and win32_test_support.cpp.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "core/text_convert.h"

namespace test {

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

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(FsPath(path), std::ios::binary);
    f << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(FsPath(path), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(FsPath(path), ec));
}

void MakeDirs(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(FsPath(path), ec);
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

std::string TreeSnapshot(const std::string& root, const std::string& leaveOut) {
    std::vector<std::string> lines;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(FsPath(root), ec);
         !ec && it != std::filesystem::end(it); it.increment(ec)) {
        const std::string path = Utf8(it->path()).substr(root.size());
        if (!leaveOut.empty() && path.size() >= leaveOut.size() &&
            path.compare(path.size() - leaveOut.size(), leaveOut.size(), leaveOut) == 0)
            continue;
        if (it->is_symlink()) lines.push_back(path + " -> link");
        else if (it->is_directory()) lines.push_back(path + "/");
        else lines.push_back(path + " = " + ReadFile(Utf8(it->path())));
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

}  // namespace test
