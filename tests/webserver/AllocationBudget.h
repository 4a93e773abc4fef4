#pragma once
// Makes allocations fail, for the paths a reader takes when memory runs out: this test program replaces
// operator new, and while a budget is set, an allocation that would take the bytes alive since it was set
// past it throws std::bad_alloc. Freed memory counts back, as it does for a real process.
#include <cstddef>

namespace qv::test {

class AllocationBudget {
public:
    explicit AllocationBudget(std::size_t bytes);
    ~AllocationBudget();
    AllocationBudget(const AllocationBudget&) = delete;
    AllocationBudget& operator=(const AllocationBudget&) = delete;

    // The most bytes alive at once since the budget was set.
    static std::size_t Peak();
};

} // namespace qv::test
