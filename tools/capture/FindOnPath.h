// Looking up a program the way a shell would, before starting it.
#pragma once

#include <filesystem>
#include <string>

namespace Sorva {

// The first executable file called `name` in the directories of PATH, or
// an empty path when there is none.
std::filesystem::path findOnPath(const std::string& name);

} // namespace Sorva
