// What the viewer chose before the show: resolution, colour depth, windowed.
#pragma once

namespace Sorva {

struct DemoSettings {
    int width = 1280;
    int height = 720;
    int bitsPerPixel = 32;
    int windowed = 1; // 1: a window on the desktop; 0: fullscreen
};

} // namespace Sorva
