// Host discovery over hand-written registries in a temporary prefix: which
// records become batches, with which folders, and what is logged.
#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <string>

#include "app/log_file.h"
#include "install/discovery.h"
#include "support/test_support.h"

namespace {

using test::U;
using test::W;

std::string Key(const std::string& name) {
    return "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\" + name + "] 1\n";
}

std::string Value(const std::string& name, const std::string& text) { return "\"" + name + "\"=\"" + text + "\"\n"; }

// An uninstall record with a display name, version and install location.
std::string Record(const std::string& key, const std::string& name, const std::string& version,
                   const std::string& location) {
    return Key(key) + Value("DisplayName", name) + Value("DisplayVersion", version) +
           Value("InstallLocation", location) + "\n";
}

struct Discovery : testing::Test {
    test::WinePrefix prefix;
    test::ScopedEnv user{"USER", "player"};
    std::string log = prefix.path() + "/veldo.log";
    BatchList batches;
    std::atomic<uint8_t> stop{0};

    void Registry(const std::string& body) {
        test::WriteFile(prefix.path() + "/system.reg", "WINE REGISTRY Version 2\n#arch=win64\n\n" + body);
        StartLogAt(W(log).CStr());
    }
    std::string Names() const {
        std::string s;
        for (int32_t i = 0; i < batches.count; ++i) s += (i ? "|" : "") + U(batches[i]->displayName);
        return s;
    }
    bool Logged(const std::string& line) const { return test::ReadFile(log).find(line + "\r\n") != std::string::npos; }
};

TEST_F(Discovery, Cinema4D) {
    Registry(Record("C4D R16", "Cinema 4D R16", "16.050", "C:\\\\C4D16") +
             Record("C4D R17", "MAXON CINEMA 4D R17", "17.032", "C:\\\\C4D17") +
             Record("{GUID-C4D}", "Cinema 4D R20", "20.0", "C:\\\\C4D20") +
             Record("C4D odd", "Cinema 4D R21", "R21", "C:\\\\C4D21"));
    SearchCinema4D(batches, stop);
    ASSERT_EQ(Names(), "MAXON CINEMA 4D R17");
    EXPECT_EQ(U(batches[0]->pathValue), "C:\\C4D17\\plugins\\Veldo5");
    EXPECT_EQ(batches[0]->transfers.count, 2);
    EXPECT_TRUE(Logged("C4D install: skipping old version '16.050'."));
    EXPECT_TRUE(Logged("C4D install: cannot identify version from cinema version string 'R21'."));
}

TEST_F(Discovery, Max) {
    Registry(Record("Max 2018", "Autodesk 3ds Max 2018", "20.0", "C:\\\\Max\\\\") +
             Record("Max 2019", "Autodesk 3ds Max 2019", "21.0", "C:\\\\Max19") +
             Record("Max 2012", "Autodesk 3ds Max 2012", "14.0", "C:\\\\Max12") +
             Record("Max lower", "autodesk 3ds max 2018", "20.0", "C:\\\\Max"));
    SearchMax(batches, stop);
    ASSERT_EQ(Names(), "Autodesk 3ds Max 2018");  // the name test is case-sensitive; 21 is too new
    EXPECT_EQ(U(batches[0]->transfers[0]->source).substr(U(batches[0]->transfers[0]->source).size() - 18),
              "3DSMax\\Plugin\\2018");
    EXPECT_EQ(U(batches[0]->transfers[4]->destination), "C:\\Max\\plugins\\VELDO5\\Lang");
    EXPECT_TRUE(Logged("Note: (Max install) skipping old version '14.0'."));
    EXPECT_EQ(test::ReadFile(log).find("21.0"), std::string::npos);  // no message for it
}

TEST_F(Discovery, LightWave) {
    test::MakeDirs(prefix.driveC() + "/LW32/bin");
    test::WriteFile(prefix.driveC() + "/LW32/bin/Modeler.exe",
                    test::ReadFile(VELDO_EXE_FIXTURES "/hello32.exe"));
    Registry(Record("LW2015", "LightWave 3D 2015.3", "2015.3", "C:\\\\LW2015") +
             Key("LW11") + Value("DisplayName", "LightWave 11.6") + Value("DisplayVersion", "11.6") +
             Value("UninstallString", "D:\\\\Programs\\\\LightWave\\\\Uninstall.exe /S") + "\n" +
             Record("LW96", "LightWave 9.6", "9.6", "C:\\\\LW96") +
             Record("LW32", "LightWave 3D 2018", "2018.0", "C:\\\\LW32") +
             Record("LWbad", "LightWave next", "next", "C:\\\\LWX") +
             Key("{AB-12}") + Value("DisplayIcon", "C:\\\\LW2019\\\\bin\\\\Layout.exe,0") + "\n" +
             Key("{AB-12}_lw") + Value("DisplayName", "NewTek LightWave 2019.1.5 (64-bit)") + "\n");
    SearchLightWave(batches, stop);
    // In the registry's order of subkey names.
    ASSERT_EQ(Names(), "LightWave 11.6|LightWave 3D 2015.3|NewTek LightWave 2019.1.5 (64-bit)");
    const InstallBatch& lw2019 = *batches[2];
    EXPECT_EQ(U(lw2019.pathValue), "C:\\LW2019\\support\\plugins\\Brimvale\\Veldo5");
    EXPECT_EQ(U(lw2019.configPath), "C:\\users\\player\\.NewTek\\LightWave\\2019.1.5");
    EXPECT_EQ(U(batches[0]->pathValue), "D:\\Programs\\LightWave\\support\\plugins\\Brimvale\\Veldo5");
    // Before 2015: no languages, files named after the whole version.
    ASSERT_EQ(batches[0]->transfers.count, 4);
    EXPECT_EQ(U(batches[0]->transfers[2]->destination), "%CONFIG_PATH%\\LWEXT11-64.CFG");
    EXPECT_EQ(U(batches[0]->transfers[3]->destination), "%CONFIG_PATH%\\LWM11-64.CFG");
    const InstallBatch& lw2015 = *batches[1];
    ASSERT_EQ(lw2015.transfers.count, 5);
    EXPECT_EQ(U(lw2015.configPath), "C:\\users\\player\\.NewTek\\LightWave\\2015.3");
    EXPECT_EQ(U(lw2015.transfers[4]->destination), "%CONFIG_PATH%\\LWM2015.3-64.CFG");
    EXPECT_EQ(U(lw2015.transfers[4]->auxiliary), "C:\\LW2015\\bin\\Modeler.exe");
    EXPECT_EQ(U(ExpandMacros(lw2015, lw2015.transfers[3]->destination.CStr())),
              "C:\\users\\player\\.NewTek\\LightWave\\2015.3\\LWEXT2015.3-64.CFG");
    EXPECT_TRUE(Logged("Note: (LW install) skipping old version '9.6'."));
    EXPECT_TRUE(Logged("Warning: (LW install) cannot detect lw version from 'next'."));
    EXPECT_EQ(test::ReadFile(log).find("2018.0"), std::string::npos);  // the 32-bit one, silently
}

// Versions as "%f" reads them in the C locale, and only plausible ones.
TEST(Versions, LeadingNumbersThatCanBeVersions) {
    const struct {
        const char* text;
        bool found;
        float version;
    } cases[] = {
        {"2015.3", true, 2015.3f}, {" 11.6 (64-bit)", true, 11.6f}, {"R20.059", false, 0}, {"20.059", true, 20.059f},
        {"+17", true, 17},         {".5", true, 0.5f},               {"2e3", true, 2000},   {"2e", true, 2},
        {"1,5", true, 1},          {"", false, 0},                   {"next", false, 0},    {"nan", false, 0},
        {"inf", false, 0},         {"-5", false, 0},                 {"1e30", false, 0},    {"99999", true, 99999},
        {"100000", false, 0},      {"1e999", false, 0},              {"0x10", true, 0},
    };
    // A locale whose decimal mark is a comma changes nothing.
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    for (const auto& c : cases) {
        float v = -1;
        EXPECT_EQ(ParseVersion(W(c.text).CStr(), v), c.found) << c.text;
        if (c.found) EXPECT_FLOAT_EQ(v, c.version) << c.text;
    }
    if (comma) std::setlocale(LC_NUMERIC, "C");
}

TEST_F(Discovery, BothViewsWithoutDuplicateTests) {
    Registry(Record("LW", "LightWave 3D 2020", "2020.0", "C:\\\\LW") +
             "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\LW] 1\n" +
             Value("DisplayName", "LightWave 3D 2020") + Value("DisplayVersion", "2020.0") +
             Value("InstallLocation", "C:\\\\LW") + "\n");
    SearchLightWave(batches, stop);
    EXPECT_EQ(batches.count, 2);
}

// Each record of each view a search walks is counted, for the search page.
TEST_F(Discovery, RecordsLookedAtAreCounted) {
    Registry(Record("LW", "LightWave 3D 2020", "2020.0", "C:\\\\LW") +
             "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Other] 1\n" +
             Value("DisplayName", "Something else") + "\n" + Record("Tool", "A tool", "1.0", "C:\\\\Tool"));
    RecordCount seen{0};
    SearchHosts(batches, stop, &seen);
    // LightWave walks both views (2 + 1), 3ds Max and Cinema 4D the 64-bit one (2 each).
    EXPECT_EQ(seen.load(), 7);
}

TEST_F(Discovery, StopFlagAndPresets) {
    Registry(Record("LW", "LightWave 3D 2020", "2020.0", "C:\\\\LW"));
    stop = 1;
    SearchHosts(batches, stop);
    ASSERT_EQ(Names(), "Presets");  // still the last batch
    EXPECT_EQ(U(batches[0]->pathValue), "C:\\users\\player\\.Brimvale\\Presets");
    EXPECT_EQ(U(batches[0]->transfers[0]->destination), "%PATH%");
    EXPECT_EQ(batches[0]->fileAction.value, kChoiceInstall);
    EXPECT_TRUE(Logged("Warning: (LW install) search thread stopped."));
    EXPECT_TRUE(Logged("Warning: (Max install) search thread stopped."));
    EXPECT_TRUE(Logged("C4D install: search thread stopped."));
}

TEST_F(Discovery, WithoutARegistryEachSearchSaysSo) {
    StartLogAt(W(log).CStr());
    SearchHosts(batches, stop);
    EXPECT_EQ(Names(), "Presets");
    EXPECT_TRUE(Logged("Error: (LW install) cannot access 64-bit registry!"));
    EXPECT_TRUE(Logged("Error: (Max install) cannot access 64-bit registry!"));
    EXPECT_TRUE(Logged("C4D install: cannot access 64-bit registry!"));
}

}  // namespace
