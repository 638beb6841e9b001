// The process's start-up time record.
#include "gl/StartupTimes.h"

namespace Sorva::Gl {

StartupTimes& StartupTimes::instance() {
    static StartupTimes times;
    return times;
}

} // namespace Sorva::Gl
