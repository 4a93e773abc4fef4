#include "AllocationBudget.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Every block starts with its size, so that a free counts back what it took; 16 keeps the alignment new
// promises.
constexpr std::size_t kHeader = 16;

std::atomic<long long> g_alive{0};
std::atomic<bool> g_limited{false};
long long g_base = 0;
long long g_limit = 0;
std::atomic<long long> g_peak{0};

void* Allocate(std::size_t size) {
    const auto bytes = static_cast<long long>(size);
    const long long alive = g_alive.fetch_add(bytes) + bytes;
    if (g_limited.load()) {
        if (alive - g_base > g_limit) {
            g_alive.fetch_sub(bytes);
            throw std::bad_alloc();
        }
        long long peak = g_peak.load();
        while (alive - g_base > peak && !g_peak.compare_exchange_weak(peak, alive - g_base)) {
        }
    }
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) {
        g_alive.fetch_sub(bytes);
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    return block + kHeader;
}

void Free(void* pointer) noexcept {
    if (!pointer)
        return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
    g_alive.fetch_sub(static_cast<long long>(*reinterpret_cast<std::size_t*>(block)));
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* pointer) noexcept {
    Free(pointer);
}
void operator delete[](void* pointer) noexcept {
    Free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    Free(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    Free(pointer);
}

namespace qv::test {

AllocationBudget::AllocationBudget(std::size_t bytes) {
    g_base = g_alive.load();
    g_limit = static_cast<long long>(bytes);
    g_peak = 0;
    g_limited = true;
}

AllocationBudget::~AllocationBudget() {
    g_limited = false;
}

std::size_t AllocationBudget::Peak() {
    return static_cast<std::size_t>(g_peak.load());
}

} // namespace qv::test
