// GL program wrapper: linking with its log, and uniform setters by name.
#include "gl/ShaderProgram.h"

#include "gl/InfoLog.h"
#include "gl/ShaderEcho.h"
#include "gl/ShaderObject.h"
#include "gl/StartupObserver.h"

#include <cstdio>

namespace Sorva::Gl {

ShaderProgram::ShaderProgram() {
    name_ = glCreateProgram();
}

ShaderProgram::~ShaderProgram() {
    glDeleteProgram(name_);
}

void ShaderProgram::bind() {
    glUseProgram(name_);
}

void ShaderProgram::attach(ShaderObject* shader) {
    glAttachShader(name_, shader->id());
}

void ShaderProgram::detach(ShaderObject* shader) {
    glDetachShader(name_, shader->id());
}

void ShaderProgram::link() {
    {
        StartupObserver::Scope timing(StartupObserver::Work::ShaderBuilding);
        glLinkProgram(name_);
    }
    // A relink moves uniforms to new locations; cached ones would be stale.
    locations_.clear();
    GLint length = 0;
    glGetProgramiv(name_, GL_INFO_LOG_LENGTH, &length);
    log_ = printInfoLog(length, [this](GLsizei size, GLchar* buffer) {
        glGetProgramInfoLog(name_, size, nullptr, buffer);
    });
    if (shaderEcho()) {
        std::fputs("Linked\n", stdout);
        std::fflush(stdout);
    }
}

bool ShaderProgram::linked() const {
    GLint status = GL_FALSE;
    glGetProgramiv(name_, GL_LINK_STATUS, &status);
    return status == GL_TRUE;
}

GLint ShaderProgram::uniformLocation(const std::string& name) {
    const auto it = locations_.find(name);
    if (it != locations_.end())
        return it->second;
    const GLint location = glGetUniformLocation(name_, name.c_str());
    locations_.emplace(name, location);
    return location;
}

void ShaderProgram::setUniform1f(const std::string& name, GLfloat v0) {
    glUniform1f(uniformLocation(name), v0);
}

void ShaderProgram::setUniform2f(const std::string& name, GLfloat v0, GLfloat v1) {
    glUniform2f(uniformLocation(name), v0, v1);
}

void ShaderProgram::setUniform3f(const std::string& name, GLfloat v0, GLfloat v1, GLfloat v2) {
    glUniform3f(uniformLocation(name), v0, v1, v2);
}

void ShaderProgram::setUniform4f(const std::string& name, GLfloat v0, GLfloat v1, GLfloat v2,
                                 GLfloat v3) {
    glUniform4f(uniformLocation(name), v0, v1, v2, v3);
}

void ShaderProgram::setUniform1i(const std::string& name, GLint v0) {
    glUniform1i(uniformLocation(name), v0);
}

void ShaderProgram::setUniform2i(const std::string& name, GLint v0, GLint v1) {
    glUniform2i(uniformLocation(name), v0, v1);
}

void ShaderProgram::setUniform3i(const std::string& name, GLint v0, GLint v1, GLint v2) {
    glUniform3i(uniformLocation(name), v0, v1, v2);
}

void ShaderProgram::setUniform4i(const std::string& name, GLint v0, GLint v1, GLint v2, GLint v3) {
    glUniform4i(uniformLocation(name), v0, v1, v2, v3);
}

void ShaderProgram::setUniform1ui(const std::string& name, GLuint v0) {
    glUniform1ui(uniformLocation(name), v0);
}

void ShaderProgram::setUniform2ui(const std::string& name, GLuint v0, GLuint v1) {
    glUniform2ui(uniformLocation(name), v0, v1);
}

void ShaderProgram::setUniform3ui(const std::string& name, GLuint v0, GLuint v1, GLuint v2) {
    glUniform3ui(uniformLocation(name), v0, v1, v2);
}

void ShaderProgram::setUniform4ui(const std::string& name, GLuint v0, GLuint v1, GLuint v2,
                                  GLuint v3) {
    glUniform4ui(uniformLocation(name), v0, v1, v2, v3);
}

void ShaderProgram::setUniform1fv(const std::string& name, GLsizei count, const GLfloat* value) {
    glUniform1fv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform2fv(const std::string& name, GLsizei count, const GLfloat* value) {
    glUniform2fv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform3fv(const std::string& name, GLsizei count, const GLfloat* value) {
    glUniform3fv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform4fv(const std::string& name, GLsizei count, const GLfloat* value) {
    glUniform4fv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform1iv(const std::string& name, GLsizei count, const GLint* value) {
    glUniform1iv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform2iv(const std::string& name, GLsizei count, const GLint* value) {
    glUniform2iv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform3iv(const std::string& name, GLsizei count, const GLint* value) {
    glUniform3iv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform4iv(const std::string& name, GLsizei count, const GLint* value) {
    glUniform4iv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform1uiv(const std::string& name, GLsizei count, const GLuint* value) {
    glUniform1uiv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform2uiv(const std::string& name, GLsizei count, const GLuint* value) {
    glUniform2uiv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform3uiv(const std::string& name, GLsizei count, const GLuint* value) {
    glUniform3uiv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniform4uiv(const std::string& name, GLsizei count, const GLuint* value) {
    glUniform4uiv(uniformLocation(name), count, value);
}

void ShaderProgram::setUniformMatrix2fv(const std::string& name, GLsizei count, bool transpose,
                                        const GLfloat* value) {
    glUniformMatrix2fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

void ShaderProgram::setUniformMatrix3fv(const std::string& name, GLsizei count, bool transpose,
                                        const GLfloat* value) {
    glUniformMatrix3fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

void ShaderProgram::setUniformMatrix4fv(const std::string& name, GLsizei count, bool transpose,
                                        const GLfloat* value) {
    glUniformMatrix4fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

void ShaderProgram::setUniformMatrix2x3fv(const std::string& name, GLsizei count, bool transpose,
                                          const GLfloat* value) {
    glUniformMatrix2x3fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

void ShaderProgram::setUniformMatrix3x2fv(const std::string& name, GLsizei count, bool transpose,
                                          const GLfloat* value) {
    glUniformMatrix3x2fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

void ShaderProgram::setUniformMatrix2x4fv(const std::string& name, GLsizei count, bool transpose,
                                          const GLfloat* value) {
    glUniformMatrix2x4fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

void ShaderProgram::setUniformMatrix4x2fv(const std::string& name, GLsizei count, bool transpose,
                                          const GLfloat* value) {
    glUniformMatrix4x2fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

void ShaderProgram::setUniformMatrix3x4fv(const std::string& name, GLsizei count, bool transpose,
                                          const GLfloat* value) {
    glUniformMatrix3x4fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

void ShaderProgram::setUniformMatrix4x3fv(const std::string& name, GLsizei count, bool transpose,
                                          const GLfloat* value) {
    glUniformMatrix4x3fv(uniformLocation(name), count, transpose ? GL_TRUE : GL_FALSE, value);
}

} // namespace Sorva::Gl
