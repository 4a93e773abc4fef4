#pragma once
// Finds line ends and spaces in a log buffer 64 bytes at a time: each block becomes two bit masks (bit i for
// its byte i), and the next line end or the fifth space of a line is then a few bit operations away instead
// of one comparison per byte. Blocks count from the buffer's start; no byte at or past the limit is read,
// since another thread may still be writing there.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/ByteMasks.h"

namespace qv {

class LogBlockScanner {
public:
    static constexpr std::uint64_t kBlock = 64;

    using Masks = ByteMasks::Masks;

    LogBlockScanner(const char* buffer, std::uint64_t limit) : m_buffer(buffer), m_limit(limit) {}

    // The first byte at or after at that is not a space; the limit when there is none.
    std::uint64_t SkipSpaces(std::uint64_t at) {
        while (at < m_limit) {
            const std::uint64_t index = at / kBlock;
            const std::uint64_t other = ~Block(index).space >> (at % kBlock);
            if (other)
                return std::min(at + static_cast<std::uint64_t>(std::countr_zero(other)), m_limit);
            at = (index + 1) * kBlock;
        }
        return m_limit;
    }

    // The LF at or after at; the limit when there is none.
    std::uint64_t LineEnd(std::uint64_t at) {
        while (at < m_limit) {
            const std::uint64_t index = at / kBlock;
            const std::uint64_t lf = Block(index).lf >> (at % kBlock);
            if (lf)
                return at + static_cast<std::uint64_t>(std::countr_zero(lf));
            at = (index + 1) * kBlock;
        }
        return m_limit;
    }

    // The count-th space at or after at, before the line's LF, and true; when the line has fewer, its LF
    // (or the limit) and false.
    std::uint64_t NthSpace(std::uint64_t at, int count, bool& found) {
        while (at < m_limit) {
            const std::uint64_t index = at / kBlock;
            const Masks& block = Block(index);
            const unsigned shift = static_cast<unsigned>(at % kBlock);
            const std::uint64_t lf = block.lf >> shift;
            std::uint64_t spaces = block.space >> shift;
            if (lf)
                spaces &= (lf & (0 - lf)) - 1;
            for (; spaces; spaces &= spaces - 1) {
                if (--count == 0) {
                    found = true;
                    return at + static_cast<std::uint64_t>(std::countr_zero(spaces));
                }
            }
            if (lf) {
                found = false;
                return at + static_cast<std::uint64_t>(std::countr_zero(lf));
            }
            at = (index + 1) * kBlock;
        }
        found = false;
        return m_limit;
    }

    // The masks of the block-th 64 bytes: bytes at or past the limit are neither LF nor space.
    Masks BlockMasks(std::uint64_t block) const {
        const std::uint64_t start = block * kBlock;
        if (start >= m_limit)
            return {};
        if (m_limit - start >= kBlock)
            return FastMasks(m_buffer + start);
        // Zeros past the limit: neither LF nor space.
        char tail[kBlock] = {};
        std::memcpy(tail, m_buffer + start, static_cast<std::size_t>(m_limit - start));
        return FastMasks(tail);
    }

    static void Prefetch(const char* p) { ByteMasks::Prefetch(p); }
    static Masks FastMasks(const char* bytes) { return ByteMasks::Fast(bytes); }

private:
    const Masks& Block(std::uint64_t index) {
        if (index != m_index) {
            m_index = index;
            m_masks = BlockMasks(index);
        }
        return m_masks;
    }

    const char* m_buffer;
    std::uint64_t m_limit;
    std::uint64_t m_index = ~std::uint64_t{0};
    Masks m_masks;
};

} // namespace qv
