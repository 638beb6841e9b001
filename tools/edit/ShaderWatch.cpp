// Watching shader files and rebuilding the programs that use them.
#include "tools/edit/ShaderWatch.h"

#include "gl/ReloadRegistry.h"

namespace Sorva {

ShaderWatch::ShaderWatch(const std::filesystem::path& directory)
    : watch_(directory, true, "shaders") {}

bool ShaderWatch::poll() {
    const auto& saved = watch_.poll();
    for (const std::filesystem::path& file : saved) {
        std::string problem;
        if (ReloadRegistry::instance().reloadUsing(file.string(), problem) > 0)
            note(file.string(), problem);
    }
    return !saved.empty();
}

void ShaderWatch::rebuiltAll(const std::string& problem) {
    problems_.clear();
    note("", problem);
}

void ShaderWatch::note(const std::string& file, const std::string& problem) {
    if (problem.empty()) {
        problems_.erase(file);
    } else {
        problems_[file] = problem;
        last_ = file;
    }
    const auto last = problems_.find(last_);
    problem_ = last != problems_.end() ? last->second
               : problems_.empty()     ? std::string()
                                       : problems_.begin()->second;
}

} // namespace Sorva
