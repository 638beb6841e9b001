// Image loading into a texture.
#include "gl/LoadTexture.h"

#include "gl/DecodedImage.h"
#include "gl/StartupObserver.h"

#include <cstdio>
#include <string>

namespace Sorva::Gl {

void loadTexture(const std::string& path, Texture& texture) {
    StartupObserver::Scope timing(StartupObserver::Work::ImageDecoding);
    const DecodedImage image(path);
    texture.bind();
    if (!image.pixels()) {
        std::fprintf(stderr, "Cannot load image %s: %s\n", path.c_str(), image.problem().c_str());
        return;
    }
    texture.texImage2D(0, GL_RGBA, image.width(), image.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                       image.pixels());
    texture.texParameteri(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture.texParameteri(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
}

} // namespace Sorva::Gl
