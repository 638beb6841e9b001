// The one exception type of the demo: thrown by value at start-up when the
// show cannot go on, reported by the entry point.
#pragma once

#include <exception>
#include <string>

namespace Sorva {

class Rexception : public std::exception {
public:
    explicit Rexception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

} // namespace Sorva
