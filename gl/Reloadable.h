// Something that can rebuild itself from its files on request (live reload).
#pragma once

#include <string>

namespace Sorva {

class Reloadable {
public:
    virtual void reload() = 0;
    // True while its last build left it unusable (a program that did not link).
    virtual bool failed() const { return false; }

    // For editing while the show runs: rebuilds from its files only if they
    // build, otherwise keeps what it had (and says why once); returns
    // whether it rebuilt.
    virtual bool reloadIfBuilds() {
        reload();
        return !failed();
    }
    // Whether it is built from that file (compared as written, normalised).
    virtual bool usesFile(const std::string&) const { return false; }
    // One line saying why its last build or rebuild failed; empty after one
    // that succeeded.
    virtual std::string problem() const { return {}; }

protected:
    Reloadable() = default;
    // Never deleted through this interface.
    ~Reloadable() = default;
};

} // namespace Sorva
