// The elevated service's file operations on Linux. Paths are walked one
// folder at a time from the root with O_NOFOLLOW, so no link can lead the
// service anywhere its client could not point to directly; the source of a
// copy is opened with the client's file-system identity.
#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "core/text_convert.h"
#include "sys/platform.h"
#include "sys/posix/posix_channel.h"
#include "sys/posix/posix_io.h"
#include "sys/posix/posix_locked_file.h"
#include "sys/sibling_names.h"

namespace {

// The folder holding the path's last component, opened without following
// any link, and that component's name. -1 (errno set) when the path is not
// absolute, has "." or ".." or an empty last component, or a link on the way.
int OpenParent(const WChar* native, NString& last) {
    NString path;
    WideToUtf8(native, path);
    const char* p = path.CStr();
    if (*p != '/' || std::strlen(p) != size_t(path.Length())) {
        errno = EACCES;
        return -1;
    }
    int fd = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0) {
        while (*p == '/') ++p;
        const char* end = std::strchr(p, '/');
        const size_t n = end ? size_t(end - p) : std::strlen(p);
        const NString name(p, int32_t(n));
        if (n == 0 || name == NString(".") || name == NString("..")) {
            close(fd);
            errno = EACCES;
            return -1;
        }
        const char* next = end;
        while (next && *next == '/') ++next;
        if (!next || !*next) {  // the last component
            last = name;
            return fd;
        }
        const int sub = openat(fd, name.CStr(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int e = errno;
        close(fd);
        if (sub < 0) {
            errno = e == ENOTDIR ? EACCES : e;  // a link (or a file) where a folder should be
            return -1;
        }
        fd = sub;
        p = next;
    }
    return -1;
}

// Takes on the channel's peer's identity for file access until destroyed:
// its user and group (the thread's file-system ids) and its supplementary
// groups, so that a file its groups may not read stays unread. The groups
// are the process's, which is the service's alone and single-threaded.
class PeerIdentity {
public:
    explicit PeerIdentity(SysChannel* channel) {
        ucred cred{};
        socklen_t length = sizeof cred;
        if (!channel || getsockopt(channel->fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return;
        // The peer's groups as they were when it connected.
        gid_t groups[kMaxGroups];
        socklen_t groupBytes = sizeof groups;
        if (getsockopt(channel->fd, SOL_SOCKET, SO_PEERGROUPS, groups, &groupBytes) != 0) return;
        oldGroupCount_ = getgroups(kMaxGroups, oldGroups_);
        if (oldGroupCount_ < 0 || setgroups(size_t(groupBytes / sizeof(gid_t)), groups) != 0) return;
        groupsSet_ = true;
        oldGid_ = setfsgid(cred.gid);
        oldUid_ = setfsuid(cred.uid);
        // setfsuid reports the previous value both when it worked and when
        // it did not: asking again tells.
        ok_ = uid_t(setfsuid(uid_t(-1))) == cred.uid && gid_t(setfsgid(gid_t(-1))) == cred.gid;
    }
    ~PeerIdentity() {
        if (oldUid_ != uid_t(-1)) setfsuid(oldUid_);
        if (oldGid_ != gid_t(-1)) setfsgid(oldGid_);
        if (groupsSet_) setgroups(size_t(oldGroupCount_), oldGroups_);
    }
    bool ok() const { return ok_; }

private:
    static constexpr int kMaxGroups = 1024;  // a peer in more groups is refused, never half taken on
    bool ok_ = false;
    bool groupsSet_ = false;
    uid_t oldUid_ = uid_t(-1);
    gid_t oldGid_ = gid_t(-1);
    gid_t oldGroups_[kMaxGroups];
    int oldGroupCount_ = -1;
};

}  // namespace

namespace {

// One *at call on the path's last component, inside its guarded folder.
template <class Op>
SysStatus AtLastComponent(const WChar* native, Op op) {
    NString last;
    const int parent = OpenParent(native, last);
    if (parent < 0) return PosixStatus(errno);
    const int r = op(parent, last.CStr());
    const int e = errno;
    close(parent);
    return r == 0 ? SysStatus::kOk : PosixStatus(e);
}

}  // namespace

SysStatus SysGuardedCreateFolder(const WChar* native) {
    return AtLastComponent(native, [](int parent, const char* name) { return mkdirat(parent, name, 0777); });
}

SysStatus SysGuardedRemoveFolder(const WChar* native) {
    // A link is no folder: ENOTDIR.
    return AtLastComponent(native, [](int parent, const char* name) { return unlinkat(parent, name, AT_REMOVEDIR); });
}

SysStatus SysGuardedDeleteFile(const WChar* native) {
    NString last;
    const int parent = OpenParent(native, last);
    if (parent < 0) return PosixStatus(errno);
    struct stat st;
    int r = fstatat(parent, last.CStr(), &st, AT_SYMLINK_NOFOLLOW);
    int e = errno;
    if (r == 0 && S_ISDIR(st.st_mode)) {
        r = -1;
        e = EISDIR;
    } else if (r == 0) {
        r = unlinkat(parent, last.CStr(), 0);
        e = errno;
    }
    close(parent);
    return r == 0 ? SysStatus::kOk : PosixStatus(e);
}

SysStatus SysGuardedCopyFile(const WChar* source, const WChar* target, SysChannel* reader) {
    // The source, as the client: what it may not read, the service does not.
    int in = -1;
    int e = 0;
    {
        PeerIdentity as(reader);
        if (!as.ok()) return SysStatus::kAccessDenied;
        NString name;
        const int parent = OpenParent(source, name);
        if (parent < 0) return PosixStatus(errno);
        in = openat(parent, name.CStr(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);  // a FIFO never blocks it
        e = errno;
        close(parent);
    }
    if (in < 0) return PosixStatus(e);
    e = 0;
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return SysStatus::kFailed;
    }
    // The target: a new file beside it, renamed over it once complete.
    NString last;
    const int parent = OpenParent(target, last);
    if (parent < 0) {
        e = errno;
        close(in);
        return PosixStatus(e);
    }
    NString temp;
    int out = -1;
    for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
        NextSiblingName(last.CStr(), SiblingKind::kNew, temp);
        out = openat(parent, temp.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 0777);
        if (out < 0 && errno != EEXIST) break;
    }
    if (out < 0) {
        e = errno;
        close(in);
        close(parent);
        return PosixStatus(e);
    }
    e = PosixCopyData(in, out, st.st_size);
    close(in);
    if (close(out) != 0 && e == 0) e = errno;
    if (e == 0 && renameat(parent, temp.CStr(), parent, last.CStr()) != 0) e = errno;
    if (e != 0) unlinkat(parent, temp.CStr(), 0);
    close(parent);
    return PosixStatus(e);
}

SysStatus SysGuardedOpenPeerFile(const WChar* native, SysChannel* peer, SysLockedFile*& file) {
    file = nullptr;
    ucred cred{};
    socklen_t length = sizeof cred;
    if (!peer || getsockopt(peer->fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return SysStatus::kAccessDenied;
    NString last;
    const int parent = OpenParent(native, last);
    if (parent < 0) return PosixStatus(errno);
    // Never created here, never followed, never a FIFO that would hold the
    // open: the peer made it, and it is the peer's alone.
    const int fd = openat(parent, last.CStr(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int e = errno;
    close(parent);
    if (fd < 0) return PosixStatus(e);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_uid != cred.uid) {
        close(fd);
        return SysStatus::kAccessDenied;
    }
    NString path;
    WideToUtf8(native, path);
    file = new SysLockedFile{fd, path};
    return SysStatus::kOk;
}

void SysServiceProcessSetup() { umask(022); }
