// Reading a frame's scene for the show report.
#include "tools/capture/ReportProbe.h"

#include "scene/SceneDirector.h"

namespace Sorva {

ReportProbe::ReportProbe(Gl::Surface& surface, const std::string& solo)
    : weights_{Track("fusing-weight-0"), Track("fusing-weight-1"), Track("fusing-weight-2"),
               Track("fusing-weight-3"), Track("fusing-weight-4")},
      ball_(surface), soloBall_(solo == "pball"), soloOther_(!solo.empty() && !soloBall_) {}

ShowReport::Scene ReportProbe::next() {
    ShowReport::Scene scene;
    for (std::size_t slot = 0; slot < weights_.size(); ++slot)
        scene.weights[slot] = weights_[slot].value();
    // The ball renders alone, or in the show while its weight lets it.
    scene.ballShown = soloBall_ || (!soloOther_ && SceneDirector::rendersWeight(scene.weights[0]));
    if (scene.ballShown) {
        ball_.advance();
        scene.emitters = ball_.emitters();
    }
    return scene;
}

} // namespace Sorva
