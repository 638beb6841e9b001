// The one switch for the shader build's own lines.
#include "gl/ShaderEcho.h"

namespace Sorva::Gl {

namespace {

bool echo = true;

} // namespace

void setShaderEcho(bool on) {
    echo = on;
}

bool shaderEcho() {
    return echo;
}

} // namespace Sorva::Gl
