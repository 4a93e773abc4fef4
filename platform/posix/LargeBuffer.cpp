#include "platform/LargeBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace qv {

LargeBuffer::LargeBuffer(std::size_t bytes) {
    if (bytes == 0)
        return;
    // Ordinary pages, not huge ones: where the machine is a virtual one that hands free memory back to
    // its host, a fresh huge page has to be fetched back from the host first, and filling a buffer of
    // them took several times as long as with small pages.
    void* base = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return;
    m_data = static_cast<char*>(base);
    m_size = bytes;
}

bool LargeBuffer::Prepare(std::size_t offset, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    if (!m_data || offset >= m_size)
        return m_data != nullptr;
    bytes = std::min(bytes, m_size - offset);
    // madvise wants a page-aligned start.
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(m_data + offset);
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t aligned = start / page * page;
    return madvise(reinterpret_cast<void*>(aligned), bytes + (start - aligned), MADV_POPULATE_WRITE) == 0;
#else
    static_cast<void>(offset);
    static_cast<void>(bytes);
    return false;
#endif
}

void LargeBuffer::Release() {
    if (m_data)
        munmap(m_data, m_size);
    m_data = nullptr;
    m_size = 0;
}

} // namespace qv
