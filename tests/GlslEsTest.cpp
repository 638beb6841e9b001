// The shaders for WebGL 2 without GL: the rewrite to GLSL ES 3.00 keeps every
// line where it was, and every shader of the show compiles with
// glslangValidator both as written (GLSL 3.30 core) and rewritten (ES 3.00).
#include "gl/GlslEs.h"
#include "tests/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

using Sorva::Gl::toGlslEs300;

namespace {

namespace fs = std::filesystem;

struct Validation {
    bool ok = false;
    std::string log;
};

// glslangValidator on one file of the given stage ("vert", "frag").
Validation validate(const fs::path& file, const std::string& stage) {
    const std::string command = "glslangValidator -S " + stage + " '" + file.string() + "' 2>&1";
    Validation result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.log.append(buffer, n);
    result.ok = pclose(pipe) == 0;
    return result;
}

Validation validateText(const fs::path& dir, const std::string& text, const std::string& stage) {
    const fs::path file = dir / ("shader." + stage);
    std::ofstream(file, std::ios::binary) << text;
    return validate(file, stage);
}

// What goes ahead of the file: a version line with nothing after it is all header.
std::string header() {
    return toGlslEs300("#version 330 core");
}

} // namespace

TEST(GlslEs, SwapsTheVersionLineAndKeepsEveryOtherLineInPlace) {
    const std::string h = header();
    ASSERT_EQ(h.rfind("#version 300 es\nprecision highp float;", 0), 0u) << h;
    ASSERT_TRUE(h.ends_with("\n#line 1\n")) << h;
    ASSERT_EQ(std::count(h.begin(), h.end(), '\n'), 3);
    for (const char* type : {"int", "sampler2D", "sampler3D", "sampler2DArray", "usampler2D",
                             "isampler2D", "sampler2DShadow"})
        EXPECT_NE(h.find(std::string("precision highp ") + type + ";"), std::string::npos) << type;

    const struct {
        const char* name;
        std::string in;
        std::string out;
    } rows[] = {
        {"first line", "#version 330 core\nvoid main(){}\n", h + "\nvoid main(){}\n"},
        {"after comments", "// a\n// b\n#version 330 core\nx\n", h + "// a\n// b\n\nx\n"},
        {"blanks around #", "// a\n \t# version 330 core\r\nx", h + "// a\n\nx"},
        {"last line, no newline", "// a\n#version 330 core", h + "// a\n"},
        {"first of two", "#version 330 core\n#version 330 core\n", h + "\n#version 330 core\n"},
        {"none", "void main(){}\n", "void main(){}\n"},
        {"only in a comment", "// #version 330 core\nx\n", "// #version 330 core\nx\n"},
        {"empty", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(toGlslEs300(row.in), row.out);
    }
}

// The validator tells the two dialects apart where WebGL would, and the
// rewritten text's errors carry the file's own line numbers.
TEST(GlslEs, ValidatorRejectsWhatWebGlRejectsAtTheFilesLine) {
    const fs::path dir = Sorva::Test::makeScratchDir("halvo-glsles");
    const std::string head = "// what\n#version 330 core\nout vec4 o;\nuniform float u;\n";
    const struct {
        const char* name;
        std::string body;
        bool nativeOk;
        bool esOk;
        const char* esError;
    } rows[] = {
        {"common subset", "void main() { o = vec4(max(u, 0.0)); }\n", true, true, ""},
        {"int to float", "void main() {\n float x = 1;\n o = vec4(x); }\n", true, false, "0:6:"},
        {"int in max", "void main() { o = vec4(max(u, 0)); }\n", true, false, "0:5:"},
        {"noperspective", "noperspective in float v;\nvoid main() { o = vec4(v); }\n", true, false,
         "0:5:"},
        {"broken both ways", "void main() { o = vec4(undeclared); }\n", false, false, "0:5:"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string source = head + row.body;
        const Validation native = validateText(dir, source, "frag");
        EXPECT_EQ(native.ok, row.nativeOk) << native.log;
        const Validation es = validateText(dir, toGlslEs300(source), "frag");
        EXPECT_EQ(es.ok, row.esOk) << es.log;
        if (!row.esOk) {
            EXPECT_NE(es.log.find(std::string("ERROR: ") + row.esError), std::string::npos)
                << es.log;
        }
    }
    fs::remove_all(dir);
}

TEST(GlslEs, EveryShaderOfTheShowCompilesForDesktopAndWeb) {
    const fs::path dir = Sorva::Test::makeScratchDir("halvo-glsles");
    int shaders = 0;
    for (const auto& entry : fs::recursive_directory_iterator(HALVO_SHADER_DIR)) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".vs" && extension != ".fs")
            continue;
        ++shaders;
        SCOPED_TRACE(entry.path().string());
        const std::string stage = extension == ".vs" ? "vert" : "frag";
        const Validation native = validate(entry.path(), stage);
        EXPECT_TRUE(native.ok) << native.log;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string source((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
        const Validation es = validateText(dir, toGlslEs300(source), stage);
        EXPECT_TRUE(es.ok) << "as GLSL ES 3.00 for WebGL 2:\n" << es.log;
    }
    EXPECT_GE(shaders, 20) << "the show's shaders were not found in " << HALVO_SHADER_DIR;
    fs::remove_all(dir);
}
