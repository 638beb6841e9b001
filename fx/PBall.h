// The particle ball (slot 0): 1,048,576 particles, one per texel of a
// 1024 x 1024 state, simulated on the GPU by ping-pong between two state
// framebuffers, respawned from three sprite emitters, drawn as camera-facing
// dots over the hands backdrop, shaded by half-size ambient occlusion and
// combined into the target.
#pragma once

#include "fx/BackgroundFx.h"
#include "fx/SpriteEmitter.h"
#include "gl/BufferObject.h"
#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/ShaderContainer.h"
#include "gl/Surface.h"
#include "gl/Texture.h"
#include "gl/VertexArrayObject.h"
#include "scene/CameraRig.h"
#include "scene/EFx.h"
#include "scene/FrameInput.h"
#include "scene/FrameObserver.h"
#include "sync/Track.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Sorva {

class PBall : public EFx {
public:
    static constexpr int stateSize = 1024;
    static constexpr int particleCount = stateSize * stateSize;
    static constexpr std::size_t spriteCount = 49;
    // The sprite images, by the index the "-texture-id" tracks select.
    static const std::array<const char*, spriteCount> spriteFiles;

    // Builds everything, nothing lazily: buffers, programs, state, sprites,
    // emitters and the backdrop. input gives the frame time and the keys.
    // Fewer particles than the full count, for a weak machine, are the
    // first ones: the columns of the state they fill are simulated, and only
    // they are drawn.
    PBall(Gl::Surface& surface, const FrameInput& input, int particles = particleCount);
    // Deletes the sprites, then every member in reverse order.
    ~PBall() override;

    void render(Gl::Fbo& target, const FxParams& params) override;

    // The state-texture coordinate of particle k: (k / 1024, k % 1024) / 1023.
    static std::array<float, 2> stateCoordinate(int k);

    // For tests: the state buffer the next call writes, the emitters the
    // simulation receives, the occlusion pass's target and input, and the
    // particles' state coordinates as uploaded.
    Gl::Fbo& stateBuffer(int index) { return stateFbos_[index]; }
    const std::vector<SpriteEmitter>& emitters() const { return emitters_; }
    Gl::Fbo& occlusionBuffer() { return aoFbo_; }
    Gl::Fbo& sceneBuffer() { return sceneFbo_; }
    Gl::BufferObject& instanceBuffer() { return instanceBuffer_; }

    // The steps of one render, told to an observer as Stage::Step with
    // these numbers, for a benchmark's split.
    enum Step : std::size_t { Simulation, Backdrop, Particles, Occlusion, Combine };
    void setObserver(FrameObserver* observer) { observer_ = observer; }

private:
    // Zeroes both states: every particle is due, as at the start.
    void clearState();
    void simulate(Gl::Fbo& read, Gl::Fbo& write, const CameraRig::Vec3& campos);
    // Refreshes tracked emitter j, binds its image on unit 3 + j, respawns it
    // when its rounded index changed, and sets its uniforms.
    void updateEmitter(std::size_t j, Gl::ShaderProgram& program, const CameraRig::Vec3& campos);
    // Also hands back the projection and view it drew with.
    void drawParticles(Gl::Fbo& state, const CameraRig::Vec3& campos, const CameraRig::Vec3& up,
                       const CameraRig::Vec3& right, CameraRig::Mat4& projection,
                       CameraRig::Mat4& view);
    void printDebugBlock(const CameraRig::Vec3& campos) const;
    void begin(Step step) const;
    void end(Step step) const;

    Gl::Surface& surface_;
    const FrameInput& input_;
    Gl::BufferObject quadBuffer_;
    Gl::BufferObject instanceBuffer_;
    Gl::ShaderContainer particleShader_;
    Gl::Texture particleTexture_;
    Gl::VertexArrayObject particleVao_;
    std::array<Gl::Fbo, 2> stateFbos_;
    Gl::Fbo sceneFbo_;
    Gl::Fbo aoFbo_;
    // Compiled and reloaded with the others; no frame draws it.
    Gl::ScreenPass postPass_;
    Gl::ScreenPass simPass_;
    Gl::ScreenPass aoPass_;
    Gl::ScreenPass combinePass_;
    CameraRig camera_;
    int particles_;
    int frameCount_ = 0;
    Track lifetime_;
    Track diameter_;
    Track focus_;
    Track fogDecay_;
    std::array<Track, 3> fogSunDir_;
    std::array<Track, 3> fogColor_;
    std::array<Track, 3> fogSun_;
    std::array<Track, 3> impulsePos_;
    Track impulseRadius_;
    Track impulseForce_;
    Track impulseDecay_;
    std::array<Track, 3> clearColor_;
    Track aoScale_;
    // Obtained so that the track exists; nothing depends on its value.
    Track cameraXVelo_;
    Track spriteSampleRadius_;
    Track curlAmplitude_;
    Track curlFreq_;
    std::vector<std::unique_ptr<Gl::Texture>> sprites_;
    // Refreshed from their tracks every call.
    std::vector<SpriteEmitter> trackedEmitters_;
    // Latched from the tracked ones when their image changes: what the
    // simulation receives.
    std::vector<SpriteEmitter> emitters_;
    BackgroundFx background_;
    Track colorPaint_;
    // The per-emitter uniform names, made once: "sprites[j]",
    // "emitters[j].pos", ".scale", ".cumprob", ".width", ".height".
    std::array<std::array<std::string, 6>, 3> emitterUniforms_;
    FrameObserver* observer_ = nullptr;
};

} // namespace Sorva
