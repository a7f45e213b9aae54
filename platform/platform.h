// The one header the tool includes for the system: the Windows file and
// directory-search calls it makes, from <windows.h> on Windows and from our
// POSIX layer elsewhere, the capacities of its buffers, and the path rules of
// the platform it runs on.
#pragma once

#include <cstddef>

// Capacities, terminator included, of a directory prefix and of a path; a
// failure message has a path's. Windows: what its byte-string calls take
// (MAX_PATH is 260), 256 and 512. POSIX: the system's PATH_MAX (4096 on
// Linux) for both, so that every path the system takes fits.
#ifdef _WIN32
#include <windows.h>
constexpr std::size_t PREFIX_CAPACITY = 256;
constexpr std::size_t PATH_CAPACITY = 512;
#else
#include "platform/posix_win32.h"
constexpr std::size_t PREFIX_CAPACITY = POSIX_PATH_CAPACITY;
constexpr std::size_t PATH_CAPACITY = POSIX_PATH_CAPACITY;
#endif
constexpr std::size_t MESSAGE_CAPACITY = PATH_CAPACITY;

// The separator appended to a directory given without one: '\' on Windows, '/' on POSIX.
extern const char PATH_SEPARATOR;

// Length of the directory part of `path`, up to and including its last
// separator; 0 when it has none. Windows: '\' and '/' are separators and,
// when neither occurs, a drive prefix ends at the first ':'. POSIX: only '/'.
std::size_t path_directory_length(const char *path);

// Whether `path` ends with a directory separator.
bool path_ends_with_separator(const char *path);
