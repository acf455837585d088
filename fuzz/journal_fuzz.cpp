// The installation journal as the next start reads it: a file that a crash
// tore or a disk damaged. Two properties. Any bytes at all are read without
// a fault. And a journal the program wrote, cut off at any byte and with
// any one byte changed after the cut's sound part, reads back exactly the
// entries written before the first damaged record: nothing after a tear or
// a damage is ever taken for an entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/text_convert.h"
#include "sys/journal_format.h"

namespace {

// Entries made from the input: kind by a byte, fields from the bytes that
// follow (paths as ASCII-safe text, texts as raw bytes).
void EntriesFrom(const uint8_t* data, size_t size, Container<JournalEntry>& out) {
    size_t at = 0;
    while (at + 2 <= size && out.count < 64) {
        auto* e = new JournalEntry;
        e->kind = JournalKind(data[at] % 5);
        const size_t n = data[at + 1] % 24;
        at += 2;
        const size_t take = n < size - at ? n : size - at;
        NString bytes(reinterpret_cast<const char*>(data + at), int32_t(take));
        at += take;
        NString path("/p");
        for (int32_t i = 0; i < bytes.Length(); ++i) path.AppendChar(char('a' + (uint8_t(bytes[i]) % 26)));
        Utf8ToWide(path.CStr(), e->path);
        if (e->kind == JournalKind::kAside) {
            NString aside(path);
            aside.Append(".veldo-old-1-2");
            Utf8ToWide(aside.CStr(), e->aside);
        }
        if (e->kind == JournalKind::kText) e->text = bytes;
        if (e->kind == JournalKind::kMade) e->folder = take % 2 == 0;
        if (e->kind == JournalKind::kCommit) e->path.Assign(static_cast<const WChar*>(nullptr));
        out.Add(e);
    }
}

bool SameEntry(const JournalEntry& a, const JournalEntry& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case JournalKind::kHost: return true;  // kept as the content's host
        case JournalKind::kAside: return a.path == b.path && a.aside == b.aside;
        case JournalKind::kMade: return a.path == b.path && a.folder == b.folder;
        case JournalKind::kText: return a.path == b.path && a.text.Length() == b.text.Length() &&
                                        std::memcmp(a.text.CStr(), b.text.CStr(), size_t(a.text.Length())) == 0;
        case JournalKind::kCommit: return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) return 0;
    {
        JournalContent any;
        DecodeJournal(reinterpret_cast<const char*>(data), int32_t(size), any);
        if (any.complete && !any.versionKnown) std::abort();
    }
    if (size < 4) return 0;
    // The first four bytes choose the cut and the damage; the rest the entries.
    const uint16_t cutChoice = uint16_t(data[0] | data[1] << 8);
    const uint16_t damageChoice = uint16_t(data[2] | data[3] << 8);
    Container<JournalEntry> written;
    EntriesFrom(data + 4, size - 4, written);
    NString file;
    JournalHeader(file);
    DynamicArray<int32_t> ends;  // where each record ends
    for (int32_t i = 0; i < written.count; ++i) {
        NString record;
        EncodeJournalEntry(*written[i], record);
        file.Append(record);
        ends.Append(file.Length());
    }
    const int32_t cut = int32_t(cutChoice % uint32_t(file.Length() + 1));
    NString torn(file.CStr(), cut);
    int32_t damagedAt = -1;
    if (cut > 0 && damageChoice & 1) {
        damagedAt = int32_t((damageChoice >> 1) % uint32_t(cut));
        torn.chars[damagedAt] = char(torn.chars[damagedAt] ^ 0x5A);
    }
    JournalContent read;
    DecodeJournal(torn.CStr(), torn.Length(), read);
    // Every record wholly before the cut and the damage is read, in order,
    // as written; none after.
    int32_t sound = 0;
    while (sound < ends.count && ends[sound] <= cut && (damagedAt < 0 || ends[sound] <= damagedAt)) ++sound;
    const bool headerSound = file.Find("\n") < cut && (damagedAt < 0 || damagedAt > file.Find("\n"));
    if (!headerSound) return 0;
    if (read.entries.count < sound) std::abort();
    for (int32_t i = 0; i < sound; ++i)
        if (!SameEntry(*read.entries[i], *written[i])) std::abort();
    // A damaged record never passes (its CRC, and a changed digit or
    // separator is no longer one); a torn one never does either.
    if (read.entries.count != sound) std::abort();
    return 0;
}
