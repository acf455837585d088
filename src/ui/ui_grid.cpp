#include "ui/ui_grid.h"

#include <cmath>
#include <initializer_list>

#include "cell/tags.h"
#include "ui/pointer_behavior.h"
#include "ui/ui_mesh.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"

namespace {

// Lines within this distance of the pointer count as under it.
constexpr float kHoverReach = 3;

}  // namespace

UiGrid::UiGrid() { Shape(kLayoutNone, 0); }

void UiGrid::DeclareTags() {
    UiBox::DeclareTags();
    auto* size = new Vec2FCell;
    const float row = UiOptions::Get().Row();
    size->value = Vec2<float>{6 * row, 3 * row};
    DeclareTag(WTXT("GridCellSize"), size);
}

void UiGrid::SetCellSize(float width, float height) {
    if (auto* size = TagValueAs<Vec2FCell>(kGridCellSize)) size->value = Vec2<float>{width, height};
    InvalidateLayout();
}

float UiGrid::CellWidth() const {
    const auto* size = TagValueAs<Vec2FCell>(kGridCellSize);
    return size ? size->value.x : 0;
}

float UiGrid::CellHeight() const {
    const auto* size = TagValueAs<Vec2FCell>(kGridCellSize);
    return size ? size->value.y : 0;
}

int32_t UiGrid::Columns() const {
    const Rect r = Box();
    const float step = UiOptions::Get().Margin() + CellWidth();
    if (!r.valid || step <= 0) return 1;
    const float fit = std::trunc((r.x1 - r.x0) / step);
    return fit > 1 ? int32_t(fit) : 1;
}

// ---- layout --------------------------------------------------------------------------

void UiGrid::Measure() {
    if (!IsChanged()) return;
    for (int32_t i = 0; i < children.count; ++i)
        if (UiBox* child = ChildBox(i)) child->Measure();
    if (Visibility() == 0) {
        measuredWidth = measuredHeight = 0;
        return;
    }
    const int32_t columns = Columns();
    const int32_t rows = (children.count + columns - 1) / columns;
    const float margin = UiOptions::Get().Margin();
    measuredWidth = CellWidth();
    measuredHeight = rows > 0 ? rows * CellHeight() + (rows - 1) * margin : UiOptions::Get().Row();
}

void UiGrid::Arrange() {
    const Rect r = Box();
    if (!r.valid) return;
    const float margin = UiOptions::Get().Margin(), w = CellWidth(), h = CellHeight();
    const int32_t columns = Columns();
    float x = r.x0, y = r.y1;
    int32_t column = 0;
    for (int32_t i = 0; i < children.count; ++i) {
        UiBox* child = ChildBox(i);
        if (!child) continue;
        child->SetBox(x, y - h, x + w, y);
        x += margin + w;
        if (++column == columns) {
            column = 0;
            x = r.x0;
            y -= margin + h;
        }
    }
    PlaceLines();
}

// The lines sit in the middle of the margins between cells; a record keeps
// its colour as long as its line is there.
void UiGrid::PlaceLines() {
    const Rect r = Box();
    const float margin = UiOptions::Get().Margin();
    const int32_t columns = Columns();
    const int32_t rows = (children.count + columns - 1) / columns;
    auto place = [](Container<s_UiGridSplitter>& lines, int32_t count, float first, float step) {
        while (lines.count > count) lines.Remove(lines.count - 1);
        while (lines.count < count) {
            auto* line = new s_UiGridSplitter;
            line->color.Set(SplitterRestColor());
            lines.Add(line);
        }
        for (int32_t i = 0; i < count; ++i) lines[i]->at = first + float(i) * step;
    };
    const int32_t usedColumns = children.count < columns ? children.count : columns;
    place(columnLines, usedColumns > 1 ? usedColumns - 1 : 0, r.x0 + CellWidth() + margin / 2, CellWidth() + margin);
    place(rowLines, rows > 1 ? rows - 1 : 0, r.y1 - CellHeight() - margin / 2, -(CellHeight() + margin));
}

// ---- behaviour ------------------------------------------------------------------------

bool UiGrid::Hover(Container<s_UiGridSplitter>& lines, float coordinate, bool inside) {
    bool changed = false;
    for (int32_t i = 0; i < lines.count; ++i) {
        s_UiGridSplitter& line = *lines[i];
        const bool over = inside && std::fabs(coordinate - line.at) <= kHoverReach;
        if (over == line.hovered) continue;
        line.hovered = over;
        if (over) line.color.PulseTo(SplitterHoverColor());
        else line.color.FadeTo(SplitterRestColor());
        changed = true;
    }
    return changed;
}

bool UiGrid::Input(const WndEvent& event) {
    if (!Box().valid || Visibility() == 0) return false;
    // The lines light up under the pointer; the grid's boxes take the rest.
    const ui_pointer::Step step = ui_pointer::StepOf(event, HitTest(event.x, event.y), false);
    if (step == ui_pointer::Step::kMove || step == ui_pointer::Step::kLeave) {
        const bool inside = step == ui_pointer::Step::kMove && HitTest(event.x, event.y);
        const bool columns = Hover(columnLines, event.x, inside);
        const bool rows = Hover(rowLines, event.y, inside);
        if (columns || rows) {
            if (UiRootServices* services = Services()) services->JoinTimer(*this);
            MarkChanged();
        }
    }
    return UiBox::Input(event);
}

void UiGrid::TimePassed(float seconds) {
    bool animating = false;
    for (Container<s_UiGridSplitter>* lines : {&columnLines, &rowLines})
        for (int32_t i = 0; i < lines->count; ++i) {
            (*lines)[i]->color.Advance(seconds);
            animating = animating || (*lines)[i]->color.Animating();
        }
    if (!animating)
        if (UiRootServices* services = Services()) services->LeaveTimer(*this);
    MarkChanged();
}

// ---- drawing ----------------------------------------------------------------------------

void UiGrid::Process() {
    if (!IsChanged()) return;
    UiBox::Process();  // arranges, and so places the lines
    const Rect r = Box();
    UiMesh mesh;
    if (r.valid && Visibility() != 0) {
        for (int32_t i = 0; i < columnLines.count; ++i)
            mesh.Line(columnLines[i]->at, r.y0, columnLines[i]->at, r.y1, columnLines[i]->color.CurrentArgb());
        for (int32_t i = 0; i < rowLines.count; ++i)
            mesh.Line(r.x0, rowLines[i]->at, r.x1, rowLines[i]->at, rowLines[i]->color.CurrentArgb());
    }
    mesh.StoreShapes(linesMesh, WhiteMaterial());
}

void UiGrid::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (linesMesh) draw.QueueMesh(*linesMesh);
    UiBox::Draw(draw);
}
