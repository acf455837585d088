// UiGrid: children laid out as equal cells, rows filled left to right from
// the top-left corner, as many columns as fit. The lines between columns
// and between rows light up when the pointer is over them.
#pragma once

#include "ui/color_interp.h"
#include "ui/ui_box.h"

// One column or row line of a grid.
struct s_UiGridSplitter {
    float at = 0;           // x of a column line, y of a row line
    bool hovered = false;
    UiColorInterp color;
};

class UiGrid : public UiBox {
    VELDO_CELL(UiGrid, UiBox, 0xAFFFEEDECF87D494ULL)

public:
    enum GridTag : int32_t { kGridCellSize = kBoxTagCount, kGridTagCount };

    Container<s_UiGridSplitter> columnLines, rowLines;
    SObject<MeshGx> linesMesh;

    UiGrid();
    void DeclareTags() override;

    // Each child's cell size.
    void SetCellSize(float width, float height);
    float CellWidth() const;
    float CellHeight() const;
    // Columns in a row at the grid's width (at least 1).
    int32_t Columns() const;

    // One cell wide, as tall as the rows its children fill.
    void Measure() override;
    void Arrange() override;
    void Process() override;
    void Draw(DrawGx& draw) override;
    // Pointer moves light the lines up; then the children have the event.
    bool Input(const WndEvent& event) override;
    // Time deltas move the lines' colours on.
    void TimePassed(float seconds) override;

private:
    // The line records for the current columns and rows.
    void PlaceLines();
    bool Hover(Container<s_UiGridSplitter>& lines, float coordinate, bool inside);
};
