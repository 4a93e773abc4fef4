#pragma once
// Bit masks of line ends and spaces over 64 bytes (bit i for byte i), with SSE2 where the CPU has it (every
// x86-64 does) and eight bytes to a word elsewhere. The log indexer finds lines and fields with them.
#include <bit>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace qv {

class ByteMasks {
public:
    static constexpr unsigned kBlock = 64;

    struct Masks {
        std::uint64_t lf = 0;
        std::uint64_t space = 0;
    };

    // Asks for the 64 bytes at p to be brought into the cache.
    static void Prefetch(const char* p) {
#ifdef __SSE2__
        _mm_prefetch(p, _MM_HINT_T0);
#else
        static_cast<void>(p);
#endif
    }

    // The masks of 64 bytes, one byte at a time; the reference for Fast.
    static Masks Portable(const char* bytes) {
        Masks masks;
        for (unsigned i = 0; i < kBlock; ++i) {
            masks.lf |= std::uint64_t{bytes[i] == '\n'} << i;
            masks.space |= std::uint64_t{bytes[i] == ' '} << i;
        }
        return masks;
    }

    // The same with SSE2 (every x86-64 CPU has it), else eight bytes to a word.
    static Masks Fast(const char* bytes) {
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
};

} // namespace qv
