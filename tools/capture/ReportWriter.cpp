// Formatting the show report.
#include "tools/capture/ReportWriter.h"

#include "fx/PBall.h"
#include "fx/ShowScenes.h"
#include "sync/TrackText.h"
#include "tools/capture/HitScorer.h"
#include "tools/capture/JsonWriter.h"
#include "tools/capture/ShowReport.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace Sorva {

namespace {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// printf into a string as long as it takes: a section's name may be long.
std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), pattern, again);
    va_end(again);
    text.pop_back();
    return text;
}

// A name from the events file as the terminal shows it: escaped, as the
// tools' messages show fields, when it holds bytes that would not print.
std::string printable(const std::string& name) {
    const std::string quoted = quotedField(name);
    return quoted.substr(1, quoted.size() - 2) == name ? name : quoted;
}

std::string percent(int part, int whole) {
    return whole > 0 ? format("%3.0f%%", 100.0 * part / whole) : "   -";
}

std::string sceneName(int slot) {
    return effectNames().at(static_cast<std::size_t>(slot));
}

void runsJson(JsonWriter& out, const char* name, const std::vector<ReportSummary::Run>& runs) {
    out.key(name).beginArray(JsonWriter::Layout::Lines);
    for (const ReportSummary::Run& r : runs)
        out.beginObject()
            .key("startSeconds")
            .value(r.start)
            .key("row")
            .value(r.row)
            .key("seconds")
            .value(r.seconds)
            .key("frames")
            .value(r.end - r.first)
            .endObject();
    out.endArray();
}

std::string runsText(const char* title, const std::vector<ReportSummary::Run>& runs) {
    double total = 0.0;
    for (const ReportSummary::Run& r : runs)
        total += r.seconds;
    std::string out = format("%s: ", title);
    if (runs.empty())
        return out + "none\n";
    out += format("%zu, %.1f s in all\n", runs.size(), total);
    for (std::size_t i = 0; i < runs.size() && i < ReportWriter::listed; ++i)
        out += format("  %8.3f s  row %7.1f  for %.2f s\n", runs[i].start, runs[i].row,
                      runs[i].seconds);
    if (runs.size() > ReportWriter::listed)
        out += format("  and %zu more (see the JSON)\n", runs.size() - ReportWriter::listed);
    return out;
}

// The bars against the tune's loudness, and the ending.
std::string loudnessText(const ReportSummary& s) {
    if (!s.fade)
        return "\n(no loudness: the tune could not be read)\n";
    std::string out = "\nBrightness against loudness, per bar: ";
    out += s.barCorrelation ? format("r = %.2f", *s.barCorrelation) : std::string("r = -");
    int sounding = 0;
    for (const ReportSummary::Bar& b : s.bars)
        sounding += b.loudness > TuneLoudness::floor;
    out += format(" over %d bars with sound\n", sounding);
    const ReportSummary::Fade& f = *s.fade;
    if (f.lastSoundingBar < 0)
        return out + "Fade: no bar with sound\n";
    out +=
        format("Fade: %d bar%s up to bar %d, the last with sound, each %.0f LU or more under the "
               "one before, %.1f LU in all\n",
               f.fallingBars, f.fallingBars == 1 ? "" : "s", f.lastSoundingBar,
               ReportSummary::barFall, f.fall);
    out += "  the last bars, LUFS / luma:";
    const std::size_t from =
        s.bars.size() > ReportWriter::listed ? s.bars.size() - ReportWriter::listed : 0;
    for (std::size_t k = from; k < s.bars.size(); ++k)
        out += format("  %d: %.1f / %.0f", s.bars[k].bar, s.bars[k].loudness, s.bars[k].luma);
    out += "\n";
    out += f.together ? format("  sound and picture fade together for %.2f s from %.3f s\n",
                               f.together->seconds, f.together->start)
                      : std::string("  sound and picture never fade together there\n");
    out += format("  silence after the sound: %.2f s\n", f.silentSeconds);
    return out;
}

} // namespace

std::string ReportWriter::table(const Run& run, const ReportSummary& s) {
    std::string out = format("Show report: %dx%d at %d fps, %.3f s to %.3f s\n", run.width,
                             run.height, run.fps, run.from, run.to);
    if (run.soundTruePeak)
        out += format("Video sound: true peak %.1f dBTP\n", *run.soundTruePeak);
    out += "\n";

    out += "section       start s     row   secs   luma  centre  detail  motion   opening "
           "centre/detail   first frame's    LUFS\n";
    for (const ReportSummary::Section& c : s.sections)
        out += format("%-12s %8.3f %7.1f %6.1f %6.1f %7.1f %7.1f %7.2f   %7.1f %6.1f   %7.1f "
                      "%6.1f  %6.1f\n",
                      printable(c.name).c_str(), c.start, c.row, c.seconds, c.luma, c.centreLuma,
                      c.centreDetail, c.motion, c.openingCentreLuma, c.openingCentreDetail,
                      c.firstCentreLuma, c.firstCentreDetail, c.loudness);

    out += "\nhit      count  answered  by chance: in its sections  off the beat (of)  "
           "with a kick or clap\n";
    for (const ReportSummary::Hits& h : s.hits)
        out += format("%-8s %5d      %s                   %s         %s  of %-6d  %d\n",
                      printable(h.kind).c_str(), h.count, percent(h.answered, h.count).c_str(),
                      h.count > 0 ? format("%3.0f%%", 100.0 * h.chance).c_str() : "   -",
                      percent(h.quietAnswered, h.quietCount).c_str(), h.quietCount, h.coinciding);

    out += format("\nscene      rendered s  leading s  share of the range  visits of %.0f s or "
                  "more: at s for s\n",
                  ReportSummary::visitSeconds);
    for (const ReportSummary::Scene& c : s.scenes) {
        out += format("%-10s %10.1f %10.1f  %5.1f%%             %zu", sceneName(c.slot).c_str(),
                      c.renderedSeconds, c.leadingSeconds, 100.0 * c.share, c.visits.size());
        for (const ReportSummary::Run& v : c.visits)
            out += format("  %.1f/%.1f", v.start, v.seconds);
        out += "\n";
    }

    out += "\n";
    out += runsText(format("Dark stretches (luma under %.0f for %.0f s or more)",
                           ReportSummary::darkLuma, ReportSummary::darkSeconds)
                        .c_str(),
                    s.darkStretches);
    out += runsText(
        format("Glitch blocks on near-black frames (luma under %.0f)", ReportSummary::nearBlackLuma)
            .c_str(),
        s.blocksOnBlack);
    out += format("Glitch blocks on %.1f%% of the frames, %.1f%% away from crashes, risers and "
                  "section lines\n",
                  100.0 * s.blockShare, 100.0 * s.strayBlockShare);
    out += runsText("Glitch blocks away from crashes, risers and section lines", s.strayBlocks);
    out += format("Coloured bars on %.1f%% of the frames\n", 100.0 * s.barShare);
    out += runsText("Coloured bars away from crashes, risers and section lines", s.strayBars);
    out += loudnessText(s);

    out += "\nsprite               emitter  match   at s      row    frames\n";
    for (const ReportSummary::Sprite& w : s.sprites)
        out += format("%-20s %7d  %5.2f  %7.3f  %7.1f  %6d\n", PBall::spriteFiles[w.image],
                      w.emitter, w.match, w.seconds, w.row, w.frames);
    if (s.sprites.empty())
        out += "(the particle ball shows no sprite in the range)\n";

    out += "\ntitle        frames in full  match: mean  lowest  at s\n";
    for (const ReportSummary::Title& t : s.titles)
        out += format("%-12s %14d  %11.2f  %6.2f  %7.3f\n",
                      ShowReport::titleFiles.at(static_cast<std::size_t>(t.index)), t.frames,
                      t.mean, t.lowest, t.lowestSeconds);
    if (s.titles.empty())
        out += "(no title is shown in full in the range)\n";
    return out;
}

std::string ReportWriter::json(const Run& run, const ReportSummary& s,
                               const std::vector<ReportFrame>& frames) {
    using Layout = JsonWriter::Layout;
    JsonWriter out;
    out.beginObject(Layout::Lines);
    out.key("size").beginArray().value(run.width).value(run.height).endArray();
    out.key("fps").value(run.fps);
    out.key("range").beginObject();
    out.key("fromSeconds").value(run.from).key("toSeconds").value(run.to);
    out.key("frames").value(static_cast<std::int64_t>(frames.size())).endObject();
    out.key("events").value(run.events);
    if (run.soundTruePeak)
        out.key("soundTruePeakDbtp").value(*run.soundTruePeak);
    out.key("levels").beginObject();
    out.key("darkLuma").value(ReportSummary::darkLuma);
    out.key("darkSeconds").value(ReportSummary::darkSeconds);
    out.key("nearBlackLuma").value(ReportSummary::nearBlackLuma);
    out.key("minGlitchBlocks").value(ReportSummary::minGlitchBlocks);
    out.key("colouredBar").value(ReportSummary::colouredBar);
    out.key("answerSeconds").value(ReportSummary::answerSeconds);
    out.key("visitSeconds").value(ReportSummary::visitSeconds);
    out.key("barFallLu").value(ReportSummary::barFall);
    out.key("fadeSeconds").value(ReportSummary::fadeSeconds);
    out.key("fadeLu").value(ReportSummary::fadeLoudness);
    out.key("fadeLuma").value(ReportSummary::fadeLuma);
    out.key("hitWindowFrames").value(HitScorer::window);
    out.key("riseLevel").value(HitScorer::riseLevel);
    out.key("spikeLevel").value(HitScorer::spikeLevel).endObject();

    out.key("sections").beginArray(Layout::Lines);
    for (const ReportSummary::Section& c : s.sections) {
        out.beginObject().key("name").value(c.name);
        out.key("startSeconds").value(c.start).key("row").value(c.row);
        out.key("seconds").value(c.seconds).key("luma").value(c.luma);
        out.key("centreLuma").value(c.centreLuma).key("centreDetail").value(c.centreDetail);
        out.key("motion").value(c.motion);
        out.key("openingCentreLuma").value(c.openingCentreLuma);
        out.key("openingCentreDetail").value(c.openingCentreDetail);
        out.key("firstCentreLuma").value(c.firstCentreLuma);
        out.key("firstCentreDetail").value(c.firstCentreDetail);
        out.key("loudnessLufs").value(c.loudness).endObject();
    }
    out.endArray();
    out.key("hits").beginArray(Layout::Lines);
    for (const ReportSummary::Hits& h : s.hits) {
        out.beginObject().key("kind").value(h.kind);
        out.key("count").value(h.count).key("answered").value(h.answered);
        out.key("quietFrames").value(h.quietCount);
        out.key("quietAnswered").value(h.quietAnswered);
        out.key("chanceInSections").value(h.chance);
        out.key("coincidingWithKickOrClap").value(h.coinciding).endObject();
    }
    out.endArray();
    out.key("scenes").beginArray(Layout::Lines);
    for (const ReportSummary::Scene& c : s.scenes) {
        out.beginObject().key("slot").value(c.slot).key("name").value(sceneName(c.slot));
        out.key("renderedSeconds").value(c.renderedSeconds);
        out.key("leadingSeconds").value(c.leadingSeconds);
        out.key("share").value(c.share);
        out.key("visits").beginArray();
        for (const ReportSummary::Run& v : c.visits)
            out.beginArray().value(v.start).value(v.seconds).endArray();
        out.endArray().endObject();
    }
    out.endArray();
    runsJson(out, "darkStretches", s.darkStretches);
    runsJson(out, "glitchBlocksOnNearBlack", s.blocksOnBlack);
    out.key("glitchBlockShare").value(s.blockShare);
    out.key("strayGlitchBlockShare").value(s.strayBlockShare);
    out.key("colouredBarShare").value(s.barShare);
    runsJson(out, "glitchBlocksAwayFromLandmarks", s.strayBlocks);
    runsJson(out, "colouredBarsAwayFromLandmarks", s.strayBars);
    out.key("bars").beginArray(Layout::Lines);
    for (const ReportSummary::Bar& b : s.bars)
        out.beginObject()
            .key("bar")
            .value(b.bar)
            .key("startSeconds")
            .value(b.start)
            .key("luma")
            .value(b.luma)
            .key("loudnessLufs")
            .value(b.loudness)
            .endObject();
    out.endArray();
    out.key("barLumaLoudnessR");
    s.barCorrelation ? out.value(*s.barCorrelation) : out.null();
    out.key("fade");
    if (s.fade) {
        const ReportSummary::Fade& f = *s.fade;
        out.beginObject().key("fallingBars").value(f.fallingBars).key("fallLu").value(f.fall);
        out.key("lastSoundingBar").value(f.lastSoundingBar);
        out.key("togetherSeconds").value(f.together ? f.together->seconds : 0.0);
        out.key("togetherFromSeconds");
        f.together ? out.value(f.together->start) : out.null();
        out.key("silentSeconds").value(f.silentSeconds).endObject();
    } else {
        out.null();
    }
    out.key("sprites").beginArray(Layout::Lines);
    for (const ReportSummary::Sprite& w : s.sprites) {
        out.beginObject().key("image").value(static_cast<std::int64_t>(w.image));
        out.key("file").value(PBall::spriteFiles[w.image]).key("emitter").value(w.emitter);
        out.key("match").value(w.match).key("seconds").value(w.seconds);
        out.key("row").value(w.row).key("frames").value(w.frames).endObject();
    }
    out.endArray();

    out.key("titles").beginArray(Layout::Lines);
    for (const ReportSummary::Title& t : s.titles) {
        out.beginObject().key("index").value(t.index);
        out.key("file").value(ShowReport::titleFiles.at(static_cast<std::size_t>(t.index)));
        out.key("frames").value(t.frames).key("meanMatch").value(t.mean);
        out.key("lowestMatch").value(t.lowest).key("lowestSeconds").value(t.lowestSeconds);
        out.endObject();
    }
    out.endArray();

    out.key("perFrame").beginObject().key("columns").beginArray();
    for (const char* column :
         {"seconds", "row", "luma", "centreLuma", "centreDetail", "motion", "glitchBlocks", "barR",
          "barG", "barB", "weight0", "weight1", "weight2", "weight3", "weight4"})
        out.value(column);
    out.endArray().key("rows").beginArray(Layout::Lines);
    for (const ReportFrame& f : frames) {
        const FrameMeasures& m = f.measures;
        out.beginArray().value(f.seconds).value(f.row).value(m.luma).value(m.centreLuma);
        out.value(m.centreDetail).value(m.motion).value(m.glitchBlocks);
        for (int c = 0; c < 3; ++c)
            m.bars ? out.value((*m.bars)[c]) : out.null();
        for (const double w : f.weights)
            out.value(w);
        out.endArray();
    }
    out.endArray().endObject();
    out.endObject();
    return out.text();
}

} // namespace Sorva
