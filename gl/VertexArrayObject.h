// Owning wrapper of one GL vertex array and its attribute set-up calls.
#pragma once

#include "gl/Object.h"

namespace Sorva::Gl {

class VertexArrayObject : public Object {
public:
    // Generates the vertex array and leaves it bound.
    VertexArrayObject();
    virtual ~VertexArrayObject();

    void bind() override;
    GLuint id() const override { return name_; }
    void unbind();

    // These act on the current vertex array, not necessarily this one;
    // attribPointer reads from the buffer bound to GL_ARRAY_BUFFER.
    void enableAttrib(GLuint index);
    void disableAttrib(GLuint index);
    void attribPointer(GLuint index, GLint components, GLenum type, bool normalized, GLsizei stride,
                       const void* offset);
    void attribDivisor(GLuint index, GLuint divisor);

private:
    GLuint name_ = 0;
};

} // namespace Sorva::Gl
