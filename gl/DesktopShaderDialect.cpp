// Desktop GL 3.3 takes the sources as written.
#include "gl/ShaderDialect.h"

namespace Sorva::Gl {

std::string toPlatformDialect(const std::string& source) {
    return source;
}

} // namespace Sorva::Gl
