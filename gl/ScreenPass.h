// A full-screen pass: the shared quad vertex shader plus one fragment shader
// file, drawn over the whole viewport, registered for live reload.
#pragma once

#include "gl/BufferObject.h"
#include "gl/ShaderContainer.h"
#include "gl/ShaderProgram.h"
#include "gl/Surface.h"
#include "gl/VertexArrayObject.h"

#include <string>

namespace Sorva::Gl {

class ScreenPass {
public:
    // Compiles "./data/shaders/trivial.vs" with the fragment file, links,
    // registers the shaders for reload and uploads the quad. A missing or
    // broken file is only reported; the pass then draws nothing useful.
    ScreenPass(std::string fragmentPath, Surface* surface);
    ScreenPass(const ScreenPass&) = delete;
    ScreenPass& operator=(const ScreenPass&) = delete;

    // For bind() and the uniform setters.
    ShaderProgram* program() { return container_.program(); }
    // Makes the program current and draws the quad into whatever framebuffer
    // and viewport the caller has set.
    void draw();

private:
    ShaderContainer container_;
    VertexArrayObject quad_;
    BufferObject quadVertices_;
    Surface* surface_;
};

} // namespace Sorva::Gl
