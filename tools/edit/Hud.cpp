// Composing the heads-up display into quads and drawing them.
#include "tools/edit/Hud.h"

#include "gl/ReloadRegistry.h"
#include "tools/PixelFont.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Sorva {

namespace {

constexpr int cells = 128; // one per ASCII code; cell 0 is solid
constexpr int cellWidth = PixelGlyph::width;
constexpr int cellHeight = PixelGlyph::height;
constexpr int floatsPerVertex = 8; // position, texel, colour
constexpr std::size_t maxQuads = 1024;

constexpr int lineChars = 200;

} // namespace

Hud::Hud(Gl::Surface& surface)
    : surface_(surface), atlas_(GL_TEXTURE_2D), vertices_(GL_ARRAY_BUFFER),
      scale_(static_cast<float>(std::max(1, surface.height() / 360))) {
    std::vector<unsigned char> texels(cells * cellWidth * cellHeight, 0);
    for (int c = 0; c < cells; ++c) {
        const PixelGlyph* glyph = c == 0 ? nullptr : pixelGlyph(static_cast<char>(c));
        if (c != 0 && !glyph)
            glyph = pixelGlyph('?');
        for (int y = 0; y < cellHeight; ++y)
            for (int x = 0; x < cellWidth; ++x)
                texels[std::size_t(y * cells * cellWidth + c * cellWidth + x)] =
                    (c == 0 || glyph->lit(x, y)) ? 255 : 0;
    }
    atlas_.bind();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    atlas_.texImage2D(0, GL_R8, cells * cellWidth, cellHeight, 0, GL_RED, GL_UNSIGNED_BYTE,
                      texels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    atlas_.texParameteri(GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    atlas_.texParameteri(GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    program_.addShader(GL_VERTEX_SHADER, "./data/shaders/hud.vs");
    program_.addShader(GL_FRAGMENT_SHADER, "./data/shaders/hud.fs");
    program_.link();
    ReloadRegistry::instance().add(&program_);

    data_.reserve(maxQuads * 6 * floatsPerVertex);
    quads_.bind();
    vertices_.bind();
    vertices_.setData(static_cast<GLsizeiptr>(data_.capacity() * sizeof(float)), nullptr,
                      GL_DYNAMIC_DRAW);
    const GLsizei stride = floatsPerVertex * sizeof(float);
    for (GLuint attribute = 0; attribute < 3; ++attribute)
        quads_.enableAttrib(attribute);
    quads_.attribPointer(0, 2, GL_FLOAT, false, stride, nullptr);
    quads_.attribPointer(1, 2, GL_FLOAT, false, stride, reinterpret_cast<void*>(2 * sizeof(float)));
    quads_.attribPointer(2, 4, GL_FLOAT, false, stride, reinterpret_cast<void*>(4 * sizeof(float)));
}

void Hud::quad(float x, float y, float w, float h, int cell, int texelWidth, Colour c) {
    if (data_.size() + 6 * floatsPerVertex > data_.capacity())
        return;
    const float u0 = static_cast<float>(cell * cellWidth);
    const float u1 = u0 + static_cast<float>(texelWidth);
    const float v1 = cellHeight;
    const float corners[6][4] = {{x, y, u0, 0},      {x + w, y, u1, 0}, {x, y + h, u0, v1},
                                 {x, y + h, u0, v1}, {x + w, y, u1, 0}, {x + w, y + h, u1, v1}};
    for (const auto& v : corners)
        data_.insert(data_.end(), {v[0], v[1], v[2], v[3], c.r, c.g, c.b, c.a});
}

void Hud::rect(float x, float y, float w, float h, Colour colour) {
    quad(x, y, w, h, 0, cellWidth, colour);
}

float Hud::text(float x, float y, std::string_view line, Colour colour) {
    const float advance = (cellWidth + 1) * scale_;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c != ' ')
            quad(x + static_cast<float>(i) * advance, y, cellWidth * scale_, cellHeight * scale_,
                 c > 0 && c < cells ? c : '?', cellWidth, colour);
    }
    return static_cast<float>(line.size()) * advance;
}

void Hud::draw(const Status& s) {
    constexpr Colour white{1.0f, 1.0f, 1.0f, 1.0f};
    constexpr Colour amber{borderColour[0] / 255.0f, borderColour[1] / 255.0f,
                           borderColour[2] / 255.0f, 1.0f};
    constexpr Colour red{1.0f, 0.38f, 0.25f, 1.0f};
    constexpr Colour dim{0.3f, 0.3f, 0.3f, 1.0f};
    constexpr Colour shade{0.0f, 0.0f, 0.0f, 0.65f};

    const int whole = static_cast<int>(std::floor(s.row));
    char position[lineChars], timing[lineChars], transport[lineChars], editor[lineChars];
    std::snprintf(position, sizeof position, "BAR %d:%d  ROW %.2f", whole / 32, whole / 8 % 4,
                  s.row);
    std::snprintf(timing, sizeof timing, "%.2f S  %.1f FPS", s.seconds, s.fps);
    if (s.looping)
        std::snprintf(transport, sizeof transport, "%s  LOOP %d-%d",
                      s.paused ? "PAUSED" : "PLAYING", static_cast<int>(s.loopStart),
                      static_cast<int>(s.loopStart) + 256);
    else
        std::snprintf(transport, sizeof transport, "%s", s.paused ? "PAUSED" : "PLAYING");
    std::snprintf(editor, sizeof editor, "EDITOR %.*s %s", static_cast<int>(s.editor.size()),
                  s.editor.data(), s.editorConnected ? "ON" : "WAITING");

    const float unit = scale_;
    const float advance = (cellWidth + 1) * unit;
    const float lineHeight = (cellHeight + 3) * unit;
    const float margin = 4 * unit;
    // The error is cut to what fits the window.
    const auto fits = static_cast<std::size_t>(
        std::max(0.0f, (static_cast<float>(surface_.width()) - 4 * margin) / advance));
    const std::string_view error = s.error.substr(0, std::min(s.error.size(), fits));
    const std::string_view lines[] = {position, timing, transport, editor};
    std::size_t widest = 22; // the weight bars
    for (std::string_view line : lines)
        widest = std::max(widest, line.size());
    widest = std::max(widest, error.size());
    const int lineCount = 5 + (error.empty() ? 0 : 1);

    data_.clear();
    const float x0 = margin;
    const float y0 = margin;
    const float w = static_cast<float>(widest) * advance + 2 * margin;
    const float h = static_cast<float>(lineCount) * lineHeight + 2 * margin - 3 * unit;
    rect(x0, y0, w, h, shade);
    rect(x0, y0, w, unit, amber);
    rect(x0, y0 + h - unit, w, unit, amber);
    rect(x0, y0, unit, h, amber);
    rect(x0 + w - unit, y0, unit, h, amber);

    float y = y0 + margin;
    const float x = x0 + margin;
    text(x, y, lines[0], white);
    text(x, y += lineHeight, lines[1], white);
    text(x, y += lineHeight, lines[2], s.paused || s.looping ? amber : white);
    // The scene weights: one bar each, filled by the weight's size.
    y += lineHeight;
    const float barX = x + text(x, y, "W ", white);
    const float barWidth = 3 * advance;
    for (std::size_t i = 0; i < s.weights.size(); ++i) {
        const float bx = barX + static_cast<float>(i) * (barWidth + advance);
        const double weight = std::clamp(std::abs(s.weights[i]), 0.0, 1.0);
        rect(bx, y, barWidth, cellHeight * unit, dim);
        rect(bx, y, static_cast<float>(weight) * barWidth, cellHeight * unit, amber);
    }
    text(x, y += lineHeight, lines[3], s.editorConnected ? white : dim);
    if (!error.empty())
        text(x, y += lineHeight, error, red);

    surface_.bindScreen();
    surface_.viewport(0, 0, surface_.width(), surface_.height());
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean blend = glIsEnabled(GL_BLEND);
    GLint blendFunc[4];
    glGetIntegerv(GL_BLEND_SRC_RGB, &blendFunc[0]);
    glGetIntegerv(GL_BLEND_DST_RGB, &blendFunc[1]);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &blendFunc[2]);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &blendFunc[3]);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Gl::ShaderProgram* program = program_.program();
    program->bind();
    program->setUniform2f("iResolution", static_cast<float>(surface_.width()),
                          static_cast<float>(surface_.height()));
    program->setUniform1i("iChannel0", 0);
    surface_.activeTexture(0);
    atlas_.bind();
    quads_.bind();
    vertices_.bind();
    vertices_.setSubData(0, static_cast<GLsizeiptr>(data_.size() * sizeof(float)), data_.data());
    surface_.drawArrays(GL_TRIANGLES, 0, static_cast<int>(data_.size() / floatsPerVertex));
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
    if (!blend)
        glDisable(GL_BLEND);
    glBlendFuncSeparate(GLenum(blendFunc[0]), GLenum(blendFunc[1]), GLenum(blendFunc[2]),
                        GLenum(blendFunc[3]));
}

} // namespace Sorva
