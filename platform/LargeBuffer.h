#pragma once
// One large block of memory, zero-filled, that a whole file is read into. Fresh memory from the system is
// zero already, so nothing is written to it here: a 1 GB buffer costs nothing until it is filled.
// POSIX: an anonymous mapping. Win32: VirtualAlloc.
#include <cstddef>
#include <utility>

namespace qv {

class LargeBuffer {
public:
    LargeBuffer() = default;
    // Empty (Data() is null) when the memory is not there, or for 0 bytes.
    explicit LargeBuffer(std::size_t bytes);
    LargeBuffer(LargeBuffer&& other) noexcept { *this = std::move(other); }
    LargeBuffer& operator=(LargeBuffer&& other) noexcept {
        if (this != &other) {
            Release();
            m_data = std::exchange(other.m_data, nullptr);
            m_size = std::exchange(other.m_size, 0);
        }
        return *this;
    }
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    ~LargeBuffer() { Release(); }

    // Makes the pages of [offset, offset + bytes) present without changing what they hold, so that a
    // later write there does not stop on page faults; another thread may write elsewhere in the buffer
    // meanwhile. POSIX: faulting in fresh pages costs about as much as copying into them, so a second
    // thread can take that half of filling the buffer. False when the system cannot (Win32, older
    // kernels): later calls would fail too, and the buffer works the same without.
    bool Prepare(std::size_t offset, std::size_t bytes);

    char* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }
    explicit operator bool() const { return m_data != nullptr; }

private:
    void Release();

    char* m_data = nullptr;
    std::size_t m_size = 0;
};

} // namespace qv
