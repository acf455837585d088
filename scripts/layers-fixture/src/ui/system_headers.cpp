// System headers outside the backends.
#include <windows.h>
#include <unistd.h>
#include <GLFW/glfw3.h>
#include <GL/glew.h>
#include <X11/Xlib.h>
#include <lodepng.h>
