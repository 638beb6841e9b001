// Reading a whole text file, as shader sources are read.
#pragma once

#include <string>

namespace Sorva::Gl {

// The whole content of the file; empty when it is missing or unreadable.
std::string readFile(const std::string& path);

} // namespace Sorva::Gl
