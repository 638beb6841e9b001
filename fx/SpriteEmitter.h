// One sprite emitter of the particle ball: which sprite image, where, how
// large, and its cumulative probability among the emitters, each read from
// a track "emit-<name>-...".
#pragma once

#include "sync/Track.h"

#include <array>
#include <cstdint>
#include <string>

namespace Sorva {

struct SpriteEmitter {
    std::int32_t textureId = 0;
    std::array<float, 3> pos = {0.0f, 0.0f, 0.0f};
    std::array<float, 3> scale = {1.0f, 1.0f, 1.0f};
    float lifetime = 0.0f;
    float cumprob = 0.0f;
    // In the order pos-x, pos-y, pos-z, scale-x, scale-y, scale-z,
    // texture-id, lifetime, cumprob.
    std::array<Track, 9> tracks;

    // The sprite index a "-texture-id" value selects before limiting: the
    // value plus 0.5, rounded down, kept in 32 bits.
    static std::int32_t roundTextureId(double value);
    // The image an index selects among `count`: the index read as unsigned,
    // limited to the last image, so a negative index selects the last too.
    static std::uint32_t imageIndex(std::int32_t textureId, std::uint32_t count);

    // Refreshes every field from its track at the current row.
    void refresh();
};

// An emitter at its initial values, bound to "emit-" + name + each suffix.
SpriteEmitter makeEmitter(const std::string& name);

} // namespace Sorva
