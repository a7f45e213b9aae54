#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

scratch_directory::scratch_directory()
{
    // A random name that nobody else holds yet; create_directory says whether it was free.
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = testing::TempDir() + "zorvex-test-" + std::to_string(entropy());
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) {
            return;
        }
    }
    ADD_FAILURE() << "could not create a scratch directory like " << path;
}

scratch_directory::~scratch_directory()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string test_bytes(std::size_t length, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(length, '\0');
    for (char &byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

void write_file(const std::string &path, const std::string &content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    ASSERT_TRUE(file.good()) << "could not write " << path;
}

std::string read_file(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string &path)
{
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

bool decode_base64(const std::string &text, std::string *bytes)
{
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    bytes->clear();
    if (text.size() % 4 != 0) {
        return false;
    }
    for (std::size_t group = 0; group < text.size(); group += 4) {
        const bool last_group = group + 4 == text.size();
        const std::size_t pads = text.compare(group + 2, 2, "==") == 0 ? 2
                                 : text[group + 3] == '='             ? 1
                                                                      : 0;
        if (pads != 0 && !last_group) {
            return false;
        }
        unsigned value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const std::size_t digit = i < 4 - pads ? alphabet.find(text[group + i]) : 0;
            if (digit == std::string::npos) {
                return false;
            }
            value = value << 6 | static_cast<unsigned>(digit);
        }
        const char decoded[] = {static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                                static_cast<char>(value)};
        bytes->append(decoded, 3 - pads);
    }
    return true;
}
