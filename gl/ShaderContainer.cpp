// Shader stages loaded from files, with reload.
#include "gl/ShaderContainer.h"

#include "gl/FirstError.h"
#include "gl/ReadFile.h"
#include "gl/ReloadRegistry.h"

#include <cstdio>
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
    std::string source;
    const bool read = readFile(path, source);
    shader->setSource(source);
    shader->compile();
    // An unreadable file has had its line; its empty source fails as a matter of course.
    if (!read) {
        brokenStages_.insert(stage);
    } else if (!shader->compiled()) {
        const FirstError error = firstError(shader->log());
        if (error.line > 0)
            std::fprintf(stderr, "Cannot compile shader %s, line %d: %s\n", path.c_str(),
                         error.line, error.message.c_str());
        else
            std::fprintf(stderr, "Cannot compile shader %s: %s\n", path.c_str(),
                         error.message.c_str());
        brokenStages_.insert(stage);
    }
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
    brokenStages_.erase(stage);
}

void ShaderContainer::link() {
    program_.link();
    linked_ = program_.linked();
    if (linked_ || !brokenStages_.empty())
        return;
    std::string files;
    for (const auto& [stage, shader] : shaders_)
        files += (files.empty() ? "" : " and ") + paths_[stage];
    const FirstError error = firstError(program_.log());
    std::fprintf(stderr, "Cannot link shaders %s: %s\n", files.empty() ? "(none)" : files.c_str(),
                 error.message.c_str());
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
