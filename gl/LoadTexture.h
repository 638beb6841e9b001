// Decoding an image file into an 8-bit RGBA texture.
#pragma once

#include "gl/Texture.h"

#include <string>

namespace Sorva::Gl {

// Decodes the image at path as RGBA (rows in file order: the file's first row
// becomes texture row 0), uploads it into the texture with linear filtering
// and mipmaps, and leaves the texture bound. A file DecodedImage refuses (not
// a regular file, past the show's image limit, or not decodable) is reported
// on stderr and leaves the texture without storage, so it samples as black.
void loadTexture(const std::string& path, Texture& texture);

} // namespace Sorva::Gl
