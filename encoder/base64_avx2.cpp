// AVX2 line encoder: two 32-character vectors per line of 60, each made from
// 24 input bytes, with the same steps as the SSSE3 kernel on both 128-bit
// halves. Compiled for AVX2 through target attributes only.
#include "encoder/base64_kernels.h"

#include <immintrin.h>

#define AVX2_KERNEL __attribute__((target("avx2")))

// Bytes 0-15 in the low half and 8-23 in the high half: each half then holds
// its 12 bytes, the low one from its start and the high one from its byte 4,
// and nothing is read past byte 24.
AVX2_KERNEL static __m256i load_24_bytes(const unsigned char *bytes)
{
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + 8));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

AVX2_KERNEL static __m256i encode_24_bytes(const unsigned char *bytes)
{
    // Each group b0 b1 b2 into a 32-bit lane as b1 b0 b2 b1.
    const __m256i spread = _mm256_shuffle_epi8(
        load_24_bytes(bytes),
        _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,
                         5, 4, 6, 5, 8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14));
    // The four 6-bit indices of each group, one per byte, in order.
    const __m256i indices = _mm256_or_si256(
        _mm256_mulhi_epu16(_mm256_and_si256(spread, _mm256_set1_epi32(0x0FC0FC00)),
                           _mm256_set1_epi32(0x04000040)),
        _mm256_mullo_epi16(_mm256_and_si256(spread, _mm256_set1_epi32(0x003F03F0)),
                           _mm256_set1_epi32(0x01000010)));
    // The offset to the alphabet by range: 0 for 0-25, 1 for 26-51, 2-13 above.
    const __m256i offsets = _mm256_setr_epi8(
        'A', 'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
        '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 0, 0,
        'A', 'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
        '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 0, 0);
    const __m256i above_51 = _mm256_subs_epu8(indices, _mm256_set1_epi8(51));
    const __m256i range = _mm256_sub_epi8(above_51, _mm256_cmpgt_epi8(indices, _mm256_set1_epi8(25)));
    return _mm256_add_epi8(indices, _mm256_shuffle_epi8(offsets, range));
}

AVX2_KERNEL char *base64_encode_lines_avx2(const unsigned char *block, int32_t line_count,
                                           char *text)
{
    // Characters 60 and 61 become CR LF; 62 and 63 are written over by what follows.
    const __m256i line_break = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '\r', '\n', 0, 0);
    const __m256i is_line_break = _mm256_cmpgt_epi8(line_break, _mm256_setzero_si256());
#pragma GCC unroll 4
    for (int32_t line = 0; line < line_count; ++line) {
        const __m256i first = encode_24_bytes(block);
        __m256i second = encode_24_bytes(block + 24);
        second = _mm256_blendv_epi8(second, line_break, is_line_break);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(text), first);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(text + 32), second);
        block += LINE_INPUT_BYTES;
        text += LINE_TEXT_BYTES;
    }
    // Leaves the upper halves of the registers clean, or SSE code after this
    // runs several times slower.
    _mm256_zeroupper();
    return text;
}
