// The process-wide list of reloadable objects that the reload key rebuilds.
#pragma once

#include "gl/Reloadable.h"

#include <cstddef>
#include <set>
#include <string>

namespace Sorva {

class ReloadRegistry {
public:
    // The one registry, created on first call.
    static ReloadRegistry& instance();

    ReloadRegistry(const ReloadRegistry&) = delete;
    ReloadRegistry& operator=(const ReloadRegistry&) = delete;

    // Registers an object it does not own; adding it again changes nothing.
    void add(Reloadable* object);
    // Forgets the object, if registered; its owner calls this before it dies.
    void remove(Reloadable* object);
    // Reloads every registered object once, in ascending address order.
    void reloadAll();
    // Rebuilds, each only if it builds, every object built from `file`;
    // returns how many are. Their first problem() goes to `problem`, or ""
    // when all rebuilt.
    std::size_t reloadUsing(const std::string& file, std::string& problem);
    // Every object, each only if it builds; the first problem to `problem`.
    void reloadAllIfBuilds(std::string& problem);
    // How many registered objects are failed() now: shader containers whose
    // last link failed.
    std::size_t failedCount() const;

private:
    ReloadRegistry() = default;

    std::set<Reloadable*> objects_;
};

} // namespace Sorva
