// The setup dialog on Windows: the modal dialog of resource template 101,
// with the banner bitmap 103 (app/resources/SetupDialog.rc).
#pragma once

#include "app/SetupDialog.h"

namespace Sorva {

class Win32SetupDialog : public SetupDialog {
public:
    // instance: the module whose resources hold the template.
    explicit Win32SetupDialog(void* instance) : instance_(instance) {}
    Outcome run(const ModeList& modes) override;

private:
    void* instance_;
};

} // namespace Sorva
