// What the program asks of, and does to, its platform as it starts: its own
// file and module, and the console window it may have been given. One
// implementation per platform, chosen at build time.
#pragma once

#include <filesystem>

namespace Sorva {

// The running executable's path; empty when it cannot be told.
std::filesystem::path executablePath();

// The program's own module handle, where its resources (the setup dialog's
// template and banner) are found; null where resources are not separate.
void* ownModule();

// Hides the console window the program was started with, if it has one.
// Nobody can read a hidden console: standard output and error that went to
// it go to a log file beside the executable instead (or in the folder for
// temporary files when that one cannot be written), named after it.
void hideConsole();

} // namespace Sorva
