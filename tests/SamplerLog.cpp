// Sampler uniforms observed by swapping GLEW's glUniform1i entry point.
#include "SamplerLog.h"

#include <GL/glew.h>

namespace Sorva::Test {

namespace {

std::vector<std::string>* recording = nullptr;
PFNGLUNIFORM1IPROC realUniform1i = nullptr;

// The name of the current program's uniform at location, and whether it is
// a sampler; arrays are expanded element by element.
bool samplerAt(GLint location, std::string& name) {
    GLint program = 0;
    GLint count = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetProgramiv(static_cast<GLuint>(program), GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char active[128];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(static_cast<GLuint>(program), static_cast<GLuint>(i), sizeof active,
                           nullptr, &size, &type, active);
        std::string base = active;
        if (size > 1)
            base.resize(base.find('['));
        for (GLint k = 0; k < size; ++k) {
            name = size > 1 ? base + "[" + std::to_string(k) + "]" : base;
            if (glGetUniformLocation(static_cast<GLuint>(program), name.c_str()) == location)
                return type == GL_SAMPLER_2D;
        }
    }
    return false;
}

void GLAPIENTRY recordUniform1i(GLint location, GLint value) {
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    std::string name;
    if (location >= 0 && samplerAt(location, name))
        recording->push_back(name + "=" + std::to_string(value) + " on " +
                       std::to_string(unit - GL_TEXTURE0));
    realUniform1i(location, value);
}

} // namespace

SamplerLog::SamplerLog() {
    recording = &entries_;
    realUniform1i = glUniform1i;
    __glewUniform1i = recordUniform1i;
}

SamplerLog::~SamplerLog() {
    __glewUniform1i = realUniform1i;
    recording = nullptr;
}

} // namespace Sorva::Test
