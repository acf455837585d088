#include "ui/widgets/ui_text.h"

#include <initializer_list>

#include "cell/enum_cells.h"
#include "cell/scripts.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "gx/font_gx.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_mesh.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"

// ---- layout ---------------------------------------------------------------------------

UiText::UiText(const WChar* text, int32_t sizeKind, int32_t alignX, int32_t alignY, bool isTitle) {
    Shape(kLayoutNone, sizeKind);
    SetText(text);
    TagValueAs<ec_LRC>(kTextAlignX)->value = alignX;
    TagValueAs<ec_DUC>(kTextAlignY)->value = alignY;
    TagValueAs<BoolCell>(kIsTitle)->value = isTitle;
}

void UiText::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("Text"), new StringCell);
    DeclareTag(WTXT("SrcText"), new Cell);
    DeclareTag(WTXT("TextAlignX"), new ec_LRC);
    DeclareTag(WTXT("TextAlignY"), new ec_DUC);
    DeclareTag(WTXT("IsTitle"), new BoolCell);
    DeclareTag(WTXT("Type"), new ec_UiTextType);
    DeclareTag(WTXT("WordWrapEnabled"), new BoolCell);
    DeclareTag(WTXT("IsVisible_Script"), new Cell);
}

void UiText::SetText(const WChar* text) {
    if (auto* cell = TagValueAs<StringCell>(kText)) cell->value.Assign(text);
    if (Tag* tag = ValueTagAt(kText)) tag->MarkChanged();
    wrappedWidth_ = -1;
    InvalidateLayout();  // a wrapped text may change height
}

const WChar* UiText::Text() const {
    const auto* cell = TagValueAs<StringCell>(kText);
    return cell ? cell->value.CStr() : WTXT("");
}

void UiText::SetWordWrap(bool on) {
    if (auto* cell = TagValueAs<BoolCell>(kWordWrapEnabled)) cell->value = on;
    if (Tag* tag = ValueTagAt(kWordWrapEnabled)) tag->MarkChanged();
    wrappedWidth_ = -1;
    InvalidateLayout();
}

void UiText::SetType(int32_t type) {
    if (auto* cell = TagValueAs<ec_UiTextType>(kType)) cell->value = type;
    if (Tag* tag = ValueTagAt(kType)) tag->MarkChanged();
}

uint32_t UiText::Color() const {
    const auto* type = TagValueAs<ec_UiTextType>(kType);
    const int32_t t = type ? type->value : 0;
    const int32_t entries[] = {UiOptions::kTitleColor, UiOptions::kWarningTextColor, UiOptions::kSuccessTextColor,
                               UiOptions::kFaintTextColor};
    return UiOptions::Get().Color(t >= kTextPlain && t <= kTextFaint ? entries[t] : UiOptions::kTitleColor);
}

const FontGx* UiText::TextFont() const {
    UiRootServices* services = Services();
    const auto* title = TagValueAs<BoolCell>(kIsTitle);
    return services ? services->Font(title && title->value ? UiRootServices::kTitleFont : UiRootServices::kBodyFont)
                    : nullptr;
}

namespace {

// Line ends as "\n": "\r\n" and "\n\r" become one, a lone "\r" a space;
// character 1 goes.
WString NormaliseLineEnds(const WChar* text) {
    int32_t length = 0;
    while (text && text[length]) ++length;
    DynamicArray<WChar> out;
    out.Resize(length);  // never longer than the text
    int32_t n = 0;
    for (const WChar* c = text; c && *c; ++c) {
        if (*c == 1) continue;
        if ((c[0] == '\r' && c[1] == '\n') || (c[0] == '\n' && c[1] == '\r')) {
            out.data[n++] = '\n';
            ++c;
        } else {
            out.data[n++] = *c == '\r' ? WChar(' ') : *c;
        }
    }
    WString result;
    result.Assign(out.data, n);
    return result;
}

float LineWidth(const FontGx& font, const WString& text, int32_t from, int32_t to) {
    WString line;
    line.Assign(text.CStr() + from, to - from);
    int32_t width = 0, height = 0;
    font.MeasureText(line.CStr(), width, height);
    return float(width);
}

}  // namespace

WString WrapText(const FontGx& font, const WChar* text, float width) {
    WString out = NormaliseLineEnds(text);
    int32_t lineStart = 0;
    for (int32_t i = 0; i <= out.Length();) {
        const WChar c = i < out.Length() ? out.CStr()[i] : 0;
        if (c != ' ' && c != '\n' && c != 0) {
            ++i;
            continue;
        }
        if (i > lineStart && LineWidth(font, out, lineStart, i) > width) {
            int32_t wordStart = i;
            while (wordStart > lineStart && out.CStr()[wordStart - 1] != ' ') --wordStart;
            if (wordStart > lineStart && i - wordStart <= UiText::kLongWord) {
                // Break at the space before the word that does not fit.
                out.chars.data[wordStart - 1] = '\r';
                lineStart = wordStart;
                continue;  // the word may still be too long for a line of its own
            }
            // Alone on its line, or long: cut where the line is full.
            WString line;
            line.Assign(out.CStr() + lineStart, i - lineStart);
            int32_t fit = font.FitCount(line.CStr(), int32_t(width));
            if (fit < 1) fit = 1;  // a character a line at the least
            const WChar cut = '\r';
            out.Insert(lineStart + fit, WString(&cut, 1));
            lineStart += fit + 1;
            ++i;
            continue;
        }
        if (c == 0) break;
        if (c == '\n') lineStart = i + 1;
        ++i;
    }
    return out;
}

void UiText::UpdateShown() {
    const Rect r = Box();
    const auto* wrap = TagValueAs<BoolCell>(kWordWrapEnabled);
    const FontGx* font = TextFont();
    if (!wrap || !wrap->value || !r.valid || !font) {
        shown_.Assign(Text());
        wrappedWidth_ = -1;
        return;
    }
    const float width = r.x1 - r.x0 - 4;
    if (width == wrappedWidth_) return;
    shown_ = WrapText(*font, Text(), width);
    wrappedWidth_ = width;
}

void UiText::Measure() {
    if (!IsChanged()) return;
    const float row = UiOptions::Get().Row();
    measuredWidth = measuredHeight = row;
    const auto* wrap = TagValueAs<BoolCell>(kWordWrapEnabled);
    const FontGx* font = TextFont();
    if (Visibility() == 0) {
        measuredWidth = measuredHeight = 0;
        return;
    }
    if (!wrap || !wrap->value || !Box().valid || !font) return;
    UpdateShown();
    int32_t widest = 0, lines = 1, lineWidth = 0;
    bool first = true;
    for (const WChar* c = shown_.CStr(); *c; ++c) {
        if (FontGx::IsLineBreak(*c)) {
            ++lines;
            lineWidth = 0;
            first = true;
            continue;
        }
        lineWidth += font->Glyph(*c).width + (first ? 0 : font->spacing);
        first = false;
        if (lineWidth > widest) widest = lineWidth;
    }
    measuredWidth = float(widest);
    measuredHeight = float(lines * font->lineAdvance);
}

int32_t UiText::Visibility() const {
    BTag* script = TagAt(kIsVisibleScript);
    if (ScriptIsSet(script) && !EvaluateScriptBool(script, true)) return 0;
    return UiBox::Visibility();
}

// ---- behaviour ----------------------------------------------------------------------------

void UiText::LinkSource(Cell& source) {
    BTag* tag = TagAt(kSrcText);
    if (!tag) return;
    tag->Links().links.Clear();
    tag->Links().Add(&source);
    if (Tag* text = ValueTagAt(kText)) text->MarkChanged();
}

// ---- drawing --------------------------------------------------------------------------------

void UiText::Process() {
    if (!IsChanged()) return;
    Tag* text = ValueTagAt(kText);
    BTag* source = TagAt(kSrcText);
    if (text && text->IsChanged() && source && source->links)
        if (const auto* from = CellAs<StringCell>(LinkedValue(source->links->FirstLive())))
            if (auto* own = TagValueAs<StringCell>(kText)) own->value = from->value;
    bool rebuild = false;
    for (int32_t tag : {int32_t(kBox), int32_t(kText), int32_t(kTextAlignX), int32_t(kTextAlignY), int32_t(kIsTitle),
                        int32_t(kType), int32_t(kWordWrapEnabled), int32_t(kVisible)})
        if (Tag* t = ValueTagAt(tag); t && t->IsChanged()) rebuild = true;
    if (rebuild) {
        if (text && text->IsChanged()) wrappedWidth_ = -1;
        UpdateShown();
        const Rect r = Box();
        // A text outside the root's rectangle is not drawn.
        bool onScreen = r.valid;
        for (UiBox* up = ParentBox(); up && onScreen; up = up->ParentBox())
            if (!up->ParentBox()) {
                const Rect root = up->Box();
                onScreen = root.valid && r.x1 > root.x0 && r.x0 < root.x1 && r.y1 > root.y0 && r.y0 < root.y1;
            }
        const FontGx* font = TextFont();
        const auto* alignX = TagValueAs<ec_LRC>(kTextAlignX);
        const auto* alignY = TagValueAs<ec_DUC>(kTextAlignY);
        UiMesh mesh;
        if (onScreen && font && Visibility() != 0)
            mesh.AlignedText(*font, GxBox{r.x0 + 2, r.y0, r.x1 - 2, r.y1, true}, shown_.CStr(),
                             alignX ? alignX->value : 0, alignY ? alignY->value : 2, Color());
        mesh.StoreText(textMesh, font);
    }
    UiBox::Process();
}

void UiText::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (textMesh) draw.QueueMesh(*textMesh);
}
