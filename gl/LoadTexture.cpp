// Image loading through stb_image.
#include "gl/LoadTexture.h"

#include "gl/StartupObserver.h"
#include "sync/RegularFile.h"

#include <stb_image.h>

#include <cstdio>

namespace Sorva::Gl {

void loadTexture(const std::string& path, Texture& texture) {
    StartupObserver::Scope timing(StartupObserver::Work::ImageDecoding);
    int width = 0;
    int height = 0;
    int fileChannels = 0;
    // Only a regular file is read: opening a FIFO would wait for a writer.
    const RegularFile opened = openRegularFile(path);
    stbi_uc* pixels = nullptr;
    if (opened.file) {
        pixels = stbi_load_from_file(opened.file, &width, &height, &fileChannels, 4);
        std::fclose(opened.file);
    }
    texture.bind();
    if (!pixels) {
        std::fprintf(stderr, "Cannot load image %s: %s\n", path.c_str(),
                     opened.problem.empty() ? stbi_failure_reason() : opened.problem.c_str());
        return;
    }
    texture.texImage2D(0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    texture.texParameteri(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture.texParameteri(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
    stbi_image_free(pixels);
}

} // namespace Sorva::Gl
