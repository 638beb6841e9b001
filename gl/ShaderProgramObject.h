// Interface of a linked GLSL program: shader attachment, linking and uniform
// setters by name.
#pragma once

#include "gl/Object.h"

#include <string>

namespace Sorva::Gl {

class ShaderObject;

class ShaderProgramObject : public Object {
public:
    virtual void attach(ShaderObject* shader) = 0;
    virtual void detach(ShaderObject* shader) = 0;
    virtual void link() = 0;

    // The setters act on the current program: bind() first.
    virtual void setUniform1f(const std::string& name, GLfloat v0) = 0;
    virtual void setUniform2f(const std::string& name, GLfloat v0, GLfloat v1) = 0;
    virtual void setUniform3f(const std::string& name, GLfloat v0, GLfloat v1, GLfloat v2) = 0;
    virtual void setUniform4f(const std::string& name, GLfloat v0, GLfloat v1, GLfloat v2,
                              GLfloat v3) = 0;
    virtual void setUniform1i(const std::string& name, GLint v0) = 0;
    virtual void setUniform2i(const std::string& name, GLint v0, GLint v1) = 0;
    virtual void setUniform3i(const std::string& name, GLint v0, GLint v1, GLint v2) = 0;
    virtual void setUniform4i(const std::string& name, GLint v0, GLint v1, GLint v2, GLint v3) = 0;
    virtual void setUniform1ui(const std::string& name, GLuint v0) = 0;
    virtual void setUniform2ui(const std::string& name, GLuint v0, GLuint v1) = 0;
    virtual void setUniform3ui(const std::string& name, GLuint v0, GLuint v1, GLuint v2) = 0;
    virtual void setUniform4ui(const std::string& name, GLuint v0, GLuint v1, GLuint v2,
                               GLuint v3) = 0;
    virtual void setUniform1fv(const std::string& name, GLsizei count, const GLfloat* value) = 0;
    virtual void setUniform2fv(const std::string& name, GLsizei count, const GLfloat* value) = 0;
    virtual void setUniform3fv(const std::string& name, GLsizei count, const GLfloat* value) = 0;
    virtual void setUniform4fv(const std::string& name, GLsizei count, const GLfloat* value) = 0;
    virtual void setUniform1iv(const std::string& name, GLsizei count, const GLint* value) = 0;
    virtual void setUniform2iv(const std::string& name, GLsizei count, const GLint* value) = 0;
    virtual void setUniform3iv(const std::string& name, GLsizei count, const GLint* value) = 0;
    virtual void setUniform4iv(const std::string& name, GLsizei count, const GLint* value) = 0;
    virtual void setUniform1uiv(const std::string& name, GLsizei count, const GLuint* value) = 0;
    virtual void setUniform2uiv(const std::string& name, GLsizei count, const GLuint* value) = 0;
    virtual void setUniform3uiv(const std::string& name, GLsizei count, const GLuint* value) = 0;
    virtual void setUniform4uiv(const std::string& name, GLsizei count, const GLuint* value) = 0;
    virtual void setUniformMatrix2fv(const std::string& name, GLsizei count, bool transpose,
                                     const GLfloat* value) = 0;
    virtual void setUniformMatrix3fv(const std::string& name, GLsizei count, bool transpose,
                                     const GLfloat* value) = 0;
    virtual void setUniformMatrix4fv(const std::string& name, GLsizei count, bool transpose,
                                     const GLfloat* value) = 0;
    virtual void setUniformMatrix2x3fv(const std::string& name, GLsizei count, bool transpose,
                                       const GLfloat* value) = 0;
    virtual void setUniformMatrix3x2fv(const std::string& name, GLsizei count, bool transpose,
                                       const GLfloat* value) = 0;
    virtual void setUniformMatrix2x4fv(const std::string& name, GLsizei count, bool transpose,
                                       const GLfloat* value) = 0;
    virtual void setUniformMatrix4x2fv(const std::string& name, GLsizei count, bool transpose,
                                       const GLfloat* value) = 0;
    virtual void setUniformMatrix3x4fv(const std::string& name, GLsizei count, bool transpose,
                                       const GLfloat* value) = 0;
    virtual void setUniformMatrix4x3fv(const std::string& name, GLsizei count, bool transpose,
                                       const GLfloat* value) = 0;

    // The uniform's location, from GL on first request and cached after;
    // -1 (cached too) when the program has no such uniform.
    virtual GLint uniformLocation(const std::string& name) = 0;

protected:
    ShaderProgramObject() = default;
    ~ShaderProgramObject() = default;
};

} // namespace Sorva::Gl
