// Value cells: one typed value each. A family's class (IntCell, DblCell,
// BoolCell, ...) defines the value; its descendants reuse that storage and
// are told apart only by their class keys.
//
// Sections: the template; scalar families; parameter cells; vectors, arrays
// and boxes.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "cell/cell.h"
#include "core/dynamic_array.h"
#include "core/dynamic_string.h"
#include "core/geometry.h"
#include "core/path.h"
#include "cell/value_codec.h"

// ---- the template ------------------------------------------------------

template <class V>
class ValueCell : public Cell {
public:
    using ValueType = V;
    V value{};

    // A value cell copies from any cell of its family.
    void CopyFrom(const Cell& other) override {
        if (auto* o = dynamic_cast<const ValueCell*>(&other); o && o != this) value = o->value;
    }
    bool Equals(const Cell& other) const override {
        if (other.ClassKey() != ClassKey()) return false;
        auto* o = dynamic_cast<const ValueCell*>(&other);
        return o && o->value == value;
    }
    // A message that is-a the family's class assigns its value.
    SSlave<Cell> Receive(Cell& message) override {
        if (IsA(message.ClassKey(), FamilyKey())) {
            if (auto* m = dynamic_cast<const ValueCell*>(&message)) SetValue(m->value);
        }
        return {};
    }
    bool Export(MemBlockCursor& c, int) override { return Encode(c, value); }
    bool Import(MemBlockCursor& c, double, LocationCollector*) override {
        V read = value;
        if (!Decode(c, read)) return false;
        value = static_cast<V&&>(read);
        return true;
    }

    virtual void SetValue(const V& v) { value = v; }
    const V& Value() const { return value; }
    // The class that defines the value; messages of it (or derived from it)
    // are assignments.
    virtual CellKey FamilyKey() const { return ClassKey(); }
};

// Marks a class as the one defining its family's value.
#define VELDO_VALUE_FAMILY \
public:                    \
    CellKey FamilyKey() const override { return kClassKey; }

// ---- scalar families -----------------------------------------------------

class BoolCell : public ValueCell<bool> {
    VELDO_CELL(BoolCell, Cell, 0x17D0CA2CDA205BEEULL)
    VELDO_VALUE_FAMILY
};

class IntCell : public ValueCell<int32_t> {
    VELDO_CELL(IntCell, Cell, 0xDF95F7AA8D070204ULL)
    VELDO_VALUE_FAMILY
};

class FloatCell : public ValueCell<float> {
    VELDO_CELL(FloatCell, Cell, 0xE9C1212AD4C12E46ULL)
    VELDO_VALUE_FAMILY
};

class DblCell : public ValueCell<double> {
    VELDO_CELL(DblCell, Cell, 0x8A5AC86916B5E1E4ULL)
    VELDO_VALUE_FAMILY
};

class DistCell : public DblCell {
    VELDO_CELL(DistCell, DblCell, 0xC192119123276A27ULL)
};

class AngleCell : public DblCell {
    VELDO_CELL(AngleCell, DblCell, 0x9AF290B1C96B460CULL)
};

class U64Cell : public ValueCell<uint64_t> {
    VELDO_CELL(U64Cell, Cell, 0x2CCDA987C37D1E39ULL)
    VELDO_VALUE_FAMILY
};

class IdxCell : public ValueCell<int32_t> {
    VELDO_CELL(IdxCell, Cell, 0xBA8EC47B8188BBD3ULL)
    VELDO_VALUE_FAMILY
};

class StringCell : public ValueCell<WString> {
    VELDO_CELL(StringCell, Cell, 0x4040A6C228BDDFB5ULL)
    VELDO_VALUE_FAMILY

public:
    void SetText(const WChar* text) { value.Assign(text); }
    const WChar* Text() const { return value.CStr(); }
};

class PathCell : public ValueCell<WPath> {
    VELDO_CELL(PathCell, Cell, 0xB62694384B3A8912ULL)
    VELDO_VALUE_FAMILY
};

// ---- parameter cells ---------------------------------------------------

// How a parameter's rule settles a value (stored as its number).
enum ParamRuleMode : int32_t {
    kRuleClamped = 0,        // clamped to [minimum, maximum]; a box of fixed size
    kRuleFlexible = 1,       // a box's share of the length by its weight
    kRuleStepped = 2,        // rounded to a multiple of step, then clamped
    kRuleNearestListed = 3,  // the nearest of the listed values
};

// A value with a rule: a weight, a mode (ParamRuleMode), a step and a list
// of values whose first is the minimum and last the maximum. sizeKind is
// read only by the UI box constructor.
template <class T>
struct ParamRule {
    T weight{};
    int32_t mode = kRuleClamped;
    T step{};
    DynamicArray<T> values;
    int32_t sizeKind = 0;

    bool operator==(const ParamRule& o) const {
        return weight == o.weight && mode == o.mode && step == o.step && values == o.values &&
               sizeKind == o.sizeKind;
    }

    T Minimum() const { return values.count > 0 ? values[0] : std::numeric_limits<T>::lowest(); }
    T Maximum() const { return values.count > 0 ? values[values.count - 1] : std::numeric_limits<T>::max(); }

    T Clamp(T x) const {
        const T lo = Minimum(), hi = Maximum();
        if (x < lo) x = lo;
        if (x > hi) x = hi;
        return x;
    }

    // The value a request for x settles on under the rule.
    T Apply(T x) const {
        if (mode == kRuleStepped && step != T(0)) {
            double v = double(x) + double(step) / 2;
            if (v < 0) v -= double(step);
            v = double(step) * std::fabs(std::trunc(v / double(step)));
            return Clamp(T(v));
        }
        if (mode == kRuleNearestListed && values.count > 0) {
            T best = values[0];
            double bestDistance = std::fabs(double(x) - double(best));
            for (int32_t i = 1; i < values.count; ++i) {
                const double d = std::fabs(double(x) - double(values[i]));
                if (d < bestDistance) {
                    bestDistance = d;
                    best = values[i];
                }
            }
            return best;
        }
        return Clamp(x);
    }
};

template <class Family>
class ParamCell : public Family {
public:
    using T = typename Family::ValueType;
    ParamRule<T> rule;

    void CopyFrom(const Cell& other) override {
        Family::CopyFrom(other);
        if (auto* o = dynamic_cast<const ParamCell*>(&other); o && o != this) rule = o->rule;
    }
    bool Equals(const Cell& other) const override {
        auto* o = dynamic_cast<const ParamCell*>(&other);
        return Family::Equals(other) && o && o->rule == rule;
    }
    void SetValue(const T& v) override { this->value = rule.Apply(v); }

    // The weight, mode and step, the list of values, then the value.
    bool Export(MemBlockCursor& c, int) override {
        return Encode(c, rule.weight) && Encode(c, rule.mode) && Encode(c, rule.step) && Encode(c, rule.values) &&
               Encode(c, this->value);
    }
    bool Import(MemBlockCursor& c, double, LocationCollector*) override {
        ParamRule<T> read;
        read.sizeKind = rule.sizeKind;
        T v{};
        if (!Decode(c, read.weight) || !Decode(c, read.mode) || !Decode(c, read.step) || !Decode(c, read.values) ||
            !Decode(c, v))
            return false;
        rule = read;
        this->value = v;
        return true;
    }
};

class IntParamCell : public ParamCell<IntCell> {
    VELDO_CELL(IntParamCell, IntCell, 0xE09E05F504E65FB8ULL)
};

class FltParamCell : public ParamCell<FloatCell> {
    VELDO_CELL(FltParamCell, FloatCell, 0xD5546A54BE137CE8ULL)
};

class DblParamCell : public ParamCell<DblCell> {
    VELDO_CELL(DblParamCell, DblCell, 0x66F06D7BDD763F04ULL)
};

// ---- vectors, arrays and boxes -----------------------------------------

class Vec2DCell : public ValueCell<Vec2<double>> {
    VELDO_CELL(Vec2DCell, Cell, 0x359BFA2941168B32ULL)
};

class Vec2FCell : public ValueCell<Vec2<float>> {
    VELDO_CELL(Vec2FCell, Cell, 0xDB8F2B38A85355D2ULL)
};

class Vec2ICell : public ValueCell<Vec2<int32_t>> {
    VELDO_CELL(Vec2ICell, Cell, 0xA30AB71291FCCF24ULL)
};

class Vec3DCell : public ValueCell<Vec3<double>> {
    VELDO_CELL(Vec3DCell, Cell, 0xC193BDB14CCBE346ULL)
};

class Vec4DCell : public ValueCell<Vec4<double>> {
    VELDO_CELL(Vec4DCell, Cell, 0x884BA8AE3E0D972CULL)
};

class CSysDCell : public ValueCell<CSys<double>> {
    VELDO_CELL(CSysDCell, Cell, 0x7A008FB33B5F0E10ULL)
};

class DADCell : public ValueCell<DynamicArray<double>> {
    VELDO_CELL(DADCell, Cell, 0xAD881DB149002AB1ULL)
};

class DAV3DCell : public ValueCell<VectorArray<Vec3<double>, double>> {
    VELDO_CELL(DAV3DCell, Cell, 0x8B586AC0FF02CFF2ULL)
};

class IntBox : public ValueCell<BBox<int32_t, 3>> {
    VELDO_CELL(IntBox, Cell, 0xBFE95C91DDD2493FULL)
};

class IntBox2 : public ValueCell<BBox2D<int32_t, 2>> {
    VELDO_CELL(IntBox2, Cell, 0x1CFFD91FDAD3FDC7ULL)
};

class FltBox : public ValueCell<BBox<float, 3>> {
    VELDO_CELL(FltBox, Cell, 0x3645E026DCC6177FULL)
};

class FltBox2 : public ValueCell<BBox2D<float, 2>> {
    VELDO_CELL(FltBox2, Cell, 0x962FA6BF06D02627ULL)
};

class DblBox : public ValueCell<BBox<double, 3>> {
    VELDO_CELL(DblBox, Cell, 0x369AFF66BF81A647ULL)
};

class DblBox2 : public ValueCell<BBox2D<double, 2>> {
    VELDO_CELL(DblBox2, Cell, 0x4930E6DC41611E27ULL)
};

class RayDCell : public ValueCell<BRay<double>> {
    VELDO_CELL(RayDCell, Cell, 0xF986B6428AFE2FF8ULL)
};
