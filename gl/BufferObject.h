// Owning wrapper of one GL buffer bound to a fixed target.
#pragma once

#include "gl/Object.h"

namespace Sorva::Gl {

class BufferObject : public Object {
public:
    // Generates the buffer name; does not bind it.
    explicit BufferObject(GLenum target);
    virtual ~BufferObject();

    void bind() override;
    GLuint id() const override { return name_; }

    // glBufferData on the target: fills whichever buffer is bound there.
    void setData(GLsizeiptr size, const void* data, GLenum usage);
    // glBufferSubData on the target: replaces part of the bound buffer's store.
    void setSubData(GLintptr offset, GLsizeiptr size, const void* data);
    void unbind();

private:
    GLenum target_;
    GLuint name_ = 0;
};

} // namespace Sorva::Gl
