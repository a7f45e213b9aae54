// SSSE3 line encoder: four 16-character vectors per line of 60, each made
// from 12 input bytes. Compiled for SSSE3 through target attributes only, so
// nothing here runs unless the CPU has it.
#include "encoder/base64_kernels.h"

#include <immintrin.h>

#define SSSE3_KERNEL __attribute__((target("ssse3")))

// Puts each group of three bytes b0 b1 b2 into a 32-bit lane as b1 b0 b2 b1,
// so each 16-bit half holds one of the two 12-bit halves of the group.
SSSE3_KERNEL static __m128i spread_groups(__m128i bytes, __m128i shuffle)
{
    return _mm_shuffle_epi8(bytes, shuffle);
}

// Turns spread groups into their four 6-bit indices, one per byte, in order:
// multiplications shift each field into place within its 16-bit half.
SSSE3_KERNEL static __m128i split_indices(__m128i spread)
{
    const __m128i first_and_third =
        _mm_mulhi_epu16(_mm_and_si128(spread, _mm_set1_epi32(0x0FC0FC00)), _mm_set1_epi32(0x04000040));
    const __m128i second_and_fourth =
        _mm_mullo_epi16(_mm_and_si128(spread, _mm_set1_epi32(0x003F03F0)), _mm_set1_epi32(0x01000010));
    return _mm_or_si128(first_and_third, second_and_fourth);
}

// Maps 6-bit indices to the alphabet by adding the offset of each index's
// range: 0-25 'A', 26-51 'a', 52-61 '0', 62 '+', 63 '/'. The range number
// (0 for 0-25, 1 for 26-51, 2-13 above) picks the offset from a table.
SSSE3_KERNEL static __m128i to_alphabet(__m128i indices)
{
    const __m128i offsets = _mm_setr_epi8('A', 'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                          '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                          '0' - 52, '+' - 62, '/' - 63, 0, 0);
    // 52-63 give 1-12 and everything else 0; subtracting the all-ones of
    // "above 25" adds one to everything from 26 on.
    const __m128i above_51 = _mm_subs_epu8(indices, _mm_set1_epi8(51));
    const __m128i range = _mm_sub_epi8(above_51, _mm_cmpgt_epi8(indices, _mm_set1_epi8(25)));
    return _mm_add_epi8(indices, _mm_shuffle_epi8(offsets, range));
}

SSSE3_KERNEL static __m128i encode_12_bytes(const unsigned char *bytes, __m128i shuffle)
{
    const __m128i loaded = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
    return to_alphabet(split_indices(spread_groups(loaded, shuffle)));
}

SSSE3_KERNEL char *base64_encode_lines_ssse3(const unsigned char *block, int32_t line_count,
                                             char *text)
{
    // Groups from the vector's first 12 bytes, or from its last 12.
    const __m128i from_start = _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    const __m128i from_byte_4 = _mm_setr_epi8(5, 4, 6, 5, 8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14);
    // Characters 60 and 61 of the last vector become CR LF; 62 and 63 are
    // written over by whatever follows.
    const __m128i keep = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 0, -1, -1);
    const __m128i line_break = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '\r', '\n', 0, 0);
    for (int32_t line = 0; line < line_count; ++line) {
        const __m128i first = encode_12_bytes(block, from_start);
        const __m128i second = encode_12_bytes(block + 12, from_start);
        const __m128i third = encode_12_bytes(block + 24, from_start);
        // Bytes 36 to 47 are loaded from byte 32, so no load reaches past byte 48.
        __m128i fourth = encode_12_bytes(block + 32, from_byte_4);
        fourth = _mm_or_si128(_mm_and_si128(fourth, keep), line_break);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(text), first);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(text + 16), second);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(text + 32), third);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(text + 48), fourth);
        block += LINE_INPUT_BYTES;
        text += LINE_TEXT_BYTES;
    }
    return text;
}
