// The shading language the platform's GL takes: the show's sources as they
// are on desktop GL 3.3, rewritten for GLSL ES 3.00 on WebGL 2. One
// implementation file per platform, chosen by CMake.
#pragma once

#include <string>

namespace Sorva::Gl {

// The text to hand to glShaderSource for a source file's text.
std::string toPlatformDialect(const std::string& source);

} // namespace Sorva::Gl
