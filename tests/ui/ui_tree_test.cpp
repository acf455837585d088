// Whole trees under a UiRoot, processed and drawn through the recording
// device: what the root lays out, what each box meshes and queues, and what
// input does (splitter drags, the wheel, drops), given as event tables.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/register_cells.h"
#include "cell/tags.h"
#include "support/recording_gx.h"
#include "support/ui_events.h"
#include "support/test_support.h"
#include "ui/register_ui_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_grid.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_panel.h"
#include "ui/ui_root.h"
#include "ui/ui_scroll_view.h"
#include "ui/ui_shared_cells.h"
#include "ui/ui_splitter.h"
#include "support/register_once.h"

namespace {

void RegisterClasses() {
    test::RegisterOnce<RegisterModelCellClasses, RegisterUiCellClasses>();
}

template <class Box = UiBox>
Box* Make(int32_t layout, int32_t kind, const char* title = "") {
    auto* box = new Box;
    box->Shape(layout, kind);
    if (*title) box->SetTitle(test::W(title).CStr());
    return box;
}

std::string RectText(const UiBox::Rect& r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "(%g %g %g %g)", r.x0, r.y0, r.x1, r.y1);
    return buffer;
}

// A box that keeps the events and time deltas it is given.
struct RecordingBox : UiBox {
    std::vector<int32_t> events;
    std::vector<float> ticks;
    bool Input(const WndEvent& event) override {
        events.push_back(event.type);
        return UiBox::Input(event);
    }
    SSlave<Cell> Receive(Cell& message) override {
        if (message.ClassKey() == UiBox_Process_TimeDelta_Act::kClassKey)
            ticks.push_back(static_cast<UiBox_Process_TimeDelta_Act&>(message).value);
        return UiBox::Receive(message);
    }
};

using test::Event;

struct UiTree : ::testing::Test {
    test::UseRecordingGx gx;
    SObject<UiRoot> root;

    void SetUp() override {
        RegisterClasses();
        root.Reset(new UiRoot);
    }
    test::RecordingDraw& Drawn() { return static_cast<test::RecordingDraw&>(*root->draws[0]); }
    const test::RecordingMesh* Mesh(const SObject<MeshGx>& mesh) {
        return static_cast<const test::RecordingMesh*>(mesh.Get());
    }
};

// ---- the root's frame ----------------------------------------------------------------

TEST_F(UiTree, TheRootLaysOutItsWindowAndSettles) {
    root->Shape(UiBox::kLayoutVertical, kSizeFlexible);
    UiBox* titled = Make(UiBox::kLayoutVertical, kSizeFlexible, "Hosts");
    for (int i = 0; i < 3; ++i) titled->AddChild(Make(UiBox::kLayoutNone, kSizeRow));
    UiBox* rest = Make(UiBox::kLayoutNone, kSizeFlexible);
    root->AddChild(titled);
    root->AddChild(rest);

    EXPECT_TRUE(root->WantsLayout());
    root->Layout(300, 200);
    EXPECT_FALSE(root->IsChanged());
    EXPECT_LE(root->lastPasses, UiRoot::kMaxPasses);
    EXPECT_EQ(RectText(root->viewport->box), "(0 0 300 200)");
    EXPECT_EQ(RectText(titled->Box()), "(0 100 300 200)");
    EXPECT_EQ(RectText(rest->Box()), "(0 0 300 100)");
    // Below the 25 px title band, from the top down.
    EXPECT_EQ(RectText(titled->ChildBox(0)->Box()), "(0 155 300 175)");
    EXPECT_EQ(RectText(titled->ChildBox(2)->Box()), "(0 115 300 135)");
    // Each box's rule now holds at least what its content measures; an
    // empty box has no content, and keeps its rule.
    EXPECT_EQ(titled->SizeRule()->rule.Minimum(), 60);
    EXPECT_EQ(rest->SizeRule()->rule.Minimum(), 0);
    UiBox* spacer = Make(UiBox::kLayoutNone, kSizeOne);
    titled->AddChild(spacer);
    root->Layout(300, 200);
    EXPECT_EQ(spacer->Box().y1 - spacer->Box().y0, 1);
    // A fixed box whose content is taller grows to it.
    UiBox* fixed = Make(UiBox::kLayoutVertical, kSizeRow);
    fixed->AddChild(Make(UiBox::kLayoutNone, kSizeTwoRows));
    root->AddChild(fixed);
    root->Layout(300, 200);
    EXPECT_EQ(fixed->SizeRule()->value, 40);
    EXPECT_EQ(fixed->SizeRule()->rule.Maximum(), 40);
    EXPECT_EQ(RectText(fixed->Box()), "(0 0 300 40)");

    // Nothing changed: nothing is processed again, and the window need not
    // draw once it has.
    root->Draw(300, 200);
    EXPECT_FALSE(root->WantsLayout());
    EXPECT_FALSE(root->WantsDraw());
    root->Layout(300, 200);
    EXPECT_EQ(root->lastPasses, 0);
    // A new size is laid out in one go.
    root->Layout(400, 300);
    EXPECT_EQ(RectText(root->viewport->box), "(0 0 400 300)");
    EXPECT_TRUE(root->WantsDraw());
}

TEST_F(UiTree, TitlesFramesAndTheOrderOfDrawing) {
    root->Shape(UiBox::kLayoutHorizontal, kSizeFlexible);
    UiBox* titled = Make(UiBox::kLayoutVertical, kSizeFlexible, "Title");
    UiBox* inner = Make(UiBox::kLayoutNone, kSizeFlexible);
    titled->AddChild(inner);
    UiBox* hidden = Make(UiBox::kLayoutVertical, kSizeFlexible, "Hidden");
    hidden->TagValueAs<ec_UiBoxVisibility>(UiBox::kVisible)->value = 0;
    UiBox* underHidden = Make(UiBox::kLayoutNone, kSizeFlexible);
    hidden->AddChild(underHidden);
    root->AddChild(titled);
    root->AddChild(hidden);
    root->Layout(200, 100);

    // The title's glyphs lie in the top row, left-aligned, in the title colour.
    const test::RecordingMesh* title = Mesh(titled->titleMesh);
    ASSERT_NE(title, nullptr);
    ASSERT_FALSE(title->textured.empty());
    float left = 1e9f;
    for (const s_GxVert_PosColUV& v : title->textured) {
        EXPECT_GE(v.y, 80);
        EXPECT_LE(v.y, 100);
        EXPECT_EQ(v.color, 0xFFFFFFFFu);
        left = std::min(left, v.x);
    }
    EXPECT_LT(left, 5);
    EXPECT_NE(title->material.Get(), nullptr);  // drawn with the font's atlas
    // The frame: four lines along the rectangle in 0x0FFFFFFF.
    const test::RecordingMesh* frame = Mesh(titled->frameMesh);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->lines.size(), 8u);
    for (const s_GxVert_PosCol& v : frame->lines) EXPECT_EQ(v.color, UiBox::kFrameColor);
    // A hidden box has no title mesh content, and measures nothing.
    EXPECT_TRUE(!hidden->titleMesh || Mesh(hidden->titleMesh)->textured.empty());
    EXPECT_EQ(hidden->measuredWidth, 0);

    root->Draw(200, 100);
    const auto& rendered = Drawn().rendered;
    // Tree order: the root's frame, the titled box's frame and title, then
    // its child; the hidden box and what it holds draw nothing.
    ASSERT_EQ(rendered.size(), 4u);
    EXPECT_EQ(rendered[0].mesh, root->frameMesh.Get());
    EXPECT_EQ(rendered[1].mesh, titled->frameMesh.Get());
    EXPECT_EQ(rendered[2].mesh, titled->titleMesh.Get());
    EXPECT_EQ(rendered[3].mesh, inner->frameMesh.Get());
    EXPECT_FALSE(Drawn().Rendered(underHidden->frameMesh.Get()));

    // A new title is meshed again; an empty one clears the mesh.
    titled->SetTitle(WTXT(""));
    root->Layout(200, 100);
    EXPECT_TRUE(Mesh(titled->titleMesh)->textured.empty());
    EXPECT_EQ(RectText(inner->Box()), "(0 0 100 100)");  // the band is gone too
}

// ---- splitters ---------------------------------------------------------------------------

// A root 305 px wide split in two: box (0..150), splitter (150..155), box.
struct SplitterDrag : UiTree {
    UiSplitter* splitter = nullptr;
    UiBox *left = nullptr, *right = nullptr;

    void SetUp() override {
        UiTree::SetUp();
        root->Shape(UiBox::kLayoutHorizontal, kSizeFlexible);
        UiBox_SplitTo2_Msg split;
        root->Receive(split);
        left = root->ChildBox(0);
        splitter = CellAs<UiSplitter>(root->ChildBox(1));
        right = root->ChildBox(2);
        SetRuleMinimum(*right->SizeRule(), 50);
        root->Layout(305, 100);
    }
    std::string Sizes() { return RectText(left->Box()) + " " + RectText(right->Box()); }
};

TEST_F(SplitterDrag, TheEdgeMovesWithinTheNeighboursRules) {
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(Sizes(), "(0 0 150 100) (155 0 305 100)");
    const struct {
        WndEvent event;
        int32_t state;
        const char* sizes;
    } steps[] = {
        {Event(kWndLeftPress, 152, 50), UiSplitter::kDragged, "(0 0 150 100) (155 0 305 100)"},
        {Event(kWndLeftDrag, 182, 50), UiSplitter::kDragged, "(0 0 180 100) (185 0 305 100)"},
        {Event(kWndLeftDrag, 92, 40), UiSplitter::kDragged, "(0 0 90 100) (95 0 305 100)"},
        // The box after it keeps its minimum of 50.
        {Event(kWndLeftDrag, 400, 40), UiSplitter::kDragged, "(0 0 250 100) (255 0 305 100)"},
        // The release ending the drag lets go; the sizes stay.
        {Event(kWndLeftDrop, 400, 40), UiSplitter::kRest, "(0 0 250 100) (255 0 305 100)"},
        {Event(kWndMove, 252, 40), UiSplitter::kHover, "(0 0 250 100) (255 0 305 100)"},
        {Event(kWndMove, 10, 40), UiSplitter::kRest, "(0 0 250 100) (255 0 305 100)"},
        // A double press grabs too; a plain release over it hovers.
        {Event(kWndDoubleClick, 251, 40), UiSplitter::kDragged, "(0 0 250 100) (255 0 305 100)"},
        {Event(kWndLeftRelease, 251, 40), UiSplitter::kHover, "(0 0 250 100) (255 0 305 100)"},
        {Event(kWndUnfocus, 251, 40), UiSplitter::kRest, "(0 0 250 100) (255 0 305 100)"},
    };
    for (const auto& step : steps) {
        root->HandleEvent(step.event);
        root->Layout(305, 100);
        EXPECT_EQ(splitter->state, step.state) << step.event.type << " at " << step.event.x;
        EXPECT_EQ(Sizes(), step.sizes) << step.event.type << " at " << step.event.x;
    }
    // A wider window shares the width as the drag left it: 5 to 1.
    root->Layout(605, 100);
    EXPECT_EQ(Sizes(), "(0 0 500 100) (505 0 605 100)");
}

TEST_F(SplitterDrag, ColoursAnimateThroughTheRootsTimer) {
    const uint32_t rest = SplitterRestColor(), hover = SplitterHoverColor();
    const uint32_t dragged = UiOptions::Get().Color(UiOptions::kSplitterDragged);
    EXPECT_EQ(splitter->color.CurrentArgb(), rest);
    EXPECT_FALSE(root->timer.Running());

    root->HandleEvent(Event(kWndLeftPress, 152, 50));
    EXPECT_EQ(splitter->color.CurrentArgb(), dragged);  // at once
    EXPECT_TRUE(root->timer.Running());
    root->TimeDelta(0.1f);  // a set colour does not move: the splitter leaves
    EXPECT_FALSE(root->timer.Running());
    root->Layout(305, 100);
    const test::RecordingMesh* bar = Mesh(splitter->barMesh);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->textured.size(), 6u);
    EXPECT_EQ(bar->textured[0].color, dragged);

    root->HandleEvent(Event(kWndLeftRelease, 152, 50));  // hover: a pulse
    for (int i = 0; i < 4; ++i) root->TimeDelta(0.1f);
    EXPECT_TRUE(root->timer.Running());
    EXPECT_NE(splitter->color.CurrentArgb(), hover);
    root->TimeDelta(0.2f);
    EXPECT_EQ(splitter->color.CurrentArgb(), hover);
    EXPECT_FALSE(root->timer.Running());
    root->Layout(305, 100);
    EXPECT_EQ(Mesh(splitter->barMesh)->textured[0].color, hover);  // re-meshed

    root->HandleEvent(Event(kWndMove, 20, 50));  // rest: a fade
    root->TimeDelta(0.25f);
    EXPECT_NE(splitter->color.CurrentArgb(), rest);
    root->TimeDelta(0.25f);
    EXPECT_EQ(splitter->color.CurrentArgb(), rest);
}

// The timer drops subscribers whose link died, the last taking the place.
TEST_F(UiTree, TheTimerServesTheLivingOnly) {
    auto* a = new RecordingBox;
    auto* b = new RecordingBox;
    auto* c = new RecordingBox;
    root->AddChild(a);
    root->AddChild(b);
    root->AddChild(c);
    root->JoinTimer(*a);
    root->JoinTimer(*b);
    root->JoinTimer(*c);
    root->JoinTimer(*a);  // once only
    root->TimeDelta(0.5f);
    EXPECT_EQ(a->ticks.size(), 1u);
    root->children.Remove(0);  // a dies
    root->TimeDelta(0.25f);
    EXPECT_EQ(b->ticks, (std::vector<float>{0.5f, 0.25f}));
    EXPECT_EQ(c->ticks, (std::vector<float>{0.5f, 0.25f}));
    ASSERT_EQ(root->timer.Count(), 2);
    EXPECT_EQ(root->timer.At(0), c);
    EXPECT_EQ(root->timer.At(1), b);
    root->LeaveTimer(*c);
    root->TimeDelta(0.125f);
    EXPECT_EQ(c->ticks.size(), 2u);
    EXPECT_EQ(b->ticks.size(), 3u);
    EXPECT_EQ(root->FrameDelta(), 0.125f);
}

// ---- input ---------------------------------------------------------------------------------

TEST_F(UiTree, ScrollViewsTakeTheWheelAndClipTheirContent) {
    root->Shape(UiBox::kLayoutHorizontal, kSizeFlexible);
    auto* view = Make<UiScrollView>(UiBox::kLayoutVertical, kSizeFlexible);
    auto* content = Make<RecordingBox>(UiBox::kLayoutVertical, kSizeFlexible);
    for (int i = 0; i < 10; ++i) content->AddChild(Make(UiBox::kLayoutNone, kSizeRow));
    view->AddChild(content);
    UiBox* beside = Make(UiBox::kLayoutNone, kSizeFlexible);
    root->AddChild(view);
    root->AddChild(beside);
    root->Layout(200, 100);  // a 100 x 100 view over 200 px of rows
    EXPECT_EQ(RectText(content->Box()), "(0 -100 100 100)");

    EXPECT_FALSE(view->Input(Event(kWndScroll, 150, 50, -1)));  // outside
    EXPECT_TRUE(view->Input(Event(kWndScroll, 50, 50, -1)));
    root->Layout(200, 100);
    EXPECT_EQ(view->Offset(), 25);
    EXPECT_EQ(RectText(content->Box()), "(0 -75 100 125)");
    view->Input(Event(kWndScroll, 50, 50, -9));
    EXPECT_EQ(view->Offset(), 100);  // no further than the end
    view->Input(Event(kWndScroll, 50, 50, 0.5f));
    EXPECT_EQ(view->Offset(), 75);  // part of a notch is a step

    // Presses reach the content inside the view only; moves and releases
    // wherever the pointer is.
    content->events.clear();
    for (const WndEvent& e : {Event(kWndLeftPress, 150, 50), Event(kWndDoubleClick, 150, 50),
                              Event(kWndLeftDragStart, 150, 50), Event(kWndMove, 150, 50),
                              Event(kWndLeftRelease, 150, 50), Event(kWndLeftPress, 50, 50)})
        view->Input(e);
    EXPECT_EQ(content->events, (std::vector<int32_t>{kWndMove, kWndLeftRelease, kWndLeftPress}));

    // The content draws cut to the view.
    root->Layout(200, 100);
    root->Draw(200, 100);
    int32_t clipped = 0;
    for (const auto& item : Drawn().rendered)
        if (item.mesh == content->frameMesh.Get() || item.mesh == content->ChildBox(0)->frameMesh.Get()) {
            EXPECT_TRUE(item.clipped);
            EXPECT_EQ(RectText(item.clip), "(0 0 100 100)");
            ++clipped;
        }
    EXPECT_EQ(clipped, 2);
}

TEST_F(UiTree, DispatchDragsAndDrops) {
    test::WinePrefix prefix;  // the drag's transfer file lives in its profile
    GCell* gateCell = MakeGateCell(DragDropGateKey());
    auto* gate = dynamic_cast<DragDropGate*>(gateCell->Gate());
    ASSERT_NE(gate, nullptr);

    root->Shape(UiBox::kLayoutVertical, kSizeFlexible);
    UiBox* titled = Make(UiBox::kLayoutHorizontal, kSizeFlexible, "Target");
    auto* child = Make<RecordingBox>(UiBox::kLayoutNone, kSizeFlexible);
    titled->AddChild(child);
    root->AddChild(titled);
    root->Layout(200, 100);  // titled (0 0 200 100), its band 75..100, child below

    // A drag over the band (in the box, in none of its children) goes no
    // further; over the child it is passed on.
    root->HandleEvent(Event(kWndLeftDrag, 50, 90));
    root->HandleEvent(Event(kWndLeftDrag, 50, 30));
    EXPECT_EQ(child->events, (std::vector<int32_t>{kWndLeftDrag}));

    // Picking a titled box up by its band starts a drag of the box.
    root->HandleEvent(Event(kWndLeftDragStart, 50, 90));
    EXPECT_TRUE(gate->Dragging());
    ASSERT_NE(CellAs<UiBox>(gate->Payload()), nullptr);
    gate->DropComplete();

    // A dragged message dropped on the band is delivered to the box.
    UiBox_SplitTo2_Msg split;
    ASSERT_TRUE(gate->BeginDrag(split));
    WndEvent drop = Event(kWndLeftDrop, 50, 90);
    drop.handledElsewhere = 1;
    root->HandleEvent(drop);
    EXPECT_FALSE(gate->Dragging());
    EXPECT_EQ(titled->children.count, 5);  // child, then splitter, box, splitter, box
}

// ---- grids, panels, shared cells ------------------------------------------------------------

TEST_F(UiTree, GridsPanelsAndSharedCells) {
    root->Shape(UiBox::kLayoutVertical, kSizeFlexible);
    auto* grid = new UiGrid;
    grid->SetCellSize(60, 20);
    for (int i = 0; i < 5; ++i) grid->AddChild(Make(UiBox::kLayoutNone, kSizeFlexible));
    auto* panel = Make<UiPanel>(UiBox::kLayoutVertical, kSizeFlexible);
    auto* master = new UiMasterCell;
    auto* slave = new UiSlaveCell;
    panel->AddChild(master);
    panel->AddChild(slave);
    root->AddChild(grid);
    root->AddChild(panel);
    slave->Show(*grid);
    root->Layout(200, 200);

    // 200 px hold trunc(200 / 65) = 3 columns; rows go down by cell + margin.
    const UiBox::Rect g = grid->Box();
    EXPECT_EQ(grid->Columns(), 3);
    EXPECT_EQ(RectText(grid->ChildBox(0)->Box()), RectText({g.x0, g.y1 - 20, g.x0 + 60, g.y1, true}));
    EXPECT_EQ(RectText(grid->ChildBox(2)->Box()), RectText({g.x0 + 130, g.y1 - 20, g.x0 + 190, g.y1, true}));
    EXPECT_EQ(RectText(grid->ChildBox(3)->Box()), RectText({g.x0, g.y1 - 45, g.x0 + 60, g.y1 - 25, true}));
    ASSERT_EQ(grid->columnLines.count, 2);
    ASSERT_EQ(grid->rowLines.count, 1);
    EXPECT_EQ(grid->columnLines[0]->at, g.x0 + 62.5f);
    // The pointer over a line lights it up through the timer.
    root->HandleEvent(Event(kWndMove, g.x0 + 63, g.y1 - 10));
    EXPECT_TRUE(grid->columnLines[0]->hovered);
    EXPECT_FALSE(grid->columnLines[1]->hovered);
    EXPECT_TRUE(root->timer.Running());
    for (int i = 0; i < 6; ++i) root->TimeDelta(0.1f);
    EXPECT_EQ(grid->columnLines[0]->color.CurrentArgb(), SplitterHoverColor());
    EXPECT_FALSE(root->timer.Running());

    // The panel fills its rectangle with the base colour behind its children.
    const auto* fill = Mesh(panel->fillMesh);
    ASSERT_NE(fill, nullptr);
    ASSERT_EQ(fill->textured.size(), 6u);
    EXPECT_EQ(fill->textured[0].color, UiOptions::Get().Color(UiOptions::kBaseColor));
    EXPECT_EQ(master->SizeRule()->value, 20);
    EXPECT_EQ(master->ChildLayoutType(), UiBox::kLayoutNone);
    // A slave box names the cell it shows, and nothing once it is gone.
    EXPECT_STREQ(test::U(slave->Title()).c_str(), "UiGrid");
    root->children.Remove(0);
    EXPECT_EQ(slave->Shown(), nullptr);
}

}  // namespace

namespace {

// A window without a screen: its size is data, and it counts its swaps.
struct PaperWindow : WndGx {
    int32_t width = 300, height = 200, swaps = 0;
    void GetClientSize(int32_t& w, int32_t& h) const override { w = width, h = height; }
    void SwapBuffers() override { ++swaps; }
};

// The window draws and swaps only when something is new to show.
TEST_F(UiTree, AnIdleWindowDrawsNothing) {
    SObject<PaperWindow> window(new PaperWindow);
    auto* ui = new UiRoot;
    ui->Shape(UiBox::kLayoutHorizontal, kSizeFlexible);
    UiBox_SplitTo2_Msg split;
    ui->Receive(split);
    window->AddChild(ui);
    auto* splitter = CellAs<UiSplitter>(ui->ChildBox(1));
    ASSERT_NE(splitter, nullptr);

    const struct {
        const char* what;
        std::function<void()> change;
        bool draws;
    } frames[] = {
        {"the first frame", [] {}, true},
        {"an idle frame", [] {}, false},
        {"another idle frame", [] {}, false},
        {"input", [&] { window->QueueEvent(new WndEvent{kWndMove}); }, true},
        {"idle after input", [] {}, false},
        {"the window exposed", [&] { window->RequestRedraw(); }, true},
        {"a new size", [&] { window->width = 320; }, true},
        {"a title set by the program", [&] { ui->ChildBox(0)->SetTitle(WTXT("Done")); }, true},
        {"idle again", [] {}, false},
        {"a colour starting to move", [&] { splitter->Input(Event(kWndMove, 160, 100)); }, true},
        {"the colour moving on", [] {}, true},
        {"the colour left the timer", [&] { ui->LeaveTimer(*splitter); }, false},
    };
    for (const auto& frame : frames) {
        const int32_t before = window->swaps;
        frame.change();
        window->Frame();
        EXPECT_EQ(window->swaps - before, frame.draws ? 1 : 0) << frame.what;
    }
    EXPECT_EQ(window->drawnFrames, window->swaps);
}

}  // namespace
