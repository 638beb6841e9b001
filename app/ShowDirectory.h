// Finding the show's data when the demo is started from elsewhere.
#pragma once

#include <filesystem>

namespace Sorva {

// When the working directory has no "data" folder (or no `marker`, when
// given), changes to the directory of the running executable, where the show
// lies, or to fromExecutable relative to it (for tools built beside the show
// directory); otherwise does nothing.
void enterShowDirectory(const std::filesystem::path& fromExecutable = {},
                        const std::filesystem::path& marker = "data/");

} // namespace Sorva
