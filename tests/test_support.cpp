#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
    std::error_code error;
    std::filesystem::remove_all(path, error);
    // A tree deeper than PATH_MAX can't be removed by its absolute paths; rm walks it.
    if (error && std::system(("rm -rf '" + path + "'").c_str()) != 0) {
        ADD_FAILURE() << "could not remove " << path;
    }
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
