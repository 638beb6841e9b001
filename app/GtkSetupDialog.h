// The setup dialog on Linux desktops, drawn with GTK 3 (kept out of this header).
#pragma once

#include "app/SetupDialog.h"

namespace Sorva {

class GtkSetupDialog : public SetupDialog {
public:
    Outcome run(const ModeList& modes) override;
};

} // namespace Sorva
