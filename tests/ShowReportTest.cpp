// The show report's measures on made-up frames whose answers are known:
// letterbox bars and picture, glitch blocks, answers to hits against
// chance, a sprite's silhouette through a camera, and the figures worked
// out from a run of frames and the tune's events.
#include "tools/capture/FrameMeter.h"
#include "tools/capture/GlitchBlockCounter.h"
#include "tools/capture/HitScorer.h"
#include "tools/capture/ReportSummary.h"
#include "tools/capture/SilhouetteMatch.h"
#include "tools/capture/TuneLoudness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
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
    run.frames[121].measures.centreLuma = 200; // the beat's first frame
    run.frames[121].measures.centreDetail = 50;
    const ReportSummary r = ReportSummary::of(run.frames, run.events, MadeUpRun::fps);

    ASSERT_EQ(r.sections.size(), 2u);
    EXPECT_EQ(r.sections[0].name, "intro");
    EXPECT_NEAR(r.sections[0].seconds, 12.0, 0.11);
    EXPECT_NEAR(r.sections[1].luma, 120.0, 1e-9);
    EXPECT_NEAR(r.sections[1].start, 12.0, 0.11);
    EXPECT_EQ(r.sections[1].firstCentreLuma, 200);
    EXPECT_EQ(r.sections[1].firstCentreDetail, 50);

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
    run.at(12.1).measures.glitchBlocks = 5; // on the beat's section line
    run.at(13.0).measures.glitchBlocks = 5; // on a kick only
    run.at(13.4).measures.glitchBlocks = 5; // while it fades
    run.at(14.6).measures.glitchBlocks = 5; // long after
    run.at(4.0).measures.glitchBlocks = 1;  // one block only
    run.at(5.0).measures.glitchBlocks = 3;  // on black, on a kick
    run.at(5.0).measures.luma = 5;
    for (ReportFrame& f : run.frames)
        f.measures.bars = std::array<double, 3>{0, 0, 5};
    run.events.push_back(
        {static_cast<std::int32_t>(std::lround(16 * MadeUpRun::rowsPerSecond)), "crash", "0.7"});
    run.at(16.2).measures.bars = std::array<double, 3>{200, 0, 0}; // after a crash
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
    std::vector<double> strayBlocks;
    for (const ReportSummary::Run& b : r.strayBlocks)
        strayBlocks.push_back(b.start);
    EXPECT_EQ(strayBlocks, (std::vector<double>{5.0, 13.0, 13.4, 14.6}))
        << "kicks excuse no blocks; section lines do";
    EXPECT_NEAR(r.blockShare, 5 / 200.0, 1e-9);
    EXPECT_NEAR(r.strayBlockShare, 4 / 200.0, 1e-9);
    EXPECT_NEAR(r.barShare, 4 / 200.0, 1e-9);
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

    run.at(2.0).titles = {{1, 0.8}};
    run.at(2.1).titles = {{1, 0.4}};
    run.at(2.2).titles = {{1, 0.9}};
    run.at(3.0).titles = {{0, 0.7}};
    const ReportSummary t = ReportSummary::of(run.frames, run.events, MadeUpRun::fps);
    ASSERT_EQ(t.titles.size(), 2u);
    EXPECT_EQ(t.titles[0].index, 0);
    EXPECT_EQ(t.titles[1].index, 1);
    EXPECT_EQ(t.titles[1].frames, 3);
    EXPECT_NEAR(t.titles[1].mean, 0.7, 1e-9);
    EXPECT_EQ(t.titles[1].lowest, 0.4);
    EXPECT_NEAR(t.titles[1].lowestSeconds, 2.1, 1e-9);
}

// A title drawn flat over its rectangle: read when its letters stand out,
// less as they are lost into a background as bright as they are.
TEST(SilhouetteMatch, ReadsATitleDrawnFlatOnlyWhereItsLettersShow) {
    // Five letters as blocks, with gaps between them, on a 4:1 image.
    SpriteAlpha title{80, 20, std::vector<std::uint8_t>(80 * 20)};
    const auto letter = [](int x, int y) { return x % 16 >= 3 && x % 16 < 13 && y >= 4 && y < 16; };
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x)
            title.alpha[y * 80 + x] = letter(x, y) ? 255 : 0;
    const FrameRegions regions(640, 360);
    const double left = 64, top = 180 - 64, width = 512, height = 128;
    const struct {
        const char* what;
        int lettersLost; // from the left, drawn as background
        std::uint8_t background;
        double shift; // of the drawing, pixels right
        double low, high;
    } cases[] = {
        {"crisp on blue", 0, 60, 0, 0.95, 1.0},
        {"two letters of five lost", 2, 60, 0, 0.55, 0.8},
        {"white on white", 5, 235, 0, -0.1, 0.1},
        {"half a letter aside", 0, 60, 51, -0.3, 0.3},
    };
    for (const auto& c : cases) {
        Picture p(640, 360, {c.background, c.background, c.background});
        for (int y = 0; y < 360; ++y)
            for (int x = 0; x < 640; ++x) {
                const double u = (x + 0.5 - left - c.shift) / width * 80;
                const double v = (y + 0.5 - top) / height * 20;
                if (u >= 16 * c.lettersLost && u < 80 && v >= 0 && v < 20 &&
                    letter(static_cast<int>(u), static_cast<int>(v)))
                    p.set(x, y, {235, 245, 250});
            }
        const std::optional<double> match =
            SilhouetteMatch::matchFlat(regions, p.rgb.data(), title, left, top, width, height);
        ASSERT_TRUE(match) << c.what;
        EXPECT_GE(*match, c.low) << c.what;
        EXPECT_LE(*match, c.high) << c.what;
    }
    const Picture black(640, 360, {0, 0, 0});
    EXPECT_FALSE(
        SilhouetteMatch::matchFlat(regions, black.rgb.data(), title, 400, top, width, height))
        << "most of it right of the frame";
}

// Each kind scored on its own hits, against the same test at any moment of
// the sections it plays in: a quiet intro, then a beat flashing on every
// other frame, which passes anywhere.
TEST(ReportSummary, OwnHitsAgainstChanceInTheirSections) {
    MadeUpRun run;
    for (int i = 120; i < 200; ++i)
        run.frames[i].measures.luma = i % 2 ? 100 : 80;
    const auto add = [&](double seconds, const char* kind) {
        const auto row = static_cast<std::int32_t>(std::lround(seconds * MadeUpRun::rowsPerSecond));
        const auto at = std::find_if(run.events.begin(), run.events.end(),
                                     [&](const Choreo::TuneEvent& e) { return e.row > row; });
        run.events.insert(at, {row, kind, "0.5"});
    };
    add(3.0, "snare"); // with a kick
    add(3.5, "snare");
    add(6.5, "clap");
    add(6.6, "snare"); // a frame after the clap
    add(13.5, "snare");
    add(5.5, "tom");
    add(14.1, "tom"); // a frame after a kick
    const ReportSummary r = ReportSummary::of(run.frames, run.events, MadeUpRun::fps);

    // The intro's 121 frames: the last two see the beat's first flash.
    const double intro = 2 / 121.0;
    const struct {
        const char* kind;
        int count, answered, coinciding;
        double chance;
    } expected[] = {
        {"kick", 19, 8, 0, (12 * intro + 7) / 19},
        {"clap", 1, 0, 0, intro},
        {"snare", 2, 1, 2, (intro + 1) / 2},
        {"tom", 1, 0, 1, intro},
        {"crash", 0, 0, 0, 0.0},
    };
    ASSERT_EQ(r.hits.size(), std::size(expected));
    for (std::size_t k = 0; k < r.hits.size(); ++k) {
        const ReportSummary::Hits& h = r.hits[k];
        EXPECT_EQ(h.kind, expected[k].kind);
        EXPECT_EQ(h.count, expected[k].count) << h.kind;
        EXPECT_EQ(h.answered, expected[k].answered) << h.kind;
        EXPECT_EQ(h.coinciding, expected[k].coinciding) << h.kind;
        EXPECT_NEAR(h.chance, expected[k].chance, 1e-9) << h.kind;
    }
}

// A scene's visits: where it leads, across lapses shorter than a second,
// which are no visits of their own.
TEST(ReportSummary, SceneVisitsAcrossShortLapses) {
    MadeUpRun run;
    for (int i = 50; i < 55; ++i)
        run.frames[i].weights[2] = 1.5;
    for (int i = 80; i < 100; ++i)
        run.frames[i].weights[2] = 1.5;
    const ReportSummary r = ReportSummary::of(run.frames, run.events, MadeUpRun::fps);

    const struct {
        int slot;
        std::vector<std::array<double, 2>> visits; // start, seconds
    } expected[] = {
        {0, {}},
        {1, {{0.0, 8.0}, {10.0, 5.0}}},
        {2, {{8.0, 2.0}}},
        {3, {{15.0, 5.0}}},
    };
    for (const auto& e : expected) {
        std::vector<std::array<double, 2>> visits;
        for (const ReportSummary::Run& v : r.scenes[e.slot].visits)
            visits.push_back({std::round(v.start * 10) / 10, std::round(v.seconds * 10) / 10});
        EXPECT_EQ(visits, e.visits) << "slot " << e.slot;
    }
}

// A stereo tune of 997 Hz sines, each channel's amplitude (of full scale)
// given at each second.
std::vector<std::int16_t> sines(double seconds, const std::function<double(double)>& left,
                                const std::function<double(double)>& right) {
    std::vector<std::int16_t> samples;
    const auto frames = static_cast<std::size_t>(seconds * TuneLoudness::sampleRate);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = double(i) / TuneLoudness::sampleRate;
        const double wave = std::sin(2 * std::numbers::pi * 997 * t);
        samples.push_back(static_cast<std::int16_t>(std::lround(32767 * left(t) * wave)));
        samples.push_back(static_cast<std::int16_t>(std::lround(32767 * right(t) * wave)));
    }
    return samples;
}

TEST(TuneLoudness, KWeightedLoudnessOfAnyStretch) {
    const auto loud = [](double t) { return t < 2.0 ? 0.5 : 0.0; };
    const auto quiet = [](double t) { return t < 2.0 ? 0.05 : 0.0; };
    const auto full = [](double t) { return t < 2.0 ? 1.0 : 0.0; };
    const auto none = [](double) { return 0.0; };
    const struct {
        std::function<double(double)> left, right;
        double fromRow, toRow, lufs;
    } cases[] = {
        {loud, loud, 10, 20, -6.02}, // 10 rows a second
        {quiet, quiet, 10, 20, -26.02},
        {full, none, 10, 20, -3.01}, // one channel: 3 dB under both
        {loud, loud, 15, 25, -9.03}, // half of it silent
        {loud, loud, 21, 29, TuneLoudness::floor},
        {loud, loud, 50, 60, TuneLoudness::floor}, // past the end
        {loud, loud, 20, 10, TuneLoudness::floor},
    };
    for (const auto& c : cases) {
        const std::vector<std::int16_t> samples = sines(3.0, c.left, c.right);
        const TuneLoudness loudness(samples, 10.0);
        EXPECT_NEAR(loudness.overRows(c.fromRow, c.toRow), c.lufs, 0.05)
            << "rows " << c.fromRow << " to " << c.toRow;
    }
}

// The last bars falling into silence, with a picture that fades with them
// or brightens against them.
TEST(ReportSummary, BarsAgainstLoudnessAndTheFade) {
    const double fadeFrom = 6 * 32 / MadeUpRun::rowsPerSecond; // bar 6
    const double fadeTo = 9 * 32 / MadeUpRun::rowsPerSecond;   // bar 9, silent
    const auto level = [&](double t) {
        if (t >= fadeTo)
            return 0.0;
        const double db = -6.02 - 34.0 * std::clamp((t - fadeFrom) / (fadeTo - fadeFrom), 0.0, 1.0);
        return std::pow(10.0, db / 20.0);
    };
    const std::vector<std::int16_t> samples = sines(20.0, level, level);
    const TuneLoudness loudness(samples, MadeUpRun::rowsPerSecond);
    const struct {
        double lumaFrom, lumaTo;
        double lowestR, highestR;
        bool together;
    } cases[] = {{100, 10, 0.95, 1.0, true}, {10, 100, -1.0, -0.9, false}};
    for (const auto& c : cases) {
        MadeUpRun run;
        for (ReportFrame& f : run.frames)
            f.measures.luma =
                c.lumaFrom + (c.lumaTo - c.lumaFrom) *
                                 std::clamp((f.seconds - fadeFrom) / (fadeTo - fadeFrom), 0.0, 1.0);
        const ReportSummary r =
            ReportSummary::of(run.frames, run.events, MadeUpRun::fps, &loudness);

        ASSERT_EQ(r.sections.size(), 2u);
        EXPECT_NEAR(r.sections[0].loudness, -6.2, 0.15) << "the intro, 1.1 s of it in the fade";
        EXPECT_LT(r.sections[1].loudness, -9.0);
        ASSERT_EQ(r.bars.size(), 11u) << "bar 10, 87 % in the range, counts";
        EXPECT_NEAR(r.bars[2].loudness, -6.02, 0.05);
        EXPECT_NEAR(r.bars[2].luma, c.lumaFrom, 1e-9);
        EXPECT_EQ(r.bars[9].loudness, TuneLoudness::floor);
        ASSERT_TRUE(r.barCorrelation);
        EXPECT_GE(*r.barCorrelation, c.lowestR);
        EXPECT_LE(*r.barCorrelation, c.highestR);
        ASSERT_TRUE(r.fade);
        EXPECT_EQ(r.fade->lastSoundingBar, 8);
        EXPECT_EQ(r.fade->fallingBars, 3);
        EXPECT_NEAR(r.fade->silentSeconds, 20.0 - fadeTo, 0.15);
        EXPECT_EQ(r.fade->together.has_value(), c.together);
        if (c.together && r.fade->together) {
            EXPECT_NEAR(r.fade->together->start, fadeFrom + 0.4, 0.3);
            EXPECT_NEAR(r.fade->together->seconds, fadeTo - fadeFrom + 0.2, 0.4);
        }
    }
}

} // namespace
} // namespace Sorva
