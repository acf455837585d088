// Wine registry text: any bytes parse without a crash, and every key found
// can be enumerated and queried.
#include <cstddef>
#include <cstdint>

#include "sys/posix/wine_registry.h"

namespace {

void Walk(const RegNode* node, int depth) {
    if (depth > 64) return;
    for (const RegValue* v = node->values; v; v = v->next) node->Value(v->name);
    for (int32_t i = 0; i < node->childCount; ++i) {
        const RegNode* child = node->children[i];
        node->Child(child->name, child->nameLength);
        Walk(child, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WineRegistry registry;
    registry.Parse(reinterpret_cast<const char*>(data), size);
    Walk(&registry.root, 0);
    registry.Find(nullptr, WTXT("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    return 0;
}
