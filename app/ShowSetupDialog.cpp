// The setup step: the primary monitor's modes through the mode rules into the
// platform's dialog, and the viewer's choice back into the settings.
#include "app/ShowSetupDialog.h"

#include "app/ModeList.h"
#include "app/SetupDialog.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace Sorva {

namespace {

// The primary monitor's video modes in GLFW's order and its current size.
// Returns false with the cause when the window system cannot be started. The
// window system is shut down again: the display context starts it afresh.
bool primaryMonitorModes(std::vector<DisplayMode>& modes, ModeList::Size& screen,
                         std::string& cause) {
    if (!glfwInit()) {
        const char* description = nullptr;
        glfwGetError(&description);
        cause = description && *description ? description : "glfwInit failed";
        return false;
    }
    if (GLFWmonitor* monitor = glfwGetPrimaryMonitor()) {
        int count = 0;
        const GLFWvidmode* found = glfwGetVideoModes(monitor, &count);
        for (int i = 0; found && i < count; ++i)
            modes.push_back({found[i].width, found[i].height,
                             colourDepth(found[i].redBits, found[i].greenBits, found[i].blueBits)});
        if (const GLFWvidmode* current = glfwGetVideoMode(monitor))
            screen = {current->width, current->height};
    }
    glfwTerminate();
    return true;
}

} // namespace

int showSetupDialog(DemoSettings& settings) {
    std::vector<DisplayMode> modes;
    ModeList::Size screen{};
    std::string cause;
    if (!primaryMonitorModes(modes, screen, cause)) {
        // Without a window system the show cannot open its window either;
        // the display context says so next.
        std::fprintf(stderr, "Cannot show the setup dialog: %s.\n", cause.c_str());
        return -1;
    }

    const ModeList list(modes, settings, screen);
    const SetupDialog::Outcome outcome = SetupDialog::create()->run(list);
    if (!outcome.shown) {
        // The show starts with what the dialog would have preselected, so a
        // window never starts larger than the screen.
        list.apply({true, list.selectedLine(), list.fullscreen()}, settings);
        std::fprintf(stderr, "Cannot show the setup dialog: %s; starting at %d x %d, %s.\n",
                     outcome.failure.c_str(), settings.width, settings.height,
                     settings.windowed == 1 ? "windowed" : "fullscreen");
        return -1;
    }
    return list.apply(outcome.choice, settings);
}

} // namespace Sorva
