// Reading a whole text file, as shader sources are read.
#pragma once

#include <string>

namespace Sorva::Gl {

// The whole content of the file; empty when it is missing or unreadable,
// and a file that cannot be opened is named in one line on stderr.
std::string readFile(const std::string& path);

} // namespace Sorva::Gl
