// Full-screen quad pass.
#include "gl/ScreenPass.h"

#include "gl/ReloadRegistry.h"

namespace Sorva::Gl {

namespace {

constexpr const char* quadVertexShader = "./data/shaders/trivial.vs";

// Two clip-space triangles covering the viewport; position is attribute 0.
constexpr GLfloat quadVertices[] = {
    -1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 0.0f, -1.0f, 1.0f, 0.0f,
    -1.0f, 1.0f,  0.0f, 1.0f, -1.0f, 0.0f, 1.0f,  1.0f, 0.0f,
};

} // namespace

ScreenPass::ScreenPass(std::string fragmentPath, Surface* surface)
    : quadVertices_(GL_ARRAY_BUFFER), surface_(surface) {
    container_.addShader(GL_VERTEX_SHADER, quadVertexShader);
    container_.addShader(GL_FRAGMENT_SHADER, fragmentPath);
    container_.link();
    ReloadRegistry::instance().add(&container_);

    quadVertices_.bind();
    quadVertices_.setData(sizeof(quadVertices), quadVertices, GL_STATIC_DRAW);
    quad_.bind();
    quad_.enableAttrib(0);
    quad_.attribPointer(0, 3, GL_FLOAT, false, 0, nullptr);
}

void ScreenPass::draw() {
    program()->bind();
    quad_.bind();
    surface_->drawArrays(GL_TRIANGLES, 0, 6);
}

} // namespace Sorva::Gl
