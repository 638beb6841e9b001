// halvo: the demo. Arguments are ignored.
#include "app/Demo.h"
#include "app/ProgramStart.h"
#include "app/ShowDirectory.h"

#include <cstdio>
#include <exception>

int main() {
    Sorva::enterShowDirectory();
    int status = 1;
    try {
        status = Sorva::runDemo();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return Sorva::programEnds(status);
}
