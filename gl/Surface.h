// The drawing surface everything draws on: the window's size and the few GL
// calls the drawing code issues through it (texture unit, the window's
// framebuffer, viewport, draws). It owns no window; the display context that
// does derives from it.
#pragma once

namespace Sorva::Gl {

class Surface {
public:
    Surface(int width, int height) : width_(width), height_(height) {}
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // As requested at construction; never changes.
    int width() const { return width_; }
    int height() const { return height_; }

    // glActiveTexture with GL_TEXTURE0 + unit.
    void activeTexture(unsigned int unit);
    // Binds framebuffer 0: later drawing goes to the window.
    void bindScreen();
    void drawArrays(int mode, int first, int count);
    void drawArraysInstanced(int mode, int first, int count, int instanceCount);
    void viewport(int x, int y, int width, int height);

private:
    int width_;
    int height_;
};

} // namespace Sorva::Gl
