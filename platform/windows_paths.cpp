// Path rules of Windows; the file and search calls come from the system itself.
#include "platform/platform.h"

#include <cstring>

const char PATH_SEPARATOR = '\\';

static bool is_separator(char character)
{
    return character == '\\' || character == '/';
}

std::size_t path_directory_length(const char *path)
{
    std::size_t length = 0;
    for (std::size_t i = 0; path[i] != '\0'; ++i) {
        if (is_separator(path[i])) {
            length = i + 1;
        }
    }
    if (length == 0) {
        const char *drive_colon = std::strchr(path, ':');
        if (drive_colon != nullptr) {
            length = static_cast<std::size_t>(drive_colon - path) + 1;
        }
    }
    return length;
}

bool path_ends_with_separator(const char *path)
{
    const std::size_t length = std::strlen(path);
    return length > 0 && is_separator(path[length - 1]);
}
