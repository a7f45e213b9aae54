// The one header the tool includes for the system: the Windows file and
// directory-search calls it makes, from <windows.h> on Windows and from our
// POSIX layer elsewhere, and the path rules of the platform it runs on.
#pragma once

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix_win32.h"
#endif

// The separator appended to a directory given without one: '\' on Windows, '/' on POSIX.
extern const char PATH_SEPARATOR;

// Length of the directory part of `path`, up to and including its last
// separator; 0 when it has none. Windows: '\' and '/' are separators and,
// when neither occurs, a drive prefix ends at the first ':'. POSIX: only '/'.
std::size_t path_directory_length(const char *path);

// Whether `path` ends with a directory separator.
bool path_ends_with_separator(const char *path);
