// Sections: names; moving; moving back.
#include "sys/move_aside.h"

#include <atomic>
#include <initializer_list>

#include "core/container.h"
#include "core/path.h"
#include "sys/file_system.h"
#include "sys/platform.h"

namespace {

enum class Kind { kNothing, kFile, kFolder, kLink };

Kind KindOf(const WChar* path) {
    WString native;
    SysFileInfo info;
    if (!SysNativePath(path, native) || SysQueryPath(native.CStr(), info) != SysStatus::kOk || !info.exists)
        return Kind::kNothing;
    if (info.isLink) return Kind::kLink;
    return info.isFolder ? Kind::kFolder : Kind::kFile;
}

WPath Child(const WChar* folder, const WString& name) {
    WPath p(folder);
    p.Join(name.CStr());
    return p;
}

}  // namespace

// ---- names -----------------------------------------------------------------

bool AsideName(const WChar* path, WString& aside) {
    static std::atomic<uint32_t> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        aside.Format(0, WTXT("%s.veldo-old-%u-%u"), path, SysProcessId(), counter.fetch_add(1));
        if (KindOf(aside.CStr()) == Kind::kNothing) return true;
    }
    return false;
}

bool IsSetAsideName(const WChar* name, uint32_t& pid) {
    const WString text(name);
    for (const WChar* marker : {WTXT(".veldo-old-"), WTXT(".veldo-new-")}) {
        int32_t at = -1;
        for (int32_t from = text.Find(marker); from >= 0; from = text.Find(marker, from + 1)) at = from;
        if (at <= 0) continue;
        // "<digits>-<digits>" to the end, nothing else.
        const WChar* p = text.CStr() + at + int32_t(WLen(marker));
        uint64_t value = 0;
        int digits = 0;
        for (; *p >= WChar('0') && *p <= WChar('9') && digits < 10; ++p, ++digits) value = value * 10 + uint64_t(*p - '0');
        if (digits == 0 || *p != WChar('-') || value == 0 || value > 0xFFFFFFFFu) continue;
        ++p;
        int counterDigits = 0;
        for (; *p >= WChar('0') && *p <= WChar('9'); ++p) ++counterDigits;
        if (counterDigits == 0 || *p != 0) continue;
        pid = uint32_t(value);
        return true;
    }
    return false;
}

// ---- moving ------------------------------------------------------------------

namespace {

// A tree moved where renaming is refused: folders made, files copied and
// deleted, through the admin service as needed. Every file is at one end
// or the other (or, for a moment, at both) throughout.
bool MoveByCopying(const WChar* from, const WChar* to) {
    switch (KindOf(from)) {
        case Kind::kNothing: return true;
        case Kind::kLink: return false;  // copying would follow it
        case Kind::kFile: return CopyOneFile(from, to, false) && DeleteOneFile(from);
        case Kind::kFolder: break;
    }
    if (!CreateDirectoryPath(to)) return false;
    Container<WFILE> files;
    Container<WDIR> folders;
    if (!ListFiles(from, WTXT("*"), false, files) || !ListFolders(from, WTXT("*"), false, folders)) return false;
    for (int32_t i = 0; i < files.count; ++i)
        if (!MoveByCopying(files[i]->path.CStr(), Child(to, files[i]->name).CStr())) return false;
    for (int32_t i = 0; i < folders.count; ++i)
        if (!MoveByCopying(folders[i]->path.CStr(), Child(to, folders[i]->name).CStr())) return false;
    return DeleteFolderTree(from, nullptr);  // empty by now
}

}  // namespace

bool MovePath(const WChar* from, const WChar* to) {
    WString a, b;
    if (!SysNativePath(from, a) || !SysNativePath(to, b)) return false;
    const SysStatus s = SysRenamePath(a.CStr(), b.CStr());
    if (s == SysStatus::kOk) return true;
    return s == SysStatus::kAccessDenied && MoveByCopying(from, to);
}

// ---- moving back -------------------------------------------------------------

bool MoveBack(const WChar* aside, const WChar* original) {
    const Kind there = KindOf(aside);
    if (there == Kind::kNothing) return true;
    const Kind here = KindOf(original);
    if (here == Kind::kNothing) return MovePath(aside, original);
    if (there == Kind::kFolder && here == Kind::kFolder) {
        Container<WFILE> files;
        Container<WDIR> folders;
        if (!ListFiles(aside, WTXT("*"), false, files) || !ListFolders(aside, WTXT("*"), false, folders)) return false;
        bool ok = true;
        for (int32_t i = 0; i < files.count; ++i)
            ok = MoveBack(files[i]->path.CStr(), Child(original, files[i]->name).CStr()) && ok;
        for (int32_t i = 0; i < folders.count; ++i)
            ok = MoveBack(folders[i]->path.CStr(), Child(original, folders[i]->name).CStr()) && ok;
        return ok && DeleteFolderTree(aside, nullptr);
    }
    // A real folder standing where a file was is not the batch's to delete.
    if (here == Kind::kFolder) return false;
    return DeleteOneFile(original) && MovePath(aside, original);
}
