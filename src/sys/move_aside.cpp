// Sections: names; moving; moving back.
#include "sys/move_aside.h"

#include "core/container.h"
#include "core/path.h"
#include "sys/file_system.h"
#include "sys/platform.h"
#include "sys/sibling_names.h"

namespace {

WPath Child(const WChar* folder, const WString& name) {
    WPath p(folder);
    p.Join(name.CStr());
    return p;
}

}  // namespace

// ---- names -----------------------------------------------------------------

bool AsideName(const WChar* path, WString& aside) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        NextSiblingName(path, SiblingKind::kOld, aside);
        if (KindOfPath(aside.CStr()) == PathKind::kNothing) return true;
    }
    return false;
}

// ---- moving ------------------------------------------------------------------

namespace {

// A tree moved where renaming is refused: folders made, files copied and
// deleted, through the admin service as needed. Every file is at one end
// or the other (or, for a moment, at both) throughout.
bool MoveByCopying(const WChar* from, const WChar* to) {
    switch (KindOfPath(from)) {
        case PathKind::kNothing: return true;
        case PathKind::kLink: return false;  // copying would follow it
        case PathKind::kFile: return CopyOneFile(from, to, false) && DeleteOneFile(from);
        case PathKind::kFolder: break;
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
    const PathKind there = KindOfPath(aside);
    if (there == PathKind::kNothing) return true;
    const PathKind here = KindOfPath(original);
    if (here == PathKind::kNothing) return MovePath(aside, original);
    if (there == PathKind::kFolder && here == PathKind::kFolder) {
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
    if (here == PathKind::kFolder) return false;
    return DeleteOneFile(original) && MovePath(aside, original);
}
