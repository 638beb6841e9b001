// Writing an RGB picture as a PNG file, with encoder settings that keep the
// capture tool's writer thread ahead of rendering.
#pragma once

#include <cstdint>
#include <filesystem>

namespace Sorva {

// Writes width x height RGB pixels, top row first. Throws
// std::runtime_error naming the file when it cannot; a file it could not
// finish is removed.
void writePng(const std::filesystem::path& path, int width, int height, const std::uint8_t* pixels);

} // namespace Sorva
