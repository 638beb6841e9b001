// Counts the bytes requested through operator new while an AllocationCount
// lives; for tests that bound what a loader allocates.
#pragma once

#include <cstddef>

namespace Sorva {

class AllocationCount {
public:
    AllocationCount();
    ~AllocationCount();
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;

    // Bytes requested since construction.
    std::size_t bytes() const;
};

} // namespace Sorva
