// The setup step of start-up: the viewer picks the resolution and fullscreen.
#pragma once

#include "app/DemoSettings.h"

namespace Sorva {

// Lists the primary monitor's modes in the setup dialog and writes the
// viewer's choice into the settings. Returns 1 after "Demo", 0 after cancel
// or close, and -1 with one line on stderr when the dialog cannot be shown:
// the settings then hold what the dialog would have preselected.
int showSetupDialog(DemoSettings& settings);

} // namespace Sorva
