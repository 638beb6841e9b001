// Whole-file reading for shader sources.
#include "gl/ReadFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace Sorva::Gl {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "Cannot read shader %s: %s\n", path.c_str(), std::strerror(errno));
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace Sorva::Gl
