// Visiting every occurrence of one byte in a block of text, sixteen bytes at a time.
#pragma once

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Calls visit(pointer) for every byte of text[0, size) equal to b, in ascending order.
template <class Visit>
void ForEachByte(const char* text, std::size_t size, char b, Visit&& visit) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(b);
    for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wanted)));
        while (bits != 0) {
            visit(text + i + static_cast<std::size_t>(__builtin_ctz(bits)));
            bits &= bits - 1;
        }
    }
#endif
    while (i < size) {
        const void* hit = std::memchr(text + i, b, size - i);
        if (hit == nullptr) return;
        const auto* at = static_cast<const char*>(hit);
        visit(at);
        i = static_cast<std::size_t>(at - text) + 1;
    }
}
