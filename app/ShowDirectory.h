// Finding the show's data when the demo is started from elsewhere.
#pragma once

namespace Sorva {

// When the working directory has no "data" folder, changes to the directory
// of the running executable, where the show lies; otherwise does nothing.
void enterShowDirectory();

} // namespace Sorva
