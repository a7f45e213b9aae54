// POSIX implementation of the Windows calls declared in posix_win32.h.
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

const char PATH_SEPARATOR = '/';

std::size_t path_directory_length(const char *path)
{
    const char *last_separator = std::strrchr(path, '/');
    return last_separator == nullptr ? 0 : static_cast<std::size_t>(last_separator - path) + 1;
}

bool path_ends_with_separator(const char *path)
{
    const std::size_t length = std::strlen(path);
    return length > 0 && path[length - 1] == '/';
}

static DWORD last_error = 0;

static HANDLE fail(int code)
{
    last_error = static_cast<DWORD>(code);
    return INVALID_HANDLE_VALUE;
}

static BOOL fail_call(int code)
{
    last_error = static_cast<DWORD>(code);
    return FALSE;
}

DWORD GetLastError()
{
    return last_error;
}

// ---- Files ----------------------------------------------------------------

// Every file handle is a slot here, so sharing can be checked by inode against
// what this process holds open.
struct open_file {
    bool in_use;
    bool writable;
    bool is_pipe;  // a FIFO or socket, whose reader can go away
    int descriptor;
    dev_t device;
    ino_t inode;
};

static open_file open_files[32];

static open_file *find_open_file(dev_t device, ino_t inode, bool writers_only)
{
    for (open_file &file : open_files) {
        if (file.in_use && file.device == device && file.inode == inode &&
            (file.writable || !writers_only)) {
            return &file;
        }
    }
    return nullptr;
}

static HANDLE register_open_file(int descriptor, const struct stat &status, bool writable)
{
    for (open_file &file : open_files) {
        if (!file.in_use) {
            const bool is_pipe = S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode);
            file = {true, writable, is_pipe, descriptor, status.st_dev, status.st_ino};
            return &file;
        }
    }
    close(descriptor);
    return fail(EMFILE);
}

static open_file *file_of(HANDLE handle)
{
    for (open_file &file : open_files) {
        if (handle == &file && file.in_use) {
            return &file;
        }
    }
    return nullptr;
}

static HANDLE close_and_fail(int descriptor, int code)
{
    close(descriptor);
    return fail(code);
}

static bool clear_nonblocking(int descriptor)
{
    const int flags = fcntl(descriptor, F_GETFL);
    return flags != -1 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// A read lease can't be taken while any process has the file open for writing,
// which makes taking one (and dropping it at once) a probe for writers in other
// processes. Where leases are not permitted (not the owner, a file system
// without them) the probe says nothing. SIGIO is ignored meanwhile: a lease
// break arriving in that instant would otherwise kill the process.
static bool open_for_writing_elsewhere(int descriptor)
{
    struct sigaction ignore {};
    struct sigaction saved {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGIO, &ignore, &saved);
    bool busy = false;
    if (fcntl(descriptor, F_SETLEASE, F_RDLCK) == 0) {
        fcntl(descriptor, F_SETLEASE, F_UNLCK);
    } else {
        busy = errno == EAGAIN;
    }
    sigaction(SIGIO, &saved, nullptr);
    return busy;
}

static HANDLE open_for_reading(const char *file_name)
{
    // O_NONBLOCK keeps a FIFO from hanging the open; reads block again below.
    const int descriptor = open(file_name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor == -1) {
        return fail(errno);
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !clear_nonblocking(descriptor)) {
        return close_and_fail(descriptor, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return close_and_fail(descriptor, EISDIR);
    }
    if (find_open_file(status.st_dev, status.st_ino, true) != nullptr ||
        (S_ISREG(status.st_mode) && open_for_writing_elsewhere(descriptor))) {
        return close_and_fail(descriptor, EBUSY);
    }
    return register_open_file(descriptor, status, false);
}

static HANDLE create_for_writing(const char *file_name)
{
    // Nothing is truncated until the file is known not to be open here.
    // O_NONBLOCK makes a FIFO without a reader fail at once (ENXIO).
    const int flags = O_WRONLY | O_CLOEXEC | O_NONBLOCK;
    int descriptor = open(file_name, flags | O_CREAT | O_EXCL, 0666);
    const bool created = descriptor != -1;
    if (!created && errno == EEXIST) {
        descriptor = open(file_name, flags | O_CREAT, 0666);
    }
    if (descriptor == -1) {
        return fail(errno);
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        return close_and_fail(descriptor, errno);
    }
    if (find_open_file(status.st_dev, status.st_ino, false) != nullptr) {
        return close_and_fail(descriptor, EBUSY);
    }
    // Root may write anything; a file with no write bit at all stands for
    // Windows' read-only attribute and is refused for everyone.
    if (!created && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return close_and_fail(descriptor, EACCES);
    }
    if (S_ISREG(status.st_mode) && status.st_size != 0 && ftruncate(descriptor, 0) != 0) {
        return close_and_fail(descriptor, errno);
    }
    if (!clear_nonblocking(descriptor)) {
        return close_and_fail(descriptor, errno);
    }
    return register_open_file(descriptor, status, true);
}

HANDLE CreateFileA(const char *file_name, DWORD desired_access, DWORD share_mode,
                   void * /*security_attributes*/, DWORD creation_disposition,
                   DWORD /*flags_and_attributes*/, HANDLE /*template_file*/)
{
    if (desired_access == GENERIC_READ && share_mode == FILE_SHARE_READ &&
        creation_disposition == OPEN_EXISTING) {
        return open_for_reading(file_name);
    }
    if (desired_access == GENERIC_WRITE && share_mode == 0 &&
        creation_disposition == CREATE_ALWAYS) {
        return create_for_writing(file_name);
    }
    return fail(EINVAL);
}

BOOL ReadFile(HANDLE handle, void *buffer, DWORD bytes_to_read, DWORD *bytes_read,
              void * /*overlapped*/)
{
    *bytes_read = 0;
    const open_file *file = file_of(handle);
    if (file == nullptr) {
        return fail_call(EBADF);
    }
    ssize_t result;
    do {
        result = read(file->descriptor, buffer, bytes_to_read);
    } while (result == -1 && errno == EINTR);
    if (result == -1) {
        return fail_call(errno);
    }
    *bytes_read = static_cast<DWORD>(result);
    return TRUE;
}

// A write to a pipe whose reader has gone raises SIGPIPE, which would end the
// run without a word; with the signal blocked the write fails with EPIPE.
static ssize_t write_to_pipe(int descriptor, const char *bytes, std::size_t length)
{
    sigset_t pipe_signal;
    sigset_t saved_mask;
    sigset_t pending;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    sigpending(&pending);
    const bool already_pending = sigismember(&pending, SIGPIPE) == 1;
    sigprocmask(SIG_BLOCK, &pipe_signal, &saved_mask);
    const ssize_t result = write(descriptor, bytes, length);
    const int code = errno;
    if (result == -1 && code == EPIPE && !already_pending) {
        const timespec no_wait = {};
        sigtimedwait(&pipe_signal, nullptr, &no_wait);  // discard the signal this write raised
    }
    sigprocmask(SIG_SETMASK, &saved_mask, nullptr);
    errno = code;
    return result;
}

BOOL WriteFile(HANDLE handle, const void *buffer, DWORD bytes_to_write, DWORD *bytes_written,
               void * /*overlapped*/)
{
    *bytes_written = 0;
    const open_file *file = file_of(handle);
    if (file == nullptr) {
        return fail_call(EBADF);
    }
    const char *bytes = static_cast<const char *>(buffer);
    while (*bytes_written < bytes_to_write) {
        const char *rest = bytes + *bytes_written;
        const std::size_t rest_length = bytes_to_write - *bytes_written;
        const ssize_t result = file->is_pipe ? write_to_pipe(file->descriptor, rest, rest_length)
                                             : write(file->descriptor, rest, rest_length);
        if (result == -1 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            // write() reports no progress as 0 only when it can't make any.
            return fail_call(result == 0 ? ENOSPC : errno);
        }
        *bytes_written += static_cast<DWORD>(result);
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    open_file *file = file_of(object);
    if (file == nullptr) {
        return fail_call(EBADF);
    }
    const int descriptor = file->descriptor;
    *file = {};
    // Linux releases the descriptor even when close() fails, so it is never retried;
    // EINTR there loses no data.
    if (close(descriptor) != 0 && errno != EINTR) {
        return fail_call(errno);
    }
    return TRUE;
}

// ---- Directory search -----------------------------------------------------

struct search_entry {
    DWORD attributes;
    char *name;
};

struct search {
    search_entry *entries;
    std::size_t count;
    std::size_t next;
};

// Length of the character starting at `text`: a whole well-formed UTF-8
// sequence, or a single byte.
static std::size_t character_length(const unsigned char *text)
{
    const unsigned char lead = text[0];
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;   // no overlong forms
        high = lead == 0xED ? 0x9F : high; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high; // nothing above U+10FFFF
    } else {
        return 1;
    }
    if (text[1] < low || text[1] > high) {
        return 1;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (text[i] < 0x80 || text[i] > 0xBF) {
            return 1;
        }
    }
    return length;
}

// Matches with backtracking to the last '*', which may absorb whole characters.
static bool wildcard_match(const char *pattern_text, const char *name_text)
{
    const unsigned char *pattern = reinterpret_cast<const unsigned char *>(pattern_text);
    const unsigned char *name = reinterpret_cast<const unsigned char *>(name_text);
    const unsigned char *after_star = nullptr;
    const unsigned char *star_absorbed = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            after_star = ++pattern;
            star_absorbed = name;
        } else if (*pattern == '?') {
            ++pattern;
            name += character_length(name);
        } else if (*pattern != '\0' && *pattern == *name) {
            ++pattern;
            ++name;
        } else if (after_star != nullptr) {
            star_absorbed += character_length(star_absorbed);
            pattern = after_star;
            name = star_absorbed;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

static int compare_entries(const void *left, const void *right)
{
    return std::strcmp(static_cast<const search_entry *>(left)->name,
                       static_cast<const search_entry *>(right)->name);
}

static void free_search(search *found)
{
    for (std::size_t i = 0; i < found->count; ++i) {
        std::free(found->entries[i].name);
    }
    std::free(found->entries);
    std::free(found);
}

// Classifies a matching entry, following symbolic links; false for entries
// that are not listed (FIFOs, sockets, devices).
static bool classify_entry(int directory, const char *name, DWORD *attributes)
{
    struct stat status {};
    if (fstatat(directory, name, &status, 0) != 0) {
        *attributes = FILE_ATTRIBUTE_NORMAL;  // its open will report why
        return true;
    }
    if (S_ISDIR(status.st_mode)) {
        *attributes = FILE_ATTRIBUTE_DIRECTORY;
        return true;
    }
    *attributes = FILE_ATTRIBUTE_NORMAL;
    return S_ISREG(status.st_mode);
}

static bool add_entry(search *found, std::size_t *capacity, const char *name, DWORD attributes)
{
    if (found->count == *capacity) {
        const std::size_t grown = *capacity == 0 ? 16 : *capacity * 2;
        void *entries = std::realloc(found->entries, grown * sizeof(search_entry));
        if (entries == nullptr) {
            return false;
        }
        found->entries = static_cast<search_entry *>(entries);
        *capacity = grown;
    }
    char *copy = strdup(name);
    if (copy == nullptr) {
        return false;
    }
    found->entries[found->count++] = {attributes, copy};
    return true;
}

// Reads the directory once and keeps its matching entries, sorted.
static int list_matches(const char *directory_name, const char *pattern, search *found)
{
    DIR *directory = opendir(directory_name);
    if (directory == nullptr) {
        return errno;
    }
    std::size_t capacity = 0;
    int code = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(directory);
        if (entry == nullptr) {
            code = errno;
            break;
        }
        DWORD attributes = 0;
        if (wildcard_match(pattern, entry->d_name) &&
            classify_entry(dirfd(directory), entry->d_name, &attributes) &&
            !add_entry(found, &capacity, entry->d_name, attributes)) {
            code = ENOMEM;
            break;
        }
    }
    closedir(directory);
    if (code == 0 && found->count == 0) {
        code = ENOENT;
    }
    if (code == 0) {
        std::qsort(found->entries, found->count, sizeof(search_entry), compare_entries);
    }
    return code;
}

static void fill_find_data(const search_entry &entry, WIN32_FIND_DATAA *find_data)
{
    find_data->dwFileAttributes = entry.attributes;
    // A POSIX name has at most NAME_MAX (255) bytes, so it always fits.
    std::strncpy(find_data->cFileName, entry.name, sizeof find_data->cFileName - 1);
    find_data->cFileName[sizeof find_data->cFileName - 1] = '\0';
}

HANDLE FindFirstFileA(const char *file_name, WIN32_FIND_DATAA *find_data)
{
    const std::size_t directory_length = path_directory_length(file_name);
    const char *pattern = file_name + directory_length;
    if (*pattern == '\0') {
        return fail(ENOENT);
    }
    char *directory_name = directory_length == 0 ? strdup(".") : strndup(file_name, directory_length);
    search *found = static_cast<search *>(std::calloc(1, sizeof(search)));
    if (directory_name == nullptr || found == nullptr) {
        std::free(directory_name);
        std::free(found);
        return fail(ENOMEM);
    }
    const int code = list_matches(directory_name, pattern, found);
    std::free(directory_name);
    if (code != 0) {
        free_search(found);
        return fail(code);
    }
    fill_find_data(found->entries[0], find_data);
    found->next = 1;
    return found;
}

BOOL FindNextFileA(HANDLE find_file, WIN32_FIND_DATAA *find_data)
{
    search *found = static_cast<search *>(find_file);
    if (found->next == found->count) {
        return fail_call(ENOENT);
    }
    fill_find_data(found->entries[found->next++], find_data);
    return TRUE;
}

BOOL FindClose(HANDLE find_file)
{
    free_search(static_cast<search *>(find_file));
    return TRUE;
}
