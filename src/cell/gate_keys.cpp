#include "cell/gate_keys.h"

#include <atomic>

#include "cell/gates.h"
#include "cell/value_codec.h"

namespace {
std::atomic<int> g_documentCounter{1};
}

HddGateKey::HddGateKey() : newDocument(true) {
    path.Format(WTXT("document%02i.veldo"), g_documentCounter.fetch_add(1));
}

HddGateKey::HddGateKey(const WChar* filePath) { path.Assign(filePath); }

CellKey HddGateKey::GateClassKey() const { return HddGate::kClassKey; }

// FNV-1a 64 over the path's code units, then the gate class key and the
// key's own class key XORed in.
uint64_t HddGateKey::Hash() const {
    uint64_t h = 0xCBF29CE484222325ULL;
    const WChar* s = path.CStr();
    for (int32_t i = 0; s[i]; ++i) {
        h ^= uint16_t(s[i]);
        h *= 0x100000001B3ULL;
    }
    return h ^ GateClassKey() ^ kClassKey;
}

// Equal when both are file keys with the same path, code unit for code unit.
bool HddGateKey::Equals(const Cell& other) const {
    if (other.ClassKey() != kClassKey) return false;
    auto* o = dynamic_cast<const HddGateKey*>(&other);
    return o && o->path == path;
}

void HddGateKey::CopyFrom(const Cell& other) {
    if (auto* o = dynamic_cast<const HddGateKey*>(&other); o && o != this) {
        path.Assign(o->path);
        newDocument = o->newDocument;
    }
}

GateKey* HddGateKey::Duplicate() const {
    auto* copy = new HddGateKey(path.CStr());
    copy->newDocument = newDocument;
    return copy;
}

CellKey ClipboardGateKey::GateClassKey() const { return ClipboardGate::kClassKey; }
CellKey DragDropGateKey::GateClassKey() const { return DragDropGate::kClassKey; }

bool HddGateKey::Export(MemBlockCursor& cursor, int) { return WriteString(cursor, path); }
// A stored key names a file that exists somewhere: it is no new document.
bool HddGateKey::Import(MemBlockCursor& cursor, double, LocationCollector*) {
    newDocument = false;
    return ReadString(cursor, path);
}
