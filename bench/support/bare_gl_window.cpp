// The reference for the program's first frame: a bare GLFW window with the
// same context the program asks for, cleared to a button's colour and shown,
// then waiting for events until it is closed.
#include <GLFW/glfw3.h>

int main(int argc, char** argv) {
    if (!glfwInit()) return 1;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    GLFWwindow* window = glfwCreateWindow(800, 600, argc > 1 ? argv[1] : "Bare window", nullptr, nullptr);
    if (!window) return 1;
    glfwMakeContextCurrent(window);
    while (!glfwWindowShouldClose(window)) {
        glClearColor(0x22 / 255.0f, 0x33 / 255.0f, 0x44 / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glfwSwapBuffers(window);
        glfwWaitEvents();
    }
    glfwTerminate();
    return 0;
}
