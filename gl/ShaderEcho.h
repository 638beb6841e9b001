// Whether building a shader tells each step on standard output: the source
// as it is loaded, "Compiled" and "Linked". On unless turned off; the GL
// logs of a compile or link are printed either way.
#pragma once

namespace Sorva::Gl {

void setShaderEcho(bool on);
bool shaderEcho();

} // namespace Sorva::Gl
