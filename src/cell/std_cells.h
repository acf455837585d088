// The model's standard sample classes and small domain cells: StdCell,
// StdHCell (eight tags and three legacy tags), UnitsData, and the geometry
// cells the installer never serialises.
#pragma once

#include "cell/enum_cells.h"
#include "cell/hcell.h"
#include "cell/value_cells.h"

class StdCell : public Cell {
    VELDO_CELL(StdCell, Cell, 0x61129EF0DD7C95F8ULL)

public:
    int32_t value = 0;
    DynamicArray<int32_t> list;

    void CopyFrom(const Cell& other) override;
    bool Equals(const Cell& other) const override;
    // The value, then the array.
    bool Export(MemBlockCursor& c, int) override { return Encode(c, value) && Encode(c, list); }
    bool Import(MemBlockCursor& c, double, LocationCollector*) override {
        int32_t v = 0;
        DynamicArray<int32_t> l;
        if (!Decode(c, v) || !Decode(c, l)) return false;
        value = v;
        list = static_cast<DynamicArray<int32_t>&&>(l);
        return true;
    }
};

// Tags: Count, Vector, Sys, ContainerVec, DAV3DArray, Name, Index, OutCount.
// Legacy tags: VeryOldName (5.2035, leads to OldName at 5.2036), OldName
// (5.4, leads to Count) and Mode (5.3, leads out of the cell to its
// parent's Count).
class StdHCell : public HCell {
    VELDO_CELL(StdHCell, HCell, 0x5FBB0C60696BF471ULL)

public:
    enum TagIndex : int32_t { kCount, kVector, kSys, kContainerVec, kDAV3DArray, kName, kIndex, kOutCount, kTagCount };

    void DeclareTags() override;
    bool LegacyTagAt(int32_t index, SObject<LegacyTag>& out) const override;
    int32_t LegacyTagCount() const override { return 3; }
};

// Display units of distances: System (ec_DistUnits, 0) and Digits (2).
class UnitsData : public HCell {
    VELDO_CELL(UnitsData, HCell, 0x767938AFA0BBFE71ULL)

public:
    enum TagIndex : int32_t { kSystem, kDigits };
    static constexpr int32_t kDefaultSystem = 0;
    static constexpr int32_t kDefaultDigits = 2;

    void DeclareTags() override;
    void ResetDefaults() override;
};

class Vec3DIoCell : public HCell {
    VELDO_CELL(Vec3DIoCell, HCell, 0xE473959E9D44A400ULL)
};

// Texture-coordinate sets and polygons, kept as flat number lists.
class UVMapsCell : public ValueCell<DynamicArray<double>> {
    VELDO_CELL(UVMapsCell, Cell, 0xAD00246774AC0022ULL)
};

class PolysCell : public ValueCell<DynamicArray<int32_t>> {
    VELDO_CELL(PolysCell, Cell, 0x67B4F4F93A8CFD10ULL)
};
