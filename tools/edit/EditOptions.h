// The command line of halvo-edit: the editor to connect to, where the track
// sources are, the window size, and whether to start paused.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Sorva {

struct EditOptions {
    // A command line the program cannot run; what() says why, naming the option.
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    std::string editorHost = "localhost";
    std::string editorPort = "1338";
    std::string tracks; // the track sources; empty: the tree the build came from
    int width = 1280;
    int height = 720;
    bool paused = false;
    bool help = false;

    // Parses the arguments after the program name; throws Error.
    static EditOptions parse(std::span<const std::string_view> args);

    static const char* usage();
};

} // namespace Sorva
