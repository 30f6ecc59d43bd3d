#pragma once

// Real allocation failures for tests: while armed, every `new` of at least
// the given size throws std::bad_alloc as an exhausted heap would. Smaller
// allocations, and Qt's own containers (which use malloc), go on working, so
// the failure lands in the program's own large allocations. The replaced
// operators live in FailingNew.cpp, linked into the test program.

#include <cstddef>

namespace korvex::test {

void failAllocationsFrom(std::size_t bytes);
void stopFailingAllocations();

// Arms the failure for its lifetime.
class AllocationFailure {
public:
    explicit AllocationFailure(std::size_t bytes) { failAllocationsFrom(bytes); }
    ~AllocationFailure() { stopFailingAllocations(); }
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;
};

}  // namespace korvex::test
