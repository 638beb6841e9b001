// Working out the show report's figures from its frames and the tune's events.
#include "tools/capture/ReportSummary.h"

#include "scene/SceneDirector.h"
#include "tools/capture/HitScorer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

namespace Sorva {

namespace {

using Choreo::TuneEvent;

bool isHit(const std::string& kind) {
    for (const char* k : {"kick", "clap", "snare", "tom", "openhat", "crash", "boom"})
        if (kind == k)
            return true;
    return false;
}

// The frame whose row lies nearest, or -1 for a row outside the range's.
std::int64_t nearestFrame(const std::vector<ReportFrame>& frames, double row) {
    if (frames.empty() || row < frames.front().row || row > frames.back().row)
        return -1;
    const auto at = std::lower_bound(frames.begin(), frames.end(), row,
                                     [](const ReportFrame& f, double r) { return f.row < r; });
    auto index = at - frames.begin();
    if (index > 0 && row - frames[index - 1].row <= at->row - row)
        --index;
    return index;
}

std::vector<ReportSummary::Run> runs(const std::vector<ReportFrame>& frames,
                                     const std::vector<bool>& flagged, int fps) {
    std::vector<ReportSummary::Run> found;
    for (std::size_t i = 0; i < flagged.size(); ++i) {
        if (!flagged[i])
            continue;
        std::size_t end = i;
        while (end < flagged.size() && flagged[end])
            ++end;
        found.push_back({static_cast<std::int64_t>(i), static_cast<std::int64_t>(end),
                         frames[i].seconds, frames[i].row, static_cast<double>(end - i) / fps});
        i = end;
    }
    return found;
}

// Each frame's section, by the last "section" event at or before its row;
// -1 before the first.
std::vector<int> sectionsOf(const std::vector<ReportFrame>& frames,
                            const std::vector<TuneEvent>& starts) {
    std::vector<int> of(frames.size(), -1);
    for (std::size_t i = 0; i < frames.size(); ++i)
        for (std::size_t k = 0; k < starts.size() && starts[k].row <= frames[i].row; ++k)
            of[i] = static_cast<int>(k);
    return of;
}

std::vector<ReportSummary::Section> sectionFigures(const std::vector<ReportFrame>& frames,
                                                   const std::vector<TuneEvent>& starts,
                                                   const std::vector<int>& of, int fps) {
    std::vector<ReportSummary::Section> out;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        ReportSummary::Section s;
        s.name = starts[k].detail;
        int count = 0, opening = 0;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (of[i] != static_cast<int>(k))
                continue;
            const FrameMeasures& m = frames[i].measures;
            if (count++ == 0) {
                s.start = frames[i].seconds;
                s.row = frames[i].row;
            }
            s.luma += m.luma;
            s.centreLuma += m.centreLuma;
            s.centreDetail += m.centreDetail;
            s.motion += m.motion;
            if (frames[i].seconds < s.start + ReportSummary::openingSeconds) {
                ++opening;
                s.openingCentreLuma += m.centreLuma;
                s.openingCentreDetail += m.centreDetail;
            }
        }
        if (count == 0)
            continue;
        s.seconds = static_cast<double>(count) / fps;
        for (double* v : {&s.luma, &s.centreLuma, &s.centreDetail, &s.motion})
            *v /= count;
        s.openingCentreLuma /= opening;
        s.openingCentreDetail /= opening;
        out.push_back(s);
    }
    return out;
}

} // namespace

ReportSummary ReportSummary::of(const std::vector<ReportFrame>& frames,
                                const std::vector<Choreo::TuneEvent>& events, int fps) {
    ReportSummary s;
    const auto count = static_cast<std::int64_t>(frames.size());
    s.seconds = static_cast<double>(count) / fps;

    std::vector<TuneEvent> starts;
    for (const TuneEvent& e : events)
        if (e.kind == "section")
            starts.push_back(e);
    const std::vector<int> sectionOf = sectionsOf(frames, starts);
    s.sections = sectionFigures(frames, starts, sectionOf, fps);

    // Hits, each at its nearest frame; the null test runs at the frames away
    // from every hit within the sections where the kind plays.
    std::vector<std::int64_t> anyHit;
    for (const TuneEvent& e : events)
        if (const std::int64_t f = nearestFrame(frames, e.row); f >= 0 && isHit(e.kind))
            anyHit.push_back(f);
    std::vector<double> luma, motion;
    for (const ReportFrame& f : frames) {
        luma.push_back(f.measures.luma);
        motion.push_back(f.measures.motion);
    }
    const HitScorer scorer(std::move(luma), std::move(motion));
    const std::vector<std::int64_t> quiet = HitScorer::quietFrames(anyHit, 0, count);
    for (const char* kind : hitKinds) {
        std::vector<std::int64_t> hits;
        std::set<int> playing;
        for (const TuneEvent& e : events)
            if (const std::int64_t f = nearestFrame(frames, e.row); f >= 0 && e.kind == kind) {
                hits.push_back(f);
                playing.insert(sectionOf[static_cast<std::size_t>(f)]);
            }
        std::vector<std::int64_t> null;
        for (const std::int64_t f : quiet)
            if (playing.count(sectionOf[static_cast<std::size_t>(f)]))
                null.push_back(f);
        const HitScorer::Score answered = scorer.score(hits);
        const HitScorer::Score chance = scorer.score(null);
        s.hits.push_back({kind, answered.count, answered.answered, chance.count, chance.answered});
    }

    for (std::size_t slot = 0; slot < SceneDirector::slotCount; ++slot) {
        Scene scene{static_cast<int>(slot)};
        for (const ReportFrame& f : frames) {
            const double w = std::abs(f.weights[slot]);
            if (!SceneDirector::rendersWeight(w))
                continue;
            scene.renderedSeconds += 1.0 / fps;
            bool leads = true;
            for (std::size_t other = 0; other < slot; ++other)
                leads = leads && std::abs(f.weights[other]) < w;
            for (std::size_t other = slot + 1; other < SceneDirector::slotCount; ++other)
                leads = leads && std::abs(f.weights[other]) <= w;
            scene.leadingSeconds += leads ? 1.0 / fps : 0.0;
        }
        scene.share = s.seconds > 0.0 ? scene.leadingSeconds / s.seconds : 0.0;
        s.scenes.push_back(scene);
    }

    // A finding answers a hit from two frames before it to half a second
    // after: long enough for a pulse to fade.
    std::vector<bool> afterHit(frames.size(), false);
    const auto reach = static_cast<std::int64_t>(std::ceil(answerSeconds * fps));
    for (const std::int64_t h : anyHit)
        for (std::int64_t f = std::max<std::int64_t>(0, h - HitScorer::window);
             f <= std::min(count - 1, h + reach); ++f)
            afterHit[static_cast<std::size_t>(f)] = true;
    // Bars that glow through a riser, from its start to its end row, answer it.
    std::vector<bool> inRise(frames.size(), false);
    for (const TuneEvent& e : events) {
        if (e.kind != "riser")
            continue;
        const double end = std::strtod(e.detail.c_str(), nullptr);
        for (std::size_t i = 0; i < frames.size(); ++i)
            inRise[i] = inRise[i] || (frames[i].row >= e.row && frames[i].row <= end);
    }
    std::vector<bool> dark, blocksOnBlack, strayBlocks, strayBars;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const FrameMeasures& m = frames[i].measures;
        const bool blocks = m.glitchBlocks >= minGlitchBlocks;
        const bool coloured =
            m.bars && *std::max_element(m.bars->begin(), m.bars->end()) > colouredBar;
        dark.push_back(m.luma < darkLuma);
        blocksOnBlack.push_back(blocks && m.luma < nearBlackLuma);
        strayBlocks.push_back(blocks && !afterHit[i]);
        strayBars.push_back(coloured && !afterHit[i] && !inRise[i]);
    }
    for (const Run& r : runs(frames, dark, fps))
        if (r.seconds >= darkSeconds)
            s.darkStretches.push_back(r);
    s.blocksOnBlack = runs(frames, blocksOnBlack, fps);
    s.strayBlocks = runs(frames, strayBlocks, fps);
    s.strayBars = runs(frames, strayBars, fps);

    std::map<std::uint32_t, Sprite> best;
    for (const ReportFrame& f : frames)
        for (const ReportFrame::Sprite& seen : f.sprites) {
            Sprite& b =
                best.try_emplace(seen.image, Sprite{seen.image, seen.emitter, -2.0}).first->second;
            ++b.frames;
            if (seen.match > b.match) {
                b.emitter = seen.emitter;
                b.match = seen.match;
                b.seconds = f.seconds;
                b.row = f.row;
            }
        }
    for (const auto& [image, sprite] : best)
        s.sprites.push_back(sprite);
    return s;
}

} // namespace Sorva
