// The window's cells. WndGx is the gate cell of one operating-system window:
// it queues the window's input events and runs its frame (pump, dispatch,
// time delta, minimum size, layout, draw, swap). GlWndGx (gx/glfw/) is the
// OpenGL window on GLFW and reports the same class key.
#pragma once

#include <mutex>

#include "core/container.h"
#include "cell/gates.h"
#include "gx/wnd_event.h"

class FontGx;

// What a window hands its frame's work to: the root of its UI tree, one of
// the window's cell children.
class WndRoot {
public:
    virtual ~WndRoot() = default;
    virtual void HandleEvent(const WndEvent& event) = 0;
    // The seconds since the window's previous frame (0 on the first).
    virtual void TimeDelta(float seconds) = 0;
    virtual void MinimumSize(int32_t& width, int32_t& height) const = 0;
    virtual bool WantsLayout() const = 0;
    virtual void Layout(int32_t width, int32_t height) = 0;
    virtual void Draw(int32_t width, int32_t height) = 0;
    // Whether this frame must draw: something changed, moves or was input
    // since the last draw. A root that cannot tell draws every frame.
    virtual bool WantsDraw() const { return true; }
};

class WndGx : public GCell, public ClipboardHolder {
    VELDO_CELL(WndGx, GCell, 0xE3E92FC1DCA177D9ULL)

public:
    static constexpr int32_t kQueueLimit = 8;

    // Appends an event; a queue already holding more than 7 is emptied first.
    // Any thread may queue.
    void QueueEvent(WndEvent* event);
    // Hands the queued events over, leaving the queue empty.
    void TakeQueuedEvents(Container<WndEvent>& events);
    // One frame (the gate's per-frame turn).
    void Frame() override;
    // The first child that is a window root, if any.
    WndRoot* Root();
    HCell* RootCell();

    // The window operations.
    virtual bool Create(int32_t x, int32_t y, int32_t width, int32_t height, bool visible, const WChar* title) {
        return false;
    }
    virtual void Destroy() {}
    virtual void SwapBuffers() {}
    virtual void SetSize(int32_t width, int32_t height) {}
    virtual void SetPosition(int32_t x, int32_t y) {}
    virtual void SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        SetPosition(left, top);
        SetSize(right - left, bottom - top);
    }
    virtual void SetTitle(const WChar* title) {}
    virtual void UseCursor1() {}
    virtual void UseCursor2() {}
    virtual void UseCursor3() {}
    virtual void SetTextCursor(const WChar* text, const FontGx& font) {}
    virtual void MakeCurrent() {}
    virtual void DisableVSync() {}
    virtual void PollEvents() {}
    void SetClipboardText(const WChar* text) override {}
    void GetClipboardText(WString& text) override { text.Assign(static_cast<const WChar*>(nullptr)); }
    virtual bool ShouldClose() const { return false; }
    virtual void SetShouldClose(bool flag) {}
    virtual void GetClientSize(int32_t& width, int32_t& height) const { width = height = 0; }
    virtual void GetClientOrigin(int32_t& x, int32_t& y) const { x = y = 0; }
    virtual void GetClientBox(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;
    virtual WString GetTitle() const { return WString(); }
    // Open and holding a root: the frame lays out and draws.
    virtual bool IsReady() { return Root() != nullptr; }
    // The next frame draws whatever the root says (the window was exposed).
    void RequestRedraw() { redrawRequested_ = true; }
    // Frames that drew and swapped (for tests and measuring).
    int64_t drawnFrames = 0;
    // A secondary window goes away when the user closes it; the main
    // window's closing ends the program instead.
    bool closesWhenAsked = false;

    // Stored form: client left, top, width, height, then the title.
    bool Export(MemBlockCursor& cursor, int flag) override;
    bool Import(MemBlockCursor& cursor, double version, LocationCollector* collector) override;

private:
    std::mutex queueLock_;
    Container<WndEvent> queue_;
    double lastFrameMs_ = -1;
    bool redrawRequested_ = true;
    int32_t drawnWidth_ = -1, drawnHeight_ = -1;

    void Dispatch(const WndEvent& event);
    void EndDropOutside(const WndEvent& event);
};

// Dragged from the cell browser: dropping it outside every window starts a
// new instance of the program.
class WndGx_CreateNew_Msg : public Cell {
    VELDO_CELL(WndGx_CreateNew_Msg, Cell, 0x1ACF30056EC2CC28ULL)
};

// A new, closed window of the backend (GlWndGx).
WndGx* NewWindowGx();

// Starts the backend's windowing, its errors going to the log; true when it
// runs. Creating a window starts it too.
bool StartWindowing();
// Ends the backend's windowing when the program stops (after the last
// window).
void TerminateWindowing();

void RegisterWindowCellClasses();
