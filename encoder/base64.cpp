#include "encoder/base64.h"

static const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
static const char PAD_CHARACTER = '=';

static char *append_group(char *out, uint32_t value)
{
    out[0] = ALPHABET[value >> 18];
    out[1] = ALPHABET[(value >> 12) & 63];
    out[2] = ALPHABET[(value >> 6) & 63];
    out[3] = ALPHABET[value & 63];
    return out + 4;
}

static char *append_line_break(char *out)
{
    out[0] = '\r';
    out[1] = '\n';
    return out + 2;
}

int32_t base64_encode_block(const unsigned char *block, int32_t length, char *text)
{
    char *out = text;
    if (length < 0) {
        length = 0;
    }
    const int32_t full_groups = length / 3;
    const int32_t remainder = length - full_groups * 3;
    int32_t line_count = 0;

    for (int32_t group = 0; group < full_groups; ++group) {
        const unsigned char *bytes = block + group * 3;
        out = append_group(out, uint32_t{bytes[0]} << 16 | uint32_t{bytes[1]} << 8 | bytes[2]);
        line_count += 4;
        if (line_count == BASE64_LINE_LENGTH) {
            out = append_line_break(out);
            line_count = 0;
        }
    }

    if (remainder != 0) {
        const unsigned char *bytes = block + full_groups * 3;
        const uint32_t second = remainder == 2 ? bytes[1] : 0;
        out = append_group(out, uint32_t{bytes[0]} << 16 | second << 8);
        line_count += 4;
        out[-1] = PAD_CHARACTER;
        if (remainder == 1) {
            out[-2] = PAD_CHARACTER;
        }
    }

    if (line_count > 0) {
        out = append_line_break(out);
    }
    *out = '\0';
    return static_cast<int32_t>(out - text);
}
