// UiEnum: a row of mutually exclusive buttons, one per item of the
// enumeration its "ExEnum" links to; pressing one makes its item the
// enumeration's value. "ItemIsVisible_Script" may hide items.
//
// Sections: layout; behaviour.
#pragma once

#include "core/container.h"
#include "core/dynamic_string.h"
#include "ui/ui_box.h"

class UiEnum : public UiBox {
    VELDO_CELL(UiEnum, UiBox, 0x3259958AF1EF2613ULL)

public:
    enum EnumTag : int32_t { kItemIsVisibleScript = kBoxTagCount, kExEnum, kEnumTagCount };

    UiEnum();
    void DeclareTags() override;

    // ---- layout
    // Links the row to a tag holding an enumeration; names titles the items
    // (their numbers when there are fewer names).
    void Show(Cell& enumeration, const WChar* const* names = nullptr, int32_t nameCount = 0);
    // The enumeration's value, -1 without one.
    int32_t Value() const;
    // A button per item, made again when "ExEnum" changed.
    void Process() override;

    // ---- behaviour
    // An item index chosen by a button, and the buttons' questions.
    SSlave<Cell> Receive(Cell& message) override;
    bool Accepts(CellKey key) const override;

private:
    Container<WString> names_;

    Cell* Enumeration(Cell** link = nullptr) const;
    int32_t ItemCount() const;
    void MakeButtons();
};
