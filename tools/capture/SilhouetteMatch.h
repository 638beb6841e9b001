// How well the particle cloud in a captured frame reads as the sprite it
// was spawned from: the sprite is laid out where the particle ball lays it
// (centred on the emitter, sized by its scale, bulging towards the camera)
// and seen through the ball's camera, and its opacity is correlated with
// the frame thresholded by brightness over the sprite's rectangle on
// screen and a margin round it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace Sorva {

class FrameRegions;

// A sprite's opacity, top row first.
struct SpriteAlpha {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> alpha;
};

// Where an emitter lays its sprite and the camera that sees it.
struct SpritePlacement {
    std::array<float, 16> viewProjection{}; // P x V, column-major
    std::array<float, 3> pos{};
    std::array<float, 3> scale{};
};

class SilhouetteMatch {
public:
    // Round the sprite's rectangle on screen, this share of its size on
    // each side is looked at as well: a cloud spilling over shows.
    static constexpr double margin = 0.15;

    // The Pearson correlation, from -1 to 1, of the frame's luma above
    // Otsu's threshold with the sprite's opacity as seen, over the sprite's
    // rectangle and margin within the picture. None when less than half of
    // the rectangle lies in the picture or any of it is behind the camera.
    static std::optional<double> match(const FrameRegions& regions, const std::uint8_t* rgb,
                                       const SpriteAlpha& sprite, const SpritePlacement& placement);

    // The same for an image drawn flat and stretched over the frame's
    // rectangle [left, left + width) x [top, top + height), in pixels from
    // the top-left corner, as a scene lays its titles.
    static std::optional<double> matchFlat(const FrameRegions& regions, const std::uint8_t* rgb,
                                           const SpriteAlpha& image, double left, double top,
                                           double width, double height);
};

} // namespace Sorva
