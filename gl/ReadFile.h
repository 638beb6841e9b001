// Reading a whole text file, as shader sources are read.
#pragma once

#include <string>

namespace Sorva::Gl {

// Reads the whole file into text; false, with text empty, when it cannot be
// read. Then one line on stderr says why: for the file itself ("Cannot read
// shader PATH: ..."), or, when the folder it should be in is missing, a
// dangling link or not a folder, for that folder, once per process.
bool readFile(const std::string& path, std::string& text);

// The whole content of the file; empty when it cannot be read (reported as
// above).
std::string readFile(const std::string& path);

} // namespace Sorva::Gl
