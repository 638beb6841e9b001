// The surface's GL calls, one each.
#include "gl/Surface.h"

#include <GL/glew.h>

namespace Sorva::Gl {

void Surface::activeTexture(unsigned int unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
}

void Surface::bindScreen() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Surface::drawArrays(int mode, int first, int count) {
    glDrawArrays(static_cast<GLenum>(mode), first, count);
}

void Surface::drawArraysInstanced(int mode, int first, int count, int instanceCount) {
    glDrawArraysInstanced(static_cast<GLenum>(mode), first, count, instanceCount);
}

void Surface::viewport(int x, int y, int width, int height) {
    glViewport(x, y, width, height);
}

} // namespace Sorva::Gl
