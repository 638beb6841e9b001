// WebGL 2 takes GLSL ES 3.00.
#include "gl/ShaderDialect.h"

#include "gl/GlslEs.h"

namespace Sorva::Gl {

std::string toPlatformDialect(const std::string& source) {
    return toGlslEs300(source);
}

} // namespace Sorva::Gl
