// Reading a frame's scene for the show report.
#include "tools/capture/ReportProbe.h"

#include "scene/SceneDirector.h"

#include <cmath>

namespace Sorva {

ReportProbe::ReportProbe(Gl::Surface& surface, const std::string& solo)
    : weights_{Track("fusing-weight-0"), Track("fusing-weight-1"), Track("fusing-weight-2"),
               Track("fusing-weight-3"), Track("fusing-weight-4")},
      titleWeights_{Track("blue-feedback-w-a"), Track("blue-feedback-w-b"),
                    Track("blue-feedback-w-c")},
      titleWipe_("blue-feedback-tex-y-threshold"), ball_(surface), soloBall_(solo == "pball"),
      soloOther_(!solo.empty() && !soloBall_), soloFeedback_(solo == "feedback") {}

ShowReport::Scene ReportProbe::next() {
    ShowReport::Scene scene;
    for (std::size_t slot = 0; slot < weights_.size(); ++slot)
        scene.weights[slot] = weights_[slot].value();
    // The ball renders alone, or in the show while its weight lets it.
    scene.ballShown = soloBall_ || (!soloOther_ && SceneDirector::rendersWeight(scene.weights[0]));
    // A title is shown in full when the blue feedback is, at full weight,
    // and its wipe has passed the title's top row.
    const bool feedback = soloFeedback_ || (!soloOther_ && !soloBall_ &&
                                            std::abs(scene.weights[2]) >= ShowReport::fullWeight);
    if (feedback && titleWipe_.value() >= ShowReport::fullWipe)
        for (std::size_t t = 0; t < titleWeights_.size(); ++t) {
            bool alone = true;
            for (std::size_t other = 0; other < titleWeights_.size(); ++other)
                alone = alone && (other == t ||
                                  titleWeights_[other].value() <= 1.0 - ShowReport::fullWeight);
            if (alone && titleWeights_[t].value() >= ShowReport::fullWeight)
                scene.title = static_cast<int>(t);
        }
    if (scene.ballShown) {
        ball_.advance();
        scene.emitters = ball_.emitters();
    }
    return scene;
}

} // namespace Sorva
