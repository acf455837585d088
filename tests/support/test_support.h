// Helpers shared by the test suites: temporary folders, files, environment
// variables, fake-free Wine prefixes and running code across a real
// permission boundary.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/dynamic_string.h"
#include "core/log.h"

namespace test {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// A UTF-8 path as the standard library takes it, and back.
inline std::filesystem::path FsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

// A fresh folder (on Linux under /tmp, mode 0755; on Windows in the user's
// temporary folder), removed with everything in it. Paths are UTF-8.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + kSeparator + name; }

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
// c: -> ../drive_c and z: -> /. WINEPREFIX points at it while it lives. On
// Windows (under Wine) the system itself stands for the prefix: drive C is
// "C:" and the user profile is the system's (shared by the test programs).
class WinePrefix {
public:
    WinePrefix();
    const std::string& path() const { return dir_.path(); }
    std::string driveC() const;
    // Adds a drive letter mapped onto a folder.
    void MapDrive(char letter, const std::string& target);

private:
    TempDir dir_;
    ScopedEnv env_;
};

// Checks the condition until it holds or boundMs have passed (checking
// every millisecond or so); true when it held. Tests wait for what they
// expect with it, never for a guessed while.
bool WaitFor(const std::function<bool()>& condition, int boundMs = 20000);

// A small tmpfs mounted on a folder (root only) until destroyed; ok() tells
// whether the mount worked.
class ScopedTmpfs {
public:
    ScopedTmpfs(const std::string& at, const char* size, bool readOnly = false);
    ~ScopedTmpfs();
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;
    bool ok() const { return ok_; }

private:
    std::string at_;
    bool ok_ = false;
};

// A demo Wine prefix, made by the demo script (its path given) for a user in
// a fresh folder: several host installations and their configuration.
struct DemoPrefix {
    TempDir dir;
    std::string prefix;
    explicit DemoPrefix(const char* script, const std::string& user = "player");
    // A path on its drive C.
    std::string C(const std::string& rest) const { return prefix + "/drive_c/" + rest; }
    // What the folders of one host's batch hold ("a|b" names several: a
    // LightWave's program folder and its configuration folder belong to
    // the same batch), each as TreeSnapshot gives it.
    std::string HostSnapshot(const std::string& folders) const;
};

// The folders of each host's batch in a demo prefix of the user "player",
// as HostSnapshot takes them.
inline constexpr const char* kDemoHostFolders[] = {
    "Program Files/Autodesk/3ds Max 2018",
    "Program Files/MAXON/Cinema 4D R20",
    "Program Files/NewTek/LightWave_2015.3|users/player/.NewTek/LightWave/2015.3",
    "Program Files/NewTek/LightWave_11.6|users/player/.NewTek/LightWave/11.6",
    "Program Files/NewTek/LightWave_2018|users/player/.NewTek/LightWave/2018.0.7",
    "Program Files/NewTek/LightWave_2019|users/player/.NewTek/LightWave/2019.1.5",
    "users/player/.Brimvale/Presets",
};

// Runs a shell command line; its exit code (128 + the signal that ended
// it) and its standard output.
struct CommandResult {
    int code = -1;
    std::string out;
};
CommandResult RunCommand(const std::string& command);

// The demo payload in a folder of the build (its folders and licence, not
// the program beside them) copied to payload, then packed by packer (a
// command: a Linux program, or "wine" and a Windows one) into output; ""
// on success, else what went wrong.
std::string PackDemoPayload(const std::string& packer, const std::string& from, const std::string& payload,
                            const std::string& output);
// The folder a program is in.
inline std::string FolderOf(const std::string& program) { return program.substr(0, program.rfind('/')); }

// Answers a dialog window (its X id) with xdotool steps ("key Escape",
// "type ..."): focuses it, gives the steps and waits up to boundMs for
// answered() to hold. A dialog still being built can drop keys, so the steps
// are given again, tries times at most (typed answers therefore start by
// selecting what an earlier try typed). True when answered.
bool AnswerDialog(const std::string& window, const std::vector<std::string>& steps,
                  const std::function<bool()>& answered, int tries, int boundMs);

// Every file, folder and link under root with its content, one sorted line
// each ("/a/b = bytes", "/a/", "/l -> link"); names ending in leaveOut are
// left out.
std::string TreeSnapshot(const std::string& root, const std::string& leaveOut = "");

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);

// Catches what the program logs while it lives (in UTF-8, "\n" line ends),
// then puts the previous sink back.
class LogCapture : public LogSink {
public:
    LogCapture();
    ~LogCapture() override;
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    void Append(const WString& text) override;
    void Stamp(WString& stamp) override;
    const std::string& text() const { return text_; }
    bool Has(const std::string& piece) const { return text_.find(piece) != std::string::npos; }

private:
    LogSink* previous_;
    std::string text_;
};

WString W(const std::string& utf8);
std::string U(const WChar* wide);
inline std::string U(const WString& w) { return U(w.CStr()); }

// Runs fn as the unprivileged user "nobody" in a child process when the
// tests run as root (otherwise in a child as ourselves) and returns its
// result, or -1 when the child failed to run.
int RunUnprivileged(int (*fn)(void*), void* context);
bool IsRoot();

// Windows: true when the system is Wine (its ntdll names its version).
bool UnderWine();

// A path of the test's own (a TempDir's) as the program names it: on Linux
// the Unix path on drive Z:, on Windows the path itself; backslashes.
std::string WindowsForm(const std::string& native);

}  // namespace test
