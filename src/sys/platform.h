// The platform interface: the thin operating-system calls the rest of the
// program stands on. Each backend (posix/, win32/) implements every function
// here and nothing else; what to do with an answer lives outside, in code
// shared by both.
//
// Paths given to the program are Windows paths (drive letters, backslashes).
// SysNativePath turns one into the form the system calls take: on Windows the
// path itself, on Linux the Unix path inside the Wine prefix. Every file call
// below takes such a native path, as UTF-16 text.
//
// Sections: paths and files (locked files among them); text; registry;
// user, program and processes; time; memory; desktop; the elevated
// service's channel; the elevated service's file operations.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/dynamic_string.h"

// ---- paths and files -----------------------------------------------------

enum class SysStatus : int32_t {
    kOk = 0,
    kNotFound,      // the path or one of its folders does not exist
    kAccessDenied,  // the permission boundary: may be retried elevated
    kExists,        // creation found something already there
    kNoSpace,       // the file system is full
    kIsFolder,      // a file operation met a folder
    kFailed,        // anything else
};

// Maps a Windows path to the native form. A path already in native form
// (on Linux, one that starts with "/") is taken as it stands. Relative paths
// stay relative. False when the drive is unknown.
bool SysNativePath(const WChar* path, WString& native);

// The native form as the path is spelled, without looking names up
// case-insensitively: cheaper, and the same as SysNativePath whenever the
// path exists exactly as spelled. For calls that are retried through
// SysNativePath when they find nothing.
bool SysSpelledPath(const WChar* path, WString& native);

// The Windows form of a native path (on Linux: the drive whose root is the
// longest match, else Z:).
bool SysWindowsPath(const WChar* native, WString& path);

// What a path is. A symbolic link (on Windows, a reparse point) is described
// by what it points to, and isLink says it is one; a link pointing nowhere
// exists as a file.
struct SysFileInfo {
    bool exists = false;
    bool isFolder = false;
    bool isLink = false;
    int64_t size = 0;
    int64_t links = 1;     // names of the same file (hard links)
    int64_t modified = 0;  // last written, seconds since 1970 (UTC)
};

SysStatus SysQueryPath(const WChar* native, SysFileInfo& info);

// Calls visit(name, isFolder, isLink) for every entry of a folder except "."
// and "..", isFolder describing what a link points to.
using SysListVisitor = void (*)(void* context, const WChar* name, bool isFolder, bool isLink);
SysStatus SysListFolder(const WChar* native, SysListVisitor visit, void* context);

SysStatus SysCreateFolder(const WChar* native);
SysStatus SysRemoveFolder(const WChar* native);  // only when empty
// Deletes a folder with all it holds, each entry reached from its folder
// (no path is walked twice) and no link followed; stops at the first
// failure, leaving the rest.
SysStatus SysDeleteTree(const WChar* native);
SysStatus SysDeleteFile(const WChar* native);
SysStatus SysCopyFile(const WChar* source, const WChar* target);  // overwrites
// Renames a file, folder or link within its file system; the target must
// not exist.
SysStatus SysRenamePath(const WChar* from, const WChar* to);
// Renames a file over another in one step (what stood at to is replaced;
// a link there is replaced, not followed).
SysStatus SysRenameOver(const WChar* from, const WChar* to);

// Reads a whole file's bytes (at most maxBytes; more is kFailed); opened
// tells a failure to open from a failure to read.
SysStatus SysReadFile(const WChar* native, NString& bytes, int64_t maxBytes, bool& opened);
// Reads up to n bytes from the start of a file; count gets what was read.
SysStatus SysReadFileHead(const WChar* native, void* buffer, int64_t n, int64_t& count);

// A file read at any offset while it stays open (a packed program reads its
// own archive); size gets its length. Reads give exactly n bytes or fail.
struct SysReadHandle;
SysStatus SysOpenForReading(const WChar* native, SysReadHandle*& file, int64_t& size);
SysStatus SysReadAt(SysReadHandle* file, int64_t offset, void* buffer, int64_t n);
void SysCloseReading(SysReadHandle* file);

// A new file written from start to end: nothing may stand at native (it is
// made exclusively, never through a link); executable gives it
// rwxr-xr-x on Linux. Closing with sync puts it on disk first.
struct SysWriteHandle;
SysStatus SysCreateNewFile(const WChar* native, bool executable, SysWriteHandle*& file);
SysStatus SysWriteNext(SysWriteHandle* file, const void* bytes, int64_t n);
SysStatus SysCloseWritten(SysWriteHandle* file, bool sync);

// The file a path names once every symbolic link is followed (the path
// itself when none is); false when a link leads nowhere or in a circle.
bool SysResolveLinks(const WChar* native, WString& resolved);
// True when this process may write the existing file (its mode, owner and
// file system allow it).
bool SysMayWrite(const WChar* native);

// Replaces a file's content atomically: written to a new file beside it,
// flushed, and renamed over it (keeping its permissions and owner). Left-over
// new files of earlier runs that ended half-way are removed first. When the
// folder refuses a new file: kAccessDenied with opened false. opened tells
// a failure to open (false) from a failure to write (true).
SysStatus SysReplaceFile(const WChar* native, const void* bytes, int64_t n, bool& opened);
// Rewrites a file in place (creating it): truncated, written and flushed.
// Killed half-way, the file is torn: callers keep a copy first.
SysStatus SysWriteInPlace(const WChar* native, const void* bytes, int64_t n, bool& opened);

// Waits until everything written to the file system that holds the path
// (its files' data, not only their names) is on disk: before a batch
// commits, so that a power cut after it cannot leave copied files empty.
// Windows: nothing (NTFS has no such call for an ordinary user; its own
// journal keeps the names, and copies are flushed by the system's cache).
void SysFlushFileSystem(const WChar* native);

// Appends bytes to a file, creating it; truncate empties it first.
SysStatus SysAppendFile(const WChar* native, const void* bytes, int64_t n, bool truncate);

// A file held open and locked by this process: a journal that must reach
// the disk before what it describes happens. The lock is the system's own
// and ends with the process, however it ends, so that another process can
// tell a journal whose writer is gone from one still being written.
struct SysLockedFile;
// Creates a new file (never one that is there, never through a link),
// readable and writable by its owner alone, locked; its folder's entry is
// on disk when this returns.
SysStatus SysCreateLockedFile(const WChar* native, SysLockedFile*& file);
// Opens an existing file and locks it; kExists (held) when a live process
// holds its lock, kNotFound when it is gone.
SysStatus SysOpenLockedFile(const WChar* native, SysLockedFile*& file);
// Appends bytes and, with sync, waits until they are on disk.
SysStatus SysLockedFileAppend(SysLockedFile* file, const void* bytes, int64_t n, bool sync);
// The whole content (at most maxBytes).
SysStatus SysLockedFileRead(SysLockedFile* file, NString& bytes, int64_t maxBytes);
// Closes it; with remove, its name goes first (while it is still locked).
void SysLockedFileClose(SysLockedFile* file, bool remove);

// ---- text -------------------------------------------------------------------

// Text in a Windows code page (1252, 1251, 932, 65001...), as programs
// that read "ANSI" files expect it; false when a character has no byte form
// there, or the code page is unknown. Nothing is ever replaced by a look-alike.
bool SysWideToCodePage(uint32_t codePage, const WChar* text, NString& bytes);

// ---- registry (HKEY_LOCAL_MACHINE, read-only) ------------------------------

struct SysRegKey;

enum class SysRegView : int32_t { k64 = 0, k32 = 1 };

enum class SysRegStatus : int32_t {
    kOk = 0,
    kNotFound,   // no such key or value; for enumeration: no more items
    kMoreData,   // the buffer is too small for this item
    kWrongType,  // the value is not a string
    kFailed,
};

// Opens a key under HKEY_LOCAL_MACHINE (parent null) or under an open key,
// which keeps its view.
SysRegStatus SysRegOpenKey(SysRegKey* parent, const WChar* subkey, SysRegView view, SysRegKey*& key);
// The name of subkey index into name (capacity in units, terminator included).
SysRegStatus SysRegEnumKey(SysRegKey* key, uint32_t index, WChar* name, uint32_t capacity);
// A string value's UTF-16 bytes with their terminator; size holds the buffer
// size in bytes and receives the bytes the value needs.
SysRegStatus SysRegQueryString(SysRegKey* key, const WChar* name, void* buffer, uint32_t& size);
void SysRegCloseKey(SysRegKey* key);

// ---- user, program and processes -------------------------------------

// The user profile folder, in Windows form.
bool SysProfileFolder(WString& path);
// The running executable, in Windows form.
bool SysExecutablePath(WString& path);
uint32_t SysProcessId();
// The command line exactly as the system keeps it for this process (on
// Windows GetCommandLineW, the only form that carries every character of a
// path); false where the system keeps none (Linux), and the caller rebuilds
// it from the arguments it was given.
bool SysCommandLine(WString& line);

// Starts a program (a Windows program as such; on Linux under Wine) with a
// parameter line; not waited for.
bool SysStartProgram(const WChar* path, const WChar* parameters);
// Opens a link in the user's browser.
void SysOpenLink(const WChar* url);

// Standard output is a terminal (not a file or a pipe).
bool SysStdoutIsTerminal();

// An environment variable's value as UTF-8; false when it is not set.
bool SysEnvironment(const char* name, NString& value);
// Ends this process at once, as a power cut or a kill would (no clean-up,
// no handlers): for the tests' crash points.
[[noreturn]] void SysKillSelf();

// Requests to end the program politely (on Linux SIGTERM, SIGINT and
// SIGHUP; on Windows the console's Ctrl+C, Ctrl+Break and close events)
// are caught from now on and only noted: the program ends at a point of its
// choosing. SysEndRequested tells whether one came.
void SysCatchEndRequests();
bool SysEndRequested();

// The user's UI languages, most wanted first, separated by ':'
// ("de_DE.UTF-8:fr"): on Linux in gettext's order (LANGUAGE unless the
// locale is "C", then LC_ALL, LC_MESSAGES, LANG); on Windows the user's UI
// language ("de-DE"). Empty when unknown.
void SysUserLanguages(NString& languages);

// ---- time ----------------------------------------------------------------

void SysSleepMs(uint32_t ms);
// Milliseconds of a steady clock.
double SysClockMs();
// The local time as "[%Y-%m-%d %H:%M:%S] ".
void SysLocalTimeStamp(WString& out);

// ---- memory ---------------------------------------------------------------

// A zeroed block for a large buffer filled once (a font atlas), in large
// pages where the system offers them, so that touching it costs few page
// faults. Null when there is no memory. Freed with the same size.
void* SysAllocateLarge(size_t bytes);
void SysFreeLarge(void* block, size_t bytes);

// ---- desktop ---------------------------------------------------------------

enum class SysBoxKind : int32_t { kInfo, kWarning, kError, kOkCancel };
// Shows a modal message box; true when OK was chosen.
bool SysMessageBox(const WChar* text, const WChar* caption, SysBoxKind kind);

enum class SysFileDialogKind : int32_t { kOpen, kSave, kFolder };
// Shows a modal file or folder dialog with one file type (name, pattern;
// unused for folders). True with the chosen path in Windows form; false with
// an empty path when cancelled or when no dialog could be shown.
bool SysFileDialog(SysFileDialogKind kind, const WChar* title, const WChar* typeName, const WChar* typePattern,
                   WString& path);
// Shows the colour picker starting at rgb (bytes); true with the chosen
// colour in rgb, false when cancelled or when no picker could be shown.
bool SysColourDialog(uint8_t rgb[3]);

// ---- the elevated service's channel ------------------------------------
//
// A private, access-controlled byte stream between the program and an
// elevated copy of itself. The client creates the channel under a fresh
// name and starts the elevated copy; the service connects to the channel by
// name. Each end checks who is on the other side.

struct SysListener;
struct SysChannel;
struct SysProcess;

// A fresh GUID as 36 characters without braces.
bool SysNewGuid(WString& text);
// The system's folder for temporary files, in native form: the elevated
// service and the user both reach it.
bool SysTemporaryFolder(WString& native);

// Creates the channel; only this process and the administrator can reach it.
bool SysChannelListen(const WChar* name, SysListener*& listener);
// Removes the channel (the connection made through it stays).
void SysListenerClose(SysListener* listener);

// Starts this program's own executable elevated with a parameter line.
bool SysStartElevatedSelf(const WChar* parameters, SysProcess*& process);
bool SysProcessRunning(SysProcess* process);
// Ends the process as far as this user may, and forgets it.
void SysProcessTerminate(SysProcess* process);
void SysProcessRelease(SysProcess* process);

enum class SysAcceptResult : int32_t { kConnected, kProcessEnded, kTimedOut, kRefused, kFailed };
// Waits for the elevated process to connect, at most timeoutMs (0: as long
// as the process runs). A peer that is not the administrator, or not the
// process (or a descendant of it), is dropped and the wait goes on; kRefused
// when the wait ends after such a peer. Creating a channel first removes
// the channels that killed clients left behind.
SysAcceptResult SysChannelAccept(SysListener* listener, SysProcess* process, uint32_t timeoutMs,
                                 SysChannel*& channel);

// The service's end: connects to the channel of that name, waiting while it
// exists and is busy, failing at once when it does not exist. A peer whose
// process id is not clientPid is refused.
bool SysChannelConnect(const WChar* name, uint32_t clientPid, SysChannel*& channel);

// Reads exactly n bytes (false on a short read or error); timeoutMs 0 waits
// without limit.
bool SysChannelRead(SysChannel* channel, void* bytes, size_t n, uint32_t timeoutMs);
bool SysChannelWrite(SysChannel* channel, const void* bytes, size_t n);
void SysChannelClose(SysChannel* channel);

// True while a process of that id exists and can be queried.
bool SysProcessExists(uint32_t pid);

// ---- the elevated service's file operations ----------------------------
//
// What the service does for its client, guarded: the path is absolute, has
// no "." or ".." component, and no component before the last may be a
// symbolic link (the client resolves its links first); anything else is
// kAccessDenied. The last component itself is never followed either: a
// link is deleted as itself and never written through.

SysStatus SysGuardedCreateFolder(const WChar* native);
SysStatus SysGuardedRemoveFolder(const WChar* native);  // only when empty
SysStatus SysGuardedDeleteFile(const WChar* native);
// Reads the source with the identity of the channel's peer (the service
// copies only what its client may read itself) and replaces the target with
// a new file, never writing into the file that was there.
SysStatus SysGuardedCopyFile(const WChar* source, const WChar* target, SysChannel* reader);
// Opens for appending a file the channel's peer made for the service (its
// log): an existing regular file of one name, owned by the peer, reached
// through no link. Anything else is kAccessDenied and nothing is opened.
SysStatus SysGuardedOpenPeerFile(const WChar* native, SysChannel* peer, SysLockedFile*& file);
// The service's own process settings, whatever its starter left: a fixed
// file-creation mask (022 on Linux).
void SysServiceProcessSetup();
