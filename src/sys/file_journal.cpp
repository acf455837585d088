// Moving aside and back, committing and rolling back. Sections: moving;
// recording; the end of a batch.
#include "sys/file_journal.h"

#include <atomic>

#include "sys/platform.h"

namespace {

// ---- moving --------------------------------------------------------------

enum class Kind { kNothing, kFile, kFolder, kLink };

Kind KindOf(const WString& native) {
    SysFileInfo info;
    if (SysQueryPath(native.CStr(), info) != SysStatus::kOk || !info.exists) return Kind::kNothing;
    if (info.isLink) return Kind::kLink;
    return info.isFolder ? Kind::kFolder : Kind::kFile;
}

// A tree moved where renaming is refused: folders made, files copied and
// deleted, through the admin service as needed.
bool MoveByCopying(const WChar* from, const WChar* to) {
    WString native;
    if (!SysNativePath(from, native)) return false;
    switch (KindOf(native)) {
        case Kind::kNothing: return true;
        case Kind::kLink: return false;  // copying would follow it
        case Kind::kFile: return CopyOneFile(from, to, false) && DeleteOneFile(from);
        case Kind::kFolder: break;
    }
    if (!CreateDirectoryPath(to)) return false;
    Container<WFILE> files;
    Container<WDIR> folders;
    if (!ListFiles(from, WTXT("*"), false, files) || !ListFolders(from, WTXT("*"), false, folders)) return false;
    for (int32_t i = 0; i < files.count; ++i) {
        WPath target(to);
        target.Join(files[i]->name.CStr());
        if (!MoveByCopying(files[i]->path.CStr(), target.CStr())) return false;
    }
    for (int32_t i = 0; i < folders.count; ++i) {
        WPath target(to);
        target.Join(folders[i]->name.CStr());
        if (!MoveByCopying(folders[i]->path.CStr(), target.CStr())) return false;
    }
    return DeleteFolderTree(from, nullptr);  // empty by now
}

bool MovePath(const WChar* from, const WChar* to) {
    WString a, b;
    if (!SysNativePath(from, a) || !SysNativePath(to, b)) return false;
    const SysStatus s = SysRenamePath(a.CStr(), b.CStr());
    if (s == SysStatus::kOk) return true;
    return s == SysStatus::kAccessDenied && MoveByCopying(from, to);
}

}  // namespace

bool FileJournal::MoveAside(const WChar* path) {
    WString native;
    if (!SysNativePath(path, native)) return false;
    if (KindOf(native) == Kind::kNothing) return true;
    static std::atomic<uint32_t> counter{0};
    WPath aside;
    for (int attempt = 0; attempt < 100; ++attempt) {
        aside.Format(0, WTXT("%s.veldo-old-%u-%u"), path, SysProcessId(), counter.fetch_add(1));
        WString asideNative;
        if (SysNativePath(aside.CStr(), asideNative) && KindOf(asideNative) == Kind::kNothing) break;
    }
    if (!MovePath(path, aside.CStr())) return false;
    aside_.Add(new Aside{WPath(path), aside}, aside_.count < 64 ? 64 : aside_.count);
    return true;
}

// ---- recording -----------------------------------------------------------

void FileJournal::Created(const WChar* path, bool folder) {
    made_.Add(new Made{WPath(path), folder}, made_.count < 64 ? 64 : made_.count);
}

void FileJournal::KeepText(const WChar* path, const NString& text) {
    for (int32_t i = 0; i < kept_.count; ++i)
        if (kept_[i]->path == WPath(path)) return;  // the first text is the one to go back to
    kept_.Add(new Kept{WPath(path), text});
    Touch(path);
}

void FileJournal::Touch(const WChar* path) {
    for (int32_t i = 0; i < touched_.count; ++i)
        if (*touched_[i] == WString(path)) return;
    touched_.Add(new WString(path));
}

// ---- the end of a batch ----------------------------------------------------

namespace {

// A file or link moved aside goes as itself, a folder with all it holds
// (in one walk; through the admin service where that is refused).
void DeleteAside(const WChar* path) {
    WString native;
    if (!SysNativePath(path, native)) return;
    if (KindOf(native) != Kind::kFolder) DeleteOneFile(path);
    else if (SysDeleteTree(native.CStr()) != SysStatus::kOk) DeleteFolderTree(path, nullptr);
}

}  // namespace

void FileJournal::Commit() {
    for (int32_t i = 0; i < aside_.count; ++i) DeleteAside(aside_[i]->aside.CStr());
    aside_.Clear();
    made_.Clear();
    kept_.Clear();
}

void FileJournal::Rollback(Container<WString>& restored, Container<WString>& failed) {
    const auto fail = [&failed](const WPath& path) { failed.Add(new WString(path)); };
    for (int32_t i = made_.count - 1; i >= 0; --i) {
        const Made& m = *made_[i];
        if (!(m.folder ? DeleteFolderTree(m.path.CStr(), nullptr) : DeleteOneFile(m.path.CStr())) && PathExists(m.path.CStr()))
            fail(m.path);
    }
    for (int32_t i = aside_.count - 1; i >= 0; --i)
        if (!MovePath(aside_[i]->aside.CStr(), aside_[i]->original.CStr())) fail(aside_[i]->original);
    for (int32_t i = 0; i < kept_.count; ++i)
        if (WriteTextFile(kept_[i]->path.CStr(), kept_[i]->text) != kTextOk) fail(kept_[i]->path);
    for (int32_t i = 0; i < touched_.count; ++i) restored.Add(new WString(*touched_[i]));
    aside_.Clear();
    made_.Clear();
    kept_.Clear();
}
