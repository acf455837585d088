#include "sys/sibling_names.h"

#include <atomic>

#include "sys/platform.h"

namespace {

std::atomic<uint32_t> nextNumber{0};

const char* Marker(SiblingKind kind) { return kind == SiblingKind::kOld ? ".veldo-old-" : ".veldo-new-"; }
const WChar* WideMarker(SiblingKind kind) {
    return kind == SiblingKind::kOld ? WTXT(".veldo-old-") : WTXT(".veldo-new-");
}

// The marker, then "<digits>-<digits>" to the end, the process id from 1
// to 2^32 - 1.
template <class Ch>
bool ParseSuffix(const Ch* p, SiblingKind kind, uint32_t& pid) {
    for (const char* m = Marker(kind); *m; ++m, ++p)
        if (*p != Ch(*m)) return false;
    uint64_t value = 0;
    int digits = 0;
    for (; *p >= Ch('0') && *p <= Ch('9') && digits < 10; ++p, ++digits) value = value * 10 + uint64_t(*p - Ch('0'));
    if (digits == 0 || *p != Ch('-') || value == 0 || value > 0xFFFFFFFFu) return false;
    ++p;
    int numberDigits = 0;
    for (; *p >= Ch('0') && *p <= Ch('9'); ++p) ++numberDigits;
    if (numberDigits == 0 || *p != 0) return false;
    pid = uint32_t(value);
    return true;
}

}  // namespace

void NextSiblingName(const char* path, SiblingKind kind, NString& name) {
    name.Format("%s%s%u-%u", path, Marker(kind), SysProcessId(), nextNumber.fetch_add(1));
}

void NextSiblingName(const WChar* path, SiblingKind kind, WString& name) {
    name.Format(WTXT("%s%s%u-%u"), path, WideMarker(kind), SysProcessId(), nextNumber.fetch_add(1));
}

bool IsSiblingSuffix(const char* suffix, SiblingKind kind, uint32_t& pid) { return ParseSuffix(suffix, kind, pid); }

bool IsSiblingSuffix(const WChar* suffix, SiblingKind kind, uint32_t& pid) { return ParseSuffix(suffix, kind, pid); }

bool IsSiblingName(const WChar* name, uint32_t& pid) {
    for (SiblingKind kind : {SiblingKind::kOld, SiblingKind::kNew}) {
        // The last marker of the kind: a name may hold the text before it.
        const WString text(name);
        const WChar* marker = WideMarker(kind);
        int32_t at = -1;
        for (int32_t from = text.Find(marker); from >= 0; from = text.Find(marker, from + 1)) at = from;
        if (at > 0 && ParseSuffix(text.CStr() + at, kind, pid)) return true;
    }
    return false;
}
