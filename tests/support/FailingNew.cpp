#include "tests/support/FailingNew.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace korvex::test {

namespace {
std::atomic<std::size_t> g_limit{0};
}

void failAllocationsFrom(std::size_t bytes) {
    g_limit.store(bytes);
}

void stopFailingAllocations() {
    g_limit.store(0);
}

}  // namespace korvex::test

void* operator new(std::size_t size) {
    const std::size_t limit = korvex::test::g_limit.load(std::memory_order_relaxed);
    if (limit != 0 && size >= limit) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

// Every other form goes through the two above, so whatever the standard
// library or a sanitizer allocates with one form is freed by its partner.
void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
