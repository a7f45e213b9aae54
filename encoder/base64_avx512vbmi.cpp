// AVX-512 VBMI line encoder: one whole line per 512-bit vector. A byte
// permutation spreads the line's 45 bytes into 15 groups of four, a
// multishift cuts each group's four 6-bit indices, a second permutation looks
// them up in the alphabet, and bytes 60 and 61 become CR LF.
//
// The same source builds twice: natively, its functions compiled for AVX-512
// through target attributes only, and with BASE64_AVX512VBMI_EMULATED against
// SIMDe's portable implementations of the same intrinsics, as a test-only
// kernel that runs on every host.
#include "encoder/base64_kernels.h"

#ifdef BASE64_AVX512VBMI_EMULATED
// 512-bit vectors pass only between this file's own functions, so that clang
// passes them differently without AVX-512 changes no interface.
#ifdef __clang__
#pragma clang diagnostic ignored "-Wpsabi"
#endif
// Portable code only, even where the compiler may use AVX-512 itself.
#define SIMDE_NO_NATIVE
#define SIMDE_ENABLE_NATIVE_ALIASES
#include <simde/x86/avx512.h>
#define KERNEL_FUNCTION
#define KERNEL_NAME base64_encode_lines_avx512vbmi_emulated
#define CLEAN_UPPER_HALVES()
#else
// GCC 12's VBMI intrinsics pass an undefined vector as the unused merge
// source and then warn that it may be used uninitialized; it never is.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>
#define KERNEL_FUNCTION __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#define KERNEL_NAME base64_encode_lines_avx512vbmi
// Leaves the upper halves of the vector registers clean, or SSE code after
// the kernel runs several times slower.
#define CLEAN_UPPER_HALVES() _mm256_zeroupper()
#endif

struct vector_bytes {
    unsigned char bytes[64];
};

// For every group of three input bytes b0 b1 b2, the four bytes b1 b0 b2 b1:
// read as a little-endian 32-bit lane, b0 then stands in bits 8-15, b1 in
// 0-7 and 24-31, b2 in 16-23, so each 6-bit index is one run of bits. The
// 16th group is a line's bytes 60-63, which CR LF and the next line replace.
static constexpr vector_bytes make_spread_indices()
{
    vector_bytes spread = {};
    for (int group = 0; group < 16; ++group) {
        spread.bytes[group * 4 + 0] = static_cast<unsigned char>(group * 3 + 1);
        spread.bytes[group * 4 + 1] = static_cast<unsigned char>(group * 3 + 0);
        spread.bytes[group * 4 + 2] = static_cast<unsigned char>(group * 3 + 2);
        spread.bytes[group * 4 + 3] = static_cast<unsigned char>(group * 3 + 1);
    }
    return spread;
}

// The bit at which each of a lane's four indices starts, in text order:
// b0's high six bits (10), b0's low two and b1's high four (4), b1's low
// four and b2's high two (22), b2's low six (16); and the same 32 bits
// higher for the upper lane of each 64-bit word. The multishift takes eight
// bits from there; the alphabet lookup uses only the low six.
static constexpr vector_bytes make_index_shifts()
{
    constexpr unsigned char lane_shifts[4] = {10, 4, 22, 16};
    vector_bytes shifts = {};
    for (int byte = 0; byte < 64; ++byte) {
        const int upper_lane = (byte / 4) % 2;
        shifts.bytes[byte] = static_cast<unsigned char>(lane_shifts[byte % 4] + 32 * upper_lane);
    }
    return shifts;
}

static constexpr vector_bytes SPREAD_INDICES = make_spread_indices();
static constexpr vector_bytes INDEX_SHIFTS = make_index_shifts();
static constexpr vector_bytes LINE_BREAK = [] {
    vector_bytes line_break = {};
    line_break.bytes[60] = '\r';
    line_break.bytes[61] = '\n';
    return line_break;
}();
// Bytes 60 and 61 of the vector.
static constexpr unsigned long long LINE_BREAK_MASK = 3ull << 60;

KERNEL_FUNCTION static __m512i load_vector(const vector_bytes &table)
{
    return _mm512_loadu_si512(table.bytes);
}

// The 45 bytes of a line followed by at least 19 more of the next line's,
// which the spread ignores.
KERNEL_FUNCTION static __m512i load_line(const unsigned char *bytes)
{
    return _mm512_loadu_si512(bytes);
}

// The 45 bytes of the last line and 3 past them, as the line contract
// allows: 32 bytes and 16 more. Bytes 48-63 are never looked at.
KERNEL_FUNCTION static __m512i load_last_line(const unsigned char *bytes)
{
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(bytes));
    const __m128i rest = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + 32));
    return _mm512_inserti32x4(_mm512_castsi256_si512(first), rest, 2);
}

KERNEL_FUNCTION static void encode_line(__m512i bytes, __m512i spread, __m512i shifts,
                                        __m512i alphabet, __m512i line_break, char *text)
{
    const __m512i groups = _mm512_permutexvar_epi8(spread, bytes);
    const __m512i indices = _mm512_multishift_epi64_epi8(shifts, groups);
    const __m512i characters = _mm512_permutexvar_epi8(indices, alphabet);
    // 64 bytes stored: the line's 62 and 2 that what follows writes over.
    _mm512_storeu_si512(text, _mm512_mask_blend_epi8(LINE_BREAK_MASK, characters, line_break));
}

KERNEL_FUNCTION char *KERNEL_NAME(const unsigned char *block, int32_t line_count, char *text)
{
    if (line_count <= 0) {
        return text;
    }
    // Four vectors of constants and one of data per line: few enough to stay
    // in registers even where there are only eight, so nothing is spilled.
    const __m512i spread = load_vector(SPREAD_INDICES);
    const __m512i shifts = load_vector(INDEX_SHIFTS);
    const __m512i alphabet = _mm512_loadu_si512(BASE64_ALPHABET);
    const __m512i line_break = load_vector(LINE_BREAK);
#pragma GCC unroll 8
    for (int32_t line = 0; line < line_count - 1; ++line) {
        encode_line(load_line(block), spread, shifts, alphabet, line_break, text);
        block += LINE_INPUT_BYTES;
        text += LINE_TEXT_BYTES;
    }
    encode_line(load_last_line(block), spread, shifts, alphabet, line_break, text);
    CLEAN_UPPER_HALVES();
    return text + LINE_TEXT_BYTES;
}
