// Reading Wine's registry text. Sections: string escapes; values; keys and
// the block structure; lookups.
#include "sys/posix/wine_registry.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/log.h"
#include "core/utf.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool StartsWith(const char* p, const char* end, const char* word) {
    const size_t n = std::strlen(word);
    return size_t(end - p) >= n && std::memcmp(p, word, n) == 0;
}

// A hex number of up to 8 digits, bounded by end; false when there is none.
bool ParseHexNumber(const char*& p, const char* end, uint32_t& v) {
    v = 0;
    int digits = 0;
    while (p < end && digits < 8 && HexValue(*p) >= 0) {
        v = v * 16 + uint32_t(HexValue(*p++));
        ++digits;
    }
    return digits > 0;
}

}  // namespace

// ---- string escapes ------------------------------------------------------

// Escapes: \\ \" \a \b \e \f \n \r \t \v, \x with 1 to 4 hex digits (one
// UTF-16 unit), and \ with 1 to 3 octal digits (\0 is a zero unit). Any other
// escaped character stands for itself. Text outside escapes is ASCII, but
// UTF-8 is read too.
namespace {

// Decodes the escape after a backslash at p (p points past the backslash).
bool DecodeEscape(const char*& p, const char* lineEnd, DynamicArray<WChar>& out) {
    if (p >= lineEnd) return false;  // the escape runs past the line
    const char e = *p++;
    switch (e) {
        case 'a': out.Append(WChar(7)); return true;
        case 'b': out.Append(WChar(8)); return true;
        case 'e': out.Append(WChar(27)); return true;
        case 'f': out.Append(WChar(12)); return true;
        case 'n': out.Append(WChar(10)); return true;
        case 'r': out.Append(WChar(13)); return true;
        case 't': out.Append(WChar(9)); return true;
        case 'v': out.Append(WChar(11)); return true;
        case 'x': {
            uint32_t v = 0;
            int digits = 0;
            while (digits < 4 && p < lineEnd && HexValue(*p) >= 0) {
                v = v * 16 + uint32_t(HexValue(*p++));
                ++digits;
            }
            out.Append(digits == 0 ? WChar('x') : WChar(v));
            return true;
        }
        default:
            if (e >= '0' && e <= '7') {
                uint32_t v = uint32_t(e - '0');
                for (int digits = 1; digits < 3 && p < lineEnd && *p >= '0' && *p <= '7'; ++digits)
                    v = v * 8 + uint32_t(*p++ - '0');
                out.Append(WChar(v));
            } else {
                out.Append(WChar(static_cast<unsigned char>(e)));
            }
            return true;
    }
}

// Appends one plain (unescaped) character, reading UTF-8 beyond ASCII.
void AppendPlain(const char*& p, const char* lineEnd, DynamicArray<WChar>& out) {
    if (static_cast<unsigned char>(*p) < 0x80) {
        out.Append(WChar(*p++));
        return;
    }
    WChar units[2];
    const int n = EncodeUtf16(DecodeUtf8(p, lineEnd), units);
    for (int i = 0; i < n; ++i) out.Append(units[i]);
}

}  // namespace

bool ParseRegString(const char* p, const char* lineEnd, DynamicArray<WChar>& out, const char*& end) {
    out.Clear();
    while (p < lineEnd) {
        if (*p == '"') {
            end = p + 1;
            return true;
        }
        if (*p == '\\') {
            ++p;
            if (!DecodeEscape(p, lineEnd, out)) return false;
        } else {
            AppendPlain(p, lineEnd, out);
        }
    }
    return false;
}

namespace {

// ---- values --------------------------------------------------------------

void StoreString(RegArena& arena, RegValue& v, uint32_t type, const DynamicArray<WChar>& text) {
    v.type = type;
    v.size = uint32_t(text.count + 1) * 2;
    auto* bytes = static_cast<uint8_t*>(arena.Allocate(v.size));
    for (int32_t i = 0; i < text.count; ++i) {
        bytes[2 * i] = uint8_t(uint16_t(text[i]) & 0xFF);
        bytes[2 * i + 1] = uint8_t(uint16_t(text[i]) >> 8);
    }
    bytes[2 * text.count] = 0;
    bytes[2 * text.count + 1] = 0;
    v.data = bytes;
}

const WChar* CopyName(RegArena& arena, const WChar* name, size_t length) {
    auto* copy = static_cast<WChar*>(arena.Allocate(sizeof(WChar) * (length + 1)));
    for (size_t i = 0; i < length; ++i) copy[i] = name[i];
    copy[length] = 0;
    return copy;
}

// Reads "aa,bb,..." hex bytes, following continuation lines; p and lineEnd move
// past everything consumed. False on a malformed byte.
bool ParseHexBytes(const char*& p, const char*& lineEnd, const char* fileEnd, DynamicArray<uint8_t>& out) {
    for (;;) {
        while (p < lineEnd && (IsSpace(*p) || *p == ',')) ++p;
        if (p >= lineEnd) return true;
        if (*p == '\\') {
            // Continues on the next line.
            const char* next = lineEnd < fileEnd ? lineEnd + 1 : fileEnd;
            if (next >= fileEnd) return true;
            p = next;
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(fileEnd - p)));
            lineEnd = nl ? nl : fileEnd;
            continue;
        }
        const int hi = HexValue(*p);
        const int lo = p + 1 < lineEnd ? HexValue(p[1]) : -1;
        if (hi < 0) return false;
        if (lo < 0) {
            out.Append(uint8_t(hi));
            ++p;
        } else {
            out.Append(uint8_t(hi * 16 + lo));
            p += 2;
        }
    }
}

// One value line into node; a broken value is left out.
void ParseValueLine(RegArena& arena, RegNode* node, const char* p, const char*& lineEnd, const char* fileEnd,
                    DynamicArray<WChar>& scratch, DynamicArray<uint8_t>& bytes) {
    RegValue value;
    RegValue* v = &value;
    if (*p == '@') {
        ++p;
        v->name = WTXT("");
    } else if (*p == '"') {
        const char* after = nullptr;
        if (!ParseRegString(p + 1, lineEnd, scratch, after)) return;
        v->name = CopyName(arena, scratch.data, size_t(scratch.count));
        v->nameLength = uint32_t(scratch.count);
        p = after;
    } else {
        return;
    }
    while (p < lineEnd && IsSpace(*p)) ++p;
    if (p >= lineEnd || *p != '=') return;
    ++p;
    bool ok = false;
    if (p < lineEnd && *p == '"') {
        const char* after = nullptr;
        ok = ParseRegString(p + 1, lineEnd, scratch, after);
        if (ok) StoreString(arena, *v, kRegSz, scratch);
    } else if (StartsWith(p, lineEnd, "str(")) {
        p += 4;
        uint32_t type = 0;
        if (ParseHexNumber(p, lineEnd, type) && StartsWith(p, lineEnd, "):\"")) {
            const char* after = nullptr;
            ok = ParseRegString(p + 3, lineEnd, scratch, after);
            if (ok) StoreString(arena, *v, type, scratch);
        }
    } else if (StartsWith(p, lineEnd, "dword:")) {
        p += 6;
        uint32_t d = 0;
        ok = ParseHexNumber(p, lineEnd, d);
        if (ok) {
            v->type = kRegDword;
            auto* data = static_cast<uint8_t*>(arena.Allocate(4));
            for (int i = 0; i < 4; ++i) data[i] = uint8_t(d >> (8 * i));
            v->data = data;
            v->size = 4;
        }
    } else if (StartsWith(p, lineEnd, "hex")) {
        uint32_t type = kRegBinary;
        p += 3;
        if (p < lineEnd && *p == '(') {
            ++p;
            if (!ParseHexNumber(p, lineEnd, type) || !StartsWith(p, lineEnd, ")")) p = lineEnd;
            else ++p;
        }
        if (p < lineEnd && *p == ':') {
            ++p;
            v->type = type;
            bytes.Clear();
            ok = ParseHexBytes(p, lineEnd, fileEnd, bytes);
            if (ok) {
                auto* data = static_cast<uint8_t*>(arena.Allocate(size_t(bytes.count)));
                if (bytes.count > 0) std::memcpy(data, bytes.data, size_t(bytes.count));
                v->data = data;
                v->size = uint32_t(bytes.count);
            }
        }
    }
    if (!ok) return;
    auto* stored = static_cast<RegValue*>(arena.Allocate(sizeof(RegValue)));
    *stored = value;
    if (node->lastValue) node->lastValue->next = stored;
    else node->values = stored;
    node->lastValue = stored;
}

// ---- keys and the block structure ----------------------------------------

uint64_t FoldedHash(const WChar* s, size_t n) {
    uint64_t h = 0xCBF29CE484222325ULL;
    for (size_t i = 0; i < n; ++i) {
        h ^= WFoldCase(s[i]);
        h *= 0x100000001B3ULL;
    }
    return h;
}

// Finds children by name while loading, when keys come in any order; a big
// family of siblings is indexed by the hash of its folded name.
class ChildIndex {
public:
    explicit ChildIndex(RegArena& arena) : arena_(arena) {}

    RegNode* FindOrAdd(RegNode* parent, const WChar* name, size_t length, int32_t& keyCount) {
        const uint64_t key = FoldedHash(name, length) ^ (uint64_t(reinterpret_cast<uintptr_t>(parent)) * 0x9E3779B97F4A7C15ULL);
        if (RegNode** hit = table_.FindValue(KeyU64(key))) {
            RegNode* n = *hit;
            if (WCompareNoCase(n->name, n->nameLength, name, length) == 0) return n;
        }
        // Every node is indexed unless its hash was taken; only then can a
        // miss hide a node, and the list is searched.
        if (collisions_ > 0) {
            for (int32_t i = 0; i < parent->childCount; ++i) {
                RegNode* n = parent->children[i];
                if (WCompareNoCase(n->name, n->nameLength, name, length) == 0) return n;
            }
        }
        auto* n = new (arena_.Allocate(sizeof(RegNode))) RegNode;
        n->name = CopyName(arena_, name, length);
        n->nameLength = uint32_t(length);
        if (parent->childCount == parent->childCapacity) {
            const int32_t capacity = parent->childCapacity < 4 ? 4 : parent->childCapacity * 2;
            auto** grown = static_cast<RegNode**>(arena_.Allocate(sizeof(RegNode*) * size_t(capacity)));
            if (parent->childCount > 0) std::memcpy(grown, parent->children, sizeof(RegNode*) * size_t(parent->childCount));
            parent->children = grown;
            parent->childCapacity = capacity;
        }
        parent->children[parent->childCount++] = n;
        ++keyCount;
        if (table_.FindValue(KeyU64(key))) ++collisions_;
        else table_.Insert(new Pair<KeyU64, RegNode*>(KeyU64(key), n));
        return n;
    }

private:
    RegArena& arena_;
    HashContainer<KeyU64, RegNode*> table_{1024};
    int32_t collisions_ = 0;
};

// Every family of siblings in name order; a stack of its own, not the
// call stack, however deep the keys go.
void SortTree(RegNode* root) {
    DynamicArray<RegNode*> pending;
    pending.Append(root);
    while (pending.count > 0) {
        RegNode* node = pending[--pending.count];
        std::sort(node->children, node->children + node->childCount, [](RegNode* a, RegNode* b) {
            return WCompareNoCase(a->name, a->nameLength, b->name, b->nameLength) < 0;
        });
        for (int32_t i = 0; i < node->childCount; ++i) pending.Append(node->children[i]);
    }
}

// Windows keeps keys at most this deep; a file holding deeper ones was not
// written by it, and they are skipped.
constexpr int32_t kMaxKeyDepth = 512;

}  // namespace

void WineRegistry::Parse(const char* text, size_t size) {
    const char* p = text;
    const char* end = text + size;
    RegNode* current = nullptr;
    ChildIndex index(arena);
    int32_t tooDeep = 0;
    DynamicArray<WChar> scratch;
    DynamicArray<uint8_t> bytes;
    // Arrays grow by one element at a time: room for the longest text a
    // line (or a value's continued lines) can hold is made once, so a huge
    // key or value costs its length, not its square.
    const int32_t room = size < size_t(INT32_MAX / 2) ? int32_t(size) + 1 : INT32_MAX / 2;
    scratch.Resize(room);
    scratch.Clear();
    bytes.Resize(room / 3 + 1);
    bytes.Clear();
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* lineEnd = nl ? nl : end;
        const char* s = p;
        while (s < lineEnd && IsSpace(*s)) ++s;
        const char* trimmedEnd = lineEnd;
        while (trimmedEnd > s && IsSpace(trimmedEnd[-1])) --trimmedEnd;
        if (s == trimmedEnd) {
            current = nullptr;  // a blank line ends the block
        } else if (*s == '[') {
            // The key path: "\\" separates names; other escapes as in strings.
            current = nullptr;
            scratch.Clear();
            bool ok = false;
            const char* q = s + 1;
            while (q < trimmedEnd) {
                if (*q == ']') {
                    ok = true;
                    break;
                }
                if (*q == '\\') {
                    ++q;
                    if (q < trimmedEnd && *q == '\\') {
                        scratch.Append(WChar('\\'));
                        ++q;
                    } else if (!DecodeEscape(q, trimmedEnd, scratch)) {
                        break;
                    }
                } else {
                    AppendPlain(q, trimmedEnd, scratch);
                }
            }
            int32_t depth = 0;
            for (int32_t i = 0; ok && i <= scratch.count; ++i)
                depth += (i == scratch.count || scratch[i] == WChar('\\')) && (i > 0 && scratch[i - 1] != WChar('\\'));
            if (ok && depth > kMaxKeyDepth) {
                ++tooDeep;
                ok = false;
            }
            if (ok) {
                RegNode* node = &root;
                int32_t start = 0;
                for (int32_t i = 0; i <= scratch.count; ++i) {
                    if (i == scratch.count || scratch[i] == WChar('\\')) {
                        if (i > start) node = index.FindOrAdd(node, scratch.data + start, size_t(i - start), keyCount_);
                        start = i + 1;
                    }
                }
                if (node != &root) current = node;
            }
        } else if (*s == '#') {
            if (StartsWith(s, trimmedEnd, "#arch=win32")) win32 = true;
        } else if (*s == ';') {
            // comment
        } else if (current && (*s == '"' || *s == '@')) {
            ParseValueLine(arena, current, s, lineEnd, end, scratch, bytes);
        }
        p = lineEnd < end ? lineEnd + 1 : end;
    }
    SortTree(&root);
    if (tooDeep > 0) LogLine(WTXT("Registry: %i keys deeper than %i levels skipped."), tooDeep, kMaxKeyDepth);
}

// ---- lookups ---------------------------------------------------------------

RegArena::~RegArena() {
    while (head_) {
        Block* next = head_->next;
        std::free(head_);
        head_ = next;
    }
}

void* RegArena::Allocate(size_t bytes) {
    bytes = (bytes + 15) & ~size_t(15);
    if (!head_ || head_->used + bytes > head_->size) {
        const size_t size = bytes > (size_t(1) << 20) ? bytes : (size_t(1) << 20);
        auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + 16 + size));
        if (!block) FatalOutOfMemory();
        block->next = head_;
        block->used = 0;
        block->size = size;
        head_ = block;
    }
    auto* base = reinterpret_cast<uint8_t*>(head_) + ((sizeof(Block) + 15) & ~size_t(15));
    void* p = base + head_->used;
    head_->used += bytes;
    return p;
}

RegNode* RegNode::Child(const WChar* name, size_t length) const {
    int32_t lo = 0, hi = childCount - 1;
    while (lo <= hi) {
        const int32_t mid = (lo + hi) / 2;
        RegNode* n = children[mid];
        const int c = WCompareNoCase(n->name, n->nameLength, name, length);
        if (c == 0) return n;
        if (c < 0) lo = mid + 1;
        else hi = mid - 1;
    }
    return nullptr;
}

const RegValue* RegNode::Value(const WChar* name) const {
    const size_t length = WLen(name);
    for (const RegValue* v = values; v; v = v->next)
        if (WCompareNoCase(v->name, v->nameLength, name ? name : WTXT(""), length) == 0) return v;
    return nullptr;
}

const RegNode* WineRegistry::Find(const RegNode* from, const WChar* path) const {
    const RegNode* node = from ? from : &root;
    const size_t n = WLen(path);
    size_t start = 0;
    for (size_t i = 0; i <= n; ++i) {
        if (i == n || path[i] == WChar('\\')) {
            if (i > start) {
                node = node->Child(path + start, i - start);
                if (!node) return nullptr;
            }
            start = i + 1;
        }
    }
    return node;
}
