// Start-up in a browser: the show's files are the page's data package at the
// root of its file system, where the program starts; no console, no module.
// The page's address carries its options; a still frame goes to the page as
// Module.halvoStill for whoever asked.
#include "app/ProgramStart.h"

#include "app/StillFrame.h"

#include <emscripten.h>

#include <cstddef>

namespace Sorva {

namespace {

// Writes the address's "?…" into out (size bytes with its terminator);
// returns its length in UTF-8 bytes.
EM_JS(int, halvoPageQuery, (char* out, int size), {
    const query = location.search;
    if (out)
        stringToUTF8(query, out, size);
    return lengthBytesUTF8(query);
});

EM_JS(void, halvoDeliverStill,
      (int width, int height, double frame, double row, const unsigned char* rgba), {
          Module.halvoStill = {
              width : width,
              height : height,
              frame : frame,
              row : row,
              rgba : HEAPU8.slice(rgba, rgba + width * height * 4)
          };
      });

// The page's own handler for the program's end (index.html's).
EM_JS(void, halvoProgramEnds, (int status), {
    if (Module.halvoEnded)
        Module.halvoEnded(status);
});

} // namespace

std::filesystem::path executablePath() {
    return {};
}

void* ownModule() {
    return nullptr;
}

void hideConsole() {}

std::string pageQuery() {
    std::string query(static_cast<std::size_t>(halvoPageQuery(nullptr, 0)), '\0');
    halvoPageQuery(query.data(), static_cast<int>(query.size()) + 1);
    return query;
}

bool shaderEchoUnasked() {
    return false;
}

void deliverStill(const StillFrame& still) {
    halvoDeliverStill(still.width, still.height, static_cast<double>(still.frame), still.row,
                      still.rgba.data());
}

int programEnds(int status) {
    halvoProgramEnds(status);
    return status;
}

} // namespace Sorva
