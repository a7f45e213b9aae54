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
int32_t base64_encode_block(const unsigned char *block, int32_t length, char *text);
