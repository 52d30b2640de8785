// Counts heap allocations made on the calling thread while a counter is in scope, to
// check that steady-state audio processing allocates nothing.
#pragma once

#include <cstddef>

namespace md::test {

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    std::size_t count() const;
};

}  // namespace md::test
