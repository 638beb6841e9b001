// Shader text for GLSL ES 3.00 (WebGL 2) from the show's GLSL 3.30 core
// sources, which are written in the subset common to both.
#pragma once

#include <string>

namespace Sorva::Gl {

// The source with its "#version 330 core" line emptied and, ahead of it, on
// three lines: "#version 300 es", precision statements for float, int and
// every sampler type, and "#line 1", so the driver's line numbers stay those
// of the file. A source without a version line is returned unchanged (its
// compile fails as it would natively).
std::string toGlslEs300(const std::string& source);

} // namespace Sorva::Gl
