// A fatal failure where the terminal (or the page's console) is where the
// viewer looks: the one line on standard error.
#include "app/FatalMessage.h"

#include <cstdio>

namespace Sorva {

void reportFatal(const char* message) {
    std::fprintf(stderr, "%s\n", message);
}

} // namespace Sorva
