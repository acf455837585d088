// The payload a packed program carries, seen as a read-only folder. Once
// mounted at a root (a Windows path that no real folder can have: the
// program's own file with "\" after it), every path below the root names
// the archive's files and folders, in any letter case, and the file work
// of file_system.h and text_files.h reads them from the archive, streamed:
// nothing is extracted anywhere first.
#pragma once

#include <cstdint>
#include <functional>

#include "core/path.h"
#include "sys/platform.h"

class PayloadArchive;
struct PayloadEntry;

// The archive (checked, and alive while mounted) under root; a second
// mount replaces the first.
void MountPackedPayload(PayloadArchive& archive, const WChar* root);
void UnmountPackedPayload();
// The root of the mounted payload, ending in "\"; empty when none is.
const WPath& PackedPayloadRoot();

// What a Windows path names: kOutside when it is not below the root.
enum class PackedKind { kOutside, kNothing, kFile, kFolder };
PackedKind PackedPathKind(const WChar* path);
// The file at a path below the root (nullptr for a folder or nothing).
const PayloadEntry* PackedFile(const WChar* path);
// A folder's files and folders by name, each once; false when the path is
// no folder of the payload.
bool ListPackedFolder(const WChar* path, const std::function<void(const WChar* name, bool isFolder)>& visit);

// A file's content, in pieces, to sink; false when the archive cannot give
// it whole and as the table says (or sink said stop).
bool ReadPackedFile(const PayloadEntry& entry, const std::function<bool(const void*, size_t)>& sink);
bool ReadWholePackedFile(const PayloadEntry& entry, NString& bytes, int64_t maxBytes);
// Writes a packed file to a native path as a new file (one in the way is
// replaced); a refusal is the platform's status, for the caller to retry
// through the admin service. A file written whole before in this run is
// copied from there when that copy still gives the table's size and CRC.
SysStatus WritePackedFile(const PayloadEntry& entry, const WChar* native);
// Writes a packed file where the admin service may copy it from: a new
// file of the user's own in the product data folder, for the caller to
// delete once copied. False when it cannot be written.
bool StagePackedFile(const PayloadEntry& entry, WString& native);
// Staged files that a killed run left behind go (run at start-up).
void RemoveStagedLeftovers();
