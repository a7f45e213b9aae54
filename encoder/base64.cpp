#include "encoder/base64.h"

#include "encoder/base64_kernels.h"

static const char PAD_CHARACTER = '=';

// A kernel may read this many bytes past its last line, so at least this many
// are left to the portable code; their text covers the kernel's overwrite.
constexpr int32_t KERNEL_READ_AHEAD = 3;

static char *append_group(char *out, uint32_t value)
{
    out[0] = BASE64_ALPHABET[value >> 18];
    out[1] = BASE64_ALPHABET[(value >> 12) & 63];
    out[2] = BASE64_ALPHABET[(value >> 6) & 63];
    out[3] = BASE64_ALPHABET[value & 63];
    return out + 4;
}

static char *append_line_break(char *out)
{
    out[0] = '\r';
    out[1] = '\n';
    return out + 2;
}

// The portable encoder, one table lookup per character: encodes the block's
// bytes from a fresh line on, pads its last group and ends its last line.
static char *encode_plain(const unsigned char *block, int32_t length, char *out)
{
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
    return out;
}

static bool always_supported()
{
    return true;
}

#ifdef BASE64_X86_KERNELS
// __builtin_cpu_init makes the answers valid even before libgcc's own
// start-up code has run, as during the kernel's choice below.
static bool cpu_has_ssse3()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}

static bool cpu_has_avx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

// The answers include the operating system's support: it must save the
// AVX-512 registers on a task switch.
static bool cpu_has_avx512vbmi()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}
#endif

static const base64_kernel KERNELS[] = {
#ifdef BASE64_X86_KERNELS
    {"avx512vbmi", cpu_has_avx512vbmi, base64_encode_lines_avx512vbmi},
    {"avx2", cpu_has_avx2, base64_encode_lines_avx2},
    {"ssse3", cpu_has_ssse3, base64_encode_lines_ssse3},
#endif
    {"scalar", always_supported, base64_encode_lines_scalar},
    {"plain", always_supported, nullptr},
};

static const base64_kernel *fastest_supported_kernel()
{
    for (const base64_kernel &kernel : KERNELS) {
        if (kernel.supported()) {
            return &kernel;
        }
    }
    return &KERNELS[sizeof KERNELS / sizeof KERNELS[0] - 1];
}

// Chosen once, when the program starts.
static const base64_kernel *selected_kernel = fastest_supported_kernel();
static char *(*encode_lines)(const unsigned char *, int32_t, char *) = selected_kernel->encode_lines;

const base64_kernel *base64_kernels(std::size_t *count)
{
    *count = sizeof KERNELS / sizeof KERNELS[0];
    return KERNELS;
}

const base64_kernel *base64_selected_kernel()
{
    return selected_kernel;
}

bool base64_select_kernel(const base64_kernel *kernel)
{
    if (!kernel->supported()) {
        return false;
    }
    selected_kernel = kernel;
    encode_lines = kernel->encode_lines;
    return true;
}

int32_t base64_encode_block(const unsigned char *block, int32_t length, char *text)
{
    char *out = text;
    if (length > KERNEL_READ_AHEAD && encode_lines != nullptr) {
        const int32_t kernel_lines = (length - KERNEL_READ_AHEAD) / LINE_INPUT_BYTES;
        out = encode_lines(block, kernel_lines, out);
        block += kernel_lines * LINE_INPUT_BYTES;
        length -= kernel_lines * LINE_INPUT_BYTES;
    }
    if (length > 0) {
        out = encode_plain(block, length, out);
    }
    *out = '\0';
    return static_cast<int32_t>(out - text);
}
