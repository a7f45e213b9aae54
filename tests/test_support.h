// Helpers shared by the tests: scratch directories, files and test data.
#pragma once

#include <cstddef>
#include <string>

// A fresh empty directory, removed with everything in it when this goes out of scope.
struct scratch_directory {
    scratch_directory();
    ~scratch_directory();
    scratch_directory(const scratch_directory &) = delete;
    scratch_directory &operator=(const scratch_directory &) = delete;

    std::string operator/(const std::string &name) const { return path + "/" + name; }

    std::string path;
};

// `length` bytes of deterministic noise covering every byte value; `seed` varies it.
std::string test_bytes(std::size_t length, unsigned seed = 1);

void write_file(const std::string &path, const std::string &content);

// The file's bytes; empty when it can't be read.
std::string read_file(const std::string &path);

bool file_exists(const std::string &path);
