// GL shader wrapper; reports sources and logs on stdout.
#include "gl/ShaderObject.h"

#include "gl/InfoLog.h"
#include "gl/ShaderDialect.h"
#include "gl/ShaderEcho.h"
#include "gl/StartupObserver.h"

#include <cstdio>

namespace Sorva::Gl {

ShaderObject::ShaderObject(GLenum type) {
    name_ = glCreateShader(type);
}

ShaderObject::~ShaderObject() {
    glDeleteShader(name_);
}

void ShaderObject::setSource(const std::string& source) {
    if (shaderEcho()) {
        std::fputs("Got source:", stdout);
        std::fwrite(source.data(), 1, source.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    const std::string forGl = toPlatformDialect(source);
    const GLchar* text = forGl.data();
    const GLint length = static_cast<GLint>(forGl.size());
    glShaderSource(name_, 1, &text, &length);
}

void ShaderObject::compile() {
    {
        StartupObserver::Scope timing(StartupObserver::Work::ShaderBuilding);
        glCompileShader(name_);
    }
    GLint length = 0;
    glGetShaderiv(name_, GL_INFO_LOG_LENGTH, &length);
    log_ = printInfoLog(length, [this](GLsizei size, GLchar* buffer) {
        glGetShaderInfoLog(name_, size, nullptr, buffer);
    });
    if (shaderEcho()) {
        std::fputs("Compiled\n", stdout);
        std::fflush(stdout);
    }
}

bool ShaderObject::compiled() const {
    GLint status = GL_FALSE;
    glGetShaderiv(name_, GL_COMPILE_STATUS, &status);
    return status == GL_TRUE;
}

} // namespace Sorva::Gl
