// Portable line encoder: one lookup in a table of character pairs per 12
// bits, so two lookups per group of three bytes instead of four, and one
// load per two groups.
#include "encoder/base64_kernels.h"

#include <bit>
#include <cstring>

static constexpr bool LITTLE_ENDIAN_HOST = std::endian::native == std::endian::little;

struct pair_table {
    char pairs[4096][2];
};

// Every 12-bit value's two characters, built by the compiler from the alphabet.
static constexpr pair_table make_pair_table()
{
    pair_table table = {};
    for (int value = 0; value < 4096; ++value) {
        table.pairs[value][0] = BASE64_ALPHABET[value >> 6];
        table.pairs[value][1] = BASE64_ALPHABET[value & 63];
    }
    return table;
}

static constexpr pair_table PAIR_TABLE = make_pair_table();

// Six bytes, the first in the high bits: two groups of three. Reads eight,
// which the caller keeps inside the line.
static uint64_t load_two_groups(const unsigned char *bytes)
{
    uint64_t value = 0;
    std::memcpy(&value, bytes, 8);
    if constexpr (LITTLE_ENDIAN_HOST) {
        value = __builtin_bswap64(value);
    }
    return value >> 16;
}

// The two characters of the low 12 bits of `bits`.
static char *append_pair(char *out, uint64_t bits)
{
    std::memcpy(out, PAIR_TABLE.pairs[bits & 0xFFF], 2);
    return out + 2;
}

char *base64_encode_lines_scalar(const unsigned char *block, int32_t line_count, char *text)
{
    for (int32_t line = 0; line < line_count; ++line) {
        // 15 groups: seven pairs of groups and one alone; the seventh pair's
        // load ends at byte 44, inside the line.
        for (int pair_of_groups = 0; pair_of_groups < 7; ++pair_of_groups) {
            const uint64_t bits = load_two_groups(block);
            text = append_pair(text, bits >> 36);
            text = append_pair(text, bits >> 24);
            text = append_pair(text, bits >> 12);
            text = append_pair(text, bits);
            block += 6;
        }
        const uint64_t last = uint64_t{block[0]} << 16 | uint64_t{block[1]} << 8 | block[2];
        text = append_pair(text, last >> 12);
        text = append_pair(text, last);
        block += 3;
        text[0] = '\r';
        text[1] = '\n';
        text += 2;
    }
    return text;
}
