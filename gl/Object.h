// Common base of the owning GL object wrappers: each owns one GL name for its
// whole life and is never copied.
#pragma once

#include <GL/glew.h>

namespace Sorva::Gl {

class Object {
public:
    // Makes the wrapped object current at its binding point.
    virtual void bind() = 0;
    // The wrapped GL object name.
    virtual GLuint id() const = 0;

    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

protected:
    Object() = default;
    // Wrappers are never deleted through this base.
    ~Object() = default;
};

} // namespace Sorva::Gl
