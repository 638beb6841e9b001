// The render thread's side of the show report: each frame's scene weights,
// the blue feedback's titles and, while the particle ball renders, its
// camera and emitters, followed
// on every frame rendered (unwritten frames before --from included, as the
// ball's own history runs through them).
#pragma once

#include "gl/Surface.h"
#include "sync/Track.h"
#include "tools/capture/BallView.h"
#include "tools/capture/ShowReport.h"

#include <array>
#include <string>

namespace Sorva {

class ReportProbe {
public:
    // solo: the effect shown alone (--effect), empty for the show.
    ReportProbe(Gl::Surface& surface, const std::string& solo);

    // Once a frame, in order, with the music at the frame.
    ShowReport::Scene next();

private:
    std::array<Track, 5> weights_;
    std::array<Track, 3> titleWeights_;
    Track titleWipe_;
    BallView ball_;
    bool soloBall_;
    bool soloOther_;
    bool soloFeedback_;
};

} // namespace Sorva
