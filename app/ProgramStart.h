// What the program asks of, and does to, its platform as it starts: its own
// file and module, the console window it may have been given, and a web
// page's options. One implementation per platform, chosen at build time.
#pragma once

#include <filesystem>
#include <string>

namespace Sorva {

struct StillFrame;

// The running executable's path; empty when it cannot be told.
std::filesystem::path executablePath();

// The program's own module handle, where its resources (the setup dialog's
// template and banner) are found; null where resources are not separate.
void* ownModule();

// Hides the console window the program was given for itself alone (when it
// was double-clicked); a console it shares with the program it was started
// from stays as it is, and is written to. Nobody can read a hidden console:
// standard output and error that went to it go to a log file beside the
// executable instead (or in the folder for temporary files when that one
// cannot be written), named after it.
void hideConsole();

// The options in the address of the page the program runs in ("?row=…");
// empty on the desktop, where the program takes no arguments.
std::string pageQuery();

// Whether building the shaders tells each step on standard output unasked:
// on the desktop that is the program's diagnostic output; a page's console
// is its viewer's, who asks for it with ?verbose.
bool shaderEchoUnasked();

// Hands a still frame (the page's ?row=) to the page that asked for it.
void deliverStill(const StillFrame& still);

// Called with the program's exit status as it returns it; gives it back. A
// web page learns here that the show is over.
int programEnds(int status);

} // namespace Sorva
