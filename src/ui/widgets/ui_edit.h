// UiEdit: a one-line text field bound to a string, an integer or a 64-bit
// cell. Pressing it takes the keys (one edit a root); it edits a private
// copy of the value and writes every change back. States: 0 idle,
// 1 focused, 2 inactive, 3 inactive and not redrawn.
//
// Sections: layout and binding; behaviour (focus, keys, characters);
// drawing (blink, horizontal scroll, selection, cursor).
#pragma once

#include "core/dynamic_string.h"
#include "ui/ui_box.h"

class FontGx;

class UiEdit : public UiBox {
    VELDO_CELL(UiEdit, UiBox, 0x3362655E8F10FAFAULL)

public:
    enum EditTag : int32_t {
        kEditStyle = kBoxTagCount,
        kCursorPos,
        kSelStart,
        kSelEnd,
        kScrollX,
        kStrValue,
        kIntValue,
        kU64Value,
        kEditTagCount
    };
    enum State : int32_t { kIdle = 0, kFocused = 1, kInactive = 2, kFrozen = 3 };
    // "EditStyle" bit 1: focusing selects the whole text.
    static constexpr int32_t kSelectAllOnFocus = 1;
    static constexpr float kBlinkPeriod = 0.5f;

    int32_t state = kIdle;
    float blink = 0;  // seconds into the cursor's blink
    SObject<MeshGx> backMesh, textMesh;  // background and selection; text and cursor

    UiEdit() = default;
    UiEdit(int32_t sizeKind, int32_t style);
    void DeclareTags() override;

    // ---- layout and binding
    // Binds the edit to what it shows and writes: a tag holding a string,
    // integer or 64-bit value (the first bound value tag counts, in that
    // order).
    void Bind(int32_t valueTag, Cell& cell);
    const WString& Text() const { return text_; }
    int32_t Cursor() const;
    int32_t SelectionStart() const;
    int32_t SelectionEnd() const;
    int32_t ScrollX() const;
    // One row square.
    void Measure() override;

    // ---- behaviour
    bool Input(const WndEvent& event) override;
    // Time deltas move the blink on.
    void TimePassed(float seconds) override;

    // ---- drawing
    void Process() override;
    void Draw(DrawGx& draw) override;

private:
    WString text_;  // the value being edited

    // The bound value and which value tag binds it; link: what the tag links to.
    Cell* Bound(int32_t& which, Cell** link = nullptr) const;
    void ReadValue();
    void WriteValue();
    void SetInt(int32_t tag, int32_t value);
    int32_t Int(int32_t tag) const;
    bool HasSelection() const;
    void ClearSelection();
    void SelectAll();
    // Moves the cursor, extending the selection from where it was when
    // extend is set, else clearing it.
    void MoveCursor(int32_t to, bool extend);
    void DeleteSelection();
    void Insert(const WString& text);
    void Changed();
    void Focus();
    bool Key(const WndEvent& event);
    float PrefixWidth(int32_t count) const;
    int32_t CursorAt(float x) const;
    void Scroll();
};
