// Told where one frame's work begins and ends (each scene's render, the
// combiner, the post chain), for timing it; the capture tool's benchmark is
// the observer. An unobserved frame does no extra work.
#pragma once

#include <cstddef>

namespace Sorva {

class FrameObserver {
public:
    enum class Stage {
        Scene,     // one effect's render, on frames its weight lets it render
        Combiner,  // the director's blend of the five scene framebuffers
        PostChain, // the six post-processing passes
        Solo,      // one effect shown alone, in place of the scenes and combiner
        Step,      // one step of an effect's render that times its parts; slot numbers it
    };

    virtual ~FrameObserver() = default;

    // slot: the scene's slot for Stage::Scene, the step for Stage::Step, 0
    // otherwise.
    virtual void begin(Stage stage, std::size_t slot) = 0;
    virtual void end(Stage stage, std::size_t slot) = 0;
};

} // namespace Sorva
