// The primary monitor's modes through GLFW, on X11.
#include "app/DisplayModes.h"

#include <GLFW/glfw3.h>

namespace Sorva {

bool primaryDisplayModes(DisplayModes& found, std::string& cause) {
    if (!glfwInit()) {
        const char* description = nullptr;
        glfwGetError(&description);
        cause = description && *description ? description : "glfwInit failed";
        return false;
    }
    if (GLFWmonitor* monitor = glfwGetPrimaryMonitor()) {
        int count = 0;
        const GLFWvidmode* modes = glfwGetVideoModes(monitor, &count);
        for (int i = 0; modes && i < count; ++i)
            found.modes.push_back(
                {modes[i].width, modes[i].height,
                 colourDepth(modes[i].redBits, modes[i].greenBits, modes[i].blueBits)});
        if (const GLFWvidmode* current = glfwGetVideoMode(monitor))
            found.screen = {current->width, current->height};
    }
    // The display context starts the window system afresh.
    glfwTerminate();
    return true;
}

} // namespace Sorva
