// The blue feedback scene (slot 2): a feedback pass evolves an image from
// call to call, reading its own last output (ping-pong between two
// framebuffers) and a noise texture; a compositing pass lays three titles
// and the greetings over it, each under its own track.
#pragma once

#include "gl/Fbo.h"
#include "gl/ScreenPass.h"
#include "gl/Surface.h"
#include "gl/Texture.h"
#include "scene/EFx.h"
#include "sync/Track.h"

namespace Sorva {

class FeedbackFx : public EFx {
public:
    // Builds the two passes, the buffers, the textures and the eight tracks,
    // then gives the buffers their storage and loads the five images.
    explicit FeedbackFx(Gl::Surface& surface);
    void render(Gl::Fbo& target, const FxParams& params) override;

private:
    Gl::Surface& surface_;
    Gl::ScreenPass feedback_;
    Gl::ScreenPass composite_;
    // Calls of render so far; its parity picks the buffer to write.
    int frameCount_ = 0;
    Gl::Fbo bufferA_;
    Gl::Fbo bufferB_;
    Gl::Texture noise_;
    Gl::Texture title1_;
    Gl::Texture title2_;
    Gl::Texture title3_;
    Gl::Texture greets_;
    Track reset_;
    Track weightBg_;
    Track weightA_;
    Track weightB_;
    Track weightC_;
    Track weightGreets_;
    Track yThreshold_;
    Track greetF_;
};

} // namespace Sorva
