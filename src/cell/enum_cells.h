// Enumeration and flag cells. An enumeration cell holds a 32-bit item
// (numbered from 0, -1 for none; made through the registry it starts at -1)
// and knows its item count; a flag cell holds a 32-bit bit set.
#pragma once

#include "cell/value_cells.h"

class EnumICell : public ValueCell<int32_t> {
    VELDO_CELL(EnumICell, Cell, 0x4DBAE6439C1E6CABULL)

public:
    EnumICell() { value = -1; }
    int32_t Item() const { return value; }
    virtual int32_t ItemCount() const = 0;
};

class FlagsCell : public ValueCell<int32_t> {
    VELDO_CELL(FlagsCell, Cell, 0xB42A081A5659F60CULL)

public:
    bool Has(int32_t bits) const { return (value & bits) == bits; }
    // Flags are not serialised.
    bool Export(MemBlockCursor&, int) override { return true; }
    bool Import(MemBlockCursor&, double, LocationCollector*) override { return true; }

protected:
    FlagsCell() = default;
};

#define VELDO_ENUM_CELL(Name, Key, Count)                        \
    class Name : public EnumICell {                              \
        VELDO_CELL(Name, EnumICell, Key)                         \
                                                                 \
    public:                                                      \
        static constexpr int32_t kItemCount = Count;             \
        int32_t ItemCount() const override { return kItemCount; } \
    }

// The model's enumerations, by their stored class names (the names and keys
// are part of the stored files; "ec_" marks an enumeration cell). Those
// with no gloss are kept for the files that hold them: no part of the
// installer reads them.
VELDO_ENUM_CELL(ec_UVStretchMode, 0x7F8256CCD17E9C23ULL, 6);
VELDO_ENUM_CELL(ec_SingleAll, 0xC220FBFC54EFB50FULL, 2);
VELDO_ENUM_CELL(ec_SegFull, 0x5B07C216CA2FD949ULL, 2);
VELDO_ENUM_CELL(ec_ScaleType, 0xB007F63A23505662ULL, 3);
// Left, right, centre.
VELDO_ENUM_CELL(ec_LRC, 0x8C996939F313B6DBULL, 3);
// ec_LRC's values: where a text sits across its box.
enum AlignX : int32_t { kAlignLeft = 0, kAlignRight = 1, kAlignCenterX = 2 };
VELDO_ENUM_CELL(ec_HV, 0x87C5E7BA895239C8ULL, 2);
VELDO_ENUM_CELL(ec_Edg4, 0x7939D652FD983E99ULL, 4);
// Down, up, centre.
VELDO_ENUM_CELL(ec_DUC, 0x5B14C107CCD700FAULL, 3);
// ec_DUC's values: where a text sits up and down its box.
enum AlignY : int32_t { kAlignBottom = 0, kAlignTop = 1, kAlignCenterY = 2 };
VELDO_ENUM_CELL(ec_Corn4, 0x990AA619F33EE71FULL, 4);
VELDO_ENUM_CELL(ec_2D3D, 0x9296DA6965713AD5ULL, 2);
// The unit system distances are shown in (std_cells.h).
VELDO_ENUM_CELL(ec_DistUnits, 0xCCD5CEAC61E22790ULL, 13);

// Item holders that derive from Cell directly but keep their item the same
// way (used by the UI for its own choices).
#define VELDO_ITEM_CELL(Name, Key)              \
    class Name : public ValueCell<int32_t> {    \
        VELDO_CELL(Name, Cell, Key)             \
                                                \
    public:                                     \
        Name() { value = -1; }                  \
    }

VELDO_ITEM_CELL(ec_Cage9, 0xAD897F28EB431982ULL);
