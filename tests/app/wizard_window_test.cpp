// The wizard end to end: the real program on a demo prefix, driven with
// real xdotool clicks, then with keys alone, from the agreement to the
// completion page and its report; the prefix it leaves is compared byte for
// byte with what the unattended mode leaves on an identical one. Each page
// is saved as a screenshot in the build folder.
//
// Where to click comes from the same pages laid out without a window at the
// window's size (the layout does not depend on the screen); when a page is
// there comes from the program's log, which names each page as it is built,
// and from its pixels.
#include <gtest/gtest.h>

#include <spawn.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/register_all_cells.h"
#include "cell/gate_keys.h"
#include "cell/gate_table.h"
#include "gx/window_cells.h"
#include "support/recording_gx.h"
#include "support/test_support.h"
#include "ui/size_rule.h"
#include "ui/ui_root.h"
#include "ui/widgets/ui_button.h"
#include "wizard/install_panels.h"
#include "wizard/installer.h"
#include "support/x_server.h"
#include "support/register_once.h"

extern char** environ;

namespace {

struct DemoPrefix : test::DemoPrefix {
    DemoPrefix() : test::DemoPrefix(VELDO_DEMO_SCRIPT) {}
    std::string Log() const { return test::ReadFile(C("users/player/.Brimvale/veldo.log")); }
};

// Drive C of a prefix, every file with its content, but the log.
std::string Snapshot(const DemoPrefix& demo) { return test::TreeSnapshot(demo.C(""), "veldo.log"); }

// A button's centre (where to click) and a point of its face left of its
// title (where its colour shows).
struct Spot {
    int x = -1, y = -1;
    int faceX = -1;
};

// The centres of the buttons of each page, by title, laid out without a
// window at the main window's size, on a prefix like the one the program
// gets (the search finds the same hosts).
class OfflinePages {
public:
    std::map<std::string, Spot> agreement, quickSettings, complete, report;

    explicit OfflinePages(const DemoPrefix& demo) {
        test::RegisterOnce<RegisterAllCellClasses>();
        test::ScopedEnv prefix("WINEPREFIX", demo.prefix.c_str());
        window_ = new WndGx;
        MakeGateCell(HddGateKey(WTXT("window.veldo")), window_);
        root_ = new UiRoot;
        root_->Shape(UiBox::kLayoutVertical, kSizeFlexible);
        window_->AddChild(root_);
        Installer installer;
        agreement = Buttons(installer);
        installer.SearchNow();
        quickSettings = Buttons(installer);
        installer.RunFunction(Installer::kInstallIntoAll);
        test::WaitFor([&] {
            installer.Process();
            return installer.page == kPageComplete;
        });
        complete = Buttons(installer);
        InstallPanel5_InstallationComplete_SwitchReport toggle;
        installer.children[0]->Receive(toggle);
        report = Buttons(installer);
    }

private:
    test::UseRecordingGx gx_;
    WndGx* window_ = nullptr;
    UiRoot* root_ = nullptr;

    std::map<std::string, Spot> Buttons(Installer& installer) {
        installer.Process();
        root_->Layout(800, 600);
        std::map<std::string, Spot> out;
        Collect(*root_, out);
        return out;
    }
    static void Collect(const UiBox& box, std::map<std::string, Spot>& out) {
        if (const auto* button = CellAs<UiButton>(&box)) {
            const auto r = button->Box();
            // Boxes count up from the bottom edge; the window's pixels down from the top.
            out[test::U(button->Text())] = Spot{int((r.x0 + r.x1) / 2), int(600 - (r.y0 + r.y1) / 2), int(r.x0 + 4)};
        }
        for (int32_t i = 0; i < box.children.count; ++i)
            if (const UiBox* child = box.ChildBox(i)) Collect(*child, out);
    }
};

// The cross-built program, for the unsanitized tree's tests under Wine.
const char* WindowsExe() {
    const char* exe = std::getenv("VELDO_WINDOWS_EXE");
    return VELDO_WINE_TESTS && exe && *exe ? exe : nullptr;
}

struct WizardWindow : ::testing::Test {
    test::XServer x;
    test::WinePrefix home;
    test::ScopedEnv user{"USER", "player"};
    test::ScopedEnv english{"LC_ALL", "C"};
    test::ScopedEnv noLanguage{"LANGUAGE", nullptr};
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string noLeakCheck = std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0";
    test::ScopedEnv keepDriverMemory{"ASAN_OPTIONS", sanitizer ? noLeakCheck.c_str() : nullptr};
    DemoPrefix gui, unattended, layout;
    pid_t pid = 0;
    Window window = 0;

    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(x);
    }
    // A test that failed half way leaves no program behind.
    void TearDown() override {
        if (pid <= 0) return;
        if (window) x.AskToClose(window);
        test::WaitForExit(pid);
    }

    // Starts the program on a prefix (the Linux build, or argv's program
    // found on the PATH) and waits for its window.
    void Start(const DemoPrefix& on, const char* const* argv) {
        test::ScopedEnv prefix("WINEPREFIX", on.prefix.c_str());
        ASSERT_EQ(posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ), 0);
        window = x.WaitForWindow("VELDO installation");
        ASSERT_NE(window, 0u);
        std::system(("xdotool windowfocus --sync " + std::to_string(window)).c_str());
    }
    void Start() {
        const char* argv[] = {VELDO_INSTALLER_EXE, nullptr};
        Start(gui, argv);
    }
    // Closes the window as the window manager would and waits for the end.
    int Close() {
        x.AskToClose(window);
        const int code = test::WaitForExit(pid);
        pid = 0;
        window = 0;
        return code;
    }
    // Waits for the log to name the page for the count-th time.
    bool PageBuilt(const std::string& name, size_t count = 1, const DemoPrefix* on = nullptr) {
        const std::string line = "Wizard page: " + name + "\r\n";
        return test::WaitFor(
            [&] {
                const std::string log = (on ? *on : gui).Log();
                size_t n = 0;
                for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
                return n >= count;
            },
            60000);
    }
    // Waits for a button of the page to be drawn at its place (resting or
    // under the pointer).
    bool Drawn(const Spot& button) {
        uint32_t p = 0;
        const bool drawn = test::WaitFor(
            [&] {
                p = x.Pixel(window, button.faceX, button.y);
                return p == 0x223344 || p == 0x445566;
            },
            60000);
        if (!drawn) ADD_FAILURE() << "at " << button.faceX << ", " << button.y << ": " << std::hex << p;
        return drawn;
    }
    void Shot(const std::string& name) {
        std::filesystem::create_directories(VELDO_SCREENSHOTS);
        EXPECT_TRUE(x.SavePng(window, std::string(VELDO_SCREENSHOTS) + "/" + name + ".png")) << name;
    }
    void Click(const Spot& at) {
        ASSERT_GE(at.x, 0);
        const std::string w = std::to_string(window);
        std::system(("xdotool mousemove --window " + w + " " + std::to_string(at.x) + " " + std::to_string(at.y) +
                     " click 1")
                        .c_str());
    }
    void Key(const std::string& key) { std::system(("xdotool key " + key).c_str()); }

    // What the unattended mode leaves on its prefix.
    std::string UnattendedInstall() {
        const std::string command = "WINEPREFIX='" + unattended.prefix + "' '" VELDO_INSTALLER_EXE
                                    "' -unattended install >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return Snapshot(unattended);
    }
};

TEST_F(WizardWindow, InstallIntoAllWithTheMouse) {
    OfflinePages pages(layout);
    Start();
    ASSERT_TRUE(PageBuilt("agreement"));
    ASSERT_TRUE(Drawn(pages.agreement["I Agree"]));
    Shot("mouse-1-agreement");
    Click(pages.agreement["I Agree"]);

    ASSERT_TRUE(PageBuilt("search"));
    ASSERT_TRUE(PageBuilt("quick settings"));
    ASSERT_TRUE(Drawn(pages.quickSettings["Install into all"]));
    Shot("mouse-2-quick-settings");
    Click(pages.quickSettings["Install into all"]);

    ASSERT_TRUE(PageBuilt("installing"));
    ASSERT_TRUE(PageBuilt("complete"));
    ASSERT_TRUE(Drawn(pages.complete["Show report"]));
    Shot("mouse-3-complete");
    Click(pages.complete["Show report"]);

    ASSERT_TRUE(PageBuilt("complete, report shown"));
    ASSERT_TRUE(Drawn(pages.report["Hide report"]));
    Shot("mouse-4-report");
    Click(pages.report["Exit"]);
    EXPECT_EQ(test::WaitForExit(pid), 0);
    pid = 0;

    const std::string log = gui.Log();
    EXPECT_EQ(log.find("Wizard page: fix"), std::string::npos) << "no menu file of the demo needs a fix";
    EXPECT_EQ(Snapshot(gui), UnattendedInstall());
}

// A packed program, alone in its folder, shows the same agreement page
// (the licence and the banner come from its own file) and installs what
// the folder program does.
TEST_F(WizardWindow, APackedProgramAloneInstallsTheSame) {
    OfflinePages pages(layout);
    test::TempDir program;
    const std::string packed = program / "veldo-installer";
    ASSERT_EQ(test::PackDemoPayload("'" VELDO_INSTALLER_EXE "'", test::FolderOf(VELDO_INSTALLER_EXE), program / "payload", packed), "");
    std::filesystem::remove_all(program / "payload");
    const std::string folderShot = std::string(VELDO_SCREENSHOTS) + "/packed-1-folder-agreement.png";
    const std::string packedShot = std::string(VELDO_SCREENSHOTS) + "/packed-1-agreement.png";
    DemoPrefix folderRun;
    const char* folderArgv[] = {VELDO_INSTALLER_EXE, nullptr};
    Start(folderRun, folderArgv);
    ASSERT_TRUE(PageBuilt("agreement", 1, &folderRun));
    ASSERT_TRUE(Drawn(pages.agreement["I Agree"]));
    Shot("packed-1-folder-agreement");
    EXPECT_EQ(Close(), 0);

    const char* argv[] = {packed.c_str(), nullptr};
    Start(gui, argv);
    ASSERT_TRUE(PageBuilt("agreement"));
    ASSERT_TRUE(Drawn(pages.agreement["I Agree"]));
    Shot("packed-1-agreement");
    EXPECT_EQ(test::ReadFile(packedShot), test::ReadFile(folderShot));
    Click(pages.agreement["I Agree"]);
    ASSERT_TRUE(PageBuilt("quick settings"));
    ASSERT_TRUE(Drawn(pages.quickSettings["Install into all"]));
    Click(pages.quickSettings["Install into all"]);
    ASSERT_TRUE(PageBuilt("complete"));
    ASSERT_TRUE(Drawn(pages.complete["Show report"]));
    Shot("packed-2-complete");
    Click(pages.complete["Exit"]);
    EXPECT_EQ(test::WaitForExit(pid), 0);
    pid = 0;
    EXPECT_NE(gui.Log().find("Packed payload checked: "), std::string::npos);
    EXPECT_EQ(Snapshot(gui), UnattendedInstall());
}

// A packed program's window shows how far its check has come before the
// wizard's first page: held at its first drawing of it (a test point),
// the window holds a line of text across its middle and no page yet.
TEST_F(WizardWindow, APackedProgramShowsItsCheckInTheWindow) {
    OfflinePages pages(layout);
    test::TempDir program;
    const std::string packed = program / "veldo-installer", release = program / "release";
    ASSERT_EQ(test::PackDemoPayload("'" VELDO_INSTALLER_EXE "'", test::FolderOf(VELDO_INSTALLER_EXE), program / "payload",
                                    packed),
              "");
    {
        test::ScopedEnv hold("VELDO_HOLD_AT", "check drawn"), released("VELDO_HOLD_RELEASE", release.c_str());
        const char* argv[] = {packed.c_str(), nullptr};
        Start(gui, argv);
    }
    ASSERT_TRUE(test::WaitFor([&] { return gui.Log().find("Held at check drawn") != std::string::npos; }, 60000));
    const auto textIn = [&](int top, int bottom) {
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = x.Image(window, width, height);
        for (int y = top; y < bottom && y < height; ++y)
            for (int x0 = 0; x0 < width; ++x0)
                if ((pixels[size_t(y) * size_t(width) + size_t(x0)] & 0xFF) > 0x80) return true;
        return false;
    };
    ASSERT_TRUE(test::WaitFor([&] { return textIn(290, 310); }, 60000));
    Shot("packed-0-check");
    EXPECT_FALSE(textIn(0, 280));
    EXPECT_EQ(gui.Log().find("Wizard page:"), std::string::npos);
    test::WriteFile(release, "");
    ASSERT_TRUE(PageBuilt("agreement"));
    ASSERT_TRUE(Drawn(pages.agreement["I Agree"]));
    EXPECT_EQ(Close(), 0);
}

// The same path with keys alone: Enter on each page's forward button,
// Shift+Tab to the report's button, Escape to leave.
TEST_F(WizardWindow, InstallIntoAllWithTheKeyboard) {
    OfflinePages pages(layout);
    Start();
    ASSERT_TRUE(PageBuilt("agreement"));
    ASSERT_TRUE(Drawn(pages.agreement["I Agree"]));
    Key("Return");
    ASSERT_TRUE(PageBuilt("quick settings"));
    ASSERT_TRUE(Drawn(pages.quickSettings["Install into all"]));
    Shot("keys-2-quick-settings");
    Key("Return");
    ASSERT_TRUE(PageBuilt("complete"));
    ASSERT_TRUE(Drawn(pages.complete["Show report"]));
    Key("shift+Tab");
    Key("Return");
    ASSERT_TRUE(PageBuilt("complete, report shown"));
    ASSERT_TRUE(Drawn(pages.report["Hide report"]));
    Shot("keys-4-report");
    Key("Escape");
    EXPECT_EQ(test::WaitForExit(pid), 0);
    pid = 0;
    EXPECT_EQ(Snapshot(gui), UnattendedInstall());
}

// Closing the window while a host is being installed ends nothing inside
// it: the page says which host is being finished, the program ends when it
// is done, with the code of an installation that did not complete, and
// every later host is left as it was. The installation is held at its
// third copied file (a test point) while the window is closed. On Linux,
// and the Windows build under Wine.
struct ClosingMidInstallation : WizardWindow {
    void Run(DemoPrefix& on, const char* const* argv, bool underWine) {
        OfflinePages pages(layout);
        const std::string release = on.dir / "release";
        const std::string releaseSeen = underWine ? test::WindowsForm(release) : release;
        {  // the program under test alone is held
            test::ScopedEnv hold("VELDO_HOLD_AT", "copied:3"), released("VELDO_HOLD_RELEASE", releaseSeen.c_str());
            Start(on, argv);
        }
        ASSERT_TRUE(PageBuilt("agreement", 1, &on));
        ASSERT_TRUE(Drawn(pages.agreement["I Agree"]));
        Key("Return");
        ASSERT_TRUE(PageBuilt("quick settings", 1, &on));
        ASSERT_TRUE(Drawn(pages.quickSettings["Install into all"]));
        Key("Return");
        ASSERT_TRUE(test::WaitFor([&] { return on.Log().find("Held at copied") != std::string::npos; }, 60000));
        ASSERT_TRUE(PageBuilt("installing", 1, &on));
        // The heading's text drawn left of x 390: "Installing..." is short
        // and centred, the line naming the host being finished is long.
        const auto headingDrawnIn = [&](int from, int to) {
            int width = 0, height = 0;
            const std::vector<uint32_t> pixels = x.Image(window, width, height);
            for (int y = 270; y < 288 && y < height; ++y)
                for (int x0 = from; x0 < to && x0 < width; ++x0)
                    if ((pixels[size_t(y) * size_t(width) + size_t(x0)] & 0xFF) > 0x80) return true;
            return false;
        };
        const auto longHeading = [&] { return headingDrawnIn(200, 390); };
        ASSERT_TRUE(test::WaitFor([&] { return headingDrawnIn(400, 500) && !longHeading(); }, 60000))
            << "\"Installing...\" is drawn";
        x.AskToClose(window);
        ASSERT_TRUE(PageBuilt("installing, finishing LightWave 11.6", 1, &on));
        EXPECT_TRUE(test::WaitFor(longHeading, 60000)) << "the heading names the host";
        EXPECT_NE(x.Find("VELDO installation"), 0u) << "the window stays while the host is finished";
        Shot(underWine ? "wine-closing-while-installing" : "closing-while-installing");
        test::WriteFile(release, "");
        EXPECT_EQ(test::WaitForExit(pid), 1);
        pid = 0;
        window = 0;
        DemoPrefix pristine;
        UnattendedInstall();
        for (const char* folders : test::kDemoHostFolders) {
            const std::string now = on.HostSnapshot(folders);
            if (std::string(folders).find("LightWave_11.6") != std::string::npos)
                EXPECT_TRUE(now == unattended.HostSnapshot(folders)) << folders << " was not finished";
            else
                EXPECT_TRUE(now == pristine.HostSnapshot(folders)) << folders << " was touched";
        }
    }
};

TEST_F(ClosingMidInstallation, FinishesTheHostFirst) {
    const char* argv[] = {VELDO_INSTALLER_EXE, nullptr};
    Run(gui, argv, false);
}

TEST_F(ClosingMidInstallation, TheWindowsBuildUnderWineFinishesTheHostFirst) {
    const char* exe = WindowsExe();
    if (!exe) GTEST_SKIP() << "no Windows build (VELDO_WINDOWS_EXE), or a sanitized tree";
    test::ScopedEnv quiet("WINEDEBUG", "-all");
    DemoPrefix underWine;
    const char* argv[] = {"wine", exe, nullptr};
    Run(underWine, argv, true);
    std::system(("WINEPREFIX='" + underWine.prefix + "' wineserver -k 2>/dev/null").c_str());
}

// The cross-built program under Wine on the same display (Wine's OpenGL on
// the same Mesa): its agreement page is drawn pixel for pixel as the Linux
// build draws it, its window carries the executable's icons, and a click on
// "I Agree" turns to the search. Skipped without the Windows build.
TEST_F(WizardWindow, TheWindowsBuildUnderWineDrawsThePagesAsLinuxDoes) {
    const char* exe = WindowsExe();
    if (!exe) GTEST_SKIP() << "no Windows build (VELDO_WINDOWS_EXE), or a sanitized tree";
    OfflinePages pages(layout);
    const Spot agree = pages.agreement["I Agree"];
    // The pointer away from both windows, so that no button is hovered.
    std::system("xdotool mousemove 0 0");

    int linuxWidth = 0, linuxHeight = 0;
    Start();
    ASSERT_TRUE(PageBuilt("agreement"));
    ASSERT_TRUE(Drawn(agree));
    const std::vector<uint32_t> onLinux = x.Image(window, linuxWidth, linuxHeight);
    EXPECT_EQ(Close(), 0);

    test::ScopedEnv quiet("WINEDEBUG", "-all");
    DemoPrefix underWine;
    const char* argv[] = {"wine", exe, nullptr};
    Start(underWine, argv);
    ASSERT_TRUE(PageBuilt("agreement", 1, &underWine));
    ASSERT_TRUE(Drawn(agree));
    int width = 0, height = 0;
    const std::vector<uint32_t> onWine = x.Image(window, width, height);
    Shot("wine-1-agreement");
    ASSERT_FALSE(onWine.empty());
    EXPECT_EQ(width, linuxWidth);
    EXPECT_EQ(height, linuxHeight);
    size_t differ = 0, first = 0;
    for (size_t i = 0; i < std::min(onWine.size(), onLinux.size()); ++i)
        if (onWine[i] != onLinux[i] && differ++ == 0) first = i;
    EXPECT_EQ(differ, 0u) << "first at " << first % size_t(std::max(width, 1)) << ", "
                          << first / size_t(std::max(width, 1));
    // Windows hands the desktop the large and the small icon of the three.
    const auto icons = x.IconSizes(window);
    EXPECT_NE(std::find(icons.begin(), icons.end(), std::pair<long, long>(32, 32)), icons.end());
    EXPECT_NE(std::find(icons.begin(), icons.end(), std::pair<long, long>(16, 16)), icons.end());

    Click(agree);
    EXPECT_TRUE(PageBuilt("search", 1, &underWine));
    EXPECT_EQ(Close(), 0);
    std::system(("WINEPREFIX='" + underWine.prefix + "' wineserver -k 2>/dev/null").c_str());
}

// Without an OpenGL 3.2 context (Mesa held to 3.1) the Windows build says
// so in the system's message box, titled "Error", and ends once it is
// answered, with the code of a window that could not be made.
TEST_F(WizardWindow, TheWindowsBuildWithoutOpenGL32SaysSoInAMessageBox) {
    const char* exe = WindowsExe();
    if (!exe) GTEST_SKIP() << "no Windows build (VELDO_WINDOWS_EXE), or a sanitized tree";
    test::ScopedEnv quiet("WINEDEBUG", "-all"), oldOpenGl("MESA_GL_VERSION_OVERRIDE", "3.1");
    test::ScopedEnv prefix("WINEPREFIX", gui.prefix.c_str());
    const char* argv[] = {"wine", exe, nullptr};
    ASSERT_EQ(posix_spawnp(&pid, "wine", nullptr, nullptr, const_cast<char* const*>(argv), environ), 0);
    window = x.WaitForWindow("Error");
    ASSERT_NE(window, 0u);
    // Its light face painted, and its text right of the icon, above the
    // button: dark pixels there.
    EXPECT_TRUE(test::WaitFor([&] {
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = x.Image(window, width, height);
        if (pixels.empty() || (pixels[0] & 0xFF) < 0xC0) return false;
        for (int y = 0; y < std::min(height, 40); ++y)
            for (int x0 = 56; x0 < width; ++x0)
                if ((pixels[size_t(y) * size_t(width) + size_t(x0)] & 0xFF) < 0x40) return true;
        return false;
    }));
    Shot("wine-no-opengl-3.2");
    EXPECT_EQ(x.Find("VELDO installation"), 0u) << "no wizard without its context";
    std::system(("xdotool windowfocus --sync " + std::to_string(window) + " key Return").c_str());
    EXPECT_EQ(test::WaitForExit(pid), 4);  // no window could be made
    pid = 0;
    window = 0;
    std::system(("WINEPREFIX='" + gui.prefix + "' wineserver -k 2>/dev/null").c_str());
}

}  // namespace
