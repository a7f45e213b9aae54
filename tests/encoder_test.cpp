#include "encoder/base64.h"
#include "tests/base64_decode.h"
#include "tests/emulated_kernels.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

// Runs each test once per kernel, the emulated ones too, with that kernel
// selected; a kernel that this CPU can't run is skipped, and says so.
class EncoderKernel : public testing::TestWithParam<std::size_t> {
protected:
    void SetUp() override
    {
        kernel_ = kernels_under_test()[GetParam()];
        previous_ = base64_selected_kernel();
        if (!base64_select_kernel(kernel_)) {
            GTEST_SKIP() << "this CPU has no " << kernel_->name;
        }
    }
    void TearDown() override { base64_select_kernel(previous_); }

    const base64_kernel *kernel_ = nullptr;
    const base64_kernel *previous_ = nullptr;
};

static std::vector<std::size_t> kernel_indices()
{
    std::vector<std::size_t> indices;
    for (std::size_t index = 0; index < kernels_under_test().size(); ++index) {
        indices.push_back(index);
    }
    return indices;
}

INSTANTIATE_TEST_SUITE_P(Kernels, EncoderKernel, testing::ValuesIn(kernel_indices()),
                         [](const testing::TestParamInfo<std::size_t> &info) {
                             return std::string(kernels_under_test()[info.param]->name);
                         });

// Encodes from an input and into an output of exactly the documented sizes, so
// the sanitizers catch any read or write past either end.
static std::string encode(const std::string &input)
{
    const std::vector<unsigned char> block(input.begin(), input.end());
    std::vector<char> text(base64_text_length(input.size()) + 1, '#');
    const int32_t length =
        base64_encode_block(block.data(), static_cast<int32_t>(block.size()), text.data());
    EXPECT_EQ(static_cast<std::size_t>(length), base64_text_length(input.size()));
    EXPECT_EQ(text[static_cast<std::size_t>(length)], '\0');
    return std::string(text.data(), static_cast<std::size_t>(length));
}

// Every line but the last holds 60 characters, the last 4 to 60 in whole
// groups, each ends in CR LF, and the text decodes to the input.
static void expect_lines_decode_to(const std::string &text, const std::string &input)
{
    std::string joined;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t line_break = text.find("\r\n", start);
        ASSERT_NE(line_break, std::string::npos) << "text does not end with CR LF";
        const std::string line = text.substr(start, line_break - start);
        start = line_break + 2;
        ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line break";
        if (start < text.size()) {
            ASSERT_EQ(line.size(), 60u) << "inner line of " << line.size() << " characters";
        } else {
            ASSERT_TRUE(!line.empty() && line.size() <= 60 && line.size() % 4 == 0)
                << "last line of " << line.size() << " characters";
        }
        joined += line;
    }
    std::string decoded;
    ASSERT_TRUE(decode_base64(joined, &decoded)) << "not standard Base64";
    EXPECT_EQ(decoded, input);
}

TEST_P(EncoderKernel, MatchesKnownTexts)
{
    const struct {
        std::string input;
        std::string text;
    } cases[] = {
        // RFC 4648, section 10.
        {"", ""},
        {"f", "Zg==\r\n"},
        {"fo", "Zm8=\r\n"},
        {"foo", "Zm9v\r\n"},
        {"foob", "Zm9vYg==\r\n"},
        {"fooba", "Zm9vYmE=\r\n"},
        {"foobar", "Zm9vYmFy\r\n"},
        // High bytes are unsigned values, and the last two alphabet characters.
        {"\xff\xfe\xfd", "//79\r\n"},
        {"\xfb\xef\xbe", "++++\r\n"},
        // 45 bytes fill one line exactly; no empty line follows.
        {std::string(45, '\0'), std::string(60, 'A') + "\r\n"},
        {std::string(46, '\0'), std::string(60, 'A') + "\r\nAA==\r\n"},
    };
    for (const auto &known : cases) {
        EXPECT_EQ(encode(known.input), known.text) << "input of " << known.input.size() << " bytes";
    }
}

TEST_P(EncoderKernel, LinesDecodeToTheInputAtBoundarySizes)
{
    const struct {
        std::size_t size;
        std::size_t text_length;
    } cases[] = {
        {0, 0},      {1, 6},      {2, 6},      {3, 6},          {44, 62},
        {45, 62},    {46, 68},    {90, 124},   {91, 130},       {12287, 16932},
        {12288, 16932}, {12289, 16936}, {24576, 33862},
    };
    for (const auto &boundary : cases) {
        SCOPED_TRACE("input of " + std::to_string(boundary.size) + " bytes");
        const std::string input = test_bytes(boundary.size, static_cast<unsigned>(boundary.size));
        const std::string text = encode(input);
        EXPECT_EQ(text.size(), boundary.text_length);
        expect_lines_decode_to(text, input);
    }
}

TEST_P(EncoderKernel, FullChunkIs273LinesAndALineOfFour)
{
    const std::string text = encode(test_bytes(12288));
    for (std::size_t line = 0; line < 273; ++line) {
        ASSERT_EQ(text.compare(line * 62 + 60, 2, "\r\n"), 0) << "line " << line;
    }
    EXPECT_EQ(text.size(), 273u * 62 + 6);
    EXPECT_EQ(text.substr(273 * 62 + 4), "\r\n");
}

TEST_P(EncoderKernel, EveryByteValueInEveryPositionOfAGroup)
{
    std::string all_bytes;
    for (int value = 0; value < 256; ++value) {
        all_bytes += static_cast<char>(value);
    }
    for (std::size_t shift = 0; shift < 3; ++shift) {
        const std::string input = std::string(shift, 'x') + all_bytes;
        expect_lines_decode_to(encode(input), input);
    }
}

TEST_P(EncoderKernel, NegativeLengthYieldsTheEmptyText)
{
    char text[1] = {'#'};
    EXPECT_EQ(base64_encode_block(nullptr, -5, text), 0);
    EXPECT_EQ(text[0], '\0');
}

// Every length a chunk can have, from unaligned input, against the portable
// encoder; input and text buffers are of exactly the needed size, so the
// sanitizers see any read or write past them.
TEST_P(EncoderKernel, MatchesThePlainEncoderAtEveryLengthAndOffset)
{
    std::size_t count = 0;
    const base64_kernel *plain = &base64_kernels(&count)[count - 1];
    std::mt19937 generator(12288);
    std::vector<unsigned char> random_bytes(12288 + 8);
    for (unsigned char &byte : random_bytes) {
        byte = static_cast<unsigned char>(generator());
    }
    for (std::size_t length = 0; length <= 12288; ++length) {
        for (std::size_t offset : {1, 7}) {
            std::vector<unsigned char> input(offset + length);
            std::copy_n(random_bytes.begin() + static_cast<std::ptrdiff_t>(offset), length,
                        input.begin() + static_cast<std::ptrdiff_t>(offset));
            std::vector<char> expected(base64_text_length(length) + 1);
            std::vector<char> text(base64_text_length(length) + 1);
            const int32_t size = static_cast<int32_t>(length);
            base64_select_kernel(plain);
            base64_encode_block(input.data() + offset, size, expected.data());
            base64_select_kernel(kernel_);
            base64_encode_block(input.data() + offset, size, text.data());
            ASSERT_EQ(text, expected) << "length " << length << ", offset " << offset;
        }
    }
}

TEST(EncoderKernels, TheFastestSupportedIsSelectedAtStartUp)
{
    std::size_t count = 0;
    const base64_kernel *kernels = base64_kernels(&count);
    ASSERT_STREQ(kernels[count - 1].name, "plain");
    const base64_kernel *fastest = kernels;
    while (!fastest->supported()) {
        ++fastest;
    }
    EXPECT_EQ(base64_selected_kernel(), fastest) << base64_selected_kernel()->name;
}
