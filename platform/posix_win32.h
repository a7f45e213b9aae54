// The Windows calls and types the tool uses, provided on POSIX.
//
// Only what the tool needs is declared, with Windows' names, argument order
// and success conventions. Deliberate differences from Windows:
// - GetLastError returns errno values, so reported codes are the host's own.
// - Paths use '/' only; names are case-sensitive byte strings.
// - Sharing is enforced against this process's own handles by inode and,
//   for other processes, by a read-lease probe (see CreateFileA).
#pragma once

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef uint32_t DWORD;
typedef void *HANDLE;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(intptr_t{-1});

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// Windows error names the tool reports itself, as their POSIX counterparts.
constexpr DWORD ERROR_DISK_FULL = ENOSPC;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = ENAMETOOLONG;

constexpr int MAX_PATH = 260;

// The longest path the system takes, terminator included.
constexpr std::size_t POSIX_PATH_CAPACITY = PATH_MAX;

// The two fields of Windows' search record that the tool reads.
struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;    // FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL
    char cFileName[MAX_PATH];  // the entry's name without its directory
};

// Code of the last failed layer call (an errno value), like Windows' per-thread last error.
DWORD GetLastError();

// Supports the tool's two uses and fails with EINVAL on any other:
// - GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING: opens a file for reading;
//   fails with EBUSY while it is open for writing by a handle of this process
//   or, where a read lease can be probed, by any other process; EISDIR for a directory.
// - GENERIC_WRITE, no sharing, CREATE_ALWAYS: creates the file, or empties an
//   existing regular one. Never truncates a file open in this process, however
//   it is reached (same name, hard or symbolic link): EBUSY, file untouched.
//   An existing file with no write permission bit is read-only, also for
//   root: EACCES. A FIFO without a reader fails at once (ENXIO).
// Security attributes, flags and template are ignored.
HANDLE CreateFileA(const char *file_name, DWORD desired_access, DWORD share_mode,
                   void *security_attributes, DWORD creation_disposition,
                   DWORD flags_and_attributes, HANDLE template_file);

// Reads up to `bytes_to_read` bytes, retrying on EINTR; a count of 0 at the
// end of the file. No overlapped I/O.
BOOL ReadFile(HANDLE file, void *buffer, DWORD bytes_to_read, DWORD *bytes_read, void *overlapped);

// Writes all `bytes_to_write` bytes, looping over partial writes and EINTR;
// on failure `bytes_written` holds what was written before the error.
BOOL WriteFile(HANDLE file, const void *buffer, DWORD bytes_to_write, DWORD *bytes_written,
               void *overlapped);

// Closes a file handle; FALSE with the error when the system reports one
// (a deferred write error can first show here).
BOOL CloseHandle(HANDLE object);

// Starts a search. The mask splits at its last '/' into a directory, opened
// as named (the current one when there is none), and a pattern in which '*'
// matches any run of characters (a leading dot too) and '?' exactly one
// character (a byte, or one whole UTF-8 sequence); every other byte matches
// itself. The directory is read once, now, and its matches are returned in
// strcmp order, so files created during the run never show up. Symbolic links
// are followed to classify an entry; a link that can't be followed is listed
// as a file; FIFOs, sockets and devices are not listed. Unlike Windows, "*.*"
// matches only names with a dot. No match: ENOENT.
HANDLE FindFirstFileA(const char *file_name, WIN32_FIND_DATAA *find_data);

// Fills `find_data` with the next match; FALSE when there are none left.
BOOL FindNextFileA(HANDLE find_file, WIN32_FIND_DATAA *find_data);

// Ends a search and frees its list.
BOOL FindClose(HANDLE find_file);
