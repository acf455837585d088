// The GLFW window. Sections: the window list; callbacks; creation and
// destruction; window operations.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "gx/glfw/gl_wnd_gx.h"

#include <cmath>
#include <mutex>

#include "core/dynamic_array.h"
#include "core/log.h"
#include "core/text_convert.h"
#include "gx/embedded_data.h"
#include "gx/draw_gx.h"
#include "gx/font_gx.h"
#include "gx/glfw/native_windows.h"
#include "sys/platform.h"
#include "sys/sys_io.h"

// ---- the window list ---------------------------------------------------------------

namespace {

// Recursive: on Windows a drag handed to another window of ours arrives
// there through its window procedure while the first window's callback
// still holds the list.
std::recursive_mutex g_windowLock;
DynamicArray<GlWndGx*> g_windows;
bool g_glfwStarted = false;

// With g_windowLock held.
GlWndGx* Find(GLFWwindow* handle) {
    for (int32_t i = 0; i < g_windows.count; ++i)
        if (g_windows.data[i]->handle == handle) return g_windows.data[i];
    return nullptr;
}

void Modifiers(int mods, WndEvent& e) {
    e.control = (mods & GLFW_MOD_CONTROL) ? 1 : 0;
    e.alt = (mods & GLFW_MOD_ALT) ? 1 : 0;
    e.shift = (mods & GLFW_MOD_SHIFT) ? 1 : 0;
    e.super = (mods & GLFW_MOD_SUPER) ? 1 : 0;
}

}  // namespace

GlWndGx* OwnWindowAt(const GlWndGx& except, int32_t sx, int32_t sy) {
    for (int32_t i = 0; i < g_windows.count; ++i) {
        GlWndGx* w = g_windows.data[i];
        if (w == &except || w->marker != GlWndGx::kMarker || !w->handle) continue;
        int32_t wl, wt, wr, wb;
        w->GetClientBox(wl, wt, wr, wb);
        if (sx >= wl && sx < wr && sy >= wt && sy < wb) return w;
    }
    return nullptr;
}

namespace {

// ---- callbacks --------------------------------------------------------------------

template <class F>
void WithWindow(GLFWwindow* handle, F&& body) {
    std::lock_guard<std::recursive_mutex> lock(g_windowLock);
    if (GlWndGx* w = Find(handle)) body(*w);  // events of unknown handles are dropped
}

void OnFocus(GLFWwindow* handle, int focused) {
    WithWindow(handle, [&](GlWndGx& w) { w.QueueEvent(new WndEvent{focused ? kWndFocus : kWndUnfocus}); });
}

void OnCharacter(GLFWwindow* handle, unsigned int codePoint) {
    WithWindow(handle, [&](GlWndGx& w) {
        auto* e = new WndEvent{kWndCharacter};
        e->character = int32_t(codePoint);
        w.QueueEvent(e);
    });
}

void OnKey(GLFWwindow* handle, int key, int scancode, int action, int mods) {
    WithWindow(handle, [&](GlWndGx& w) {
        auto* e = new WndEvent{action == GLFW_PRESS    ? kWndKeyPress
                               : action == GLFW_REPEAT ? kWndKeyRepeat
                                                       : kWndKeyRelease};
        e->key = key;
        e->scancode = scancode;
        Modifiers(mods, *e);
        w.QueueEvent(e);
    });
}

void OnScroll(GLFWwindow* handle, double dx, double dy) {
    WithWindow(handle, [&](GlWndGx& w) {
        int32_t width, height;
        w.GetClientSize(width, height);
        auto* e = new WndEvent{kWndScroll};
        e->x = std::floor(float(w.cursorX));
        e->y = std::floor(float(height - w.cursorY - 1));
        e->scrollX = float(dx);
        e->scrollY = float(dy);
        w.QueueEvent(e);
    });
}

void OnRefresh(GLFWwindow* handle) {
    WithWindow(handle, [&](GlWndGx& w) {
        w.RequestRedraw();
        if (WndRoot* root = w.Root()) {
            int32_t width, height;
            w.GetClientSize(width, height);
            root->Layout(width, height);
        }
    });
}

void OnCursorPos(GLFWwindow* handle, double x, double y) {
    WithWindow(handle, [&](GlWndGx& w) { w.OnCursor(x, y); });
}

// Presses use the pointer's place from the last move event. Two changes
// bring none: a window moving under a still pointer, and a pointer
// entering at the very place GLFW last reported (it drops such a move).
// Then the place is asked for anew.
void AskPointerPlace(GLFWwindow* handle) {
    WithWindow(handle, [&](GlWndGx& w) { glfwGetCursorPos(handle, &w.cursorX, &w.cursorY); });
}

void OnWindowPos(GLFWwindow* handle, int, int) { AskPointerPlace(handle); }

// The size as the server last told it: asking it every frame would cost a
// round trip an idle window does not need.
void OnWindowSize(GLFWwindow* handle, int width, int height) {
    WithWindow(handle, [&](GlWndGx& w) {
        w.clientWidth = width;
        w.clientHeight = height;
    });
}

void OnCursorEnter(GLFWwindow* handle, int entered) {
    if (entered) AskPointerPlace(handle);
}

void OnMouseButton(GLFWwindow* handle, int button, int action, int mods) {
    WithWindow(handle, [&](GlWndGx& w) { w.OnButton(button, action == GLFW_PRESS, mods); });
}

void InstallCallbacks(GLFWwindow* h, bool on) {
    glfwSetWindowFocusCallback(h, on ? OnFocus : nullptr);
    glfwSetCursorPosCallback(h, on ? OnCursorPos : nullptr);
    glfwSetMouseButtonCallback(h, on ? OnMouseButton : nullptr);
    glfwSetScrollCallback(h, on ? OnScroll : nullptr);
    glfwSetCharCallback(h, on ? OnCharacter : nullptr);
    glfwSetKeyCallback(h, on ? OnKey : nullptr);
    glfwSetWindowRefreshCallback(h, on ? OnRefresh : nullptr);
    glfwSetWindowSizeCallback(h, on ? OnWindowSize : nullptr);
    glfwSetWindowPosCallback(h, on ? OnWindowPos : nullptr);
    glfwSetCursorEnterCallback(h, on ? OnCursorEnter : nullptr);
}

}  // namespace

// With the window list locked.
void GlWndGx::OnCursor(double x, double y, int held) {
    cursorX = x;
    cursorY = y;
    int32_t width, height;
    GetClientSize(width, height);
    const bool outside = x < 0 || y < 0 || x >= width || y >= height;
    if (held < 0) held = HeldButtons(*this);
    // A drag that left this window over another of ours moves there.
    if (outside && pointer.IsDragging() && HandPointerOver(*this, x, y, PointerHandOver::kMove, held, 0)) return;
    auto* e = new WndEvent;
    e->type = pointer.Move(held & 1, held & 2);
    e->x = std::floor(float(x));
    e->y = std::floor(float(height - y - 1));
    QueueEvent(e);
}

// With the window list locked.
void GlWndGx::OnButton(int button, bool press, int mods) {
    const double x = cursorX, y = cursorY;
    int32_t width, height;
    GetClientSize(width, height);
    const bool wasDragging = pointer.IsDragging();
    const int32_t which = button == GLFW_MOUSE_BUTTON_RIGHT ? 1 : button == GLFW_MOUSE_BUTTON_MIDDLE ? 2 : 0;
    auto* e = new WndEvent;
    e->x = std::floor(float(x));
    e->y = std::floor(float(height - y - 1));
    e->type = pointer.Button(which, press, e->x, e->y, pointerClockMs());
    Modifiers(mods, *e);
    if (e->type == kWndLeftDrop || e->type == kWndRightDrop) {
        const PointerHandOver release =
            e->type == kWndLeftDrop ? PointerHandOver::kLeftRelease : PointerHandOver::kRightRelease;
        if (e->x >= 0 && e->x <= width && e->y >= 0 && e->y <= height) {
            e->handledElsewhere = 1;
        } else if (wasDragging && HandPointerOver(*this, x, y, release, 0, mods)) {
            e->handledElsewhere = 1;  // dropped on another window of ours
        }
    }
    QueueEvent(e);
}

// ---- creation and destruction ---------------------------------------------------------

GlWndGx::GlWndGx() { pointer.lastPressMs = SysClockMs() - 1000.0; }

GlWndGx::~GlWndGx() { Destroy(); }

namespace {

// GLFW's images are bytes R, G, B, A; ours are 0xAARRGGBB words.
void ArgbToRgba(const DynamicArray<uint32_t>& argb, DynamicArray<unsigned char>& rgba) {
    rgba.Resize(argb.count * 4);
    for (int32_t i = 0; i < argb.count; ++i) {
        const uint32_t c = argb.data[i];
        rgba.data[i * 4 + 0] = (c >> 16) & 255;
        rgba.data[i * 4 + 1] = (c >> 8) & 255;
        rgba.data[i * 4 + 2] = c & 255;
        rgba.data[i * 4 + 3] = c >> 24;
    }
}

void SetIcons(GLFWwindow* handle) {
    DynamicArray<uint32_t> pixels[3];
    DynamicArray<unsigned char> rgba[3];
    GLFWimage images[3];
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        const EmbeddedBlock png = WindowIcon(i);
        int32_t w = 0, h = 0;
        if (!DecodePng(png.data, png.size, pixels[i], w, h)) continue;
        ArgbToRgba(pixels[i], rgba[i]);
        images[count++] = GLFWimage{w, h, rgba[i].data};
    }
    if (count) glfwSetWindowIcon(handle, count, images);
}

}  // namespace

namespace {

// GLFW's complaints go to the log, where a failed window can be explained.
void LogGlfwError(int code, const char* description) {
    WString text;
    Utf8ToWide(description ? description : "", text);
    // The format's own line end and the line's leave an empty line after it.
    LogLine(WTXT("Glfw error (%d) : %s\n"), code, text);
}

}  // namespace

bool StartWindowing() {
    if (!g_glfwStarted) {
        glfwSetErrorCallback(LogGlfwError);
        g_glfwStarted = glfwInit() == GLFW_TRUE;
    }
    return g_glfwStarted;
}

bool GlWndGx::Create(int32_t x, int32_t y, int32_t width, int32_t height, bool visible, const WChar* text) {
    if (handle) return true;
    // No display is not a missing OpenGL: the user is told what to do.
    if (!StartWindowing()) {
        GetSysIO().ShowError(WTXT("Cannot open a window: there is no display."),
                             WTXT("Without one, run the installer with -unattended list, install or remove."));
        return false;
    }
    {
        glfwDefaultWindowHints();
        glfwWindowHint(GLFW_VISIBLE, visible ? GLFW_TRUE : GLFW_FALSE);
        glfwWindowHint(GLFW_FOCUSED, GLFW_TRUE);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
        glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_RED_BITS, 8);
        glfwWindowHint(GLFW_GREEN_BITS, 8);
        glfwWindowHint(GLFW_BLUE_BITS, 8);
        glfwWindowHint(GLFW_ALPHA_BITS, 8);
        glfwWindowHint(GLFW_DEPTH_BITS, 32);
        glfwWindowHint(GLFW_STENCIL_BITS, 0);
        glfwWindowHint(GLFW_SAMPLES, 0);
        glfwWindowHint(GLFW_AUX_BUFFERS, 0);
        glfwWindowHint(GLFW_STEREO, GLFW_FALSE);
        glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
        handle = glfwCreateWindow(width, height, "", nullptr, nullptr);
    }
    if (!handle) {
        GetSysIO().ShowError(WTXT("Cannot create window! OpenGL 3.2 is required!"), nullptr);
        return false;
    }
    SetTitle(text);
    glfwMakeContextCurrent(handle);
    glfwSwapInterval(1);
    {
        std::lock_guard<std::recursive_mutex> lock(g_windowLock);
        const int32_t n = g_windows.count;
        if (n == g_windows.capacity) {  // grown sixteen at a time
            g_windows.Resize(n + 16);
            g_windows.Resize(n);
        }
        g_windows.Append(this);
    }
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        GetSysIO().ShowError(WTXT("Cannot initialize OpenGL! OpenGL 3.2 is required!"), nullptr);
        return false;
    }
    glGetError();  // GLEW's probe leaves an error behind on core contexts
    glfwGetWindowSize(handle, &clientWidth, &clientHeight);
    InstallCallbacks(handle, true);
    glfwSetWindowPos(handle, x, y);
    glfwGetCursorPos(handle, &cursorX, &cursorY);
    SetIcons(handle);
    marker = kMarker;
    MarkNativeWindow(*this, true);
    return true;
}

void GlWndGx::Destroy() {
    if (!handle) return;
    // The children's textures and meshes live in this window's context:
    // they go while it is still there.
    glfwMakeContextCurrent(handle);
    children.Clear();
    for (GLFWcursor*& c : cursors)
        if (c) glfwDestroyCursor(c), c = nullptr;
    if (textCursor) glfwDestroyCursor(textCursor), textCursor = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(g_windowLock);
        for (int32_t i = 0; i < g_windows.count; ++i)
            if (g_windows.data[i] == this) {
                g_windows.Erase(i, i + 1);
                break;
            }
    }
    InstallCallbacks(handle, false);
    MarkNativeWindow(*this, false);
    glfwDestroyWindow(handle);
    handle = nullptr;
    marker = 0;
}

WndGx* NewWindowGx() { return new GlWndGx; }

void TerminateWindowing() {
    if (g_glfwStarted) glfwTerminate();
    g_glfwStarted = false;
}

// ---- window operations --------------------------------------------------------------------

void WindowTitleText(const WChar* title, NString& utf8) {
    char bytes[512];
    int32_t n = 0;
    for (const WChar* c = title; c && *c && n < 511; ++c) bytes[n++] = uint16_t(*c) >= 0x80 ? '?' : char(*c);
    bytes[n] = 0;
    utf8.Assign(bytes);
}

void GlWndGx::SetTitle(const WChar* text) {
    title.Assign(text);
    if (!handle) return;
    NString utf8;
    WindowTitleText(text, utf8);
    glfwSetWindowTitle(handle, utf8.CStr());
}

void GlWndGx::SwapBuffers() {
    if (handle) glfwSwapBuffers(handle);
}

void GlWndGx::SetSize(int32_t width, int32_t height) {
    if (!handle) return;
    glfwSetWindowSize(handle, width, height);
    // Granted as asked until the server says otherwise.
    clientWidth = width;
    clientHeight = height;
    if (WndRoot* root = Root()) {
        int32_t w, h;
        GetClientSize(w, h);
        root->Layout(w, h);
    }
}

void GlWndGx::SetPosition(int32_t x, int32_t y) {
    if (handle && !glfwGetWindowMonitor(handle)) glfwSetWindowPos(handle, x, y);
}

void GlWndGx::UseCursor1() {
    if (handle) glfwSetCursor(handle, cursors[0]);
}
void GlWndGx::UseCursor2() {
    if (handle) glfwSetCursor(handle, cursors[1]);
}
void GlWndGx::UseCursor3() {
    if (handle) glfwSetCursor(handle, cursors[2]);
}

void GlWndGx::SetTextCursor(const WChar* text, const FontGx& font) {
    if (!handle || !text || !*text) return;
    int32_t width = 0, height = 0;
    font.MeasureText(text, width, height);
    if (width <= 0 || height <= 0) return;
    DynamicArray<uint32_t> pixels;
    pixels.Resize(width * height);
    for (int32_t i = 0; i < pixels.count; ++i) pixels.data[i] = 0x3f000000;
    font.PaintText(pixels.data, width, height, text, 0, 0);
    DynamicArray<unsigned char> rgba;
    ArgbToRgba(pixels, rgba);
    const GLFWimage image{width, height, rgba.data};
    GLFWcursor* cursor = glfwCreateCursor(&image, width / 2, height / 2);
    if (!cursor) return;
    glfwSetCursor(handle, cursor);
    if (textCursor) glfwDestroyCursor(textCursor);
    textCursor = cursor;
}

void GlWndGx::MakeCurrent() {
    if (handle) glfwMakeContextCurrent(handle);
}

void GlWndGx::DisableVSync() { glfwSwapInterval(0); }

void GlWndGx::PollEvents() {
    if (handle) glfwPollEvents();
}

void GlWndGx::SetClipboardText(const WChar* text) {
    if (!handle) return;
    NString utf8;
    WideToUtf8(text, utf8);
    glfwSetClipboardString(handle, utf8.CStr());
}

void GlWndGx::GetClipboardText(WString& text) {
    const char* utf8 = handle ? glfwGetClipboardString(handle) : nullptr;
    Utf8ToWide(utf8 ? utf8 : "", text);
}

bool GlWndGx::ShouldClose() const { return handle && glfwWindowShouldClose(handle); }

void GlWndGx::SetShouldClose(bool flag) {
    if (handle) glfwSetWindowShouldClose(handle, flag ? GLFW_TRUE : GLFW_FALSE);
}

void GlWndGx::GetClientSize(int32_t& width, int32_t& height) const {
    width = handle ? clientWidth : 0;
    height = handle ? clientHeight : 0;
}

void GlWndGx::GetClientOrigin(int32_t& x, int32_t& y) const {
    x = y = 0;
    if (handle) glfwGetWindowPos(handle, &x, &y);
}
