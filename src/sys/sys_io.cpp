#include "sys/sys_io.h"

#include <atomic>
#include <iterator>

#include "core/log.h"
#include "sys/platform.h"

namespace {

struct FileType {
    const WChar* name;
    const WChar* pattern;
};

const FileType kFileTypes[] = {
    {WTXT("All files"), WTXT("*.*")},   {WTXT("Text files"), WTXT("*.txt")}, {WTXT("1D shapes"), WTXT("*.s1d")},
    {WTXT("2D shapes"), WTXT("*.s2d")}, {WTXT("3D shapes"), WTXT("*.s3d")},  {WTXT("VELDO files"), WTXT("*.veldo")},
};

std::atomic<SysIO*> g_registered{nullptr};

bool ShowBox(const WChar* first, const WChar* second, const WChar* caption, SysBoxKind kind) {
    WString body(first);
    body.AppendChar(WChar('\n'));
    body.Append(second);
    // The box's own line break stays one in the log; the names in either
    // part never make one.
    LogLine(WTXT("%s: %s"), caption, first ? first : WTXT(""));
    if (second && *second) LogLine(WTXT("%s"), second);
    return SysMessageBox(body.CStr(), caption, kind);
}

}  // namespace

SysIO& GetSysIO() {
    static SysIO plain;
    SysIO* io = g_registered.load();
    return io ? *io : plain;
}

void SetSysIO(SysIO* io) { g_registered = io; }

void SysIO::ShowInfo(const WChar* first, const WChar* second) {
    ShowBox(first, second, Caption(WTXT("Info")), SysBoxKind::kInfo);
}

void SysIO::ShowWarning(const WChar* first, const WChar* second) {
    ShowBox(first, second, Caption(WTXT("Warning")), SysBoxKind::kWarning);
}

void SysIO::ShowError(const WChar* first, const WChar* second) {
    ShowBox(first, second, Caption(WTXT("Error")), SysBoxKind::kError);
}

bool SysIO::AskOkCancel(const WChar* first, const WChar* second) {
    return ShowBox(first, second, ProductName(), SysBoxKind::kOkCancel);
}

const WChar* FileTypeEnglishName(int32_t type) {
    return (type >= 0 && type < int32_t(std::size(kFileTypes))) ? kFileTypes[type].name : WTXT("");
}

const WChar* SysIO::FileTypePattern(int32_t type) const {
    return (type >= 0 && type < int32_t(std::size(kFileTypes))) ? kFileTypes[type].pattern : WTXT("");
}

const WChar* SysIO::FileTypeName(int32_t type) const { return FileTypeEnglishName(type); }

bool SysIO::OpenFileDialog(WString& path, const WChar* title, int32_t type) {
    return SysFileDialog(SysFileDialogKind::kOpen, title, FileTypeName(type), FileTypePattern(type), path);
}

bool SysIO::SaveFileDialog(WString& path, const WChar* title, int32_t type) {
    return SysFileDialog(SysFileDialogKind::kSave, title, FileTypeName(type), FileTypePattern(type), path);
}

bool SysIO::PickFolderDialog(WString& path, const WChar* title) {
    return SysFileDialog(SysFileDialogKind::kFolder, title, WTXT(""), WTXT(""), path);
}

void SysIO::ChooseColour(const float initial[4], float chosen[4]) {
    // Each component times 255, truncated, as the picker takes bytes.
    uint8_t rgb[3];
    for (int i = 0; i < 3; ++i) {
        const float v = initial[i] < 0 ? 0.0f : initial[i] > 1 ? 1.0f : initial[i];
        rgb[i] = uint8_t(v * 255.0f);
    }
    if (!SysColourDialog(rgb)) {
        for (int i = 0; i < 4; ++i) chosen[i] = 0;
        return;
    }
    for (int i = 0; i < 3; ++i) chosen[i] = float(rgb[i]) * 0.003921569f;
    chosen[3] = 1;
}

void SysIO::OpenLink(const WChar* url) { SysOpenLink(url); }
