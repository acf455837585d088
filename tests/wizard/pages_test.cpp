// The wizard's pages built into a UI root without a window (the recording
// device): for given batch lists, the texts and buttons each page shows,
// the messages its buttons send, and where it scrolls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "cell/gate_keys.h"
#include "cell/gate_table.h"
#include "cell/register_cells.h"
#include "cell/scripts.h"
#include "cell/tags.h"
#include "gx/font_gx.h"
#include "gx/window_cells.h"
#include "lang/language_table.h"
#include "support/recording_gx.h"
#include "support/ui_events.h"
#include "support/ui_find.h"
#include "support/test_support.h"
#include "ui/register_ui_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_root.h"
#include "ui/ui_scroll_view.h"
#include "ui/widgets/register_widget_cells.h"
#include "ui/widgets/ui_button.h"
#include "ui/widgets/ui_progress_bar.h"
#include "ui/widgets/ui_text.h"
#include "wizard/install_panels.h"
#include "wizard/installer.h"
#include "support/register_once.h"

namespace {

// What a page shows, in tree order: "T:" texts, "B:" buttons with the
// function they send ("B:Exit=10"), "S" for a scroll view.
void Describe(const UiBox& box, std::vector<std::string>& out) {
    for (int32_t i = 0; i < box.children.count; ++i) {
        const UiBox* child = box.ChildBox(i);
        if (!child) continue;
        if (const auto* text = CellAs<UiText>(child)) {
            out.push_back(std::string("T:").append(test::U(text->Text())));
        } else if (const auto* button = CellAs<UiButton>(child)) {
            std::string entry = std::string("B:").append(test::U(button->Text()));
            Tag* script = button->ValueTagAt(UiButton::kButtonUpScript);
            if (const auto* f = CellAs<Installer_Fnc>(script ? script->Value() : nullptr))
                entry.append("=").append(std::to_string(f->value));
            else if (const auto* p = CellAs<Installer_Param_Fnc>(script ? script->Value() : nullptr))
                entry.append("=").append(std::to_string(p->value)).append("/").append(std::to_string(p->batch));
            if (button->Text()[0] != '[') out.push_back(entry);  // not the scroll buttons
        } else if (CellAs<UiScrollView>(child)) {
            out.push_back("S");
        }
        Describe(*child, out);
    }
}

// Every character of every text under box is in the font it is drawn with
// (a missing one would show as the font's fallback glyph).
bool EveryCharacterHasAGlyph(const UiBox& box) {
    bool all = true;
    for (int32_t i = 0; i < box.children.count; ++i) {
        const UiBox* child = box.ChildBox(i);
        if (!child) continue;
        if (const auto* text = CellAs<UiText>(child)) {
            const FontGx* font = text->TextFont();
            if (!font) return false;
            for (const WChar* c = text->Text(); *c; ++c)
                if (!FontGx::IsLineBreak(*c) && !font->glyphs.data[uint16_t(*c)].present) {
                    ADD_FAILURE() << "no glyph for U+" << std::hex << int(uint16_t(*c)) << " in " << test::U(text->Text());
                    all = false;
                }
        }
        all = EveryCharacterHasAGlyph(*child) && all;
    }
    return all;
}

// A window without a screen, entered as the main window, with its root.
struct Wizard : ::testing::Test {
    test::UseRecordingGx gx;
    WndGx* window = nullptr;
    UiRoot* root = nullptr;
    SObject<Installer> installer;

    void SetUp() override {
        test::RegisterOnce<RegisterModelCellClasses, RegisterUiCellClasses, RegisterWidgetCellClasses, RegisterWizardCellClasses>();
        window = new WndGx;
        MakeGateCell(HddGateKey(WTXT("window.veldo")), window);
        root = new UiRoot;
        root->Shape(UiBox::kLayoutVertical, kSizeFlexible);
        window->AddChild(root);
        installer.Reset(new Installer);
    }
    std::vector<std::string> Page() {
        installer->Process();
        root->Layout(800, 600);
        std::vector<std::string> out;
        Describe(*root, out);
        return out;
    }
    // The page's lines after the banner (the common frame's image is no text).
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string out;
        for (const std::string& line : lines) out += line + "\n";
        return out;
    }
    InstallBatch* Add(InstallBatch* batch, const char* name, float version, bool installed = false) {
        batch->displayName = test::W(name);
        batch->hostVersion = version;
        batch->installed = installed;
        batch->AddTransfer(kTransferFolder, WTXT("3DSMax\\Plugin"), WTXT("%PATH%"), nullptr, true);
        installer->batches.Add(batch);
        return batch;
    }
};

TEST_F(Wizard, TheFirstPassShowsTheAgreement) {
    const std::string page = Joined(Page());
    EXPECT_EQ(installer->page, kPageWelcome);
    EXPECT_NE(page.find("S\nT:"), std::string::npos) << page;  // the licence in a scroll view
    EXPECT_NE(page.find("B:Exit=10\nB:I Agree=1\n"), std::string::npos) << page;
}

TEST_F(Wizard, QuickSettingsForTheHostsFound) {
    const struct {
        const char* what;
        std::vector<int> kinds;  // 0 LightWave, 1 3ds Max, 2 Cinema 4D, 3 presets; +10: installed; +20: menus only
        std::vector<std::string> has, hasNot;
    } cases[] = {
        {"one host", {0}, {"B:Install into Host0=7/0\n"}, {"Install into all", "Remove from all"}},
        {"two hosts, one installed", {0, 11},
         {"B:Install into all=5\n", "B:Reinstall in Host1=7/1\nB:Remove from Host1=8/1\n"}, {"Remove from all"}},
        {"two installed", {10, 11}, {"B:Install into all=5\nB:Remove from all=6\n"}, {}},
        {"menus without files count as installed", {20}, {"B:Reinstall in Host0=7/0\nB:Remove from Host0=8/0\n"}, {}},
        {"five batches go into the page", {0, 1, 2, 0, 3}, {"B:Back=0"}, {"S\n"}},
        {"six batches scroll", {0, 1, 2, 0, 1, 3}, {"S\n"}, {}},
    };
    for (const auto& c : cases) {
        SetUp();
        for (size_t i = 0; i < c.kinds.size(); ++i) {
            const int kind = c.kinds[i] % 10;
            InstallBatch* b = kind == 0 ? static_cast<InstallBatch*>(new LwInstallBatch)
                              : kind == 1 ? static_cast<InstallBatch*>(new MaxInstallBatch)
                              : kind == 2 ? static_cast<InstallBatch*>(new C4dInstallBatch)
                                          : static_cast<InstallBatch*>(new PresetsInstallBatch);
            Add(b, ("Host" + std::to_string(i)).c_str(), float(i), c.kinds[i] >= 10 && c.kinds[i] < 20);
            if (c.kinds[i] >= 20) static_cast<LwInstallBatch*>(b)->menusInstalled = true;
        }
        installer->RunFunction(Installer::kShowQuickSettings);
        const std::string page = Joined(Page());
        EXPECT_NE(page.find("T:Quick install settings:\n"), std::string::npos) << c.what;
        for (const std::string& part : c.has) EXPECT_NE(page.find(part), std::string::npos) << c.what << "\n" << page;
        for (const std::string& part : c.hasNot) EXPECT_EQ(page.find(part), std::string::npos) << c.what << "\n" << page;
    }
}

TEST_F(Wizard, NoHostFound) {
    installer->RunFunction(Installer::kShowQuickSettings);
    const std::string page = Joined(Page());
    EXPECT_NE(page.find("T:None of supported platforms were found!\nT:Installer supports: "), std::string::npos)
        << page;
    EXPECT_NE(page.find("B:Back=0\n"), std::string::npos);
    EXPECT_EQ(page.find("Install into"), std::string::npos);
}

TEST_F(Wizard, TheFixPageWithCodesOneAndFour) {
    installer->fixes.Append(1);
    installer->fixes.Append(4);
    installer->ShowPage(kPageFix);  // as function 3 shows it for these codes
    const std::string page = Joined(Page());
    EXPECT_NE(page.find("T:LightWave config files are customized or invalid and cannot be modified by installer.\n"
                        "T:Please use manual installation.\n"),
              std::string::npos)
        << page;
    EXPECT_EQ(page.find("started LightWave modeler"), std::string::npos);
    EXPECT_NE(page.find("B:Back=1\n"), std::string::npos);
    EXPECT_EQ(page.find("Continue"), std::string::npos);
}

// The pages of the two jobs show what the job has done, from one frame to
// the next (jobs made here and not started, their counts set by hand).
TEST_F(Wizard, TheJobPagesFollowTheirJobs) {
    installer->searchJob.Reset(new InstallBatchGen(installer->batches));
    installer->searchJob->recordsSeen = 7;
    installer->ShowPage(kPageSearching);
    installer->Process();  // built, then left for the next page as the job is not running
    root->Layout(800, 600);
    std::vector<std::string> lines;
    Describe(*root, lines);
    std::string page = Joined(lines);
    EXPECT_NE(page.find("T:Looking for installed programs ..\nT:Host records looked at: 7\n"), std::string::npos)
        << page;

    installer->installJob.Reset(new InstallBatchProcessor(installer->batches));
    InstallProgress& progress = installer->installJob->progress;
    progress.AddFile(WTXT("Veldo5\\veldo_5.p"), 300);
    progress.AddFile(WTXT("Veldo5\\Lang\\en-US.lng"), 100);
    progress.Publish();
    progress.FileCopied(300);
    installer->ShowPage(kPageInstallation);
    installer->Process();
    root->Layout(800, 600);
    lines.clear();
    Describe(*root, lines);
    page = Joined(lines);
    EXPECT_NE(page.find("T:Installing...\nT:Veldo5\\Lang\\en-US.lng\n"), std::string::npos) << page;
    auto* bar = test::Find<UiProgressBar>(root);
    ASSERT_NE(bar, nullptr);
    EXPECT_FLOAT_EQ(bar->Fraction(), 0.75f);
    EXPECT_GT(bar->Box().x1 - bar->Box().x0, 100);
}

// A log that says where it is.
struct PathLog : LogSink {
    void Append(const WString&) override {}
    void Stamp(WString&) override {}
    const WChar* Where() const override { return WTXT("C:\\users\\player\\.Brimvale\\veldo.log"); }
};

TEST_F(Wizard, TheReportTogglesAndOpensAtItsEnd) {
    PathLog log;
    LogSink* before = SetLogSink(&log);
    // A finished installation with many report lines and one error.
    installer->RunFunction(Installer::kInstall);
    ASSERT_TRUE(test::WaitFor([&] { return !installer->installJob->Running(); }));
    for (int i = 0; i < 40; ++i) installer->installJob->AddReport(WTXT("Creating:"), WTXT("C:\\file"));
    installer->installJob->AddError(WTXT("Cannot copy: "), WTXT("C:\\locked"));
    Page();  // the end of the job is noticed; the next pass builds the page
    const std::vector<std::string> first = Page();
    EXPECT_EQ(installer->page, kPageComplete);
    const std::string page = Joined(first);
    EXPECT_NE(page.find("T:Installation failed!\nT:Log: C:\\users\\player\\.Brimvale\\veldo.log\n"), std::string::npos)
        << page;
    EXPECT_NE(page.find("T:Cannot copy: C:\\locked\n"), std::string::npos) << page;
    EXPECT_NE(page.find("B:Show report\nB:Exit=10\n"), std::string::npos) << page;

    auto* panel = CellAs<InstallPanel5_InstallationComplete>(installer->children[0]);
    InstallPanel5_InstallationComplete_SwitchReport toggle;
    panel->Receive(toggle);
    const std::string shown = Joined(Page());
    EXPECT_NE(shown.find("B:Hide report"), std::string::npos);
    EXPECT_NE(shown.find("S\nT:"), std::string::npos);
    // The report opens at its last line.
    auto* view = test::Find<UiScrollView>(root);
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->Offset(), 0);
    EXPECT_EQ(view->Offset(), view->ContentHeight() - view->ViewHeight());
    panel->Receive(toggle);
    EXPECT_EQ(Page(), first);  // back to the first layout
    SetLogSink(before);
}

// The agreement and the completion page in each language the table speaks:
// the words of that column, paths as they were, and every character in the
// font the text is drawn with.
TEST_F(Wizard, ThePagesInEachLanguage) {
    const struct {
        int32_t column;
        const char* agree;
        const char* heading;
        const char* error;
        const char* report;
    } cases[] = {
        {0, "I Agree", "Installation failed!", "Cannot copy files into: C:\\Größe", "Show report"},
        {1, "同意する", "インストールに失敗しました！", "ファイルをコピーできません: C:\\Größe", "レポートを表示"},
        {2, "Ich stimme zu", "Installation fehlgeschlagen!", "Dateien können nicht kopiert werden nach: C:\\Größe",
         "Bericht anzeigen"},
        {3, "J'accepte", "Échec de l'installation !", "Impossible de copier les fichiers dans : C:\\Größe",
         "Afficher le rapport"},
        {4, "Accetto", "Installazione non riuscita!", "Impossibile copiare i file in: C:\\Größe", "Mostra rapporto"},
    };
    PathLog log;
    LogSink* before = SetLogSink(&log);
    for (const auto& c : cases) {
        GetLanguageTable().column = c.column;
        installer.Reset(new Installer);
        const std::string agreement = Joined(Page());
        EXPECT_NE(agreement.find(std::string("B:") + c.agree + "=1\n"), std::string::npos) << agreement;
        EXPECT_TRUE(EveryCharacterHasAGlyph(*root)) << c.column;

        installer->RunFunction(Installer::kInstall);
        ASSERT_TRUE(test::WaitFor([&] { return !installer->installJob->Running(); }));
        installer->installJob->AddError(WTXT("Cannot copy files into: "), WTXT("C:\\Größe"));
        Page();
        const std::string complete = Joined(Page());
        EXPECT_NE(complete.find(std::string("T:") + c.heading + "\n"), std::string::npos) << complete;
        EXPECT_NE(complete.find(std::string("T:") + c.error + "\n"), std::string::npos) << complete;
        EXPECT_NE(complete.find(std::string("B:") + c.report + "\n"), std::string::npos) << complete;
        EXPECT_NE(complete.find("C:\\users\\player\\.Brimvale\\veldo.log"), std::string::npos) << complete;
        EXPECT_TRUE(EveryCharacterHasAGlyph(*root)) << c.column;
    }
    GetLanguageTable().column = 0;
    SetLogSink(before);
}

}  // namespace

namespace {

// Each page starts with its forward button focused; Escape does what its
// "Exit" or "Back" does.
TEST_F(Wizard, TheKeyboardOnThePages) {
    Page();
    auto* focused = CellAs<UiButton>(root->KeyboardFocus());
    ASSERT_NE(focused, nullptr);
    EXPECT_STREQ(test::U(focused->Text()).c_str(), "I Agree");
    root->HandleEvent(test::KeyEvent(kWndKeyEscape));
    EXPECT_TRUE(installer->closeRequested);

    installer->RunFunction(Installer::kShowQuickSettings);
    Page();
    focused = CellAs<UiButton>(root->KeyboardFocus());
    ASSERT_NE(focused, nullptr);
    EXPECT_STREQ(test::U(focused->Text()).c_str(), "Back");  // no host: only "Back"
    root->HandleEvent(test::KeyEvent(kWndKeyEscape));
    Page();
    EXPECT_EQ(installer->page, kPageWelcome);
}

}  // namespace
