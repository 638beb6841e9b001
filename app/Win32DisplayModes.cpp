// The primary display's modes as Windows enumerates them: index 0, 1, 2, ...
// of EnumDisplaySettingsA until it fails, with their bits per pixel.
#include "app/DisplayModes.h"

#include <windows.h>

namespace Sorva {

bool primaryDisplayModes(DisplayModes& found, std::string&) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i)
        found.modes.push_back(
            {int(mode.dmPelsWidth), int(mode.dmPelsHeight), int(mode.dmBitsPerPel)});
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        found.screen = {int(mode.dmPelsWidth), int(mode.dmPelsHeight)};
    return true;
}

} // namespace Sorva
