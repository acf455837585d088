// Messages and actions understood by UI boxes. Plain messages carry nothing;
// actions carry their argument in the value of the family they derive from.
#pragma once

#include "cell/value_cells.h"

VELDO_EMPTY_CELL(UiBox_Delete_Msg, Cell, 0xBE00BECAA36DD79BULL);
VELDO_EMPTY_CELL(UiBox_DeleteAllChildren_Msg, Cell, 0x5A1B19B7A830D619ULL);
VELDO_EMPTY_CELL(UiBox_SplitTo2_Msg, Cell, 0x79ED0FAB14F760AAULL);
VELDO_EMPTY_CELL(UiBox_SplitTo3_Msg, Cell, 0x0EE76723E0558FDAULL);
VELDO_EMPTY_CELL(UiBox_Set_ChildLayout_Horizontal_Msg, Cell, 0x92C9469B4A842230ULL);
VELDO_EMPTY_CELL(UiBox_Set_ChildLayout_Vertical_Msg, Cell, 0x2657F18185C07985ULL);
VELDO_EMPTY_CELL(UiBox_Generate_CellsList_Msg, Cell, 0xB97A8A1F53BA86C3ULL);
VELDO_EMPTY_CELL(UiScrollView_ScrollUp_Msg, Cell, 0x3471367FB6B90DB4ULL);
VELDO_EMPTY_CELL(UiScrollView_ScrollDown_Msg, Cell, 0x0C9786EA78617C6AULL);

// Elapsed time in seconds, sent to cells that asked for it.
class UiBox_Process_TimeDelta_Act : public FloatCell {
    VELDO_CELL(UiBox_Process_TimeDelta_Act, FloatCell, 0x8F1C009E08B2CA6BULL)
};

class UiScrollView_Button_Vis_Act : public BoolCell {
    VELDO_CELL(UiScrollView_Button_Vis_Act, BoolCell, 0xC5E2F282B6931B4AULL)
};

// Questions about one item of an enumeration row: whether its button is
// shown, whether it is down. The item travels with the question.
class UiEnum_Button_Visibility_Act : public BoolCell {
    VELDO_CELL(UiEnum_Button_Visibility_Act, BoolCell, 0xA6C439634F51B86CULL)

public:
    int32_t item = -1;
    void CopyFrom(const Cell& other) override {
        BoolCell::CopyFrom(other);
        if (const auto* o = CellAs<UiEnum_Button_Visibility_Act>(&other)) item = o->item;
    }
};

class UiEnum_Button_State_Act : public BoolCell {
    VELDO_CELL(UiEnum_Button_State_Act, BoolCell, 0xAC3A147ADE0D4372ULL)

public:
    int32_t item = -1;
    void CopyFrom(const Cell& other) override {
        BoolCell::CopyFrom(other);
        if (const auto* o = CellAs<UiEnum_Button_State_Act>(&other)) item = o->item;
    }
};

// A visibility item (0 hidden, 1 visible, -1 not set) for a box.
class UiBox_Visibility : public ValueCell<int32_t> {
    VELDO_CELL(UiBox_Visibility, Cell, 0x56AD3FAB66EA358DULL)

public:
    UiBox_Visibility() { value = -1; }
};

class UiBox_Title : public StringCell {
    VELDO_CELL(UiBox_Title, StringCell, 0x59FC1F6D05988546ULL)
};
