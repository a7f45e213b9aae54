// The kernels' line encoders, each in the file named after its instruction
// set, and what they share. Only the encoder includes this.
#pragma once

#include <cstdint>

// Input bytes and text characters of one whole line.
constexpr int32_t LINE_INPUT_BYTES = 45;
constexpr int32_t LINE_TEXT_BYTES = 62;

char *base64_encode_lines_scalar(const unsigned char *block, int32_t line_count, char *text);

#if defined(__x86_64__) || defined(__i386__)
#define BASE64_X86_KERNELS 1
char *base64_encode_lines_ssse3(const unsigned char *block, int32_t line_count, char *text);
char *base64_encode_lines_avx2(const unsigned char *block, int32_t line_count, char *text);
#endif
