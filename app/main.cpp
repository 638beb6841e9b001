// halvo: the demo. Arguments are ignored.
#include "app/Demo.h"
#include "app/FatalMessage.h"
#include "app/ProgramStart.h"
#include "app/ShowDirectory.h"

#include <exception>

int main() {
    Sorva::enterShowDirectory();
    int status = 1;
    try {
        status = Sorva::runDemo();
    } catch (const std::exception& e) {
        // Everything runDemo made, its window included, is gone by now.
        Sorva::reportFatal(e.what());
    }
    return Sorva::programEnds(status);
}
