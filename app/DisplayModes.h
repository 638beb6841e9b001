// The primary display's modes, in the order the platform enumerates them,
// and its current size: what the setup dialog's mode rules are applied to.
// One implementation per platform, chosen at build time.
#pragma once

#include "app/ModeList.h"

#include <string>
#include <vector>

namespace Sorva {

struct DisplayModes {
    std::vector<DisplayMode> modes;
    ModeList::Size screen{}; // {0, 0} when unknown
};

// False, with the cause, when the display cannot be asked at all.
bool primaryDisplayModes(DisplayModes& found, std::string& cause);

} // namespace Sorva
