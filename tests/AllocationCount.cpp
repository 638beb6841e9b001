// Replaces the global operator new of the test executable to count requests.
#include "tests/AllocationCount.h"

#include <cstdlib>
#include <new>

namespace {

bool counting = false;
std::size_t counted = 0;

} // namespace

void* operator new(std::size_t size) {
    if (counting)
        counted += size;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace Sorva {

AllocationCount::AllocationCount() {
    counted = 0;
    counting = true;
}

AllocationCount::~AllocationCount() {
    counting = false;
}

std::size_t AllocationCount::bytes() const {
    return counted;
}

} // namespace Sorva
