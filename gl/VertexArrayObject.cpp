// GL vertex array wrapper.
#include "gl/VertexArrayObject.h"

namespace Sorva::Gl {

VertexArrayObject::VertexArrayObject() {
    glGenVertexArrays(1, &name_);
    glBindVertexArray(name_);
}

VertexArrayObject::~VertexArrayObject() {
    glDeleteVertexArrays(1, &name_);
}

void VertexArrayObject::bind() {
    glBindVertexArray(name_);
}

void VertexArrayObject::unbind() {
    glBindVertexArray(0);
}

void VertexArrayObject::enableAttrib(GLuint index) {
    glEnableVertexAttribArray(index);
}

void VertexArrayObject::disableAttrib(GLuint index) {
    glDisableVertexAttribArray(index);
}

void VertexArrayObject::attribPointer(GLuint index, GLint components, GLenum type, bool normalized,
                                      GLsizei stride, const void* offset) {
    glVertexAttribPointer(index, components, type, normalized ? GL_TRUE : GL_FALSE, stride, offset);
}

void VertexArrayObject::attribDivisor(GLuint index, GLuint divisor) {
    glVertexAttribDivisor(index, divisor);
}

} // namespace Sorva::Gl
