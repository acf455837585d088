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

#include "core/dynamic_array.h"
#include "core/dynamic_string.h"
#include "core/hash_container.h"

enum : uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
};

// Keys and values live in the registry's arena: loading a file is a few
// large allocations, and dropping it one free per block.
struct RegValue {
    const WChar* name = nullptr;  // empty for the default value "@"
    uint32_t nameLength = 0;
    uint32_t type = kRegNone;
    const uint8_t* data = nullptr;  // strings as UTF-16LE with their terminator
    uint32_t size = 0;
    RegValue* next = nullptr;
};

struct RegNode {
    const WChar* name = nullptr;
    uint32_t nameLength = 0;
    RegNode** children = nullptr;  // sorted by name, ignoring case, once loaded
    int32_t childCount = 0;
    int32_t childCapacity = 0;
    RegValue* values = nullptr;
    RegValue* lastValue = nullptr;

    // The child of that name (ignoring case), or null.
    RegNode* Child(const WChar* name, size_t length) const;
    const RegValue* Value(const WChar* name) const;
};

class RegArena {
public:
    RegArena() = default;
    RegArena(const RegArena&) = delete;
    RegArena& operator=(const RegArena&) = delete;
    ~RegArena();
    void* Allocate(size_t bytes);

private:
    struct Block {
        Block* next;
        size_t used;
        size_t size;
    };
    Block* head_ = nullptr;
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

    RegArena arena;

private:
    int32_t keyCount_ = 0;
};

// The text of one quoted item starting just after its opening quote; stops at
// the closing quote (end receives the position after it). False when the
// line ends first or an escape runs past it.
bool ParseRegString(const char* p, const char* lineEnd, DynamicArray<WChar>& out, const char*& end);
