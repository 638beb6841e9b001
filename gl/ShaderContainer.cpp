// Shader stages loaded from files, with reload.
#include "gl/ShaderContainer.h"

#include "gl/ReadFile.h"
#include "gl/ReloadRegistry.h"

#include <vector>

namespace Sorva::Gl {

ShaderContainer::ShaderContainer() = default;

ShaderContainer::~ShaderContainer() {
    // The registry must never be left pointing at a dead container.
    ReloadRegistry::instance().remove(this);
}

void ShaderContainer::addShader(GLenum stage, const std::string& path) {
    removeShader(stage);
    auto shader = std::make_unique<ShaderObject>(stage);
    shader->bind();
    shader->setSource(readFile(path));
    shader->compile();
    program_.attach(shader.get());
    paths_[stage] = path;
    shaders_[stage] = std::move(shader);
}

void ShaderContainer::removeShader(GLenum stage) {
    const auto it = shaders_.find(stage);
    if (it == shaders_.end())
        return;
    program_.detach(it->second.get());
    shaders_.erase(it);
}

void ShaderContainer::link() {
    program_.link();
}

void ShaderContainer::reload() {
    std::vector<GLenum> stages;
    for (const auto& [stage, shader] : shaders_)
        stages.push_back(stage);
    for (const GLenum stage : stages) {
        const std::string path = paths_[stage];
        removeShader(stage);
        addShader(stage, path);
    }
    link();
}

} // namespace Sorva::Gl
