// Buffers and vertex arrays on a real context: bindings, uploaded bytes and
// the attribute state that the set-up calls leave in the vertex array.
#include "GlTestContext.h"

#include "gl/BufferObject.h"
#include "gl/VertexArrayObject.h"

#include <cstdint>
#include <vector>

using Sorva::Gl::BufferObject;
using Sorva::Gl::VertexArrayObject;

namespace {

class BufferGl : public Sorva::Test::GlTestContext {};

GLint integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

GLint attrib(GLuint index, GLenum name) {
    GLint value = -1;
    glGetVertexAttribiv(index, name, &value);
    return value;
}

} // namespace

TEST_F(BufferGl, BindingsFollowConstructionBindAndUnbind) {
    VertexArrayObject first;
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(first.id()));
    VertexArrayObject second;
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(second.id()));
    first.bind();
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(first.id()));
    second.unbind();
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), 0);

    BufferObject buffer(GL_ARRAY_BUFFER);
    EXPECT_EQ(integer(GL_ARRAY_BUFFER_BINDING), 0) << "construction does not bind";
    buffer.bind();
    EXPECT_EQ(integer(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(buffer.id()));
    buffer.unbind();
    EXPECT_EQ(integer(GL_ARRAY_BUFFER_BINDING), 0);
}

TEST_F(BufferGl, SetDataFillsTheBoundBuffer) {
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 250, 251, 252, 0, 9};
    BufferObject unbound(GL_ARRAY_BUFFER);
    BufferObject bound(GL_ARRAY_BUFFER);
    bound.bind();
    unbound.setData(static_cast<GLsizeiptr>(bytes.size()), bytes.data(), GL_STATIC_DRAW);

    std::vector<std::uint8_t> back(bytes.size());
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(back.size()), back.data());
    EXPECT_EQ(back, bytes);
    GLint size = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 8);
    unbound.bind();
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 0) << "the buffer that was not bound stays empty";
}

TEST_F(BufferGl, AttributeCallsSetUpTheCurrentVertexArray) {
    BufferObject buffer(GL_ARRAY_BUFFER);
    buffer.bind();
    buffer.setData(256, nullptr, GL_STATIC_DRAW);
    VertexArrayObject vao; // bound by construction

    const struct {
        GLuint index;
        GLint components;
        GLenum type;
        bool normalized;
        GLsizei stride;
        std::uintptr_t offset;
        GLuint divisor;
    } rows[] = {
        {0, 3, GL_FLOAT, false, 0, 0, 0},
        {1, 2, GL_UNSIGNED_BYTE, true, 8, 4, 1},
        {5, 4, GL_FLOAT, false, 32, 16, 3},
    };
    for (const auto& row : rows) {
        vao.enableAttrib(row.index);
        vao.attribPointer(row.index, row.components, row.type, row.normalized, row.stride,
                          reinterpret_cast<const void*>(row.offset));
        vao.attribDivisor(row.index, row.divisor);
    }
    vao.disableAttrib(5);

    vao.unbind();
    EXPECT_EQ(attrib(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 0) << "state lives in the vertex array";
    vao.bind();
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "attribute " << row.index);
        EXPECT_EQ(attrib(row.index, GL_VERTEX_ATTRIB_ARRAY_ENABLED), row.index == 5 ? 0 : 1);
        EXPECT_EQ(attrib(row.index, GL_VERTEX_ATTRIB_ARRAY_SIZE), row.components);
        EXPECT_EQ(attrib(row.index, GL_VERTEX_ATTRIB_ARRAY_TYPE), static_cast<GLint>(row.type));
        EXPECT_EQ(attrib(row.index, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), row.normalized ? 1 : 0);
        EXPECT_EQ(attrib(row.index, GL_VERTEX_ATTRIB_ARRAY_STRIDE), row.stride);
        EXPECT_EQ(attrib(row.index, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING),
                  static_cast<GLint>(buffer.id()));
        EXPECT_EQ(attrib(row.index, GL_VERTEX_ATTRIB_ARRAY_DIVISOR),
                  static_cast<GLint>(row.divisor));
        void* pointer = nullptr;
        glGetVertexAttribPointerv(row.index, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pointer), row.offset);
    }
}

TEST_F(BufferGl, DestructionDeletesTheNames) {
    GLuint buffer = 0;
    GLuint vao = 0;
    {
        BufferObject b(GL_ARRAY_BUFFER);
        b.bind();
        VertexArrayObject v;
        buffer = b.id();
        vao = v.id();
        EXPECT_TRUE(glIsBuffer(buffer));
        EXPECT_TRUE(glIsVertexArray(vao));
    }
    EXPECT_FALSE(glIsBuffer(buffer));
    EXPECT_FALSE(glIsVertexArray(vao));
}
