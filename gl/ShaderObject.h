// Owning wrapper of one GL shader: source, compilation and its log.
#pragma once

#include "gl/Object.h"

#include <string>

namespace Sorva::Gl {

class ShaderObject : public Object {
public:
    // Creates a shader of the given stage (GL_VERTEX_SHADER, GL_FRAGMENT_SHADER).
    explicit ShaderObject(GLenum type);
    virtual ~ShaderObject();

    // A shader has no binding point: does nothing.
    void bind() override {}
    GLuint id() const override { return name_; }

    // Prints "Got source:" and the text on stdout, then hands the text to GL
    // in the platform's dialect (gl/ShaderDialect.h).
    void setSource(const std::string& source);
    // Compiles, prints the driver's log if it has one, then "Compiled";
    // success and failure look the same on stdout.
    void compile();
    // Whether the last compile succeeded, and the log it printed.
    bool compiled() const;
    const std::string& log() const { return log_; }

private:
    GLuint name_ = 0;
    std::string log_;
};

} // namespace Sorva::Gl
