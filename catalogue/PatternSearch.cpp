#include "catalogue/PatternSearch.h"

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KESTRIN_VECTOR_PATTERN_SEARCH 1
#endif

namespace catalogue {

const std::uint8_t* FindPatternPortable(const std::uint8_t* first, const std::uint8_t* last,
                                        std::span<const std::uint8_t> pattern) {
    const auto length = static_cast<std::ptrdiff_t>(pattern.size());
    if (length == 0) {
        return first;
    }
    if (last - first < length) {
        return last;
    }
    // memchr finds candidates for the first byte many bytes at a time; only those get the full
    // comparison.
    const std::uint8_t* const lastBegin = last - length;
    const std::uint8_t* candidate = first;
    while (candidate <= lastBegin) {
        const void* hit =
            std::memchr(candidate, pattern[0], static_cast<std::size_t>(lastBegin - candidate + 1));
        if (hit == nullptr) {
            return last;
        }
        candidate = static_cast<const std::uint8_t*>(hit);
        if (std::memcmp(candidate + 1, pattern.data() + 1, pattern.size() - 1) == 0) {
            return candidate;
        }
        ++candidate;
    }
    return last;
}

#ifdef KESTRIN_VECTOR_PATTERN_SEARCH

namespace {

// One bit per byte of the 32 places from at on: set where the pattern's first byte is at the
// place and its last byte length - 1 bytes further.
__attribute__((target("avx2"))) inline __m256i CandidatesAt(const std::uint8_t* at,
                                                            std::size_t length, __m256i firstByte,
                                                            __m256i lastByte) {
    const __m256i firsts =
        _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), firstByte);
    const __m256i lasts = _mm256_cmpeq_epi8(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + length - 1)), lastByte);
    return _mm256_and_si256(firsts, lasts);
}

// Looks at 64 candidate places per step: a place is a candidate only when both the pattern's
// first and its last byte are there at the right distance, which in ordinary data is about one
// place in 65536, so the full comparison rarely runs. memchr on the first byte alone stops every
// 256 bytes or so and costs more than the container's load from the page cache.
__attribute__((target("avx2"))) const std::uint8_t* FindPatternAvx2(
    const std::uint8_t* first, const std::uint8_t* last, std::span<const std::uint8_t> pattern) {
    const std::size_t length = pattern.size();
    const std::uint8_t* const lastBegin = last - length;
    const __m256i firstByte = _mm256_set1_epi8(static_cast<char>(pattern[0]));
    const __m256i lastByte = _mm256_set1_epi8(static_cast<char>(pattern[length - 1]));
    const std::uint8_t* block = first;
    // Every load of a step stays below last: the highest byte read is block + 63 + length - 1.
    while (lastBegin - block >= 63) {
        const __m256i low = CandidatesAt(block, length, firstByte, lastByte);
        const __m256i high = CandidatesAt(block + 32, length, firstByte, lastByte);
        const __m256i either = _mm256_or_si256(low, high);
        if (!_mm256_testz_si256(either, either)) {
            std::uint64_t candidates =
                static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
                (static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high)))
                 << 32);
            // Lowest place first, so the match found is the first one.
            while (candidates != 0) {
                const std::uint8_t* const place = block + __builtin_ctzll(candidates);
                if (std::memcmp(place + 1, pattern.data() + 1, length - 2) == 0) {
                    return place;
                }
                candidates &= candidates - 1;
            }
        }
        block += 64;
    }
    return FindPatternPortable(block, last, pattern);
}

}  // namespace

bool VectorPatternSearchAvailable() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

const std::uint8_t* FindPattern(const std::uint8_t* first, const std::uint8_t* last,
                                std::span<const std::uint8_t> pattern) {
    if (pattern.size() < 2 || last - first < static_cast<std::ptrdiff_t>(pattern.size()) ||
        !VectorPatternSearchAvailable()) {
        return FindPatternPortable(first, last, pattern);
    }
    return FindPatternAvx2(first, last, pattern);
}

#else

bool VectorPatternSearchAvailable() {
    return false;
}

const std::uint8_t* FindPattern(const std::uint8_t* first, const std::uint8_t* last,
                                std::span<const std::uint8_t> pattern) {
    return FindPatternPortable(first, last, pattern);
}

#endif

}  // namespace catalogue
