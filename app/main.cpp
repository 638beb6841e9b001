// halvo: the demo. Arguments are ignored.
#include "app/Demo.h"
#include "app/ShowDirectory.h"

#include <cstdio>
#include <exception>

int main() {
    Sorva::enterShowDirectory();
    try {
        return Sorva::runDemo();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
