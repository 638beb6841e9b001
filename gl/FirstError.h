// The first error of a driver's shader or program log, for a one-line report,
// and the whole log told against the file it came from.
#pragma once

#include <string>

namespace Sorva::Gl {

struct FirstError {
    int line = 0;        // source line the driver names; 0 when it names none
    std::string message; // the error without its location prefix
};

// The first line of the log that says "error" (else its first non-empty
// line), its location taken off: Mesa "0:12(5): error: ...", NVIDIA
// "0(12) : error C0000: ..." and the reference compiler's "ERROR: 0:12: ...".
FirstError firstError(const std::string& log);

// Every non-empty line of the log as "PATH:LINE: rest" where the driver names
// a line (in any of the forms above), else "PATH: line".
std::string logWithFile(const std::string& log, const std::string& path);

} // namespace Sorva::Gl
