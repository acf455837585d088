// WndGx's portable half: the event queue, dispatch, the frame and the
// stored form.
#include "gx/window_cells.h"

#include "cell/gate_table.h"
#include "cell/registry.h"
#include "cell/value_codec.h"
#include "sys/instance_launch.h"
#include "sys/platform.h"

void WndGx::QueueEvent(WndEvent* event) {
    std::lock_guard<std::mutex> lock(queueLock_);
    if (queue_.count >= kQueueLimit) queue_.Clear();  // a window never holds more than eight
    queue_.Add(event, kQueueLimit);
}

void WndGx::TakeQueuedEvents(Container<WndEvent>& events) {
    std::lock_guard<std::mutex> lock(queueLock_);
    for (int32_t i = 0; i < queue_.count; ++i) events.Add(queue_[i], kQueueLimit);
    queue_.count = 0;  // handed over, not destroyed
}

HCell* WndGx::RootCell() {
    for (int32_t i = 0; i < children.count; ++i)
        if (dynamic_cast<WndRoot*>(children[i])) return children[i];
    return nullptr;
}

WndRoot* WndGx::Root() { return dynamic_cast<WndRoot*>(RootCell()); }

void WndGx::Dispatch(const WndEvent& event) {
    if (WndRoot* root = Root()) root->HandleEvent(event);
    if (event.type == kWndLeftDrop && !event.handledElsewhere) EndDropOutside(event);
}

// A left drop that no window of the program took: a dragged
// window-creation message opens a new instance of the program there.
// Nothing else can take what was dragged any more, so the drag ends.
void WndGx::EndDropOutside(const WndEvent& event) {
    DragDropGate* gate = FindDragDropGate();
    if (!gate) return;
    if (CellAs<WndGx_CreateNew_Msg>(gate->Payload())) {
        // Events count y from the client area's bottom; the screen from its top.
        int32_t left, top, width, height;
        GetClientOrigin(left, top);
        GetClientSize(width, height);
        LaunchDropInstance(left + int32_t(event.x), top + (height - 1 - int32_t(event.y)));
    }
    gate->DropComplete();
}

void WndGx::Frame() {
    if (closesWhenAsked && ShouldClose()) {
        Destroy();
        return;
    }
    MakeCurrent();
    PollEvents();
    // Dispatched outside the lock: a handler may pump or queue again.
    Container<WndEvent> events;
    TakeQueuedEvents(events);
    for (int32_t i = 0; i < events.count; ++i) Dispatch(*events[i]);
    const double now = SysClockMs();
    const float delta = lastFrameMs_ < 0 ? 0.0f : float((now - lastFrameMs_) * 0.001);
    lastFrameMs_ = now;
    if (WndRoot* root = Root()) root->TimeDelta(delta);
    if (!IsReady()) return;
    WndRoot* root = Root();
    int32_t width = 0, height = 0, minWidth = 0, minHeight = 0;
    GetClientSize(width, height);
    root->MinimumSize(minWidth, minHeight);
    if (width < minWidth || height < minHeight) {
        int32_t left, top, right, bottom;
        GetClientBox(left, top, right, bottom);
        if (width < minWidth) right = left + minWidth + 1;
        if (height < minHeight) bottom = top + minHeight + 1;
        SetRect(left, top, right, bottom);
        GetClientSize(width, height);
    }
    // An idle window only pumps: it draws when its size changed, it was
    // exposed, input arrived, or the root has something new to show.
    const bool resized = width != drawnWidth_ || height != drawnHeight_;
    if (resized || root->WantsLayout()) root->Layout(width, height);
    if (!resized && !redrawRequested_ && events.count == 0 && !root->WantsDraw()) return;
    MakeCurrent();
    root->Draw(width, height);
    SwapBuffers();
    redrawRequested_ = false;
    drawnWidth_ = width;
    drawnHeight_ = height;
    ++drawnFrames;
}

void WndGx::GetClientBox(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const {
    int32_t width, height;
    GetClientOrigin(left, top);
    GetClientSize(width, height);
    right = left + width;
    bottom = top + height;
}

bool WndGx::Export(MemBlockCursor& cursor, int flag) {
    int32_t x, y, width, height;
    GetClientOrigin(x, y);
    GetClientSize(width, height);
    return cursor.WriteValue(x) && cursor.WriteValue(y) && cursor.WriteValue(width) && cursor.WriteValue(height) &&
           WriteString(cursor, GetTitle());
}

bool WndGx::Import(MemBlockCursor& cursor, double version, LocationCollector* collector) {
    int32_t x, y, width, height;
    WString title;
    if (!cursor.ReadValue(x) || !cursor.ReadValue(y) || !cursor.ReadValue(width) || !cursor.ReadValue(height) ||
        !ReadString(cursor, title))
        return false;
    return Create(x, y, width, height, true, title.CStr());
}

// A window made from its class key is the OpenGL one.
void RegisterWindowCellClasses() {
    RegisterCellDescriptor(
        WndGx::kClassKey, []() -> Cell* { return NewWindowGx(); }, []() { return WndGx::kBaseKey; },
        WndGx::kClassName);
    RegisterCellClass<WndGx_CreateNew_Msg>();
}
