// The setup step of start-up: the viewer picks the resolution and fullscreen.
#pragma once

#include "app/DemoSettings.h"

namespace Sorva {

// Lists the primary monitor's modes in the setup dialog and writes the
// viewer's choice into the settings. Returns 1 after "Demo", 0 after cancel
// or close, and -1 (settings untouched, one line on stderr) when the dialog
// cannot be shown.
int showSetupDialog(DemoSettings& settings);

} // namespace Sorva
