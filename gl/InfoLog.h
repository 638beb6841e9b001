// Printing the info log of a shader or program, shared by both wrappers.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace Sorva::Gl {

// When length is above 0, fetches the log into length + 1 zeroed bytes with
// fetch(length, buffer) and prints it on stdout followed by a newline.
// Returns the log printed (empty when none).
template <typename Fetch> std::string printInfoLog(GLint length, Fetch fetch) {
    if (length <= 0)
        return {};
    std::vector<GLchar> buffer(static_cast<std::size_t>(length) + 1, 0);
    fetch(static_cast<GLsizei>(length), buffer.data());
    std::printf("%s\n", buffer.data());
    return buffer.data();
}

} // namespace Sorva::Gl
