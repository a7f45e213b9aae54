#include "tool/paths.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstring>

static const char OUTPUT_EXTENSION[] = ".b64";

// Whether snprintf's result of `length` fitted a buffer of `capacity` bytes.
static bool fitted(int length, std::size_t capacity)
{
    return length >= 0 && static_cast<std::size_t>(length) < capacity;
}

bool mask_names_files(const char *src_mask)
{
    const char *last_component = src_mask + path_directory_length(src_mask);
    return std::strcmp(last_component, "") != 0 && std::strcmp(last_component, ".") != 0 &&
           std::strcmp(last_component, "..") != 0;
}

bool derive_source_prefix(const char *src_mask, char (&source_prefix)[PREFIX_CAPACITY])
{
    const std::size_t length = path_directory_length(src_mask);
    std::memset(source_prefix, 0, sizeof source_prefix);
    if (length >= PREFIX_CAPACITY) {
        return false;
    }
    std::memcpy(source_prefix, src_mask, length);
    return true;
}

bool prepare_destination(const char *dst_path, char (&destination)[PREFIX_CAPACITY])
{
    const char separator[] = {PATH_SEPARATOR, '\0'};
    const bool needs_separator = dst_path[0] != '\0' && !path_ends_with_separator(dst_path);
    const int length = std::snprintf(destination, sizeof destination, "%s%s", dst_path,
                                     needs_separator ? separator : "");
    if (!fitted(length, sizeof destination)) {
        destination[0] = '\0';
        return false;
    }
    return true;
}

bool derive_source_path(const char *directory, const char *file_name,
                        char (&source_path)[PATH_CAPACITY])
{
    return fitted(std::snprintf(source_path, sizeof source_path, "%s%s", directory, file_name),
                  sizeof source_path);
}

bool derive_output_path(const char *directory, const char *file_name,
                        char (&output_path)[PATH_CAPACITY])
{
    const int stem_length = static_cast<int>(std::strcspn(file_name, "."));
    return fitted(std::snprintf(output_path, sizeof output_path, "%s%.*s%s", directory,
                                stem_length, file_name, OUTPUT_EXTENSION),
                  sizeof output_path);
}
