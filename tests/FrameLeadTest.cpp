// The frame routine's lead: frames timed on a fake clock, the lead it
// predicts for the next one.
#include "app/FrameLead.h"

#include <gtest/gtest.h>

#include <vector>

namespace Sorva {
namespace {

using Clock = FrameLead::Clock;

Clock::time_point at(double seconds) {
    return Clock::time_point(
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
}

// Runs frames that each take `render` seconds from start to swap and start
// again right after the swap; returns the lead of the frame after them.
double leadAfter(FrameLead& lead, const std::vector<double>& renders, double& now) {
    for (double render : renders) {
        lead.beginFrame(at(now));
        now += render;
        lead.frameShown(at(now));
    }
    return lead.beginFrame(at(now));
}

TEST(FrameLeadTest, LeadsByTheTimeToTheMiddleOfTheFramesTimeOnScreen) {
    const struct {
        const char* what;
        std::vector<double> renders;
        double lead;
    } cases[] = {
        {"no frame timed yet", {}, 0.0},
        {"the first frame is not timed", {0.070}, 0.0},
        {"a slow first frame (first use of everything) is not timed", {1.5, 0.07, 0.07}, 0.105},
        {"steady 70 ms frames: 1.5 periods", {0.07, 0.07, 0.07, 0.07}, 0.105},
        {"steady 35 ms frames", std::vector<double>(20, 0.035), 0.0525},
        {"one slow frame among steady ones is ridden out",
         {0.04, 0.04, 0.04, 0.04, 0.40, 0.04, 0.04, 0.04, 0.04},
         0.060},
        {"frames slower than a third of a second lead no more than half a second",
         std::vector<double>(9, 0.4), FrameLead::maxSeconds},
    };
    for (const auto& c : cases) {
        FrameLead lead;
        double now = 100.0;
        EXPECT_NEAR(leadAfter(lead, c.renders, now), c.lead, 1e-9) << c.what;
    }
}

TEST(FrameLeadTest, ThePictureMovesOnAtHalfSpeedOrMoreWhenFramesSpeedUp) {
    // Slow frames, then fast: the lead falls, but by no more than half the
    // time between frame starts, so heard time + lead keeps growing.
    FrameLead lead;
    double now = 0.0;
    leadAfter(lead, std::vector<double>(9, 0.2), now);
    double drawn = now + lead.seconds();
    for (int i = 0; i < 80; ++i) {
        now += 0.01;
        lead.frameShown(at(now));
        lead.beginFrame(at(now));
        ASSERT_GE(now + lead.seconds(), drawn + 0.005 - 1e-9) << "frame " << i;
        drawn = now + lead.seconds();
    }
    EXPECT_NEAR(lead.seconds(), 0.015, 1e-9) << "settles on the fast frames' lead";
}

TEST(FrameLeadTest, OffOrResetLeadsByNothing) {
    FrameLead off(false);
    double now = 0.0;
    EXPECT_EQ(leadAfter(off, std::vector<double>(9, 0.05), now), 0.0);

    FrameLead lead;
    leadAfter(lead, std::vector<double>(9, 0.05), now);
    lead.reset();
    EXPECT_EQ(lead.beginFrame(at(now)), 0.0) << "after a reset, as at the start";
}

} // namespace
} // namespace Sorva
