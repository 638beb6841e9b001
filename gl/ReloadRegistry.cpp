// Registry of the reloadable shader containers.
#include "gl/ReloadRegistry.h"

namespace Sorva {

ReloadRegistry& ReloadRegistry::instance() {
    static ReloadRegistry registry;
    return registry;
}

void ReloadRegistry::add(Reloadable* object) {
    objects_.insert(object);
}

void ReloadRegistry::remove(Reloadable* object) {
    objects_.erase(object);
}

void ReloadRegistry::reloadAll() {
    for (Reloadable* object : objects_)
        object->reload();
}

std::size_t ReloadRegistry::reloadUsing(const std::string& file, std::string& problem) {
    problem.clear();
    std::size_t users = 0;
    for (Reloadable* object : objects_) {
        if (!object->usesFile(file))
            continue;
        ++users;
        if (!object->reloadIfBuilds() && problem.empty())
            problem = object->problem();
    }
    return users;
}

void ReloadRegistry::reloadAllIfBuilds(std::string& problem) {
    problem.clear();
    for (Reloadable* object : objects_)
        if (!object->reloadIfBuilds() && problem.empty())
            problem = object->problem();
}

std::size_t ReloadRegistry::failedCount() const {
    std::size_t failed = 0;
    for (const Reloadable* object : objects_)
        failed += object->failed() ? 1 : 0;
    return failed;
}

} // namespace Sorva
