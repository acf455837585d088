#include "app/installer_app.h"

#include <cstdio>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/frame_loop.h"
#include "app/log_file.h"
#include "app/pack_command.h"
#include "app/unattended.h"
#include "app/wsys_io.h"
#include "app/register_all_cells.h"
#include "cell/gate_table.h"
#include "core/log.h"
#include "core/text_convert.h"
#include "gx/window_cells.h"
#include "lang/language_table.h"
#include "lang/user_texts.h"
#include "sys/admin_service.h"
#include "sys/platform.h"
#include "sys/journal_recovery.h"
#include "sys/packed_payload.h"
#include "sys/sys_io.h"
#include "sys/test_points.h"
#include "sys/text_files.h"
#include "ui/size_rule.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_root.h"
#include "ui/widgets/ui_text.h"
#include "wizard/installer.h"

InstallerApp::InstallerApp(Arguments* args) : App(args) {
    RegisterProgramSysIO();
    const int32_t service = FindArgument(*args_, AdminServiceArg::kClassKey);
    // The elevated service opens its log itself, once it knows its client
    // (the file its client made for it); it touches no other. Packing a
    // payload touches no host and leaves the user's log alone.
    if (service < 0 && FindArgument(*args_, PackArg::kClassKey) < 0) StartLog();
    Gates();
    RegisterAllCellClasses();
}

// A packed program reads its whole archive once (trailer, table, and every
// block against its CRC), in the window mode with its progress shown; then
// its payload is read from its own file, as a folder below it. False for a
// damaged file.
bool InstallerApp::CheckOwnPayload(WndGx* window) {
    WString exe, native;
    if (!SysExecutablePath(exe) || !SysNativePath(exe.CStr(), native)) return true;
    ownPayload_ = ownArchive_.Open(native.CStr());
    if (ownPayload_ == ArchiveStatus::kNotPacked) return true;
    if (ownPayload_ == ArchiveStatus::kOk) {
        UiText* shown = window ? ShowCheckProgress(*window) : nullptr;
        double lastFrame = -kCheckFrameMs;
        ownPayload_ = ownArchive_.Verify([&](int64_t done, int64_t total) {
            if (!shown || SysClockMs() - lastFrame < kCheckFrameMs) return;
            lastFrame = SysClockMs();
            WString line;
            line.Format(WTXT("%s%d%%"), Translate(texts::kCheckingInstaller), int(total > 0 ? done * 100 / total : 100));
            shown->SetText(line.CStr());
            window->Frame();
            TestPoint("check drawn");
        });
        if (window) ClearRoot(*window);
    }
    if (ownPayload_ != ArchiveStatus::kOk) {
        LogLine(WTXT("The program's own file is damaged: %s"), ownArchive_.Why());
        return false;
    }
    LogLine(WTXT("Packed payload checked: %i files"), ownArchive_.Entries().count);
    exe.AppendChar(WChar('\\'));
    MountPackedPayload(ownArchive_, exe.CStr());
    return true;
}

// A line of text in the main window while the check runs.
UiText* InstallerApp::ShowCheckProgress(WndGx& window) {
    UiRoot* root = RootOf(window);
    if (!root) return nullptr;
    auto* text = new UiText(Translate(texts::kCheckingInstaller), kSizeFlexible, kAlignCenterX, kAlignCenterY, false);
    root->AddChild(text);
    window.Frame();
    return text;
}

void InstallerApp::ClearRoot(WndGx& window) {
    if (UiRoot* root = RootOf(window))
        while (root->children.count > 0) root->children.Remove(0);
}

UiRoot* InstallerApp::RootOf(WndGx& window) {
    for (int32_t i = 0; i < window.children.count; ++i)
        if (auto* root = dynamic_cast<UiRoot*>(window.children[i])) return root;
    return nullptr;
}

// The error box in the window mode, a line on standard output without one.
void InstallerApp::ReportDamagedDownload(bool window) {
    if (window) {
        GetSysIO().ShowError(Translate(texts::kDamagedDownload), LogPath().CStr());
        return;
    }
    NString utf8;
    WideToUtf8(texts::kDamagedDownload, utf8);
    std::printf("%s\n", utf8.CStr());
}

SSlave<GCell> InstallerApp::Start() {
    const int32_t admin = FindArgument(*args_, AdminServiceArg::kClassKey);
    if (admin >= 0) {
        const auto* option = static_cast<const AdminServiceArg*>((*args_)[admin]);
        RunAdminService(option->serviceName.CStr(), option->number);
        return {};
    }
    // From here on a polite request to end (a signal, a console's close)
    // never cuts a host's installation off: it is noted, and the program
    // ends when the host in progress is done.
    SysCatchEndRequests();
    if (const int32_t pack = FindArgument(*args_, PackArg::kClassKey); pack >= 0) {
        const auto* option = static_cast<const PackArg*>((*args_)[pack]);
        exitCode_ = RunPack(option->payloadFolder.CStr(), option->output.CStr());
        return {};
    }
    const int32_t unattended = FindArgument(*args_, UnattendedArg::kClassKey);
    // The wizard speaks the user's language; the unattended mode and the log
    // stay in English, as scripts and support read them. Its window comes
    // first: a packed program shows there how its check goes.
    WndGx* window = nullptr;
    SSlave<GCell> reference;
    if (unattended < 0) {
        UseUserLanguage();
        StartWindowing();
        UiOptions::Get();  // the style table, before any box reads it
        // A new instance started by a drop opens where the drop was.
        int32_t x = 100, y = 100;
        const int32_t at = FindArgument(*args_, WindowPosArg::kClassKey);
        if (at >= 0 && FindArgument(*args_, DropArg::kClassKey) >= 0) {
            x = static_cast<const WindowPosArg*>((*args_)[at])->x;
            y = static_cast<const WindowPosArg*>((*args_)[at])->y;
        }
        window = CreateMainWindow(Title(), x, y);
        if (!window) {
            TerminateWindowing();
            exitCode_ = kExitNoWindow;
            return {};
        }
        reference.PointAt(window->EnsureSelfLink());
    }
    // A damaged download changes nothing, not even by putting hosts back.
    if (!CheckOwnPayload(window)) {
        exitCode_ = kExitDamaged;
        if (window) Stop(reference);
        ReportDamagedDownload(window != nullptr);
        return {};
    }
    // A rewrite that a killed run left half done is undone before anything
    // reads the file again, and so is every batch such a run left half
    // done. The elevated service does neither: the journals are the user's
    // files, and root must not act on what they say.
    RestoreKeptCopies();
    RemoveStagedLeftovers();
    RecoverJournals(recovered_);
    if (unattended >= 0) {
        exitCode_ = RunUnattended(static_cast<const UnattendedArg*>((*args_)[unattended])->word.CStr(), recovered_);
        return {};
    }
    for (int32_t i = 0; i < recovered_.count; ++i)
        if (recovered_[i]->failed.count > 0) {
            GetSysIO().ShowError(Translate(WTXT("An installation that was cut off could not be put back completely. The log names what is left:")),
                                 LogPath().CStr());
            break;
        }
    // The clipboard is reached through the main window.
    if (auto* clipboard = dynamic_cast<ClipboardGate*>(MakeGateCell(ClipboardGateKey())->Gate()))
        clipboard->window.PointAt(window->EnsureSelfLink());
    MakeGateCell(DragDropGateKey());
    // The wizard's controller builds its first page into the main window on
    // its first turn of the frame loop.
    auto* installer = new Installer;
    SObject<GateKey> document(installer->gate->Key()->Duplicate());  // the gate is made anew
    MakeGateCell(*document, installer);
    installer_ = installer->SelfSlave();
    if (FindArgument(*args_, CellListArg::kClassKey) >= 0) OpenCellBrowser();
    return reference;
}

// The main window: an OpenGL window bound to the file gate "window.veldo",
// which is its name in the gate table.
WndGx* InstallerApp::CreateMainWindow(const WChar* title, int32_t x, int32_t y) {
    WndGx* window = NewWindowGx();
    MakeGateCell(HddGateKey(WTXT("window.veldo")), window);  // the table owns it
    if (!window->Create(x, y, 800, 600, true, title)) return nullptr;
    auto* root = new UiRoot;
    root->Shape(UiBox::kLayoutVertical, kSizeFlexible);  // the page fills it
    window->AddChild(root);
    return window;
}

// The developer's cell browser ("-cell_list"), in a window of its own
// beside the main one; the frame loop serves it as it serves every gate.
void InstallerApp::OpenCellBrowser() {
    WndGx* window = NewWindowGx();
    MakeGateCell(HddGateKey(WTXT("cells.veldo")), window);
    if (!window->Create(920, 100, 480, 600, true, WTXT("VELDO cells"))) return;
    window->closesWhenAsked = true;
    auto* root = new UiRoot;
    root->Shape(UiBox::kLayoutVertical, kSizeFlexible);
    window->AddChild(root);
    UiBox_Generate_CellsList_Msg build;
    root->Receive(build);
}

void InstallerApp::Stop(SSlave<GCell>& window) {
    if (auto* w = dynamic_cast<WndGx*>(window.Get())) w->Destroy();
    // Any other window of the program (the cell browser's) goes too.
    GateTable& gates = Gates();
    for (int32_t i = 0; i < gates.Size(); ++i)
        if (GateTable::Entry* entry = gates.Slot(i))
            if (auto* other = dynamic_cast<WndGx*>(entry->value.Get())) other->Destroy();
    TerminateWindowing();
}

bool InstallerApp::MayEndNow() {
    auto* installer = CellAs<Installer>(installer_.Get());
    if (installer && !installer->MayEnd()) return false;
    if (installer && installer->EndedIncomplete()) exitCode_ = kExitFailed;
    return true;
}

const WChar* InstallerApp::Title() const { return Translate(WTXT("VELDO installation")); }

int RunProgram(const WChar* commandLine) {
    auto* args = new Arguments;
    ParseArguments(commandLine, *args);
    InstallerApp app(args);
    SSlave<GCell> window = app.Start();
    if (dynamic_cast<WndGx*>(window.Get())) {
        RunFrames(window, &app);
        app.Stop(window);
    }
    return app.ExitCode();
}
