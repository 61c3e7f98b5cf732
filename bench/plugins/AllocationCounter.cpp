// Replaces the C allocator entries, which operator new and every library in the process
// (the filter libraries loaded with dlopen, PCL's aligned allocator) end up calling; the
// benchmark programs export them so that the loaded libraries bind to these.
#include "AllocationCounter.h"

#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace vantory_bench {
std::atomic<size_t> gAllocations{0};
}

namespace {
inline void counted() {
    vantory_bench::gAllocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

extern "C" {

void* malloc(size_t size) {
    counted();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    counted();
    return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size) {
    counted();
    return __libc_realloc(p, size);
}

void* memalign(size_t alignment, size_t size) {
    counted();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    return memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) {
    void* p = memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}

}  // extern "C"
