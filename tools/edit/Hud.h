// The heads-up display of edit mode: where the music is, how fast frames
// come, the transport's state, the five scene weights as small bars, the
// editor and the last error; drawn over the finished picture in the 5 x 7
// pixel font, in one draw call.
#pragma once

#include "gl/BufferObject.h"
#include "gl/ShaderContainer.h"
#include "gl/Surface.h"
#include "gl/Texture.h"
#include "gl/VertexArrayObject.h"

#include <array>
#include <string_view>
#include <vector>

namespace Sorva {

class Hud {
public:
    // Its panel's border, in 8-bit RGB: a colour for finding it on screen.
    static constexpr std::array<int, 3> borderColour{255, 204, 0};

    struct Status {
        double row = 0.0;
        double seconds = 0.0;
        double fps = 0.0;
        bool paused = false;
        bool looping = false;
        double loopStart = 0.0;
        std::array<double, 5> weights{};
        std::string_view editor; // its address
        bool editorConnected = false;
        std::string_view error; // empty for none
    };

    // Builds the glyph atlas, the program ("./data/shaders/hud.vs" and
    // "hud.fs", reloaded with the others) and a vertex buffer for the
    // largest display; nothing is made or allocated per frame after this.
    explicit Hud(Gl::Surface& surface);
    Hud(const Hud&) = delete;
    Hud& operator=(const Hud&) = delete;

    // Draws over what the window's framebuffer holds, leaving depth testing
    // and blending as it found them.
    void draw(const Status& status);

private:
    struct Colour {
        float r, g, b, a;
    };
    // Adds a quad of the atlas cell `cell` (an ASCII code; 0 is solid).
    void quad(float x, float y, float w, float h, int cell, int cellWidth, Colour colour);
    void rect(float x, float y, float w, float h, Colour colour);
    // Adds a line of text; returns its width in pixels.
    float text(float x, float y, std::string_view line, Colour colour);

    Gl::Surface& surface_;
    Gl::Texture atlas_;
    Gl::ShaderContainer program_;
    Gl::VertexArrayObject quads_;
    Gl::BufferObject vertices_;
    std::vector<float> data_;
    float scale_;
};

} // namespace Sorva
