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
                       std::vector<Choreo::TuneEvent> events, std::int64_t first, std::int64_t end,
                       std::optional<TuneLoudness> loudness)
    : file_(path), run_(run), events_(std::move(events)), first_(first),
      loudness_(std::move(loudness)), meter_(run.width, run.height),
      scenes_(static_cast<std::size_t>(end - first)) {
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
    if (scene.title >= 0)
        if (const SpriteAlpha* title =
                alpha(titleFiles.at(static_cast<std::size_t>(scene.title)), "title")) {
            const double width = titleWidth * run_.width, height = width / titleAspect;
            if (const auto match = SilhouetteMatch::matchFlat(
                    meter_.regions(), frame.pixels.data(), *title, (run_.width - width) / 2,
                    (run_.height - height) / 2, width, height))
                f.titles.push_back({scene.title, *match});
        }
    if (!scene.ballShown)
        return;
    for (std::size_t j = 0; j < scene.emitters.size(); ++j) {
        const BallView::Emitter& e = scene.emitters[j];
        const SpriteAlpha* sprite =
            e.share > 0.0 ? alpha(PBall::spriteFiles.at(e.image), "sprite") : nullptr;
        if (!sprite)
            continue;
        if (const auto match =
                SilhouetteMatch::match(meter_.regions(), frame.pixels.data(), *sprite, e.placement))
            f.sprites.push_back({e.image, static_cast<int>(j), *match});
    }
}

const SpriteAlpha* ShowReport::alpha(const std::string& file, const char* what) {
    auto [at, added] = images_.try_emplace(file);
    if (added) {
        const std::string path = "./data/img/" + file;
        // Within the show's own image limit: an image the show would refuse
        // is not scored either.
        const Gl::DecodedImage decoded(path);
        if (!decoded.pixels()) {
            std::fprintf(stderr, "halvo-capture: the report leaves out %s %s: %s\n", what,
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
    const ReportSummary summary =
        ReportSummary::of(frames_, events_, run_.fps, loudness_ ? &*loudness_ : nullptr);
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
