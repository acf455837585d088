// Wine's registry text format (system.reg), read into a tree of keys.
//
// A file is "WINE REGISTRY Version 2", ";;" comments, "#arch=..." and then
// blocks: a key line "[Path\\To\\Key] stamp", optional "#time=" and "#class="
// lines, and value lines ("Name"="text", @=..., str(N):"...", dword:...,
// hex:... and hex(N):... continued after a trailing backslash) up to a blank
// line. Keys that hold only subkeys have no block: they exist because a
// longer path runs through them. Names compare ignoring case.
//
// The reader never fails as a whole: a garbled line is skipped, and a value
// whose text runs past the end of its line is left out.
#pragma once

#include <cstdint>

#include "cell/container.h"
#include "cell/dynamic_array.h"
#include "cell/dynamic_string.h"
#include "cell/hash_container.h"

enum : uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
};

struct RegValue {
    WString name;  // empty for the default value "@"
    uint32_t type = kRegNone;
    DynamicArray<uint8_t> data;  // strings as UTF-16LE with their terminator
    virtual ~RegValue() = default;
};

struct RegNode {
    WString name;
    Container<RegNode> children;  // sorted by name, ignoring case, once loaded
    Container<RegValue> values;
    virtual ~RegNode() = default;

    // The child of that name (ignoring case), or null.
    RegNode* Child(const WChar* name, size_t length) const;
    const RegValue* Value(const WChar* name) const;
};

class WineRegistry {
public:
    bool win32 = false;  // "#arch=win32": both views are the same tree
    RegNode root;

    // Reads a file's text; may be called once per object.
    void Parse(const char* text, size_t size);

    // The key at a backslash-separated path below from, or null.
    const RegNode* Find(const RegNode* from, const WChar* path) const;

    int32_t KeyCount() const { return keyCount_; }

private:
    int32_t keyCount_ = 0;
};

// The text of one quoted item starting just after its opening quote; stops at
// the closing quote (end receives the position after it). False when the
// line ends first or an escape runs past it.
bool ParseRegString(const char* p, const char* lineEnd, DynamicArray<WChar>& out, const char*& end);
