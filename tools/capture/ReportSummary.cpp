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

// Runs of flagged frames, across lapses shorter than `lapse` frames, that
// last at least `least` frames.
std::vector<ReportSummary::Run> bridgedRuns(const std::vector<ReportFrame>& frames,
                                            std::vector<bool> flagged, int fps, std::int64_t lapse,
                                            std::int64_t least) {
    std::vector<ReportSummary::Run> found;
    for (const ReportSummary::Run& r : runs(frames, flagged, fps)) {
        if (!found.empty() && r.first - found.back().end < lapse)
            for (std::int64_t f = found.back().end; f < r.first; ++f)
                flagged[static_cast<std::size_t>(f)] = true;
        found.push_back(r);
    }
    found.clear();
    for (const ReportSummary::Run& r : runs(frames, flagged, fps))
        if (r.end - r.first >= least)
            found.push_back(r);
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
                s.firstCentreLuma = m.centreLuma;
                s.firstCentreDetail = m.centreDetail;
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

// The bars at least half in the range, each with its frames' mean luma
// and its loudness over the whole bar: a range cut at the tune's end keeps
// its last bar.
std::vector<ReportSummary::Bar> barFigures(const std::vector<ReportFrame>& frames,
                                           const TuneLoudness& loudness) {
    const double step = frames.size() > 1 ? frames[1].row - frames[0].row : 0.0;
    std::vector<ReportSummary::Bar> bars;
    const auto barOf = [](double row) {
        return static_cast<int>(std::floor(row / ReportSummary::rowsPerBar));
    };
    int counted = 0;
    for (const ReportFrame& f : frames) {
        const int bar = barOf(f.row);
        if (bars.empty() || bars.back().bar != bar) {
            if (!bars.empty())
                bars.back().luma /= counted;
            bars.push_back({bar, f.seconds, 0.0, 0.0});
            counted = 0;
        }
        bars.back().luma += f.measures.luma;
        ++counted;
    }
    bars.back().luma /= counted;
    std::vector<ReportSummary::Bar> kept;
    for (ReportSummary::Bar& b : bars) {
        const double start = b.bar * ReportSummary::rowsPerBar;
        const double end = start + ReportSummary::rowsPerBar;
        const double covered =
            std::min(end, frames.back().row + step) - std::max(start, frames.front().row);
        if (covered < ReportSummary::rowsPerBar / 2)
            continue;
        b.loudness = loudness.overRows(start, end);
        kept.push_back(b);
    }
    return kept;
}

std::optional<double> correlation(const std::vector<ReportSummary::Bar>& bars) {
    double n = 0.0, sa = 0.0, sb = 0.0, saa = 0.0, sbb = 0.0, sab = 0.0;
    for (const ReportSummary::Bar& b : bars) {
        if (!(b.loudness > TuneLoudness::floor))
            continue;
        n += 1.0, sa += b.luma, sb += b.loudness;
        saa += b.luma * b.luma, sbb += b.loudness * b.loudness, sab += b.luma * b.loudness;
    }
    const double va = n * saa - sa * sa, vb = n * sbb - sb * sb;
    if (n < 3.0 || !(va > 1e-9) || !(vb > 1e-9))
        return std::nullopt;
    return (n * sab - sa * sb) / std::sqrt(va * vb);
}

ReportSummary::Fade fadeFigures(const std::vector<ReportFrame>& frames,
                                const std::vector<ReportSummary::Bar>& bars,
                                const TuneLoudness& loudness, int fps) {
    ReportSummary::Fade fade;
    std::size_t last = bars.size();
    for (std::size_t k = 0; k < bars.size(); ++k)
        if (bars[k].loudness > TuneLoudness::floor)
            last = k;
    double fallsFrom = 0.0;
    if (last < bars.size()) {
        fade.lastSoundingBar = bars[last].bar;
        std::size_t k = last;
        while (k > 0 && bars[k - 1].bar + 1 == bars[k].bar &&
               bars[k].loudness <= bars[k - 1].loudness - ReportSummary::barFall)
            --k;
        fade.fallingBars = static_cast<int>(last - k);
        fade.fall = bars[k].loudness - bars[last].loudness;
        fallsFrom = bars[k].start;
    }

    // Half a second's sound and picture ending at each frame, against the
    // half second before.
    const auto count = static_cast<std::int64_t>(frames.size());
    const auto half = std::max<std::int64_t>(1, std::lround(ReportSummary::fadeSeconds * fps));
    const auto sound = [&](std::int64_t end) {
        return loudness.overRows(frames[static_cast<std::size_t>(end - half)].row,
                                 frames[static_cast<std::size_t>(end)].row);
    };
    const auto picture = [&](std::int64_t end) {
        double sum = 0.0;
        for (std::int64_t f = end - half + 1; f <= end; ++f)
            sum += frames[static_cast<std::size_t>(f)].measures.luma;
        return sum / static_cast<double>(half);
    };
    std::vector<bool> fading(frames.size(), false);
    std::int64_t heard = -1;
    const double step = count > 1 ? frames[1].row - frames[0].row : 0.0;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const double next = f + 1 < frames.size() ? frames[f + 1].row : frames[f].row + step;
        if (loudness.overRows(frames[f].row, next) > TuneLoudness::floor)
            heard = static_cast<std::int64_t>(f);
    }
    for (std::int64_t f = 2 * half; f < count; ++f)
        fading[static_cast<std::size_t>(f)] =
            sound(f) <= sound(f - half) - ReportSummary::fadeLoudness &&
            picture(f) <= picture(f - half) - ReportSummary::fadeLuma;
    fade.silentSeconds = static_cast<double>(count - 1 - heard) / fps;
    for (const ReportSummary::Run& r : bridgedRuns(frames, fading, fps, half / 2 + 1, 1))
        if (frames[static_cast<std::size_t>(r.end - 1)].seconds >= fallsFrom &&
            (!fade.together || r.seconds > fade.together->seconds))
            fade.together = r;
    return fade;
}

} // namespace

ReportSummary ReportSummary::of(const std::vector<ReportFrame>& frames,
                                const std::vector<Choreo::TuneEvent>& events, int fps,
                                const TuneLoudness* loudness) {
    ReportSummary s;
    const auto count = static_cast<std::int64_t>(frames.size());
    s.seconds = static_cast<double>(count) / fps;

    std::vector<TuneEvent> starts;
    for (const TuneEvent& e : events)
        if (e.kind == "section")
            starts.push_back(e);
    const std::vector<int> sectionOf = sectionsOf(frames, starts);
    s.sections = sectionFigures(frames, starts, sectionOf, fps);

    // Hits, each at its nearest frame. The off-beat test runs at the frames
    // away from every hit within the sections where the kind plays; the
    // chance test at every frame of each hit's section.
    std::vector<std::int64_t> anyHit, kicksAndClaps;
    for (const TuneEvent& e : events)
        if (const std::int64_t f = nearestFrame(frames, e.row); f >= 0 && isHit(e.kind)) {
            anyHit.push_back(f);
            if (e.kind == "kick" || e.kind == "clap")
                kicksAndClaps.push_back(f);
        }
    std::vector<double> luma, motion;
    for (const ReportFrame& f : frames) {
        luma.push_back(f.measures.luma);
        motion.push_back(f.measures.motion);
    }
    const HitScorer scorer(std::move(luma), std::move(motion));
    std::map<int, std::pair<int, int>> passing; // section: frames passing, frames
    for (std::int64_t f = 0; f < count; ++f) {
        auto& [passed, all] = passing[sectionOf[static_cast<std::size_t>(f)]];
        passed += scorer.answers(f);
        ++all;
    }
    const std::vector<std::int64_t> quiet = HitScorer::quietFrames(anyHit, 0, count);
    for (const char* kind : hitKinds) {
        const bool ownOnly = kind == std::string("snare") || kind == std::string("tom");
        Hits h{kind};
        std::vector<std::int64_t> hits;
        std::set<int> playing;
        for (const TuneEvent& e : events) {
            const std::int64_t f = nearestFrame(frames, e.row);
            if (f < 0 || e.kind != kind)
                continue;
            const bool coincides =
                ownOnly &&
                std::any_of(kicksAndClaps.begin(), kicksAndClaps.end(),
                            [f](std::int64_t k) { return std::abs(k - f) <= HitScorer::window; });
            if (coincides) {
                ++h.coinciding;
                continue;
            }
            hits.push_back(f);
            const int section = sectionOf[static_cast<std::size_t>(f)];
            playing.insert(section);
            const auto& [passed, all] = passing[section];
            h.chance += static_cast<double>(passed) / all;
        }
        std::vector<std::int64_t> null;
        for (const std::int64_t f : quiet)
            if (playing.count(sectionOf[static_cast<std::size_t>(f)]))
                null.push_back(f);
        const HitScorer::Score answered = scorer.score(hits);
        const HitScorer::Score offBeat = scorer.score(null);
        h.count = answered.count;
        h.answered = answered.answered;
        h.quietCount = offBeat.count;
        h.quietAnswered = offBeat.answered;
        h.chance = hits.empty() ? 0.0 : h.chance / static_cast<double>(hits.size());
        s.hits.push_back(h);
    }

    const auto visit = static_cast<std::int64_t>(std::lround(visitSeconds * fps));
    for (std::size_t slot = 0; slot < SceneDirector::slotCount; ++slot) {
        Scene scene;
        scene.slot = static_cast<int>(slot);
        std::vector<bool> leading(frames.size(), false);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const ReportFrame& f = frames[i];
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
            leading[i] = leads;
        }
        scene.share = s.seconds > 0.0 ? scene.leadingSeconds / s.seconds : 0.0;
        scene.visits = bridgedRuns(frames, leading, fps, visit, visit);
        s.scenes.push_back(scene);
    }

    // Crashes and section lines excuse what comes from two frames before
    // them to half a second after, and a riser what glows from its start
    // to its end row.
    std::vector<bool> excused(frames.size(), false);
    const auto reach = static_cast<std::int64_t>(std::ceil(answerSeconds * fps));
    for (const TuneEvent& e : events) {
        const std::int64_t h = nearestFrame(frames, e.row);
        if (h < 0 || (e.kind != "crash" && e.kind != "section"))
            continue;
        for (std::int64_t f = std::max<std::int64_t>(0, h - HitScorer::window);
             f <= std::min(count - 1, h + reach); ++f)
            excused[static_cast<std::size_t>(f)] = true;
    }
    for (const TuneEvent& e : events) {
        if (e.kind != "riser")
            continue;
        const double end = std::strtod(e.detail.c_str(), nullptr);
        for (std::size_t i = 0; i < frames.size(); ++i)
            excused[i] = excused[i] || (frames[i].row >= e.row && frames[i].row <= end);
    }
    std::vector<bool> dark, blocksOnBlack, strayBlocks, strayBars;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const FrameMeasures& m = frames[i].measures;
        const bool blocks = m.glitchBlocks >= minGlitchBlocks;
        const bool coloured =
            m.bars && *std::max_element(m.bars->begin(), m.bars->end()) > colouredBar;
        dark.push_back(m.luma < darkLuma);
        blocksOnBlack.push_back(blocks && m.luma < nearBlackLuma);
        strayBlocks.push_back(blocks && !excused[i]);
        strayBars.push_back(coloured && !excused[i]);
        s.blockShare += blocks;
        s.strayBlockShare += blocks && !excused[i];
        s.barShare += coloured;
    }
    for (double* share : {&s.blockShare, &s.strayBlockShare, &s.barShare})
        *share = count > 0 ? *share / static_cast<double>(count) : 0.0;
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
    std::map<int, Title> titles;
    for (const ReportFrame& f : frames)
        for (const ReportFrame::Title& seen : f.titles) {
            Title& t =
                titles.try_emplace(seen.index, Title{seen.index, 0, 0.0, 2.0, 0.0}).first->second;
            ++t.frames;
            t.mean += seen.match;
            if (seen.match < t.lowest) {
                t.lowest = seen.match;
                t.lowestSeconds = f.seconds;
            }
        }
    for (auto& [index, title] : titles) {
        title.mean /= title.frames;
        s.titles.push_back(title);
    }
    if (loudness && !frames.empty()) {
        const double step = frames.size() > 1 ? frames[1].row - frames[0].row : 0.0;
        for (Section& section : s.sections)
            section.loudness = loudness->overRows(
                section.row, section.row + std::round(section.seconds * fps) * step);
        s.bars = barFigures(frames, *loudness);
        s.barCorrelation = correlation(s.bars);
        s.fade = fadeFigures(frames, s.bars, *loudness, fps);
    }
    return s;
}

} // namespace Sorva
