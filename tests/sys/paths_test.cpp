// Windows paths on Linux through a real Wine prefix layout.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "sys/platform.h"

namespace {

using test::U;
using test::W;

std::string Native(const std::string& windowsPath) {
    WString native;
    if (!SysNativePath(W(windowsPath).CStr(), native)) return "<unmapped>";
    return U(native);
}

std::string Windows(const std::string& unixPath) {
    WString path;
    if (!SysWindowsPath(W(unixPath).CStr(), path)) return "<unmapped>";
    return U(path);
}

TEST(Paths, DrivesMapThroughDosdevices) {
    test::WinePrefix prefix;
    test::MakeDirs(prefix.driveC() + "/Program Files/NewTek/LightWave");
    test::TempDir other;
    prefix.MapDrive('d', other.path());
    const std::string c = prefix.driveC();
    const struct {
        std::string windows;
        std::string unix;
    } cases[] = {
        {"C:\\Program Files\\NewTek", c + "/Program Files/NewTek"},
        {"c:\\program files\\newtek\\LIGHTWAVE", c + "/Program Files/NewTek/LightWave"},  // as on disk
        {"C:\\Program Files\\Missing\\x.txt", c + "/Program Files/Missing/x.txt"},          // kept as typed
        {"C:", c},
        {"C:/Program Files", c + "/Program Files"},
        {"D:\\a", other.path() + "/a"},
        {"Z:\\tmp", "/tmp"},
        {"/opt/veldo\\x", "/opt/veldo/x"},  // already native
        {"relative\\file.txt", "relative/file.txt"},
        {"Q:\\nothing", "<unmapped>"},
    };
    for (const auto& k : cases) EXPECT_EQ(Native(k.windows), k.unix) << k.windows;
}

TEST(Paths, UnixPathsMapBackToTheLongestRoot) {
    test::WinePrefix prefix;
    test::MakeDirs(prefix.driveC() + "/users/me");
    EXPECT_EQ(Windows(prefix.driveC() + "/users/me"), "C:\\users\\me");
    EXPECT_EQ(Windows(prefix.driveC()), "C:\\");
    EXPECT_EQ(Windows("/opt/veldo"), "Z:\\opt\\veldo");
    EXPECT_EQ(Windows("/"), "Z:\\");
}

TEST(Paths, WithoutAPrefixOnlyZExists) {
    test::TempDir home;
    test::ScopedEnv noPrefix("WINEPREFIX", (home.path() + "/absent").c_str());
    EXPECT_EQ(Native("Z:\\etc"), "/etc");
    EXPECT_EQ(Native("C:\\windows"), "<unmapped>");
    EXPECT_EQ(Windows("/etc/hosts"), "Z:\\etc\\hosts");
}

TEST(Paths, ProfileAndExecutable) {
    {
        test::WinePrefix prefix;
        test::ScopedEnv user("USER", "m\xc3\xa4rta");
        WString profile;
        ASSERT_TRUE(SysProfileFolder(profile));
        EXPECT_EQ(U(profile), "C:\\users\\m\xc3\xa4rta");
    }
    {
        test::TempDir home;
        test::ScopedEnv noPrefix("WINEPREFIX", (home.path() + "/absent").c_str());
        test::ScopedEnv homeEnv("HOME", home.path().c_str());
        WString profile;
        ASSERT_TRUE(SysProfileFolder(profile));
        EXPECT_EQ(Native(U(profile)), home.path());
    }
    WString exe;
    ASSERT_TRUE(SysExecutablePath(exe));
    EXPECT_NE(U(exe).find("sys_tests"), std::string::npos);
}

}  // namespace
