// zorvex: converts every file that a source mask matches into a Base64 text file.
#include "platform/platform.h"
#include "tool/convert_file.h"
#include "tool/paths.h"

#include <cstdio>
#include <cstring>

constexpr int EXIT_CONVERTED = 0;
constexpr int EXIT_FAILED = 8;
constexpr int EXIT_USAGE = 64;

static void print_usage()
{
    std::printf("zorvex Version 1.00A, by the zorvex authors\n\n");
    std::printf("Copy files to Base64 format, usage:\n");
    std::printf("zorvex <src_mask> [<dst_path>]\n");
    std::printf("\nEach match gets a .b64 file of Base64 text in CR LF lines of 60 characters.\n");
    std::printf("Exit status: 0 all converted, 8 no match or a failure, 64 this text.\n");
    std::printf("Quote the mask so the shell leaves its wildcards alone; see README.md.\n");
}

// "--help" too, the first thing people type on Linux; a file of that name is
// still reached as ./--help.
static bool is_usage_request(const char *argument)
{
    return std::strcmp(argument, "/?") == 0 || std::strcmp(argument, "-?") == 0 ||
           std::strcmp(argument, "--help") == 0;
}

static bool is_directory_entry(const WIN32_FIND_DATAA &find_data)
{
    return std::strcmp(find_data.cFileName, ".") == 0 ||
           std::strcmp(find_data.cFileName, "..") == 0 ||
           (find_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Converts one match; its output goes to `destination`, or beside the source when that is empty.
static void convert_match(const char *file_name, const char *source_prefix,
                          const char *destination, run_status *status)
{
    char source_path[PATH_CAPACITY];
    char output_path[PATH_CAPACITY];
    const char *output_directory = destination[0] != '\0' ? destination : source_prefix;
    if (!derive_source_path(source_prefix, file_name, source_path)) {
        report_failure(status, OPEN_SOURCE, source_path, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    if (!derive_output_path(output_directory, file_name, output_path)) {
        report_failure(status, CREATE_OUTPUT, output_path, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    std::printf("Make %s to %s\n", source_path, output_path);
    convert_file(source_path, output_path, status);
}

int main(int argc, char **argv)
{
    run_status status = {};
    if (argc < 2 || is_usage_request(argv[1])) {
        print_usage();
        return EXIT_USAGE;
    }
    const char *src_mask = argv[1];
    const char *dst_path = argc > 2 ? argv[2] : "";

    char source_prefix[PREFIX_CAPACITY];
    char destination[PREFIX_CAPACITY];
    if (!mask_names_files(src_mask) || !derive_source_prefix(src_mask, source_prefix)) {
        std::printf("Invalid src_mask \"%s\"\n", src_mask);
        return EXIT_FAILED;
    }
    if (!prepare_destination(dst_path, destination)) {
        std::printf("Invalid dst_path \"%s\"\n", dst_path);
        return EXIT_FAILED;
    }

    WIN32_FIND_DATAA find_data;
    HANDLE search = FindFirstFileA(src_mask, &find_data);
    if (search == INVALID_HANDLE_VALUE) {
        std::printf("Invalid src_mask \"%s\"\n", src_mask);
        return EXIT_FAILED;
    }
    do {
        if (!is_directory_entry(find_data)) {
            convert_match(find_data.cFileName, source_prefix, destination, &status);
        }
    } while (status.error_status == 0 && FindNextFileA(search, &find_data));
    FindClose(search);
    return status.error_status != 0 ? EXIT_FAILED : EXIT_CONVERTED;
}
