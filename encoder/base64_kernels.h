// The kernels' line encoders, each in the file named after its instruction
// set, and what they share. Only the encoder and the tests' emulated kernels
// include this.
#pragma once

#include <cstdint>

// The standard Base64 alphabet (RFC 4648), indexed by a 6-bit value.
inline constexpr char BASE64_ALPHABET[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
static_assert(sizeof BASE64_ALPHABET == 64 + 1);

// Input bytes and text characters of one whole line.
constexpr int32_t LINE_INPUT_BYTES = 45;
constexpr int32_t LINE_TEXT_BYTES = 62;

char *base64_encode_lines_scalar(const unsigned char *block, int32_t line_count, char *text);

#if defined(__x86_64__) || defined(__i386__)
#define BASE64_X86_KERNELS 1
char *base64_encode_lines_ssse3(const unsigned char *block, int32_t line_count, char *text);
char *base64_encode_lines_avx2(const unsigned char *block, int32_t line_count, char *text);
char *base64_encode_lines_avx512vbmi(const unsigned char *block, int32_t line_count, char *text);
#endif

// The AVX-512 VBMI kernel built from the same source against portable
// implementations of its intrinsics, so that its logic is tested on every
// host; only the tests link it.
char *base64_encode_lines_avx512vbmi_emulated(const unsigned char *block, int32_t line_count,
                                              char *text);
