#include "tool/convert_file.h"

#include "encoder/base64.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

// The text of `bytes` as the tool writes it: one encoded block per 12288 bytes.
static std::string text_of_chunks(const std::string &bytes)
{
    std::string text;
    for (std::size_t start = 0; start < bytes.size(); start += 12288) {
        const std::string chunk = bytes.substr(start, 12288);
        std::vector<char> encoded(base64_text_length(chunk.size()) + 1);
        const int32_t length = base64_encode_block(
            reinterpret_cast<const unsigned char *>(chunk.data()),
            static_cast<int32_t>(chunk.size()), encoded.data());
        text.append(encoded.data(), static_cast<std::size_t>(length));
    }
    return text;
}

// A pipe hands its bytes over as they come; a read that returned only what was
// there encoded it as a block of its own and put padding mid-file.
TEST(ConvertFile, ShortReadsStillFillWholeChunks)
{
    scratch_directory scratch;
    const std::string source = scratch / "pipe";
    ASSERT_EQ(mkfifo(source.c_str(), 0644), 0);
    const std::string bytes = test_bytes(5000 + 100000);
    const int writer = open(source.c_str(), O_RDWR);
    ASSERT_NE(writer, -1);
    ASSERT_EQ(write(writer, bytes.data(), 5000), 5000);
    // The rest overfills the pipe, so the writer can't finish before the reader drains it.
    std::thread rest([&] {
        // Give the first read time to find only the first 5000 bytes.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::size_t written = 5000;
        while (written < bytes.size()) {
            const ssize_t result = write(writer, bytes.data() + written, bytes.size() - written);
            if (result <= 0) {
                break;
            }
            written += static_cast<std::size_t>(result);
        }
        close(writer);
    });

    run_status status = {};
    convert_file(source.c_str(), (scratch / "pipe.b64").c_str(), &status);
    rest.join();
    EXPECT_EQ(status.error_status, 0u) << status.message_text;
    EXPECT_EQ(read_file(scratch / "pipe.b64"), text_of_chunks(bytes));
}
