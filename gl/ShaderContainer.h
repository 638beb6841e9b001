// A program built from shader files, one per stage, that can rebuild itself
// from those files for live editing.
#pragma once

#include "gl/Reloadable.h"
#include "gl/ShaderObject.h"
#include "gl/ShaderProgram.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace Sorva::Gl {

class ShaderContainer final : public Reloadable {
public:
    // An empty program; the owner adds stages, links and registers it.
    ShaderContainer();
    // Leaves the reload registry, deletes its shaders, then the program.
    ~ShaderContainer();
    ShaderContainer(const ShaderContainer&) = delete;
    ShaderContainer& operator=(const ShaderContainer&) = delete;

    // Reads, compiles and attaches the stage's file, replacing any shader
    // the stage had. The caller links after its last stage. A file that
    // cannot be read, or fails to compile, is named in one line on stderr.
    void addShader(GLenum stage, const std::string& path);
    // Detaches and deletes the stage's shader; its path is remembered.
    void removeShader(GLenum stage);
    // Links; a failure not already explained by a stage is named in one
    // line on stderr with the files of every stage.
    void link();
    // Recompiles every stage from its file, in ascending stage order
    // (fragment before vertex), then links once.
    void reload() override;
    // Compiles every stage from its file beside the program in use and links
    // them in a scratch program; only when that works does the program take
    // the new stages. Otherwise the driver's log goes to stderr, each line
    // with the file and its line number, and the last good program stays.
    bool reloadIfBuilds() override;
    bool usesFile(const std::string& file) const override;
    std::string problem() const override { return problem_; }

    // Whether the last link succeeded (false before the first).
    bool linked() const { return linked_; }
    bool failed() const override { return !linked_; }

    ShaderProgram* program() { return &program_; }

private:
    ShaderProgram program_;
    std::map<GLenum, std::string> paths_;
    std::map<GLenum, std::unique_ptr<ShaderObject>> shaders_;
    // Stages whose shader could not be read or compiled, already reported.
    std::set<GLenum> brokenStages_;
    bool linked_ = false;
    std::string problem_;
};

} // namespace Sorva::Gl
