#pragma once
// Finds line ends and spaces in a log buffer 64 bytes at a time: each block becomes two bit masks (bit i for
// its byte i), and the next line end or the fifth space of a line is then a few bit operations away instead
// of one comparison per byte. Blocks count from the buffer's start; no byte at or past the limit is read,
// since another thread may still be writing there.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace qv {

class LogBlockScanner {
public:
    static constexpr std::uint64_t kBlock = 64;

    struct Masks {
        std::uint64_t lf = 0;
        std::uint64_t space = 0;
    };

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

    // Asks for the 64 bytes at p to be brought into the cache.
    static void Prefetch(const char* p) {
#ifdef __SSE2__
        _mm_prefetch(p, _MM_HINT_T0);
#else
        static_cast<void>(p);
#endif
    }

    // The masks of 64 bytes, one byte at a time; the reference for FastMasks.
    static Masks PortableMasks(const char* bytes) {
        Masks masks;
        for (unsigned i = 0; i < kBlock; ++i) {
            masks.lf |= std::uint64_t{bytes[i] == '\n'} << i;
            masks.space |= std::uint64_t{bytes[i] == ' '} << i;
        }
        return masks;
    }

    // The same with SSE2 (every x86-64 CPU has it), else eight bytes to a word.
    static Masks FastMasks(const char* bytes) {
        Masks masks;
#ifdef __SSE2__
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i space = _mm_set1_epi8(' ');
        for (unsigned i = 0; i < kBlock / 16; ++i) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * i));
            const auto bits = [&](__m128i c) {
                return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, c)))};
            };
            masks.lf |= bits(lf) << (16 * i);
            masks.space |= bits(space) << (16 * i);
        }
#else
        for (unsigned i = 0; i < kBlock / 8; ++i) {
            std::uint64_t word;
            std::memcpy(&word, bytes + 8 * i, sizeof(word));
            if constexpr (std::endian::native == std::endian::big)
                word = ByteSwap(word);
            masks.lf |= WordBits(word, '\n') << (8 * i);
            masks.space |= WordBits(word, ' ') << (8 * i);
        }
#endif
        return masks;
    }

private:
#ifndef __SSE2__
    static std::uint64_t ByteSwap(std::uint64_t word) {
        std::uint64_t swapped = 0;
        for (int i = 0; i < 8; ++i, word >>= 8)
            swapped = (swapped << 8) | (word & 0xFF);
        return swapped;
    }

    // Bit i set where byte i of the word equals c. The equality test is exact: no carry runs from one
    // byte into the next; the multiplication then gathers the eight high bits into one byte.
    static std::uint64_t WordBits(std::uint64_t word, char c) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
        const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
        const std::uint64_t high = ~(((x & kLow7) + kLow7) | x | kLow7);
        return ((high >> 7) * 0x0102040810204080ull) >> 56;
    }
#endif

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
