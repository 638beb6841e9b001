// The effects' parameter record and the director's weight gate, without GL:
// track names and order, values landing in their fields, and the gate's
// threshold at and around 0.001.
#include "TrackKeys.h"

#include "scene/FxParams.h"
#include "scene/SceneDirector.h"
#include "sync/SyncTrack.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace {

using Sorva::FxParams;

TEST(FxParams, EffuPrefixNamesTheEightTracksInRecordOrder) {
    const FxParams params = Sorva::makeFxParams("effu");
    const std::array<std::string, 8> expected = {
        "fx-effu-lightpos-x", "fx-effu-lightpos-y", "fx-effu-lightpos-z",  "fx-effu-iMouseX",
        "fx-effu-iMouseY",    "fx-effu-iMouseZ",    "fx-effu-iGlobalTime", "fx-effu-focus",
    };
    for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(params.tracks[k].syncTrack().name, expected[k]) << "position " << k;
}

TEST(FxParams, EachFieldTakesTheValueOfTheTrackInItsPosition) {
    // Distinct values, so a field filled from a neighbour's track shows.
    const std::array<float, 8> values = {1.5f, -2.25f, 3.0f, 0.125f, 0.75f, -1.0f, 42.5f, 7.0f};
    for (std::size_t k = 0; k < values.size(); ++k)
        Sorva::Test::setTrackValue(std::string("fx-order") + Sorva::fxParamSuffixes[k], values[k]);

    FxParams params = Sorva::makeFxParams("order");
    EXPECT_EQ(params.iGlobalTime, 0.0f) << "values are filled only on request";
    Sorva::fillFxParams(params);

    const std::array<float, 8> fields = {params.lightposX,   params.lightposY, params.lightposZ,
                                         params.iMouseX,     params.iMouseY,   params.iMouseZ,
                                         params.iGlobalTime, params.focus};
    EXPECT_EQ(fields, values);

    // Refilling reads the tracks again.
    Sorva::Test::setTrackValue("fx-order-focus", -3.5f);
    Sorva::fillFxParams(params);
    EXPECT_EQ(params.focus, -3.5f);
}

TEST(FxParams, MissingTracksGiveZeroes) {
    FxParams params = Sorva::makeFxParams("no-such-owner");
    params.focus = 9.0f;
    Sorva::fillFxParams(params);
    EXPECT_EQ(params.focus, 0.0f);
    EXPECT_EQ(params.lightposX, 0.0f);
}

TEST(SceneDirectorGate, RendersOnlyAboveAThousandthInMagnitude) {
    const double floatNearest = static_cast<double>(0.001f);
    ASSERT_GT(floatNearest, 0.001) << "the float nearest 0.001 lies above it";
    struct Case {
        double weight;
        bool renders;
    };
    const Case cases[] = {
        {0.0, false},
        {0.001, false},
        {-0.001, false},
        {std::nextafter(0.001, 1.0), true},
        {std::nextafter(-0.001, -1.0), true},
        {floatNearest, true},
        {-floatNearest, true},
        {0.0009999, false},
        {-0.5, true},
        {1.0, true},
        {std::nan(""), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sorva::SceneDirector::rendersWeight(c.weight), c.renders)
            << "weight " << c.weight;
}

} // namespace
