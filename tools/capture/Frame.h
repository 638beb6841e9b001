// One captured picture on its way from the GPU to a writer.
#pragma once

#include <cstdint>
#include <vector>

namespace Sorva {

struct Frame {
    std::int64_t number = 0; // counted from the show's start
    double seconds = 0.0;
    double row = 0.0;
    int width = 0;
    int height = 0;
    // RGB, 8 bits a channel, top row first: what the window would show,
    // without the alpha channel that no viewer sees.
    std::vector<std::uint8_t> pixels;

    static constexpr int channels = 3;
};

} // namespace Sorva
