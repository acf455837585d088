// GlWndGx: a window with an OpenGL 3.2 core context on GLFW.
#pragma once

#include "gx/window_cells.h"
#include "sys/platform.h"

struct GLFWwindow;
struct GLFWcursor;

class GlWndGx : public WndGx {
public:
    // Marks the program's own windows, so that a drag can be handed over.
    static constexpr uint64_t kMarker = 0x123675c2e0c747caULL;

    GLFWwindow* handle = nullptr;
    uint64_t marker = 0;
    WndPointerState pointer;
    // The clock a button event is timed by when it is handled (the double
    // click's 300 ms): the system's steady clock; a test gives its own, so
    // that what it proves does not hang on how fast the machine handles
    // events.
    double (*pointerClockMs)() = SysClockMs;
    WString title;
    GLFWcursor* cursors[3] = {};
    GLFWcursor* textCursor = nullptr;
    // The pointer as the last move event placed it (GLFW's from the top):
    // asking the server instead would give where it is now, after events
    // still waiting in the queue.
    double cursorX = 0, cursorY = 0;
    // The client size as last asked for or reported by the server.
    int32_t clientWidth = 0, clientHeight = 0;

    GlWndGx();
    ~GlWndGx() override;

    bool Create(int32_t x, int32_t y, int32_t width, int32_t height, bool visible, const WChar* title) override;
    void Destroy() override;
    void SwapBuffers() override;
    void SetSize(int32_t width, int32_t height) override;
    void SetPosition(int32_t x, int32_t y) override;
    void SetTitle(const WChar* title) override;
    void UseCursor1() override;
    void UseCursor2() override;
    void UseCursor3() override;
    void SetTextCursor(const WChar* text, const FontGx& font) override;
    void MakeCurrent() override;
    void DisableVSync() override;
    void PollEvents() override;
    void SetClipboardText(const WChar* text) override;
    void GetClipboardText(WString& text) override;
    bool ShouldClose() const override;
    void SetShouldClose(bool flag) override;
    void GetClientSize(int32_t& width, int32_t& height) const override;
    void GetClientOrigin(int32_t& x, int32_t& y) const override;
    WString GetTitle() const override { return title; }
    bool IsReady() override { return handle && WndGx::IsReady(); }

    // The pointer's handling, also reached from another window of ours that
    // hands a drag over. x and y are GLFW's (from the top).
    // held: the buttons another window saw held (1 left, 2 right), or -1
    // to ask the system.
    void OnCursor(double x, double y, int held = -1);
    void OnButton(int button, bool press, int mods);
};

// Another open window of the program (not except) whose client area holds
// the screen point; null when none. With the window list locked.
GlWndGx* OwnWindowAt(const GlWndGx& except, int32_t sx, int32_t sy);

// The title as the window shows it: characters from U+0080 become "?", at
// most 511 of them.
void WindowTitleText(const WChar* title, NString& utf8);

