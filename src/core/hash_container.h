// The keyed table: open addressing with linear probing over a Container of
// owned Pair records, every slot present and empty slots null. The load is
// kept at or below 75 percent by doubling before an insertion would pass it.
#pragma once

#include <cstdint>

#include "core/container.h"

// A key whose hash is the key value itself.
template <class K, class H>
class HashKeySimple {
public:
    K key{};

    HashKeySimple() = default;
    HashKeySimple(K k) : key(k) {}
    virtual ~HashKeySimple() = default;

    H Hash() const { return H(key); }
    bool operator==(const HashKeySimple& other) const { return key == other.key; }
};

using KeyU64 = HashKeySimple<uint64_t, uint64_t>;

// How a table hashes and compares its keys; key types with their own
// operations (the gate keys) specialise this.
template <class K>
struct HashKeyOps {
    static uint64_t Hash(const K& k) { return uint64_t(k.Hash()); }
    static bool Equal(const K& a, const K& b) { return a == b; }
};

template <class K, class V>
class HashContainer {
public:
    using Entry = Pair<K, V>;

    int32_t used = 0;
    Container<Entry> slots;

    explicit HashContainer(int32_t size = 64) { Fill(slots, size); }
    HashContainer(const HashContainer&) = delete;
    HashContainer& operator=(const HashContainer&) = delete;
    virtual ~HashContainer() = default;

    int32_t Size() const { return slots.count; }
    int32_t Used() const { return used; }
    Entry* Slot(int32_t i) const { return slots.At(i); }

    // Inserts an owned entry, replacing one with an equal key. On failure
    // (a full table that cannot grow) the entry is destroyed and false is
    // returned.
    bool Insert(Entry* entry) {
        if (!entry) return false;
        const int64_t n = int64_t(used) + 1;
        if (n > int64_t(Size()) * 75 / 100) Rehash(n);
        if (StoreEntry(entry)) return true;
        delete entry;
        return false;
    }

    // Slot index of the entry with an equal key, or -1.
    int32_t Find(const K& key) const {
        const int32_t size = Size();
        if (size <= 0) return -1;
        int32_t slot = int32_t(HashKeyOps<K>::Hash(key) % uint64_t(size));
        for (int32_t probes = 0; probes < size; ++probes) {
            Entry* e = slots.items[slot];
            if (!e) return -1;
            if (HashKeyOps<K>::Equal(e->key, key)) return slot;
            if (++slot == size) slot = 0;
        }
        return -1;
    }

    V* FindValue(const K& key) const {
        const int32_t slot = Find(key);
        return slot < 0 ? nullptr : &slots.items[slot]->value;
    }

private:
    static constexpr int32_t kMaxSize = 1 << 30;

    static void Fill(Container<Entry>& list, int32_t size) {
        for (int32_t i = 0; i < size; ++i) list.Add(nullptr, size);
    }

    void Rehash(int64_t n) {
        int64_t c = int64_t(Size()) * 2;
        if (c == 0) c = 1;
        while (c * 75 / 100 < n && c < kMaxSize) c *= 2;
        if (c > kMaxSize) c = kMaxSize;
        if (c <= Size()) return;  // cannot grow: insert into what is there
        Container<Entry> old;
        // Take the old slots over, then give the table its new, empty ones.
        old.items = slots.items;
        old.count = slots.count;
        old.capacity = slots.capacity;
        slots.items = nullptr;
        slots.count = slots.capacity = 0;
        Fill(slots, int32_t(c));
        used = 0;
        for (int32_t i = 0; i < old.count; ++i) {
            Entry* e = old.items[i];
            old.items[i] = nullptr;
            if (e && !StoreEntry(e)) delete e;
        }
    }

    bool StoreEntry(Entry* entry) {
        const int32_t size = Size();
        if (size <= 0) return false;
        int32_t slot = int32_t(HashKeyOps<K>::Hash(entry->key) % uint64_t(size));
        for (int32_t probes = 0; probes < size; ++probes) {
            Entry* e = slots.items[slot];
            if (!e) {
                slots.items[slot] = entry;
                ++used;
                return true;
            }
            if (HashKeyOps<K>::Equal(e->key, entry->key)) {
                slots.items[slot] = entry;
                delete e;
                return true;
            }
            if (++slot == size) slot = 0;
        }
        return false;
    }
};
