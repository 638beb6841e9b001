// GL buffer wrapper.
#include "gl/BufferObject.h"

namespace Sorva::Gl {

BufferObject::BufferObject(GLenum target) : target_(target) {
    glGenBuffers(1, &name_);
}

BufferObject::~BufferObject() {
    glDeleteBuffers(1, &name_);
}

void BufferObject::bind() {
    glBindBuffer(target_, name_);
}

void BufferObject::setData(GLsizeiptr size, const void* data, GLenum usage) {
    glBufferData(target_, size, data, usage);
}

void BufferObject::setSubData(GLintptr offset, GLsizeiptr size, const void* data) {
    glBufferSubData(target_, offset, size, data);
}

void BufferObject::unbind() {
    glBindBuffer(target_, 0);
}

} // namespace Sorva::Gl
