// Counts heap allocations made anywhere in the test process (operator new in
// all its forms and, outside sanitizer builds, the C allocation functions)
// while counting is switched on.
#pragma once

#include <cstdint>

namespace alloccount {

// True when the C allocation functions are counted too (not in sanitizer
// builds, whose runtimes own them).
bool countsMalloc();

class Scope {
public:
    Scope();
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    uint64_t allocations() const;
    uint64_t bytes() const;
};

}  // namespace alloccount
