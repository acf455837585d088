// LightWave configuration editing. Positions are byte offsets into the text
// as read. Sections: text helpers; menu file; extension file; the check.
#include "install/lightwave_config.h"

#include <algorithm>
#include <cstring>

#include "core/text_convert.h"
#include "sys/test_points.h"
#include "sys/file_system.h"
#include "sys/platform.h"
#include "sys/text_files.h"

namespace {

// ---- text helpers --------------------------------------------------------

int32_t Find(const NString& text, const char* needle, int32_t from = 0) { return text.Find(needle, from); }

bool StartsAt(const NString& text, int32_t at, const char* word) {
    const int32_t n = int32_t(std::strlen(word));
    return at >= 0 && at + n <= text.Length() && std::memcmp(text.CStr() + at, word, size_t(n)) == 0;
}

// Just after the nearest character below 32 before at (0 when there is none).
int32_t LineStart(const NString& text, int32_t at) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.CStr());
    int32_t i = at - 1;
    while (i >= 0 && s[i] >= 32) --i;
    return i + 1;
}

// Lines end in CR LF, LF or CR alone: files written by other tools or
// edited by hand use all three.
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Where the next line end at or after from starts, or -1.
int32_t NextLineEnd(const NString& text, int32_t from) {
    const char* s = text.CStr();
    for (int32_t i = from < 0 ? 0 : from; i < text.Length(); ++i)
        if (IsLineEnd(s[i])) return i;
    return -1;
}

// Just past the line end that starts at i (CR LF counts as one).
int32_t PastLineEnd(const NString& text, int32_t i) {
    return text[i] == '\r' && i + 1 < text.Length() && text[i + 1] == '\n' ? i + 2 : i + 1;
}

// The line end the text uses: its first one, else CR LF.
NString LineEndOf(const NString& text) {
    const int32_t i = NextLineEnd(text, 0);
    if (i < 0) return NString("\r\n");
    return NString(text.CStr() + i, PastLineEnd(text, i) - i);
}

// Every line end of the piece written as the given one.
void UseLineEnds(NString& piece, const NString& end) {
    DynamicArray<char> out;
    for (int32_t i = 0; i < piece.Length();) {
        if (IsLineEnd(piece[i])) {
            out.Append(end.CStr(), end.Length());
            i = PastLineEnd(piece, i);
        } else {
            out.Append(piece[i]);
            ++i;
        }
    }
    piece.Assign(out.data, out.count);
}

// Text appended after the last line starts a line of its own.
void EndLastLine(NString& text, const NString& end) {
    if (text.Length() > 0 && !IsLineEnd(text[text.Length() - 1])) text.Append(end);
}

// Replaces the first (or every) occurrence, building the result once.
void Replace(NString& text, const char* from, const char* to, bool all) {
    const int32_t n = int32_t(std::strlen(from));
    int32_t at = Find(text, from);
    if (at < 0) return;
    NString out;
    int32_t copied = 0;
    DynamicArray<char> buffer;
    while (at >= 0) {
        buffer.Append(text.CStr() + copied, at - copied);
        buffer.Append(to, int32_t(std::strlen(to)));
        copied = at + n;
        at = all ? Find(text, from, copied) : -1;
    }
    buffer.Append(text.CStr() + copied, text.Length() - copied);
    text.Assign(buffer.data, buffer.count);
}

void Insert(NString& text, int32_t at, const NString& piece) { text.Insert(at, piece); }

// The message prefix of an unreadable configuration file, by read status.
const WChar* ReadFailurePrefix(int32_t status) {
    switch (status) {
        case kTextNotFound: return WTXT("File not found: ");
        case kTextNoAccess: return WTXT("Access denied to file: ");
        case kTextCannotOpen: return WTXT("Cannot open: ");
        default: return WTXT("Cannot read: ");
    }
}

// Reads the configuration file the transfer names (path) whole. One that
// cannot be read fails the batch with the reason, and the report asks for
// LightWave to be closed (a running LightWave is the usual cause).
bool ReadConfigOrReport(const InstallBatch& batch, const FileTransfer& transfer, InstallReport& report, WPath& path,
                        NString& text) {
    path = ExpandMacros(batch, transfer.destination.CStr());
    const int32_t status = ReadTextFile(path.CStr(), text);
    if (status == kTextOk) return true;
    report.AddError(ReadFailurePrefix(status), path.CStr());
    report.lightWaveFlag = 1;
    return false;
}

enum class ConfigWrite { kWritten, kNotJournalled, kNotWritten };

// Reports the change, keeps the old text in the journal (when there is
// one: nothing is written that the journal could not take back), then
// writes the new text.
ConfigWrite KeepAndWrite(const WPath& path, const NString& original, const NString& text, FileJournal* journal,
                         InstallReport& report) {
    report.AddReport(WTXT("Modifying: "), path.CStr());
    if (journal && !journal->KeepText(path.CStr(), original)) {
        report.AddError(WTXT("Cannot write the installation journal for: "), path.CStr());
        return ConfigWrite::kNotJournalled;
    }
    TestPoint("config-kept");
    if (WriteTextFile(path.CStr(), text) != kTextOk) return ConfigWrite::kNotWritten;
    TestPoint("config-written");
    return ConfigWrite::kWritten;
}

bool StartModeler(const FileTransfer& transfer) { return SysStartProgram(transfer.auxiliary.CStr(), WTXT("")); }

}  // namespace

// ---- menu file -------------------------------------------------------------

namespace lightwave_config {

void RemoveMenuBranches(NString& text) {
    // This release's branches: every line with the mark, and the branches
    // that are left empty around it.
    for (;;) {
        const int32_t p = Find(text, "MENU_VELDO5_");
        if (p <= 0) break;
        int32_t l = LineStart(text, p);
        const int32_t end = NextLineEnd(text, p);
        if (l == 0 || end < 0) break;
        text.Erase(l, PastLineEnd(text, end));
        for (;;) {
            const int32_t closeEnd = NextLineEnd(text, l);
            if (!StartsAt(text, l, "MenuEntry 0 .") || closeEnd < 0 || l < 2) break;
            const int32_t open = LineStart(text, l - 2);
            if (!StartsAt(text, open, "MenuEntry 1 ")) break;
            text.Erase(open, PastLineEnd(text, closeEnd));
            l = open;
        }
    }
    // The older release's: blocks around each "Veldo5", as long as they hold
    // nothing but nested branches and plain lines.
    int32_t from = 0;
    for (;;) {
        const int32_t f = Find(text, "Veldo5", from);
        if (f < 0) break;
        const int32_t k = LineStart(text, f);
        if (k == 0) break;
        int32_t depth = 0;
        int32_t s = k;
        bool removable = true;
        const char* t = text.CStr();
        for (;;) {
            if (t[s] == 'M') {
                if (StartsAt(text, s, "MenuEntry 1 ")) ++depth;
                else if (StartsAt(text, s, "MenuEntry 0 ")) --depth;
                else if (StartsAt(text, s, "MenuEntry ")) {
                    removable = false;
                    break;
                }
            }
            ++s;
            if (depth <= 0 || s >= text.Length()) break;
        }
        if (s >= text.Length() - 1) break;
        if (!removable) {
            from = f + 1;
            continue;
        }
        const int32_t end = NextLineEnd(text, s);
        if (end < 0) break;
        text.Erase(k, PastLineEnd(text, end));
    }
}

MarkerState FindMenuInsertionPoint(const NString& text, int32_t& at) {
    const int32_t marker = Find(text, "MenuEntry 65537");
    if (marker < 0) return MarkerState::kMissing;
    if (Find(text, "MenuEntry 65537", marker + 1) >= 0) return MarkerState::kMany;
    const int32_t lineEnd = NextLineEnd(text, marker);
    int32_t i = lineEnd < 0 ? text.Length() : lineEnd;
    const auto* s = reinterpret_cast<const unsigned char*>(text.CStr());
    while (i < text.Length() && s[i] < 32) ++i;
    at = i;
    return MarkerState::kOnce;
}

void BranchToMenuBlock(NString& branch) {
    UseLineEnds(branch, NString("\r\n"));
    Replace(branch, "65536", "1", false);
    Replace(branch, "BranchEntry", "MenuEntry", true);
    Replace(branch, "\" _\r\n", "\" \r\n", true);
    branch.Append("MenuEntry 0 . \r\n");
}

}  // namespace lightwave_config

bool EditMenuConfig(LwInstallBatch& batch, InstallReport& report, FileTransfer& transfer, FileJournal* journal) {
    const int32_t action = batch.menuAction.value;
    if (action == kChoiceLeave) return true;
    WPath path;
    NString text;
    if (!ReadConfigOrReport(batch, transfer, report, path, text)) return false;
    const NString original(text);
    lightwave_config::RemoveMenuBranches(text);
    int32_t at = 0;
    const lightwave_config::MarkerState marker = lightwave_config::FindMenuInsertionPoint(text, at);
    if (marker != lightwave_config::MarkerState::kOnce) {
        if (action == kChoiceInstall) {
            report.AddWarning(marker == lightwave_config::MarkerState::kMissing ? WTXT("LW menu branches are missing: ")
                                                                           : WTXT("Unknow LW menu format: "),
                                 path.CStr());
            report.manualMenuFlag = 1;
        }
        return true;
    }
    if (action == kChoiceInstall) {
        // The branches start on the line after the marker, in the file's
        // own line ends, even when the marker ends the file.
        const NString lineEnd = LineEndOf(text);
        if (at == text.Length()) {
            EndLastLine(text, lineEnd);
            at = text.Length();
        }
        Container<WFILE> files;
        if (!ListFiles(transfer.source.CStr(), WTXT("*.cfg"), false, files)) {
            report.AddError(WTXT("Cannot read: "), transfer.source.CStr());
            report.lightWaveFlag = 1;
            return false;
        }
        std::sort(files.items, files.items + files.count,
                  [](const WFILE* a, const WFILE* b) { return WCompare(a->path.CStr(), b->path.CStr()) < 0; });
        // Last to first, all at one point: they end up in ascending order.
        for (int32_t i = files.count - 1; i >= 0; --i) {
            NString block;
            if (ReadTextFile(files[i]->path.CStr(), block) != kTextOk) {
                report.AddError(WTXT("Cannot read file: "), files[i]->path.CStr());
                return false;
            }
            lightwave_config::BranchToMenuBlock(block);
            UseLineEnds(block, lineEnd);
            if (text.Find(block.CStr()) < 0) Insert(text, at, block);
        }
    }
    switch (KeepAndWrite(path, original, text, journal, report)) {
        case ConfigWrite::kNotJournalled: return false;
        case ConfigWrite::kNotWritten:  // the menus can still be added by hand
            report.AddWarning(WTXT("Cannot write: "), path.CStr());
            report.manualMenuFlag = 1;
            return true;
        case ConfigWrite::kWritten: break;
    }
    return true;
}

// ---- extension file --------------------------------------------------------

namespace lightwave_config {

void RemoveExtensionBlocks(NString& text) {
    for (;;) {
        const int32_t p = Find(text, "veldo_5.p");
        if (p <= 0) break;
        int32_t open = p - 1;
        while (open >= 0 && text[open] != '{') --open;
        if (open < 0) break;
        int32_t close = p;
        while (close < text.Length() && text[close] != '}') ++close;
        if (close >= text.Length()) break;
        int32_t end = close + 1;
        while (end < text.Length() && (text[end] == '\r' || text[end] == '\n')) ++end;
        text.Erase(open, end);
        if (open < text.Length() && text[open] == '}') text.Erase(open, open + 1);
    }
}

bool FillExtensionTemplate(NString& text, const WChar* pluginFolder, uint32_t codePage) {
    NString folder;
    if (!SysWideToCodePage(codePage, pluginFolder, folder)) return false;
    folder.Append("\\");
    Replace(folder, "\\", "\\\\", true);
    Replace(text, "%PATH%", folder.CStr(), true);
    Replace(text, "%VELDO%", "veldo_5.p", true);
    Replace(text, "%VELDO_CUR%", "veldo_cur.p", true);
    Replace(text, "%VELDO_DIM%", "veldo_dim.p", true);
    Replace(text, "%VELDO_VERSION%", "5.5", true);
    return true;
}

uint32_t HostAnsiCodePage() {
    constexpr uint32_t kWestern = 1252;
    SysRegKey* key = nullptr;
    if (SysRegOpenKey(nullptr, WTXT("System\\CurrentControlSet\\Control\\Nls\\CodePage"), SysRegView::k64, key) !=
        SysRegStatus::kOk)
        return kWestern;
    WChar value[16] = {};
    uint32_t size = sizeof value - sizeof(WChar);
    const SysRegStatus s = SysRegQueryString(key, WTXT("ACP"), value, size);
    SysRegCloseKey(key);
    if (s != SysRegStatus::kOk) return kWestern;
    uint32_t page = 0;
    for (const WChar* c = value; *c >= WChar('0') && *c <= WChar('9') && page < 100000; ++c) page = page * 10 + uint32_t(*c - '0');
    return page > 0 && page < 100000 ? page : kWestern;
}

}  // namespace lightwave_config

bool EditExtensionConfig(LwInstallBatch& batch, InstallReport& report, FileTransfer& transfer, FileJournal* journal) {
    const int32_t action = batch.fileAction.value;
    if (action == kChoiceLeave) return true;
    WPath path;
    NString text;
    if (!ReadConfigOrReport(batch, transfer, report, path, text)) return false;
    const NString original(text);
    lightwave_config::RemoveExtensionBlocks(text);
    if (action == kChoiceInstall) {
        NString blocks;
        if (ReadTextFile(transfer.source.CStr(), blocks) != kTextOk) {
            report.AddError(WTXT("Cannot read: "), transfer.source.CStr());
            return false;
        }
        // LightWave reads the module path in its code page: a path that
        // cannot be written there would name a folder it cannot open.
        if (!lightwave_config::FillExtensionTemplate(blocks, transfer.auxiliary.CStr(), lightwave_config::HostAnsiCodePage())) {
            report.AddWarning(WTXT("Path cannot be written in LightWave's code page: "), transfer.auxiliary.CStr());
            report.manualMenuFlag = 1;
            return true;
        }
        // The template starts on a line of its own, in the file's line ends.
        const NString lineEnd = LineEndOf(text);
        UseLineEnds(blocks, lineEnd);
        EndLastLine(text, lineEnd);
        text.Append(blocks);
    }
    switch (KeepAndWrite(path, original, text, journal, report)) {
        case ConfigWrite::kNotJournalled: return false;
        case ConfigWrite::kNotWritten:
            report.AddError(WTXT("Cannot write: "), path.CStr());
            report.lightWaveFlag = 1;
            return false;
        case ConfigWrite::kWritten: break;
    }
    return true;
}

// ---- the check ---------------------------------------------------------------

int32_t CheckMenuFix(LwInstallBatch& batch, FileTransfer& transfer) {
    if (batch.menuAction.value != kChoiceInstall || transfer.kind != kTransferLwMenu) return kFixNone;
    const WPath path = ExpandMacros(batch, transfer.destination.CStr());
    NString text;
    if (ReadTextFile(path.CStr(), text) != kTextOk) return StartModeler(transfer) ? kFixModelerStarted : kFixCannotModify;
    const int32_t marker = Find(text, "MenuEntry 65537");
    if (marker >= 0) return Find(text, "MenuEntry 65537", marker + 1) >= 0 ? kFixCannotModify : kFixNone;
    const int32_t d = Find(text, "MenuEntry 131072 1 GraphEditor");
    const int32_t i = d < 0 ? -1 : Find(text, "MenuEntry 131072 1 _", d);
    if (d < 0 || i < 0 || Find(text, "MenuEntry", i + 1) >= 0) return kFixCannotModify;
    // The last entry is the tools branch: a dummy branch after it makes
    // Modeler write the file anew.
    const NString original(text);
    const int32_t lineEnd = NextLineEnd(text, i);
    if (lineEnd < 0) EndLastLine(text, LineEndOf(text));
    const int32_t at = lineEnd < 0 ? text.Length() : PastLineEnd(text, lineEnd);
    Insert(text, at, NString("MenuEntry 1 \"a\"\nMenuEntry 0 .\n"));
    if (WriteTextFile(path.CStr(), text) != kTextOk) return kFixCannotModify;
    if (StartModeler(transfer)) return kFixMenuPatched;
    WriteTextFile(path.CStr(), original);
    return kFixCannotModify;
}
