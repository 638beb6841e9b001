// Something that can rebuild itself from its files on request (live reload).
#pragma once

namespace Sorva {

class Reloadable {
public:
    virtual void reload() = 0;
    // True while its last build left it unusable (a program that did not link).
    virtual bool failed() const { return false; }

protected:
    Reloadable() = default;
    // Never deleted through this interface.
    ~Reloadable() = default;
};

} // namespace Sorva
