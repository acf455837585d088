// DynamicArray: a growable array of plain values with 32-bit count and
// capacity. Growth is exact: storage is resized to precisely what is asked
// for, never geometrically (strings and value arrays rely on this).
//
// Storage with capacity 0 is not the array's own: it is either null or
// borrowed constant data (see Borrow). The first change copies it into
// storage of the array's own.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

// Allocation failure ends the process, as the model never handles it.
[[noreturn]] void FatalOutOfMemory();

template <class T>
class DynamicArray {
    static_assert(std::is_trivially_copyable_v<T>, "DynamicArray holds plain values");

public:
    T* data = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;

    DynamicArray() = default;
    DynamicArray(const DynamicArray& other) { CopyFrom(other); }
    DynamicArray(DynamicArray&& other) noexcept
        : data(other.data), count(other.count), capacity(other.capacity) {
        other.data = nullptr;
        other.count = other.capacity = 0;
    }
    DynamicArray& operator=(const DynamicArray& other) {
        if (this != &other) CopyFrom(other);
        return *this;
    }
    DynamicArray& operator=(DynamicArray&& other) noexcept {
        if (this != &other) {
            Free();
            data = other.data;
            count = other.count;
            capacity = other.capacity;
            other.data = nullptr;
            other.count = other.capacity = 0;
        }
        return *this;
    }
    virtual ~DynamicArray() { Free(); }

    int32_t Count() const { return count; }
    T* Data() { return data; }
    const T* Data() const { return data; }
    T& operator[](int32_t i) { return data[i]; }
    const T& operator[](int32_t i) const { return data[i]; }

    // Reserving for n elements: n <= 0 empties the array without allocating;
    // otherwise capacity becomes at least n (exactly n when it grows) and the
    // count becomes n. New elements are zeroed.
    void Resize(int32_t n) {
        if (n <= 0) {
            count = 0;
            return;
        }
        if (capacity < n) Reallocate(n);
        if (n > count) std::memset(static_cast<void*>(data + count), 0, sizeof(T) * size_t(n - count));
        count = n;
    }

    // Replaces the contents with n zeroed elements in fresh storage from
    // calloc: the pages of a large table that stay zero are never touched
    // and cost no memory.
    void ResetZeroed(int32_t n) {
        Free();
        if (n <= 0) return;
        data = static_cast<T*>(std::calloc(size_t(n), sizeof(T)));
        if (!data) FatalOutOfMemory();
        count = capacity = n;
    }

    // Appends one element; a full array grows by exactly one.
    void Append(const T& value) {
        T copy = value;  // value may live inside this array
        if (count >= capacity) Reallocate(count + 1);  // full, or borrowed: never written into
        data[count++] = copy;
    }

    void Append(const T* values, int32_t n) {
        if (n <= 0) return;
        if (count + n > capacity) {
            // values may point into this array
            DynamicArray copy;
            copy.Reallocate(n);
            std::memcpy(static_cast<void*>(copy.data), values, sizeof(T) * size_t(n));
            Reallocate(count + n);
            std::memcpy(static_cast<void*>(data + count), copy.data, sizeof(T) * size_t(n));
        } else {
            std::memmove(static_cast<void*>(data + count), values, sizeof(T) * size_t(n));
        }
        count += n;
    }

    // Inserts at index (clamped to [0, count]); later elements move up.
    void Insert(int32_t index, const T& value) {
        T copy = value;
        if (index < 0) index = 0;
        if (index > count) index = count;
        if (count >= capacity) Reallocate(count + 1);  // full, or borrowed
        std::memmove(static_cast<void*>(data + index + 1), data + index, sizeof(T) * size_t(count - index));
        data[index] = copy;
        ++count;
    }

    // Removes the elements in [from, to).
    void Erase(int32_t from, int32_t to) {
        Own();
        if (from < 0) from = 0;
        if (to > count) to = count;
        if (from >= to) return;
        std::memmove(static_cast<void*>(data + from), data + to, sizeof(T) * size_t(count - to));
        count -= to - from;
    }

    void Clear() { count = 0; }

    // Uses constant data that outlives the array, without copying it.
    void Borrow(const T* values, int32_t n) {
        Free();
        data = const_cast<T*>(values);
        count = n;
    }

    // Makes borrowed storage the array's own.
    void Own() {
        if (capacity == 0 && count > 0) Reallocate(count);
    }

    void Free() {
        if (capacity > 0) std::free(data);
        data = nullptr;
        count = capacity = 0;
    }

    bool operator==(const DynamicArray& other) const {
        if (count != other.count) return false;
        for (int32_t i = 0; i < count; ++i)
            if (!(data[i] == other.data[i])) return false;
        return true;
    }

private:
    void CopyFrom(const DynamicArray& other) {
        if (other.count <= 0) {
            count = 0;
            return;
        }
        if (capacity < other.count) Reallocate(other.count);
        std::memcpy(static_cast<void*>(data), other.data, sizeof(T) * size_t(other.count));
        count = other.count;
    }

    void Reallocate(int32_t n) {
        void* p;
        if (capacity > 0) {
            p = std::realloc(static_cast<void*>(data), sizeof(T) * size_t(n));
        } else {
            p = std::malloc(sizeof(T) * size_t(n));
            const int32_t keep = count < n ? count : n;
            if (p && data && keep > 0) std::memcpy(p, data, sizeof(T) * size_t(keep));  // borrowed content
        }
        if (!p) FatalOutOfMemory();
        data = static_cast<T*>(p);
        capacity = n;
    }
};
