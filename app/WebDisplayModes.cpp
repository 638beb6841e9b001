// The page's "display": the usual 16:9 sizes that fit the browser window in
// device pixels (its CSS size times devicePixelRatio), which is the screen.
#include "app/DisplayModes.h"

#include <emscripten.h>

namespace Sorva {

namespace {

EM_JS(int, halvoWindowDevicePixels, (int axis), {
    const ratio = window.devicePixelRatio || 1;
    return Math.floor((axis == 0 ? window.innerWidth : window.innerHeight) * ratio);
});

constexpr ModeList::Size wideSizes[] = {{640, 360},   {960, 540},   {1280, 720}, {1600, 900},
                                        {1920, 1080}, {2560, 1440}, {3840, 2160}};

} // namespace

bool primaryDisplayModes(DisplayModes& found, std::string&) {
    found.screen = {halvoWindowDevicePixels(0), halvoWindowDevicePixels(1)};
    for (const ModeList::Size size : wideSizes)
        if (size.width <= found.screen.width && size.height <= found.screen.height)
            found.modes.push_back({size.width, size.height, 32});
    return true;
}

} // namespace Sorva
