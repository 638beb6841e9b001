// Version line swap and precision statements for GLSL ES 3.00.
#include "gl/GlslEs.h"

#include <string_view>

namespace Sorva::Gl {

namespace {

constexpr std::string_view header =
    "#version 300 es\n"
    "precision highp float; precision highp int; precision highp sampler2D; "
    "precision highp sampler3D; precision highp sampler2DArray; precision highp usampler2D; "
    "precision highp isampler2D; precision highp sampler2DShadow;\n"
    "#line 1\n";

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

std::string toGlslEs300(const std::string& source) {
    // The first line whose first token is "#version" (blanks allowed around '#').
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t end = source.find('\n', start);
        if (end == std::string::npos)
            end = source.size();
        std::size_t i = start;
        while (i < end && isSpace(source[i]))
            ++i;
        if (i < end && source[i] == '#') {
            ++i;
            while (i < end && isSpace(source[i]))
                ++i;
            if (std::string_view(source).substr(i, 7) == "version") {
                std::string out(header);
                out.append(source, 0, start);
                out.append(source, end, std::string::npos);
                return out;
            }
        }
        start = end + 1;
    }
    return source;
}

} // namespace Sorva::Gl
