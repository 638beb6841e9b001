// What the viewer chose before the show: resolution, colour depth, windowed;
// and where the setup dialog is found.
#pragma once

namespace Sorva {

struct DemoSettings {
    int width = 1280;
    int height = 720;
    int bitsPerPixel = 32;
    int windowed = 1;         // 1: a window on the desktop; 0: fullscreen
    void* instance = nullptr; // the program's own module, where the dialog's resources are
};

} // namespace Sorva
