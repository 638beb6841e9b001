// Fresh, uniquely named scratch folders under the temporary folder, and
// files copied into them over what is there.
#pragma once

#include <filesystem>
#include <string>

namespace Sorva::Test {

// Creates TEMP/prefix-XXXXXX with a random suffix no one else holds.
std::filesystem::path makeScratchDir(const std::string& prefix);

// Copies the file, or the folder with all it holds, to `to`, replacing files
// of the same names. std::filesystem's overwrite_existing cannot be used for
// that on Windows, where libstdc++ takes any two files there for the same one.
void copyOver(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace Sorva::Test
