// Base64 encoding of one block into CR LF lines of 60 characters.
#pragma once

#include <cstddef>
#include <cstdint>

// 60 characters are 15 whole groups of four, so a line never splits a group.
constexpr int32_t BASE64_LINE_LENGTH = 60;
constexpr int32_t BASE64_LINE_BREAK_LENGTH = 2;  // CR LF

// Characters base64_encode_block writes for a block of `length` bytes,
// line breaks included, terminator excluded.
constexpr std::size_t base64_text_length(std::size_t length)
{
    const std::size_t characters = (length + 2) / 3 * 4;
    const std::size_t lines = (characters + BASE64_LINE_LENGTH - 1) / BASE64_LINE_LENGTH;
    return characters + lines * BASE64_LINE_BREAK_LENGTH;
}

// Encodes `length` bytes from `block` into `text` as Base64 lines of at most
// 60 characters, each ended by CR LF, and NUL-terminates it. Every call starts
// a fresh line, so pad characters can stand only in the block's last group.
// `text` must hold base64_text_length(length) + 1 bytes. Returns the number of
// characters written before the terminator; 0 for an empty (or negative) length.
// The selected kernel encodes the whole lines; the text is the same whichever it is.
int32_t base64_encode_block(const unsigned char *block, int32_t length, char *text);

// A way of encoding whole lines, named after the instructions it uses.
struct base64_kernel {
    const char *name;
    bool (*supported)();  // whether this CPU can run it
    // Encodes `line_count` lines of 45 bytes into 62 characters each (60 and
    // CR LF) and returns the end of the text. It may read up to 3 bytes past
    // the lines' input and write up to 2 bytes past their text; the block's
    // last bytes, at least 3, are always left to the portable code, which
    // writes at least 6 characters after them. Null for the portable code alone.
    char *(*encode_lines)(const unsigned char *block, int32_t line_count, char *text);
};

// Every kernel this build has, fastest first; the last one, "plain", is the
// portable one-lookup-per-character code alone. Sets `count`.
const base64_kernel *base64_kernels(std::size_t *count);

// The kernel in use: the fastest one the CPU supports, chosen at start-up.
const base64_kernel *base64_selected_kernel();

// Puts `kernel` in use, for tests and benchmarks. False, changing nothing,
// when the CPU doesn't support it.
bool base64_select_kernel(const base64_kernel *kernel);
