#include "app/unattended.h"

#include <cstdio>

#include "app/console_output.h"
#include "app/log_file.h"
#include "core/control_escape.h"
#include "core/text_convert.h"
#include "install/batch_jobs.h"
#include "install/lightwave_config.h"
#include "lang/user_texts.h"
#include "sys/platform.h"
#include "wizard/installer.h"

namespace {

void Print(const WChar* text) { PrintLine(text); }

template <class... A>
void PrintF(const WChar* format, const A&... args) {
    WString line;
    line.Format(format, args...);
    Print(line.CStr());
}

// The installation's progress on one terminal line, written again in place
// ("\r", then clearing what the longer line before left): percent, files
// and the file being copied, cut to fit 79 columns.
void PrintProgressLine(const InstallProgress& progress) {
    WString line;
    line.Format(WTXT("Installing... %3d%% (%d/%d files) "), int(progress.Fraction() * 100.0f + 0.5f),
                progress.DoneFiles(), progress.TotalFiles());
    WString file;
    EscapeControlCharacters(progress.CurrentFile(), file);
    line.Append(file);
    NString utf8;
    WideToUtf8(line.CStr(), utf8);
    // Cut at 79 characters, never inside one (UTF-8 continuation bytes).
    int32_t end = 0, characters = 0;
    while (end < utf8.Length() && characters < 79) {
        ++end;
        while (end < utf8.Length() && (uint8_t(utf8[end]) & 0xC0) == 0x80) ++end;
        ++characters;
    }
    std::printf("\r%.*s\x1b[K", int(end), utf8.CStr());
    std::fflush(stdout);
}

// How often the wait looks at the progress and at requests to end.
constexpr uint32_t kWaitSliceMs = 50;

// Waits for the installation; on a terminal its progress line follows it
// and stays at its last state. Piped or redirected, nothing extra is
// written. Asked to end (a polite signal), it says which host it finishes
// first; the job itself stops before the next.
void WaitWithProgress(Installer& installer) {
    InstallBatchProcessor& job = *installer.installJob;
    const bool terminal = SysStdoutIsTerminal();
    int32_t shown = -1;
    float shownFraction = -1;
    bool told = false;
    for (bool ended = false; !ended;) {
        ended = job.WaitMs(kWaitSliceMs);
        if (!ended && !told && SysEndRequested()) {
            told = true;
            installer.MayEnd();
            if (shown >= 0) std::printf("\n");
            shown = -1;
            PrintF(WTXT("%s%s"), texts::kFinishingInto, installer.CurrentHost());
            std::fflush(stdout);
        }
        const InstallProgress& progress = job.progress;
        if (!terminal || !progress.Counted() || progress.TotalFiles() == 0) continue;  // nothing to copy
        if (progress.DoneFiles() == shown && progress.Fraction() == shownFraction && !ended) continue;
        shown = progress.DoneFiles();
        shownFraction = progress.Fraction();
        PrintProgressLine(progress);
    }
    job.Wait();
    if (shown >= 0) std::printf("\n");
}

const WChar* KindName(int32_t kind) {
    switch (kind) {
        case kPlatformLightWave: return WTXT("LightWave");
        case kPlatformMax: return WTXT("3ds Max");
        case kPlatformCinema4D: return WTXT("Cinema 4D");
        case kPlatformPresets: return WTXT("Presets");
        default: return WTXT("?");
    }
}

void PrintBatches(const Installer& installer) {
    for (int32_t i = 0; i < installer.batches.count; ++i) {
        const InstallBatch* b = installer.batches[i];
        const auto* lw = dynamic_cast<const LwInstallBatch*>(b);
        const WChar* menus = lw ? (lw->menusInstalled ? WTXT("installed") : WTXT("not installed")) : WTXT("-");
        WString version;
        version.Format(WTXT("%g"), double(b->hostVersion));
        PrintF(WTXT("%-9s | %s | version %s | files %s | menus %s | plug-in %s | configuration %s"),
               KindName(b->PlatformKind()), b->displayName, version,
               b->installed ? WTXT("installed") : WTXT("not installed"), menus, b->pathValue,
               b->configPath.IsEmpty() ? WTXT("-") : b->configPath.CStr());
    }
}

// The quick-settings page's texts when nothing was found.
void PrintNoHost() {
    Print(texts::kNoPlatformFound);
    const WString supported = SupportedHostNames();
    if (supported.IsEmpty()) Print(WTXT(""));
    else PrintF(WTXT("%s%s"), texts::kInstallerSupports, supported);
}

// The fix page's texts.
void PrintFix(const DynamicArray<int32_t>& fixes) {
    Print(texts::kLightWaveConfiguration);
    bool cannotModify = false;
    for (int32_t i = 0; i < fixes.count; ++i) cannotModify = cannotModify || fixes[i] == kFixCannotModify;
    if (cannotModify) {
        Print(texts::kConfigCannotBeModified);
        Print(texts::kUseManualInstallation);
    } else {
        Print(texts::kModelersStartedToFix);
        Print(texts::kCloseModelersAndHub);
    }
}

// The completion page's texts, with the whole report.
int32_t PrintCompletion(const InstallBatchProcessor& p) {
    for (int32_t i = 0; i < p.reportLines.count; ++i) Print(p.reportLines[i]->CStr());
    const bool failed = p.errorLines.count > 0;
    Print(failed ? texts::kInstallationFailed : texts::kInstallComplete);
    for (int32_t i = 0; i < p.errorLines.count; ++i) Print(p.errorLines[i]->CStr());
    if (failed && p.lightWaveFlag) Print(texts::kCloseRunningLightWave);
    for (int32_t i = 0; i < p.warningLines.count; ++i) Print(p.warningLines[i]->CStr());
    if (p.manualMenuFlag) {
        Print(texts::kMenuBranchesByHand);
        PrintF(WTXT("%s %s"), texts::kWatchMenuBranchesTutorial, kTutorialLink);
    }
    return failed ? kExitFailed : kExitDone;
}

}  // namespace

namespace {

void PrintRecovered(const Container<RecoveredBatch>& recovered) {
    for (int32_t i = 0; i < recovered.count; ++i) {
        const RecoveredBatch& r = *recovered[i];
        for (int32_t k = 0; k < r.failed.count; ++k) PrintF(WTXT("%s%s"), texts::kCannotRestore, *r.failed[k]);
        if (r.failed.count == 0 && !r.committed && !r.host.IsEmpty()) PrintF(WTXT("Restored: %s"), r.host);
    }
}

}  // namespace

int32_t RunUnattended(const WChar* word, const Container<RecoveredBatch>& recovered) {
    const bool list = WCompare(word, WTXT("list")) == 0;
    const bool install = WCompare(word, WTXT("install")) == 0;
    const bool remove = WCompare(word, WTXT("remove")) == 0;
    if (!list && !install && !remove) {
        std::fprintf(stderr, "usage: veldo-installer -unattended list|install|remove\n");
        return kExitUsage;
    }
    PrintRecovered(recovered);
    Installer installer;
    installer.SearchNow();
    int32_t hosts = 0, installedHosts = 0;
    installer.CountHosts(hosts, installedHosts);
    PrintBatches(installer);
    int32_t code = kExitDone;
    if (hosts == 0) {
        PrintNoHost();
        code = kExitNoHost;
    } else if (!list && SysEndRequested()) {
        Print(WTXT("Asked to end before anything was installed or removed."));
        code = kExitFailed;
    } else if (!list) {
        installer.RunFunction(install ? Installer::kInstallIntoAll : Installer::kRemoveFromAll);
        if (installer.page == kPageFix) {
            PrintFix(installer.fixes);
            code = kExitNeedsFix;
        } else {
            WaitWithProgress(installer);  // no window to keep alive meanwhile
            installer.Poll();
            code = PrintCompletion(*installer.installJob);
        }
    }
    PrintF(WTXT("%s%s"), texts::kLog, LogPath());
    std::fflush(stdout);
    return code;
}
