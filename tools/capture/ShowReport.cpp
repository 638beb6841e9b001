// Collecting the show report frame by frame, and writing it out.
#include "tools/capture/ShowReport.h"

#include "fx/PBall.h"
#include "gl/DecodedImage.h"
#include "tools/capture/Frame.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace Sorva {

ShowReport::ShowReport(const std::filesystem::path& path, const ReportWriter::Run& run,
                       std::vector<Choreo::TuneEvent> events, std::int64_t first, std::int64_t end)
    : file_(path), run_(run), events_(std::move(events)), first_(first),
      meter_(run.width, run.height), scenes_(static_cast<std::size_t>(end - first)) {
    frames_.reserve(scenes_.size());
}

void ShowReport::setScene(std::int64_t frame, const Scene& scene) {
    scenes_.at(static_cast<std::size_t>(frame - first_)) = scene;
}

void ShowReport::write(const Frame& frame) {
    const Scene& scene = scenes_.at(static_cast<std::size_t>(frame.number - first_));
    ReportFrame& f = frames_.emplace_back();
    f.seconds = frame.seconds;
    f.row = frame.row;
    f.measures = meter_.measure(frame.pixels.data());
    f.weights = scene.weights;
    if (!scene.ballShown)
        return;
    for (std::size_t j = 0; j < scene.emitters.size(); ++j) {
        const BallView::Emitter& e = scene.emitters[j];
        const SpriteAlpha* alpha = e.share > 0.0 ? sprite(e.image) : nullptr;
        if (!alpha)
            continue;
        if (const auto match =
                SilhouetteMatch::match(meter_.regions(), frame.pixels.data(), *alpha, e.placement))
            f.sprites.push_back({e.image, static_cast<int>(j), *match});
    }
}

const SpriteAlpha* ShowReport::sprite(std::uint32_t image) {
    auto [at, added] = sprites_.try_emplace(image);
    if (added) {
        const std::string path = std::string("./data/img/") + PBall::spriteFiles.at(image);
        // Within the show's own image limit: a sprite the show would refuse
        // is not scored either.
        const Gl::DecodedImage decoded(path);
        if (!decoded.pixels()) {
            std::fprintf(stderr, "halvo-capture: the report leaves out sprite %s: %s\n",
                         path.c_str(), decoded.problem().c_str());
            return nullptr;
        }
        SpriteAlpha& alpha = at->second.emplace();
        alpha.width = decoded.width();
        alpha.height = decoded.height();
        alpha.alpha.resize(static_cast<std::size_t>(decoded.width()) * decoded.height());
        for (std::size_t i = 0; i < alpha.alpha.size(); ++i)
            alpha.alpha[i] = decoded.pixels()[4 * i + 3];
    }
    return at->second ? &*at->second : nullptr;
}

void ShowReport::finish() {
    const ReportSummary summary = ReportSummary::of(frames_, events_, run_.fps);
    {
        std::ofstream out(file_.temporaryPath(), std::ios::binary);
        out << ReportWriter::json(run_, summary, frames_);
        out.flush();
        if (!out)
            throw std::runtime_error("cannot write the report to " + file_.finalPath().string());
    }
    file_.commit();
    table_ = ReportWriter::table(run_, summary);
}

} // namespace Sorva
