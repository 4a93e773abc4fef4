#include "platform/LargeBuffer.h"

#include <windows.h>

namespace qv {

LargeBuffer::LargeBuffer(std::size_t bytes) {
    if (bytes == 0)
        return;
    // Committed pages read as zero until written.
    void* base = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!base)
        return;
    m_data = static_cast<char*>(base);
    m_size = bytes;
}

bool LargeBuffer::Prepare(std::size_t, std::size_t) {
    // No way to fault pages in without touching them, which would race with the writer.
    return false;
}

void LargeBuffer::Release() {
    if (m_data)
        VirtualFree(m_data, 0, MEM_RELEASE);
    m_data = nullptr;
    m_size = 0;
}

} // namespace qv
