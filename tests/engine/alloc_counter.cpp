#include "tests/engine/alloc_counter.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<uint64_t> allocationCount{0};
std::atomic<uint64_t> allocatedBytes{0};

void note(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocationCount.fetch_add(1, std::memory_order_relaxed);
        allocatedBytes.fetch_add(size, std::memory_order_relaxed);
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCountsMalloc = false;
void* plainAllocate(std::size_t size) { return std::malloc(size); }
void* alignedAllocate(std::size_t alignment, std::size_t size) {
    void* p = nullptr;
    return posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}
void plainFree(void* p) { std::free(p); }
#else
constexpr bool kCountsMalloc = true;
#endif

}  // namespace

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// The C library's own entry points, which the replacements below forward to.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size) {
    note(size);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    note(count * size);
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
    note(size);
    return __libc_realloc(p, size);
}
void free(void* p) { __libc_free(p); }
void* memalign(std::size_t alignment, std::size_t size) {
    note(size);
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    note(size);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    note(size);
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *out = p;
    return 0;
}
}

namespace {
void* plainAllocate(std::size_t size) { return __libc_malloc(size); }
void* alignedAllocate(std::size_t alignment, std::size_t size) { return __libc_memalign(alignment, size); }
void plainFree(void* p) { __libc_free(p); }
}  // namespace
#endif

// operator new in all its forms (they take memory from the C library's own
// entry points, so nothing is counted twice).
namespace {
void* newBlock(std::size_t size) {
    note(size);
    return plainAllocate(size == 0 ? 1 : size);
}
void* newAligned(std::size_t size, std::align_val_t alignment) {
    note(size);
    const auto a = static_cast<std::size_t>(alignment);
    return alignedAllocate(a < sizeof(void*) ? sizeof(void*) : a, size == 0 ? a : size);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = newBlock(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return newBlock(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return newBlock(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    if (void* p = newAligned(size, alignment))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return newAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return newAligned(size, alignment);
}
void operator delete(void* p) noexcept { plainFree(p); }
void operator delete[](void* p) noexcept { plainFree(p); }
void operator delete(void* p, std::size_t) noexcept { plainFree(p); }
void operator delete[](void* p, std::size_t) noexcept { plainFree(p); }
void operator delete(void* p, std::align_val_t) noexcept { plainFree(p); }
void operator delete[](void* p, std::align_val_t) noexcept { plainFree(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { plainFree(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { plainFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { plainFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { plainFree(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { plainFree(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { plainFree(p); }

namespace alloccount {

bool countsMalloc() { return kCountsMalloc; }

Scope::Scope() {
    allocationCount.store(0);
    allocatedBytes.store(0);
    counting.store(true);
}

Scope::~Scope() { counting.store(false); }

uint64_t Scope::allocations() const { return allocationCount.load(); }
uint64_t Scope::bytes() const { return allocatedBytes.load(); }

}  // namespace alloccount
