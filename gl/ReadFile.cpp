// Whole-file reading for shader sources.
#include "gl/ReadFile.h"

#include <fstream>
#include <sstream>

namespace Sorva::Gl {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    return text.str();
}

} // namespace Sorva::Gl
