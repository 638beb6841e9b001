// halvo-edit: the show live, for making it (see --help).
#include "tools/edit/EditOptions.h"
#include "tools/edit/EditSession.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    Sorva::EditOptions options;
    try {
        options = Sorva::EditOptions::parse(args);
    } catch (const Sorva::EditOptions::Error& e) {
        std::fprintf(stderr, "halvo-edit: %s\n", e.what());
        return 2;
    }
    if (options.help) {
        std::fputs(Sorva::EditOptions::usage(), stdout);
        return 0;
    }
    // An editor that goes away shows as a failed send, not as a killed show.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        Sorva::EditSession(options).run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "halvo-edit: %s\n", e.what());
        return 1;
    }
    return 0;
}
