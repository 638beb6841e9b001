// Formatting the show report.
#include "tools/capture/ReportWriter.h"

#include "fx/PBall.h"
#include "fx/ShowScenes.h"
#include "tools/capture/HitScorer.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace Sorva {

namespace {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

// A finite number as JSON, rounded to what the measures can tell.
std::string number(double value) {
    if (!std::isfinite(value))
        return "null";
    std::string text = format("%.4f", value);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            out += format("\\u%04x", c);
        else
            out += c;
    }
    return out + "\"";
}

std::string percent(int part, int whole) {
    return whole > 0 ? format("%3.0f%%", 100.0 * part / whole) : "   -";
}

std::string sceneName(int slot) {
    return effectNames().at(static_cast<std::size_t>(slot));
}

std::string runsJson(const std::vector<ReportSummary::Run>& runs) {
    std::string out = "[";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const ReportSummary::Run& r = runs[i];
        out += (i ? ",\n    " : "\n    ") + format("{\"startSeconds\": %s, \"row\": %s, "
                                                   "\"seconds\": %s, \"frames\": %lld}",
                                                   number(r.start).c_str(), number(r.row).c_str(),
                                                   number(r.seconds).c_str(),
                                                   static_cast<long long>(r.end - r.first));
    }
    return out + (runs.empty() ? "]" : "\n  ]");
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

} // namespace

std::string ReportWriter::table(const Run& run, const ReportSummary& s) {
    std::string out = format("Show report: %dx%d at %d fps, %.3f s to %.3f s\n\n", run.width,
                             run.height, run.fps, run.from, run.to);

    out += "section       start s     row   secs   luma  centre  detail  motion   opening "
           "centre/detail\n";
    for (const ReportSummary::Section& c : s.sections)
        out += format("%-12s %8.3f %7.1f %6.1f %6.1f %7.1f %7.1f %7.2f   %7.1f %6.1f\n",
                      c.name.c_str(), c.start, c.row, c.seconds, c.luma, c.centreLuma,
                      c.centreDetail, c.motion, c.openingCentreLuma, c.openingCentreDetail);

    out += format("\nhit      count  answered  by chance (frames away from hits, of)\n");
    for (const ReportSummary::Hits& h : s.hits)
        out += format("%-8s %5d      %s       %s  of %d\n", h.kind.c_str(), h.count,
                      percent(h.answered, h.count).c_str(),
                      percent(h.quietAnswered, h.quietCount).c_str(), h.quietCount);

    out += "\nscene      rendered s  leading s  share of the range\n";
    for (const ReportSummary::Scene& c : s.scenes)
        out += format("%-10s %10.1f %10.1f  %5.1f%%\n", sceneName(c.slot).c_str(),
                      c.renderedSeconds, c.leadingSeconds, 100.0 * c.share);

    out += "\n";
    out += runsText(format("Dark stretches (luma under %.0f for %.0f s or more)",
                           ReportSummary::darkLuma, ReportSummary::darkSeconds)
                        .c_str(),
                    s.darkStretches);
    out += runsText(
        format("Glitch blocks on near-black frames (luma under %.0f)", ReportSummary::nearBlackLuma)
            .c_str(),
        s.blocksOnBlack);
    out += runsText("Glitch blocks away from hits", s.strayBlocks);
    out += runsText("Coloured bars away from hits", s.strayBars);

    out += "\nsprite               emitter  match   at s      row    frames\n";
    for (const ReportSummary::Sprite& w : s.sprites)
        out += format("%-20s %7d  %5.2f  %7.3f  %7.1f  %6d\n", PBall::spriteFiles[w.image],
                      w.emitter, w.match, w.seconds, w.row, w.frames);
    if (s.sprites.empty())
        out += "(the particle ball shows no sprite in the range)\n";
    return out;
}

std::string ReportWriter::json(const Run& run, const ReportSummary& s,
                               const std::vector<ReportFrame>& frames) {
    std::string out = "{\n";
    out += format("  \"size\": [%d, %d],\n  \"fps\": %d,\n", run.width, run.height, run.fps);
    out += format("  \"range\": {\"fromSeconds\": %s, \"toSeconds\": %s, \"frames\": %zu},\n",
                  number(run.from).c_str(), number(run.to).c_str(), frames.size());
    out += "  \"events\": " + quoted(run.events) + ",\n";
    out +=
        format("  \"levels\": {\"darkLuma\": %s, \"darkSeconds\": %s, \"nearBlackLuma\": %s, "
               "\"minGlitchBlocks\": %d, \"colouredBar\": %s, \"answerSeconds\": %s, "
               "\"hitWindowFrames\": %d, \"riseLevel\": %s, \"spikeLevel\": %s},\n",
               number(ReportSummary::darkLuma).c_str(), number(ReportSummary::darkSeconds).c_str(),
               number(ReportSummary::nearBlackLuma).c_str(), ReportSummary::minGlitchBlocks,
               number(ReportSummary::colouredBar).c_str(),
               number(ReportSummary::answerSeconds).c_str(), HitScorer::window,
               number(HitScorer::riseLevel).c_str(), number(HitScorer::spikeLevel).c_str());

    out += "  \"sections\": [";
    for (std::size_t i = 0; i < s.sections.size(); ++i) {
        const ReportSummary::Section& c = s.sections[i];
        out +=
            (i ? ",\n    " : "\n    ") +
            format("{\"name\": %s, \"startSeconds\": %s, \"row\": %s, \"seconds\": %s, "
                   "\"luma\": %s, \"centreLuma\": %s, \"centreDetail\": %s, \"motion\": %s, "
                   "\"openingCentreLuma\": %s, \"openingCentreDetail\": %s}",
                   quoted(c.name).c_str(), number(c.start).c_str(), number(c.row).c_str(),
                   number(c.seconds).c_str(), number(c.luma).c_str(), number(c.centreLuma).c_str(),
                   number(c.centreDetail).c_str(), number(c.motion).c_str(),
                   number(c.openingCentreLuma).c_str(), number(c.openingCentreDetail).c_str());
    }
    out += "\n  ],\n  \"hits\": [";
    for (std::size_t i = 0; i < s.hits.size(); ++i) {
        const ReportSummary::Hits& h = s.hits[i];
        out += (i ? ",\n    " : "\n    ") +
               format("{\"kind\": %s, \"count\": %d, \"answered\": %d, \"quietFrames\": %d, "
                      "\"quietAnswered\": %d}",
                      quoted(h.kind).c_str(), h.count, h.answered, h.quietCount, h.quietAnswered);
    }
    out += "\n  ],\n  \"scenes\": [";
    for (std::size_t i = 0; i < s.scenes.size(); ++i) {
        const ReportSummary::Scene& c = s.scenes[i];
        out += (i ? ",\n    " : "\n    ") +
               format("{\"slot\": %d, \"name\": %s, \"renderedSeconds\": %s, "
                      "\"leadingSeconds\": %s, \"share\": %s}",
                      c.slot, quoted(sceneName(c.slot)).c_str(), number(c.renderedSeconds).c_str(),
                      number(c.leadingSeconds).c_str(), number(c.share).c_str());
    }
    out += "\n  ],\n  \"darkStretches\": " + runsJson(s.darkStretches);
    out += ",\n  \"glitchBlocksOnNearBlack\": " + runsJson(s.blocksOnBlack);
    out += ",\n  \"glitchBlocksAwayFromHits\": " + runsJson(s.strayBlocks);
    out += ",\n  \"colouredBarsAwayFromHits\": " + runsJson(s.strayBars);
    out += ",\n  \"sprites\": [";
    for (std::size_t i = 0; i < s.sprites.size(); ++i) {
        const ReportSummary::Sprite& w = s.sprites[i];
        out += (i ? ",\n    " : "\n    ") +
               format("{\"image\": %u, \"file\": %s, \"emitter\": %d, \"match\": %s, "
                      "\"seconds\": %s, \"row\": %s, \"frames\": %d}",
                      w.image, quoted(PBall::spriteFiles[w.image]).c_str(), w.emitter,
                      number(w.match).c_str(), number(w.seconds).c_str(), number(w.row).c_str(),
                      w.frames);
    }
    out += "\n  ],\n  \"perFrame\": {\"columns\": [\"seconds\", \"row\", \"luma\", \"centreLuma\", "
           "\"centreDetail\", \"motion\", \"glitchBlocks\", \"barR\", \"barG\", \"barB\", "
           "\"weight0\", \"weight1\", \"weight2\", \"weight3\", \"weight4\"], \"rows\": [";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const ReportFrame& f = frames[i];
        const FrameMeasures& m = f.measures;
        out += (i ? ",\n    [" : "\n    [") + number(f.seconds) + ", " + number(f.row) + ", " +
               number(m.luma) + ", " + number(m.centreLuma) + ", " + number(m.centreDetail) + ", " +
               number(m.motion) + ", " + std::to_string(m.glitchBlocks);
        for (int c = 0; c < 3; ++c)
            out += ", " + (m.bars ? number((*m.bars)[c]) : "null");
        for (const double w : f.weights)
            out += ", " + number(w);
        out += "]";
    }
    out += "]}\n}\n";
    return out;
}

} // namespace Sorva
