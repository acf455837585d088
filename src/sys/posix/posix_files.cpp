// File and folder calls on Linux. Paths arrive in native (Unix) form as
// UTF-16 and go to the system as UTF-8.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "core/text_convert.h"
#include "sys/platform.h"
#include "sys/posix/posix_io.h"
#include "sys/posix/posix_locked_file.h"
#include "sys/sibling_names.h"

namespace {

struct Utf8Path {
    NString text;
    explicit Utf8Path(const WChar* native) { WideToUtf8(native, text); }
    const char* c() const { return text.CStr(); }
};

}  // namespace

SysStatus SysQueryPath(const WChar* native, SysFileInfo& info) {
    info = SysFileInfo{};
    const Utf8Path path(native);
    struct stat st;
    if (lstat(path.c(), &st) != 0) return PosixStatus(errno);
    info.exists = true;
    if (S_ISLNK(st.st_mode)) {
        info.isLink = true;
        struct stat target;
        if (stat(path.c(), &target) != 0) return SysStatus::kOk;  // points nowhere
        st = target;
    }
    info.isFolder = S_ISDIR(st.st_mode);
    info.size = int64_t(st.st_size);
    info.links = int64_t(st.st_nlink);
    info.modified = int64_t(st.st_mtime);
    return SysStatus::kOk;
}

bool SysResolveLinks(const WChar* native, WString& resolved) {
    char* real = realpath(Utf8Path(native).c(), nullptr);
    if (!real) return false;
    Utf8ToWide(real, resolved);
    free(real);
    return true;
}

bool SysMayWrite(const WChar* native) { return access(Utf8Path(native).c(), W_OK) == 0; }

SysStatus SysListFolder(const WChar* native, SysListVisitor visit, void* context) {
    const Utf8Path path(native);
    DIR* dir = opendir(path.c());
    if (!dir) return PosixStatus(errno);
    const int dirFd = dirfd(dir);
    WString name;
    errno = 0;
    while (dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        bool isFolder = e->d_type == DT_DIR;
        bool isLink = e->d_type == DT_LNK;
        struct stat st;
        if (e->d_type == DT_UNKNOWN && fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            isFolder = S_ISDIR(st.st_mode);
            isLink = S_ISLNK(st.st_mode);
        }
        if (isLink) isFolder = fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        Utf8ToWide(e->d_name, name);
        visit(context, name.CStr(), isFolder, isLink);
        errno = 0;
    }
    const int e = errno;  // a folder that fails half-way was not listed
    closedir(dir);
    return PosixStatus(e);
}

SysStatus SysCreateFolder(const WChar* native) {
    return mkdir(Utf8Path(native).c(), 0777) == 0 ? SysStatus::kOk : PosixStatus(errno);
}

SysStatus SysRemoveFolder(const WChar* native) {
    return rmdir(Utf8Path(native).c()) == 0 ? SysStatus::kOk : PosixStatus(errno);
}

SysStatus SysRenamePath(const WChar* from, const WChar* to) {
    // The names given here are fresh ones: a target that exists is refused
    // rather than replaced.
    const Utf8Path a(from), b(to);
    struct stat st;
    if (lstat(b.c(), &st) == 0) return SysStatus::kExists;
    return rename(a.c(), b.c()) == 0 ? SysStatus::kOk : PosixStatus(errno);
}

SysStatus SysRenameOver(const WChar* from, const WChar* to) {
    return rename(Utf8Path(from).c(), Utf8Path(to).c()) == 0 ? SysStatus::kOk : PosixStatus(errno);
}

namespace {

// The tree named name in the folder parent, deepest first; 0 or an errno.
int DeleteTreeAt(int parent, const char* name) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        const int e = errno;
        close(fd);
        return e;
    }
    int e = 0;
    while (e == 0) {
        errno = 0;
        dirent* entry = readdir(dir);
        if (!entry) {
            e = errno;
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        bool folder = entry->d_type == DT_DIR;
        struct stat st;
        if (entry->d_type == DT_UNKNOWN && fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            folder = S_ISDIR(st.st_mode);
        if (folder) e = DeleteTreeAt(fd, entry->d_name);
        else if (unlinkat(fd, entry->d_name, 0) != 0) e = errno;
    }
    closedir(dir);
    if (e == 0 && unlinkat(parent, name, AT_REMOVEDIR) != 0) e = errno;
    return e;
}

}  // namespace

SysStatus SysDeleteTree(const WChar* native) {
    const Utf8Path path(native);
    const char* slash = std::strrchr(path.c(), '/');
    if (!slash || !slash[1]) return SysStatus::kFailed;
    const NString folder = slash == path.c() ? NString("/") : NString(path.c(), int32_t(slash - path.c()));
    const int parent = open(folder.CStr(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) return PosixStatus(errno);
    const int e = DeleteTreeAt(parent, slash + 1);
    close(parent);
    return PosixStatus(e);
}

SysStatus SysDeleteFile(const WChar* native) {
    return unlink(Utf8Path(native).c()) == 0 ? SysStatus::kOk : PosixStatus(errno);
}

namespace {

// A regular file opened for reading, its status in st. Anything else is
// refused: opening a FIFO waits for a writer that never comes (hence
// O_NONBLOCK), and a device has no end.
SysStatus OpenRegularFile(const WChar* native, int& fd, struct stat& st) {
    fd = open(Utf8Path(native).c(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return PosixStatus(errno);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        fd = -1;
        return SysStatus::kFailed;
    }
    return SysStatus::kOk;
}

}  // namespace

// Copies with overwrite, keeping an existing target's inode (and so its
// owner and permissions) as a copy onto it does on Windows. Only a regular
// file is copied.
SysStatus SysCopyFile(const WChar* source, const WChar* target) {
    int in = -1;
    struct stat st;
    if (const SysStatus opened = OpenRegularFile(source, in, st); opened != SysStatus::kOk) return opened;
    const int out = open(Utf8Path(target).c(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        const int e = errno;
        close(in);
        return PosixStatus(e);
    }
    int e = PosixCopyData(in, out, st.st_size);
    close(in);
    if (close(out) != 0 && e == 0) e = errno;
    return PosixStatus(e);
}

SysStatus SysReadFile(const WChar* native, NString& bytes, int64_t maxBytes, bool& opened) {
    opened = false;
    const int fd = open(Utf8Path(native).c(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PosixStatus(errno);
    opened = true;
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size > maxBytes || st.st_size > INT32_MAX - 1) {
        close(fd);
        return SysStatus::kFailed;
    }
    DynamicArray<char> buffer;
    buffer.Resize(int32_t(st.st_size) + 1);
    int64_t got = 0;
    while (got < st.st_size) {
        const ssize_t n = read(fd, buffer.data + got, size_t(st.st_size - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
    }
    close(fd);
    if (got != st.st_size) return SysStatus::kFailed;
    bytes.Assign(buffer.data, int32_t(got));
    return SysStatus::kOk;
}

SysStatus SysReadFileHead(const WChar* native, void* buffer, int64_t n, int64_t& count) {
    count = 0;
    const int fd = open(Utf8Path(native).c(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PosixStatus(errno);
    auto* p = static_cast<uint8_t*>(buffer);
    while (count < n) {
        const ssize_t r = read(fd, p + count, size_t(n - count));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        count += r;
    }
    close(fd);
    return SysStatus::kOk;
}

namespace {

// A fresh name beside path for the new content ("<file>.veldo-new-<pid>-<n>");
// O_EXCL makes it ours alone.
int CreateSibling(const char* path, mode_t mode, NString& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        NextSiblingName(path, SiblingKind::kNew, name);
        const int fd = open(name.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// New files beside path that a run left when it was killed before renaming
// them: their process is gone. Those of live processes are theirs.
void RemoveLeftoverSiblings(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const NString folder = slash ? NString(path, int32_t(slash - path) + (slash == path ? 1 : 0)) : NString(".");
    const NString base(slash ? slash + 1 : path);
    DIR* dir = opendir(folder.CStr());
    if (!dir) return;
    while (dirent* e = readdir(dir)) {
        uint32_t pid = 0;
        if (std::strncmp(e->d_name, base.CStr(), size_t(base.Length())) != 0 ||
            !IsSiblingSuffix(e->d_name + base.Length(), SiblingKind::kNew, pid))
            continue;
        if (pid == uint32_t(getpid()) || kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
        unlinkat(dirfd(dir), e->d_name, 0);
    }
    closedir(dir);
}

}  // namespace

SysStatus SysReplaceFile(const WChar* native, const void* bytes, int64_t n, bool& opened) {
    opened = false;
    const Utf8Path path(native);
    struct stat old;
    const bool hadOld = stat(path.c(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) return SysStatus::kFailed;
    RemoveLeftoverSiblings(path.c());

    // The new content goes to a new file beside the old one and is renamed
    // over it only once it is complete and on disk.
    NString temp;
    const int fd = CreateSibling(path.c(), hadOld ? (old.st_mode & 0777) : 0666, temp);
    if (fd < 0) return PosixStatus(errno);
    opened = true;
    bool ok = PosixWriteAll(fd, bytes, n);
    int e = ok ? 0 : errno;
    if (ok && fsync(fd) != 0) { ok = false; e = errno; }
    if (ok && hadOld) {
        fchmod(fd, old.st_mode & 07777);
        // Giving a file to another owner works only for root; an ordinary
        // user's files are already theirs.
        if (fchown(fd, old.st_uid, old.st_gid) != 0) {}
    }
    if (close(fd) != 0 && ok) { ok = false; e = errno; }
    if (ok && rename(temp.CStr(), path.c()) == 0) return SysStatus::kOk;
    if (ok) e = errno;
    unlink(temp.CStr());
    return PosixStatus(e == 0 ? EIO : e);
}

SysStatus SysWriteInPlace(const WChar* native, const void* bytes, int64_t n, bool& opened) {
    opened = false;
    const int fd = open(Utf8Path(native).c(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return PosixStatus(errno);
    opened = true;
    bool ok = PosixWriteAll(fd, bytes, n);
    int e = ok ? 0 : errno;
    if (ok && fsync(fd) != 0) { ok = false; e = errno; }
    if (close(fd) != 0 && ok) { ok = false; e = errno; }
    return ok ? SysStatus::kOk : PosixStatus(e);
}

SysStatus SysAppendFile(const WChar* native, const void* bytes, int64_t n, bool truncate) {
    const int fd = open(Utf8Path(native).c(), O_WRONLY | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : O_APPEND), 0666);
    if (fd < 0) return PosixStatus(errno);
    const bool ok = PosixWriteAll(fd, bytes, n);
    const int e = ok ? 0 : errno;
    close(fd);
    return ok ? SysStatus::kOk : PosixStatus(e);
}

// ---- locked files ----------------------------------------------------------

namespace {

// The folder's entry for a new name reaches the disk with the folder.
void SyncFolderOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const NString folder = !slash ? NString(".") : slash == path ? NString("/") : NString(path, int32_t(slash - path));
    const int fd = open(folder.CStr(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

SysStatus SysCreateLockedFile(const WChar* native, SysLockedFile*& file) {
    file = nullptr;
    const Utf8Path path(native);
    const int fd = open(path.c(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return PosixStatus(errno);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {  // nobody else can hold a file that did not exist
        const int e = errno;
        close(fd);
        unlink(path.c());
        return PosixStatus(e);
    }
    SyncFolderOf(path.c());
    file = new SysLockedFile{fd, path.text};
    return SysStatus::kOk;
}

SysStatus SysOpenLockedFile(const WChar* native, SysLockedFile*& file) {
    file = nullptr;
    const Utf8Path path(native);
    const int fd = open(path.c(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return PosixStatus(errno);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return SysStatus::kFailed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        close(fd);
        return e == EWOULDBLOCK ? SysStatus::kExists : PosixStatus(e);
    }
    file = new SysLockedFile{fd, path.text};
    return SysStatus::kOk;
}

SysStatus SysLockedFileAppend(SysLockedFile* file, const void* bytes, int64_t n, bool sync) {
    if (!file) return SysStatus::kFailed;
    if (lseek(file->fd, 0, SEEK_END) < 0 || !PosixWriteAll(file->fd, bytes, n)) return PosixStatus(errno);
    if (sync && fdatasync(file->fd) != 0) return PosixStatus(errno);
    return SysStatus::kOk;
}

SysStatus SysLockedFileRead(SysLockedFile* file, NString& bytes, int64_t maxBytes) {
    if (!file) return SysStatus::kFailed;
    struct stat st;
    if (fstat(file->fd, &st) != 0 || st.st_size > maxBytes || st.st_size > INT32_MAX - 1) return SysStatus::kFailed;
    DynamicArray<char> buffer;
    buffer.Resize(int32_t(st.st_size) + 1);
    int64_t got = 0;
    while (got < st.st_size) {
        const ssize_t n = pread(file->fd, buffer.data + got, size_t(st.st_size - got), off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
    }
    if (got != st.st_size) return SysStatus::kFailed;
    bytes.Assign(buffer.data, int32_t(got));
    return SysStatus::kOk;
}

void SysLockedFileClose(SysLockedFile* file, bool remove) {
    if (!file) return;
    if (remove) {
        unlink(file->path.CStr());
        SyncFolderOf(file->path.CStr());
    }
    close(file->fd);
    delete file;
}

void SysFlushFileSystem(const WChar* native) {
    const int fd = open(Utf8Path(native).c(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    syncfs(fd);
    close(fd);
}

// ---- files read at an offset, new files written in sequence ----------------

struct SysReadHandle {
    int fd;
};

SysStatus SysOpenForReading(const WChar* native, SysReadHandle*& file, int64_t& size) {
    file = nullptr;
    int fd = -1;
    struct stat st;
    if (const SysStatus opened = OpenRegularFile(native, fd, st); opened != SysStatus::kOk) return opened;
    size = int64_t(st.st_size);
    file = new SysReadHandle{fd};
    return SysStatus::kOk;
}

SysStatus SysReadAt(SysReadHandle* file, int64_t offset, void* buffer, int64_t n) {
    auto* p = static_cast<uint8_t*>(buffer);
    while (n > 0) {
        const ssize_t got = pread(file->fd, p, size_t(n), off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got < 0 ? PosixStatus(errno) : SysStatus::kFailed;
        p += got;
        offset += got;
        n -= got;
    }
    return SysStatus::kOk;
}

void SysCloseReading(SysReadHandle* file) {
    if (!file) return;
    close(file->fd);
    delete file;
}

struct SysWriteHandle {
    int fd;
};

SysStatus SysCreateNewFile(const WChar* native, bool executable, SysWriteHandle*& file) {
    file = nullptr;
    const int fd = open(Utf8Path(native).c(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        executable ? 0755 : 0644);
    if (fd < 0) return PosixStatus(errno);
    file = new SysWriteHandle{fd};
    return SysStatus::kOk;
}

SysStatus SysWriteNext(SysWriteHandle* file, const void* bytes, int64_t n) {
    return PosixWriteAll(file->fd, bytes, n) ? SysStatus::kOk : PosixStatus(errno);
}

SysStatus SysCloseWritten(SysWriteHandle* file, bool sync) {
    if (!file) return SysStatus::kFailed;
    SysStatus s = SysStatus::kOk;
    if (sync && fsync(file->fd) != 0) s = PosixStatus(errno);
    if (close(file->fd) != 0 && s == SysStatus::kOk) s = PosixStatus(errno);
    delete file;
    return s;
}
