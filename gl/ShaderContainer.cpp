// Shader stages loaded from files, with reload.
#include "gl/ShaderContainer.h"

#include "gl/FirstError.h"
#include "gl/ReadFile.h"
#include "gl/ReloadRegistry.h"

#include <cstdio>
#include <filesystem>
#include <vector>

namespace Sorva::Gl {

namespace {

// "PATH:LINE: message", or "PATH: message" when the driver names no line.
std::string located(const std::string& path, const FirstError& error) {
    std::string out = path;
    if (error.line > 0)
        out.append(":").append(std::to_string(error.line));
    return out.append(": ").append(error.message);
}

} // namespace

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
        problem_ = located(path, error);
    }
    if (!read)
        problem_ = "cannot read " + path;
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
    if (linked_)
        problem_.clear();
    if (linked_ || !brokenStages_.empty())
        return;
    std::string files;
    for (const auto& [stage, shader] : shaders_)
        files += (files.empty() ? "" : " and ") + paths_[stage];
    const FirstError error = firstError(program_.log());
    std::fprintf(stderr, "Cannot link shaders %s: %s\n", files.empty() ? "(none)" : files.c_str(),
                 error.message.c_str());
    problem_ = "cannot link " + files + ": " + error.message;
}

bool ShaderContainer::reloadIfBuilds() {
    // Every stage anew, beside the ones in use.
    std::map<GLenum, std::unique_ptr<ShaderObject>> fresh;
    bool compiled = true;
    for (const auto& [stage, old] : shaders_) {
        const std::string& path = paths_[stage];
        auto shader = std::make_unique<ShaderObject>(stage);
        std::string source;
        if (!readFile(path, source)) {
            problem_ = "cannot read " + path;
            return false;
        }
        shader->setSource(source);
        shader->compile();
        if (!shader->compiled()) {
            std::fprintf(stderr, "%s", logWithFile(shader->log(), path).c_str());
            if (compiled)
                problem_ = located(path, firstError(shader->log()));
            compiled = false;
        }
        fresh[stage] = std::move(shader);
    }
    if (!compiled)
        return false;

    // A trial link, so that a link error leaves the program in use alone.
    {
        ShaderProgram trial;
        for (const auto& [stage, shader] : fresh)
            trial.attach(shader.get());
        trial.link();
        for (const auto& [stage, shader] : fresh)
            trial.detach(shader.get());
        if (!trial.linked()) {
            std::string files;
            for (const auto& [stage, shader] : fresh)
                files += (files.empty() ? "" : " and ") + paths_[stage];
            std::fprintf(stderr, "Cannot link shaders %s:\n%s", files.c_str(),
                         logWithFile(trial.log(), files).c_str());
            problem_ = "cannot link " + files + ": " + firstError(trial.log()).message;
            return false;
        }
    }

    for (auto& [stage, shader] : fresh) {
        program_.detach(shaders_[stage].get());
        program_.attach(shader.get());
        shaders_[stage] = std::move(shader);
    }
    brokenStages_.clear();
    link();
    problem_.clear();
    return true;
}

bool ShaderContainer::usesFile(const std::string& file) const {
    const std::filesystem::path wanted = std::filesystem::path(file).lexically_normal();
    for (const auto& [stage, path] : paths_)
        if (std::filesystem::path(path).lexically_normal() == wanted)
            return true;
    return false;
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
