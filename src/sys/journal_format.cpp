// Sections: records; putting back; the file's name.
#include "sys/journal_format.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "core/crc64.h"
#include "core/log.h"
#include "core/path.h"
#include "core/text_convert.h"
#include "sys/file_system.h"
#include "sys/move_aside.h"
#include "sys/platform.h"
#include "sys/text_files.h"
#include "sys/user_folders.h"

namespace {

constexpr char kHeaderStart[] = "VELDO journal ";
// A record's header line is short; anything longer is damage.
constexpr int32_t kLongestRecordHeader = 80;

struct KindName {
    JournalKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {{JournalKind::kHost, "host"},
                                   {JournalKind::kAside, "aside"},
                                   {JournalKind::kMade, "made"},
                                   {JournalKind::kText, "text"},
                                   {JournalKind::kCommit, "commit"}};

const char* NameOf(JournalKind kind) {
    for (const KindName& k : kKindNames)
        if (k.kind == kind) return k.name;
    return "?";
}

bool KindFromName(const char* name, size_t length, JournalKind& kind) {
    for (const KindName& k : kKindNames)
        if (std::strlen(k.name) == length && std::memcmp(k.name, name, length) == 0) {
            kind = k.kind;
            return true;
        }
    return false;
}

uint64_t RecordCrc(const char* head, size_t headLength, const NString& a, const NString& b) {
    uint64_t state = Crc64Update(~uint64_t(0), head, headLength);
    state = Crc64Update(state, a.CStr(), size_t(a.Length()));
    return ~Crc64Update(state, b.CStr(), size_t(b.Length()));
}

}  // namespace

// ---- records -------------------------------------------------------------

void JournalHeader(NString& out) { out.Format("%s%d\n", kHeaderStart, kJournalVersion); }

void EncodeJournalEntry(const JournalEntry& entry, NString& out) {
    NString a, b;
    switch (entry.kind) {
        case JournalKind::kHost: WideToUtf8(entry.path.CStr(), a); break;
        case JournalKind::kAside:
            WideToUtf8(entry.path.CStr(), a);
            WideToUtf8(entry.aside.CStr(), b);
            break;
        case JournalKind::kMade:
            WideToUtf8(entry.path.CStr(), a);
            b.Assign(entry.folder ? "d" : "f");
            break;
        case JournalKind::kText:
            WideToUtf8(entry.path.CStr(), a);
            b = entry.text;
            break;
        case JournalKind::kCommit: break;
    }
    char head[kLongestRecordHeader];
    const int n = std::snprintf(head, sizeof head, "%s %d %d", NameOf(entry.kind), int(a.Length()), int(b.Length()));
    char line[kLongestRecordHeader + 24];
    std::snprintf(line, sizeof line, "%s %016llx\n", head, (unsigned long long)RecordCrc(head, size_t(n), a, b));
    out.Assign(line);
    out.Append(a);
    out.Append(b);
    out.AppendChar('\n');
}

void DecodeJournal(const char* bytes, int32_t length, JournalContent& out) {
    out.versionKnown = out.complete = out.committed = false;
    out.host.Assign(static_cast<const WChar*>(nullptr));
    out.entries.Clear();
    const int32_t startLength = int32_t(sizeof kHeaderStart - 1);
    // Cut off while its first line was written (the run was killed as it
    // began the batch): it names nothing, and nothing was changed yet.
    NString header;
    JournalHeader(header);
    if (length < header.Length() && std::memcmp(bytes, header.CStr(), size_t(length)) == 0) {
        out.versionKnown = true;
        return;
    }
    if (length < startLength || std::memcmp(bytes, kHeaderStart, size_t(startLength)) != 0) return;
    int32_t at = startLength;
    int version = 0;
    while (at < length && bytes[at] >= '0' && bytes[at] <= '9' && version < 100000) version = version * 10 + (bytes[at++] - '0');
    if (at >= length || bytes[at] != '\n' || version != kJournalVersion) return;
    out.versionKnown = true;
    ++at;
    for (;;) {
        if (at == length) {
            out.complete = true;
            return;
        }
        // "<kind> <n1> <n2> <crc>\n"
        int32_t lineEnd = at;
        while (lineEnd < length && lineEnd - at < kLongestRecordHeader && bytes[lineEnd] != '\n') ++lineEnd;
        if (lineEnd >= length || bytes[lineEnd] != '\n') return;
        const char* line = bytes + at;
        const char* space = static_cast<const char*>(std::memchr(line, ' ', size_t(lineEnd - at)));
        JournalKind kind;
        if (!space || !KindFromName(line, size_t(space - line), kind)) return;
        long n1 = -1, n2 = -1;
        unsigned long long crc = 0;
        int consumed = 0;
        const NString header(line, lineEnd - at);
        if (std::sscanf(header.CStr() + (space - line), " %ld %ld %16llx%n", &n1, &n2, &crc, &consumed) != 3 ||
            consumed != header.Length() - (space - line) || n1 < 0 || n2 < 0)
            return;
        const int32_t fields = lineEnd + 1;
        if (n1 > length - fields || n2 > length - fields - n1 || fields + n1 + n2 >= length ||
            bytes[fields + n1 + n2] != '\n')
            return;  // torn: the record was not all written
        const NString a(bytes + fields, int32_t(n1)), b(bytes + fields + n1, int32_t(n2));
        const int32_t headLength = int32_t(header.Length()) - 17;  // without " <crc>"
        if (headLength <= 0 || RecordCrc(header.CStr(), size_t(headLength), a, b) != crc) return;
        at = fields + int32_t(n1 + n2) + 1;

        auto* entry = new JournalEntry;
        entry->kind = kind;
        switch (kind) {
            case JournalKind::kHost:
                Utf8ToWide(a.CStr(), out.host);
                entry->path = out.host;
                break;
            case JournalKind::kAside:
                Utf8ToWide(a.CStr(), entry->path);
                Utf8ToWide(b.CStr(), entry->aside);
                break;
            case JournalKind::kMade:
                Utf8ToWide(a.CStr(), entry->path);
                entry->folder = b == NString("d");
                break;
            case JournalKind::kText:
                Utf8ToWide(a.CStr(), entry->path);
                entry->text = b;
                break;
            case JournalKind::kCommit: out.committed = true; break;
        }
        out.entries.Add(entry, out.entries.count < 64 ? 64 : out.entries.count);
    }
}

// ---- putting back ----------------------------------------------------------

namespace {

void Add(Container<WString>& list, const WString& path) {
    for (int32_t i = 0; i < list.count; ++i)
        if (*list[i] == path) return;
    list.Add(new WString(path));
}

bool Exists(const WString& path) {
    SysFileInfo info;
    return SysQueryPath(path.CStr(), info) == SysStatus::kOk && info.exists;
}

}  // namespace

void UndoJournalEntries(const Container<JournalEntry>& entries, Container<WString>& restored,
                        Container<WString>& failed) {
    // What the batch made goes first, so that what it moved aside finds its
    // place free; texts last, each to its first kept form.
    for (int32_t i = entries.count - 1; i >= 0; --i) {
        const JournalEntry& e = *entries[i];
        if (e.kind != JournalKind::kMade || !Exists(e.path)) continue;
        const bool gone = e.folder ? DeleteFolderTree(e.path.CStr(), nullptr) : DeleteOneFile(e.path.CStr());
        if (gone || !Exists(e.path)) {
            LogLine(WTXT("Put back: removed %s"), e.path);
        } else {
            Add(failed, e.path);
        }
    }
    for (int32_t i = entries.count - 1; i >= 0; --i) {
        const JournalEntry& e = *entries[i];
        if (e.kind != JournalKind::kAside) continue;
        const bool wasAside = Exists(e.aside);
        if (!MoveBack(e.aside.CStr(), e.path.CStr())) {
            Add(failed, e.path);
            continue;
        }
        if (wasAside) {
            LogLine(WTXT("Put back: %s from %s"), e.path, e.aside);
            Add(restored, e.path);
        }
    }
    Container<WString> written;
    for (int32_t i = 0; i < entries.count; ++i) {
        const JournalEntry& e = *entries[i];
        if (e.kind != JournalKind::kText) continue;
        bool first = true;
        for (int32_t k = 0; k < written.count && first; ++k) first = !(*written[k] == e.path);
        if (!first) continue;
        written.Add(new WString(e.path));
        if (WriteTextFile(e.path.CStr(), e.text) != kTextOk) {
            Add(failed, e.path);
            continue;
        }
        LogLine(WTXT("Put back: the text of %s"), e.path);
        Add(restored, e.path);
    }
}

void DeleteJournalAsides(const Container<JournalEntry>& entries, Container<WString>& failed) {
    for (int32_t i = 0; i < entries.count; ++i) {
        const JournalEntry& e = *entries[i];
        if (e.kind != JournalKind::kAside) continue;
        SysFileInfo info;
        if (SysQueryPath(e.aside.CStr(), info) != SysStatus::kOk || !info.exists) continue;
        // A file or link goes as itself, a folder with all it holds (in one
        // walk; through the admin service where that is refused).
        bool gone = false;
        if (info.isFolder && !info.isLink)
            gone = SysDeleteTree(e.aside.CStr()) == SysStatus::kOk || DeleteFolderTree(e.aside.CStr(), nullptr);
        else
            gone = DeleteOneFile(e.aside.CStr());
        if (!gone) Add(failed, e.aside);
    }
}

// ---- the file's name -------------------------------------------------------

bool NewJournalPath(WString& native) {
    static std::atomic<uint32_t> counter{0};
    WPath folder;
    if (!ProductDataFolder(folder)) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        WString name;
        name.Format(WTXT("%u-%u%s"), SysProcessId(), counter.fetch_add(1), kJournalSuffix);
        WPath path(folder);
        path.Join(name.CStr());
        if (!SysNativePath(path.CStr(), native)) return false;
        if (!Exists(native)) return true;
    }
    return false;
}
