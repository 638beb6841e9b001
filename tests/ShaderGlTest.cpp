// Shaders and programs on a real context: the exact text they print, the
// uniform location cache, and stage bookkeeping of a shader container.
#include "GlTestContext.h"

#include "gl/Fbo.h"
#include "gl/ReadFile.h"
#include "gl/ReloadRegistry.h"
#include "gl/ScreenPass.h"
#include "gl/ShaderContainer.h"
#include "gl/ShaderEcho.h"
#include "gl/ShaderObject.h"

#include <vector>

using Sorva::ReloadRegistry;
using Sorva::Gl::Fbo;
using Sorva::Gl::ScreenPass;
using Sorva::Gl::ShaderContainer;
using Sorva::Gl::ShaderObject;

namespace {

class ShaderGl : public Sorva::Test::GlTestContext {};

const std::string vertexSource = R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); })";

const std::string fragmentSource = R"(#version 330 core
uniform vec4 tint;
out vec4 colour;
void main() { colour = tint; }
)";

std::string shaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(length + 1, 0);
    if (length > 0)
        glGetShaderInfoLog(shader, length, nullptr, text.data());
    return text.data();
}

std::string programLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(length + 1, 0);
    if (length > 0)
        glGetProgramInfoLog(program, length, nullptr, text.data());
    return text.data();
}

// What one compile prints for a source and the driver's log.
std::string compileOutput(const std::string& source, const std::string& log) {
    return "Got source:" + source + "\n" + (log.empty() ? "" : log + "\n") + "Compiled\n";
}

std::vector<GLuint> attachedShaders(GLuint program) {
    GLuint names[8] = {};
    GLsizei count = 0;
    glGetAttachedShaders(program, 8, &count, names);
    return std::vector<GLuint>(names, names + count);
}

// Counts the program's trips to GL for uniform locations.
int locationQueries = 0;
PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation = nullptr;
GLint GLAPIENTRY countingGetUniformLocation(GLuint program, const GLchar* name) {
    ++locationQueries;
    return realGetUniformLocation(program, name);
}

} // namespace

TEST_F(ShaderGl, CompilePrintsSourceLogAndCompiledExactly) {
    const struct {
        const char* what;
        GLenum stage;
        std::string source;
        bool fails;
    } rows[] = {
        {"valid vertex shader", GL_VERTEX_SHADER, vertexSource, false},
        {"valid fragment shader", GL_FRAGMENT_SHADER, fragmentSource, false},
        {"syntax error", GL_FRAGMENT_SHADER, "#version 330 core\nvoid main() { oops }\n", true},
        {"empty source", GL_FRAGMENT_SHADER, "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ShaderObject shader(row.stage);
        const std::string out = captureStdout([&] {
            shader.setSource(row.source);
            shader.compile();
        });
        GLint status = 0;
        glGetShaderiv(shader.id(), GL_COMPILE_STATUS, &status);
        EXPECT_EQ(status == GL_FALSE, row.fails);
        const std::string log = shaderLog(shader.id());
        if (row.fails) {
            EXPECT_FALSE(log.empty()) << "a failed compile has a log to show";
        }
        EXPECT_EQ(out, compileOutput(row.source, log));
    }
}

TEST_F(ShaderGl, ContainerPrintsEveryStepInProgramOrder) {
    writeFile("a.vs", vertexSource);
    writeFile("a.fs", fragmentSource);
    writeFile("bad.fs", "#version 330 core\nout vec4 c;\nvoid notMain() { c = vec4(1.0); }\n");

    ShaderContainer container;
    std::string out = captureStdout([&] {
        container.addShader(GL_VERTEX_SHADER, "a.vs");
        container.addShader(GL_FRAGMENT_SHADER, "a.fs");
        container.link();
    });
    EXPECT_EQ(out,
              compileOutput(vertexSource, "") + compileOutput(fragmentSource, "") + "Linked\n");

    // A reload rebuilds the fragment stage first, then the vertex stage, and
    // links once, under the same GL program name.
    const GLuint program = container.program()->id();
    out = captureStdout([&] { container.reload(); });
    EXPECT_EQ(out,
              compileOutput(fragmentSource, "") + compileOutput(vertexSource, "") + "Linked\n");
    EXPECT_EQ(container.program()->id(), program);

    // A link error prints the driver's log before "Linked".
    out = captureStdout([&] {
        container.addShader(GL_FRAGMENT_SHADER, "bad.fs");
        container.link();
    });
    GLint linked = GL_TRUE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_FALSE);
    const std::string log = programLog(program);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(out, compileOutput(Sorva::Gl::readFile("bad.fs"), "") + log + "\nLinked\n");

    // With the echo off (a web page's console) only the driver's logs remain.
    Sorva::Gl::setShaderEcho(false);
    out = captureStdout([&] { container.reload(); });
    Sorva::Gl::setShaderEcho(true);
    EXPECT_EQ(out, programLog(program) + "\n");
}

TEST_F(ShaderGl, MissingSourceFilePrintsItsLogAndGoesOn) {
    writeFile("a.vs", vertexSource);
    ShaderContainer container;
    container.addShader(GL_VERTEX_SHADER, "a.vs");
    const std::string out = captureStdout([&] {
        container.addShader(GL_FRAGMENT_SHADER, "./data/shaders/no-such-file.fs");
        container.link();
    });
    const std::string head = "Got source:\n";
    ASSERT_EQ(out.substr(0, head.size()), head);
    const std::size_t compiled = out.find("Compiled\n");
    ASSERT_NE(compiled, std::string::npos);
    EXPECT_GT(compiled, head.size()) << "the driver's log of the empty shader comes first";
    EXPECT_EQ(out.substr(out.size() - 7), "Linked\n");
    EXPECT_EQ(attachedShaders(container.program()->id()).size(), 2u);
}

TEST_F(ShaderGl, StagesAreReplacedAndRemovedOneAtATime) {
    writeFile("a.vs", vertexSource);
    writeFile("a.fs", fragmentSource);
    writeFile("b.fs", "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    std::vector<GLuint> before;
    GLuint program = 0;
    {
        ShaderContainer container;
        program = container.program()->id();
        container.addShader(GL_VERTEX_SHADER, "a.vs");
        container.addShader(GL_FRAGMENT_SHADER, "a.fs");
        before = attachedShaders(program);
        ASSERT_EQ(before.size(), 2u);

        // Removing a stage that has no shader does nothing.
        const std::string out = captureStdout([&] { container.removeShader(GL_GEOMETRY_SHADER); });
        EXPECT_EQ(out, "");
        EXPECT_EQ(attachedShaders(program), before);

        // Adding a stage again deletes its first shader and remembers the new file.
        container.addShader(GL_FRAGMENT_SHADER, "b.fs");
        const std::vector<GLuint> after = attachedShaders(program);
        ASSERT_EQ(after.size(), 2u);
        int deleted = 0;
        for (GLuint shader : before)
            deleted += !glIsShader(shader);
        EXPECT_EQ(deleted, 1);
        const std::string reloaded = captureStdout([&] { container.reload(); });
        EXPECT_NE(reloaded.find(Sorva::Gl::readFile("b.fs")), std::string::npos);
        EXPECT_EQ(reloaded.find(fragmentSource), std::string::npos);

        // A removed stage keeps its path but is no longer rebuilt by reload.
        container.removeShader(GL_FRAGMENT_SHADER);
        EXPECT_EQ(attachedShaders(program).size(), 1u);
        const std::string vertexOnly = captureStdout([&] { container.reload(); });
        EXPECT_EQ(vertexOnly, compileOutput(vertexSource, "") + programLog(program) +
                                  (programLog(program).empty() ? "" : "\n") + "Linked\n");
        before = attachedShaders(program);
    }
    EXPECT_FALSE(glIsProgram(program));
    for (GLuint shader : before)
        EXPECT_FALSE(glIsShader(shader));
}

TEST_F(ShaderGl, UnknownUniformIsIgnoredAndLookedUpOnce) {
    writeFile("a.vs", vertexSource);
    writeFile("a.fs", fragmentSource);
    ShaderContainer container;
    container.addShader(GL_VERTEX_SHADER, "a.vs");
    container.addShader(GL_FRAGMENT_SHADER, "a.fs");
    container.link();
    auto* program = container.program();
    program->bind();

    realGetUniformLocation = glGetUniformLocation;
    glGetUniformLocation = countingGetUniformLocation;
    locationQueries = 0;
    std::string out = captureStdout([&] {
        program->setUniform4f("tint", 0.5f, 0.25f, 0.125f, 1.0f);
        for (int i = 0; i < 3; ++i) {
            program->setUniform1f("misspelt", 7.0f);
            program->setUniform4f("tint", 0.5f, 0.25f, 0.125f, 1.0f);
            program->setUniformMatrix4fv("misspelt", 1, false, std::vector<float>(16).data());
        }
    });
    const int queriesBeforeLink = locationQueries;
    EXPECT_EQ(program->uniformLocation("misspelt"), -1);
    const int queriesAfterLookup = locationQueries;

    // A relink forgets every location; the next set asks GL again.
    out += captureStdout([&] { container.link(); });
    program->bind();
    program->setUniform4f("tint", 0.5f, 0.25f, 0.125f, 1.0f);
    glGetUniformLocation = realGetUniformLocation;

    EXPECT_EQ(queriesBeforeLink, 2) << "one query per name";
    EXPECT_EQ(queriesAfterLookup, 2);
    EXPECT_EQ(locationQueries, 3);
    EXPECT_EQ(out, "Linked\n") << "nothing printed for the unknown name";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    float tint[4] = {};
    glGetUniformfv(program->id(), glGetUniformLocation(program->id(), "tint"), tint);
    EXPECT_EQ(tint[0], 0.5f);
    EXPECT_EQ(tint[3], 1.0f);
}

TEST_F(ShaderGl, RelinkAfterAnEditSetsUniformsAtTheirNewLocations) {
    writeFile("data/shaders/edit.fs", R"(#version 330 core
uniform float x;
uniform float y;
out vec4 colour;
void main() { colour = vec4(x, y, 0.0, 1.0); }
)");
    ScreenPass pass("./data/shaders/edit.fs", &display());
    Fbo target;
    target.setup(4, 4, 1, false);
    display().viewport(0, 0, 4, 4);
    auto* program = pass.program();
    program->bind();
    program->setUniform1f("x", 0.25f);
    program->setUniform1f("y", 0.5f);
    pass.draw();
    EXPECT_EQ(readPixel(1, 1), (std::array<float, 4>{0.25f, 0.5f, 0.0f, 1.0f}));
    const GLint oldX = program->uniformLocation("x");
    const GLint oldY = program->uniformLocation("y");

    // The edit puts new uniforms first, moving x and y.
    writeFile("data/shaders/edit.fs", R"(#version 330 core
uniform float a;
uniform float b;
uniform float c;
uniform float y;
uniform float x;
out vec4 colour;
void main() { colour = vec4(x, y, a + b + c, 1.0); }
)");
    captureStdout([] { ReloadRegistry::instance().reloadAll(); });
    ASSERT_NE(glGetUniformLocation(program->id(), "x"), oldX) << "the edit must move x";
    ASSERT_NE(glGetUniformLocation(program->id(), "y"), oldY) << "the edit must move y";

    program->bind();
    program->setUniform1f("a", 0.0f);
    program->setUniform1f("b", 0.0f);
    program->setUniform1f("c", 0.0f);
    program->setUniform1f("x", 0.75f);
    program->setUniform1f("y", 0.125f);
    pass.draw();
    EXPECT_EQ(readPixel(1, 1), (std::array<float, 4>{0.75f, 0.125f, 0.0f, 1.0f}));
}
