// Container: an ordered list of owned heap objects (null entries allowed),
// and Pair, the record a keyed table stores in each slot.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/dynamic_array.h"

template <class T>
class Container {
public:
    T** items = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;

    Container() = default;
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;
    virtual ~Container() {
        Clear();
        std::free(items);
    }

    int32_t Count() const { return count; }
    T* operator[](int32_t i) const { return items[i]; }
    T* At(int32_t i) const { return (i >= 0 && i < count) ? items[i] : nullptr; }

    // Adds at the end, taking ownership; a full list grows by step (the
    // first allocation holds exactly step). Returns the new index.
    int32_t Add(T* item, int32_t step = 1) {
        if (count == capacity) Grow(step);
        items[count] = item;
        return count++;
    }

    // Makes room for n entries in all, so that adding up to n needs no growth.
    void Reserve(int32_t n) {
        if (n > capacity) Grow(n - capacity);
    }

    // Inserts at index (clamped); later elements move up by one.
    void Insert(int32_t index, T* item, int32_t step = 1) {
        if (index < 0) index = 0;
        if (index > count) index = count;
        if (count == capacity) {
            const int32_t cap = capacity + (step > 0 ? step : 1);
            T** grown = static_cast<T**>(std::malloc(sizeof(T*) * size_t(cap)));
            if (!grown) FatalOutOfMemory();
            if (index > 0) std::memcpy(grown, items, sizeof(T*) * size_t(index));
            grown[index] = item;
            if (count > index) std::memcpy(grown + index + 1, items + index, sizeof(T*) * size_t(count - index));
            std::free(items);
            items = grown;
            capacity = cap;
        } else {
            std::memmove(items + index + 1, items + index, sizeof(T*) * size_t(count - index));
            items[index] = item;
        }
        ++count;
    }

    // Removes the entry at index without destroying it; the caller owns it.
    T* Detach(int32_t index) {
        if (index < 0 || index >= count) return nullptr;
        T* item = items[index];
        std::memmove(items + index, items + index + 1, sizeof(T*) * size_t(count - index - 1));
        --count;
        return item;
    }

    // Destroys and removes the entry at index.
    void Remove(int32_t index) { delete Detach(index); }

    // Replaces the entry at index, destroying the old one.
    void Replace(int32_t index, T* item) {
        if (index < 0 || index >= count) {
            delete item;
            return;
        }
        T* old = items[index];
        items[index] = item;
        delete old;
    }

    // Index of an entry by identity, or -1.
    int32_t IndexOf(const T* item) const {
        for (int32_t i = 0; i < count; ++i)
            if (items[i] == item) return i;
        return -1;
    }

    // Destroys every element; the count becomes 0, the storage stays.
    void Clear() {
        // Elements may look at the list while they die: shrink first.
        while (count > 0) {
            T* item = items[--count];
            delete item;
        }
    }

    // Keeps only the entries for which keep() is true, in order, destroying
    // the rest.
    template <class Pred>
    void RemoveIf(Pred drop) {
        int32_t kept = 0;
        for (int32_t i = 0; i < count; ++i) {
            if (drop(items[i])) delete items[i];
            else items[kept++] = items[i];
        }
        count = kept;
    }

private:
    void Grow(int32_t step) {
        const int32_t cap = capacity + (step > 0 ? step : 1);
        void* p = std::realloc(items, sizeof(T*) * size_t(cap));
        if (!p) FatalOutOfMemory();
        items = static_cast<T**>(p);
        capacity = cap;
    }
};

template <class K, class V>
class Pair {
public:
    K key;
    V value;

    Pair() = default;
    template <class KA, class VA>
    Pair(KA&& k, VA&& v) : key(static_cast<KA&&>(k)), value(static_cast<VA&&>(v)) {}
    virtual ~Pair() = default;
};
