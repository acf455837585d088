// Starting other programs: a Windows program runs under $WINE in our prefix,
// anything else directly, with its parameters as separate arguments.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/test_support.h"
#include "sys/platform.h"

namespace {

using test::W;

// The programs write their record beside it and rename it into place, so
// a record that exists is complete.
std::string WaitForFile(const std::string& path) {
    test::WaitFor([&] { return test::Exists(path); });
    return test::ReadFile(path);
}

TEST(Programs, WindowsProgramsRunUnderWine) {
    test::WinePrefix prefix;
    test::TempDir dir;
    // $WINE names the loader, as Wine's own tools do; this one records how
    // it was called.
    const std::string loader = dir / "wine-loader";
    test::WriteFile(loader, "#!/bin/sh\nprintf '%s|' \"$WINEPREFIX\" \"$@\" > '" + (dir / "part") + "' && mv '" +
                              (dir / "part") + "' '" + (dir / "called") + "'\n");
    chmod(loader.c_str(), 0755);
    test::ScopedEnv wine("WINE", loader.c_str());
    test::MakeDirs(prefix.driveC() + "/Program Files/LightWave/bin");
    test::WriteFile(prefix.driveC() + "/Program Files/LightWave/bin/Modeler.exe", "MZ");
    ASSERT_TRUE(SysStartProgram(WTXT("C:\\Program Files\\LightWave\\bin\\Modeler.exe"), WTXT("-c \"a b\" -0")));
    EXPECT_EQ(WaitForFile(dir / "called"),
              prefix.path() + "|" + prefix.driveC() + "/Program Files/LightWave/bin/Modeler.exe|-c|a b|-0|");
}

TEST(Programs, OtherProgramsRunDirectly) {
    test::TempDir dir;
    const std::string script = dir / "tool.sh";
    test::WriteFile(script, "#!/bin/sh\nprintf '%s|' \"$@\" > '" + (dir / "part") + "' && mv '" + (dir / "part") + "' '" +
                              (dir / "called") + "'\n");
    chmod(script.c_str(), 0755);
    ASSERT_TRUE(SysStartProgram(W(script).CStr(), WTXT("one two")));
    EXPECT_EQ(WaitForFile(dir / "called"), "one|two|");
    EXPECT_FALSE(SysStartProgram(W(dir / "missing").CStr(), nullptr));
}

}  // namespace
