// The show's per-frame work, shared by the demo and the capture tool: the
// scene director into buffer 1, then the six post-processing passes
// (letterbox, FXAA, four DCT stages), the last one to the window.
#pragma once

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/ShaderProgram.h"
#include "scene/EFx.h"
#include "scene/FxParams.h"
#include "scene/SceneDirector.h"
#include "sync/Track.h"

#include <array>
#include <memory>

namespace Sorva {

class DisplayContext;

class Show {
public:
    // Builds the end track, the post passes and buffers, the director (with
    // every scene) and the post tracks, in that order, and enables depth
    // testing. Teardown runs in exactly the reverse order. The particle ball
    // draws that many particles (0: its full count).
    explicit Show(DisplayContext& display, int particles = 0);
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;

    // The track that ends the show once it is 1.0 or more, or not a number.
    static constexpr const char* endTrackName = "e";
    // When that track never ends it, the show ends this long after the music
    // has (its picture held meanwhile): the demo and the capture tool alike.
    static constexpr double endGraceSeconds = 3.0;
    // Whether a value of the end track ends the show; written so that NaN does.
    static bool ends(double endValue) { return !(endValue < 1.0); }

    // True once track "e" ends the show.
    bool ended() const;
    // One whole frame, ending with the picture drawn to the window, or to
    // target when one is given (the capture tool reads it back from there).
    void renderFrame(Gl::Fbo* target = nullptr);
    // The six post passes alone: buffer 1 through buffers 2 to 6 to the
    // window, or to target when one is given.
    void renderPostChain(Gl::Fbo* target = nullptr);

    // Told of each part of every frame; null for none.
    void setObserver(FrameObserver* observer);

    // Shows one effect alone, for looking at it: it draws into buffer 1 in
    // place of the scenes' blend (which are still built, and skipped), and
    // the post chain follows as usual. Null goes back to the show.
    void setSolo(std::unique_ptr<EFx> effect);

    // Post-processing buffer 1 to 6.
    Gl::Fbo& buffer(int number) { return buffers_.at(number - 1); }

private:
    // What a post pass sets a uniform to.
    enum class Value { Unit0, WindowSize, RowTime, LetterboxColour, Decimation, Glitch };
    struct Uniform {
        const char* name; // null: no more uniforms
        Value value;
    };
    // One post pass: its shader, the buffer it reads, the buffer it draws
    // into (0: the window or the caller's target), its clear colour and its
    // uniforms in the order they are set.
    struct PostPass {
        Gl::ScreenPass Show::*pass;
        int input;
        int output;
        std::array<float, 4> clear;
        std::array<Uniform, 5> uniforms;
    };
    static const std::array<PostPass, 6> postPasses;

    void setUniform(Gl::ShaderProgram& program, const Uniform& uniform);
    bool setUpBuffers();

    DisplayContext& display_;
    Track end_;
    Gl::ScreenPass letterbox_;
    Gl::ScreenPass fxaa_;
    std::array<Gl::Fbo, 6> buffers_;
    // Set up right after the buffers are made, before the DCT passes.
    bool buffersReady_;
    Gl::ScreenPass dctA_;
    Gl::ScreenPass dctB_;
    Gl::ScreenPass dctC_;
    Gl::ScreenPass dctD_;
    SceneDirector director_;
    Track letterboxR_;
    Track letterboxG_;
    Track letterboxB_;
    Track dctGlitch_;
    Track dctDecimate_;
    FrameObserver* observer_ = nullptr;
    std::unique_ptr<EFx> solo_;
    FxParams soloParams_;
};

} // namespace Sorva
