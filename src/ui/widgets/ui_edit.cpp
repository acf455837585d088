#include "ui/widgets/ui_edit.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <initializer_list>

#include "core/text_convert.h"
#include "cell/enum_cells.h"
#include "cell/gate_keys.h"
#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "gx/font_gx.h"
#include "ui/size_rule.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_mesh.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"
#include "ui/pointer_behavior.h"

// ---- layout and binding ------------------------------------------------------------------

UiEdit::UiEdit(int32_t sizeKind, int32_t style) {
    Shape(kLayoutNone, sizeKind);
    if (auto* cell = TagValueAs<fc_UiEditStyle>(kEditStyle)) cell->value = style;
}

void UiEdit::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("EditStyle"), new fc_UiEditStyle);
    auto integer = [](int32_t value) {
        auto* cell = new IntCell;
        cell->value = value;
        return cell;
    };
    DeclareTag(WTXT("CursorPos"), integer(0));
    DeclareTag(WTXT("SelStart"), integer(-1));  // no selection
    DeclareTag(WTXT("SelEnd"), integer(-1));
    DeclareTag(WTXT("ScrollX"), integer(0));
    DeclareTag(WTXT("StrValue"), new Cell);
    DeclareTag(WTXT("IntValue"), new Cell);
    DeclareTag(WTXT("U64Value"), new Cell);
}

void UiEdit::Bind(int32_t valueTag, Cell& cell) {
    BTag* tag = TagAt(valueTag);
    if (!tag) return;
    tag->Links().links.Clear();
    tag->Links().Add(&cell);
    ReadValue();
    MarkChanged();
}

Cell* UiEdit::Bound(int32_t& which, Cell** link) const {
    for (int32_t tag : {int32_t(kStrValue), int32_t(kIntValue), int32_t(kU64Value)}) {
        BTag* t = TagAt(tag);
        Cell* linked = t && t->links ? t->links->FirstLive() : nullptr;
        if (Cell* cell = LinkedValue(linked)) {
            which = tag;
            if (link) *link = linked;
            return cell;
        }
    }
    return nullptr;
}

void UiEdit::ReadValue() {
    int32_t which = 0;
    Cell* cell = Bound(which);
    char number[32];
    if (auto* text = which == kStrValue ? CellAs<StringCell>(cell) : nullptr) {
        text_ = text->value;
    } else if (auto* integer = which == kIntValue ? CellAs<IntCell>(cell) : nullptr) {
        std::snprintf(number, sizeof number, "%d", integer->value);
        Utf8ToWide(number, text_);
    } else if (auto* wide = which == kU64Value ? CellAs<U64Cell>(cell) : nullptr) {
        std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(wide->value));
        Utf8ToWide(number, text_);
    }
}

// An integer only when the text is one number and nothing else; the 64-bit
// value whatever number the text starts with.
void UiEdit::WriteValue() {
    int32_t which = 0;
    Cell* link = nullptr;
    Cell* cell = Bound(which, &link);
    NString utf8;
    WideToUtf8(text_.CStr(), utf8);
    if (auto* text = which == kStrValue ? CellAs<StringCell>(cell) : nullptr) {
        text->value = text_;
    } else if (auto* integer = which == kIntValue ? CellAs<IntCell>(cell) : nullptr) {
        int value = 0, used = 0;
        const bool one = std::sscanf(utf8.CStr(), "%d%n", &value, &used) == 1 && used == utf8.Length();
        integer->value = one ? value : 0;
    } else if (auto* wide = which == kU64Value ? CellAs<U64Cell>(cell) : nullptr) {
        unsigned long long value = 0;
        wide->value = std::sscanf(utf8.CStr(), "%llu", &value) == 1 ? value : 0;
    } else {
        return;
    }
    link->MarkChanged();  // the tag holding the value, and so its owner
}

int32_t UiEdit::Int(int32_t tag) const {
    const auto* cell = TagValueAs<IntCell>(tag);
    return cell ? cell->value : 0;
}

void UiEdit::SetInt(int32_t tag, int32_t value) {
    if (auto* cell = TagValueAs<IntCell>(tag); cell && cell->value != value) {
        cell->value = value;
        if (Tag* t = ValueTagAt(tag)) t->MarkChanged();
    }
}

int32_t UiEdit::Cursor() const { return Int(kCursorPos); }
int32_t UiEdit::SelectionStart() const { return Int(kSelStart); }
int32_t UiEdit::SelectionEnd() const { return Int(kSelEnd); }
int32_t UiEdit::ScrollX() const { return Int(kScrollX); }

void UiEdit::Measure() {
    if (!IsChanged()) return;
    measuredWidth = measuredHeight = UiOptions::Get().Row();
}

// ---- behaviour -----------------------------------------------------------------------------

bool UiEdit::HasSelection() const { return SelectionStart() >= 0 && SelectionEnd() >= 0; }

void UiEdit::ClearSelection() {
    SetInt(kSelStart, -1);
    SetInt(kSelEnd, -1);
}

void UiEdit::SelectAll() {
    SetInt(kSelStart, 0);
    SetInt(kSelEnd, text_.Length());
    SetInt(kCursorPos, text_.Length());
}

void UiEdit::MoveCursor(int32_t to, bool extend) {
    to = std::clamp(to, 0, text_.Length());
    if (extend) {
        if (!HasSelection()) SetInt(kSelStart, Cursor());
        SetInt(kSelEnd, to);
    } else {
        ClearSelection();
    }
    SetInt(kCursorPos, to);
}

void UiEdit::DeleteSelection() {
    if (!HasSelection()) return;
    const int32_t from = std::clamp(std::min(SelectionStart(), SelectionEnd()), 0, text_.Length());
    const int32_t to = std::clamp(std::max(SelectionStart(), SelectionEnd()), 0, text_.Length());
    if (to > from) text_.Erase(from, to);
    SetInt(kCursorPos, from);
    ClearSelection();
}

void UiEdit::Insert(const WString& text) {
    DeleteSelection();
    const int32_t at = std::clamp(Cursor(), 0, text_.Length());
    text_.Insert(at, text);
    SetInt(kCursorPos, std::min(at + text.Length(), text_.Length()));
}

void UiEdit::Changed() {
    WriteValue();
    InvalidateLayout();
}

void UiEdit::Focus() {
    if (UiRootServices* services = Services()) {
        // The edit that had the keys lets go on its next processing.
        if (Cell* before = services->FocusedEdit(); before && before != this) before->MarkChanged();
        services->FocusEdit(this);
        services->JoinTimer(*this);
    }
    state = kFocused;
    blink = 0;
    MarkChanged();
}

// The key table; true when the key did something.
bool UiEdit::Key(const WndEvent& e) {
    const bool command = e.control || e.super;
    const bool shift = e.shift;
    const int32_t length = text_.Length();
    auto selected = [&] {
        const int32_t from = std::clamp(std::min(SelectionStart(), SelectionEnd()), 0, length);
        const int32_t to = std::clamp(std::max(SelectionStart(), SelectionEnd()), 0, length);
        WString part;
        part.Assign(text_.CStr() + from, to - from);
        return part;
    };
    if (command && e.key == kWndKeyA) {
        SelectAll();
    } else if ((command && e.key == kWndKeyC) || (e.control && e.key == kWndKeyInsert)) {
        if (HasSelection())
            if (ClipboardGate* clipboard = FindClipboardGate()) clipboard->WriteText(selected());
        return true;
    } else if ((command && e.key == kWndKeyV) || ((shift || e.super) && e.key == kWndKeyInsert)) {
        WString pasted;
        ClipboardGate* clipboard = FindClipboardGate();
        if (!clipboard || !clipboard->ReadText(pasted)) return true;
        Insert(pasted);
        Changed();
    } else if ((command && e.key == kWndKeyX) || (shift && e.key == kWndKeyDelete)) {
        if (!HasSelection()) return true;
        if (ClipboardGate* clipboard = FindClipboardGate()) clipboard->WriteText(selected());
        DeleteSelection();
        Changed();
    } else if (e.key == kWndKeyBackspace || e.key == kWndKeyDelete) {
        if (HasSelection()) {
            DeleteSelection();
        } else {
            const int32_t at = std::clamp(Cursor(), 0, length);
            const int32_t from = e.key == kWndKeyBackspace ? at - 1 : at;
            if (from < 0 || from >= length) return true;  // nothing there
            text_.Erase(from, from + 1);
            SetInt(kCursorPos, from);
        }
        Changed();
    } else if (e.key == kWndKeyLeft || e.key == kWndKeyRight) {
        MoveCursor(Cursor() + (e.key == kWndKeyLeft ? -1 : 1), shift);
    } else if (e.key == kWndKeyHome || e.key == kWndKeyEnd) {
        MoveCursor(e.key == kWndKeyHome ? 0 : length, shift);
    } else {
        return false;
    }
    blink = 0;
    MarkChanged();
    return true;
}

bool UiEdit::Input(const WndEvent& event) {
    const Rect r = Box();
    int32_t which = 0;
    if (!r.valid || Visibility() == 0 || !Bound(which) || state == kInactive || state == kFrozen) return false;
    const bool inside = r.Contains(event.x, event.y);
    const int32_t type = event.type;
    if ((ui_pointer::IsPress(type) || type == kWndLeftDrag) && inside) {
        const bool wasFocused = state == kFocused;
        if (!wasFocused) Focus();
        const auto* style = TagValueAs<fc_UiEditStyle>(kEditStyle);
        if (!wasFocused && style && (style->value & kSelectAllOnFocus) && text_.Length() > 0) {
            SetInt(kSelStart, 0);
            SetInt(kSelEnd, text_.Length());
        } else if (type == kWndDoubleClick) {
            SelectAll();
        } else {
            MoveCursor(CursorAt(event.x), type == kWndLeftDrag || event.shift);
        }
        MarkChanged();
        return true;
    }
    if (state != kFocused) return false;
    if (type == kWndKeyPress || type == kWndKeyRepeat) return Key(event);
    if (type == kWndCharacter && event.character > 0 && event.character <= 0xFFFF) {
        const WChar c = WChar(event.character);
        Insert(WString(&c, 1));
        blink = 0;
        Changed();
        return true;
    }
    return false;
}

void UiEdit::TimePassed(float delta) {
    const bool shown = blink <= kBlinkPeriod / 2;
    blink += delta;
    if (blink > kBlinkPeriod) blink = blink > 2 * kBlinkPeriod ? 0 : blink - kBlinkPeriod;
    if (shown != (blink <= kBlinkPeriod / 2)) MarkChanged();  // the cursor shows or hides
}

// ---- drawing -----------------------------------------------------------------------------------

float UiEdit::PrefixWidth(int32_t count) const {
    const FontGx* font = BodyFont();
    if (!font || count <= 0) return 0;
    WString prefix;
    prefix.Assign(text_.CStr(), std::min(count, text_.Length()));
    int32_t width = 0, height = 0;
    font->MeasureText(prefix.CStr(), width, height);
    return float(width);
}

// The character boundary nearest to x, the text being drawn from the left
// edge shifted by "ScrollX".
int32_t UiEdit::CursorAt(float x) const {
    const FontGx* font = BodyFont();
    if (!font) return 0;
    const float at = x - (Box().x0 + 2) - float(ScrollX());
    DynamicArray<int32_t> widths;  // every boundary measured in one pass
    font->PrefixWidths(text_.CStr(), widths);
    int32_t best = 0;
    float distance = 1e30f;
    for (int32_t k = 0; k < widths.count; ++k) {
        const float d = std::abs(float(widths[k]) - at);
        if (d < distance) distance = d, best = k;
    }
    return best;
}

void UiEdit::Scroll() {
    const FontGx* font = BodyFont();
    if (!font) return;
    int32_t bar = 0, height = 0;
    font->MeasureText(WTXT("|"), bar, height);
    const Rect r = Box();
    const float w = (r.x1 - r.x0 - 4) - float(bar);
    const float m = PrefixWidth(Cursor());
    float sx = float(ScrollX());
    if (m + sx < 0) sx = -m;
    if (m + sx >= w) sx = w - m;
    if (m + sx < w / 2) sx = w / 2 - m;
    if (sx > 0) sx = 0;
    SetInt(kScrollX, int32_t(sx));
}

void UiEdit::Process() {
    if (!IsChanged()) return;
    UiRootServices* services = Services();
    if (state == kFocused && services && services->FocusedEdit() != this) {
        state = kIdle;  // another edit took the keys
        services->LeaveTimer(*this);
        ClearSelection();
    }
    if (state != kFocused) ReadValue();
    if (state == kFrozen) {
        UiBox::Process();
        return;
    }
    Scroll();
    const Rect r = Box();
    const FontGx* font = BodyFont();
    const UiOptions& o = UiOptions::Get();
    const int32_t colours = state == kIdle      ? UiOptions::kEditIdle
                            : state == kFocused ? UiOptions::kEditFocused
                                                : UiOptions::kEditInactive;  // the text's colour follows
    const bool shown = r.valid && Visibility() != 0;
    const GxBox inner{r.x0 + 2, r.y0, r.x1 - 2, r.y1, true};
    const float left = inner.x0 + float(ScrollX());

    UiMesh back, marks, words;
    if (shown) back.Rect(GxBox{r.x0, r.y0, r.x1, r.y1, true}, o.Color(colours));
    if (shown && HasSelection()) {
        const float a = left + PrefixWidth(std::min(SelectionStart(), SelectionEnd()));
        const float b = left + PrefixWidth(std::max(SelectionStart(), SelectionEnd()));
        back.Rect(GxBox{std::max(a, inner.x0), r.y0 + 2, std::min(b, inner.x1), r.y1 - 2, true}, o.Color(UiOptions::kSelection));
    }
    if (shown && font) {
        int32_t x = 0, y = 0;
        font->AlignText(int32_t(left), int32_t(r.y0), int32_t(inner.x1), int32_t(r.y1), text_.CStr(), kAlignLeft, kAlignCenterY, x, y);
        words.Text(*font, float(x), float(y), text_.CStr(), o.Color(colours + 1), inner);
        if (state == kFocused && blink <= kBlinkPeriod / 2) {
            const float at = left + PrefixWidth(Cursor());
            words.Text(*font, at, float(y), WTXT("|"), o.Color(UiOptions::kEditCursor), GxBox{inner.x0 - 2, r.y0, inner.x1 + 2, r.y1, true});
        }
    }
    back.StoreShapes(backMesh, WhiteMaterial());
    words.StoreText(textMesh, font);
    UiBox::Process();
}

void UiEdit::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    for (SObject<MeshGx>* mesh : {&backMesh, &textMesh})
        if (*mesh) draw.QueueMesh(**mesh);
}
