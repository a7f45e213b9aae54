// libFuzzer target: every kernel this CPU can run, and every emulated one,
// must write exactly the portable encoder's text for any block of up to
// 12288 bytes, and that text must be CR LF lines of 60 characters (the last
// 4 to 60) that decode back to the block. Input and text buffers are of exactly the needed size, so the
// sanitizers see any access past them.
#include "encoder/base64.h"
#include "tests/base64_decode.h"
#include "tests/emulated_kernels.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static void fail(const char *what, std::size_t size)
{
    std::fprintf(stderr, "%s, for a block of %zu bytes\n", what, size);
    std::abort();
}

static std::string encode(const std::vector<unsigned char> &block, const base64_kernel *kernel)
{
    base64_select_kernel(kernel);
    std::vector<char> text(base64_text_length(block.size()) + 1);
    const int32_t length =
        base64_encode_block(block.data(), static_cast<int32_t>(block.size()), text.data());
    if (static_cast<std::size_t>(length) != base64_text_length(block.size()) ||
        text[static_cast<std::size_t>(length)] != '\0') {
        fail(kernel->name, block.size());
    }
    return std::string(text.data(), static_cast<std::size_t>(length));
}

// The Base64 characters of `text` with its line breaks removed, or a failure
// when its lines are not laid out as they must be.
static std::string join_lines(const std::string &text, std::size_t size)
{
    std::string joined;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t line_break = text.find("\r\n", start);
        if (line_break == std::string::npos) {
            fail("a line without CR LF", size);
        }
        const std::size_t line_length = line_break - start;
        const bool last = line_break + 2 == text.size();
        if (last ? line_length == 0 || line_length > 60 || line_length % 4 != 0 : line_length != 60) {
            fail("a line of the wrong length", size);
        }
        joined.append(text, start, line_length);
        start = line_break + 2;
    }
    return joined;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size > 12288) {
        return -1;  // longer than any chunk: not worth keeping
    }
    const std::vector<unsigned char> block(data, data + size);
    static const std::vector<const base64_kernel *> kernels = kernels_under_test();
    std::size_t count = 0;
    const base64_kernel *plain = &base64_kernels(&count)[count - 1];
    const base64_kernel *selected = base64_selected_kernel();
    const std::string expected = encode(block, plain);
    std::string decoded;
    if (!decode_base64(join_lines(expected, size), &decoded) ||
        decoded != std::string(block.begin(), block.end())) {
        fail("the text does not decode to the block", size);
    }
    for (const base64_kernel *kernel : kernels) {
        if (kernel != plain && kernel->supported() && encode(block, kernel) != expected) {
            fail(kernel->name, size);
        }
    }
    base64_select_kernel(selected);
    return 0;
}
