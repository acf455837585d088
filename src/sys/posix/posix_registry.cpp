// HKEY_LOCAL_MACHINE on Linux: the prefix's system.reg, read-only. The file
// is parsed once and kept while it does not change; open keys hold the
// parsed tree they were opened in.
#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "core/text_convert.h"
#include "sys/platform.h"
#include "sys/posix/posix_prefix.h"
#include "sys/posix/wine_registry.h"

namespace {

struct LoadedRegistry {
    std::atomic<int> refs{1};
    WineRegistry tree;
    NString path;
    struct timespec mtime {};
    off_t size = 0;
};

std::mutex g_lock;
LoadedRegistry* g_current = nullptr;

void Release(LoadedRegistry* r) {
    if (r && r->refs.fetch_sub(1) == 1) delete r;
}

// The parsed file of the current prefix, or null when there is none.
LoadedRegistry* Acquire() {
    NString prefix;
    PosixPrefixFolder(prefix);
    if (prefix.IsEmpty()) return nullptr;
    NString path;
    path.Format("%s/system.reg", prefix);
    struct stat st;
    if (stat(path.CStr(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;

    std::lock_guard<std::mutex> guard(g_lock);
    if (g_current && g_current->path == path && g_current->size == st.st_size &&
        g_current->mtime.tv_sec == st.st_mtim.tv_sec && g_current->mtime.tv_nsec == st.st_mtim.tv_nsec) {
        g_current->refs.fetch_add(1);
        return g_current;
    }
    WString native;
    Utf8ToWide(path.CStr(), native);
    NString text;
    bool opened = false;
    if (SysReadFile(native.CStr(), text, int64_t(1) << 30, opened) != SysStatus::kOk) return nullptr;
    auto* loaded = new LoadedRegistry;
    loaded->path = path;
    loaded->mtime = st.st_mtim;
    loaded->size = st.st_size;
    loaded->tree.Parse(text.CStr(), size_t(text.Length()));
    Release(g_current);
    g_current = loaded;
    loaded->refs.fetch_add(1);
    return loaded;
}

bool IsSoftware(const WChar* path, size_t& skip) {
    while (*path == WChar('\\')) ++path;
    const WChar kSoftware[] = {'S', 'o', 'f', 't', 'w', 'a', 'r', 'e'};
    for (size_t i = 0; i < 8; ++i)
        if (WFoldCase(path[i]) != WFoldCase(kSoftware[i])) return false;
    skip = 8;
    return path[8] == 0 || path[8] == WChar('\\');
}

}  // namespace

struct SysRegKey {
    LoadedRegistry* registry;
    const RegNode* node;
};

SysRegStatus SysRegOpenKey(SysRegKey* parent, const WChar* subkey, SysRegView view, SysRegKey*& key) {
    key = nullptr;
    LoadedRegistry* registry = parent ? parent->registry : Acquire();
    if (!registry) return SysRegStatus::kNotFound;
    if (parent) registry->refs.fetch_add(1);
    const WineRegistry& tree = registry->tree;
    const RegNode* node = parent ? parent->node : &tree.root;

    // The 32-bit view of Software under the root is Software\Wow6432Node.
    WString path(subkey ? subkey : WTXT(""));
    size_t skip = 0;
    if (!parent && view == SysRegView::k32 && !tree.win32 && IsSoftware(path.CStr(), skip)) {
        const WChar* s = path.CStr();
        size_t lead = 0;
        while (s[lead] == WChar('\\')) ++lead;
        const WChar* after = s + lead + skip;
        const WChar kNode[] = {'\\', 'W', 'o', 'w', '6', '4', '3', '2', 'N', 'o', 'd', 'e', 0};
        const bool already = WCompareNoCase(after, 11, kNode, 11) == 0 && (after[11] == 0 || after[11] == WChar('\\'));
        if (!already) path.Insert(int32_t(lead + skip), WString(kNode));
    }
    const RegNode* found = tree.Find(node, path.CStr());
    if (!found) {
        Release(registry);
        return SysRegStatus::kNotFound;
    }
    key = new SysRegKey{registry, found};
    return SysRegStatus::kOk;
}

SysRegStatus SysRegEnumKey(SysRegKey* key, uint32_t index, WChar* name, uint32_t capacity) {
    if (!key) return SysRegStatus::kFailed;
    const RegNode* node = key->node;
    if (index >= uint32_t(node->childCount)) return SysRegStatus::kNotFound;
    const RegNode* child = node->children[index];
    if (child->nameLength + 1 > capacity) return SysRegStatus::kMoreData;
    std::memcpy(name, child->name, sizeof(WChar) * (child->nameLength + 1));
    return SysRegStatus::kOk;
}

SysRegStatus SysRegQueryString(SysRegKey* key, const WChar* name, void* buffer, uint32_t& size) {
    if (!key) return SysRegStatus::kFailed;
    const RegValue* v = key->node->Value(name);
    if (!v) return SysRegStatus::kNotFound;
    if (v->type != kRegSz && v->type != kRegExpandSz) return SysRegStatus::kWrongType;
    const uint32_t needed = v->size;
    const uint32_t room = size;
    size = needed;
    if (!buffer || needed > room) return SysRegStatus::kMoreData;
    std::memcpy(buffer, v->data, needed);
    return SysRegStatus::kOk;
}

void SysRegCloseKey(SysRegKey* key) {
    if (!key) return;
    Release(key->registry);
    delete key;
}
