// The installation journal's file and the work done from its entries,
// shared by the batch that writes it (file_journal.h) and the start that
// puts a cut-off batch back (journal_recovery.h).
//
// The file: "<pid>-<n>.veldo-journal" in the product data folder, the first
// line "VELDO journal <version>\n", then one record per entry:
//   "<kind> <length 1> <length 2> <CRC-64 in 16 hex digits>\n"
//   <field 1> <field 2> "\n"
// The CRC covers "<kind> <length 1> <length 2>" and both fields, so a
// record torn by a crash, or damaged later, ends the readable part: what
// comes before it still counts, nothing after it does. Paths are native
// paths in UTF-8. Kinds:
//   host    the host's name;
//   aside   the original path, the path it was moved to;
//   made    a path about to be created, "d" for a folder or "f";
//   text    a file about to be rewritten, its bytes before;
//   commit  (no fields) the batch is done: what was moved aside goes.
// Versions: 1 the first layout.
#pragma once

#include <cstdint>

#include "core/container.h"
#include "core/dynamic_string.h"

inline constexpr int32_t kJournalVersion = 1;
inline constexpr const WChar* kJournalSuffix = WTXT(".veldo-journal");

enum class JournalKind : int32_t { kHost, kAside, kMade, kText, kCommit };

struct JournalEntry {
    JournalKind kind = JournalKind::kHost;
    WString path;   // host: the name
    WString aside;  // aside: where it went
    NString text;   // text: the bytes before
    bool folder = false;
};

// The file's first line.
void JournalHeader(NString& out);
// One record as it is appended.
void EncodeJournalEntry(const JournalEntry& entry, NString& out);

// What a journal's file says: its entries up to the first damaged or torn
// record. versionKnown is false for a layout this program cannot read
// (then nothing is read); a file cut off inside its first line is known
// and names nothing. complete tells whether every byte was a sound record.
struct JournalContent {
    bool versionKnown = false;
    bool complete = false;
    bool committed = false;
    WString host;
    Container<JournalEntry> entries;
};
void DecodeJournal(const char* bytes, int32_t length, JournalContent& out);

// Puts the entries back, newest first: created items deleted, moved-aside
// items moved back (merged where a move by copying was cut off half-way),
// kept texts written back. Safe to run again on the same entries. Adds to
// failed what could not be put back, and to restored what was.
void UndoJournalEntries(const Container<JournalEntry>& entries, Container<WString>& restored,
                        Container<WString>& failed);
// Deletes what the entries moved aside; adds what could not be to failed.
void DeleteJournalAsides(const Container<JournalEntry>& entries, Container<WString>& failed);

// The product data folder's journal file of this process's next batch
// (native path), a name no file has yet.
bool NewJournalPath(WString& native);
