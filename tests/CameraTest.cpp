// Simplex noise against values worked step by step in 32-bit floats, and the
// camera rig's vectors and matrices from its tracks, read at a music row set
// by hand on the real clock.
#include "TrackKeys.h"

#include "gl/Surface.h"
#include "scene/CameraRig.h"
#include "scene/Snoise.h"
#include "sync/ManualAudioOutput.h"
#include "sync/MusicClock.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace {

using Sorva::CameraRig;
using Sorva::Test::setTrackKeys;
using Sorva::Test::setTrackValue;

TEST(Snoise, MatchesValuesWorkedInSinglePrecision) {
    // No input tells which middle corner a tie (x0 = y0) takes: there the
    // middle corner lies at squared distance 0.5 or more and adds nothing.
    struct Case {
        float x, y;
        std::uint32_t bits; // the expected float's bit pattern
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0x00000000},  {1.0f, 1.0f, 0x3e77e2cc},  // 0.2420761
        {0.5f, 0.25f, 0xbe5f98aa},                            // -0.2183558
        {0.0f, 0.1f, 0x3f1781c2},  {-0.1f, 0.1f, 0x3f0b831d}, //
        {3.7f, -2.2f, 0x3da90d9f}, {1234.5f, -987.25f, 0x3f58cda2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::bit_cast<std::uint32_t>(Sorva::snoise(c.x, c.y)), c.bits)
            << "snoise(" << c.x << ", " << c.y << ") = " << Sorva::snoise(c.x, c.y);
}

TEST(Snoise, PermuteReducesModulo289InSinglePrecision) {
    // 729 gives 18069723 before reduction, past the floats' whole numbers:
    // it reduces to 0, where exact arithmetic would give 288.
    const std::pair<float, float> cases[] = {{1, 35}, {288, 33}, {-1, 33}, {729, 0}};
    for (const auto& [a, reduced] : cases)
        EXPECT_EQ(Sorva::permute({a, a, a}), (std::array<float, 3>{reduced, reduced, reduced}))
            << a;
}

TEST(Snoise, RepeatsEvery289CellsAndKeepsItsDetailInTheThousands) {
    // Cells are reduced modulo 289 before hashing: a point moved by 289
    // cells, here 4 x 289 along one grid axis and 8 x 289 along the other,
    // gets the same noise up to the floats' rounding.
    const float g = 0.21132487f;
    for (int k = 0; k < 40; ++k) {
        const float x = 0.1f + 0.731f * k;
        const float y = -3.3f + 0.297f * k;
        for (const auto& [dx, dy] :
             {std::pair{1156 * (1 - g), -1156 * g}, {-2312 * g, 2312 * (1 - g)}})
            EXPECT_NEAR(Sorva::snoise(x + dx, y + dy), Sorva::snoise(x, y), 1e-3f)
                << "(" << x << ", " << y << ") moved by (" << dx << ", " << dy << ")";
    }

    std::set<float> seen;
    for (int i = 0; i < 200; ++i) {
        const float v = Sorva::snoise(1000.0f + 0.37f * i, 2000.0f - 0.53f * i);
        ASSERT_TRUE(std::isfinite(v));
        EXPECT_LE(std::abs(v), 1.0f);
        seen.insert(v);
    }
    EXPECT_GT(seen.size(), 190u);
}

class CameraRigTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        auto output = std::make_unique<Sorva::ManualAudioOutput>();
        output_ = output.get();
        Sorva::MusicClock::instance().open(HALVO_TEST_TUNE, 131.0, std::move(output));
        Sorva::MusicClock::instance().start();
    }
    void SetUp() override {
        for (const char* suffix :
             {"pos-x", "pos-y", "pos-z", "or-roll", "or-pitch", "or-yaw", "roll-shake",
              "pitch-shake", "yaw-shake", "shake-freq", "fov", "near-z", "far-z"})
            setTrackKeys(std::string("test-cam-") + suffix, {});
        setTrackKeys("test-velo-x", {});
        atRow(0.0);
    }
    static void atRow(double row) { output_->setPosition(row * 60.0 / (131.0 * 8.0) * 44100.0); }

    static Sorva::ManualAudioOutput* output_;
    Sorva::Gl::Surface surface_{1920, 1080};
};
Sorva::ManualAudioOutput* CameraRigTest::output_ = nullptr;

TEST_F(CameraRigTest, ProjectionIsTheSymmetricPerspectiveOfItsTracks) {
    setTrackValue("test-cam-fov", 90.0f);
    setTrackValue("test-cam-near-z", 1.0f);
    setTrackValue("test-cam-far-z", 100.0f);
    const CameraRig::Mat4 m = CameraRig(surface_, "test").projection();
    const float expected[16] = {0.5625f,
                                0,
                                0,
                                0,
                                0,
                                1,
                                0,
                                0,
                                0,
                                0,
                                -101.0f / 99.0f,
                                -1,
                                0,
                                0,
                                static_cast<float>(-200.0 / 99.0),
                                0};
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(m[i], expected[i]) << "element " << i;

    // Without fov and clip distances the matrix is NaN, not a crash.
    for (const char* name : {"test-cam-fov", "test-cam-near-z", "test-cam-far-z"})
        setTrackKeys(name, {});
    EXPECT_TRUE(std::isnan(CameraRig(surface_, "test").projection()[0]));
}

TEST_F(CameraRigTest, DriftsAlongXByVeloPerRow) {
    setTrackValue("test-velo-x", 0.5f);
    setTrackValue("test-cam-pos-y", 2.0f);
    atRow(100.0);
    const CameraRig::Vec3 at = CameraRig(surface_, "test").position();
    EXPECT_NEAR(at[0], 50.0f, 1e-4f);
    EXPECT_EQ(at[1], 2.0f);
}

TEST_F(CameraRigTest, ShakePhaseAdvancesByFreqOverSixtyPerCall) {
    setTrackValue("test-cam-shake-freq", 6.0f);
    CameraRig rig(surface_, "test");
    rig.advanceShake();
    EXPECT_FLOAT_EQ(rig.shakePhase(), 0.1f);
    rig.advanceShake();
    EXPECT_FLOAT_EQ(rig.shakePhase(), 0.2f);
}

TEST_F(CameraRigTest, AnglesTurnTheAxesAsTheirSignsSay) {
    struct Case {
        const char* track;
        CameraRig::Vec3 right, up;
    };
    const Case cases[] = {
        {nullptr, {1, 0, 0}, {0, 1, 0}},
        {"test-cam-or-roll", {1, 0, 0}, {0, 0, 1}},   // about x: y turns into +z
        {"test-cam-or-pitch", {0, 0, -1}, {0, 1, 0}}, // about y: x turns into -z
        {"test-cam-or-yaw", {0, 1, 0}, {-1, 0, 0}},   // about z: x turns into +y
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.track ? c.track : "no angle");
        if (c.track)
            setTrackValue(c.track, 90.0f);
        CameraRig rig(surface_, "test");
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(rig.right()[i], c.right[i], 1e-6f) << "right " << i;
            EXPECT_NEAR(rig.up()[i], c.up[i], 1e-6f) << "up " << i;
        }
        if (c.track)
            setTrackKeys(c.track, {});
    }

    // The view looks from its position along the shaken +z, the shaken +y
    // up: one unit along those lands at view-space -z and +y, and one along
    // the shaken +x at -x; unturned, and turned and shaken.
    setTrackValue("test-cam-pos-x", 3.0f);
    setTrackValue("test-cam-pos-y", 2.0f);
    setTrackValue("test-cam-pos-z", -1.0f);
    for (const bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "turned" : "unturned");
        if (turned)
            for (const auto& [track, value] : {std::pair{"test-cam-or-roll", 30.0f},
                                               {"test-cam-or-pitch", 45.0f},
                                               {"test-cam-or-yaw", 60.0f},
                                               {"test-cam-yaw-shake", 20.0f},
                                               {"test-cam-shake-freq", 42.0f}})
                setTrackValue(track, value);
        CameraRig rig(surface_, "test");
        rig.advanceShake();
        const CameraRig::Mat4 v = rig.view();
        const CameraRig::Vec3 eye = rig.position();
        CameraRig::Vec3 ahead = {0.0f, 0.0f, 1.0f};
        rig.shake(ahead);
        const std::pair<CameraRig::Vec3, CameraRig::Vec3> axes[] = {
            {ahead, {0, 0, -1}}, {rig.up(), {0, 1, 0}}, {rig.right(), {-1, 0, 0}}};
        for (const auto& [axis, lands] : axes)
            for (int r = 0; r < 3; ++r)
                EXPECT_NEAR(v[r] * (eye[0] + axis[0]) + v[4 + r] * (eye[1] + axis[1]) +
                                v[8 + r] * (eye[2] + axis[2]) + v[12 + r],
                            lands[r], 1e-5f)
                    << "row " << r << " of (" << axis[0] << ", " << axis[1] << ", " << axis[2]
                    << ")";
    }
}

TEST_F(CameraRigTest, EachShakeTurnsByItsOwnNoiseOfThePhase) {
    // After one call at "-cam-shake-freq" 42 the phase is 0.7: an amplitude
    // of 40 then turns as a base angle of 40 times its own noise would.
    const float phase = 0.7f;
    struct Case {
        const char* shake;
        const char* angle;
        float noise;
    };
    const Case cases[] = {
        {"test-cam-roll-shake", "test-cam-or-roll", Sorva::snoise(phase, 0.0f)},
        {"test-cam-pitch-shake", "test-cam-or-pitch", Sorva::snoise(0.0f, phase)},
        {"test-cam-yaw-shake", "test-cam-or-yaw", Sorva::snoise(-phase, phase)},
    };
    setTrackValue("test-cam-shake-freq", 42.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shake);
        setTrackValue(c.shake, 40.0f);
        CameraRig shaken(surface_, "test");
        shaken.advanceShake();
        ASSERT_EQ(shaken.shakePhase(), phase);
        const CameraRig::Vec3 right = shaken.right();
        const CameraRig::Vec3 up = shaken.up();
        setTrackKeys(c.shake, {});
        setTrackValue(c.angle, 40.0f * c.noise);
        const CameraRig turned(surface_, "test");
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(right[i], turned.right()[i], 1e-6f) << "right " << i;
            EXPECT_NEAR(up[i], turned.up()[i], 1e-6f) << "up " << i;
        }
        setTrackKeys(c.angle, {});
    }
}

} // namespace
