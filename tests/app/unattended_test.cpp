// The installer end to end through its executable in unattended mode, on
// demo Wine prefixes: install, reinstall and remove for every host kind,
// and the ways a run can end.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

struct RunResult {
    int code = -1;
    std::string out;
    std::string err;
};

// A demo prefix for a user, made by the demo script.
struct DemoPrefix : test::DemoPrefix {
    std::string user;
    explicit DemoPrefix(const std::string& u = "player") : test::DemoPrefix(VELDO_DEMO_SCRIPT, u), user(u) {}
    std::string Config(const std::string& rest) const { return C("users/" + user + "/.NewTek/LightWave/" + rest); }

    // Runs the installer (by default the one of the build, beside the demo
    // payload); env and runAs go before the command.
    RunResult Unattended(const std::string& word, const std::string& exe = VELDO_INSTALLER_EXE,
                         const std::string& runAs = "") const {
        const std::string command = "cd '" + dir.path() + "' && " + runAs + " env WINEPREFIX='" + prefix + "' USER='" +
                                    user + "' VELDO_ELEVATE='sudo -n' '" + exe + "' -unattended " + word + " 2>'" +
                                    (dir / "stderr") + "'";
        RunResult r;
        const test::CommandResult run = test::RunCommand(command);
        r.out = run.out;
        r.code = run.code;
        r.err = test::ReadFile(dir / "stderr");
        return r;
    }
};

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// A system.reg with one LightWave 3D 2015.3 at a location written as Wine
// writes it, after the given blocks.
std::string OneLightWave(const std::string& location, const std::string& before = "") {
    return "WINE REGISTRY Version 2\n#arch=win64\n\n" + before +
           "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\LW] 1\n"
           "\"DisplayName\"=\"LightWave 3D 2015.3\"\n\"DisplayVersion\"=\"2015.3\"\n"
           "\"InstallLocation\"=\"" + location + "\"\n";
}

TEST(Unattended, InstallReinstallAndRemoveEveryHostKind) {
    DemoPrefix demo;
    DemoPrefix pristine;
    const char* configs[] = {"2015.3/LWM2015.3-64.CFG", "2015.3/LWEXT2015.3-64.CFG", "11.6/LWM11-64.CFG",
                             "11.6/LWEXT11-64.CFG", "2018.0.7/LWM2018.0.7-64.CFG", "2019.1.5/LWEXT2019.1.5-64.CFG"};

    RunResult list = demo.Unattended("list");
    ASSERT_EQ(list.code, 0) << list.out << list.err;
    EXPECT_TRUE(Has(list.out, "LightWave | LightWave 3D 2015.3 | version 2015.3 | files not installed"));
    EXPECT_TRUE(Has(list.out, "NewTek LightWave 2019.1.5"));   // found through its GUID key
    EXPECT_TRUE(Has(list.out, "LightWave 3D 2018.0.7"));       // only in the 32-bit view
    EXPECT_FALSE(Has(list.out, "32-bit"));                     // a 32-bit Modeler is not served
    EXPECT_FALSE(Has(list.out, "3ds Max 2021"));
    EXPECT_FALSE(Has(list.out, "R16"));
    EXPECT_LT(list.out.find("LightWave 11.6"), list.out.find("LightWave 3D 2015.3"));  // by version

    for (int round = 0; round < 2; ++round) {
        RunResult install = demo.Unattended("install");
        ASSERT_EQ(install.code, 0) << install.out << install.err;
        EXPECT_TRUE(Has(install.out, "Install complete!"));
        EXPECT_TRUE(Has(install.out, "Modifying:  C:\\users\\player\\.NewTek\\LightWave\\2015.3\\LWM2015.3-64.CFG"));
    }
    // Every host has its files.
    EXPECT_TRUE(test::Exists(demo.C("Program Files/NewTek/LightWave_2015.3/support/plugins/Brimvale/Veldo5/veldo_5.p")));
    EXPECT_TRUE(test::Exists(demo.C("Program Files/NewTek/LightWave_2015.3/support/l10n/veldo5_de.lng")));
    EXPECT_FALSE(test::Exists(demo.C("Program Files/NewTek/LightWave_11.6/support/l10n")));  // before 2015: no languages
    EXPECT_TRUE(test::Exists(demo.C("Program Files/Autodesk/3ds Max 2018/plugins/Veldo5.dlo")));
    EXPECT_TRUE(test::Exists(demo.C("Program Files/Autodesk/3ds Max 2018/plugins/VELDO5/Lang/en-US.lng")));
    EXPECT_TRUE(test::Exists(demo.C("Program Files/MAXON/Cinema 4D R20/plugins/Veldo5/veldo5.cdl64")));
    EXPECT_TRUE(test::Exists(demo.C("users/player/.Brimvale/Presets/Soft bevel.veldo")));
    // Installed twice: one copy of each branch and block.
    const std::string menu = test::ReadFile(demo.Config("2015.3/LWM2015.3-64.CFG"));
    EXPECT_EQ(menu.find("Veldo5 Modeling"), menu.rfind("Veldo5 Modeling"));
    const std::string ext = test::ReadFile(demo.Config("11.6/LWEXT11-64.CFG"));
    EXPECT_EQ(ext.find("Veldo5_Bevel"), ext.rfind("Veldo5_Bevel"));
    EXPECT_TRUE(Has(ext, "LightWave_11.6\\\\support\\\\plugins\\\\Brimvale\\\\Veldo5\\\\veldo_5.p"));

    // What reinstalling kept aside while it worked is gone.
    EXPECT_EQ(test::TreeSnapshot(demo.C("Program Files")).find("veldo-old"), std::string::npos);

    RunResult listed = demo.Unattended("list");
    EXPECT_TRUE(Has(listed.out, "LightWave 3D 2015.3 | version 2015.3 | files installed | menus installed"));

    RunResult remove = demo.Unattended("remove");
    ASSERT_EQ(remove.code, 0) << remove.out;
    for (const char* c : configs) EXPECT_EQ(test::ReadFile(demo.Config(c)), test::ReadFile(pristine.Config(c))) << c;
    EXPECT_FALSE(test::Exists(demo.C("Program Files/NewTek/LightWave_2015.3/support/plugins/Brimvale/Veldo5")));
    EXPECT_FALSE(test::Exists(demo.C("Program Files/Autodesk/3ds Max 2018/plugins/Veldo5.dlo")));
    EXPECT_TRUE(test::Exists(demo.C("Program Files/Autodesk/3ds Max 2018/plugins/OtherVendor.dlo")));  // the user's
    EXPECT_FALSE(test::Exists(demo.C("users/player/.Brimvale/Presets/Soft bevel.veldo")));
}

// On a terminal a progress line follows the copy and ends at 100%; piped,
// the output has no such line.
TEST(Unattended, ProgressOnATerminalOnly) {
    if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "script is not installed";
    DemoPrefix demo;
    const std::string command = "cd '" + demo.dir.path() + "' && WINEPREFIX='" + demo.prefix + "' USER='" + demo.user +
                                "' script -qec \"'" VELDO_INSTALLER_EXE "' -unattended install\" /dev/null";
    const test::CommandResult run = test::RunCommand(command);
    const std::string& out = run.out;
    ASSERT_EQ(run.code, 0) << out;
    EXPECT_TRUE(Has(out, "Install complete!")) << out;
    const size_t last = out.rfind("\rInstalling... 100% (");
    ASSERT_NE(last, std::string::npos) << out;
    // Every file counted was copied: "(n/n files)".
    const size_t open = out.find('(', last), slash = out.find('/', open), close = out.find(" files)", slash);
    ASSERT_NE(close, std::string::npos);
    EXPECT_EQ(out.substr(open + 1, slash - open - 1), out.substr(slash + 1, close - slash - 1));
    EXPECT_NE(out.substr(open + 1, slash - open - 1), "0");

    RunResult piped = demo.Unattended("install");
    EXPECT_EQ(piped.code, 0);
    EXPECT_FALSE(Has(piped.out, "Installing...")) << piped.out;
    EXPECT_FALSE(Has(piped.out, "\x1b")) << piped.out;
}

TEST(Unattended, AMenuWithoutItsMarkerNeedsAttention) {
    DemoPrefix demo;
    test::WriteFile(demo.Config("2015.3/LWM2015.3-64.CFG"), "LWMenuConfig 1\r\nMenuEntry 1 \"Create\"\r\nMenuEntry 0 .\r\n");
    RunResult r = demo.Unattended("install");
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_TRUE(Has(r.out, "LightWave configuration\n"));
    EXPECT_TRUE(Has(r.out, "LightWave config files are customized or invalid and cannot be modified by installer.\n"));
    EXPECT_TRUE(Has(r.out, "Please use manual installation.\n"));
    EXPECT_FALSE(test::Exists(demo.C("Program Files/Autodesk/3ds Max 2018/plugins/Veldo5.dlo")));  // nothing installed
}

TEST(Unattended, AFailingBatchStopsTheRest) {
    DemoPrefix demo;
    // 3ds Max's plug-in folder is a file: its copy fails.
    const std::string plugins = demo.C("Program Files/Autodesk/3ds Max 2018/plugins");
    std::system(("rm -rf '" + plugins + "'").c_str());
    test::WriteFile(plugins, "not a folder");
    RunResult r = demo.Unattended("install");
    EXPECT_EQ(r.code, 1) << r.out;
    // The payload file that could not be copied, then the folder.
    EXPECT_TRUE(Has(r.out, "Installation failed!\nCannot copy file: ")) << r.out;
    EXPECT_TRUE(Has(r.out, "3DSMax\\Plugin\\2018\\Veldo5.dlo\nCannot copy files into: C:\\Program Files\\Autodesk\\3ds Max 2018\\plugins\n")) << r.out;
    EXPECT_TRUE(test::Exists(demo.C("Program Files/NewTek/LightWave_2015.3/support/plugins/Brimvale/Veldo5/veldo_5.p")));
    EXPECT_FALSE(test::Exists(demo.C("Program Files/MAXON/Cinema 4D R20/plugins/Veldo5")));  // after the failure
}

// A reinstall whose copy fails half-way (where a file goes, a folder
// stands): the failed host is put back exactly as it was, configuration
// and all, and the report says so; the hosts done before it stay done.
TEST(Unattended, AFailedHostIsLeftAsItWas) {
    DemoPrefix demo;
    ASSERT_EQ(demo.Unattended("install").code, 0);
    const std::string max = demo.C("Program Files/Autodesk/3ds Max 2018");
    // The first file of the payload copies, a later one meets a folder.
    std::system(("rm -f '" + max + "/plugins/VELDO5/Lang/en-US.lng'").c_str());
    test::MakeDirs(max + "/plugins/VELDO5/Lang/en-US.lng/a folder");
    test::WriteFile(max + "/plugins/user's own.txt", "mine");
    const std::string before = test::TreeSnapshot(max);
    const std::string lw = demo.C("Program Files/NewTek/LightWave_2015.3/support/plugins/Brimvale/Veldo5/veldo_5.p");
    std::system(("rm -f '" + lw + "'").c_str());

    RunResult r = demo.Unattended("install");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(Has(r.out, "Restored: C:\\Program Files\\Autodesk\\3ds Max 2018\\plugins\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "Installation failed!\n"));
    EXPECT_FALSE(Has(r.out, "Cannot restore")) << r.out;  // the folder in the way was never the batch's
    EXPECT_EQ(test::TreeSnapshot(demo.C("users/player/.Brimvale/VELDO")).find(".veldo-journal"), std::string::npos);
    const std::string after = test::TreeSnapshot(max);
    EXPECT_TRUE(after == before) << "the host changed";  // (its files are binary: not printed)
    EXPECT_TRUE(test::Exists(lw));  // LightWave came before and stays installed
    // Nothing was left aside either.
    EXPECT_EQ(after.find("veldo-old"), std::string::npos);
}

TEST(Unattended, AFullDiskFailsTheInstallation) {
    if (!test::IsRoot()) GTEST_SKIP() << "mounting a tmpfs needs root";
    DemoPrefix demo;
    const std::string plugins = demo.C("Program Files/MAXON/Cinema 4D R20/plugins");
    test::ScopedTmpfs small(plugins, "16k");
    if (!small.ok()) GTEST_SKIP() << "cannot mount tmpfs here";
    test::WriteFile(plugins + "/filler", std::string(64 * 1024, 'f'));  // as much as fits
    const std::string before = test::TreeSnapshot(plugins);
    RunResult r = demo.Unattended("install");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(Has(r.out, "Cannot copy files into: C:\\Program Files\\MAXON\\Cinema 4D R20\\plugins\\Veldo5\n"));
    EXPECT_TRUE(Has(r.out, "Restored: C:\\Program Files\\MAXON\\Cinema 4D R20\\plugins\\Veldo5\n")) << r.out;
    EXPECT_TRUE(test::TreeSnapshot(plugins) == before);  // what was copied before the disk was full is gone again
}

TEST(Unattended, NothingToServeAndUnknownWords) {
    DemoPrefix demo;
    test::WriteFile(demo.prefix + "/system.reg", "WINE REGISTRY Version 2\n#arch=win64\n");
    RunResult r = demo.Unattended("install");
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(Has(r.out, "None of supported platforms were found!\nInstaller supports: LightWave, 3ds Max, Cinema 4D\n"));
    EXPECT_TRUE(Has(r.out, "Presets   | Presets"));
    RunResult bad = demo.Unattended("reinstall");
    EXPECT_EQ(bad.code, 64);
    EXPECT_TRUE(Has(bad.err, "usage: veldo-installer -unattended list|install|remove"));
    // Without its word the mode still runs (no window opens) and says how.
    RunResult none = demo.Unattended("");
    EXPECT_EQ(none.code, 64);
    EXPECT_TRUE(Has(none.err, "usage: veldo-installer -unattended list|install|remove"));
}

TEST(Unattended, NonAsciiUserAndHostFolder) {
    DemoPrefix demo("m\xc3\xa5rta");
    // A LightWave in "Größe", written in the registry with Wine's escapes.
    const std::string host = demo.C("Program Files/Gr\xc3\xb6\xc3\x9f" "e");
    test::MakeDirs(host + "/bin");
    // Wine pads an escape to four digits when a hex digit follows.
    test::WriteFile(demo.prefix + "/system.reg", OneLightWave("C:\\\\Program Files\\\\Gr\\xf6\\x00dfe"));
    RunResult r = demo.Unattended("install");
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_TRUE(test::Exists(host + "/support/plugins/Brimvale/Veldo5/veldo_5.p"));
    const std::string ext = test::ReadFile(demo.Config("2015.3/LWEXT2015.3-64.CFG"));
    // In the host's code page (1252 in a prefix that names none), as
    // LightWave reads it.
    EXPECT_TRUE(Has(ext, "C:\\\\Program Files\\\\Gr\xf6\xdf" "e\\\\support"));
    EXPECT_TRUE(test::Exists(demo.C("users/m\xc3\xa5rta/.Brimvale/Presets/Hard bevel.veldo")));
}

// The program and its payload copied to a folder of their own.
std::string CopyProgram(const test::TempDir& dir, const char* leaveOut) {
    const std::string bin = dir / "bin";
    const std::string from = std::string(VELDO_INSTALLER_EXE).substr(0, std::string(VELDO_INSTALLER_EXE).rfind('/'));
    std::string command = "mkdir -p '" + bin + "' && cp '" VELDO_INSTALLER_EXE "' '" + bin + "/' && cd '" + from +
                          "' && cp -r LightWave 3DSMax Cinema4D Presets InstallerData license.txt '" + bin + "/'";
    if (leaveOut) command += " && rm -rf '" + bin + "/" + leaveOut + "'";
    command += " && chmod -R a+rX '" + dir.path() + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
    return bin + "/veldo-installer";
}

// A packed program checks its own file before anything else: damaged (a
// byte changed, or cut off after the program), it changes nothing on disk
// even with a whole payload beside it, says so and ends with its own code;
// intact, it runs as the program it was.
TEST(Unattended, ADamagedPackedProgramChangesNothing) {
    DemoPrefix demo;
    test::TempDir program;
    const std::string exe = CopyProgram(program, nullptr);
    const std::string packed = program / "bin/packed";
    test::CommandResult pack =
        test::RunCommand("'" + exe + "' -pack '" + program.path() + "/bin' '" + packed + "' 2>&1");
    ASSERT_EQ(pack.code, 0) << pack.out;
    EXPECT_NE(pack.out.find("Packed "), std::string::npos) << pack.out;
    const std::string bytes = test::ReadFile(packed);
    const size_t image = test::ReadFile(exe).size();
    std::string before;
    for (const char* host : test::kDemoHostFolders) before += demo.HostSnapshot(host);
    const std::string flipped = [&] {
        std::string d = bytes;
        d[image + (bytes.size() - image) / 2] ^= 0x01;
        return d;
    }();
    for (const std::string& damaged : {flipped, bytes.substr(0, bytes.size() - 100), bytes.substr(0, image + 10)}) {
        test::WriteFile(packed, damaged);
        chmod(packed.c_str(), 0755);
        RunResult r = demo.Unattended("install", packed);
        EXPECT_EQ(r.code, 5) << r.out;
        EXPECT_EQ(r.out, "The installer file is damaged. Nothing was changed. Please download it again.\n");
        std::string after;
        for (const char* host : test::kDemoHostFolders) after += demo.HostSnapshot(host);
        EXPECT_EQ(after, before);
        EXPECT_TRUE(Has(test::ReadFile(demo.C("users/player/.Brimvale/veldo.log")), "The program's own file is damaged: "));
    }
    test::WriteFile(packed, bytes);
    chmod(packed.c_str(), 0755);
    RunResult r = demo.Unattended("install", packed);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Has(test::ReadFile(demo.C("users/player/.Brimvale/veldo.log")), "Packed payload checked: "));
}

// A packed program alone in its folder does what the program with its
// payload folder beside it does: the same list, the same report, and the
// same bytes in every host after an installation, a reinstallation and a
// removal. The payload is read from the archive only.
TEST(Unattended, APackedProgramDoesWhatTheFolderProgramDoes) {
    DemoPrefix byFolder, byPacked;
    test::TempDir program;
    const std::string exe = CopyProgram(program, nullptr);
    const std::string packed = program / "alone/veldo-installer";
    test::MakeDirs(program / "alone");
    ASSERT_EQ(test::PackDemoPayload("'" + exe + "'", test::FolderOf(exe), program / "payload", packed), "");
    ASSERT_EQ(std::system(("chmod -R a+rX '" + program.path() + "'").c_str()), 0);
    for (const char* word : {"list", "install", "install", "list", "remove"}) {
        const RunResult folder = byFolder.Unattended(word, exe), alone = byPacked.Unattended(word, packed);
        EXPECT_EQ(alone.code, folder.code) << word << alone.out;
        EXPECT_EQ(alone.out, folder.out) << word;
        for (const char* host : test::kDemoHostFolders)
            EXPECT_EQ(byPacked.HostSnapshot(host), byFolder.HostSnapshot(host)) << word << " " << host;
    }
    EXPECT_TRUE(Has(test::ReadFile(byPacked.C("users/player/.Brimvale/veldo.log")), "Packed payload checked: "));
}

// Odd names and files in the payload: a FIFO never holds the copy (the
// batch fails and names it), a name that is not UTF-8 fails its batch and
// is named too, and a name with a line feed never starts a line of its own.
TEST(Unattended, OddPayloadFilesAreNamedAndNeverHang) {
    struct Case {
        const char* name;
        bool fifo;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {"pipe.veldo", true, 1, "Cannot copy file: "},
        {"bad\xff.veldo", false, 1, "Cannot copy file: "},
        {"line1\nInstall complete!.veldo", false, 0, "Presets\\line1\\x0AInstall complete!.veldo\n"},
    };
    for (const Case& c : cases) {
        DemoPrefix demo;
        DemoPrefix pristine;
        test::TempDir program;
        const std::string exe = CopyProgram(program, nullptr);
        const std::string odd = program / "bin/Presets/" + c.name;
        if (c.fifo) ASSERT_EQ(mkfifo(odd.c_str(), 0644), 0);
        else test::WriteFile(odd, "odd");
        RunResult r = demo.Unattended("install", exe);
        EXPECT_EQ(r.code, c.code) << r.out;
        EXPECT_TRUE(Has(r.out, c.says)) << r.out;
        EXPECT_FALSE(Has(r.out, "\nInstall complete!.veldo")) << r.out;
        if (c.code == 0) continue;
        std::string named = c.name;
        if (named.find('\xff') != std::string::npos) named.replace(named.find('\xff'), 1, "\xef\xbf\xbd");
        EXPECT_TRUE(Has(r.out, "Presets\\" + named + "\nCannot copy files into: ")) << r.out;
        EXPECT_EQ(demo.HostSnapshot("users/player/.Brimvale/Presets"), pristine.HostSnapshot("users/player/.Brimvale/Presets"));
    }
}

// A host folder that LightWave's code page cannot name: its files are
// installed, its extension file is left for the user, and a warning says so.
TEST(Unattended, AHostPathOutsideTheCodePage) {
    DemoPrefix demo;
    const std::string host = demo.C("Program Files/\xe3\x83\x86");  // "テ"
    test::MakeDirs(host + "/bin");
    const std::string extension = demo.Config("2015.3/LWEXT2015.3-64.CFG");
    test::MakeDirs(demo.Config("2015.3"));
    test::WriteFile(extension, "{ mine }\r\n");
    test::WriteFile(demo.prefix + "/system.reg",
                    OneLightWave("C:\\\\Program Files\\\\\\x30c6",
                                 "[System\\\\CurrentControlSet\\\\Control\\\\Nls\\\\CodePage] 1\n\"ACP\"=\"1252\"\n\n"));
    RunResult r = demo.Unattended("install");
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_TRUE(Has(r.out, "Path cannot be written in LightWave's code page: C:\\Program Files\\\xe3\x83\x86"
                           "\\support\\plugins\\Brimvale\\Veldo5\n"))
        << r.out;
    EXPECT_TRUE(Has(r.out, "LightWave menu branches needs to be installed manullay.\n"));
    EXPECT_EQ(test::ReadFile(extension), "{ mine }\r\n");
    EXPECT_TRUE(test::Exists(host + "/support/plugins/Brimvale/Veldo5/veldo_5.p"));
}

TEST(Unattended, AHostWithoutItsPayloadIsNeverSearched) {
    DemoPrefix demo;
    test::TempDir program;
    const std::string exe = CopyProgram(program, "Cinema4D");
    RunResult r = demo.Unattended("list", exe);
    ASSERT_EQ(r.code, 0);
    EXPECT_FALSE(Has(r.out, "Cinema 4D"));
    EXPECT_TRUE(Has(test::ReadFile(demo.C("users/player/.Brimvale/veldo.log")), "Note: Cinema installer folder not found!\r\n"));
}

// A payload folder that is gone (or cannot be read) installs nothing: the
// run fails and names the folder instead of saying it is complete.
TEST(Unattended, AMissingPayloadFolderFailsTheRun) {
    for (const char* gone : {"LightWave/Menu branches", "LightWave/Languages", "3DSMax/UI_ln/Icons", "Cinema4D/Resources"}) {
        DemoPrefix demo;
        test::TempDir program;
        const std::string exe = CopyProgram(program, gone);
        RunResult r = demo.Unattended("install", exe);
        EXPECT_EQ(r.code, 1) << gone << "\n" << r.out;
        EXPECT_FALSE(Has(r.out, "Install complete!")) << gone;
        std::string windows = gone;
        for (char& c : windows)
            if (c == '/') c = '\\';
        EXPECT_TRUE(Has(r.out, "Cannot read: ")) << gone << "\n" << r.out;
        EXPECT_TRUE(Has(r.out, windows + "\n")) << gone << "\n" << r.out;
    }
}

TEST(Unattended, ARegistryWrittenByWine) {
    if (std::system("command -v wine >/dev/null 2>&1") != 0) GTEST_SKIP() << "wine is not installed";
    test::TempDir dir;
    const std::string prefix = dir / "prefix";
    const std::string key = "'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\LightWave 2020'";
    const std::string wine = "HOME='" + dir.path() + "' WINEPREFIX='" + prefix + "' WINEDEBUG=-all wine reg add " + key;
    const std::string commands = wine + " /v DisplayName /d 'LightWave 3D 2020.0.2' /f >/dev/null 2>&1 && " + wine +
                                 " /v DisplayVersion /d 2020.0.2 /f >/dev/null 2>&1 && " + wine +
                                 " /v InstallLocation /d 'C:\\Program Files\\LightWave 2020' /f >/dev/null 2>&1 && "
                                 "HOME='" + dir.path() + "' WINEPREFIX='" + prefix + "' wineserver -w";
    ASSERT_EQ(std::system(commands.c_str()), 0);
    const std::string run = "cd '" + dir.path() + "' && WINEPREFIX='" + prefix + "' USER=player '" VELDO_INSTALLER_EXE
                            "' -unattended list > '" + (dir / "out") + "'";
    EXPECT_EQ(std::system(run.c_str()), 0);
    EXPECT_TRUE(Has(test::ReadFile(dir / "out"),
                    "LightWave | LightWave 3D 2020.0.2 | version 2020 | files not installed | menus not installed | "
                    "plug-in C:\\Program Files\\LightWave 2020\\support\\plugins\\Brimvale\\Veldo5"));
}

// The hosts' folders belong to root; the user "nobody" installs through the
// elevated service, allowed by a sudoers rule for this copy of the program:
// the folder program, and a packed one, whose files reach the service
// through staged copies of the user's own that go once copied.
TEST(Unattended, HostFoldersOnlyRootMayChange) {
    if (!test::IsRoot()) GTEST_SKIP() << "the permission boundary needs root";
    if (std::system("command -v sudo >/dev/null 2>&1") != 0) GTEST_SKIP() << "sudo is not installed";
    test::TempDir program;
    const std::string exe = CopyProgram(program, nullptr), packed = program / "alone/veldo-installer";
    test::MakeDirs(program / "alone");
    ASSERT_EQ(test::PackDemoPayload("'" + exe + "'", test::FolderOf(exe), program / "payload", packed), "");
    const std::string rule = "/etc/sudoers.d/veldo-e2e-" + std::to_string(getpid());
    test::WriteFile(rule, "nobody ALL=(root) NOPASSWD: " + exe + ", " + packed + "\n");
    chmod(rule.c_str(), 0440);
    struct Remove {
        std::string path;
        ~Remove() { unlink(path.c_str()); }
    } remove{rule};
    ASSERT_EQ(std::system(("chmod -R a+rX '" + program.path() + "'").c_str()), 0);
    for (const std::string& installer : {exe, packed}) {
        DemoPrefix demo("nobody");
        // Only the profile is the user's; everything else stays root's.
        const std::string setup = "chmod -R a+rX '" + demo.dir.path() + "' && chown -R nobody '" +
                                  demo.C("users/nobody") + "' && chown nobody '" + demo.dir.path() + "'";
        ASSERT_EQ(std::system(setup.c_str()), 0);
        RunResult r = demo.Unattended("install", installer, "setpriv --reuid=65534 --regid=65534 --clear-groups");
        EXPECT_EQ(r.code, 0) << installer << r.out << r.err;
        const std::string dlo = demo.C("Program Files/Autodesk/3ds Max 2018/plugins/Veldo5.dlo");
        struct stat st {};
        ASSERT_EQ(stat(dlo.c_str(), &st), 0) << installer;
        EXPECT_EQ(st.st_uid, 0u);  // written by the elevated service
        EXPECT_EQ(test::ReadFile(dlo), test::ReadFile(test::FolderOf(exe) + "/3DSMax/Plugin/2018/Veldo5.dlo"));
        EXPECT_TRUE(
            test::Exists(demo.C("Program Files/NewTek/LightWave_2015.3/support/plugins/Brimvale/Veldo5/veldo_5.p")));
        EXPECT_EQ(test::RunCommand("find '" + demo.C("users/nobody") + "' -name 'staged*'").out, "") << installer;
        RunResult removed = demo.Unattended("remove", installer, "setpriv --reuid=65534 --regid=65534 --clear-groups");
        EXPECT_EQ(removed.code, 0) << removed.out << removed.err;
        EXPECT_FALSE(test::Exists(dlo));
    }
}

}  // namespace
