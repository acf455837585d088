// Plain geometry and value records. The cell model relies only on their
// storage and copying; they compare member by member.
#pragma once

#include <cstdint>

#include "core/dynamic_array.h"

template <class T>
struct Vec2 {
    T x{}, y{};
    bool operator==(const Vec2&) const = default;
};

template <class T>
struct Vec3 {
    T x{}, y{}, z{};
    bool operator==(const Vec3&) const = default;
};

template <class T>
struct Vec4 {
    T x{}, y{}, z{}, w{};
    bool operator==(const Vec4&) const = default;
};

template <class T>
struct ColorVec {
    T r{}, g{}, b{}, a{};
    bool operator==(const ColorVec&) const = default;
};

// Axis-aligned box of N dimensions, with a flag saying whether it holds one.
template <class T, int N>
struct BBox {
    T min[N]{};
    T max[N]{};
    bool valid = false;
    bool operator==(const BBox&) const = default;
};

// A 2D rectangle (x0, y0)-(x1, y1), y1 the top edge in the UI's convention.
template <class T, int N>
struct BBox2D {
    static_assert(N == 2, "BBox2D is two-dimensional");
    T x0{}, y0{}, x1{}, y1{};
    bool valid = false;
    bool operator==(const BBox2D&) const = default;
    // Holds the point: x0 <= x < x1 and y0 <= y < y1, so that neighbours
    // sharing an edge never both claim a point on it.
    bool Contains(T x, T y) const { return valid && x >= x0 && x < x1 && y >= y0 && y < y1; }
};

template <class V, class T>
struct VectorArray {
    DynamicArray<V> items;
    bool operator==(const VectorArray& o) const { return items == o.items; }
};

template <class T, class C>
struct GradStop {
    T time{};
    C color{};
    int32_t flag = 0;
    bool operator==(const GradStop&) const = default;
};

template <class T, class C>
struct Grad {
    DynamicArray<GradStop<T, C>> stops;
    bool operator==(const Grad& o) const { return stops == o.stops; }
};

template <class T>
struct Mat4 {
    T m[16]{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    bool operator==(const Mat4&) const = default;
};

template <class T>
struct BRay {
    Vec3<T> origin;
    Vec3<T> direction;
    bool operator==(const BRay&) const = default;
};

// A coordinate system: origin and three axes.
template <class T>
struct CSys {
    Vec3<T> origin;
    Vec3<T> axisX{1, 0, 0};
    Vec3<T> axisY{0, 1, 0};
    Vec3<T> axisZ{0, 0, 1};
    bool operator==(const CSys&) const = default;
};
