// The byte encodings of cell values: numbers raw and little-endian, strings
// as an Int32 count of UTF-16 units followed by the units, arrays as an
// Int32 count followed by the elements. Every read checks what remains
// before it allocates, and fails on negative or oversized counts.
#pragma once

#include <cstdint>

#include "core/dynamic_array.h"
#include "core/dynamic_string.h"
#include "core/geometry.h"
#include "core/mem_block.h"
#include "core/path.h"

bool WriteString(MemBlockCursor& c, const WString& s);
bool ReadString(MemBlockCursor& c, WString& s);

// True when count elements of size bytes each can still be read.
inline bool CountFits(const MemBlockCursor& c, int32_t count, int64_t size) {
    return count >= 0 && (size == 0 || int64_t(count) <= c.Remaining() / size);
}

// Plain numbers and vectors of them are packed records: written in one go.
template <class T>
constexpr bool kPackedRecord = std::is_arithmetic_v<T> && !std::is_same_v<T, bool>;
template <class T>
constexpr bool kPackedRecord<Vec2<T>> = kPackedRecord<T> && sizeof(Vec2<T>) == 2 * sizeof(T);
template <class T>
constexpr bool kPackedRecord<Vec3<T>> = kPackedRecord<T> && sizeof(Vec3<T>) == 3 * sizeof(T);
template <class T>
constexpr bool kPackedRecord<Vec4<T>> = kPackedRecord<T> && sizeof(Vec4<T>) == 4 * sizeof(T);
template <class T>
constexpr bool kPackedRecord<CSys<T>> = kPackedRecord<T> && sizeof(CSys<T>) == 12 * sizeof(T);

// Plain values copied as they lie in memory.
template <class T>
    requires std::is_arithmetic_v<T>
bool Encode(MemBlockCursor& c, const T& v) {
    return c.WriteValue(v);
}
template <class T>
    requires std::is_arithmetic_v<T>
bool Decode(MemBlockCursor& c, T& v) {
    return c.ReadValue(v);
}

inline bool Encode(MemBlockCursor& c, const bool& v) {
    const uint8_t b = v ? 1 : 0;
    return c.WriteValue(b);
}
inline bool Decode(MemBlockCursor& c, bool& v) {
    uint8_t b = 0;
    if (!c.ReadValue(b)) return false;
    v = b != 0;
    return true;
}

inline bool Encode(MemBlockCursor& c, const WString& s) { return WriteString(c, s); }
inline bool Decode(MemBlockCursor& c, WString& s) { return ReadString(c, s); }
inline bool Encode(MemBlockCursor& c, const WPath& s) { return WriteString(c, s); }
inline bool Decode(MemBlockCursor& c, WPath& s) { return ReadString(c, s); }

template <class T>
bool Encode(MemBlockCursor& c, const Vec2<T>& v) { return Encode(c, v.x) && Encode(c, v.y); }
template <class T>
bool Decode(MemBlockCursor& c, Vec2<T>& v) { return Decode(c, v.x) && Decode(c, v.y); }
template <class T>
bool Encode(MemBlockCursor& c, const Vec3<T>& v) { return Encode(c, v.x) && Encode(c, v.y) && Encode(c, v.z); }
template <class T>
bool Decode(MemBlockCursor& c, Vec3<T>& v) { return Decode(c, v.x) && Decode(c, v.y) && Decode(c, v.z); }
template <class T>
bool Encode(MemBlockCursor& c, const Vec4<T>& v) {
    return Encode(c, v.x) && Encode(c, v.y) && Encode(c, v.z) && Encode(c, v.w);
}
template <class T>
bool Decode(MemBlockCursor& c, Vec4<T>& v) {
    return Decode(c, v.x) && Decode(c, v.y) && Decode(c, v.z) && Decode(c, v.w);
}
template <class T>
bool Encode(MemBlockCursor& c, const CSys<T>& s) {
    if constexpr (kPackedRecord<CSys<T>>) return c.Write(&s, int64_t(sizeof s));
    return Encode(c, s.origin) && Encode(c, s.axisX) && Encode(c, s.axisY) && Encode(c, s.axisZ);
}
template <class T>
bool Decode(MemBlockCursor& c, CSys<T>& s) {
    if constexpr (kPackedRecord<CSys<T>>) return c.Read(&s, int64_t(sizeof s));
    return Decode(c, s.origin) && Decode(c, s.axisX) && Decode(c, s.axisY) && Decode(c, s.axisZ);
}
template <class T>
bool Encode(MemBlockCursor& c, const BRay<T>& r) { return Encode(c, r.origin) && Encode(c, r.direction); }
template <class T>
bool Decode(MemBlockCursor& c, BRay<T>& r) { return Decode(c, r.origin) && Decode(c, r.direction); }

// Boxes are not serialised: they write and read nothing.
template <class T, int N>
bool Encode(MemBlockCursor&, const BBox<T, N>&) { return true; }
template <class T, int N>
bool Decode(MemBlockCursor&, BBox<T, N>&) { return true; }
template <class T, int N>
bool Encode(MemBlockCursor&, const BBox2D<T, N>&) { return true; }
template <class T, int N>
bool Decode(MemBlockCursor&, BBox2D<T, N>&) { return true; }

template <class T>
bool Encode(MemBlockCursor& c, const DynamicArray<T>& a) {
    if (!Encode(c, a.count)) return false;
    if constexpr (kPackedRecord<T>) return c.Write(a.data, int64_t(a.count) * int64_t(sizeof(T)));
    for (int32_t i = 0; i < a.count; ++i)
        if (!Encode(c, a[i])) return false;
    return true;
}

// Elements are decoded into a new array that replaces the old one only when
// all of them were read.
template <class T>
bool Decode(MemBlockCursor& c, DynamicArray<T>& a) {
    int32_t count = 0;
    if (!Decode(c, count) || !CountFits(c, count, int64_t(sizeof(T)))) return false;
    DynamicArray<T> read;
    read.Resize(count);
    if constexpr (kPackedRecord<T>) {
        if (!c.Read(read.data, int64_t(count) * int64_t(sizeof(T)))) return false;
    } else {
        for (int32_t i = 0; i < count; ++i)
            if (!Decode(c, read[i])) return false;
    }
    a = static_cast<DynamicArray<T>&&>(read);
    return true;
}

template <class V, class T>
bool Encode(MemBlockCursor& c, const VectorArray<V, T>& a) { return Encode(c, a.items); }
template <class V, class T>
bool Decode(MemBlockCursor& c, VectorArray<V, T>& a) { return Decode(c, a.items); }
