// The show report's measures on made-up frames whose answers are known:
// letterbox bars and picture, glitch blocks, answers to hits against
// chance, a sprite's silhouette through a camera, and the figures worked
// out from a run of frames and the tune's events.
#include "tools/capture/FrameMeter.h"
#include "tools/capture/GlitchBlockCounter.h"
#include "tools/capture/HitScorer.h"
#include "tools/capture/ReportSummary.h"
#include "tools/capture/SilhouetteMatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace Sorva {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

struct Picture {
    int width, height;
    std::vector<std::uint8_t> rgb;

    Picture(int w, int h, Rgb fill)
        : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                set(x, y, fill);
    }
    void set(int x, int y, Rgb c) {
        std::copy(c.begin(), c.end(),
                  rgb.begin() + 3 * (static_cast<std::ptrdiff_t>(y) * width + x));
    }
    void fill(int x0, int y0, int w, int h, Rgb c) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                set(x, y, c);
    }
};

// A frame as the letterbox pass draws it: grey 100 framed at 2.35:1 by bars
// of one colour, blended across the edge row; then the 8 x 8 blocks (from
// the bottom) that hold both bar and picture scrambled, zero-mean along
// each row, as a DCT stage may leave them.
Picture letterboxed(int w, int h, Rgb bar) {
    Picture p(w, h, {100, 100, 100});
    const double edge = std::max(0.0, 0.5 - 0.5 * (double(w) / h) / 2.35);
    std::vector<bool> mixed(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const double inside = (std::min((y + 0.5) / h, 1.0 - (y + 0.5) / h) - edge) * h;
        const double t = std::clamp(inside + 0.5, 0.0, 1.0);
        mixed[y] = t < 1.0;
        Rgb c;
        for (int i = 0; i < 3; ++i)
            c[i] = static_cast<std::uint8_t>(std::lround(bar[i] * (1 - t) + 100 * t));
        p.fill(0, y, w, 1, c);
    }
    for (int top = h - 8; top >= 0; top -= 8) {
        const bool barInside = mixed[top] || mixed[top + 7];
        const bool pictureInside = !mixed[top] || !mixed[top + 7];
        if (barInside && pictureInside)
            for (int y = top; y < top + 8; ++y)
                for (int x = 0; x < w; ++x)
                    p.set(x, y, x % 2 ? Rgb{200, 10, 90} : Rgb{0, 190, 110});
    }
    return p;
}

TEST(FrameMeter, BarsPictureAndCentreAtShowSizes) {
    struct Case {
        int width, height;
        bool bars;
    };
    for (const Case c : {Case{640, 360, true}, Case{1280, 720, true}, Case{1920, 1080, true},
                         Case{642, 363, true}, Case{470, 200, false}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        Picture p = letterboxed(c.width, c.height, {10, 20, 30});
        FrameMeter meter(c.width, c.height);
        const FrameRegions& r = meter.regions();
        // A bright square exactly over the centre region.
        p.fill(r.centreLeft(), r.centreTop(), r.centreRight() - r.centreLeft(),
               r.centreBottom() - r.centreTop(), {240, 240, 240});
        const FrameMeasures m = meter.measure(p.rgb.data());
        ASSERT_EQ(m.bars.has_value(), c.bars);
        if (c.bars) {
            EXPECT_EQ(*m.bars, (std::array<double, 3>{10, 20, 30}));
        }
        const double centreShare = double(r.centreRight() - r.centreLeft()) *
                                   (r.centreBottom() - r.centreTop()) /
                                   (double(c.width) * (r.pictureBottom() - r.pictureTop()));
        EXPECT_NEAR(m.luma, 100 + 140 * centreShare, 0.02);
        EXPECT_NEAR(m.centreLuma, 240, 0.01);
        EXPECT_NEAR(m.centreDetail, 0, 0.01);
        EXPECT_EQ(m.motion, 0.0);
        EXPECT_EQ(m.glitchBlocks, 0);
        // The same frame 10 brighter: that much motion.
        for (std::uint8_t& v : p.rgb)
            v = static_cast<std::uint8_t>(std::min(255, v + 10));
        EXPECT_NEAR(meter.measure(p.rgb.data()).motion, 10.0, 0.1);
    }
}

TEST(GlitchBlockCounter, CountsGreenAndMagentaBlocksOnTheGridOnly) {
    const Rgb black{0, 0, 0}, green{0, 31, 0}, grey{90, 90, 90};
    struct Case {
        const char* what;
        Rgb background;
        void (*draw)(Picture&);
        int blocks;
    };
    const Case cases[] = {
        {"a light green glitch on black", black,
         [](Picture& p) {
             p.fill(16, 24, 8, 8, {0, 31, 0});
         },
         1},
        {"magenta on grey", grey,
         [](Picture& p) {
             p.fill(40, 8, 8, 8, {160, 60, 170});
         },
         1},
        {"a run of three along a row", black,
         [](Picture& p) {
             p.fill(8, 40, 24, 8, {0, 31, 0});
         },
         3},
        {"the block at the top, edged below", black,
         [](Picture& p) {
             p.fill(0, 0, 8, 8, {27, 0, 34});
         },
         1},
        {"off the grid by four rows", black,
         [](Picture& p) {
             p.fill(16, 28, 8, 8, {0, 31, 0});
         },
         0},
        {"red: the chroma channels disagree", black,
         [](Picture& p) {
             p.fill(16, 24, 8, 8, {90, 0, 0});
         },
         0},
        {"green without an edge: a green field", green, [](Picture&) {}, 0},
        {"a green field fading down, no step at a block edge", black,
         [](Picture& p) {
             for (int y = 0; y < 64; ++y)
                 p.fill(0, y, 64, 1, {0, static_cast<std::uint8_t>(3 * y), 0});
         },
         0},
        {"a dark block on grey: no colour", grey,
         [](Picture& p) {
             p.fill(16, 24, 8, 8, {0, 0, 0});
         },
         0},
        {"magenta striped inside", black,
         [](Picture& p) {
             for (int y = 24; y < 32; y += 2)
                 p.fill(16, y, 8, 1, {160, 60, 170});
         },
         0},
    };
    const FrameRegions regions(64, 64);
    for (const Case& c : cases) {
        Picture p(64, 64, c.background);
        c.draw(p);
        EXPECT_EQ(GlitchBlockCounter::count(regions, p.rgb.data()), c.blocks) << c.what;
    }
}

TEST(HitScorer, AnswersWithinTwoFramesAndNotToBusyOrSlowChange) {
    struct Case {
        const char* what;
        std::vector<double> luma, motion;
        bool answered; // at frame 10
    };
    const auto flat = [](double v) { return std::vector<double>(20, v); };
    const auto with = [](std::vector<double> s, int at, double v) {
        s[at] = v;
        return s;
    };
    std::vector<double> ramp(20), darker(20, 50);
    for (int i = 0; i < 20; ++i)
        ramp[i] = 50 + 2 * i;
    std::fill(darker.begin() + 11, darker.end(), 30.0);
    const Case cases[] = {
        {"a flash two frames late", with(flat(50), 12, 60), flat(1), true},
        {"a flash two frames early", with(flat(50), 8, 60), flat(1), true},
        {"a flash three frames late", with(flat(50), 13, 60), flat(1), false},
        {"a darkening", darker, flat(1), false},
        {"a cut: motion spikes", flat(50), with(flat(1), 11, 6), true},
        {"a slow fade in", ramp, flat(1), false},
        {"heavy motion all along", flat(50), flat(20), false},
    };
    for (const Case& c : cases) {
        const HitScorer scorer(c.luma, c.motion);
        EXPECT_EQ(scorer.answers(10), c.answered) << c.what;
    }

    const HitScorer scorer(with(flat(50), 5, 60), flat(1));
    const std::int64_t moments[] = {4, 15, -1, 20};
    const HitScorer::Score s = scorer.score(moments);
    EXPECT_EQ(s.count, 2) << "moments outside the series are not counted";
    EXPECT_EQ(s.answered, 1);

    const std::int64_t hits[] = {20, 10};
    EXPECT_EQ(HitScorer::quietFrames(hits, 0, 30),
              (std::vector<std::int64_t>{0, 1, 2, 3, 4, 5, 15, 25, 26, 27, 28, 29}));
}

// A sprite twice as wide as high, two blocks at opposite corners, seen by a camera that looks along
// +z (its right is -x) without perspective: world x from 8 to -8 and y from -4.5 to 4.5 fill a 640
// x 360 frame.
struct SpriteFixture {
    SpriteAlpha sprite{32, 16, std::vector<std::uint8_t>(32 * 16)};
    SpritePlacement placement;
    FrameRegions regions{640, 360};

    SpriteFixture() {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                sprite.alpha[y * 32 + x] = (x < 8 && y < 8) || (x >= 20 && y >= 10) ? 255 : 0;
        placement.viewProjection = {-1 / 8.0f, 0, 0,    0, 0, 1 / 4.5f, 0, 0,
                                    0,         0, 0.1f, 0, 0, 0,        0, 1};
        placement.pos = {0, 0, 0};
        placement.scale = {4, 4, 1}; // 8 x 4 units: 320 x 160 pixels in the middle
    }

    // The sprite drawn into its rectangle with a transform of its
    // coordinates, in white dots on black; every `sparse`-th pixel only.
    Picture drawn(bool mirrored, bool flipped, int shiftX, int sparse) const {
        Picture p(640, 360, {0, 0, 0});
        for (int y = 100; y < 260; ++y)
            for (int x = 160; x < 480; ++x) {
                int u = (x - 160) / 10, v = (y - 100) / 10;
                u = mirrored ? 31 - u : u;
                v = flipped ? 15 - v : v;
                if (sprite.alpha[v * 32 + u] && (x + 3 * y) % sparse == 0)
                    p.set(x + shiftX, y, {230, 220, 200});
            }
        return p;
    }
};

TEST(SilhouetteMatch, ReadsTheSpriteOnlyWhereAndAsTheCameraSeesIt) {
    const SpriteFixture f;
    struct Case {
        const char* what;
        bool mirrored, flipped;
        int shift, sparse;
        double low, high;
    };
    const Case cases[] = {
        {"as laid out", false, false, 0, 1, 0.95, 1.0},
        {"as laid out, in sparse dots", false, false, 0, 3, 0.45, 0.7},
        {"mirrored", true, false, 0, 1, -0.5, 0.0},
        {"upside down", false, true, 0, 1, -0.5, 0.0},
        {"a quarter of its width aside", false, false, 80, 1, -0.3, 0.2},
    };
    for (const Case& c : cases) {
        const Picture p = f.drawn(c.mirrored, c.flipped, c.shift, c.sparse);
        const std::optional<double> match =
            SilhouetteMatch::match(f.regions, p.rgb.data(), f.sprite, f.placement);
        ASSERT_TRUE(match) << c.what;
        EXPECT_GE(*match, c.low) << c.what;
        EXPECT_LE(*match, c.high) << c.what;
    }

    const Picture black(640, 360, {0, 0, 0});
    EXPECT_EQ(SilhouetteMatch::match(f.regions, black.rgb.data(), f.sprite, f.placement), 0.0);
    SpritePlacement away = f.placement;
    away.pos[0] = -9; // mostly right of the frame
    EXPECT_FALSE(SilhouetteMatch::match(f.regions, black.rgb.data(), f.sprite, away));
    SpritePlacement behind = f.placement;
    behind.viewProjection[15] = -1;
    EXPECT_FALSE(SilhouetteMatch::match(f.regions, black.rgb.data(), f.sprite, behind));
}

// Twenty seconds at 10 fps over two sections, with a kick every second.
struct MadeUpRun {
    static constexpr int fps = 10;
    static constexpr double rowsPerSecond = 131 * 8 / 60.0;
    std::vector<ReportFrame> frames;
    std::vector<Choreo::TuneEvent> events;

    MadeUpRun() {
        for (int i = 0; i < 200; ++i) {
            ReportFrame f;
            f.seconds = double(i) / fps;
            f.row = f.seconds * rowsPerSecond;
            f.measures.luma = 80;
            f.measures.motion = 1;
            f.weights = {0, i < 150 ? 1.0 : 0.4, 0, i < 150 ? 0.0 : 0.6, 0};
            frames.push_back(f);
        }
        events.push_back({0, "section", "intro"});
        events.push_back(
            {static_cast<std::int32_t>(std::lround(12 * rowsPerSecond)), "section", "beat"});
        for (int s = 1; s < 20; ++s)
            events.push_back(
                {static_cast<std::int32_t>(std::lround(s * rowsPerSecond)), "kick", "0.9"});
    }
    ReportFrame& at(double seconds) { return frames[std::lround(seconds * fps)]; }
};

TEST(ReportSummary, SectionsScenesAndAnswersAgainstChance) {
    MadeUpRun run;
    for (int s = 1; s < 20; ++s) // every kick answered by a flash, in the intro only
        run.at(s).measures.luma = s < 12 ? 100 : 80;
    for (int i = 120; i < 200; ++i)
        run.frames[i].measures.luma += 40;
    const ReportSummary r = ReportSummary::of(run.frames, run.events, MadeUpRun::fps);

    ASSERT_EQ(r.sections.size(), 2u);
    EXPECT_EQ(r.sections[0].name, "intro");
    EXPECT_NEAR(r.sections[0].seconds, 12.0, 0.11);
    EXPECT_NEAR(r.sections[1].luma, 120.0, 1e-9);
    EXPECT_NEAR(r.sections[1].start, 12.0, 0.11);

    const ReportSummary::Hits& kicks = r.hits[0];
    EXPECT_EQ(kicks.kind, "kick");
    EXPECT_EQ(kicks.count, 19);
    EXPECT_EQ(kicks.answered, 11 + 1) << "eleven flashes, and the step up into the beat";
    EXPECT_EQ(kicks.quietCount, 29) << "frames more than four from every kick";
    EXPECT_EQ(kicks.quietAnswered, 0);
    EXPECT_EQ(r.hits[1].count, 0) << "no claps";

    ASSERT_EQ(r.scenes.size(), 5u);
    EXPECT_NEAR(r.scenes[1].renderedSeconds, 20.0, 1e-9);
    EXPECT_NEAR(r.scenes[1].share, 0.75, 1e-9);
    EXPECT_NEAR(r.scenes[3].share, 0.25, 1e-9);
    EXPECT_EQ(r.scenes[0].renderedSeconds, 0.0);

    // A picture that flashes on every other frame passes the test anywhere.
    for (std::size_t i = 0; i < run.frames.size(); ++i)
        run.frames[i].measures.luma = i % 2 ? 100 : 80;
    const ReportSummary busy = ReportSummary::of(run.frames, run.events, MadeUpRun::fps);
    EXPECT_EQ(busy.hits[0].answered, busy.hits[0].count);
    EXPECT_EQ(busy.hits[0].quietAnswered, busy.hits[0].quietCount);
}

TEST(ReportSummary, DarkStretchesStrayBlocksBarsAndClearestSprites) {
    MadeUpRun run;
    for (int i = 20; i < 70; ++i) // five dark seconds, then three
        run.frames[i].measures.luma = 20;
    for (int i = 90; i < 120; ++i)
        run.frames[i].measures.luma = 20;
    run.at(13.0).measures.glitchBlocks = 5; // on a kick
    run.at(13.4).measures.glitchBlocks = 5; // while it fades
    run.at(14.6).measures.glitchBlocks = 5; // long after
    run.at(4.0).measures.glitchBlocks = 1;  // one block only
    run.at(5.0).measures.glitchBlocks = 3;  // on black, on a kick
    run.at(5.0).measures.luma = 5;
    for (ReportFrame& f : run.frames)
        f.measures.bars = std::array<double, 3>{0, 0, 5};
    run.at(16.2).measures.bars = std::array<double, 3>{200, 0, 0}; // after a kick
    run.at(16.6).measures.bars = std::array<double, 3>{0, 40, 0};  // long after
    run.at(16.7).measures.bars = std::array<double, 3>{0, 40, 0};
    run.at(17.7).measures.bars = std::array<double, 3>{40, 0, 0}; // through a riser
    run.events.push_back({static_cast<std::int32_t>(std::lround(17.2 * MadeUpRun::rowsPerSecond)),
                          "riser", std::to_string(std::lround(17.9 * MadeUpRun::rowsPerSecond))});
    run.at(15.0).sprites = {{32, 1, 0.3}};
    run.at(15.5).sprites = {{32, 2, 0.7}};
    run.at(16.0).sprites = {{32, 1, 0.5}, {27, 0, -0.1}};
    const ReportSummary r = ReportSummary::of(run.frames, run.events, MadeUpRun::fps);

    ASSERT_EQ(r.darkStretches.size(), 1u);
    EXPECT_NEAR(r.darkStretches[0].start, 2.0, 1e-9);
    EXPECT_NEAR(r.darkStretches[0].seconds, 5.0, 1e-9);
    ASSERT_EQ(r.blocksOnBlack.size(), 1u);
    EXPECT_NEAR(r.blocksOnBlack[0].start, 5.0, 1e-9);
    ASSERT_EQ(r.strayBlocks.size(), 1u);
    EXPECT_NEAR(r.strayBlocks[0].start, 14.6, 1e-9);
    ASSERT_EQ(r.strayBars.size(), 1u);
    EXPECT_NEAR(r.strayBars[0].start, 16.6, 1e-9);
    EXPECT_EQ(r.strayBars[0].end - r.strayBars[0].first, 2);

    ASSERT_EQ(r.sprites.size(), 2u);
    EXPECT_EQ(r.sprites[0].image, 27u);
    EXPECT_EQ(r.sprites[0].match, -0.1);
    EXPECT_EQ(r.sprites[1].image, 32u);
    EXPECT_EQ(r.sprites[1].match, 0.7);
    EXPECT_EQ(r.sprites[1].emitter, 2);
    EXPECT_NEAR(r.sprites[1].seconds, 15.5, 1e-9);
    EXPECT_EQ(r.sprites[1].frames, 3);
}

} // namespace
} // namespace Sorva
