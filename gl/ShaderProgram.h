// The linked GLSL program of a shader container, with uniforms set by name
// through a per-program cache of locations.
#pragma once

#include "gl/ShaderProgramObject.h"

#include <map>
#include <string>

namespace Sorva::Gl {

class ShaderProgram final : public ShaderProgramObject {
public:
    // Creates the GL program; the location cache starts empty.
    ShaderProgram();
    // Deletes the GL program; attached shaders belong to their owner.
    ~ShaderProgram();

    void bind() override;
    GLuint id() const override { return name_; }
    void attach(ShaderObject* shader) override;
    void detach(ShaderObject* shader) override;
    void link() override;
    void setUniform1f(const std::string& name, GLfloat v0) override;
    void setUniform2f(const std::string& name, GLfloat v0, GLfloat v1) override;
    void setUniform3f(const std::string& name, GLfloat v0, GLfloat v1, GLfloat v2) override;
    void setUniform4f(const std::string& name, GLfloat v0, GLfloat v1, GLfloat v2,
                      GLfloat v3) override;
    void setUniform1i(const std::string& name, GLint v0) override;
    void setUniform2i(const std::string& name, GLint v0, GLint v1) override;
    void setUniform3i(const std::string& name, GLint v0, GLint v1, GLint v2) override;
    void setUniform4i(const std::string& name, GLint v0, GLint v1, GLint v2, GLint v3) override;
    void setUniform1ui(const std::string& name, GLuint v0) override;
    void setUniform2ui(const std::string& name, GLuint v0, GLuint v1) override;
    void setUniform3ui(const std::string& name, GLuint v0, GLuint v1, GLuint v2) override;
    void setUniform4ui(const std::string& name, GLuint v0, GLuint v1, GLuint v2,
                       GLuint v3) override;
    void setUniform1fv(const std::string& name, GLsizei count, const GLfloat* value) override;
    void setUniform2fv(const std::string& name, GLsizei count, const GLfloat* value) override;
    void setUniform3fv(const std::string& name, GLsizei count, const GLfloat* value) override;
    void setUniform4fv(const std::string& name, GLsizei count, const GLfloat* value) override;
    void setUniform1iv(const std::string& name, GLsizei count, const GLint* value) override;
    void setUniform2iv(const std::string& name, GLsizei count, const GLint* value) override;
    void setUniform3iv(const std::string& name, GLsizei count, const GLint* value) override;
    void setUniform4iv(const std::string& name, GLsizei count, const GLint* value) override;
    void setUniform1uiv(const std::string& name, GLsizei count, const GLuint* value) override;
    void setUniform2uiv(const std::string& name, GLsizei count, const GLuint* value) override;
    void setUniform3uiv(const std::string& name, GLsizei count, const GLuint* value) override;
    void setUniform4uiv(const std::string& name, GLsizei count, const GLuint* value) override;
    void setUniformMatrix2fv(const std::string& name, GLsizei count, bool transpose,
                             const GLfloat* value) override;
    void setUniformMatrix3fv(const std::string& name, GLsizei count, bool transpose,
                             const GLfloat* value) override;
    void setUniformMatrix4fv(const std::string& name, GLsizei count, bool transpose,
                             const GLfloat* value) override;
    void setUniformMatrix2x3fv(const std::string& name, GLsizei count, bool transpose,
                               const GLfloat* value) override;
    void setUniformMatrix3x2fv(const std::string& name, GLsizei count, bool transpose,
                               const GLfloat* value) override;
    void setUniformMatrix2x4fv(const std::string& name, GLsizei count, bool transpose,
                               const GLfloat* value) override;
    void setUniformMatrix4x2fv(const std::string& name, GLsizei count, bool transpose,
                               const GLfloat* value) override;
    void setUniformMatrix3x4fv(const std::string& name, GLsizei count, bool transpose,
                               const GLfloat* value) override;
    void setUniformMatrix4x3fv(const std::string& name, GLsizei count, bool transpose,
                               const GLfloat* value) override;
    GLint uniformLocation(const std::string& name) override;

    // Whether the last link succeeded, and the log it printed.
    bool linked() const;
    const std::string& log() const { return log_; }

private:
    GLuint name_ = 0;
    std::map<std::string, GLint> locations_;
    std::string log_;
};

} // namespace Sorva::Gl
