// The desktop's dialogs, shown for real (zenity on the test display) and
// answered with real keys through xdotool: the document file gate asking
// where a document goes, cancelled dialogs, the colour picker, and what
// happens when there is no display or no zenity.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cell/chunks.h"
#include "cell/gate_keys.h"
#include "cell/gates.h"
#include "cell/register_cells.h"
#include "cell/std_cells.h"
#include "sys/platform.h"
#include "sys/sys_io.h"
#include "support/test_support.h"

namespace {

using test::U;
using test::W;

std::string Output(const std::string& command) {
    std::string out = test::RunCommand(command).out;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// Answers the next dialog that zenity shows with xdotool steps ("key
// Escape", "type ..."), on its own thread, while the test's thread waits in
// the dialog. The steps are given again while the dialog stays (a dialog
// that is still being built can drop the first keys), so each answer starts
// by selecting what a previous try typed; a dialog still there after the
// bound is closed, so that lost keys fail the test instead of hanging it.
class DialogAnswer {
public:
    explicit DialogAnswer(std::vector<std::string> steps)
        : thread_([this, steps] {
              // Only this test's dialog (zenity as this process's child): another
              // test's dialog is none of its business.
              const std::string self = std::to_string(getpid());
              std::string window;
              found_ = test::WaitFor([&] {
                  window = Output("xdotool search --onlyvisible --pid $(pgrep -x -P " + self + " zenity | head -1) 2>/dev/null | head -1");
                  return !window.empty();
              });
              if (!found_) return;
              closed_ = test::AnswerDialog(
                  window, steps, [&] { return Output("pgrep -x -P " + self + " zenity").empty(); }, 10, 2000);
              if (!closed_) std::system(("pkill -x -P " + self + " zenity").c_str());
          }) {}
    ~DialogAnswer() {
        if (thread_.joinable()) thread_.join();
    }
    // The dialog showed and went away with its answer.
    bool Answered() {
        if (thread_.joinable()) thread_.join();
        return found_ && closed_;
    }

private:
    bool found_ = false;
    bool closed_ = false;
    std::thread thread_;
};

std::string Type(const std::string& text) { return "type --delay 30 '" + text + "'"; }

// The file dialogs open in the working folder, where the tests type plain
// names (no completion list of a folder's names gets in the way).
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& path) : old_(Output("pwd")) { EXPECT_EQ(chdir(path.c_str()), 0); }
    ~WorkingFolder() { EXPECT_EQ(chdir(old_.c_str()), 0); }

private:
    std::string old_;
};

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "needs an X display";
    }
    // Keep GTK away from the session bus and the settings daemon.
    test::ScopedEnv noBridge_{"NO_AT_BRIDGE", "1"};
    test::ScopedEnv settings_{"GSETTINGS_BACKEND", "memory"};
    test::WinePrefix prefix_;
    test::TempDir dir_;
};

TEST_F(Dialogs, NewDocumentGoesWhereTheUserSaysWithTheExtensionRule) {
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {{"scene", "scene.veldo"}, {"scene.old", "scene.old"}};
    for (const auto& c : cases) {
        test::MakeDirs(dir_ / c.typed);
        WorkingFolder here(dir_ / c.typed);
        HddGate document;
        document.SetKey(HddGateKey());
        StringCell cell;
        cell.value.Assign(WTXT("saved"));
        DialogAnswer answer({"key ctrl+a", Type(c.typed), "key Return"});
        EXPECT_TRUE(WriteOneCell(document, cell)) << c.typed;
        EXPECT_TRUE(answer.Answered());
        const std::string written = dir_ / c.typed + "/" + c.written;
        EXPECT_EQ(U(document.ChosenPath()), test::WindowsForm(written)) << c.typed;
        EXPECT_EQ(test::ReadFile(written), "saved") << c.typed;
    }
    // The name scene.old was taken as it was: no scene.old.veldo.
    EXPECT_FALSE(test::Exists(dir_ / "scene.old/scene.old.veldo"));
}

TEST_F(Dialogs, NewDocumentReadsThePickedFile) {
    RegisterModelCellClasses();
    HddGate named;
    named.SetKey(HddGateKey(W(test::WindowsForm(dir_ / "picked.veldo")).CStr()));
    IntCell stored;
    stored.value = 42;
    ASSERT_TRUE(WriteOneCell(named, stored));

    HddGate document;
    document.SetKey(HddGateKey());
    // A path starting with "/" opens the dialog's location line.
    DialogAnswer answer({"key ctrl+a", Type(dir_ / "picked.veldo"), "key alt+o"});
    SObject<Cell> read(ReadOneCell(document, true));
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(U(document.ChosenPath()), test::WindowsForm(dir_ / "picked.veldo"));
    auto* number = CellAs<IntCell>(read.Get());
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->value, 42);
}

TEST_F(Dialogs, CancelledDialogsGiveNothing) {
    {
        HddGate document;
        document.SetKey(HddGateKey());
        DialogAnswer answer({"key Escape"});
        EXPECT_FALSE(document.Open(VirtualGate::kRead));
        EXPECT_TRUE(answer.Answered());
        EXPECT_STREQ(U(document.ChosenPath()).c_str(), "");
    }
    {
        WString path(WTXT("left over"));
        DialogAnswer answer({"key Escape"});
        EXPECT_FALSE(GetSysIO().PickFolderDialog(path, WTXT("Pick a folder")));
        EXPECT_TRUE(answer.Answered());
        EXPECT_TRUE(path.IsEmpty());
    }
    {
        const float initial[4] = {0.2f, 0.4f, 0.6f, 0.8f};
        float chosen[4] = {9, 9, 9, 9};
        DialogAnswer answer({"key Escape"});
        GetSysIO().ChooseColour(initial, chosen);
        EXPECT_TRUE(answer.Answered());
        for (float component : chosen) EXPECT_EQ(component, 0.0f);
    }
}

TEST_F(Dialogs, ColourPickerGivesTheChosenColourWithAlphaOne) {
    // Taken as it starts: each component went to the picker truncated to a
    // byte, and comes back with alpha 1.
    const float initial[4] = {0.5f, 0.25f, 1.0f, 0.3f};
    float chosen[4] = {};
    DialogAnswer answer({"key alt+s"});
    GetSysIO().ChooseColour(initial, chosen);
    EXPECT_TRUE(answer.Answered());
    EXPECT_FLOAT_EQ(chosen[0], 127 * 0.003921569f);
    EXPECT_FLOAT_EQ(chosen[1], 63 * 0.003921569f);
    EXPECT_FLOAT_EQ(chosen[2], 255 * 0.003921569f);
    EXPECT_EQ(chosen[3], 1.0f);
}

// Without zenity or without a display nothing waits: the dialog counts as
// cancelled and the log says why. Without xdg-open a link is logged.
TEST_F(Dialogs, MissingToolsAreLoggedFailures) {
    const float initial[4] = {1, 1, 1, 1};
    float chosen[4] = {9, 9, 9, 9};
    WString path;
    {
        test::ScopedEnv noTools("PATH", dir_.path().c_str());
        test::LogCapture log;
        EXPECT_FALSE(GetSysIO().OpenFileDialog(path, WTXT("Open Veldo file"), 5));
        GetSysIO().ChooseColour(initial, chosen);
        EXPECT_EQ(chosen[3], 0.0f);
        EXPECT_TRUE(log.Has("zenity could not be started")) << log.text();
        GetSysIO().OpenLink(WTXT("https://example.com/tutorial"));
        EXPECT_TRUE(log.Has("https://example.com/tutorial was not opened")) << log.text();
    }
    {
        test::ScopedEnv noDisplay("DISPLAY", nullptr);
        test::ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
        test::LogCapture log;
        HddGate document;
        document.SetKey(HddGateKey());
        StringCell cell;
        EXPECT_FALSE(WriteOneCell(document, cell));
        EXPECT_TRUE(log.Has("there is no display")) << log.text();
    }
}

}  // namespace
