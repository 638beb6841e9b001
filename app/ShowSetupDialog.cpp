// The setup step: the primary display's modes through the mode rules into the
// platform's dialog, and the viewer's choice back into the settings.
#include "app/ShowSetupDialog.h"

#include "app/DisplayModes.h"
#include "app/ModeList.h"
#include "app/SetupDialog.h"

#include <cstdio>
#include <string>

namespace Sorva {

int showSetupDialog(DemoSettings& settings) {
    DisplayModes display;
    std::string cause;
    if (!primaryDisplayModes(display, cause)) {
        // Without a window system the show cannot open its window either;
        // the display context says so next.
        std::fprintf(stderr, "Cannot show the setup dialog: %s.\n", cause.c_str());
        return -1;
    }

    const ModeList list(display.modes, settings, display.screen);
    const SetupDialog::Outcome outcome = SetupDialog::create(settings.instance)->run(list);
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
